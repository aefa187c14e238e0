#include "core/storage/PgFoodCells.h"

#include "core/foods/FoodValues.h"
#include "core/sqlite/SqliteConnection.h"
#include "core/sqlite/SqliteStatement.h"
#include "core/text/NumberText.h"

#include <charconv>
#include <cmath>

namespace {

// The spellings of the infinities: too large for a double, so no text SQLite keeps as a text.
const char* const kInfinity = "1e999";
const char* const kMinusInfinity = "-1e999";

// Whether `text` is the one spelling of an integer: an optional minus, then digits without a
// leading zero, within 64 bits.
bool readInteger(QByteArrayView text, qint64* value)
{
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin == end || (*begin == '-' ? end - begin < 2 || begin[1] == '0' : (*begin == '0' && end - begin > 1))) {
        return false;
    }
    if (*begin == '-' && end - begin == 2 && begin[1] == '0') {
        return false;
    }
    const auto [stop, ec] = std::from_chars(begin, end, *value);
    return ec == std::errc() && stop == end;
}

// Whether `text` is a real number as FoodValues::numberText writes one: digits, a point, an
// exponent, nothing else, read wholly.
bool readReal(QByteArrayView text, double* value)
{
    bool digit = false;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            digit = true;
        } else if (c != '.' && c != 'e' && c != '-' && c != '+') {
            return false;
        }
    }
    if (!digit) {
        return false;
    }
    const char* begin = text.data();
    const char* end = begin + text.size();
    const auto [stop, ec] = std::from_chars(begin, end, *value);
    return ec == std::errc() && stop == end;
}

// Whether a typed text is an integer SQLite keeps as it is written: no sign but a minus, no
// leading zero, no blanks, few enough digits.
bool plainInteger(const QString& text)
{
    const qsizetype start = text.startsWith(u'-') ? 1 : 0;
    const qsizetype digits = text.size() - start;
    if (digits < 1 || digits > 18 || (text.at(start) == u'0' && (digits > 1 || start == 1))) {
        return false;
    }
    for (qsizetype i = start; i < text.size(); ++i) {
        if (text.at(i) < u'0' || text.at(i) > u'9') {
            return false;
        }
    }
    return true;
}

bool hasDigit(const QString& text)
{
    for (const QChar c : text) {
        if (c >= u'0' && c <= u'9') {
            return true;
        }
    }
    return false;
}

} // namespace

PgFoodCells::PgFoodCells()
    : m_sqlite(std::make_unique<SqliteConnection>())
{ }

PgFoodCells::~PgFoodCells()
{
    m_put.reset();
    m_get.reset();
}

bool PgFoodCells::prepare(QString* error)
{
    if (m_get) {
        return true;
    }
    // A column of NUMERIC affinity in memory says what SQLite makes of a value: nothing else
    // would give its every rounding and spelling alike.
    if (!m_sqlite->open(QStringLiteral(":memory:"), 0, error)) {
        return false;
    }
    if (!m_sqlite->execute("CREATE TABLE cell (value NUMERIC)")
        || !m_sqlite->execute("INSERT INTO cell VALUES (NULL)")) {
        *error = m_sqlite->message();
        return false;
    }
    m_put = std::make_unique<SqliteStatement>(m_sqlite->handle(), "UPDATE cell SET value = ?1");
    m_get = std::make_unique<SqliteStatement>(m_sqlite->handle(), "SELECT value FROM cell");
    if (!m_put->isPrepared() || !m_get->isPrepared()) {
        *error = m_sqlite->message();
        m_put.reset();
        m_get.reset();
        return false;
    }
    return true;
}

bool PgFoodCells::storedTyped(FoodFields::Field field, const QString& text, PgConnection::Param* param, QString* error)
{
    return stored(field, FoodValues::storedValueOf(field, text), param, error);
}

bool PgFoodCells::stored(FoodFields::Field field, const QVariant& value, PgConnection::Param* param, QString* error)
{
    // A null text is NULL in any field, as the SQLite table binds it.
    if (value.isNull() || (value.typeId() == QMetaType::QString && value.toString().isNull())) {
        *param = PgConnection::null();
        return true;
    }
    if (field < FoodFields::CALORIES) {
        // Names and serving units are texts whatever they hold.
        *param = value.toString().toUtf8();
        return true;
    }
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString();
        // Most nutrients are written as plain integers or hold no digit at all: SQLite keeps both
        // as they are (the one as an integer spelled so), and need not be asked.
        if (plainInteger(text) || !hasDigit(text)) {
            *param = text.toUtf8();
            return true;
        }
    }
    if (!prepare(error)) {
        return false;
    }
    m_put->restart();
    m_put->bindValue(1, value);
    if (!m_put->execute()) {
        *error = m_sqlite->message();
        return false;
    }
    m_get->restart();
    if (!m_get->next()) {
        *error = m_sqlite->message();
        return false;
    }
    QString buffer;
    switch (m_get->type(0)) {
    case SqliteStatement::Null:
        *param = PgConnection::null();
        break;
    case SqliteStatement::Integer:
        *param = QByteArray::number(m_get->int64(0));
        break;
    case SqliteStatement::Real: {
        const double real = m_get->real(0);
        *param = std::isinf(real) ? QByteArray(real > 0 ? kInfinity : kMinusInfinity)
                                  : FoodValues::numberText(real).toUtf8();
        break;
    }
    default:
        *param = m_get->text(0).toByteArray();
    }
    m_get->reset();
    return true;
}

void PgFoodCells::cellOf(FoodFields::Field field, QByteArrayView bytes, bool isNull, StoredCell* cell)
{
    if (isNull) {
        cell->kind = StoredCell::Null;
        return;
    }
    if (field >= FoodFields::CALORIES) {
        if (bytes == QByteArrayView(kInfinity) || bytes == QByteArrayView(kMinusInfinity)) {
            cell->kind = StoredCell::Real;
            cell->real = bytes.front() == '-' ? -HUGE_VAL : HUGE_VAL;
            return;
        }
        if (readInteger(bytes, &cell->integer)) {
            cell->kind = StoredCell::Integer;
            return;
        }
        if (readReal(bytes, &cell->real)) {
            cell->kind = StoredCell::Real;
            return;
        }
    }
    cell->kind = StoredCell::Text;
    cell->text = bytes;
}

QString PgFoodCells::cellText(FoodFields::Field field, QByteArrayView bytes, bool isNull)
{
    if (isNull) {
        return QString();
    }
    if (field >= FoodFields::CALORIES
        && (bytes == QByteArrayView(kInfinity) || bytes == QByteArrayView(kMinusInfinity))) {
        return FoodValues::numberText(bytes.front() == '-' ? -HUGE_VAL : HUGE_VAL);
    }
    return QString::fromUtf8(bytes);
}

double PgFoodCells::nutrientValue(QByteArrayView bytes, bool isNull)
{
    StoredCell cell;
    cellOf(FoodFields::CALORIES, bytes, isNull, &cell);
    // A real reads as itself; only an infinity and -0 go through their text, as in SQLite.
    if (cell.kind == StoredCell::Real && std::isfinite(cell.real) && cell.real != 0) {
        return cell.real;
    }
    return TextToNumber(cellText(FoodFields::CALORIES, bytes, isNull));
}
