// Daily targets: where a day's value stands against them, their file read back exactly, the lines
// and ranges refused, and the week rows made from other rows.

#include "core/files/TextFile.h"
#include "core/totals/NutrientTargets.h"
#include "core/totals/TotalsCalculator.h"
#include "core/totals/TotalsReport.h"

#include <QFile>
#include <QTemporaryDir>

#include <QTest>
#include <cstring>

namespace {

// A range as a test row gives it: an empty text leaves that end open.
NutrientTargets::Range typedRange(const QString& minimum, const QString& maximum)
{
    NutrientTargets::Range range;
    if (!minimum.isEmpty()) {
        range.minimum = minimum.toDouble();
    }
    if (!maximum.isEmpty()) {
        range.maximum = maximum.toDouble();
    }
    return range;
}

} // namespace

class TestNutrientTargets : public QObject
{
    Q_OBJECT

private slots:
    void standing_data();
    void standing();
    void fileRoundTripAndRefusals();
    void otherNutrientsKeptApart_data();
    void otherNutrientsKeptApart();
    void boundsReadAsTyped_data();
    void boundsReadAsTyped();
    void typedBoundsReadBack();
    void weekRows();
    void reportFileGainsTargetColumns();
    void rangeTexts_data();
    void rangeTexts();
    void describeAsShownAndJudged_data();
    void describeAsShownAndJudged();
};

void TestNutrientTargets::standing_data()
{
    QTest::addColumn<QString>("minimum");
    QTest::addColumn<QString>("maximum");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("standing");
    using S = NutrientTargets::Standing;
    QTest::newRow("no target") << ""
                               << "" << 5.0 << int(S::NoTarget);
    QTest::newRow("below the minimum") << "1800"
                                       << "2200" << 1799.99 << int(S::Under);
    QTest::newRow("at the minimum") << "1800"
                                    << "2200" << 1800.0 << int(S::Within);
    QTest::newRow("at the maximum") << "1800"
                                    << "2200" << 2200.0 << int(S::Within);
    QTest::newRow("above the maximum") << "1800"
                                       << "2200" << 2200.01 << int(S::Over);
    QTest::newRow("only a minimum, far above") << "1800"
                                               << "" << 1e9 << int(S::Within);
    QTest::newRow("only a maximum, below zero") << ""
                                                << "70" << -1.0 << int(S::Within);
    // A value is judged as the grid shows it, to 15 significant digits.
    QTest::newRow("a sum shown as the maximum") << ""
                                                << "25" << 25.000000000000004 << int(S::Within);
    QTest::newRow("a sum shown as the minimum") << "0.3"
                                                << "" << 0.1 + 0.2 - 1e-16 << int(S::Within);
    QTest::newRow("above the maximum in the 15th digit") << ""
                                                         << "25" << 25.0000000000001 << int(S::Over);
    QTest::newRow("below the minimum in the 15th digit") << "1800"
                                                         << "" << 1799.99999999999 << int(S::Under);
}

void TestNutrientTargets::standing()
{
    QFETCH(QString, minimum);
    QFETCH(QString, maximum);
    QFETCH(double, value);
    QFETCH(int, standing);
    NutrientTargets targets;
    QVERIFY(targets.setRange(TotalsRow::Calories, typedRange(minimum, maximum), nullptr));
    QCOMPARE(int(targets.standing(TotalsRow::Calories, value)), standing);
    QCOMPARE(int(targets.standing(TotalsRow::Fat, value)), int(NutrientTargets::Standing::NoTarget));
}

void TestNutrientTargets::fileRoundTripAndRefusals()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("TamoAnnTargets.txt"));
    NutrientTargets targets;
    QVERIFY(targets.setRange(TotalsRow::Calories, { 1800, 2200 }, nullptr));
    QVERIFY(targets.setRange(TotalsRow::Cholesterol, { std::nullopt, 0.1 + 0.2 }, nullptr));
    QVERIFY(targets.setRange(TotalsRow::NetCarbs, { 1e-7, std::nullopt }, nullptr));
    QString reason;
    QVERIFY(!targets.setRange(TotalsRow::Fat, { 80, 70 }, &reason));
    QVERIFY2(reason.contains(QStringLiteral("Fat")), qPrintable(reason));
    QString error;
    QVERIFY2(targets.save(path, &error), qPrintable(error));

    NutrientTargets loaded;
    QStringList problems;
    QVERIFY(NutrientTargets::load(path, &loaded, &problems, &error));
    QVERIFY(problems.isEmpty());
    QVERIFY(loaded == targets);
    QCOMPARE(
        loaded.describe(TotalsRow::Calories, 1850, QLocale::c()), QStringLiteral("1850 of 1800\u20132200 kcal (84 %)"));

    // Lines it cannot read are each reported; the good ones still count.
    QFile file(path);
    QVERIFY(file.open(QIODevice::Append));
    file.write("Fat_abc_\r\nProtein_1_2\r\nSugar_1\r\nFiber_9_3\r\nPoints__30\r\n");
    file.close();
    QVERIFY(NutrientTargets::load(path, &loaded, &problems, &error));
    QCOMPARE(problems.size(), 4);
    QVERIFY2(problems[3].contains(QStringLiteral("Fiber")), qPrintable(problems[3]));
    QCOMPARE(loaded.range(TotalsRow::Points).maximum, std::optional<double>(30));
    QCOMPARE(loaded.range(TotalsRow::Calories).minimum, std::optional<double>(1800));

    // No file: no targets, and no complaint.
    QVERIFY(NutrientTargets::load(dir.filePath(QStringLiteral("none.txt")), &loaded, &problems, &error));
    QVERIFY(loaded.isEmpty() && problems.isEmpty());
}

// Targets of nutrients beyond the nine go to a file of their own, so that the targets file holds
// only the nine's lines, which every earlier version reads without a complaint; each file's lines
// are read and refused alike.
void TestNutrientTargets::otherNutrientsKeptApart_data()
{
    QTest::addColumn<QByteArray>("appended");
    QTest::addColumn<int>("problems");
    QTest::addColumn<QStringList>("kept");
    QTest::newRow("as written") << QByteArray() << 0 << QStringList { "303", "307" };
    QTest::newRow("lines that cannot be read") << QByteArray("abc_1_2\r\n401_9_3\r\n307_1_2\r\n291_x_\r\n957.1__5\r\n")
                                               << 4 << QStringList { "303", "307", "957.1" };
}

void TestNutrientTargets::otherNutrientsKeptApart()
{
    QFETCH(QByteArray, appended);
    QFETCH(int, problems);
    QFETCH(QStringList, kept);
    QTemporaryDir dir;
    const QString ninePath = dir.filePath(QStringLiteral("TamoAnnTargets.txt"));
    const QString keptPath = dir.filePath(QStringLiteral("TamoAnnNutrientTargets.txt"));
    NutrientTargets targets;
    QVERIFY(targets.setRange(TotalsRow::Fat, { std::nullopt, 70 }, nullptr));
    QVERIFY(targets.setKeptRange(QStringLiteral("303"), { 18, 45 }, nullptr));
    QVERIFY(targets.setKeptRange(QStringLiteral("307"), { std::nullopt, 2300 }, nullptr));
    QString reason;
    QVERIFY(!targets.setKeptRange(QStringLiteral("Iron"), { 1, 2 }, &reason));
    QVERIFY(!targets.setKeptRange(QStringLiteral("301"), { 2500, 1000 }, &reason));
    QString error;
    QVERIFY(targets.save(ninePath, &error) && targets.saveKept(keptPath, &error));
    QStringList lines;
    QVERIFY(TextFile::readLines(ninePath, &lines, nullptr));
    QCOMPARE(lines, QStringList { "Fat__70" });
    QVERIFY(TextFile::readLines(keptPath, &lines, nullptr));
    QCOMPARE(lines, (QStringList { "303_18_45", "307__2300" }));

    QFile file(keptPath);
    QVERIFY(file.open(QIODevice::Append));
    file.write(appended);
    file.close();
    NutrientTargets loaded;
    QStringList found;
    QVERIFY(NutrientTargets::load(ninePath, &loaded, &found, &error));
    QVERIFY(found.isEmpty());
    QVERIFY(NutrientTargets::loadKept(keptPath, &loaded, &found, &error));
    QCOMPARE(found.size(), problems);
    QStringList numbers;
    for (const auto& [number, range] : loaded.keptRanges()) {
        numbers.append(number);
    }
    QCOMPARE(numbers, kept);
    QCOMPARE(loaded.range(TotalsRow::Fat).maximum, std::optional<double>(70));
    QCOMPARE(loaded.keptRange(QStringLiteral("307")).maximum, std::optional<double>(2300));
    // Loading the nine again leaves the others as they are.
    QVERIFY(NutrientTargets::load(ninePath, &loaded, nullptr, &error));
    QCOMPARE(loaded.keptRange(QStringLiteral("303")).minimum, std::optional<double>(18));
}

// Numbers are read as a person of the locale writes them, or in the C form, or refused: never
// the leading digits of a text ("1,800" as 1) nor 0 for a word.
void TestNutrientTargets::boundsReadAsTyped_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("read");
    QTest::addColumn<double>("value");
    const struct
    {
        const char* tag;
        const char* locale;
        const char* text;
        bool read;
        double value;
    } rows[] = {
        { "grouped thousands", "en_US", "1,800", true, 1800 },
        { "grouped with decimals", "en_US", "2,200.5", true, 2200.5 },
        { "blanks around", "en_US", " 70 ", true, 70 },
        { "exponent", "en_US", "1e3", true, 1000 },
        { "below zero", "en_US", "-5", true, -5 },
        { "German grouping", "de_DE", "1.800", true, 1800 },
        { "German decimal comma", "de_DE", "2.200,5", true, 2200.5 },
        { "C form in German", "de_DE", "1.5", true, 1.5 },
        { "French blank grouping", "fr_FR", "1 800", true, 1800 },
        { "a word", "en_US", "seventy", false, 0 },
        { "digits then a word", "en_US", "1800 kcal", false, 0 },
        { "misplaced grouping", "en_US", "12,34", false, 0 },
        { "infinity", "en_US", "inf", false, 0 },
        { "not a number", "en_US", "nan", false, 0 },
        { "beyond a double", "en_US", "1e400", false, 0 },
    };
    for (const auto& row : rows) {
        QTest::newRow(row.tag) << QString::fromLatin1(row.locale) << QString::fromLatin1(row.text) << row.read
                               << row.value;
    }
}

void TestNutrientTargets::boundsReadAsTyped()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(bool, read);
    QFETCH(double, value);
    std::optional<double> bound = 42.0;
    QCOMPARE(NutrientTargets::readTypedBound(text, QLocale(locale), &bound), read);
    if (read) {
        QCOMPARE(bound, std::optional(value));
    }
    QVERIFY(NutrientTargets::readTypedBound(QStringLiteral("  "), QLocale(locale), &bound));
    QVERIFY(!bound);
}

// What the Targets window shows reads back as the very same number in every locale.
void TestNutrientTargets::typedBoundsReadBack()
{
    for (const char* name : { "en_US", "de_DE", "fr_FR", "C" }) {
        const QLocale locale(QString::fromLatin1(name));
        for (double value : { 1800.0, 1800.125, 0.1 + 0.2, 1e-7, 1e20, -5.0, 1234567.5, 10000.0, 0.0, 0.9 }) {
            const QString text = NutrientTargets::typedBoundText(value, locale);
            std::optional<double> read;
            QVERIFY2(NutrientTargets::readTypedBound(text, locale, &read), qPrintable(text));
            QVERIFY2(read == value, qPrintable(QStringLiteral("%1 in %2").arg(text, QLatin1String(name))));
        }
    }
    // Round numbers as people write them, not in exponent form.
    QCOMPARE(NutrientTargets::typedBoundText(10000, QLocale(QStringLiteral("en_US"))), QStringLiteral("10,000"));
    QCOMPARE(NutrientTargets::typedBoundText(2500, QLocale(QStringLiteral("de_DE"))), QStringLiteral("2.500"));
}

void TestNutrientTargets::weekRows()
{
    TotalsRow weekday { QStringLiteral("Weekday"), {} };
    TotalsRow weekend { QStringLiteral("Weekend"), {} };
    for (std::size_t n = 0; n < weekday.values.size(); ++n) {
        weekday.values[n] = 0.1 * static_cast<double>(n + 1) + 1850.3;
        weekend.values[n] = 1.0 / 3.0 * static_cast<double>(n + 2);
    }
    const TotalsRow week = TotalsCalculator::weekFromWeekdayAndWeekend(weekday, weekend, QStringLiteral("Week"));
    const TotalsRow perDay = TotalsCalculator::perDay(week, 7, QStringLiteral("Week (per day)"));
    for (std::size_t n = 0; n < weekday.values.size(); ++n) {
        // To the last bit what adding the days by hand gives.
        const double byHand = (weekday.values[n] * 5) + (weekend.values[n] * 2);
        QCOMPARE(std::memcmp(&week.values[n], &byHand, sizeof byHand), 0);
        const double daily = byHand / 7;
        QCOMPARE(std::memcmp(&perDay.values[n], &daily, sizeof daily), 0);
    }
    QCOMPARE(perDay.label, QStringLiteral("Week (per day)"));
}

// The report file gains a column per nutrient with a target, only then, saying where each one-day
// row stands; Weekly and the Totals row add several days and stay blank.
void TestNutrientTargets::reportFileGainsTargetColumns()
{
    TotalsResult result;
    result.rows
        = { { QStringLiteral("Active"), {} }, { QStringLiteral("Weekly"), {} }, { QStringLiteral("Totals"), {} } };
    result.rows[0].values.fill(10);
    result.rows[1].values.fill(70);
    result.rows[2].values.fill(80);
    result.hasTotalsRow = true;
    const QLocale c = QLocale::c();
    NutrientTargets targets;
    QCOMPARE(TotalsReport::fileLines(result, targets, c), TotalsReport::fileLines(result, c));
    QVERIFY(targets.setRange(TotalsRow::Fat, { 12, std::nullopt }, nullptr));
    QVERIFY(targets.setRange(TotalsRow::NetCarbs, { 5, 10 }, nullptr));
    const QStringList lines = TotalsReport::fileLines(result, targets, c);
    const QStringList plain = TotalsReport::fileLines(result, c);
    QCOMPARE(lines[0], plain[0] + QStringLiteral("\tFat target \u2265 12\tNet Carbs target 5\u201310"));
    QCOMPARE(lines[1], plain[1] + QStringLiteral("\tunder\twithin"));
    QCOMPARE(lines[2], plain[2] + QStringLiteral("\t\t"));
    QCOMPARE(lines[3], plain[3] + QStringLiteral("\t\t"));
}

// A range never reads as a negative number, and numbers take the locale's grouping.
void TestNutrientTargets::rangeTexts_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("minimum");
    QTest::addColumn<QString>("maximum");
    QTest::addColumn<QString>("text");
    const struct
    {
        const char* tag;
        const char* locale;
        const char* minimum;
        const char* maximum;
        const char* text;
    } rows[] = {
        { "both bounds, grouped", "en_US", "1800", "2200", "1,800\u20132,200" },
        { "only a maximum", "en_US", "", "250", "\u2264 250" },
        { "only a minimum", "en_US", "25", "", "\u2265 25" },
        { "a maximum below zero", "en_US", "", "-5", "\u2264 -5" },
        { "German form", "de_DE", "1800.5", "2200", "1.800,5\u20132.200" },
        { "shown to 15 digits", "en_US", "0.30000000000000004", "", "\u2265 0.3" },
        { "huge", "en_US", "", "1e20", "\u2264 1E+20" },
        { "no target", "en_US", "", "", "" },
    };
    for (const auto& row : rows) {
        QTest::newRow(row.tag) << QString::fromLatin1(row.locale) << QString::fromLatin1(row.minimum)
                               << QString::fromLatin1(row.maximum) << QString::fromUtf8(row.text);
    }
}

void TestNutrientTargets::rangeTexts()
{
    QFETCH(QString, locale);
    QFETCH(QString, minimum);
    QFETCH(QString, maximum);
    QFETCH(QString, text);
    NutrientTargets targets;
    QVERIFY(targets.setRange(TotalsRow::Calories, typedRange(minimum, maximum), nullptr));
    QCOMPARE(targets.rangeText(TotalsRow::Calories, QLocale(locale)), text);
}

// The tool tip gives the numbers the grid shows, and its share never contradicts the mark.
void TestNutrientTargets::describeAsShownAndJudged_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("minimum");
    QTest::addColumn<QString>("maximum");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    const struct
    {
        const char* tag;
        const char* locale;
        const char* minimum;
        const char* maximum;
        double value;
        const char* text;
    } rows[] = {
        { "a range, ungrouped as in the grid", "en_US", "1800", "2200", 1850, "1850 of 1800\u20132200 g (84 %)" },
        { "a sum shown as the maximum", "C", "", "25", 25.000000000000004, "25 of at most 25 g (100 %)" },
        { "just over the maximum", "C", "", "25", 25.04, "25.04 of at most 25 g (> 100 %)" },
        { "over in the 15th digit", "C", "", "25", 25.0000000000001, "25.0000000000001 of at most 25 g (> 100 %)" },
        { "just under the minimum", "C", "1800", "", 1799.6, "1799.6 of at least 1800 g (< 100 %)" },
        { "small amounts", "C", "", "0.01", 0.004, "0.004 of at most 0.01 g (40 %)" },
        { "German form", "de_DE", "12.5", "", 13.25, "13,25 of at least 12,5 g (106 %)" },
    };
    for (const auto& row : rows) {
        QTest::newRow(row.tag) << QString::fromLatin1(row.locale) << QString::fromLatin1(row.minimum)
                               << QString::fromLatin1(row.maximum) << row.value << QString::fromUtf8(row.text);
    }
}

void TestNutrientTargets::describeAsShownAndJudged()
{
    QFETCH(QString, locale);
    QFETCH(QString, minimum);
    QFETCH(QString, maximum);
    QFETCH(double, value);
    QFETCH(QString, text);
    NutrientTargets targets;
    QVERIFY(targets.setRange(TotalsRow::Fat, typedRange(minimum, maximum), nullptr));
    QCOMPARE(targets.describe(TotalsRow::Fat, value, QLocale(locale)), text);
}

QTEST_APPLESS_MAIN(TestNutrientTargets)
#include "TestNutrientTargets.moc"
