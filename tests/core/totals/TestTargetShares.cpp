// The "% of target" chart's bars worked out from a calculated row: which nutrients get one, in
// which order, against which bound and at which share.

#include "core/totals/ChartedTotals.h"
#include "core/totals/TargetShares.h"

#include <QTest>

#include <cmath>

namespace {

// A target as a test row writes it: "Calories 1800 2200", "307 - 2300", "Fat 0 70" ("-" for no
// bound).
NutrientTargets targetsFrom(const QStringList& lines)
{
    NutrientTargets targets;
    for (const QString& line : lines) {
        const QStringList parts = line.split(u' ');
        NutrientTargets::Range range;
        if (parts[1] != QLatin1String("-")) {
            range.minimum = parts[1].toDouble();
        }
        if (parts[2] != QLatin1String("-")) {
            range.maximum = parts[2].toDouble();
        }
        const int nine = ChartedTotals::nineOf(parts[0]);
        if (nine >= 0) {
            targets.setRange(nine, range, nullptr);
        } else {
            targets.setKeptRange(parts[0], range, nullptr);
        }
    }
    return targets;
}

// Daily, then Weekday: the nine's values, and protein (203), sodium (307) and iron (303) kept,
// sodium unknown for two of Daily's foods. The catalogue has no nutrient 999.
ChartedTotals dailyAndWeekday(const NutrientTargets& targets)
{
    TotalsResult result;
    result.rows = { { QStringLiteral("Daily"), { 1800, 200, 60, 40, 150, 30, 25, 5, 170 } },
        { QStringLiteral("Weekday"), { 2400, 300, 80, 50, 300, 40, 30, 0, 270 } },
        { QStringLiteral("Totals"), { 4200, 500, 140, 90, 450, 70, 55, 5, 440 } } };
    result.hasTotalsRow = true;
    NutrientTotals kept;
    kept.numbers = { QStringLiteral("203"), QStringLiteral("303"), QStringLiteral("307"), QStringLiteral("999") };
    kept.rows = { { QStringLiteral("Daily"), { 50, 9, 1150, 1 }, { 0, 0, 2, 0 }, {} },
        { QStringLiteral("Weekday"), { 100, 18, 4600, 1 }, { 0, 0, 0, 0 }, {} } };
    return ChartedTotals(result, kept, targets, NutrientCatalogue::starter());
}

} // namespace

class TestTargetShares : public QObject
{
    Q_OBJECT

private slots:
    void sharesOfARow_data();
    void sharesOfARow();
    void onlyDaysAndEachNutrientOnce_data();
    void onlyDaysAndEachNutrientOnce();
    void describesTheBound_data();
    void describesTheBound();
};

void TestTargetShares::sharesOfARow_data()
{
    QTest::addColumn<QStringList>("targets");
    QTest::addColumn<int>("row");
    // "key percent" for each bar in order, "max" after the percent of a share of the maximum,
    // "≥" before that of a lower bound.
    QTest::addColumn<QStringList>("bars");

    QTest::newRow("no targets, no bars") << QStringList() << 0 << QStringList();
    QTest::newRow("a minimum, and a range measured by its minimum")
        << QStringList { "Calories 2000 2500", "Fiber 25 -" } << 0 << QStringList { "Calories 90", "Fiber 100" };
    QTest::newRow("only a maximum: of the maximum")
        << QStringList { "Cholesterol - 300" } << 0 << QStringList { "Cholesterol 50 max" };
    QTest::newRow("a minimum of zero counts as none: of the maximum")
        << QStringList { "Fat 0 80" } << 0 << QStringList { "Fat 75 max" };
    QTest::newRow("kept nutrients follow the nine in the catalogue's order, whatever the targets' order")
        << QStringList { "307 - 2300", "203 50 -", "Sugar 80 -", "303 18 45" } << 0
        << QStringList { "Sugar 50", "203 100", "303 50", "≥307 50 max" };
    QTest::newRow("the row chosen") << QStringList { "307 - 2300", "Calories 2000 -" } << 1
                                    << QStringList { "Calories 120", "307 200 max" };
    QTest::newRow("left out: no bound above zero, a nutrient the catalogue lacks, one not kept")
        << QStringList { "Points 0 0", "Sugar -5 -", "999 1 -", "401 90 -", "Calories 2000 -" } << 0
        << QStringList { "Calories 90" };
}

void TestTargetShares::sharesOfARow()
{
    QFETCH(QStringList, targets);
    QFETCH(int, row);
    QFETCH(QStringList, bars);
    const ChartedTotals totals = dailyAndWeekday(targetsFrom(targets));
    QStringList got;
    for (const TargetShare& share : TargetShares::of(totals, row)) {
        QString bar = (share.unknown > 0 ? QStringLiteral("≥") : QString()) + share.key + QLatin1Char(' ')
            + QString::number(share.percent);
        if (share.ofMaximum) {
            bar += QStringLiteral(" max");
        }
        got.append(bar);
        QCOMPARE(share.percent, share.value / share.bound * 100);
    }
    QCOMPARE(got, bars);
}

void TestTargetShares::onlyDaysAndEachNutrientOnce_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QStringList>("targets");
    QTest::addColumn<QStringList>("bars");
    QTest::newRow("a week measured against daily targets has no bars")
        << "Weekly" << QStringList { "Sugar 50 -", "269 40 -" } << QStringList();
    QTest::newRow("the week per day has")
        << "Weekly (per day)" << QStringList { "Sugar 50 -", "269 40 -" } << QStringList { "Sugar 60", "269 75" };
    QTest::newRow("sugars with the nine's target is shown among the nine only")
        << "Daily" << QStringList { "Sugar 50 -", "269 50 -" } << QStringList { "Sugar 60" };
    QTest::newRow("sugars without a target of its own takes the nine's, shown once")
        << "Daily" << QStringList { "Sugar 50 -" } << QStringList { "Sugar 60" };
}

// The targets are daily, so only a row standing for one day gets bars; a catalogue nutrient that
// is one of the nine (sugars, 269, is Sugar) gets a bar of its own only for a target of its own.
void TestTargetShares::onlyDaysAndEachNutrientOnce()
{
    QFETCH(QString, label);
    QFETCH(QStringList, targets);
    QFETCH(QStringList, bars);
    TotalsResult result;
    result.rows = { { label, { 1800, 200, 60, 30, 150, 30, 25, 5, 170 } } };
    NutrientTotals kept;
    kept.numbers = { QStringLiteral("269") };
    kept.rows = { { label, { 30 }, { 0 }, {} } };
    const ChartedTotals totals(result, kept, targetsFrom(targets), NutrientCatalogue::starter());
    QStringList got;
    for (const TargetShare& share : TargetShares::of(totals, 0)) {
        got.append(share.key + QLatin1Char(' ') + QString::number(share.percent));
    }
    QCOMPARE(got, bars);
}

void TestTargetShares::describesTheBound_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("text");
    QTest::newRow("of the minimum") << "303 18 45"
                                    << "Iron: 9 mg, 50 % of the minimum of 18 mg";
    QTest::newRow("of the maximum, a lower bound")
        << "307 - 2300"
        << "Sodium: at least 1150 mg, at least 50 % of the maximum of 2300 mg (2 planned foods lack a value)";
    QTest::newRow("rounded to a whole per cent, no unit") << "Points 45 -"
                                                          << "Points: 30, 67 % of the minimum of 45";
}

void TestTargetShares::describesTheBound()
{
    QFETCH(QString, target);
    QFETCH(QString, text);
    const ChartedTotals totals = dailyAndWeekday(targetsFrom({ target }));
    const std::vector<TargetShare> shares = TargetShares::of(totals, 0);
    QCOMPARE(shares.size(), std::size_t(1));
    QCOMPARE(TargetShares::describe(totals, shares[0], QLocale(QLocale::English, QLocale::UnitedStates)), text);
}

QTEST_GUILESS_MAIN(TestTargetShares)
#include "TestTargetShares.moc"
