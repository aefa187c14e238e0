#include "TestSupport.h"
#include "core/files/TextFile.h"
#include "core/foods/FoodDatabase.h"
#include "core/storage/SqliteFoodStore.h"
#include "gui/common/Prompt.h"
#include "gui/fooddb/FoodGridDialog.h"
#include "gui/fooddb/FoodPropertiesModel.h"
#include "gui/info/QuickHelpViewer.h"

#include <QAction>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <algorithm>

#include <memory>

// Cell texts as "text@column".
using Cells = QStringList;

class TestFoodGridDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void opens_data();
    void opens();
    void layout();
    void findText_data();
    void findText();
    void progressBarSweepsEachColumnWhileSearching();
    void secondSearchRemovesFirstMarks();
    void sortOnClickedColumn_data();
    void sortOnClickedColumn();
    void sortSelectedRowsOnly();
    void sortAfterSearchUsesColumnOfLastMatch();
    void saveTable();
    void saveTableFailureNamesFile();
    void unreadableTableGivesMessageAndEmptyGrid();
    void quickHelpOpensModally();
    void closeButtonCloses();
    void nutrientColumns_data();
    void nutrientColumns();

private:
    void open(bool sortedByName);
    QTableView* grid() const { return m_window->findChild<QTableView*>(QStringLiteral("MSFlexGrid1")); }
    QPushButton* button(const char* name) const { return m_window->findChild<QPushButton*>(QLatin1String(name)); }
    QStringList column(int c) const;
    Cells markedCells() const;
    void clickCell(int row, int column, Qt::KeyboardModifiers modifiers = {});
    void search(const QString& text, bool byEnter = false);

    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<UserFiles> m_files;
    std::unique_ptr<SqliteFoodStore> m_database;
    std::unique_ptr<FoodGridDialog> m_window;
};

void TestFoodGridDialog::init()
{
    Prompt::setAnswering(true);
    m_folder = std::make_unique<TestFolder>();
    m_folder->createFoods({
        foodRow(QStringLiteral("Chicken Breast"), QStringLiteral("1 cup"), { "120", "0", "3", "0", "85", "3", "0" }),
        foodRow(QStringLiteral("apple pie"), QStringLiteral("1 slice"), { "10", "40", "12", "20", "0", "8", "2" }),
        foodRow(
            QStringLiteral("Banana"), QStringLiteral("1 Cup (150 g)"), { "2", "27", "0.4", "14", "0", "2", "3.12" }),
        foodRow(QStringLiteral("fried CHICKEN"), QStringLiteral("piece"), { "n/a", "12.5g" }),
    });
    m_files = m_folder->files();
    m_database = std::make_unique<SqliteFoodStore>(m_files->foodDatabasePath());
}

void TestFoodGridDialog::cleanup()
{
    m_window.reset();
    m_database.reset();
    m_folder.reset();
}

void TestFoodGridDialog::open(bool sortedByName)
{
    m_window = std::make_unique<FoodGridDialog>(*m_files, *m_database, sortedByName, nullptr);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

QStringList TestFoodGridDialog::column(int c) const
{
    QStringList texts;
    const QAbstractItemModel* model = grid()->model();
    for (int r = 0; r < model->rowCount(); ++r) {
        texts.append(model->index(r, c).data().toString());
    }
    return texts;
}

Cells TestFoodGridDialog::markedCells() const
{
    Cells cells;
    const QAbstractItemModel* model = grid()->model();
    for (int c = 0; c < model->columnCount(); ++c) {
        for (int r = 0; r < model->rowCount(); ++r) {
            const QModelIndex cell = model->index(r, c);
            if (cell.data(Qt::FontRole).value<QFont>().bold()) {
                cells.append(QStringLiteral("%1@%2").arg(cell.data().toString()).arg(c));
            }
        }
    }
    return cells;
}

void TestFoodGridDialog::clickCell(int row, int column, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex cell = grid()->model()->index(row, column);
    grid()->scrollTo(cell);
    QTest::mouseClick(grid()->viewport(), Qt::LeftButton, modifiers, grid()->visualRect(cell).center());
}

void TestFoodGridDialog::search(const QString& text, bool byEnter)
{
    auto* field = m_window->findChild<QLineEdit*>(QStringLiteral("Text1"));
    field->clear();
    QTest::keyClicks(field, text);
    if (byEnter) {
        QTest::keyClick(field, Qt::Key_Return);
    } else {
        QTest::mouseClick(button("cmdFindTxt"), Qt::LeftButton);
    }
}

void TestFoodGridDialog::opens_data()
{
    QTest::addColumn<bool>("sortedByName");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("from the main window, by name")
        << true << QStringList { "Banana", "Chicken Breast", "apple pie", "fried CHICKEN" };
    QTest::newRow("from the editor, in table order")
        << false << QStringList { "Chicken Breast", "apple pie", "Banana", "fried CHICKEN" };
}

void TestFoodGridDialog::opens()
{
    QFETCH(bool, sortedByName);
    QFETCH(QStringList, names);
    open(sortedByName);
    QCOMPARE(m_window->windowTitle(), QStringLiteral("View Food Properties"));
    QCOMPARE(column(0), names);
    QCOMPARE(grid()->model()->columnCount(), 10);
    QCOMPARE(grid()->currentIndex(), grid()->model()->index(0, 0));
    QCOMPARE(markedCells(), Cells {});
    QVERIFY(Prompt::shown().isEmpty());
}

void TestFoodGridDialog::layout()
{
    open(true);
    QVERIFY(!grid()->horizontalHeader()->isVisible());
    QVERIFY(!grid()->verticalHeader()->isVisible());
    QCOMPARE(grid()->verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
    const int standard = grid()->horizontalHeader()->defaultSectionSize();
    const QList<int> widths { 3650 / 15, standard, standard, 1300 / 15, standard, standard, 1200 / 15, standard,
        standard, standard };
    // Each column has its described width, or more where its bold caption needs the room.
    for (int c = 0; c < 10; ++c) {
        const auto* caption = m_window->findChild<QLabel*>(QStringLiteral("ColumnCaption%1").arg(c));
        QCOMPARE(grid()->columnWidth(c), std::max(widths[c], caption->sizeHint().width() + 4));
    }
    const QStringList captions { "Food", "Serving Unit", "Calories", "Carbohydrates", "Fat", "Sugar", "Cholesterol",
        "Points", "Fiber", "Sugar Alcohols" };
    for (int c = 0; c < 10; ++c) {
        auto* label = m_window->findChild<QLabel*>(QStringLiteral("ColumnCaption%1").arg(c));
        QVERIFY(label);
        QCOMPARE(label->text(), captions[c]);
        QVERIFY(label->font().bold());
        // Each caption stands over its own column.
        const QPoint columnLeft = grid()->viewport()->mapToGlobal(QPoint(grid()->columnViewportPosition(c), 0));
        if (columnLeft.x() < grid()->viewport()->mapToGlobal(QPoint(grid()->viewport()->width(), 0)).x()) {
            QCOMPARE(label->mapToGlobal(QPoint(0, 0)).x(), columnLeft.x());
            QVERIFY(label->mapToGlobal(QPoint(0, 0)).y() < grid()->mapToGlobal(QPoint(0, 0)).y());
        }
    }
    const QList<QPair<const char*, QString>> buttons { { "cmdFindTxt", "Find Text" }, { "cmdSort", "Sort" },
        { "PrintTable", "Save Food Property Table to File" }, { "LoadPlatewellHelp", "Quick Help" },
        { "cmdClose", "Close" } };
    for (const auto& [name, caption] : buttons) {
        QVERIFY2(button(name), name);
        QCOMPARE(button(name)->text(), caption);
    }
    QVERIFY(m_window->findChild<QLineEdit*>(QStringLiteral("Text1"))->text().isEmpty());
    QVERIFY(!m_window->findChild<QProgressBar*>(QStringLiteral("ProgressBar1"))->isVisible());
}

void TestFoodGridDialog::findText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Cells>("marked");
    QTest::addColumn<QString>("current");
    QTest::addColumn<bool>("byEnter");
    QTest::newRow("names in any letter case")
        << "chicken" << Cells { "Chicken Breast@0", "fried CHICKEN@0" } << "fried CHICKEN@0" << false;
    QTest::newRow("Enter in the search text")
        << "chicken" << Cells { "Chicken Breast@0", "fried CHICKEN@0" } << "fried CHICKEN@0" << true;
    QTest::newRow("serving units") << "CUP" << Cells { "1 Cup (150 g)@1", "1 cup@1" } << "1 cup@1" << false;
    QTest::newRow("numbers as shown, across columns")
        << "12" << Cells { "120@2", "12.5g@3", "12@4", "3.12@8" } << "3.12@8" << false;
    QTest::newRow("no match") << "pork" << Cells {} << "Banana@0" << false;
    QTest::newRow("empty search") << "" << Cells {} << "Banana@0" << false;
}

void TestFoodGridDialog::findText()
{
    QFETCH(QString, text);
    QFETCH(Cells, marked);
    QFETCH(QString, current);
    QFETCH(bool, byEnter);
    open(true);
    clickCell(2, 5);
    search(text, byEnter);
    QCOMPARE(markedCells(), marked);
    const QModelIndex cell = grid()->currentIndex();
    QCOMPARE(QStringLiteral("%1@%2").arg(cell.data().toString()).arg(cell.column()), current);
    QCOMPARE(grid()->selectionModel()->selectedIndexes(), QModelIndexList { cell });
    QVERIFY(!m_window->findChild<QProgressBar*>(QStringLiteral("ProgressBar1"))->isVisible());
    QVERIFY(Prompt::shown().isEmpty());
}

void TestFoodGridDialog::progressBarSweepsEachColumnWhileSearching()
{
    open(true);
    auto* bar = m_window->findChild<QProgressBar*>(QStringLiteral("ProgressBar1"));
    int sweeps = 0;
    bool visibleThroughout = true;
    connect(bar, &QProgressBar::valueChanged, this, [&](int value) {
        visibleThroughout = visibleThroughout && bar->isVisible();
        if (value == bar->maximum()) {
            ++sweeps;
        }
    });
    search(QString());
    QCOMPARE(bar->minimum(), 0);
    QCOMPARE(bar->maximum(), 3);
    QCOMPARE(sweeps, 10);
    QVERIFY(visibleThroughout);
    QVERIFY(!bar->isVisible());
}

void TestFoodGridDialog::secondSearchRemovesFirstMarks()
{
    open(true);
    search(QStringLiteral("apple"));
    QCOMPARE(markedCells(), Cells { "apple pie@0" });
    search(QStringLiteral("piece"));
    QCOMPARE(markedCells(), Cells { "piece@1" });
}

void TestFoodGridDialog::sortOnClickedColumn_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("food names") << 0 << QStringList { "Banana", "Chicken Breast", "apple pie", "fried CHICKEN" };
    QTest::newRow("serving units") << 1 << QStringList { "Banana", "Chicken Breast", "apple pie", "fried CHICKEN" };
    QTest::newRow("numbers stored as text, 2 before 10")
        << 2 << QStringList { "Banana", "apple pie", "Chicken Breast", "fried CHICKEN" };
    QTest::newRow("numbers and texts mixed")
        << 3 << QStringList { "Chicken Breast", "Banana", "apple pie", "fried CHICKEN" };
}

void TestFoodGridDialog::sortOnClickedColumn()
{
    QFETCH(int, column);
    QFETCH(QStringList, names);
    open(false);
    clickCell(1, column);
    QTest::mouseClick(button("cmdSort"), Qt::LeftButton);
    QCOMPARE(this->column(0), names);
    // Rows move whole: each food keeps its own serving unit.
    const QStringList units = this->column(1);
    for (int r = 0; r < names.size(); ++r) {
        const QString expected = names[r] == "Banana" ? "1 Cup (150 g)"
            : names[r] == "Chicken Breast"            ? "1 cup"
            : names[r] == "apple pie"                 ? "1 slice"
                                                      : "piece";
        QCOMPARE(units[r], expected);
    }
    QCOMPARE(grid()->currentIndex(), grid()->model()->index(1, column));
}

void TestFoodGridDialog::sortSelectedRowsOnly()
{
    open(false);
    // Rows 1 to 3 of Calories hold 10, 2 and n/a; row 0 (120) stays where it is.
    clickCell(1, 2);
    clickCell(3, 2, Qt::ShiftModifier);
    QTest::mouseClick(button("cmdSort"), Qt::LeftButton);
    QCOMPARE(column(0), (QStringList { "Chicken Breast", "Banana", "apple pie", "fried CHICKEN" }));
    QCOMPARE(grid()->selectionModel()->selectedIndexes().size(), 3);
}

void TestFoodGridDialog::sortAfterSearchUsesColumnOfLastMatch()
{
    open(true);
    search(QStringLiteral("12"));
    QCOMPARE(grid()->currentIndex().column(), 8);
    QTest::mouseClick(button("cmdSort"), Qt::LeftButton);
    // Fiber: 0, 2, 3.12, then the empty text.
    QCOMPARE(column(0), (QStringList { "Chicken Breast", "apple pie", "Banana", "fried CHICKEN" }));
    // The marks went with their rows.
    QCOMPARE(markedCells(), (Cells { "120@2", "12.5g@3", "12@4", "3.12@8" }));
    QVERIFY(grid()->model()->index(1, 4).data(Qt::FontRole).value<QFont>().bold());
}

void TestFoodGridDialog::saveTable()
{
    m_files->setUserName(QStringLiteral("Ann Lee"));
    open(true);
    clickCell(0, 2);
    QTest::mouseClick(button("cmdSort"), Qt::LeftButton);
    QTest::mouseClick(button("PrintTable"), Qt::LeftButton);
    const QString path = m_folder->dataFolder() + QStringLiteral("AnnLeefoodpropertytable.txt");
    QCOMPARE(Prompt::shown().size(), 1);
    QCOMPARE(Prompt::shown().first().kind, Prompt::Kind::Message);
    QVERIFY2(Prompt::shown().first().text.contains(QDir::toNativeSeparators(path)),
        qPrintable(Prompt::shown().first().text));
    QStringList lines;
    QString error;
    QVERIFY2(TextFile::readLines(path, &lines, &error), qPrintable(error));
    QCOMPARE(lines,
        (QStringList {
            "Food\tServing Unit\tCalories\tCarbohydrates\tFat\tSugar\tCholesterol\tPoints\tFiber\tSugar Alcohols",
            "Banana\t1 Cup (150 g)\t2\t27\t0.4\t14\t0\t2\t3.12\t", "apple pie\t1 slice\t10\t40\t12\t20\t0\t8\t2\t",
            "Chicken Breast\t1 cup\t120\t0\t3\t0\t85\t3\t0\t", "fried CHICKEN\tpiece\tn/a\t12.5g\t\t\t\t\t\t" }));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().endsWith("\t\r\n"));
}

void TestFoodGridDialog::saveTableFailureNamesFile()
{
    const QString path = m_files->perUserFile(QStringLiteral("foodpropertytable"));
    QVERIFY(QDir().mkpath(path));
    open(true);
    QTest::mouseClick(button("PrintTable"), Qt::LeftButton);
    QCOMPARE(Prompt::shown().size(), 1);
    QCOMPARE(Prompt::shown().first().title, QStringLiteral("Error"));
    QVERIFY2(Prompt::shown().first().text.contains(QDir::toNativeSeparators(path)),
        qPrintable(Prompt::shown().first().text));
}

void TestFoodGridDialog::unreadableTableGivesMessageAndEmptyGrid()
{
    QFile file(m_folder->databasePath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("not a food table");
    file.close();
    open(true);
    QCOMPARE(grid()->model()->rowCount(), 0);
    QCOMPARE(Prompt::shown().size(), 1);
    QCOMPARE(Prompt::shown().first().title, QStringLiteral("Error"));
    QVERIFY(Prompt::shown().first().text.contains(QStringLiteral("not an SQLite food table")));
    // Without the table there is nothing to find, sort or save: a saved file of the empty grid
    // would replace the user's good one.
    const QString saved = m_files->perUserFile(QStringLiteral("foodpropertytable"));
    QFile old(saved);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("earlier table");
    old.close();
    for (const char* command : { "cmdFindTxt", "cmdSort", "PrintTable" }) {
        QVERIFY2(!button(command)->isEnabled(), command);
        QTest::mouseClick(button(command), Qt::LeftButton);
    }
    QCOMPARE(Prompt::shown().size(), 1);
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("earlier table"));
    QVERIFY(button("cmdClose")->isEnabled());
}

void TestFoodGridDialog::quickHelpOpensModally()
{
    open(true);
    QString opened;
    whenModal([&](QWidget* modal) {
        opened = modal->objectName();
        modal->close();
    });
    QTest::mouseClick(button("LoadPlatewellHelp"), Qt::LeftButton);
    QCOMPARE(opened, QStringLiteral("PlatewellHelp"));
    QVERIFY(m_window->isVisible());
}

void TestFoodGridDialog::closeButtonCloses()
{
    open(true);
    QTest::mouseClick(button("cmdClose"), Qt::LeftButton);
    QVERIFY(!m_window->isVisible());
}

void TestFoodGridDialog::nutrientColumns_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("onColumn");
    QTest::addColumn<QStringList>("protein");
    QTest::addColumn<QStringList>("sodium");
    QTest::addColumn<Cells>("marked");
    QTest::newRow("as read") << "" << 0 << QStringList { "25.5", "2", "", "18.25" }
                             << QStringList { "70", "", "1", "0" } << Cells {};
    QTest::newRow("sorted on protein, unknown last")
        << "sort" << 10 << QStringList { "2", "18.25", "25.5", "" } << QStringList { "", "0", "70", "1" } << Cells {};
    QTest::newRow("sorted on sodium, unknown last")
        << "sort" << 11 << QStringList { "18.25", "", "25.5", "2" } << QStringList { "0", "1", "70", "" } << Cells {};
    QTest::newRow("found in a nutrient column")
        << "find 25" << 0 << QStringList { "25.5", "2", "", "18.25" } << QStringList { "70", "", "1", "0" }
        << Cells { "25.5@10", "18.25@10" };
    QTest::newRow("found as shown") << "find 8.2" << 0 << QStringList { "25.5", "2", "", "18.25" }
                                    << QStringList { "70", "", "1", "0" } << Cells { "18.25@10" };
}

void TestFoodGridDialog::nutrientColumns()
{
    QFETCH(QString, action);
    QFETCH(int, onColumn);
    QFETCH(QStringList, protein);
    QFETCH(QStringList, sodium);
    QFETCH(Cells, marked);
    // Protein and sodium as the food table keeps them; an absent one is unknown.
    const QList<QHash<QString, double>> values { { { "203", 25.5 }, { "307", 70 } }, { { "203", 2 } }, { { "307", 1 } },
        { { "203", 18.25 }, { "307", 0 } } };
    {
        QString error;
        std::vector<TextColumn> names;
        std::vector<qint64> rows;
        QVERIFY2(m_database->refresh(&error) && m_database->readColumns({ FoodDatabase::FOOD }, &names, &rows, &error),
            qPrintable(error));
        for (std::size_t row = 0; row < rows.size(); ++row) {
            FoodNutrientChanges changes;
            for (auto value = values[int(row)].cbegin(); value != values[int(row)].cend(); ++value) {
                changes.values.insert(value.key(), value.value());
            }
            QVERIFY2(m_database->writeFoodNutrients(rows[row], names[0].at(qsizetype(row)), changes, &error),
                qPrintable(error));
        }
    }
    open(false);
    QCOMPARE(grid()->model()->columnCount(), 10);
    auto* proteinColumn = m_window->findChild<QAction*>(QStringLiteral("nutrientColumn_203"));
    auto* sodiumColumn = m_window->findChild<QAction*>(QStringLiteral("nutrientColumn_307"));
    QVERIFY(proteinColumn && sodiumColumn);
    QVERIFY(button("nutrientColumns")->isEnabled());
    proteinColumn->trigger();
    sodiumColumn->trigger();
    QCOMPARE(grid()->model()->columnCount(), 12);
    QVERIFY(m_window->findChild<QLabel*>(QStringLiteral("ColumnCaption10"))->text().endsWith(QStringLiteral("(g)")));
    QVERIFY(m_window->findChild<QLabel*>(QStringLiteral("ColumnCaption11"))->text().endsWith(QStringLiteral("(mg)")));
    if (action == QLatin1String("sort")) {
        clickCell(0, onColumn);
        QTest::mouseClick(button("cmdSort"), Qt::LeftButton);
    } else if (action.startsWith(QLatin1String("find "))) {
        search(action.mid(5));
    }
    QCOMPARE(column(10), protein);
    QCOMPARE(column(11), sodium);
    Cells found = markedCells();
    std::sort(found.begin(), found.end());
    std::sort(marked.begin(), marked.end());
    QCOMPARE(found, marked);

    // Unchosen again, the column goes and the others stay.
    proteinColumn->trigger();
    QCOMPARE(grid()->model()->columnCount(), 11);
    QVERIFY(!proteinColumn->isChecked());
    QVERIFY(Prompt::shown().isEmpty());
}

QTEST_MAIN(TestFoodGridDialog)
#include "TestFoodGridDialog.moc"
