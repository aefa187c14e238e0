#include "TestSupport.h"
#include "core/files/TextFile.h"
#include "core/totals/UserTargets.h"
#include "gui/common/Prompt.h"
#include "gui/totals/NutrientTargetsModel.h"
#include "gui/totals/RecommendedIntakesDialog.h"
#include "gui/totals/TargetsDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include <memory>

// The Targets window's list of every nutrient: narrowed by typing, bounds typed as people type
// numbers or refused with nothing changed, saved beside the nine's file without changing it, and
// filled from the recommended intakes.
class TestTargetsOfEveryNutrient : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void filterNarrowsTheList_data();
    void filterNarrowsTheList();
    void typingABound_data();
    void typingABound();
    void okWithABadBoundBeingTyped();
    void savingKeepsTheNineFile();
    void filledFromRecommendedIntakes_data();
    void filledFromRecommendedIntakes();
    void pregnancyOfferedOnlyWhereItCanBe_data();
    void pregnancyOfferedOnlyWhereItCanBe();
    void ageAsTyped_data();
    void ageAsTyped();

private:
    QString file(const QString& suffix) const { return m_workspace->files().perUserFile(suffix); }
    QByteArray bytes(const QString& suffix) const;

    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<Workspace> m_workspace;
};

void TestTargetsOfEveryNutrient::init()
{
    QLocale::setDefault(QLocale(QStringLiteral("en_US")));
    Prompt::setAnswering(true);
    Prompt::clearShown();
    m_folder = std::make_unique<TestFolder>();
    m_workspace = m_folder->workspace();
}

void TestTargetsOfEveryNutrient::cleanup()
{
    m_workspace.reset();
    m_folder.reset();
}

QByteArray TestTargetsOfEveryNutrient::bytes(const QString& suffix) const
{
    QFile f(file(suffix));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void TestTargetsOfEveryNutrient::filterNarrowsTheList_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("headings");
    QTest::addColumn<QStringList>("some");
    QTest::addColumn<int>("nutrients");
    QTest::newRow("a name") << "sodium" << QStringList { "Minerals" } << QStringList { "307" } << 1;
    QTest::newRow("any case, blanks around") << "  SODIUM " << QStringList { "Minerals" } << QStringList { "307" } << 1;
    QTest::newRow("a number") << "307" << QStringList { "Minerals" } << QStringList { "307" } << 1;
    QTest::newRow("across groups") << "vitamin c" << QStringList { "Vitamins" } << QStringList { "401" } << 1;
    QTest::newRow("a group's name shows the group")
        << "amino" << QStringList { "Amino acids" } << QStringList { "501", "518" } << 19;
    QTest::newRow("fat in two groups") << "fat" << QStringList { "Energy and macronutrients", "Fats" }
                                       << QStringList { "204", "606", "601" } << 7;
    QTest::newRow("nothing") << "zzz" << QStringList {} << QStringList {} << 0;
}

void TestTargetsOfEveryNutrient::filterNarrowsTheList()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, headings);
    QFETCH(QStringList, some);
    QFETCH(int, nutrients);
    TargetsDialog window(m_workspace->targets(), NutrientCatalogue::starter());
    auto* filter = window.findChild<QLineEdit*>(QStringLiteral("NutrientTargetsFilter"));
    NutrientTargetsModel* model = window.nutrientsModel();
    QCOMPARE(model->rowCount(), NutrientCatalogue::starter().size() + 7);
    QTest::keyClicks(filter, typed);
    QStringList shownHeadings;
    int shownNutrients = 0;
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->isHeading(row)) {
            shownHeadings.append(model->index(row, 0).data().toString());
        } else {
            ++shownNutrients;
        }
    }
    QCOMPARE(shownHeadings, headings);
    QCOMPARE(shownNutrients, nutrients);
    for (const QString& number : some) {
        QVERIFY2(model->rowOf(number) >= 0, qPrintable(number));
    }
    // The list stands on the first nutrient shown, ready to take a minimum.
    auto* list = window.findChild<QTreeView*>(QStringLiteral("NutrientTargetsList"));
    if (nutrients > 0) {
        QCOMPARE(list->currentIndex().column(), int(NutrientTargetsModel::MinimumColumn));
        QVERIFY(!model->isHeading(list->currentIndex().row()));
    }
}

void TestTargetsOfEveryNutrient::typingABound_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("refused");
    const int minimum = NutrientTargetsModel::MinimumColumn;
    const int maximum = NutrientTargetsModel::MaximumColumn;
    QTest::newRow("a grouped number") << "en_US"
                                      << "" << maximum << "2,300"
                                      << "2,300"
                                      << "";
    QTest::newRow("German decimals") << "de_DE"
                                     << "" << minimum << "1.500,5"
                                     << "1.500,5"
                                     << "";
    QTest::newRow("the C form") << "de_DE"
                                << "" << minimum << "1500.5"
                                << "1.500,5"
                                << "";
    QTest::newRow("a word") << "en_US"
                            << "1500_2300" << minimum << "lots"
                            << "1,500"
                            << "\"lots\" is not a number, so the minimum of Sodium stays as it was.";
    QTest::newRow("with its unit") << "en_US"
                                   << "1500_2300" << maximum << "2300 mg"
                                   << "2,300"
                                   << "\"2300 mg\" is not a number, so the maximum of Sodium stays as it was.";
    QTest::newRow("a minimum above the maximum")
        << "en_US"
        << "1500_2300" << minimum << "3000"
        << "1,500"
        << "The minimum of Sodium would be above its maximum, so it stays as it was.";
    QTest::newRow("a maximum below the minimum")
        << "en_US"
        << "1500_2300" << maximum << "1000"
        << "2,300"
        << "The maximum of Sodium would be below its minimum, so it stays as it was.";
    QTest::newRow("emptied: no bound") << "en_US"
                                       << "1500_2300" << minimum << ""
                                       << ""
                                       << "";
}

void TestTargetsOfEveryNutrient::typingABound()
{
    QFETCH(QString, locale);
    QFETCH(QString, before);
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(QString, refused);
    QLocale::setDefault(QLocale(locale));
    if (!before.isEmpty()) {
        QVERIFY(TextFile::writeLines(file(NutrientTargets::keptFileSuffix()), { "307_" + before }, nullptr));
    }
    TargetsDialog window(m_workspace->targets(), NutrientCatalogue::starter());
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    const std::map<QString, NutrientTargets::Range> start = window.nutrientsModel()->ranges();
    // By keyboard: the filter by its mnemonic, Tab into the list, typing edits the bound.
    QTest::keyClick(&window, Qt::Key_N, Qt::AltModifier);
    auto* filter = window.findChild<QLineEdit*>(QStringLiteral("NutrientTargetsFilter"));
    QCOMPARE(QApplication::focusWidget(), filter);
    QTest::keyClicks(filter, QStringLiteral("sodium"));
    QTest::keyClick(filter, Qt::Key_Tab);
    auto* list = window.findChild<QTreeView*>(QStringLiteral("NutrientTargetsList"));
    QCOMPARE(QApplication::focusWidget(), list);
    // Enter in the search box goes to the list too, and leaves the window open.
    filter->setFocus();
    QTest::keyClick(filter, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), list);
    QVERIFY(window.isVisible());
    NutrientTargetsModel* model = window.nutrientsModel();
    const int row = model->rowOf(QStringLiteral("307"));
    QCOMPARE(list->currentIndex(), model->index(row, NutrientTargetsModel::MinimumColumn));
    list->setCurrentIndex(model->index(row, column));
    if (typed.isEmpty()) {
        QTest::keyClick(list, Qt::Key_F2);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
    } else {
        QTest::keyClick(list, typed.front().toLatin1());
        QTest::keyClicks(QApplication::focusWidget(), typed.mid(1));
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCoreApplication::processEvents();
    QCOMPARE(model->index(row, column).data().toString(), shown);
    if (refused.isEmpty()) {
        QCOMPARE(Prompt::shown().size(), 0);
    } else {
        QTRY_COMPARE(Prompt::shown().size(), 1);
        QCOMPARE(Prompt::shown().front().text, refused);
        QVERIFY(model->ranges() == start);
    }
    window.reject();
}

void TestTargetsOfEveryNutrient::okWithABadBoundBeingTyped()
{
    TargetsDialog window(m_workspace->targets(), NutrientCatalogue::starter());
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    auto* list = window.findChild<QTreeView*>(QStringLiteral("NutrientTargetsList"));
    NutrientTargetsModel* model = window.nutrientsModel();
    list->setFocus();
    list->setCurrentIndex(model->index(model->rowOf(QStringLiteral("307")), NutrientTargetsModel::MaximumColumn));
    QTest::keyClick(list, Qt::Key_L);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("ots"));
    QVERIFY(QApplication::focusWidget() != list && list->isAncestorOf(QApplication::focusWidget()));
    window.accept();
    QVERIFY(window.isVisible());
    QTRY_COMPARE(Prompt::shown().size(), 1);
    QVERIFY(Prompt::shown().front().text.contains(QStringLiteral("\"lots\" is not a number")));
    QVERIFY(!QFile::exists(file(NutrientTargets::keptFileSuffix())));
    // A good one being typed is taken by OK.
    QTest::keyClick(list, Qt::Key_2);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("300"));
    window.accept();
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QCOMPARE(bytes(NutrientTargets::keptFileSuffix()), QByteArray("307__2300\r\n"));
}

void TestTargetsOfEveryNutrient::savingKeepsTheNineFile()
{
    const QByteArray nine("Calories_1800_2200\r\nFiber_25_\r\n");
    QVERIFY(TextFile::writeBytes(file(NutrientTargets::fileSuffix()), nine, nullptr));
    {
        TargetsDialog window(m_workspace->targets(), NutrientCatalogue::starter());
        NutrientTargetsModel* model = window.nutrientsModel();
        const int row = model->rowOf(QStringLiteral("307"));
        QVERIFY(model->setData(model->index(row, NutrientTargetsModel::MaximumColumn), QStringLiteral("2,300")));
        window.accept();
        QCOMPARE(window.result(), int(QDialog::Accepted));
    }
    // The nine's file is not written again; the others' has its line.
    QCOMPARE(bytes(NutrientTargets::fileSuffix()), nine);
    QCOMPARE(bytes(NutrientTargets::keptFileSuffix()), QByteArray("307__2300\r\n"));
    // The nine as a version that knows only them reads them, from a file written with one of them
    // changed.
    {
        TargetsDialog window(m_workspace->targets(), NutrientCatalogue::starter());
        QCOMPARE(window.nutrientsModel()->ranges().at(QStringLiteral("307")).maximum, 2300.0);
        window.findChild<QLineEdit*>(QStringLiteral("Maximum7"))->setText(QStringLiteral("40"));
        window.accept();
    }
    QCOMPARE(bytes(NutrientTargets::fileSuffix()), QByteArray("Calories_1800_2200\r\nFiber_25_40\r\n"));
    QCOMPARE(bytes(NutrientTargets::keptFileSuffix()), QByteArray("307__2300\r\n"));
    // Cancel writes nothing.
    {
        TargetsDialog window(m_workspace->targets(), NutrientCatalogue::starter());
        NutrientTargetsModel* model = window.nutrientsModel();
        QVERIFY(model->setData(model->index(model->rowOf(QStringLiteral("303")), NutrientTargetsModel::MinimumColumn),
            QStringLiteral("18")));
        window.reject();
    }
    QCOMPARE(bytes(NutrientTargets::keptFileSuffix()), QByteArray("307__2300\r\n"));
}

void TestTargetsOfEveryNutrient::filledFromRecommendedIntakes_data()
{
    QTest::addColumn<int>("sex");
    QTest::addColumn<int>("age");
    QTest::addColumn<int>("stage");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("fiber");
    // "number minimum maximum" as the list shows them, "-" for empty.
    QTest::newRow("women 31-50") << 0 << 40 << 0
                                 << QStringList { "303 18 45", "301 1,000 2,500", "307 1,500 2,300", "291 25 -",
                                        "312 0.9 10", "208 - -", "606 - -" }
                                 << "25";
    QTest::newRow("men 19-30") << 1 << 25 << 0 << QStringList { "401 90 2,000", "291 38 -", "313 4,000 10,000" }
                               << "38";
    QTest::newRow("pregnant 30") << 0 << 30 << 1 << QStringList { "303 27 45", "401 85 2,000" } << "28";
}

void TestTargetsOfEveryNutrient::filledFromRecommendedIntakes()
{
    QFETCH(int, sex);
    QFETCH(int, age);
    QFETCH(int, stage);
    QFETCH(QStringList, expected);
    QFETCH(QString, fiber);
    // A target the user set before: vitamin A's stays, having no reference it can be compared with.
    QVERIFY(TextFile::writeLines(file(NutrientTargets::keptFileSuffix()), { "318_2000_", "303_1_2" }, nullptr));
    TargetsDialog window(m_workspace->targets(), NutrientCatalogue::starter());
    whenModal([&](QWidget* asked) {
        QCOMPARE(asked->objectName(), QStringLiteral("RecommendedIntakes"));
        asked->findChild<QComboBox*>(QStringLiteral("RecommendedSex"))->setCurrentIndex(sex);
        asked->findChild<QLineEdit*>(QStringLiteral("RecommendedAge"))->setText(QString::number(age));
        asked->findChild<QComboBox*>(QStringLiteral("RecommendedStage"))->setCurrentIndex(stage);
        static_cast<QDialog*>(asked)->accept();
    });
    window.findChild<QPushButton*>(QStringLiteral("SetFromRecommendedIntakes"))->click();
    NutrientTargetsModel* model = window.nutrientsModel();
    for (const QString& line : expected) {
        const QStringList parts = line.split(QLatin1Char(' '));
        const int row = model->rowOf(parts[0]);
        QVERIFY(row >= 0);
        QCOMPARE(model->index(row, NutrientTargetsModel::MinimumColumn).data().toString(),
            parts[1] == u"-" ? QString() : parts[1]);
        QCOMPARE(model->index(row, NutrientTargetsModel::MaximumColumn).data().toString(),
            parts[2] == u"-" ? QString() : parts[2]);
    }
    QCOMPARE(model->ranges().at(QStringLiteral("318")).minimum, 2000.0);
    // The nine's Fiber counts the same nutrient.
    QCOMPARE(window.findChild<QLineEdit*>(QStringLiteral("Minimum7"))->text(), fiber);
    // The window names what it left unset, and why.
    auto* note = window.findChild<QLabel*>(QStringLiteral("RecommendedIntakesNote"));
    QVERIFY(!note->isHidden());
    QVERIFY2(note->text().contains(
                 QStringLiteral("Vitamin A (IU): recommended in µg RAE, which IU cannot be converted to.")),
        qPrintable(note->text()));
    QVERIFY(note->text().contains(QStringLiteral("in µg DFE")));
    // Nothing is saved until OK; the user may change a value first.
    QCOMPARE(bytes(NutrientTargets::keptFileSuffix()), QByteArray("318_2000_\r\n303_1_2\r\n"));
    QVERIFY(model->setData(model->index(model->rowOf(QStringLiteral("307")), NutrientTargetsModel::MaximumColumn),
        QStringLiteral("2,000")));
    window.accept();
    const NutrientTargets& saved = m_workspace->targets().targets();
    QCOMPARE(saved.keptRange(QStringLiteral("307")).maximum, 2000.0);
    QCOMPARE(saved.keptRange(QStringLiteral("291")).minimum, fiber.toDouble());
    QCOMPARE(saved.range(TotalsRow::Fiber).minimum, fiber.toDouble());
    QVERIFY(Prompt::shown().isEmpty());
}

void TestTargetsOfEveryNutrient::pregnancyOfferedOnlyWhereItCanBe_data()
{
    QTest::addColumn<int>("sex");
    QTest::addColumn<int>("age");
    QTest::addColumn<bool>("offered");
    QTest::newRow("female 14") << 0 << 14 << true;
    QTest::newRow("female 50") << 0 << 50 << true;
    QTest::newRow("female 13") << 0 << 13 << false;
    QTest::newRow("female 51") << 0 << 51 << false;
    QTest::newRow("male 30") << 1 << 30 << false;
}

void TestTargetsOfEveryNutrient::pregnancyOfferedOnlyWhereItCanBe()
{
    QFETCH(int, sex);
    QFETCH(int, age);
    QFETCH(bool, offered);
    RecommendedIntakesDialog ask;
    auto* stage = ask.findChild<QComboBox*>(QStringLiteral("RecommendedStage"));
    ask.findChild<QComboBox*>(QStringLiteral("RecommendedSex"))->setCurrentIndex(0);
    ask.findChild<QLineEdit*>(QStringLiteral("RecommendedAge"))->setText(QStringLiteral("30"));
    stage->setCurrentIndex(2);
    ask.findChild<QComboBox*>(QStringLiteral("RecommendedSex"))->setCurrentIndex(sex);
    ask.findChild<QLineEdit*>(QStringLiteral("RecommendedAge"))->setText(QString::number(age));
    QCOMPARE(stage->isEnabled(), offered);
    // A stage no longer offered is not given.
    QCOMPARE(ask.person().stage, offered ? RecommendedIntakes::Stage::Lactating : RecommendedIntakes::Stage::None);
}

void TestTargetsOfEveryNutrient::ageAsTyped_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("age");
    QTest::newRow("an adult") << "45" << 45;
    QTest::newRow("blanks around") << " 7 " << 7;
    QTest::newRow("the oldest") << "120" << 120;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("an infant") << "0" << 0;
    QTest::newRow("older than any") << "121" << 0;
    QTest::newRow("a word") << "forty" << 0;
}

void TestTargetsOfEveryNutrient::ageAsTyped()
{
    QFETCH(QString, typed);
    QFETCH(int, age);
    RecommendedIntakesDialog ask;
    ask.findChild<QLineEdit*>(QStringLiteral("RecommendedAge"))->setText(typed);
    ask.accept();
    QCOMPARE(ask.result(), age > 0 ? int(QDialog::Accepted) : int(QDialog::Rejected));
    if (age > 0) {
        QCOMPARE(ask.person().age, age);
        QVERIFY(Prompt::shown().isEmpty());
    } else {
        QCOMPARE(Prompt::shown().size(), 1);
        QCOMPARE(Prompt::shown().front().text, QStringLiteral("Type the age in whole years, from 1 to 120."));
    }
}

QTEST_MAIN(TestTargetsOfEveryNutrient)
#include "TestTargetsOfEveryNutrient.moc"
