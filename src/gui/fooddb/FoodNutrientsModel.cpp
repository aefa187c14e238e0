#include "gui/fooddb/FoodNutrientsModel.h"

#include "core/nutrients/NutrientAmount.h"
#include "core/text/MessageText.h"

#include <QFont>
#include <QLocale>

FoodNutrientsModel::FoodNutrientsModel(QObject* parent)
    : QAbstractTableModel(parent)
{ }

void FoodNutrientsModel::setFood(const NutrientCatalogue& catalogue, const FoodNutrients& stored, bool editable)
{
    beginResetModel();
    m_catalogue = catalogue;
    m_stored = stored;
    m_changes = {};
    m_editable = editable;
    m_lines.clear();
    m_lines.push_back({ Line::Serving });
    std::optional<NutrientGroup> group;
    for (qsizetype n = 0; n < m_catalogue.size(); ++n) {
        const Nutrient& nutrient = m_catalogue.nutrients()[static_cast<std::size_t>(n)];
        if (group != nutrient.group) {
            group = nutrient.group;
            m_lines.push_back({ Line::Heading, -1, nutrient.group });
        }
        m_lines.push_back({ Line::Amount, n, nutrient.group });
    }
    endResetModel();
}

void FoodNutrientsModel::clear()
{
    beginResetModel();
    m_catalogue = {};
    m_stored = {};
    m_changes = {};
    m_lines.clear();
    m_editable = false;
    endResetModel();
}

void FoodNutrientsModel::acceptChanges()
{
    if (m_changes.servingGramsChanged) {
        m_stored.servingGrams = m_changes.servingGrams;
    }
    for (auto change = m_changes.values.cbegin(); change != m_changes.values.cend(); ++change) {
        if (change.value()) {
            m_stored.values.insert(change.key(), *change.value());
        } else {
            m_stored.values.remove(change.key());
        }
    }
    m_changes = {};
}

int FoodNutrientsModel::rowOf(const QString& number) const
{
    const qsizetype nutrient = m_catalogue.indexOf(number);
    for (std::size_t row = 0; row < m_lines.size(); ++row) {
        if (m_lines[row].kind == Line::Amount && m_lines[row].nutrient == nutrient) {
            return static_cast<int>(row);
        }
    }
    return -1;
}

int FoodNutrientsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_lines.size());
}

int FoodNutrientsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

std::optional<double> FoodNutrientsModel::amount(const Line& line) const
{
    if (line.kind == Line::Serving) {
        return m_changes.servingGramsChanged ? m_changes.servingGrams : m_stored.servingGrams;
    }
    const QString& number = m_catalogue.nutrients()[static_cast<std::size_t>(line.nutrient)].number;
    const auto change = m_changes.values.constFind(number);
    if (change != m_changes.values.cend()) {
        return change.value();
    }
    const auto stored = m_stored.values.constFind(number);
    return stored == m_stored.values.cend() ? std::nullopt : std::optional<double>(stored.value());
}

QVariant FoodNutrientsModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return QVariant();
    }
    const Line& line = m_lines[static_cast<std::size_t>(index.row())];
    const Nutrient* nutrient
        = line.kind == Line::Amount ? &m_catalogue.nutrients()[static_cast<std::size_t>(line.nutrient)] : nullptr;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        switch (index.column()) {
        case NameColumn:
            if (line.kind == Line::Serving) {
                return tr("Serving weight");
            }
            return nutrient ? nutrient->name : NutrientCatalogue::groupName(line.group);
        case AmountColumn:
            if (line.kind != Line::Heading) {
                const std::optional<double> value = amount(line);
                return value ? NutrientAmount::text(*value) : QString();
            }
            return QString();
        case UnitColumn:
            if (line.kind == Line::Serving) {
                return QStringLiteral("g");
            }
            return nutrient ? nutrient->unit : QString();
        default:
            return QVariant();
        }
    case Qt::FontRole:
        if (line.kind == Line::Heading) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return QVariant();
    case Qt::TextAlignmentRole:
        if (index.column() == AmountColumn) {
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        }
        return QVariant();
    default:
        return QVariant();
    }
}

QVariant FoodNutrientsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    switch (section) {
    case NameColumn:
        return tr("Nutrient");
    case AmountColumn:
        return tr("Amount");
    case UnitColumn:
        return tr("Unit");
    default:
        return QVariant();
    }
}

Qt::ItemFlags FoodNutrientsModel::flags(const QModelIndex& index) const
{
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    const Line& line = m_lines[static_cast<std::size_t>(index.row())];
    if (line.kind == Line::Heading) {
        return Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    }
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (m_editable && index.column() == AmountColumn) {
        flags |= Qt::ItemIsEditable;
    }
    return flags;
}

bool FoodNutrientsModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable)) {
        return false;
    }
    const Line& line = m_lines[static_cast<std::size_t>(index.row())];
    const QString typed = value.toString();
    // The shown text given back unchanged is no change, though it shows a rounded amount.
    if (typed == data(index, Qt::DisplayRole).toString()) {
        return true;
    }
    const QString unit = data(index.siblingAtColumn(UnitColumn), Qt::DisplayRole).toString();
    double number = 0;
    std::optional<double> typedAmount;
    switch (NutrientAmount::read(typed, QLocale(), unit, &number)) {
    case NutrientAmount::Reading::Empty:
        break;
    case NutrientAmount::Reading::Number:
        typedAmount = number;
        break;
    case NutrientAmount::Reading::Negative:
        emit refused(tr("An amount cannot be below 0."));
        return false;
    case NutrientAmount::Reading::NotANumber:
        emit refused(tr("\"%1\" is not an amount. Type a number such as %2, or clear the amount when it is not known.")
                         .arg(MessageText::quoted(typed), NutrientAmount::text(12.5)));
        return false;
    }
    // A change back to what the table holds is no change any more.
    if (line.kind == Line::Serving) {
        m_changes.servingGramsChanged = typedAmount != m_stored.servingGrams;
        m_changes.servingGrams = m_changes.servingGramsChanged ? typedAmount : std::nullopt;
    } else {
        const QString& key = m_catalogue.nutrients()[static_cast<std::size_t>(line.nutrient)].number;
        const auto stored = m_stored.values.constFind(key);
        const std::optional<double> storedAmount
            = stored == m_stored.values.cend() ? std::nullopt : std::optional<double>(stored.value());
        if (typedAmount == storedAmount) {
            m_changes.values.remove(key);
        } else {
            m_changes.values.insert(key, typedAmount);
        }
    }
    emit dataChanged(index, index);
    return true;
}
