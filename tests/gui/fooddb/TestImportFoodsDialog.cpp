#include "TestSupport.h"
#include "core/foods/FoodDatabase.h"
#include "core/imports/ColumnMapping.h"
#include "core/nutrients/NutrientCatalogue.h"
#include "core/storage/SqliteFoodStore.h"
#include "gui/common/Prompt.h"
#include "gui/fooddb/ImportFoodsDialog.h"
#include "gui/planner/FoodListModel.h"
#include "gui/planner/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <memory>

#include <sys/stat.h>

Q_DECLARE_METATYPE(FoodNutrients)

// The Import Foods and Export Foods commands of the main window, driven through the real windows
// over a real food table: the columns a CSV file's header places, the user's own choice of them,
// Cancel while the import runs, sources that cannot be imported, and the food list afterwards.
class TestImportFoodsDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void importsThroughTheWindow_data();
    void importsThroughTheWindow();
    void enterInTheSourceBoxOnlyLooks();
    void enterInTheFilterBoxOnlyFinds();
    void numbersFollowTheColumns();
    void aPipeIsLeftToTheCommandLine();
    void wheelTurnsOnlyAFocusedChoice();
    void unitsAndAmountsGoIntoTheImport();
    void nutrientColumnsGoIntoTheImport_data();
    void nutrientColumnsGoIntoTheImport();
    void reportStaysSmall();
    void reportPlaceHoldingNoFileIsRefused_data();
    void reportPlaceHoldingNoFileIsRefused();
    void cancelLeavesTheTableAsItWas();
    void exportWritesTheTable();

private:
    QString writeFile(const QString& name, const QByteArray& bytes) const;
    QByteArray tableBytes() const;

    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<Workspace> m_workspace;
    std::unique_ptr<MainWindow> m_window;
};

void TestImportFoodsDialog::init()
{
    Prompt::setAnswering(true);
    Prompt::clearShown();
    m_folder = std::make_unique<TestFolder>();
    m_folder->createFoods({ foodRow("Apple", "1 medium", { "95" }) });
    m_workspace = m_folder->workspace();
    m_window = std::make_unique<MainWindow>(*m_workspace);
    m_window->show();
}

void TestImportFoodsDialog::cleanup()
{
    m_window.reset();
    m_folder.reset();
    Prompt::setAnswering(false);
}

QString TestImportFoodsDialog::writeFile(const QString& name, const QByteArray& bytes) const
{
    const QString path = m_folder->path() + u'/' + name;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(bytes);
    }
    return path;
}

QByteArray TestImportFoodsDialog::tableBytes() const
{
    QFile file(m_folder->databasePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestImportFoodsDialog::importsThroughTheWindow_data()
{
    QTest::addColumn<QByteArray>("content");
    // The field chosen for each column ("" keeps what the header placed); an empty list: the
    // source cannot be imported at all.
    QTest::addColumn<QStringList>("choices");
    QTest::addColumn<QStringList>("foodsAfter");
    QTest::addColumn<QString>("message");
    // Whether Import can be pressed once the choices are made.
    QTest::addColumn<bool>("startable");
    QTest::newRow("header placed") << QByteArray("Name,kcal,Carbs,Notes\nBagel,250,48,fresh\nApple,1,1,x\n")
                                   << QStringList { "", "", "", "" } << QStringList { "Apple", "Bagel" }
                                   << "Foods added: 1" << true;
    QTest::newRow("user places a column")
        << QByteArray("Item;Energie\nBrezel;300\n") << QStringList { "Food", "Calories" }
        << QStringList { "Apple", "Brezel" } << "Foods added: 1" << true;
    // Without a column of names there is nothing to import, so Import is not offered.
    QTest::newRow("name left out") << QByteArray("Name,kcal\nBagel,250\n") << QStringList { "(not imported)", "" }
                                   << QStringList { "Apple" } << "" << false;
    QTest::newRow("no name in the header")
        << QByteArray("Colour,kcal\nBagel,250\n") << QStringList { "", "" } << QStringList { "Apple" } << "" << false;
    // A field chosen for a second column leaves the first.
    QTest::newRow("names from another column")
        << QByteArray("Name,Label,kcal\nx,Bagel,250\n") << QStringList { "", "Food", "" }
        << QStringList { "Apple", "Bagel" } << "Foods added: 1" << true;
    QTest::newRow("another kind of file")
        << QByteArray("\x89PNG\r\n\x1a\n\0\0\0", 11) << QStringList {} << QStringList { "Apple" } << "" << false;
}

void TestImportFoodsDialog::importsThroughTheWindow()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, choices);
    QFETCH(QStringList, foodsAfter);
    QFETCH(QString, message);
    QFETCH(bool, startable);
    const QString source = writeFile("foods.csv", content);
    const QByteArray before = tableBytes();
    bool started = false;
    whenModal([&](QWidget* window) {
        auto* dialog = qobject_cast<ImportFoodsDialog*>(window);
        QVERIFY(dialog);
        dialog->setSource(source);
        auto* start = dialog->findChild<QPushButton*>("ImportStart");
        for (int c = 0; c < choices.size(); ++c) {
            if (!choices[c].isEmpty()) {
                auto* field = dialog->findChild<QComboBox*>(QStringLiteral("ImportField%1").arg(c + 1));
                QVERIFY(field);
                field->setCurrentIndex(field->findText(choices[c]));
            }
        }
        started = start->isEnabled();
        if (started) {
            start->click();
        }
        if (dialog->isVisible()) {
            dialog->reject();
        }
    });
    m_window->findChild<QAction*>("mnuItemImportFoods")->trigger();
    QCOMPARE(started, startable);
    QStringList shown;
    for (int r = 0; r < m_window->foodListModel()->rowCount(); ++r) {
        shown.append(m_window->foodListModel()->index(r, 0).data().toString());
    }
    QCOMPARE(shown, foodsAfter);
    if (message.isEmpty()) {
        QVERIFY(Prompt::shown().isEmpty());
    } else {
        QVERIFY2(Prompt::shown().last().text.contains(message), qPrintable(Prompt::shown().last().text));
    }
    if (foodsAfter.size() == 1) {
        QCOMPARE(tableBytes(), before);
    }
}

void TestImportFoodsDialog::enterInTheSourceBoxOnlyLooks()
{
    const QString source = writeFile("foods.csv", "Name,kcal\nBagel,250\n");
    const QByteArray before = tableBytes();
    ImportFoodsDialog dialog(m_workspace->files());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* box = dialog.findChild<QLineEdit*>("ImportSource");
    box->setFocus();
    QTest::keyClicks(box, source);
    QTest::keyClick(box, Qt::Key_Return);
    // The file was looked at and its columns are shown; nothing was imported.
    const QString kind = dialog.findChild<QLabel*>("ImportKind")->text();
    QVERIFY2(kind.startsWith("A CSV file with 2 column"), qPrintable(kind));
    QVERIFY(dialog.findChild<QPushButton*>("ImportStart")->isEnabled());
    QTest::keyClick(box, Qt::Key_Enter);
    QVERIFY(dialog.isVisible());
    QVERIFY(Prompt::shown().isEmpty());
    QCOMPARE(tableBytes(), before);
}

void TestImportFoodsDialog::enterInTheFilterBoxOnlyFinds()
{
    QByteArray header = "Name,kcal";
    for (int c = 0; c < 12; ++c) {
        header += ",Extra " + QByteArray::number(c);
    }
    const QByteArray before = tableBytes();
    ImportFoodsDialog dialog(m_workspace->files());
    dialog.setSource(writeFile("wide.csv", header + "\nBagel,250\n"));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* filter = dialog.findChild<QLineEdit*>("ImportColumnFilter");
    QVERIFY(filter->isVisible());
    QVERIFY(dialog.findChild<QPushButton*>("ImportStart")->isDefault());
    filter->setFocus();
    QTest::keyClicks(filter, "kcal");
    QTest::keyClick(filter, Qt::Key_Return);
    QTest::keyClick(filter, Qt::Key_Enter);
    auto* table = dialog.findChild<QTableView*>("ImportColumns");
    QVERIFY(table->isRowHidden(0));
    QVERIFY(!table->isRowHidden(1));
    QVERIFY(dialog.isVisible());
    QVERIFY(Prompt::shown().isEmpty());
    QCOMPARE(tableBytes(), before);
}

// The style of the numbers is told by the columns read as numbers, so it follows the user's choice.
void TestImportFoodsDialog::numbersFollowTheColumns()
{
    ImportFoodsDialog dialog(m_workspace->files());
    dialog.setSource(writeFile("fat.csv", "Food,Note,kcal\nBagel,\"1,5\",250\n"));
    auto* numbers = dialog.findChild<QLabel*>("ImportNumbers");
    QVERIFY2(numbers->text().contains("1,234.5"), qPrintable(numbers->text()));
    auto* note = dialog.findChild<QComboBox*>("ImportField2");
    note->setCurrentIndex(note->findText("Fat"));
    QVERIFY2(numbers->text().contains("1.234,5"), qPrintable(numbers->text()));
    note->setCurrentIndex(note->findText("(not imported)"));
    QVERIFY2(numbers->text().contains("1,234.5"), qPrintable(numbers->text()));
}

void TestImportFoodsDialog::aPipeIsLeftToTheCommandLine()
{
    // Opening a pipe waits for a writer; the window must not.
    const QString pipe = m_folder->path() + "/pipe";
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    ImportFoodsDialog dialog(m_workspace->files());
    dialog.setSource(pipe);
    QVERIFY(!dialog.findChild<QPushButton*>("ImportStart")->isEnabled());
    const QString kind = dialog.findChild<QLabel*>("ImportKind")->text();
    QVERIFY2(kind.contains("is no file or folder"), qPrintable(kind));
}

void TestImportFoodsDialog::wheelTurnsOnlyAFocusedChoice()
{
    QByteArray header = "Name,kcal";
    for (int c = 0; c < 60; ++c) {
        header += ",Extra " + QByteArray::number(c);
    }
    const QString source = writeFile("wide.csv", header + "\nBagel,250\n");
    ImportFoodsDialog dialog(m_workspace->files());
    dialog.setSource(source);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* table = dialog.findChild<QTableView*>("ImportColumns");
    auto* calories = dialog.findChild<QComboBox*>("ImportField2");
    QCOMPARE(calories->currentText(), QStringLiteral("Calories"));
    auto wheel = [](QWidget* target) {
        const QPointF at(target->width() / 2.0, target->height() / 2.0);
        QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
            Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &event);
    };
    // Passing over it, the wheel scrolls the list and leaves the choice as it was.
    dialog.findChild<QLineEdit*>("ImportSource")->setFocus();
    const int scrolled = table->verticalScrollBar()->value();
    wheel(calories);
    QCOMPARE(calories->currentText(), QStringLiteral("Calories"));
    QVERIFY(table->verticalScrollBar()->value() > scrolled);
    // Once the user works in it, the wheel changes it, and the import with it.
    calories->setFocus();
    QTRY_VERIFY(calories->hasFocus());
    wheel(calories);
    QVERIFY(calories->currentText() != QStringLiteral("Calories"));
    auto* name = dialog.findChild<QComboBox*>("ImportField1");
    name->setCurrentIndex(name->findText("(not imported)"));
    QVERIFY(!dialog.findChild<QPushButton*>("ImportStart")->isEnabled());
}

void TestImportFoodsDialog::unitsAndAmountsGoIntoTheImport()
{
    const QString source = writeFile("kj.csv", "Name,Energie,Gewicht\nPear,2092,50\n");
    ImportFoodsDialog dialog(m_workspace->files());
    dialog.setSource(source);
    auto choose = [&](const QString& name, const QString& text) {
        auto* choice = dialog.findChild<QComboBox*>(name);
        QVERIFY2(choice, qPrintable(name));
        choice->setCurrentIndex(choice->findText(text));
        QCOMPARE(choice->currentText(), text);
    };
    // A unit and per 100 g are offered for a nutrient only.
    QVERIFY(!dialog.findChild<QComboBox*>("ImportUnit3"));
    choose("ImportField2", "Calories");
    choose("ImportUnit2", "kJ");
    choose("ImportAmounts2", "per 100 g");
    choose("ImportField3", "Serving weight (g)");
    QVERIFY(!dialog.findChild<QComboBox*>("ImportUnit3"));
    dialog.findChild<QPushButton*>("ImportStart")->click();
    QVERIFY(dialog.changedTable());
    SqliteFoodStore foods(m_folder->databasePath());
    QString error;
    QVERIFY(foods.refresh(&error));
    QCOMPARE(foods.rowCount(&error), 2);
    std::vector<TextColumn> columns;
    QVERIFY(foods.readColumns(
        { FoodDatabase::FOOD, FoodDatabase::SERVING_UN, FoodDatabase::CALORIES }, &columns, nullptr, &error));
    QCOMPARE(columns[0].at(1), QStringLiteral("Pear"));
    QCOMPARE(columns[1].at(1), QStringLiteral("50 g"));
    QCOMPARE(columns[2].at(1), QStringLiteral("250"));
}

void TestImportFoodsDialog::nutrientColumnsGoIntoTheImport_data()
{
    QTest::addColumn<QByteArray>("content");
    // "ImportField2=Sodium (mg)": a drop-down and the text chosen in it.
    QTest::addColumn<QStringList>("choices");
    // What the drop-down of the second column shows before the choices.
    QTest::addColumn<QString>("proposed");
    QTest::addColumn<FoodNutrients>("expected");
    QTest::newRow("Export's headings") << QByteArray("Name,307 Sodium (mg),203 Protein (g)\nPear,2,3\n")
                                       << QStringList {} << "Sodium (mg)"
                                       << FoodNutrients { {}, { { "307", 2.0 }, { "203", 3.0 } } };
    QTest::newRow("one of Export's headings not imported")
        << QByteArray("Name,307 Sodium (mg),203 Protein (g)\nPear,2,3\n")
        << QStringList { "ImportField2=(not imported)" } << "Sodium (mg)" << FoodNutrients { {}, { { "203", 3.0 } } };
    QTest::newRow("a column given a nutrient")
        << QByteArray("Name,Na,Notes\nPear,2,x\n") << QStringList { "ImportField2=Sodium (mg)" } << "(not imported)"
        << FoodNutrients { {}, { { "307", 2.0 } } };
    QTest::newRow("in grams per 100 g of the serving's weight")
        << QByteArray("Name,Na,Weight\nPear,0.1,200\n")
        << QStringList { "ImportField2=Sodium (mg)", "ImportUnit2=g", "ImportAmounts2=per 100 g",
               "ImportField3=Serving weight (g)" }
        << "(not imported)" << FoodNutrients { 200.0, { { "307", 200.0 } } };
    QTest::newRow("a nutrient taken from the column that had it")
        << QByteArray("Name,Sodium,Natrium\nPear,2,5\n") << QStringList { "ImportField3=Sodium (mg)" } << "Sodium (mg)"
        << FoodNutrients { {}, { { "307", 5.0 } } };
}

void TestImportFoodsDialog::nutrientColumnsGoIntoTheImport()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, choices);
    QFETCH(QString, proposed);
    QFETCH(FoodNutrients, expected);
    const QString source = writeFile("nutrients.csv", content);
    ImportFoodsDialog dialog(m_workspace->files());
    dialog.setSource(source);
    NutrientCatalogue catalogue;
    SqliteFoodStore foods(m_folder->databasePath());
    QString error;
    QVERIFY(foods.refresh(&error) && foods.nutrientCatalogue(&catalogue, &error));
    auto* second = dialog.findChild<QComboBox*>("ImportField2");
    QVERIFY(second);
    // No field, the ten fields, the serving's weight, then every nutrient of the table's catalogue.
    QCOMPARE(second->count(), 1 + FoodDatabase::FieldCount + 1 + int(catalogue.size()));
    QCOMPARE(second->itemText(1 + FoodDatabase::FieldCount + 1),
        ColumnMapping::nutrientCaption(catalogue.nutrients().front()));
    QCOMPARE(second->currentText(), proposed);
    for (const QString& choice : choices) {
        const QString name = choice.section(u'=', 0, 0);
        const QString text = choice.section(u'=', 1);
        auto* box = dialog.findChild<QComboBox*>(name);
        QVERIFY2(box, qPrintable(name));
        box->setCurrentIndex(box->findText(text));
        QCOMPARE(box->currentText(), text);
    }
    dialog.findChild<QPushButton*>("ImportStart")->click();
    QVERIFY(dialog.changedTable());
    QVERIFY(foods.refresh(&error));
    std::vector<TextColumn> columns;
    std::vector<FoodStore::RowId> rows;
    QVERIFY(foods.readColumns({ FoodDatabase::FOOD }, &columns, &rows, &error));
    QCOMPARE(columns[0].at(1), QStringLiteral("Pear"));
    FoodNutrients nutrients;
    QVERIFY(foods.readFoodNutrients(rows[1], &nutrients, &error));
    QCOMPARE(nutrients, expected);
}

void TestImportFoodsDialog::reportStaysSmall()
{
    // Hundreds of columns no field takes, and many refused rows with long names.
    QByteArray csv = "Name,kcal";
    for (int c = 0; c < 300; ++c) {
        csv += ",Extra column number " + QByteArray::number(c);
    }
    csv += "\n";
    for (int r = 0; r < 40; ++r) {
        csv += (r % 2 ? QByteArray(5000, 'n') + QByteArray::number(r) : "Food " + QByteArray::number(r))
            + (r % 2 ? ",lots\n" : ",1\n");
    }
    const QString report = m_folder->dataFolder() + "/ImportReport.txt";
    ImportFoodsDialog dialog(m_workspace->files());
    dialog.setSource(writeFile("wide.csv", csv));
    dialog.findChild<QPushButton*>("ImportStart")->click();
    const Prompt::Shown shown = Prompt::shown().last();
    QVERIFY2(shown.text.contains("Foods added: 20"), qPrintable(shown.text));
    QVERIFY2(shown.text.count('\n') < 30, qPrintable(shown.text));
    QVERIFY2(shown.text.size() < 3000, qPrintable(shown.text));
    QVERIFY(shown.text.contains("... and 290 more."));
    QVERIFY(shown.text.contains("... and 10 more."));
    QVERIFY(!shown.text.contains(QString(61, 'n')));
    // The rest is in the details and the report file.
    QVERIFY(shown.detail.contains("Extra column number 299"));
    QCOMPARE(dialog.reportPath(), report);
    QFile file(report);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray reported = file.readAll();
    QCOMPARE(reported.count('\n'), 20);
    // The report file holds every name whole.
    QVERIFY(reported.contains('\t' + QByteArray(5000, 'n') + "39\t"));
    file.close();

    // An import with nothing to report leaves no report of the one before.
    ImportFoodsDialog again(m_workspace->files());
    again.setSource(writeFile("clean.csv", "Name,kcal\nPlum,30\n"));
    again.findChild<QPushButton*>("ImportStart")->click();
    QVERIFY(Prompt::shown().last().text.contains("Foods added: 1"));
    QVERIFY(!QFileInfo::exists(report));
    QCOMPARE(again.reportPath(), QString());
}

void TestImportFoodsDialog::reportPlaceHoldingNoFileIsRefused_data()
{
    QTest::addColumn<QString>("thing");
    QTest::addColumn<QString>("reason");
    QTest::newRow("a named pipe") << "pipe"
                                  << "a named pipe of that name is in the way";
    QTest::newRow("a folder") << "folder"
                              << "a folder of that name is in the way";
}

// A pipe where the report goes would hold the window until something read from it; the import is
// refused before it starts, and the thing in the way stays as it is.
void TestImportFoodsDialog::reportPlaceHoldingNoFileIsRefused()
{
    QFETCH(QString, thing);
    QFETCH(QString, reason);
    const QString report = m_folder->dataFolder() + "/ImportReport.txt";
    if (thing == "pipe") {
        QCOMPARE(::mkfifo(QFile::encodeName(report).constData(), 0600), 0);
    } else {
        QVERIFY(QDir().mkdir(report));
    }
    const QByteArray before = tableBytes();
    ImportFoodsDialog dialog(m_workspace->files());
    dialog.setSource(writeFile("refused.csv", "Name,kcal\nBagel,250\nCake,lots\n"));
    dialog.findChild<QPushButton*>("ImportStart")->click();
    QCOMPARE(Prompt::shown().size(), 1);
    const QString text = Prompt::shown().last().text;
    QVERIFY2(text.startsWith("Nothing was imported; the food table is as it was.\n"), qPrintable(text));
    QVERIFY2(text.contains("ImportReport.txt: " + reason), qPrintable(text));
    QVERIFY(!dialog.changedTable());
    QCOMPARE(dialog.reportPath(), QString());
    QCOMPARE(tableBytes(), before);
    const QFileInfo left(report);
    QVERIFY(thing == "pipe" ? !left.isFile() && !left.isDir() && left.exists() : left.isDir());
}

void TestImportFoodsDialog::cancelLeavesTheTableAsItWas()
{
    QByteArray content("FOOD,CALORIES\n");
    for (int i = 0; i < 300000; ++i) {
        content += "Food number " + QByteArray::number(i) + ",1\n";
    }
    const QString source = writeFile("many.csv", content);
    const QByteArray before = tableBytes();
    whenModal([&](QWidget* window) {
        auto* dialog = static_cast<ImportFoodsDialog*>(window);
        dialog->setSource(source);
        // Escape in the progress window as soon as the import runs: it asks the import to stop
        // and stays up, with the import window below it taking no clicks, until it has.
        QTimer::singleShot(0, [] {
            for (QWidget* top : QApplication::allWidgets()) {
                if (auto* progress = qobject_cast<QProgressDialog*>(top)) {
                    QCOMPARE(progress->objectName(), QStringLiteral("ImportProgress"));
                    QVERIFY(progress->isVisible());
                    QTest::keyClick(progress, Qt::Key_Escape);
                    QVERIFY(progress->isVisible());
                }
            }
        });
        dialog->findChild<QPushButton*>("ImportStart")->click();
        dialog->reject();
    });
    m_window->findChild<QAction*>("mnuItemImportFoods")->trigger();
    QVERIFY2(Prompt::shown().last().text.contains("cancelled"), qPrintable(Prompt::shown().last().text));
    QCOMPARE(m_window->foodListModel()->rowCount(), 1);
    QCOMPARE(tableBytes(), before);
}

void TestImportFoodsDialog::exportWritesTheTable()
{
    const QString path = m_folder->path() + "/out.csv";
    QVERIFY(m_window->exportFoodsTo(path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    // The ten fields, then the serving's grams and every nutrient of the catalogue, all unknown.
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.size(), 3);
    QVERIFY(
        lines[0].startsWith("FOOD,SERVING_UN,CALORIES,CARBS,FAT,SUGAR,CHOLESTERO,POINTS,FIBER,SUGAR_ALC,SERVING_G,"));
    QCOMPARE(lines[1], "Apple,1 medium,95,,,,,,," + QByteArray(NutrientCatalogue::starter().size() + 1, ','));
    QVERIFY(lines[2].isEmpty());
    QVERIFY(Prompt::shown().last().text.contains("1 food"));
    // An unwritable place gives a message and no file.
    QVERIFY(!m_window->exportFoodsTo(m_folder->path() + "/missing/out.csv"));
    QCOMPARE(Prompt::shown().last().title, QStringLiteral("Error"));
}

QTEST_MAIN(TestImportFoodsDialog)
#include "TestImportFoodsDialog.moc"
