#include "core/totals/NutrientBreakdown.h"
#include "core/totals/TotalsCalculator.h"

#include <QTest>

namespace {

// Two nutrients: sodium, whose slot 0 the rows below fill, and iron in slot 1.
NutrientCatalogue catalogue()
{
    return NutrientCatalogue(
        { { "307", "Sodium", "mg", NutrientGroup::Minerals, 2 }, { "303", "Iron", "mg", NutrientGroup::Minerals, 1 },
            { "203", "Protein", "g", NutrientGroup::EnergyAndMacronutrients, 0 } });
}

// A nutrient row with sodium `sodium`, of which `lacking` foods (by name, each once) lack it, and iron 1.
NutrientTotalsRow keptRow(const QString& label, double sodium, const QStringList& lacking = {})
{
    NutrientTotalsRow row { label, { sodium, 1 }, { int(lacking.size()), 0 }, { {}, {} } };
    for (const QString& name : lacking) {
        row.lacking[0].add({ { name }, { 1 } });
    }
    return row;
}

// Each row as "label: sodium, unknown count, lacking foods as name x times".
QStringList described(const NutrientTotals& totals)
{
    QStringList rows;
    for (const NutrientTotalsRow& row : totals.rows) {
        QStringList lacking;
        for (qsizetype i = 0; i < row.lacking[0].names.size(); ++i) {
            lacking.append(
                QStringLiteral("%1 x%2").arg(row.lacking[0].names[i]).arg(row.lacking[0].times[std::size_t(i)]));
        }
        rows.append(QStringLiteral("%1: %2, %3, %4")
                        .arg(row.label)
                        .arg(row.totals[0], 0, 'g', 15)
                        .arg(row.unknownCounts[0])
                        .arg(lacking.join(QStringLiteral(", "))));
    }
    return rows;
}

} // namespace

class TestNutrientBreakdown : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void rollUpsCarryTheUnknowns_data();
    void rollUpsCarryTheUnknowns();
    void amountShareAndTarget_data();
    void amountShareAndTarget();
};

void TestNutrientBreakdown::init()
{
    QLocale::setDefault(QLocale::c());
}

// "Per day" and the week roll-ups make nutrient rows as they make the grid's: Weekly per day
// keeps its unknowns, the week from Weekday and Weekend counts a weekday food five times and a
// weekend food twice, the week from the seven days adds them, and Totals adds the chosen rows.
void TestNutrientBreakdown::rollUpsCarryTheUnknowns_data()
{
    QTest::addColumn<bool>("perDay");
    QTest::addColumn<bool>("rollUps");
    QTest::addColumn<bool>("dayMissing");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("neither") << false << false << false
                             << QStringList { "Active: 10, 1, Apple x1", "Weekly: 700, 1, Bread x1",
                                    "Totals: 710, 2, Apple x1, Bread x1" };
    QTest::newRow("per day") << true << false << false
                             << QStringList { "Active: 10, 1, Apple x1", "Weekly (per day): 100, 1, Bread x1",
                                    "Totals: 110, 2, Apple x1, Bread x1" };
    QTest::newRow("roll-ups") << false << true << false
                              << QStringList { "Active: 10, 1, Apple x1", "Weekly: 700, 1, Bread x1",
                                     "Week from Weekday and Weekend: 90, 7, Apple x5, Cake x2",
                                     "Week from Sunday to Saturday: 28, 7, Apple x7",
                                     "Totals: 710, 2, Apple x1, Bread x1" };
    QTest::newRow("both") << true << true << false
                          << QStringList { "Active: 10, 1, Apple x1", "Weekly (per day): 100, 1, Bread x1",
                                 "Week from Weekday and Weekend (per day): 12.8571428571429, 7, Apple x5, Cake x2",
                                 "Week from Sunday to Saturday (per day): 4, 7, Apple x7",
                                 "Totals: 110, 2, Apple x1, Bread x1" };
    QTest::newRow("a day's plan missing")
        << false << true << true
        << QStringList { "Active: 10, 1, Apple x1", "Weekly: 700, 1, Bread x1",
               "Week from Weekday and Weekend: 90, 7, Apple x5, Cake x2", "Totals: 710, 2, Apple x1, Bread x1" };
}

void TestNutrientBreakdown::rollUpsCarryTheUnknowns()
{
    QFETCH(bool, perDay);
    QFETCH(bool, rollUps);
    QFETCH(bool, dayMissing);
    QFETCH(QStringList, rows);
    TotalsResult result;
    result.rows = { { "Active", {} }, { "Weekly", {} }, { "Totals", {} } };
    result.hasTotalsRow = true;
    NutrientTotals nutrients { { "307", "303" },
        { keptRow("Active", 10, { "Apple" }), keptRow("Weekly", 700, { "Bread" }) } };

    TotalsResult parts;
    parts.rows = { { "Weekday", {} }, { "Weekend", {} }, { "Totals", {} } };
    parts.hasTotalsRow = true;
    const NutrientTotals partsNutrients { { "307", "303" },
        { keptRow("Weekday", 12, { "Apple" }), keptRow("Weekend", 15, { "Cake" }) } };
    TotalsResult days;
    NutrientTotals daysNutrients { { "307", "303" }, {} };
    for (const char* day : { "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday" }) {
        days.rows.push_back({ day, {} });
        daysNutrients.rows.push_back(keptRow(day, 4, { "Apple" }));
    }
    if (dayMissing) {
        days.stopped = true;
        days.stopPeriod = QStringLiteral("Tuesday");
        days.stopFile = QStringLiteral("/tmp/TamoTuesday.txt");
    }

    if (perDay || rollUps) {
        const QStringList leftOut = TotalsCalculator::addWeekViews(
            &result, &nutrients, parts, partsNutrients, days, daysNutrients, perDay, rollUps);
        QCOMPARE(leftOut.size(), dayMissing ? 1 : 0);
    } else {
        TotalsCalculator::addTotalsRow(result, &nutrients);
    }
    QCOMPARE(described(nutrients), rows);
    // The nutrient rows stand beside the grid's, label by label.
    QCOMPARE(nutrients.rows.size(), result.rows.size());
    for (std::size_t r = 0; r < result.rows.size(); ++r) {
        QCOMPARE(nutrients.rows[r].label, result.rows[r].label);
    }
}

// A day's amount, its share of the daily target (of the minimum where there is one, else of the
// maximum), its mark outside the range, and the target; a lower bound says "≥" and is judged only
// where it already tells. Rows that do not stand for one day have no share.
void TestNutrientBreakdown::amountShareAndTarget_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("unknown");
    QTest::addColumn<QString>("minimum");
    QTest::addColumn<QString>("maximum");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("share");
    QTest::addColumn<QString>("target");

    QTest::newRow("no target") << "Active" << 52.0 << 0 << ""
                               << ""
                               << "52"
                               << ""
                               << "";
    QTest::newRow("within, of the minimum") << "Daily" << 27.0 << 0 << "18"
                                            << "45"
                                            << "27"
                                            << "150 %"
                                            << "18\u201345";
    QTest::newRow("under the minimum") << "Active" << 9.0 << 0 << "18"
                                       << ""
                                       << "9"
                                       << "50 % \u2193"
                                       << "\u2265 18";
    QTest::newRow("just under rounds below 100") << "Active" << 17.95 << 0 << "18"
                                                 << ""
                                                 << "17.95"
                                                 << "< 100 % \u2193"
                                                 << "\u2265 18";
    QTest::newRow("over the maximum") << "Monday" << 2400.0 << 0 << ""
                                      << "2300"
                                      << "2400"
                                      << "104 % \u2191"
                                      << "\u2264 2300";
    QTest::newRow("just over rounds above 100") << "Monday" << 2301.0 << 0 << ""
                                                << "2300"
                                                << "2301"
                                                << "> 100 % \u2191"
                                                << "\u2264 2300";
    QTest::newRow("a lower bound under the minimum is not judged") << "Active" << 9.0 << 2 << "18"
                                                                   << ""
                                                                   << "\u2265 9"
                                                                   << "\u2265 50 %"
                                                                   << "\u2265 18";
    QTest::newRow("a lower bound over the maximum is") << "Active" << 2400.0 << 1 << ""
                                                       << "2300"
                                                       << "\u2265 2400"
                                                       << "\u2265 104 % \u2191"
                                                       << "\u2264 2300";
    QTest::newRow("a minimum of 0 asks for nothing: of the maximum") << "Monday" << 2400.0 << 0 << "0"
                                                                     << "2300"
                                                                     << "2400"
                                                                     << "104 % \u2191"
                                                                     << "0\u20132300";
    QTest::newRow("the week stands for no day") << "Weekly" << 27.0 << 0 << "18"
                                                << "45"
                                                << "27"
                                                << ""
                                                << "18\u201345";
    QTest::newRow("the week per day does") << "Weekly (per day)" << 27.0 << 0 << "18"
                                           << "45"
                                           << "27"
                                           << "150 %"
                                           << "18\u201345";
    QTest::newRow("Totals") << "Totals" << 27.0 << 0 << "18"
                            << "45"
                            << "27"
                            << ""
                            << "18\u201345";
    QTest::newRow("six significant digits") << "Active" << 1234.56789 << 0 << "1000.5"
                                            << ""
                                            << "1234.57"
                                            << "123 %"
                                            << "\u2265 1000.5";
}

void TestNutrientBreakdown::amountShareAndTarget()
{
    QFETCH(QString, label);
    QFETCH(double, value);
    QFETCH(int, unknown);
    QFETCH(QString, minimum);
    QFETCH(QString, maximum);
    QFETCH(QString, amount);
    QFETCH(QString, share);
    QFETCH(QString, target);
    NutrientTargets targets;
    NutrientTargets::Range range;
    if (!minimum.isEmpty()) {
        range.minimum = minimum.toDouble();
    }
    if (!maximum.isEmpty()) {
        range.maximum = maximum.toDouble();
    }
    QVERIFY(targets.setKeptRange("307", range, nullptr));
    NutrientTotalsRow row = keptRow(label, value);
    row.unknownCounts[0] = unknown;
    const NutrientBreakdown breakdown(catalogue(), { { "307", "303" }, { row } }, targets);
    const int sodium = int(breakdown.catalogue().indexOf(u"307"));
    QCOMPARE(breakdown.amountText(0, sodium), amount);
    QCOMPARE(breakdown.shareText(0, sodium), share);
    QCOMPARE(breakdown.targetText(sodium), target);
    // A nutrient the calculation kept nothing of shows nothing.
    const int protein = int(breakdown.catalogue().indexOf(u"203"));
    QCOMPARE(breakdown.amountText(0, protein), QString());
    QCOMPARE(breakdown.shareText(0, protein), QString());
}

QTEST_GUILESS_MAIN(TestNutrientBreakdown)
#include "TestNutrientBreakdown.moc"
