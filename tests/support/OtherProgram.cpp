#include "OtherProgram.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

int connections = 0;

} // namespace

OtherProgram::OtherProgram(const QString& path)
    : m_name(QStringLiteral("other-program-%1").arg(++connections))
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    db.setDatabaseName(path);
    if (!db.open()) {
        qWarning("cannot open %s: %s", qPrintable(path), qPrintable(db.lastError().text()));
    }
}

OtherProgram::~OtherProgram()
{
    QSqlDatabase::database(m_name, false).close();
    QSqlDatabase::removeDatabase(m_name);
}

QSqlDatabase OtherProgram::database() const
{
    return QSqlDatabase::database(m_name, false);
}

bool OtherProgram::exec(const QString& sql, const QVariantList& values)
{
    QSqlQuery query(database());
    query.prepare(sql);
    for (const QVariant& value : values) {
        query.addBindValue(value);
    }
    if (!query.exec()) {
        qWarning("%s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
        return false;
    }
    return true;
}

QVariant OtherProgram::value(const QString& sql, const QVariantList& values)
{
    QSqlQuery query(database());
    query.prepare(sql);
    for (const QVariant& value : values) {
        query.addBindValue(value);
    }
    return query.exec() && query.next() ? query.value(0) : QVariant();
}
