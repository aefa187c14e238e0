#include "gui/totals/NutrientTargetsModel.h"

#include "core/nutrients/NutrientFilter.h"
#include "core/text/MessageText.h"

#include <QFont>
#include <QLocale>

NutrientTargetsModel::NutrientTargetsModel(
    const NutrientCatalogue& catalogue, std::map<QString, NutrientTargets::Range> ranges, QObject* parent)
    : QAbstractTableModel(parent)
    , m_catalogue(catalogue)
    , m_ranges(std::move(ranges))
{
    rebuild();
}

void NutrientTargetsModel::rebuild()
{
    m_rows.clear();
    const NutrientFilter filter(m_filter);
    // Only groups with a nutrient shown get their heading.
    std::optional<NutrientGroup> headed;
    for (qsizetype i = 0; i < m_catalogue.size(); ++i) {
        const Nutrient& nutrient = m_catalogue.nutrients()[static_cast<std::size_t>(i)];
        const bool shown = filter.matches(nutrient);
        if (!shown) {
            continue;
        }
        if (headed != nutrient.group) {
            m_rows.push_back({ -1, nutrient.group });
            headed = nutrient.group;
        }
        m_rows.push_back({ i, nutrient.group });
    }
}

void NutrientTargetsModel::setFilter(const QString& text)
{
    if (text == m_filter) {
        return;
    }
    beginResetModel();
    m_filter = text;
    rebuild();
    endResetModel();
}

void NutrientTargetsModel::fill(const std::map<QString, NutrientTargets::Range>& ranges)
{
    for (const auto& [number, range] : ranges) {
        if (!range.minimum && !range.maximum) {
            m_ranges.erase(number);
        } else {
            m_ranges[number] = range;
        }
    }
    if (!m_rows.empty()) {
        emit dataChanged(index(0, MinimumColumn), index(rowCount() - 1, MaximumColumn));
    }
}

bool NutrientTargetsModel::isHeading(int row) const
{
    return m_rows.at(static_cast<std::size_t>(row)).nutrient < 0;
}

const Nutrient& NutrientTargetsModel::nutrientOf(int row) const
{
    return m_catalogue.nutrients()[static_cast<std::size_t>(m_rows.at(static_cast<std::size_t>(row)).nutrient)];
}

QString NutrientTargetsModel::numberAt(int row) const
{
    return isHeading(row) ? QString() : nutrientOf(row).number;
}

int NutrientTargetsModel::rowOf(const QString& number) const
{
    const qsizetype position = m_catalogue.indexOf(number);
    for (std::size_t row = 0; row < m_rows.size(); ++row) {
        if (position >= 0 && m_rows[row].nutrient == position) {
            return static_cast<int>(row);
        }
    }
    return -1;
}

int NutrientTargetsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int NutrientTargetsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant NutrientTargetsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid()) {
        return {};
    }
    const int row = index.row();
    if (isHeading(row)) {
        if (index.column() == NameColumn && (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)) {
            return NutrientCatalogue::groupName(m_rows[static_cast<std::size_t>(row)].group);
        }
        if (role == Qt::FontRole) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    }
    const Nutrient& nutrient = nutrientOf(row);
    if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::AccessibleTextRole) {
        if (role == Qt::TextAlignmentRole && index.column() >= MinimumColumn) {
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        }
        return {};
    }
    switch (index.column()) {
    case NameColumn:
        return nutrient.name;
    case UnitColumn:
        return nutrient.unit;
    default:
        break;
    }
    const auto found = m_ranges.find(nutrient.number);
    if (found == m_ranges.end()) {
        return QString();
    }
    const std::optional<double>& bound
        = index.column() == MinimumColumn ? found->second.minimum : found->second.maximum;
    // In the form the user types, so that an edit left alone reads back the very same number.
    return bound ? NutrientTargets::typedBoundText(*bound, QLocale()) : QString();
}

QVariant NutrientTargetsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    switch (section) {
    case NameColumn:
        return tr("Nutrient");
    case UnitColumn:
        return tr("Unit");
    case MinimumColumn:
        return tr("Minimum");
    case MaximumColumn:
        return tr("Maximum");
    default:
        return {};
    }
}

Qt::ItemFlags NutrientTargetsModel::flags(const QModelIndex& index) const
{
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    if (isHeading(index.row())) {
        return Qt::ItemIsEnabled;
    }
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() >= MinimumColumn) {
        flags |= Qt::ItemIsEditable;
    }
    return flags;
}

bool NutrientTargetsModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable)) {
        return false;
    }
    const Nutrient& nutrient = nutrientOf(index.row());
    const bool minimum = index.column() == MinimumColumn;
    const QString text = value.toString();
    NutrientTargets::Range range;
    if (const auto found = m_ranges.find(nutrient.number); found != m_ranges.end()) {
        range = found->second;
    }
    std::optional<double>& bound = minimum ? range.minimum : range.maximum;
    if (!NutrientTargets::readTypedBound(text, QLocale(), &bound)) {
        emit refused((minimum ? tr("\"%1\" is not a number, so the minimum of %2 stays as it was.")
                              : tr("\"%1\" is not a number, so the maximum of %2 stays as it was."))
                         .arg(MessageText::quoted(text.trimmed()), MessageText::quoted(nutrient.name)));
        return false;
    }
    if (range.minimum && range.maximum && *range.minimum > *range.maximum) {
        emit refused((minimum ? tr("The minimum of %1 would be above its maximum, so it stays as it was.")
                              : tr("The maximum of %1 would be below its minimum, so it stays as it was."))
                         .arg(MessageText::quoted(nutrient.name)));
        return false;
    }
    const NutrientTargets::Range before
        = m_ranges.count(nutrient.number) ? m_ranges.at(nutrient.number) : NutrientTargets::Range();
    if (range == before) {
        return true;
    }
    if (!range.minimum && !range.maximum) {
        m_ranges.erase(nutrient.number);
    } else {
        m_ranges[nutrient.number] = range;
    }
    emit dataChanged(index, index);
    return true;
}
