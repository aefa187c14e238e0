#include "gui/fooddb/FoodPropertiesModel.h"

#include "core/nutrients/NutrientAmount.h"
#include "core/storage/FoodStore.h"
#include "core/text/NumberText.h"

#include <QFont>
#include <QLocale>
#include <QSet>
#include <QStringMatcher>

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <numeric>
#include <string_view>

namespace {

// Rows searched between two progress reports: enough reports for the bar to move smoothly, few
// enough that repainting it costs nothing next to the search.
constexpr qsizetype ProgressSteps = 16;
constexpr qsizetype MinimumChunk = 4096;

bool isLineBreakOrTab(QChar c)
{
    return c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

} // namespace

FoodPropertiesModel::FoodPropertiesModel(QObject* parent)
    : QAbstractTableModel(parent)
{ }

FoodPropertiesModel::~FoodPropertiesModel() = default;

namespace {

std::vector<FoodFields::Field> tenFields()
{
    std::vector<FoodFields::Field> fields;
    for (int f = 0; f < FoodPropertiesModel::ColumnCount; ++f) {
        fields.push_back(static_cast<FoodFields::Field>(f));
    }
    return fields;
}

} // namespace

bool FoodPropertiesModel::read(const FoodStore& foods, bool sortedByName, Contents* contents, QString* error,
    const std::atomic<bool>* stop, bool forFind)
{
    const auto stopped = [stop] { return stop && stop->load(std::memory_order_relaxed); };
    if (!foods.readColumns(tenFields(), &contents->columns, &contents->rowids, error) || stopped()) {
        return false;
    }
    roundRecipeValues(foods, contents->rowids, &contents->columns);
    // Without the name index (a read-only table that lacks it, say) the names are sorted here.
    std::vector<std::uint32_t> nameOrder;
    if (sortedByName && !stopped()) {
        foods.readNameOrder(contents->rowids, &nameOrder, nullptr);
    }
    if (stopped()) {
        return false;
    }
    arrange(contents, std::move(nameOrder), sortedByName);
    for (int column = 0; forFind && column < ColumnCount && !stopped(); ++column) {
        contents->uppers[std::size_t(column)] = std::make_unique<UpperColumn>(contents->columns[std::size_t(column)]);
    }
    return !stopped();
}

bool FoodPropertiesModel::readFirst(const FoodStore& foods, bool sortedByName, int limit, Contents* contents)
{
    if (!foods.readFirstRows(tenFields(), limit, sortedByName, &contents->columns, &contents->rowids, nullptr)) {
        return false;
    }
    roundRecipeValues(foods, contents->rowids, &contents->columns);
    std::vector<std::uint32_t> order(contents->rowids.size());
    std::iota(order.begin(), order.end(), 0U);
    arrange(contents, sortedByName ? std::move(order) : std::vector<std::uint32_t>(), false);
    return true;
}

void FoodPropertiesModel::arrange(Contents* contents, std::vector<std::uint32_t> nameOrder, bool sortedByName)
{
    std::vector<TextColumn>& columns = contents->columns;
    columns.resize(ColumnCount);
    const auto rows = static_cast<std::size_t>(columns.front().size());
    for (auto& column : columns) {
        // A column shorter than the others would leave rows without cells: pad it with empty ones.
        while (static_cast<std::size_t>(column.size()) < rows) {
            column.append(QStringView());
        }
    }
    contents->nameKeys.reset();
    contents->order.resize(rows);
    if (nameOrder.size() == rows && rows > 0) {
        contents->nameKeys = std::make_unique<GenericOrder>(columns[FoodFields::FOOD]);
        contents->order = std::move(nameOrder);
        contents->nameKeys->sortPresorted(contents->order);
        return;
    }
    std::iota(contents->order.begin(), contents->order.end(), 0U);
    if (sortedByName) {
        contents->nameKeys = std::make_unique<GenericOrder>(columns[FoodFields::FOOD]);
        contents->nameKeys->sort(contents->order);
    }
}

bool FoodPropertiesModel::load(const FoodStore& foods, QString* error, bool sortedByName)
{
    Contents contents;
    if (!read(foods, sortedByName, &contents, error)) {
        clear();
        return false;
    }
    show(std::move(contents));
    return true;
}

void FoodPropertiesModel::roundRecipeValues(
    const FoodStore& foods, const std::vector<qint64>& rowids, std::vector<TextColumn>* columns)
{
    // A recipe's values are sums and quotients of its ingredients': shown rounded, as typed values
    // are, while the row keeps them whole. Without the recipe tables the values show as stored.
    QSet<qint64> recipeRows;
    if (!foods.recipeRows(&recipeRows, nullptr) || recipeRows.isEmpty()) {
        return;
    }
    std::vector<bool> isRecipe(rowids.size());
    for (std::size_t row = 0; row < rowids.size(); ++row) {
        isRecipe[row] = recipeRows.contains(rowids[row]);
    }
    // Each column is written afresh in one pass: rewriting cells in place would move the whole
    // column's text once per recipe.
    for (int f = FoodFields::CALORIES; f < ColumnCount && std::size_t(f) < columns->size(); ++f) {
        const TextColumn& column = (*columns)[std::size_t(f)];
        TextColumn rounded;
        rounded.reserve(column.size(), column.characterCount());
        QString scratch;
        for (qsizetype cell = 0; cell < column.size(); ++cell) {
            const QStringView text = column.view(cell, scratch);
            if (std::size_t(cell) < isRecipe.size() && isRecipe[std::size_t(cell)] && IsWholeNumber(text)) {
                rounded.append(RoundedValueText(TextToNumber(text), QLocale::c()));
            } else {
                rounded.append(text);
            }
        }
        (*columns)[std::size_t(f)] = std::move(rounded);
    }
}

void FoodPropertiesModel::setColumns(std::vector<TextColumn> columns, std::vector<std::uint32_t> nameOrder)
{
    Contents contents;
    contents.columns = std::move(columns);
    arrange(&contents, std::move(nameOrder), false);
    show(std::move(contents));
}

void FoodPropertiesModel::show(Contents contents, bool complete)
{
    beginResetModel();
    m_complete = complete;
    m_nutrients.clear();
    m_amounts.clear();
    m_columns = std::move(contents.columns);
    m_rowids = std::move(contents.rowids);
    const auto rows = static_cast<std::size_t>(m_columns.empty() ? 0 : m_columns.front().size());
    for (auto& order : m_orders) {
        order.reset();
    }
    m_uppers = std::move(contents.uppers);
    m_orders[FoodFields::FOOD] = std::move(contents.nameKeys);
    m_order = std::move(contents.order);
    m_position.resize(rows);
    for (std::size_t row = 0; row < rows; ++row) {
        m_position[m_order[row]] = static_cast<std::uint32_t>(row);
    }
    m_markWords = (rows + 63) / 64;
    resetMarks();
    endResetModel();
}

qint64 FoodPropertiesModel::rowidAt(int row) const
{
    if (row < 0 || row >= rowCount() || tableRow(row) >= m_rowids.size()) {
        return 0;
    }
    return m_rowids[tableRow(row)];
}

void FoodPropertiesModel::resetMarks()
{
    m_marks.assign(m_markWords * static_cast<std::size_t>(columnCount()), 0);
}

bool FoodPropertiesModel::setNutrientColumns(
    const FoodStore& foods, const std::vector<Nutrient>& nutrients, QString* error)
{
    QStringList numbers;
    for (const Nutrient& nutrient : nutrients) {
        numbers.append(nutrient.number);
    }
    std::vector<std::vector<double>> read;
    // The columns shown are let go before the new ones are read, so two sets are never held.
    beginResetModel();
    m_nutrients.clear();
    m_amounts.clear();
    const bool ok = numbers.isEmpty() || m_rowids.size() != m_order.size()
        || foods.readNutrientColumns(numbers, m_rowids, &read, error);
    // Rows and their order stay; only columns come and go.
    if (ok && read.size() == nutrients.size()) {
        m_nutrients = nutrients;
        m_amounts = std::move(read);
    }
    resetMarks();
    endResetModel();
    return ok;
}

QStringList FoodPropertiesModel::captions() const
{
    QStringList captions = FoodFields::gridCaptions();
    for (const Nutrient& nutrient : m_nutrients) {
        captions.append(QStringLiteral("%1 (%2)").arg(nutrient.name, nutrient.unit));
    }
    return captions;
}

void FoodPropertiesModel::clear()
{
    setColumns({});
}

int FoodPropertiesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_order.size());
}

int FoodPropertiesModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount + static_cast<int>(m_nutrients.size());
}

QVariant FoodPropertiesModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return QVariant();
    }
    switch (role) {
    case Qt::DisplayRole:
        return cellText(index.row(), index.column());
    case Qt::TextAlignmentRole:
        if (isNutrientColumn(index.column())) {
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        }
        return QVariant();
    case Qt::FontRole:
        if (isMarked(index.row(), index.column())) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return QVariant();
    default:
        return QVariant();
    }
}

Qt::ItemFlags FoodPropertiesModel::flags(const QModelIndex& index) const
{
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

QString FoodPropertiesModel::cellText(int row, int column) const
{
    if (isNutrientColumn(column)) {
        const double amount = amountAt(column, tableRow(row));
        return std::isnan(amount) ? QString() : NutrientAmount::text(amount);
    }
    return m_columns[static_cast<std::size_t>(column)].at(static_cast<qsizetype>(tableRow(row)));
}

bool FoodPropertiesModel::isMarked(int row, int column) const
{
    const std::size_t bit = tableRow(row);
    const std::uint64_t word = m_marks[static_cast<std::size_t>(column) * m_markWords + bit / 64];
    return (word >> (bit % 64)) & 1U;
}

qsizetype FoodPropertiesModel::markedCount() const
{
    qsizetype count = 0;
    for (const std::uint64_t word : m_marks) {
        count += std::popcount(word);
    }
    return count;
}

void FoodPropertiesModel::setMark(int column, std::size_t tableRow)
{
    m_marks[static_cast<std::size_t>(column) * m_markWords + tableRow / 64] |= std::uint64_t(1) << (tableRow % 64);
}

const GenericOrder& FoodPropertiesModel::orderOf(int column)
{
    auto& order = m_orders[static_cast<std::size_t>(column)];
    if (!order) {
        order = std::make_unique<GenericOrder>(m_columns[static_cast<std::size_t>(column)]);
    }
    return *order;
}

const UpperColumn& FoodPropertiesModel::upperOf(int column)
{
    auto& upper = m_uppers[static_cast<std::size_t>(column)];
    if (!upper) {
        upper = std::make_unique<UpperColumn>(m_columns[static_cast<std::size_t>(column)]);
    }
    return *upper;
}

QModelIndex FoodPropertiesModel::find(const QString& text, const Progress& progress)
{
    std::fill(m_marks.begin(), m_marks.end(), 0);
    const UpperColumn::Pattern pattern(text);
    // Amounts are searched as they are shown, written out one by one into a buffer: numbers hold
    // no letters but the exponent's, which is upper-cased as the search text is.
    const std::string wanted = text.toUpper().toStdString();
    const QString decimal = QLocale().decimalPoint();
    const char decimalMark = decimal.size() == 1 && decimal.at(0).unicode() < 128 ? char(decimal.at(0).unicode()) : '.';
    const qsizetype rows = rowCount();
    const qsizetype chunk = std::max(MinimumChunk, rows / ProgressSteps + 1);
    int lastColumn = -1;
    std::uint32_t lastRow = 0;
    for (int column = 0; column < columnCount(); ++column) {
        if (progress) {
            progress(column, 0);
        }
        bool matched = false;
        std::uint32_t lastRowHere = 0;
        for (qsizetype first = 0; first < rows; first += chunk) {
            const qsizetype end = std::min(rows, first + chunk);
            if (!wanted.empty() && isNutrientColumn(column)) {
                char buffer[NutrientAmount::BufferSize];
                for (qsizetype cell = first; cell < end; ++cell) {
                    const double amount = amountAt(column, static_cast<std::size_t>(cell));
                    if (std::isnan(amount)) {
                        continue;
                    }
                    const std::size_t length = NutrientAmount::write(amount, buffer);
                    for (std::size_t c = 0; c < length; ++c) {
                        buffer[c] = buffer[c] == '.' ? decimalMark : buffer[c] == 'e' ? 'E' : buffer[c];
                    }
                    if (std::string_view(buffer, length).find(wanted) != std::string_view::npos) {
                        const auto food = static_cast<std::size_t>(cell);
                        setMark(column, food);
                        matched = true;
                        lastRowHere = std::max(lastRowHere, m_position[food]);
                    }
                }
            } else if (!pattern.isEmpty() && !isNutrientColumn(column)) {
                upperOf(column).forEachMatch(pattern, first, end, [&](qsizetype cell) {
                    const auto food = static_cast<std::size_t>(cell);
                    setMark(column, food);
                    matched = true;
                    lastRowHere = std::max(lastRowHere, m_position[food]);
                    return true;
                });
            }
            if (progress) {
                progress(column, static_cast<int>(end - 1));
            }
        }
        if (matched) {
            lastColumn = column;
            lastRow = lastRowHere;
        }
    }
    if (rows == 0) {
        return QModelIndex();
    }
    emit dataChanged(index(0, 0), index(static_cast<int>(rows) - 1, columnCount() - 1), { Qt::FontRole });
    return lastColumn < 0 ? index(0, 0) : index(static_cast<int>(lastRow), lastColumn);
}

void FoodPropertiesModel::sortRows(const std::vector<int>& keyColumns, int firstRow, int lastRow)
{
    firstRow = std::max(firstRow, 0);
    lastRow = std::min(lastRow, rowCount() - 1);
    std::vector<int> keys;
    for (const int column : keyColumns) {
        if (column >= 0 && column < columnCount()) {
            keys.push_back(column);
            if (!isNutrientColumn(column)) {
                orderOf(column);
            }
        }
    }
    if (firstRow >= lastRow || keys.empty()) {
        return;
    }

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<std::uint32_t> foodsBefore;
    foodsBefore.reserve(static_cast<std::size_t>(before.size()));
    for (const QModelIndex& index : before) {
        foodsBefore.push_back(m_order[static_cast<std::size_t>(index.row())]);
    }

    // Stable sorts from the last key to the first leave the rows ordered by all keys, left to
    // right, and each one runs on the precomputed keys of its column.
    std::vector<std::uint32_t> rows(m_order.begin() + firstRow, m_order.begin() + lastRow + 1);
    for (auto key = keys.rbegin(); key != keys.rend(); ++key) {
        if (isNutrientColumn(*key)) {
            sortByAmounts(*key, &rows);
        } else {
            orderOf(*key).sort(rows);
        }
    }
    std::copy(rows.begin(), rows.end(), m_order.begin() + firstRow);
    for (int row = firstRow; row <= lastRow; ++row) {
        m_position[m_order[static_cast<std::size_t>(row)]] = static_cast<std::uint32_t>(row);
    }

    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        after.append(index(static_cast<int>(m_position[foodsBefore[static_cast<std::size_t>(i)]]), before[i].column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void FoodPropertiesModel::sortByAmounts(int column, std::vector<std::uint32_t>* rows) const
{
    const std::vector<double>& amounts = m_amounts[static_cast<std::size_t>(column - ColumnCount)];
    // Unknown amounts go after every number, in the order they were in.
    const auto known = std::stable_partition(
        rows->begin(), rows->end(), [&](std::uint32_t row) { return !std::isnan(amounts[row]); });
    std::stable_sort(rows->begin(), known, [&](std::uint32_t a, std::uint32_t b) { return amounts[a] < amounts[b]; });
}

QStringList FoodPropertiesModel::tableLines() const
{
    QStringList lines;
    lines.reserve(rowCount() + 1);
    lines.append(captions().join(QLatin1Char('\t')));
    QString line;
    QString scratch;
    for (int row = 0; row < rowCount(); ++row) {
        line.clear();
        const auto food = static_cast<qsizetype>(tableRow(row));
        for (int column = 0; column < ColumnCount; ++column) {
            if (column > 0) {
                line.append(QLatin1Char('\t'));
            }
            const QStringView cell = m_columns[static_cast<std::size_t>(column)].view(food, scratch);
            if (std::any_of(cell.begin(), cell.end(), isLineBreakOrTab)) {
                QString clean = cell.toString();
                std::replace_if(clean.begin(), clean.end(), isLineBreakOrTab, QLatin1Char(' '));
                line.append(clean);
            } else {
                line.append(cell);
            }
        }
        for (int column = ColumnCount; column < columnCount(); ++column) {
            line.append(QLatin1Char('\t'));
            line.append(cellText(row, column));
        }
        lines.append(line);
    }
    return lines;
}
