#include "gui/fooddb/ImportColumnsModel.h"

#include "core/imports/ColumnMapping.h"
#include "core/imports/FoodImport.h"
#include "core/text/MessageText.h"

ImportColumnsModel::ImportColumnsModel(QObject* parent)
    : QAbstractTableModel(parent)
{ }

void ImportColumnsModel::setImport(FoodImport* import)
{
    beginResetModel();
    m_import = import;
    endResetModel();
}

int ImportColumnsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_import ? 0 : int(m_import->mapping().size());
}

int ImportColumnsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

bool ImportColumnsModel::isChoice(const QModelIndex& index) const
{
    if (!index.isValid() || index.column() < FieldColumn) {
        return false;
    }
    return index.column() == FieldColumn || ColumnMapping::hasAmounts(m_import->mapping()[std::size_t(index.row())]);
}

QStringList ImportColumnsModel::choices(int row, int column) const
{
    QStringList texts;
    const ImportColumn& current = m_import->mapping()[std::size_t(row)];
    if (column == FieldColumn) {
        // The ten fields and the serving's weight first, then the catalogue's nutrients in its
        // order, each with its unit; typing a name's beginning reaches one among a hundred.
        texts.append(tr("(not imported)"));
        for (int f = 0; f < ColumnMapping::ChoiceCount; ++f) {
            texts.append(ColumnMapping::fieldCaption(f));
        }
        for (const Nutrient& nutrient : m_import->nutrientChoices().nutrients()) {
            texts.append(ColumnMapping::nutrientCaption(nutrient));
        }
    } else if (column == UnitColumn) {
        for (const NutrientUnit unit : ColumnMapping::units(current)) {
            texts.append(ColumnMapping::unitName(unit));
        }
    } else if (column == AmountsColumn) {
        texts = QStringList { tr("per serving"), tr("per 100 g") };
    }
    return texts;
}

int ImportColumnsModel::chosen(int row, int column) const
{
    const ImportColumn& choice = m_import->mapping()[std::size_t(row)];
    switch (column) {
    case FieldColumn:
        // The first choice takes the column to no field (ColumnMapping::NoField, -1).
        if (choice.field == ColumnMapping::CatalogueNutrient) {
            const qsizetype place = m_import->nutrientChoices().indexOf(choice.nutrient.number);
            return place < 0 ? -1 : int(1 + ColumnMapping::ChoiceCount + place);
        }
        return choice.field + 1;
    case UnitColumn:
        return int(ColumnMapping::units(choice).indexOf(choice.unit));
    case AmountsColumn:
        return choice.per100g ? 1 : 0;
    default:
        return -1;
    }
}

QVariant ImportColumnsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !checkIndex(index)) {
        return QVariant();
    }
    const int row = index.row();
    const int column = index.column();
    const QString name = m_import->columns().value(row);
    if (column == NameColumn) {
        if (role == Qt::DisplayRole) {
            return MessageText::quoted(name);
        }
        if (role == Qt::ToolTipRole) {
            return MessageText::quoted(name, 1000);
        }
        return QVariant();
    }
    if (column == SamplesColumn) {
        if (role != Qt::DisplayRole) {
            return QVariant();
        }
        QStringList samples;
        for (const QStringList& previewRow : m_import->previewRows()) {
            samples.append(MessageText::quoted(previewRow.value(row)));
        }
        return samples.join(QStringLiteral(" | "));
    }
    if (!isChoice(index)) {
        return QVariant();
    }
    switch (role) {
    case Qt::DisplayRole:
        return choices(row, column).value(chosen(row, column));
    case Qt::EditRole:
        return chosen(row, column);
    case ChoicesRole:
        return choices(row, column);
    case Qt::AccessibleTextRole:
        if (column == FieldColumn) {
            return tr("Food field for the column %1").arg(MessageText::quoted(name));
        }
        if (column == UnitColumn) {
            return tr("Unit of the column %1").arg(MessageText::quoted(name));
        }
        return tr("Amounts of the column %1, per serving or per 100 g").arg(MessageText::quoted(name));
    default:
        return QVariant();
    }
}

QVariant ImportColumnsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    const QStringList captions { tr("Column"), tr("First values"), tr("Goes to"), tr("Unit"), tr("Amounts") };
    return captions.value(section);
}

Qt::ItemFlags ImportColumnsModel::flags(const QModelIndex& index) const
{
    if (!index.isValid() || !checkIndex(index)) {
        return Qt::NoItemFlags;
    }
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    return isChoice(index) ? flags | Qt::ItemIsEditable : flags;
}

bool ImportColumnsModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || !checkIndex(index) || !isChoice(index)) {
        return false;
    }
    const int row = index.row();
    const int place = value.toInt();
    if (place < 0 || place >= choices(row, index.column()).size()) {
        return false;
    }
    const ImportColumn current = m_import->mapping()[std::size_t(row)];
    ImportColumn choice = current;
    switch (index.column()) {
    case FieldColumn:
        // A new field comes in its own unit, per serving; the unit and amounts chosen stay while
        // the column keeps its field.
        if (place - 1 < ColumnMapping::ChoiceCount) {
            choice = ColumnMapping::column(place - 1);
        } else {
            choice = ColumnMapping::column(
                m_import->nutrientChoices().nutrients()[std::size_t(place - 1 - ColumnMapping::ChoiceCount)]);
        }
        if (ColumnMapping::sameTarget(choice, current)) {
            choice = current;
        }
        break;
    case UnitColumn:
        choice.unit = ColumnMapping::units(current).at(place);
        break;
    default:
        choice.per100g = place == 1;
        break;
    }
    if (choice == current) {
        return true;
    }
    const int other = m_import->placeColumn(row, choice);
    if (other >= 0) {
        rowChanged(other);
    }
    rowChanged(row);
    return true;
}

void ImportColumnsModel::rowChanged(int row)
{
    emit dataChanged(index(row, FieldColumn), index(row, AmountsColumn));
}
