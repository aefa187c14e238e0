#include "gui/totals/TotalsDialog.h"

#include "TestSupport.h"
#include "core/files/TextFile.h"
#include "core/foods/FoodDatabase.h"
#include "core/storage/SqliteFoodStore.h"
#include "gui/common/Prompt.h"
#include "gui/totals/NutrientViewModel.h"
#include "gui/totals/TargetsDialog.h"
#include "gui/totals/TotalsChartWindow.h"
#include "gui/totals/TotalsCharts.h"

#include "core/totals/NutrientBreakdown.h"

#include "core/text/NumberText.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QAreaSeries>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QValueAxis>

#include <cfloat>
#include <cmath>

class TestTotalsDialog : public QObject
{
    Q_OBJECT

private slots:
    void weekViews_data();
    void weekViews();
    void targetsMarkEachDay_data();
    void targetsMarkEachDay();
    void targetsAreReadAsTyped_data();
    void targetsAreReadAsTyped();
    void chartShowsTheGridAndSaves_data();
    void chartShowsTheGridAndSaves();
    void chartsOfHugeValues_data();
    void chartsOfHugeValues();
    void chartNameTakesTheChosenEnding_data();
    void chartNameTakesTheChosenEnding();
    void nutrientViewAfterCalculate_data();
    void nutrientViewAfterCalculate();
    void reportNutrientPageOnlyWhenAsked_data();
    void reportNutrientPageOnlyWhenAsked();
    void init();
    void cleanup();

    void opensEmpty();
    void activeLabelIsBoldWhileTicked();
    void optionsExcludeEachOther();
    void calculatingNothingLeavesOneEmptyRow();
    void calculatesRowsAndBoldTotals();
    void missingPeriodShowsMessageAndKeepsRows();
    void numbersUseTheLocaleSeparator();
    void freshWindowSeesTheChangedPlan();
    void printsToPdf();
    void printerDialogCancelPrintsNothing();
    void writesTheReportFile();
    void reportFileFailureKeepsOldFile();
    void returnClosesTheWindow();

private:
    TotalsDialog* openWindow();
    void tick(int box);
    void click(const char* name);
    QStringList rowTexts(int row) const;
    bool rowBold(int row) const;
    QTableView* grid() const;
    void planNutrients();
    QString printedText(const QString& name, int firstPage, int lastPage, int* pages);

    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<Workspace> m_workspace;
    std::unique_ptr<SqliteFoodStore> m_foods;
    std::unique_ptr<TotalsDialog> m_window;
};

void TestTotalsDialog::init()
{
    Prompt::setAnswering(true);
    QLocale::setDefault(QLocale::c());
    m_folder = std::make_unique<TestFolder>();
    m_folder->createFoods({ foodRow("Apple", "1 medium", { "95", "25", "0.3", "19", "0", "1", "4.4", "0" }),
        foodRow("Bar", "1", { "200", "30", "8", "12", "5", "4", "5", "4" }) });
    m_workspace = m_folder->workspace();
    m_workspace->files().setUserName("Ann Lee");
    addToMeal(m_workspace->plan(), MealPlan::Breakfast, "Apple", " 2");
    addToMeal(m_workspace->plan(), MealPlan::Other, "Bar", " .5");
    QVERIFY(TextFile::writeLines(
        m_workspace->files().perUserFile("Daily"), { "Lunch_Bar_ 1", "Dinner_Apple_ 1" }, nullptr));
    QVERIFY(TextFile::writeLines(m_workspace->files().perUserFile("Friday"), { "Lunch_Bar_-1" }, nullptr));
    m_foods = std::make_unique<SqliteFoodStore>(m_folder->databasePath());
    QString error;
    QVERIFY2(m_foods->refresh(&error), qPrintable(error));
    openWindow();
}

void TestTotalsDialog::cleanup()
{
    m_window.reset();
    m_foods.reset();
    m_workspace.reset();
    m_folder.reset();
    QLocale::setDefault(QLocale::c());
    Prompt::setAnswering(false);
}

TotalsDialog* TestTotalsDialog::openWindow()
{
    m_window.reset();
    m_window
        = std::make_unique<TotalsDialog>(m_workspace->files(), *m_foods, m_workspace->plan(), m_workspace->targets());
    m_window->show();
    return m_window.get();
}

void TestTotalsDialog::tick(int box)
{
    auto* check = m_window->findChild<QCheckBox*>(QStringLiteral("Check%1").arg(box));
    QVERIFY(check);
    QTest::mouseClick(check, Qt::LeftButton);
}

void TestTotalsDialog::click(const char* name)
{
    auto* button = m_window->findChild<QAbstractButton*>(name);
    QVERIFY2(button, name);
    QTest::mouseClick(button, Qt::LeftButton);
}

QTableView* TestTotalsDialog::grid() const
{
    return m_window->findChild<QTableView*>("MSFlexGrid1");
}

QStringList TestTotalsDialog::rowTexts(int row) const
{
    QStringList texts;
    for (int c = 0; c < grid()->model()->columnCount(); ++c) {
        texts.append(grid()->model()->index(row, c).data().toString());
    }
    return texts;
}

bool TestTotalsDialog::rowBold(int row) const
{
    for (int c = 0; c < grid()->model()->columnCount(); ++c) {
        if (!grid()->model()->index(row, c).data(Qt::FontRole).value<QFont>().bold()) {
            return false;
        }
    }
    return true;
}

void TestTotalsDialog::opensEmpty()
{
    QCOMPARE(m_window->windowTitle(), QString("Calculate Totals"));
    const QStringList labels { "Active", "Daily", "Weekly", "Weekday", "Weekend", "Sunday", "Monday", "Tuesday",
        "Wednesday", "Thursday", "Friday", "Saturday" };
    for (int i = 1; i <= 12; ++i) {
        QVERIFY(!m_window->findChild<QCheckBox*>(QStringLiteral("Check%1").arg(i))->isChecked());
        auto* label = m_window->findChild<QLabel*>(QStringLiteral("Label%1").arg(i));
        QCOMPARE(label->text(), labels[i - 1]);
        QVERIFY(!label->font().bold());
    }
    QVERIFY(m_window->findChild<QRadioButton*>("Option1")->isChecked());
    QVERIFY(!m_window->findChild<QRadioButton*>("Option2")->isChecked());
    QCOMPARE(m_window->findChild<QLabel*>("Label13")->text(), QString("To Printer"));
    QCOMPARE(m_window->findChild<QLabel*>("Label14")->text(), QString("To File"));
    QCOMPARE(m_window->findChild<QPushButton*>("CalcTot")->text(), QString("Calculate Totals"));
    QCOMPARE(m_window->findChild<QPushButton*>("Command1")->text(), QString("Return to Main Menu"));
    QCOMPARE(m_window->findChild<QPushButton*>("TotalsPrint")->text(), QString("Print Totals Report"));

    QCOMPARE(grid()->model()->columnCount(), 10);
    QCOMPARE(grid()->model()->rowCount(), 2);
    QCOMPARE(rowTexts(0),
        QStringList({ "Period", "Calories", "Carbohydrates", "Fat", "Sugar", "Cholesterol", "Points", "Fiber",
            "Sugar Alcohols", "Net Carbs" }));
    QVERIFY(rowBold(0));
    QCOMPARE(rowTexts(1), QStringList(10));
    QCOMPARE(grid()->columnWidth(0), 1000 / 15);
    QCOMPARE(grid()->columnWidth(2), 1500 / 15);
    QCOMPARE(grid()->columnWidth(5), 1200 / 15);
    QCOMPARE(grid()->columnWidth(8), 1500 / 15);
}

void TestTotalsDialog::activeLabelIsBoldWhileTicked()
{
    auto* label1 = m_window->findChild<QLabel*>("Label1");
    auto* label2 = m_window->findChild<QLabel*>("Label2");
    tick(1);
    QVERIFY(m_window->findChild<QCheckBox*>("Check1")->isChecked());
    QVERIFY(label1->font().bold());
    tick(2);
    QVERIFY(!label2->font().bold());
    tick(1);
    QVERIFY(!label1->font().bold());
}

void TestTotalsDialog::optionsExcludeEachOther()
{
    auto* option1 = m_window->findChild<QRadioButton*>("Option1");
    auto* option2 = m_window->findChild<QRadioButton*>("Option2");
    click("Option2");
    QVERIFY(option2->isChecked());
    QVERIFY(!option1->isChecked());
    click("Option1");
    QVERIFY(option1->isChecked());
    QVERIFY(!option2->isChecked());
}

void TestTotalsDialog::calculatingNothingLeavesOneEmptyRow()
{
    click("CalcTot");
    QCOMPARE(grid()->model()->rowCount(), 2);
    QCOMPARE(rowTexts(1), QStringList(10));
    QVERIFY(Prompt::shown().isEmpty());
}

void TestTotalsDialog::calculatesRowsAndBoldTotals()
{
    tick(1);
    tick(2);
    tick(11);
    for (int run = 0; run < 2; ++run) {
        click("CalcTot");
        QCOMPARE(grid()->model()->rowCount(), 5);
        QCOMPARE(rowTexts(1), QStringList({ "Active", "290", "65", "4.6", "44", "2.5", "4", "11.3", "2", "51.7" }));
        QCOMPARE(rowTexts(2), QStringList({ "Daily", "295", "55", "8.3", "31", "5", "5", "9.4", "4", "41.6" }));
        QCOMPARE(rowTexts(3), QStringList({ "Friday", "-200", "-30", "-8", "-12", "-5", "-4", "-5", "-4", "-21" }));
        QCOMPARE(rowTexts(4), QStringList({ "Totals", "385", "90", "4.9", "63", "2.5", "5", "15.7", "2", "72.3" }));
        QVERIFY(!rowBold(1));
        QVERIFY(!rowBold(3));
        QVERIFY(rowBold(4));
        QVERIFY(rowBold(0));
    }
    QVERIFY(Prompt::shown().isEmpty());
}

void TestTotalsDialog::missingPeriodShowsMessageAndKeepsRows()
{
    tick(1);
    tick(2);
    tick(3);
    tick(11);
    click("CalcTot");
    QCOMPARE(Prompt::shown().size(), 1);
    QCOMPARE(Prompt::shown()[0].title, QString("Error"));
    QCOMPARE(Prompt::shown()[0].text, QString("File Not Found"));
    QCOMPARE(grid()->model()->rowCount(), 3);
    QCOMPARE(rowTexts(1).first(), QString("Active"));
    QCOMPARE(rowTexts(2).first(), QString("Daily"));
}

void TestTotalsDialog::numbersUseTheLocaleSeparator()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    tick(1);
    click("CalcTot");
    QCOMPARE(rowTexts(1), QStringList({ "Active", "290", "65", "4,6", "44", "2,5", "4", "11,3", "2", "51,7" }));
}

void TestTotalsDialog::freshWindowSeesTheChangedPlan()
{
    tick(1);
    click("CalcTot");
    QCOMPARE(rowTexts(1)[1], QString("290"));
    m_workspace->plan().setMeal(MealPlan::Breakfast, MealTable());
    openWindow();
    QVERIFY(!m_window->findChild<QCheckBox*>("Check1")->isChecked());
    QCOMPARE(grid()->model()->rowCount(), 2);
    QCOMPARE(rowTexts(1), QStringList(10));
    tick(1);
    click("CalcTot");
    QCOMPARE(rowTexts(1)[1], QString("100"));
}

void TestTotalsDialog::printsToPdf()
{
    tick(1);
    tick(2);
    click("CalcTot");
    const QString pdf = m_folder->path() + "/totals.pdf";
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    QVERIFY(m_window->printReport(&printer));
    QProcess pdftotext;
    pdftotext.start("pdftotext", { "-layout", pdf, "-" });
    QVERIFY(pdftotext.waitForFinished(30000));
    const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
    QVERIFY2(text.contains("Ann Lee"), qPrintable(text));
    QVERIFY(text.contains(QLocale().toString(QDate::currentDate(), QLocale::LongFormat)));
    const QStringList lines = text.split('\n');
    auto lineWith = [&](const QString& start) {
        for (const QString& line : lines) {
            if (line.trimmed().startsWith(start)) {
                return line.simplified();
            }
        }
        return QString();
    };
    QCOMPARE(lineWith("Period"),
        QString("Period Calories Carbohydrates Fat Sugar Cholesterol Points Fiber Sugar "
                "Alcohols Net Carbs"));
    QCOMPARE(lineWith("Active"), QString("Active 290 65 4.6 44 2.5 4 11.3 2 51.7"));
    QCOMPARE(lineWith("Daily"), QString("Daily 295 55 8.3 31 5 5 9.4 4 41.6"));
    QCOMPARE(lineWith("Totals"), QString("Totals 585 120 12.9 75 7.5 9 20.7 6 93.3"));
}

void TestTotalsDialog::printerDialogCancelPrintsNothing()
{
    bool sawDialog = false;
    QTimer::singleShot(0, this, [&] {
        auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
        sawDialog = dialog != nullptr;
        if (dialog) {
            dialog->reject();
        } else if (QApplication::activeModalWidget()) {
            QApplication::activeModalWidget()->close();
        }
    });
    click("TotalsPrint");
    QVERIFY(sawDialog);
    QVERIFY(Prompt::shown().isEmpty());
}

void TestTotalsDialog::writesTheReportFile()
{
    tick(1);
    tick(11);
    click("CalcTot");
    click("Option2");
    click("TotalsPrint");
    const QString path = m_folder->dataFolder() + "AnnLeeTotalsReport.txt";
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(),
        QByteArray(
            "Period\tCalories\tCarbohydrates\tFat\tSugar\tCholesterol\tPoints\tFiber\tSugar Alcohols\tNet Carbs\r\n"
            "Active\t290\t65\t4.6\t44\t2.5\t4\t11.3\t2\t51.7\r\n"
            "Friday\t-200\t-30\t-8\t-12\t-5\t-4\t-5\t-4\t-21\r\n"
            "Totals\t90\t35\t-3.4\t32\t-2.5\t0\t6.3\t-2\t30.7\r\n"));
    QCOMPARE(Prompt::shown().size(), 1);
    QCOMPARE(Prompt::shown()[0].kind, Prompt::Kind::Message);
    QVERIFY(Prompt::shown()[0].text.contains(path));

    // A long user name is quoted shortly.
    m_workspace->files().setUserName(QString(150, u'n'));
    openWindow();
    tick(1);
    click("CalcTot");
    click("Option2");
    click("TotalsPrint");
    const QFileInfo longFile(m_workspace->files().perUserFile("TotalsReport"));
    QVERIFY(longFile.exists());
    QCOMPARE(Prompt::shown().last().text,
        "The totals report was written to " + longFile.path() + "/Tamo" + QString(56, u'n') + "...");
}

void TestTotalsDialog::reportFileFailureKeepsOldFile()
{
    click("Option2");
    // A folder in the file's place cannot be replaced.
    const QString path = m_workspace->files().perUserFile("TotalsReport");
    QVERIFY(QDir().mkpath(path));
    click("TotalsPrint");
    QCOMPARE(Prompt::shown().size(), 1);
    QCOMPARE(Prompt::shown()[0].title, QString("Error"));
    QVERIFY(Prompt::shown()[0].text.contains("AnnLeeTotalsReport.txt"));
    QVERIFY(QFileInfo(path).isDir());
}

void TestTotalsDialog::returnClosesTheWindow()
{
    QVERIFY(m_window->isVisible());
    click("Command1");
    QVERIFY(!m_window->isVisible());
}

// Targets set in the Targets window mark each one-day row's values: ↓ under, ↑ over, a tint and a
// tool tip; a minimum above its maximum is refused and nothing is saved.
void TestTotalsDialog::targetsMarkEachDay_data()
{
    QTest::addColumn<QString>("minimum");
    QTest::addColumn<QString>("maximum");
    QTest::addColumn<QStringList>("calories");
    QTest::addColumn<QString>("tip");
    QTest::newRow("under and within") << "292"
                                      << "300" << QStringList { "290 \u2193", "295", "585" }
                                      << "290 of 292\u2013300 kcal (97 %)";
    QTest::newRow("over") << ""
                          << "291" << QStringList { "290", "295 \u2191", "585" } << "290 of at most 291 kcal (100 %)";
    QTest::newRow("bounds count as within")
        << "290"
        << "295" << QStringList { "290", "295", "585" } << "290 of 290\u2013295 kcal (98 %)";
    QTest::newRow("minimum above maximum refused") << "300"
                                                   << "200" << QStringList { "290", "295", "585" } << "";
}

void TestTotalsDialog::targetsMarkEachDay()
{
    QFETCH(QString, minimum);
    QFETCH(QString, maximum);
    QFETCH(QStringList, calories);
    QFETCH(QString, tip);
    bool refused = false;
    whenModal([&](QWidget* window) {
        QCOMPARE(window->objectName(), QStringLiteral("Targets"));
        window->findChild<QLineEdit*>(QStringLiteral("Minimum1"))->setText(minimum);
        window->findChild<QLineEdit*>(QStringLiteral("Maximum1"))->setText(maximum);
        QMetaObject::invokeMethod(window, "accept");
        refused = window->isVisible();
        if (refused) {
            window->close();
        }
    });
    click("TotalsTargets");
    QCOMPARE(refused, tip.isEmpty());
    QCOMPARE(QFileInfo::exists(m_workspace->files().perUserFile("Targets")), !refused);
    tick(1);
    tick(2);
    click("CalcTot");
    QCOMPARE((QStringList { rowTexts(1)[1], rowTexts(2)[1], rowTexts(3)[1] }), calories);
    const QModelIndex active = grid()->model()->index(1, 1);
    QCOMPARE(active.data(Qt::ToolTipRole).toString(), tip);
    QCOMPARE(active.data(Qt::BackgroundRole).isValid(), !refused);
    // The Totals row adds two days: never marked.
    QVERIFY(!grid()->model()->index(3, 1).data(Qt::BackgroundRole).isValid());
    // The printed report names the targets; the report file gains a column for them.
    const QString pdf = m_folder->path() + "/targets.pdf";
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    QVERIFY(m_window->printReport(&printer));
    QProcess pdftotext;
    pdftotext.start("pdftotext", { pdf, "-" });
    QVERIFY(pdftotext.waitForFinished(30000));
    const QString printed = QString::fromUtf8(pdftotext.readAllStandardOutput());
    QCOMPARE(printed.contains(QStringLiteral("Daily targets: Calories")), !refused);
    QString error;
    QVERIFY(m_window->writeReport(m_folder->path() + "/report.txt", &error));
    QStringList report;
    QVERIFY(TextFile::readLines(m_folder->path() + "/report.txt", &report, nullptr));
    QCOMPARE(report.first().contains(QStringLiteral("Calories target")), !refused);
    // The window opened afresh reads the saved targets.
    openWindow();
    tick(1);
    click("CalcTot");
    QCOMPARE(rowTexts(1)[1], calories[0]);
}

// The Targets window shows and reads numbers as the user's locale writes them; a field that is not
// a number is named and nothing is saved, and targets left as they were are not written again.
void TestTotalsDialog::targetsAreReadAsTyped_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QStringList>("named");
    const QStringList empty { "", "" };
    QTest::newRow("grouped thousands") << "en_US" << QByteArray() << empty << QStringList { "1,800", "2,200" }
                                       << QByteArray("Calories_1800_2200\r\n") << QStringList {};
    QTest::newRow("German form") << "de_DE" << QByteArray() << empty << QStringList { "1.800", "2.200,5" }
                                 << QByteArray("Calories_1800_2200.5\r\n") << QStringList {};
    QTest::newRow("a word") << "en_US" << QByteArray() << empty << QStringList { "1,800", "seventy" } << QByteArray()
                            << QStringList { "Daily maximum of Calories: \"seventy\"" };
    QTest::newRow("every field that is not a number")
        << "en_US" << QByteArray("Calories_1_2\n") << QStringList { "1", "2" }
        << QStringList { "1800 kcal", QString(300, u'9') + "x" } << QByteArray("Calories_1_2\n")
        << QStringList { "Daily minimum of Calories: \"1800 kcal\"",
               "Daily maximum of Calories: \"" + QString(60, u'9') + "...\"" };
    QTest::newRow("shown in the locale, left as it was")
        << "de_DE" << QByteArray("Calories_1800.125_2200\n") << QStringList { "1.800,125", "2.200" } << QStringList {}
        << QByteArray("Calories_1800.125_2200\n") << QStringList {};
    QTest::newRow("shown in the locale, one field changed")
        << "de_DE" << QByteArray("Calories_1800.125_2200\n") << QStringList { "1.800,125", "2.200" }
        << QStringList { QString(), "2.300" } << QByteArray("Calories_1800.125_2300\r\n") << QStringList {};
}

void TestTotalsDialog::targetsAreReadAsTyped()
{
    QFETCH(QString, locale);
    QFETCH(QByteArray, before);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, typed);
    QFETCH(QByteArray, after);
    QFETCH(QStringList, named);
    QLocale::setDefault(QLocale(locale));
    const QString path = m_workspace->files().perUserFile("Targets");
    if (!before.isNull()) {
        QVERIFY(TextFile::writeBytes(path, before, nullptr));
    }
    TargetsDialog window(m_workspace->targets());
    auto* minimum = window.findChild<QLineEdit*>(QStringLiteral("Minimum1"));
    auto* maximum = window.findChild<QLineEdit*>(QStringLiteral("Maximum1"));
    QCOMPARE((QStringList { minimum->text(), maximum->text() }), shown);
    if (!typed.value(0).isNull()) {
        minimum->setText(typed[0]);
    }
    if (!typed.value(1).isNull()) {
        maximum->setText(typed[1]);
    }
    window.accept();
    QCOMPARE(window.result(), named.isEmpty() ? int(QDialog::Accepted) : int(QDialog::Rejected));
    QFile file(path);
    QCOMPARE(file.exists(), !after.isNull());
    if (!after.isNull()) {
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), after);
    }
    if (named.isEmpty()) {
        QVERIFY(Prompt::shown().isEmpty());
    } else {
        QCOMPARE(Prompt::shown().size(), 1);
        for (const QString& field : named) {
            QVERIFY2(Prompt::shown()[0].text.contains(field), qPrintable(Prompt::shown()[0].text));
        }
        QVERIFY(Prompt::shown()[0].text.contains(QStringLiteral("nothing was saved")));
    }
}

// "Per day" shows the Weekly plan per day; "Week roll-ups" adds the week made of Weekday and
// Weekend, and of the seven days, after the chosen rows. Totals adds the chosen rows only.
void TestTotalsDialog::weekViews_data()
{
    QTest::addColumn<bool>("perDay");
    QTest::addColumn<bool>("rollUps");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("per day") << true << false << QStringList { "Weekly (per day):200", "Totals:200" };
    QTest::newRow("roll-ups") << false << true
                              << QStringList { "Weekly:1400", "Week from Weekday and Weekend:1350",
                                     "Week from Sunday to Saturday:665", "Totals:1400" };
    QTest::newRow("both") << true << true
                          << QStringList { "Weekly (per day):200",
                                 "Week from Weekday and Weekend (per day):192.857142857143",
                                 "Week from Sunday to Saturday (per day):95", "Totals:200" };
}

void TestTotalsDialog::weekViews()
{
    QFETCH(bool, perDay);
    QFETCH(bool, rollUps);
    QFETCH(QStringList, rows);
    QVERIFY(TextFile::writeLines(m_workspace->files().perUserFile("Weekly"), { "Lunch_Bar_ 7" }, nullptr));
    QVERIFY(TextFile::writeLines(m_workspace->files().perUserFile("Weekday"), { "Lunch_Apple_ 2" }, nullptr));
    QVERIFY(TextFile::writeLines(m_workspace->files().perUserFile("Weekend"), { "Lunch_Bar_ 1" }, nullptr));
    for (const char* day : { "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday" }) {
        QVERIFY(
            TextFile::writeLines(m_workspace->files().perUserFile(QLatin1String(day)), { "Lunch_Apple_ 1" }, nullptr));
    }
    tick(3);
    if (perDay) {
        m_window->findChild<QCheckBox*>(QStringLiteral("PerDay"))->setChecked(true);
    }
    if (rollUps) {
        m_window->findChild<QCheckBox*>(QStringLiteral("WeekRollups"))->setChecked(true);
    }
    click("CalcTot");
    QStringList shown;
    for (int row = 1; row < grid()->model()->rowCount(); ++row) {
        shown.append(rowTexts(row)[0] + u':' + rowTexts(row)[1]);
    }
    QCOMPARE(shown, rows);
    QVERIFY(rowBold(grid()->model()->rowCount() - 1));
    QVERIFY(Prompt::shown().isEmpty());
    if (rollUps) {
        // A missing day plan leaves out the week made of the days only, and the message names
        // the day's file.
        QFile::remove(m_workspace->files().perUserFile("Tuesday"));
        click("CalcTot");
        QCOMPARE(Prompt::shown().size(), 1);
        QVERIFY2(Prompt::shown().first().text.contains(QStringLiteral("the Tuesday plan, TamoAnnLeeTuesday.txt")),
            qPrintable(Prompt::shown().first().text));
        QStringList labels;
        for (int row = 1; row < grid()->model()->rowCount(); ++row) {
            labels.append(rowTexts(row)[0]);
        }
        QCOMPARE(labels.size(), 3);
        QVERIFY(labels[1].startsWith(QStringLiteral("Week from Weekday and Weekend")));
        // A chosen period's own file missing keeps its message exactly as it is.
        QFile::remove(m_workspace->files().perUserFile("Weekly"));
        click("CalcTot");
        QCOMPARE(Prompt::shown().size(), 2);
        QCOMPARE(Prompt::shown().last().text, QStringLiteral("File Not Found"));
    }
}

// The chart has a bar per calculated row with the grid's own numbers and, for a nutrient with a
// target, the band behind them; it saves whole as PNG, SVG or PDF, and with targets set the
// printed report carries it on a page of its own.
void TestTotalsDialog::chartShowsTheGridAndSaves_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("withTargets");
    QTest::newRow("png without targets") << "chart.png" << false;
    QTest::newRow("pdf with targets") << "chart.pdf" << true;
    QTest::newRow("svg with targets") << "chart.svg" << true;
}

void TestTotalsDialog::chartShowsTheGridAndSaves()
{
    QFETCH(QString, file);
    QFETCH(bool, withTargets);
    if (withTargets) {
        QVERIFY(TextFile::writeLines(
            m_workspace->files().perUserFile("Targets"), { "Calories_292_300", "Cholesterol__2" }, nullptr));
        openWindow();
    }
    auto* chartButton = m_window->findChild<QPushButton*>(QStringLiteral("TotalsChart"));
    QVERIFY(!chartButton->isEnabled());
    tick(1);
    tick(2);
    click("CalcTot");
    QVERIFY(chartButton->isEnabled());

    const QString path = m_folder->path() + u'/' + file;
    bool saved = false;
    whenModal([&](QWidget* widget) {
        auto* window = qobject_cast<TotalsChartWindow*>(widget);
        QVERIFY(window);
        QCOMPARE(window->objectName(), QStringLiteral("Chart"));
        QCOMPARE(window->views().size(), 9);
        for (int n = 0; n < 9; ++n) {
            QChart* chart = window->views()[n]->chart();
            QBarSeries* bars = nullptr;
            int bands = 0;
            for (QAbstractSeries* series : chart->series()) {
                bars = bars ? bars : qobject_cast<QBarSeries*>(series);
                bands += qobject_cast<QAreaSeries*>(series) ? 1 : 0;
            }
            QVERIFY(bars);
            QCOMPARE(bands, withTargets && (n == 0 || n == 4) ? 1 : 0);
            QCOMPARE(bars->count(), 2); // Active and Daily; not the Totals row
            for (int r = 0; r < bars->count(); ++r) {
                QString shown = rowTexts(r + 1)[n + 1];
                QCOMPARE(bars->barSets()[r]->label(), rowTexts(r + 1)[0]);
                QCOMPARE(GeneralNumberText(bars->barSets()[r]->at(0)),
                    shown.remove(QStringLiteral(" \u2193")).remove(" \u2191"));
            }
        }
        saved = window->saveTo(path);
        window->close();
    });
    click("TotalsChart");
    QVERIFY(saved);
    QFile written(path);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QByteArray head = written.read(8);
    if (file.endsWith(".png")) {
        QCOMPARE(QImage(path).size(), TotalsCharts::LayoutSize);
    } else if (file.endsWith(".svg")) {
        QVERIFY(head.startsWith("<?xml"));
    } else {
        QVERIFY(head.startsWith("%PDF"));
        QProcess pdfinfo;
        pdfinfo.start("pdfinfo", { path });
        QVERIFY(pdfinfo.waitForFinished(30000));
        const QByteArray info = pdfinfo.readAllStandardOutput();
        QVERIFY2(info.contains("842 x 595 pts (A4)"), info.constData());
        QProcess pdftotext;
        pdftotext.start("pdftotext", { path, "-" });
        QVERIFY(pdftotext.waitForFinished(30000));
        const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
        QVERIFY2(text.contains(QStringLiteral("target 292\u2013300")), qPrintable(text));
    }
    // A name of another kind is refused with a message and nothing written.
    whenModal([&](QWidget* widget) {
        QVERIFY(!static_cast<TotalsChartWindow*>(widget)->saveTo(m_folder->path() + "/chart.bmp"));
        widget->close();
    });
    click("TotalsChart");
    QVERIFY(!QFileInfo::exists(m_folder->path() + "/chart.bmp"));
    QVERIFY(Prompt::shown().last().text.contains(QStringLiteral(".png, .svg or .pdf")));

    const QString printed = m_folder->path() + "/printed.pdf";
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(printed);
    QVERIFY(m_window->printReport(&printer));
    QProcess pdftotext;
    pdftotext.start("pdftotext", { printed, "-" });
    QVERIFY(pdftotext.waitForFinished(30000));
    const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
    QCOMPARE(text.contains(QStringLiteral("Platewell Totals Chart")), withTargets);
    QCOMPARE(text.contains(QStringLiteral("Cholesterol (mg), target \u2264 2")), withTargets);
}

// Totals near the largest double, overflowed ones and huge targets keep every axis finite: no
// chart, on screen or saved, is labelled "inf" or "nan".
void TestTotalsDialog::chartsOfHugeValues_data()
{
    QTest::addColumn<double>("first");
    QTest::addColumn<double>("second");
    QTest::addColumn<double>("maximum");
    QTest::newRow("largest doubles") << DBL_MAX << -DBL_MAX << 2200.0;
    QTest::newRow("near the largest double") << 1e308 << 1e307 << 2200.0;
    QTest::newRow("overflowed") << double(INFINITY) << -double(INFINITY) << 2200.0;
    QTest::newRow("not a number") << double(NAN) << 5.0 << 2200.0;
    QTest::newRow("huge target") << 1850.0 << 2400.0 << DBL_MAX;
}

void TestTotalsDialog::chartsOfHugeValues()
{
    QFETCH(double, first);
    QFETCH(double, second);
    QFETCH(double, maximum);
    TotalsResult result;
    result.rows = { { "Daily", {} }, { "Weekend", {} } };
    result.rows[0].values.fill(first);
    result.rows[1].values.fill(second);
    NutrientTargets targets;
    QVERIFY(targets.setRange(TotalsRow::Calories, { 1800, maximum }, nullptr));
    for (int n = 0; n < TotalsRow::NutrientCount; ++n) {
        std::unique_ptr<QChart> chart(TotalsCharts::makeChart(n, result, targets));
        const auto* axis = qobject_cast<QValueAxis*>(chart->axes(Qt::Vertical).value(0));
        QVERIFY(axis);
        QVERIFY2(std::isfinite(axis->min()) && std::isfinite(axis->max()) && axis->min() < axis->max(),
            qPrintable(QStringLiteral("%1: %2 to %3").arg(n).arg(axis->min()).arg(axis->max())));
    }
    const QString path = m_folder->path() + "/huge.svg";
    QString error;
    QVERIFY2(TotalsCharts::save(path, result, targets, &error), qPrintable(error));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString svg = QString::fromUtf8(file.readAll());
    const QRegularExpression notANumber(
        QStringLiteral(">\\s*-?(inf|nan)\\s*<"), QRegularExpression::CaseInsensitiveOption);
    QVERIFY2(!svg.contains(notANumber), qPrintable(notANumber.match(svg).captured(0)));
}

// A name typed without an ending the chart can be saved as takes the ending of the kind chosen in
// the save window, final dots dropped; one with such an ending, in any case, keeps it.
void TestTotalsDialog::chartNameTakesTheChosenEnding_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("saved");
    QTest::newRow("no ending") << "chart" << 1 << "chart.svg";
    QTest::newRow("a final dot") << "chart." << 0 << "chart.png";
    QTest::newRow("two final dots") << "chart.." << 2 << "chart.pdf";
    QTest::newRow("an ending of another kind") << "chart.pdf" << 0 << "chart.pdf";
    QTest::newRow("an ending in capitals") << "chart.SVG" << 2 << "chart.SVG";
    QTest::newRow("a dot in the name") << "chart 2024.06" << 1 << "chart 2024.06.svg";
    QTest::newRow("a dot in the name and a final one") << "chart.mine." << 0 << "chart.mine.png";
    QTest::newRow("an ending and a final dot") << "chart.pdf." << 0 << "chart.pdf";
}

void TestTotalsDialog::chartNameTakesTheChosenEnding()
{
    QFETCH(QString, typed);
    QFETCH(int, kind);
    QFETCH(QString, saved);
    TotalsResult result;
    result.rows = { { "Daily", { 1850, 210, 62, 40, 180, 30, 28, 3, 179 } } };
    TotalsChartWindow window(result, NutrientTargets(), m_folder->path() + "/suggested.png");
    whenModal([&](QWidget* widget) {
        auto* dialog = qobject_cast<QFileDialog*>(widget);
        QVERIFY(dialog);
        dialog->selectNameFilter(dialog->nameFilters().at(kind));
        // Typed as a user types it: the dialog's own selection may still be filled in by the
        // folder it is reading.
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(name);
        name->setText(m_folder->path() + u'/' + typed);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    window.saveAs();
    QVERIFY2(Prompt::shown().isEmpty(), qPrintable(Prompt::shown().value(0).text));
    QStringList files = QDir(m_folder->path()).entryList({ "chart*" }, QDir::Files);
    QCOMPARE(files, QStringList { saved });
}

// Apple keeps sodium 1 mg and protein 0.5 g, Bar protein 10 g and no sodium; the user's daily
// targets are sodium at most 2300 mg, protein at least 50 g and iron, which neither keeps, at least 18 mg.
void TestTotalsDialog::planNutrients()
{
    FoodNutrientChanges apple;
    apple.values = { { "307", 1.0 }, { "203", 0.5 } };
    QVERIFY(writeNutrients(*m_foods, "Apple", apple));
    FoodNutrientChanges bar;
    bar.values = { { "203", 10.0 } };
    QVERIFY(writeNutrients(*m_foods, "Bar", bar));
    QVERIFY(TextFile::writeLines(m_workspace->files().perUserFile(NutrientTargets::keptFileSuffix()),
        { "307__2300", "203_50_", "303_18_" }, nullptr));
    QVERIFY(TextFile::writeLines(m_workspace->files().perUserFile("Weekly"), { "Lunch_Bar_ 7" }, nullptr));
    openWindow();
}

// After Calculate the nutrient view shows the row clicked in the grid: each nutrient's amount, a
// lower bound where planned foods lack it with a tool tip naming them, and for a row standing for
// one day its share of the daily target. "Per day" applies to it as to the grid.
void TestTotalsDialog::nutrientViewAfterCalculate_data()
{
    QTest::addColumn<int>("gridRow");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("share");
    QTest::addColumn<QStringList>("tip");
    QTest::newRow("a lower bound") << 1 << "307"
                                   << "\u2265 2"
                                   << "\u2265 0 %"
                                   << QStringList { "Sodium in Active: \u2265 2 mg",
                                          "Daily target: \u2264 2300 mg; \u2265 0 % of its maximum",
                                          "1 planned food lacks this value, so the amount is at least this much:",
                                          "Bar" };
    QTest::newRow("under the minimum") << 2 << "203"
                                       << "10.5"
                                       << "21 % \u2193"
                                       << QStringList { "Protein in Daily: 10.5 g",
                                              "Daily target: \u2265 50 g; 21 % \u2193 of its minimum" };
    QTest::newRow("the week per day") << 3 << "203"
                                      << "10"
                                      << "20 % \u2193"
                                      << QStringList { "Protein in Weekly (per day): 10 g",
                                             "Daily target: \u2265 50 g; 20 % \u2193 of its minimum" };
    QTest::newRow("a negative quantity of a food that lacks it")
        << 4 << "307"
        << "\u2265 0"
        << "\u2265 0 %"
        << QStringList { "Sodium in Friday: \u2265 0 mg", "Daily target: \u2264 2300 mg; \u2265 0 % of its maximum",
               "1 planned food lacks this value, so the amount is at least this much:", "Bar" };
    QTest::newRow("Totals, no share") << 5 << "203"
                                      << "16.5"
                                      << "" << QStringList { "Protein in Totals: 16.5 g", "Daily target: \u2265 50 g" };
    QTest::newRow("Totals of the lower bounds")
        << 5 << "307"
        << "\u2265 3"
        << ""
        << QStringList { "Sodium in Totals: \u2265 3 mg", "Daily target: \u2264 2300 mg",
               "4 planned foods lack this value, so the amount is at least this much:", "Bar (4 times)" };
}

void TestTotalsDialog::nutrientViewAfterCalculate()
{
    QFETCH(int, gridRow);
    QFETCH(QString, number);
    QFETCH(QString, amount);
    QFETCH(QString, share);
    QFETCH(QStringList, tip);
    planNutrients();
    auto* view = m_window->findChild<QTreeView*>("NutrientView");
    auto* model = qobject_cast<NutrientViewModel*>(view->model());
    QVERIFY(model);
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    // Before any calculation the view lists the catalogue's nutrients without amounts.
    const int nutrient = int(m_window->nutrients().catalogue().indexOf(number));
    QVERIFY(nutrient >= 0);
    QCOMPARE(model->indexOfNutrient(nutrient, NutrientViewModel::AmountColumn).data().toString(), QString());
    tick(1);
    tick(2);
    tick(3);
    tick(11);
    m_window->findChild<QCheckBox*>(QStringLiteral("PerDay"))->setChecked(true);
    click("CalcTot");
    QVERIFY(Prompt::shown().isEmpty());
    QTest::mouseClick(
        grid()->viewport(), Qt::LeftButton, {}, grid()->visualRect(grid()->model()->index(gridRow, 0)).center());
    auto* tabs = m_window->findChild<QTabWidget*>("TotalsTabs");
    tabs->setCurrentIndex(1);
    QCOMPARE(m_window->findChild<QComboBox*>("NutrientRow")->currentText(), rowTexts(gridRow)[0]);
    const QModelIndex shown = model->indexOfNutrient(nutrient, NutrientViewModel::AmountColumn);
    QCOMPARE(shown.data().toString(), amount);
    QCOMPARE(shown.siblingAtColumn(NutrientViewModel::ShareColumn).data().toString(), share);
    QCOMPARE(shown.siblingAtColumn(NutrientViewModel::UnitColumn).data().toString(),
        m_window->nutrients().nutrient(nutrient).unit);
    QCOMPARE(shown.data(Qt::ToolTipRole).toString().split(u'\n'), tip);
    QVERIFY(view->isVisible());

    // The nutrient chosen in the view is known to the window, and stays chosen through a new
    // calculation.
    QSignalSpy chosen(m_window.get(), &TotalsDialog::currentNutrientChanged);
    view->setCurrentIndex(shown.siblingAtColumn(0));
    QCOMPARE(m_window->currentNutrientNumber(), number);
    QCOMPARE(chosen.size(), 1);
    QCOMPARE(chosen.first().first().toString(), number);
    click("CalcTot");
    QCOMPARE(m_window->currentNutrientNumber(), number);
    QCOMPARE(m_window->findChild<QComboBox*>("NutrientRow")->currentText(), rowTexts(gridRow)[0]);
    // The grid is as it was.
    QCOMPARE(rowTexts(1), QStringList({ "Active", "290", "65", "4.6", "44", "2.5", "4", "11.3", "2", "51.7" }));
}

QString TestTotalsDialog::printedText(const QString& name, int firstPage, int lastPage, int* pages)
{
    const QString pdf = m_folder->path() + u'/' + name;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    if (!m_window->printReport(&printer)) {
        return QString();
    }
    QProcess pdfinfo;
    pdfinfo.start("pdfinfo", { pdf });
    pdfinfo.waitForFinished(30000);
    const QString info = QString::fromUtf8(pdfinfo.readAllStandardOutput());
    *pages = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info).captured(1).toInt();
    QProcess pdftotext;
    pdftotext.start(
        "pdftotext", { "-layout", "-f", QString::number(firstPage), "-l", QString::number(lastPage), pdf, "-" });
    pdftotext.waitForFinished(30000);
    return QString::fromUtf8(pdftotext.readAllStandardOutput());
}

// The report file and the printout gain the nutrient page only when it is asked for; without it
// both are what they were before the page existed, byte for byte in the file. The page lists
// every nutrient with a value or a target, under its group.
void TestTotalsDialog::reportNutrientPageOnlyWhenAsked_data()
{
    QTest::addColumn<bool>("page");
    QTest::newRow("without the page") << false;
    QTest::newRow("with the page") << true;
}

void TestTotalsDialog::reportNutrientPageOnlyWhenAsked()
{
    QFETCH(bool, page);
    planNutrients();
    tick(1);
    tick(11);
    click("CalcTot");
    int pagesWithout = 0;
    const QString without = printedText("without.pdf", 1, 1, &pagesWithout);
    QCOMPARE(pagesWithout, 1);
    auto* asked = m_window->findChild<QCheckBox*>("ReportNutrientPage");
    QVERIFY(asked && !asked->isChecked());
    asked->setChecked(page);
    click("Option2");
    click("TotalsPrint");
    QFile file(m_folder->dataFolder() + "AnnLeeTotalsReport.txt");
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray totals(
        "Period\tCalories\tCarbohydrates\tFat\tSugar\tCholesterol\tPoints\tFiber\tSugar Alcohols\tNet Carbs\r\n"
        "Active\t290\t65\t4.6\t44\t2.5\t4\t11.3\t2\t51.7\r\n"
        "Friday\t-200\t-30\t-8\t-12\t-5\t-4\t-5\t-4\t-21\r\n"
        "Totals\t90\t35\t-3.4\t32\t-2.5\t0\t6.3\t-2\t30.7\r\n");
    const QByteArray nutrientPage("\r\nNutrients\r\n"
                                  "Nutrient\tUnit\tDaily target\tActive\tFriday\tTotals\r\n"
                                  "Energy and macronutrients\t\t\t\t\t\r\n"
                                  "Protein\tg\t\xe2\x89\xa5 50\t6 (12 % \xe2\x86\x93)\t-10 (-20 % \xe2\x86\x93)\t-4\r\n"
                                  "Minerals\t\t\t\t\t\r\n"
                                  "Iron\tmg\t\xe2\x89\xa5 18\t\xe2\x89\xa5 0 (\xe2\x89\xa5 0 %)\t\xe2\x89\xa5 0 "
                                  "(\xe2\x89\xa5 0 %)\t\xe2\x89\xa5 0\r\n"
                                  "Sodium\tmg\t\xe2\x89\xa4 2300\t\xe2\x89\xa5 2 (\xe2\x89\xa5 0 %)\t\xe2\x89\xa5 0 "
                                  "(\xe2\x89\xa5 0 %)\t\xe2\x89\xa5 2\r\n"
                                  "\xe2\x89\xa5: some planned foods lack the value, so the amount is at least this "
                                  "much.\r\n");
    QCOMPARE(file.readAll(), page ? totals + nutrientPage : totals);

    int pages = 0;
    QCOMPARE(printedText("asked.pdf", 1, 1, &pages), without);
    QCOMPARE(pages, page ? 2 : 1);
    if (page) {
        const QString second = printedText("asked.pdf", 2, 2, &pages);
        QVERIFY2(second.contains("Platewell Totals Report: Nutrients"), qPrintable(second));
        QVERIFY2(second.contains(QRegularExpression("Protein\\s+g\\s+\u2265 50\\s+6 \\(12 % \u2193\\)")),
            qPrintable(second));
    }
}

QTEST_MAIN(TestTotalsDialog)
#include "TestTotalsDialog.moc"
