// The Import Foods window's model of a CSV file's columns: each choice made through it lands in
// the import's own mapping (a field taken from the column that had it, a unit and per 100 g only
// for a nutrient), the rows it changes are told, and Qt's model tester watches throughout.

#include "core/imports/ColumnMapping.h"
#include "core/imports/FoodImport.h"
#include "gui/fooddb/ImportColumnsModel.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <set>

class TestImportColumnsModel : public QObject
{
    Q_OBJECT

private slots:
    void choicesGoIntoTheImport_data();
    void choicesGoIntoTheImport();
    void showsTheColumns();
};

namespace {

// "FOOD", "CALORIES kJ per 100 g", or "-" for a column no field takes.
QString described(const ImportColumn& column)
{
    if (column.field == ColumnMapping::NoField) {
        return QStringLiteral("-");
    }
    const bool catalogued = column.field == ColumnMapping::CatalogueNutrient;
    QString text = catalogued ? column.nutrient.number : ColumnMapping::fieldName(column.field);
    if (ColumnMapping::hasAmounts(column)) {
        text += u' ' + ColumnMapping::unitName(column.unit) + (column.per100g ? " per 100 g" : "");
    }
    return text;
}

bool inspected(FoodImport& import)
{
    QString error;
    return import.inspect(&error) && import.format() == ImportFormat::Csv;
}

} // namespace

void TestImportColumnsModel::choicesGoIntoTheImport_data()
{
    // Each step: "row column choice", the choice as its drop-down offers it; a step that cannot
    // be taken ends in " refused".
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("mapping");
    // The rows told of a change, over all the steps.
    QTest::addColumn<QList<int>>("changedRows");
    QTest::newRow("as the header places them")
        << QStringList {} << QStringList { "FOOD", "CALORIES kcal", "-" } << QList<int> {};
    QTest::newRow("a field leaves the column that had it")
        << QStringList { "2 2 Food" } << QStringList { "-", "CALORIES kcal", "FOOD" } << QList<int> { 0, 2 };
    QTest::newRow("unit and per 100 g") << QStringList { "1 3 kJ", "1 4 per 100 g" }
                                        << QStringList { "FOOD", "CALORIES kJ per 100 g", "-" } << QList<int> { 1 };
    QTest::newRow("the same field keeps its unit")
        << QStringList { "1 3 kJ", "1 2 Calories" } << QStringList { "FOOD", "CALORIES kJ", "-" } << QList<int> { 1 };
    QTest::newRow("another field comes in its own unit")
        << QStringList { "1 3 kJ", "1 2 Fat" } << QStringList { "FOOD", "FAT g", "-" } << QList<int> { 1 };
    QTest::newRow("not imported") << QStringList { "0 2 (not imported)" } << QStringList { "-", "CALORIES kcal", "-" }
                                  << QList<int> { 0 };
    QTest::newRow("a catalogue nutrient, its unit and per 100 g")
        << QStringList { "2 2 Sodium (mg)", "2 3 g", "2 4 per 100 g" }
        << QStringList { "FOOD", "CALORIES kcal", "307 g per 100 g" } << QList<int> { 2 };
    QTest::newRow("a nutrient leaves the column that had it")
        << QStringList { "2 2 Sodium (mg)", "1 2 Sodium (mg)" } << QStringList { "FOOD", "307 mg", "-" }
        << QList<int> { 1, 2 };
    QTest::newRow("another nutrient comes in its own unit")
        << QStringList { "2 2 Sodium (mg)", "2 3 g", "2 2 Vitamin D (IU)" }
        << QStringList { "FOOD", "CALORIES kcal", "324 IU" } << QList<int> { 2 };
    QTest::newRow("no unit for the names or a column left out")
        << QStringList { "0 3 g refused", "2 4 per 100 g refused", "0 1 x refused" }
        << QStringList { "FOOD", "CALORIES kcal", "-" } << QList<int> {};
}

void TestImportColumnsModel::choicesGoIntoTheImport()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, mapping);
    QFETCH(QList<int>, changedRows);
    QTemporaryDir dir;
    const QString path = dir.filePath("foods.csv");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Name,kcal,Notes\nBagel,250,fresh\n");
    file.close();
    FoodImport import(path);
    QVERIFY(inspected(import));
    ImportColumnsModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setImport(&import);
    QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);

    for (const QString& step : steps) {
        const int row = step.section(u' ', 0, 0).toInt();
        const int column = step.section(u' ', 1, 1).toInt();
        const bool refused = step.endsWith(" refused");
        const QString choice = step.section(u' ', 2).chopped(refused ? 8 : 0);
        const QModelIndex cell = model.index(row, column);
        const int place = int(cell.data(ImportColumnsModel::ChoicesRole).toStringList().indexOf(choice));
        QCOMPARE(model.setData(cell, place), !refused);
        QCOMPARE(bool(model.flags(cell) & Qt::ItemIsEditable), column == ImportColumnsModel::FieldColumn || !refused);
        if (!refused) {
            QCOMPARE(cell.data().toString(), choice);
        }
    }
    QStringList held;
    for (const ImportColumn& column : import.mapping()) {
        held.append(described(column));
    }
    QCOMPARE(held, mapping);
    std::set<int> told;
    for (const QList<QVariant>& change : changes) {
        const auto first = change.at(0).value<QModelIndex>();
        const auto last = change.at(1).value<QModelIndex>();
        QCOMPARE(first.row(), last.row());
        told.insert(first.row());
    }
    QCOMPARE(QList<int>(told.begin(), told.end()), changedRows);
}

// The name and first values of each column, and no rows once the import is gone.
void TestImportColumnsModel::showsTheColumns()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("foods.csv");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Name;" + QByteArray(100, 'x') + "\nBagel;1\nPear;2\n");
    file.close();
    FoodImport import(path);
    QVERIFY(inspected(import));
    ImportColumnsModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setImport(&import);
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.index(0, ImportColumnsModel::SamplesColumn).data().toString(), QStringLiteral("Bagel | Pear"));
    // A long name is cut where it is shown and whole in its tip.
    const QModelIndex name = model.index(1, ImportColumnsModel::NameColumn);
    QVERIFY(name.data().toString().size() < 100);
    QVERIFY(name.data(Qt::ToolTipRole).toString().contains(QString(100, 'x')));
    QVERIFY(model.index(0, ImportColumnsModel::FieldColumn)
                .data(Qt::AccessibleTextRole)
                .toString()
                .startsWith("Food field for the column"));
    model.setImport(nullptr);
    QCOMPARE(model.rowCount(), 0);
}

QTEST_GUILESS_MAIN(TestImportColumnsModel)
#include "TestImportColumnsModel.moc"
