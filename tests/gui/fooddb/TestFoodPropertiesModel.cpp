#include "TestSupport.h"
#include "core/foods/FoodDatabase.h"
#include "core/search/FoodNameIndex.h"
#include "core/storage/SqliteFoodStore.h"
#include "core/text/UpperColumn.h"
#include "gui/fooddb/FoodPropertiesModel.h"

#include <QAbstractItemModelTester>
#include <QFont>
#include <QSignalSpy>
#include <QTest>

using Rows = QList<QStringList>;
// Cells as "row,column", the way the expectations below list them.
using Cells = QStringList;

namespace {

// Ten columns from rows of cells; missing cells are empty.
std::vector<TextColumn> columnsOf(const Rows& rows)
{
    std::vector<TextColumn> columns(FoodPropertiesModel::ColumnCount);
    for (const QStringList& row : rows) {
        for (int c = 0; c < FoodPropertiesModel::ColumnCount; ++c) {
            columns[static_cast<std::size_t>(c)].append(row.value(c));
        }
    }
    return columns;
}

Cells markedCells(const FoodPropertiesModel& model)
{
    Cells cells;
    for (int c = 0; c < model.columnCount(); ++c) {
        for (int r = 0; r < model.rowCount(); ++r) {
            if (model.isMarked(r, c)) {
                cells.append(QStringLiteral("%1,%2").arg(r).arg(c));
            }
        }
    }
    return cells;
}

QString cellName(const QModelIndex& index)
{
    return QStringLiteral("%1,%2").arg(index.row()).arg(index.column());
}

QStringList column(const FoodPropertiesModel& model, int c)
{
    QStringList texts;
    for (int r = 0; r < model.rowCount(); ++r) {
        texts.append(model.cellText(r, c));
    }
    return texts;
}

} // namespace

class TestFoodPropertiesModel : public QObject
{
    Q_OBJECT

private slots:
    void passesModelTester();
    void find_data();
    void find();
    void secondSearchClearsFirst();
    void boldIsTheFontRole();
    void progressSweepsEveryColumn_data();
    void progressSweepsEveryColumn();
    void sort_data();
    void sort();
    void marksAndPersistentIndexesMoveWithRows();
    void tableLines();
    void loadsTableAndNameOrder();
    void nameSearch_data();
    void nameSearch();
    void nameIndexFollowsEdits();
};

void TestFoodPropertiesModel::passesModelTester()
{
    FoodPropertiesModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setColumns(columnsOf({ { QStringLiteral("Pear"), QStringLiteral("1 cup"), QStringLiteral("10") },
        { QStringLiteral("apple"), QStringLiteral("1 Cup"), QStringLiteral("2") },
        { QStringLiteral("Fig"), QStringLiteral("each"), QStringLiteral("n/a") } }));
    QPersistentModelIndex pear = model.index(0, 2);
    model.find(QStringLiteral("cup"));
    model.sortAll(FoodDatabase::CALORIES);
    QCOMPARE(pear.row(), 1);
    QCOMPARE(pear.data().toString(), QStringLiteral("10"));
    model.sortRows({ 0, 1 }, 0, 1);
    model.find(QString());
    model.clear();
    QCOMPARE(model.rowCount(), 0);
    QVERIFY(!model.find(QStringLiteral("x")).isValid());
}

void TestFoodPropertiesModel::find_data()
{
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<QString>("search");
    QTest::addColumn<Cells>("marked");
    QTest::addColumn<QString>("current");

    const Rows foods { { QStringLiteral("Chicken Breast"), QStringLiteral("1 cup"), QStringLiteral("120") },
        { QStringLiteral("CHICKEN SOUP"), QStringLiteral("1 Cup (245 g)"), QStringLiteral("3.12") },
        { QStringLiteral("Fried chicken"), QStringLiteral("piece"), QStringLiteral("21") },
        { QStringLiteral("Beef"), QStringLiteral("CUP"), QStringLiteral("1 2") } };
    QTest::newRow("any letter case") << foods << "chicken" << Cells { "0,0", "1,0", "2,0" } << "2,0";
    QTest::newRow("serving units") << foods << "cup" << Cells { "0,1", "1,1", "3,1" } << "3,1";
    QTest::newRow("numbers as shown") << foods << "12" << Cells { "0,2", "1,2" } << "1,2";
    QTest::newRow("last match is the last column's")
        << foods << "1" << Cells { "0,1", "1,1", "0,2", "1,2", "2,2", "3,2" } << "3,2";
    QTest::newRow("empty search marks nothing") << foods << "" << Cells {} << "0,0";
    QTest::newRow("no match") << foods << "pork" << Cells {} << "0,0";
    QTest::newRow("blank is text") << foods << " " << Cells { "0,0", "1,0", "2,0", "0,1", "1,1", "3,2" } << "3,2";
    // The packed column holds "abcd"; "bc" must not be found across the two cells.
    QTest::newRow("never across cells") << Rows { { QStringLiteral("ab") }, { QStringLiteral("cd") } } << "bc"
                                        << Cells {} << "0,0";
    // "xa" and "bab" pack to "xabab": the first hit joins the cells, the second lies in "bab".
    QTest::newRow("hit after a hit across cells")
        << Rows { { QStringLiteral("xa") }, { QStringLiteral("bab") } } << "ab" << Cells { "1,0" } << "1,0";
    QTest::newRow("empty cells between hits")
        << Rows { { QStringLiteral("xab") }, { QString() }, { QString() }, { QStringLiteral("ab") } } << "AB"
        << Cells { "0,0", "3,0" } << "3,0";
    QTest::newRow("accents") << Rows { { QStringLiteral("Crème brûlée") }, { QStringLiteral("CRÈME") } } << "crème"
                             << Cells { "0,0", "1,0" } << "1,0";
    QTest::newRow("accented search in a plain column")
        << Rows { { QStringLiteral("Creme") }, { QStringLiteral("Cafe") } } << "É" << Cells {} << "0,0";
    QTest::newRow("plain search beside accents")
        << Rows { { QStringLiteral("Crème") }, { QStringLiteral("Creme") } } << "creme" << Cells { "1,0" } << "1,0";
    // Upper-casing "ß" gives "SS": the cells after it must still be found where they are.
    QTest::newRow("text that grows when upper-cased")
        << Rows { { QStringLiteral("Straße") }, { QStringLiteral("Wurst") }, { QStringLiteral("strasse") } }
        << "STRASSE" << Cells { "0,0", "2,0" } << "2,0";
    QTest::newRow("grown text then later cells")
        << Rows { { QStringLiteral("ßß") }, { QStringLiteral("Wurst") }, { QStringLiteral("bratwurst") } } << "wurst"
        << Cells { "1,0", "2,0" } << "2,0";
    // A decomposed accent shrinks when composed: the cells after it must still be found too.
    QTest::newRow("decomposed and composed accents")
        << Rows { { QStringLiteral("Cre\u0300me") }, { QStringLiteral("Cr\u00e8me") }, { QStringLiteral("Creme") } }
        << QStringLiteral("CRE\u0300ME") << Cells { "0,0", "1,0" } << "1,0";
    QTest::newRow("empty grid") << Rows {} << "x" << Cells {} << "";
}

void TestFoodPropertiesModel::find()
{
    QFETCH(Rows, rows);
    QFETCH(QString, search);
    QFETCH(Cells, marked);
    QFETCH(QString, current);
    FoodPropertiesModel model;
    model.setColumns(columnsOf(rows));
    const QModelIndex last = model.find(search);
    QCOMPARE(markedCells(model), marked);
    QCOMPARE(model.markedCount(), marked.size());
    QCOMPARE(last.isValid() ? cellName(last) : QString(), current);
}

void TestFoodPropertiesModel::secondSearchClearsFirst()
{
    FoodPropertiesModel model;
    model.setColumns(columnsOf(
        { { QStringLiteral("Apple"), QStringLiteral("cup") }, { QStringLiteral("Banana"), QStringLiteral("each") } }));
    model.find(QStringLiteral("apple"));
    QCOMPARE(markedCells(model), Cells { "0,0" });
    model.find(QStringLiteral("EACH"));
    QCOMPARE(markedCells(model), Cells { "1,1" });
    model.find(QString());
    QCOMPARE(markedCells(model), Cells {});
}

void TestFoodPropertiesModel::boldIsTheFontRole()
{
    FoodPropertiesModel model;
    model.setColumns(columnsOf({ { QStringLiteral("Apple") }, { QStringLiteral("Banana") } }));
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.find(QStringLiteral("nan"));
    QCOMPARE(changed.size(), 1);
    QVERIFY(model.index(1, 0).data(Qt::FontRole).value<QFont>().bold());
    QVERIFY(!model.index(0, 0).data(Qt::FontRole).isValid());
    QCOMPARE(model.index(1, 0).data().toString(), QStringLiteral("Banana"));
    QVERIFY(!(model.flags(model.index(1, 0)) & Qt::ItemIsEditable));
}

void TestFoodPropertiesModel::progressSweepsEveryColumn_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("search");
    QTest::newRow("empty search") << 3 << "";
    QTest::newRow("search") << 3 << "food";
    QTest::newRow("several chunks") << 20000 << "7";
}

void TestFoodPropertiesModel::progressSweepsEveryColumn()
{
    QFETCH(int, rows);
    QFETCH(QString, search);
    Rows table;
    for (int r = 0; r < rows; ++r) {
        table.append({ QStringLiteral("food %1").arg(r), QString::number(r) });
    }
    FoodPropertiesModel model;
    model.setColumns(columnsOf(table));
    QList<int> sweeps(FoodPropertiesModel::ColumnCount, -1);
    int lastColumn = -1;
    bool inOrder = true;
    model.find(search, [&](int column, int row) {
        inOrder = inOrder && column >= lastColumn && row >= (column == lastColumn ? sweeps[column] : 0);
        lastColumn = column;
        sweeps[column] = row;
    });
    QVERIFY(inOrder);
    QCOMPARE(sweeps, QList<int>(FoodPropertiesModel::ColumnCount, rows - 1));
}

void TestFoodPropertiesModel::sort_data()
{
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<std::vector<int>>("keys");
    QTest::addColumn<int>("firstRow");
    QTest::addColumn<int>("lastRow");
    QTest::addColumn<QStringList>("names");

    const auto row = [](const char* name, const char* unit, const char* calories) {
        return QStringList { QString::fromUtf8(name), QString::fromUtf8(unit), QString::fromUtf8(calories) };
    };
    const Rows foods { row("banana", "each", "10"), row("Apple", "cup", "2"), row("cherry", "cup", "1.5"),
        row("apple", "each", "2") };
    QTest::newRow("text column") << foods << std::vector<int> { 0 } << 0 << 3
                                 << QStringList { "Apple", "apple", "banana", "cherry" };
    QTest::newRow("numbers stored as text")
        << foods << std::vector<int> { 2 } << 0 << 3 << QStringList { "cherry", "Apple", "apple", "banana" };
    QTest::newRow("two keys left to right")
        << foods << std::vector<int> { 1, 2 } << 0 << 3 << QStringList { "cherry", "Apple", "apple", "banana" };
    QTest::newRow("second key decides") << foods << std::vector<int> { 1, 0 } << 0 << 3
                                        << QStringList { "Apple", "cherry", "apple", "banana" };
    QTest::newRow("selected rows only") << foods << std::vector<int> { 2 } << 1 << 3
                                        << QStringList { "banana", "cherry", "Apple", "apple" };
    const Rows mixed { row("a", "", "abc"), row("b", "", "10"), row("c", "", ""), row("d", "", "2"),
        row("e", "", "n/a"), row("f", "", "-1"), row("g", "", "12.5g"), row("h", "", " 2 ") };
    QTest::newRow("numbers before texts")
        << mixed << std::vector<int> { 2 } << 0 << 7 << QStringList { "f", "d", "h", "b", "c", "g", "a", "e" };
}

void TestFoodPropertiesModel::sort()
{
    QFETCH(Rows, rows);
    QFETCH(std::vector<int>, keys);
    QFETCH(int, firstRow);
    QFETCH(int, lastRow);
    QFETCH(QStringList, names);
    FoodPropertiesModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setColumns(columnsOf(rows));
    model.sortRows(keys, firstRow, lastRow);
    QCOMPARE(column(model, 0), names);
    // Sorting again changes nothing: equal rows keep their order.
    model.sortRows(keys, firstRow, lastRow);
    QCOMPARE(column(model, 0), names);
}

void TestFoodPropertiesModel::marksAndPersistentIndexesMoveWithRows()
{
    FoodPropertiesModel model;
    model.setColumns(columnsOf({ { QStringLiteral("c"), QStringLiteral("x") }, { QStringLiteral("b"), QString() },
        { QStringLiteral("a"), QStringLiteral("x") } }));
    model.find(QStringLiteral("x"));
    const QPersistentModelIndex a(model.index(2, 0));
    model.sortAll(0);
    QCOMPARE(column(model, 0), (QStringList { "a", "b", "c" }));
    QCOMPARE(markedCells(model), (Cells { "0,1", "2,1" }));
    QCOMPARE(a.row(), 0);
    QCOMPARE(a.data().toString(), QStringLiteral("a"));
    // After a sort the search reports grid positions, not table positions.
    QCOMPARE(cellName(model.find(QStringLiteral("c"))), QStringLiteral("2,0"));
}

void TestFoodPropertiesModel::tableLines()
{
    FoodPropertiesModel model;
    model.setColumns(columnsOf({ { QStringLiteral("Tea\tgreen"), QStringLiteral("1 cup"), QStringLiteral("2") },
        { QStringLiteral("Jam\r\nberry"), QStringLiteral("tbsp"), QString(), QStringLiteral("13") } }));
    model.sortAll(0);
    const QStringList lines = model.tableLines();
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0],
        QStringLiteral("Food\tServing Unit\tCalories\tCarbohydrates\tFat\tSugar\tCholesterol\tPoints\tFiber\tSugar "
                       "Alcohols"));
    QCOMPARE(lines[1], QStringLiteral("Jam  berry\ttbsp\t\t13\t\t\t\t\t\t"));
    QCOMPARE(lines[2], QStringLiteral("Tea green\t1 cup\t2\t\t\t\t\t\t\t"));
}

void TestFoodPropertiesModel::loadsTableAndNameOrder()
{
    TestFolder folder;
    folder.createFoods({ foodRow(QStringLiteral("Pear"), QStringLiteral("each"), { QStringLiteral("57") }),
        foodRow(QStringLiteral("apple"), QStringLiteral("1 cup"), { QStringLiteral("12.5g") }),
        foodRow(QStringLiteral("Apple"), QStringLiteral("1 medium"), { QStringLiteral("n/a") }),
        foodRow(QStringLiteral("7 Up"), QStringLiteral("can"), { QStringLiteral("150") }) });
    SqliteFoodStore database(folder.databasePath());
    QString error;
    QVERIFY2(database.refresh(&error), qPrintable(error));
    FoodPropertiesModel model;
    QVERIFY2(model.load(database, &error), qPrintable(error));
    QCOMPARE(column(model, 0), (QStringList { "Pear", "apple", "Apple", "7 Up" }));
    QCOMPARE(column(model, 2), (QStringList { "57", "12.5g", "n/a", "150" }));
    QVERIFY2(model.load(database, &error, true), qPrintable(error));
    QCOMPARE(column(model, 0), (QStringList { "7 Up", "Apple", "Pear", "apple" }));
    QCOMPARE(column(model, 1), (QStringList { "can", "1 medium", "each", "1 cup" }));
}

void TestFoodPropertiesModel::nameSearch_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("current");
    QTest::addColumn<QString>("term");
    QTest::addColumn<int>("found");

    const QStringList names { "Garlic Bread", "Milk", "BREAD STICKS", "Soup", "Rye bread" };
    QTest::newRow("next match after current") << names << 0 << "bread" << 2;
    QTest::newRow("matches to the end") << names << 2 << "bread" << 4;
    QTest::newRow("wraps to the first") << names << 4 << "bread" << 0;
    QTest::newRow("only match is current") << names << 3 << "SOUP" << 3;
    QTest::newRow("no match gives first") << names << 3 << "pizza" << 0;
    QTest::newRow("inner text") << names << 0 << "ead st" << 2;
    QTest::newRow("never across names") << QStringList { "ab", "cd" } << 1 << "bc" << 0;
    QTest::newRow("empty name never matches") << QStringList { "", "x", "" } << 1 << "x" << 1;
    QTest::newRow("empty term stays") << names << 3 << "" << 3;
    QTest::newRow("a term beyond ASCII among plain names") << names << 1 << QStringLiteral("br\u00e8ad") << 0;
    QTest::newRow("a hit that ends at the last name's end") << names << 4 << "rye BREAD" << 4;
    const QStringList accents { QStringLiteral("Creme"), QStringLiteral("Cre\u0300me caramel"),
        QStringLiteral("Cr\u00e8me br\u00fbl\u00e9e"), QStringLiteral("Wei\u00dfwurst"),
        QStringLiteral("K\u0131s\u0131r") };
    QTest::newRow("composed accent finds a decomposed one") << accents << 0 << QStringLiteral("cr\u00e8me") << 1;
    QTest::newRow("decomposed accent finds a composed one") << accents << 1 << QStringLiteral("CRE\u0300ME") << 2;
    QTest::newRow("accents still count") << accents << 1 << "creme" << 0;
    QTest::newRow("sharp s") << accents << 0 << "WEISSWURST" << 3;
    QTest::newRow("dotless i") << accents << 0 << "KISIR" << 4;
}

void TestFoodPropertiesModel::nameSearch()
{
    QFETCH(QStringList, names);
    QFETCH(int, current);
    QFETCH(QString, term);
    QFETCH(int, found);
    FoodNameIndex index;
    for (int i = 0; i < names.size(); ++i) {
        index.append(100 + i, names[i]);
    }
    QCOMPARE(index.search(current, term), found);
}

void TestFoodPropertiesModel::nameIndexFollowsEdits()
{
    FoodNameIndex index;
    QCOMPARE(index.search(0, QStringLiteral("a")), -1);
    index.append(1, QStringLiteral("Apple"));
    index.append(2, QStringLiteral("Banana"));
    index.append(3, QStringLiteral("Cherry"));
    index.rename(1, QStringLiteral("Blueberry"));
    QCOMPARE(index.search(0, QStringLiteral("blue")), 1);
    index.remove(0);
    QCOMPARE(index.size(), 2);
    QCOMPARE(index.rowid(0), 2);
    QCOMPARE(index.search(1, QStringLiteral("cherry")), 1);
    QCOMPARE(index.search(1, QStringLiteral("BERRY")), 0);
    // A row read again keeps its place by rowid; a row another program deleted comes back in its place.
    QCOMPARE(index.recordOf(3), 1);
    QCOMPARE(index.recordOf(1), -1);
    QCOMPARE(index.keep(3, QStringLiteral("Cherry")), 1);
    QCOMPARE(index.size(), 2);
    QCOMPARE(index.keep(1, QStringLiteral("Apple")), 0);
    QCOMPARE(index.size(), 3);
    QCOMPARE(index.search(2, QStringLiteral("apple")), 0);
    QCOMPARE(index.search(0, QStringLiteral("cherry")), 2);
    QCOMPARE(UpperColumn::upper(QStringLiteral("straße")), QStringLiteral("STRASSE"));
}

QTEST_MAIN(TestFoodPropertiesModel)
#include "TestFoodPropertiesModel.moc"
