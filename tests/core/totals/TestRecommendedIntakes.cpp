#include "TestSupport.h"
#include "core/totals/RecommendedIntakes.h"

#include <QTest>

#include <cmath>

using Person = RecommendedIntakes::Person;
using Sex = RecommendedIntakes::Sex;
using Stage = RecommendedIntakes::Stage;
Q_DECLARE_METATYPE(Person)

class TestRecommendedIntakes : public QObject
{
    Q_OBJECT

private slots:
    void publishedValuesForAPerson_data();
    void publishedValuesForAPerson();
    void unitsConvertedOrLeftUnset_data();
    void unitsConvertedOrLeftUnset();
    void badLinesRefused_data();
    void badLinesRefused();
    void tooManyRowsRefused();
    void carriedTableReadsWhole();
};

namespace {

// NaN stands for no bound in the tables below.
const double None = std::nan("");

bool sameBound(const std::optional<double>& bound, double expected)
{
    return std::isnan(expected) ? !bound : bound && std::abs(*bound - expected) <= 1e-9 * std::abs(expected);
}

const QByteArray kHeading("nutrient,name,sex,age_from,age_to,stage,intake,intake_kind,upper_limit,upper_kind,unit\n");

} // namespace

void TestRecommendedIntakes::publishedValuesForAPerson_data()
{
    QTest::addColumn<Person>("person");
    QTest::addColumn<QString>("number");
    QTest::addColumn<double>("minimum");
    QTest::addColumn<double>("maximum");
    const Person woman40 { Sex::Female, 40, Stage::None };
    const Person man25 { Sex::Male, 25, Stage::None };
    QTest::newRow("women 31-50: iron") << woman40 << "303" << 18.0 << 45.0;
    QTest::newRow("men 19-30: vitamin C") << man25 << "401" << 90.0 << 2000.0;
    QTest::newRow("men 19-30: calcium") << man25 << "301" << 1000.0 << 2500.0;
    QTest::newRow("women 50: calcium") << Person { Sex::Female, 50, Stage::None } << "301" << 1000.0 << 2500.0;
    QTest::newRow("women 51: calcium rises, its limit falls")
        << Person { Sex::Female, 51, Stage::None } << "301" << 1200.0 << 2000.0;
    QTest::newRow("men 19: fiber") << Person { Sex::Male, 19, Stage::None } << "291" << 38.0 << None;
    QTest::newRow("men 50: fiber") << Person { Sex::Male, 50, Stage::None } << "291" << 38.0 << None;
    QTest::newRow("women 19: fiber") << Person { Sex::Female, 19, Stage::None } << "291" << 25.0 << None;
    QTest::newRow("women 50: fiber") << Person { Sex::Female, 50, Stage::None } << "291" << 25.0 << None;
    QTest::newRow("adults: sodium up to its risk reduction intake") << woman40 << "307" << 1500.0 << 2300.0;
    QTest::newRow("pregnant 25: iron") << Person { Sex::Female, 25, Stage::Pregnant } << "303" << 27.0 << 45.0;
    QTest::newRow("lactating 16: vitamin C")
        << Person { Sex::Female, 16, Stage::Lactating } << "401" << 115.0 << 1800.0;
    QTest::newRow("child 5: calcium") << Person { Sex::Male, 5, Stage::None } << "301" << 1000.0 << 2500.0;
    QTest::newRow("men 75: vitamin D in IU") << Person { Sex::Male, 75, Stage::None } << "324" << 800.0 << 4000.0;
    QTest::newRow("women 40: vitamin K, no limit") << woman40 << "430" << 90.0 << None;
    QTest::newRow("men 60: vitamin B6") << Person { Sex::Male, 60, Stage::None } << "415" << 1.7 << 100.0;
    QTest::newRow("women 40: magnesium, no limit from food") << woman40 << "304" << 320.0 << None;
    QTest::newRow("men 25: copper, micrograms to milligrams") << man25 << "312" << 0.9 << 10.0;
    QTest::newRow("men 25: fluoride, milligrams to micrograms") << man25 << "313" << 4000.0 << 10000.0;
    QTest::newRow("men 25: selenium") << man25 << "317" << 55.0 << 400.0;
    QTest::newRow("men 25: vitamin A's limit, of preformed vitamin A") << man25 << "319" << None << 3000.0;
    QTest::newRow("lactating 35: vitamin A as RAE")
        << Person { Sex::Female, 35, Stage::Lactating } << "320" << 1300.0 << None;
    QTest::newRow("pregnant 20: folate as DFE")
        << Person { Sex::Female, 20, Stage::Pregnant } << "435" << 600.0 << None;
    QTest::newRow("women 60: folic acid's limit") << Person { Sex::Female, 60, Stage::None } << "431" << None << 1000.0;
}

void TestRecommendedIntakes::publishedValuesForAPerson()
{
    QFETCH(Person, person);
    QFETCH(QString, number);
    QFETCH(double, minimum);
    QFETCH(double, maximum);
    const RecommendedIntakes& intakes = RecommendedIntakes::builtIn();
    QVERIFY(intakes.source().contains(QStringLiteral("US Dietary Reference Intakes")));
    QVERIFY(intakes.source().contains(QStringLiteral("National Academies")));
    // The starter's nutrients and those a FoodData Central import brings.
    NutrientCatalogue catalogue = NutrientCatalogue::starter();
    for (const char* added : { "320", "435", "431" }) {
        QString error;
        QVERIFY2(catalogue.add({ QString::fromLatin1(added), QStringLiteral("Added"), QStringLiteral("µg"),
                                   NutrientGroup::Vitamins, 0 },
                     &error),
            qPrintable(error));
    }
    const RecommendedIntakes::Filled filled = intakes.rangesFor(person, catalogue);
    QVERIFY2(filled.ranges.count(number), qPrintable(number));
    const NutrientTargets::Range& range = filled.ranges.at(number);
    QVERIFY2(sameBound(range.minimum, minimum), qPrintable(QString::number(range.minimum.value_or(-1))));
    QVERIFY2(sameBound(range.maximum, maximum), qPrintable(QString::number(range.maximum.value_or(-1))));
    // Energy has no recommended intake.
    QVERIFY(!filled.ranges.count(QStringLiteral("208")));
}

void TestRecommendedIntakes::unitsConvertedOrLeftUnset_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<double>("minimum");
    QTest::addColumn<QString>("reason");
    QTest::newRow("vitamin C in grams") << "401"
                                        << "g" << 0.09 << "";
    QTest::newRow("vitamin C in micrograms") << "401"
                                             << "µg" << 90000.0 << "";
    QTest::newRow("copper in micrograms as stated") << "312"
                                                    << "µg" << 900.0 << "";
    QTest::newRow("vitamin A in IU against RAE") << "318"
                                                 << "IU" << None << "in µg RAE";
    QTest::newRow("vitamin A in micrograms against RAE") << "318"
                                                         << "µg" << None << "in µg RAE";
    QTest::newRow("total folate against DFE") << "417"
                                              << "µg" << None << "in µg DFE";
    QTest::newRow("niacin against NE") << "406"
                                       << "mg" << None << "in mg NE";
    QTest::newRow("vitamin D in IU against micrograms") << "328"
                                                        << "IU" << None << "in µg";
    QTest::newRow("iron in IU") << "303"
                                << "IU" << None << "in mg";
}

void TestRecommendedIntakes::unitsConvertedOrLeftUnset()
{
    QFETCH(QString, number);
    QFETCH(QString, unit);
    QFETCH(double, minimum);
    QFETCH(QString, reason);
    NutrientCatalogue catalogue({ Nutrient {
                                      number, QStringLiteral("Tested"), unit, NutrientCatalogue::groupOf(number), 1 },
        Nutrient { QStringLiteral("303"), QStringLiteral("Iron"), QStringLiteral("mg"), NutrientGroup::Minerals, 2 } });
    if (number == u"303") {
        catalogue
            = NutrientCatalogue({ Nutrient { number, QStringLiteral("Tested"), unit, NutrientGroup::Minerals, 1 } });
    }
    const RecommendedIntakes::Filled filled
        = RecommendedIntakes::builtIn().rangesFor(Person { Sex::Male, 25, Stage::None }, catalogue);
    if (reason.isEmpty()) {
        QVERIFY(filled.ranges.count(number));
        QVERIFY(sameBound(filled.ranges.at(number).minimum, minimum));
        QVERIFY(filled.unset.isEmpty());
    } else {
        QVERIFY(!filled.ranges.count(number));
        QCOMPARE(filled.unset.size(), 1);
        QVERIFY2(
            filled.unset.front().startsWith(QStringLiteral("Tested (%1)").arg(unit)), qPrintable(filled.unset.front()));
        QVERIFY2(filled.unset.front().contains(reason), qPrintable(filled.unset.front()));
    }
}

void TestRecommendedIntakes::badLinesRefused_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("problem");
    QTest::newRow("a good row") << QByteArray("303,Iron,female,19,50,,18,RDA,45,UL,mg\n") << 1 << "";
    QTest::newRow("comments and blank lines") << QByteArray("# a note\n\n303,Iron,any,1,,,7,RDA,,,mg\n") << 1 << "";
    QTest::newRow("too few fields") << QByteArray("303,Iron,female,19,50,,18,RDA,45,mg\n") << 0 << "10 fields";
    QTest::newRow("no nutrient number") << QByteArray("iron,Iron,female,19,50,,18,RDA,45,UL,mg\n") << 0 << "number";
    QTest::newRow("an unknown sex") << QByteArray("303,Iron,woman,19,50,,18,RDA,45,UL,mg\n") << 0 << "sex";
    QTest::newRow("ages backwards") << QByteArray("303,Iron,female,50,19,,18,RDA,45,UL,mg\n") << 0 << "ages";
    QTest::newRow("a pregnant male") << QByteArray("303,Iron,male,19,50,pregnant,27,RDA,45,UL,mg\n") << 0 << "females";
    QTest::newRow("an amount with a space")
        << QByteArray("303,Iron,female,19,50,,1 8,RDA,45,UL,mg\n") << 0 << "numbers";
    QTest::newRow("an amount without its kind") << QByteArray("303,Iron,female,19,50,,18,,45,UL,mg\n") << 0 << "kind";
    QTest::newRow("a negative amount") << QByteArray("303,Iron,female,19,50,,-18,RDA,45,UL,mg\n") << 0 << "numbers";
    QTest::newRow("no amount") << QByteArray("303,Iron,female,19,50,,,,,,mg\n") << 0 << "neither";
    QTest::newRow("intake above its limit") << QByteArray("303,Iron,female,19,50,,50,RDA,45,UL,mg\n") << 0 << "above";
    QTest::newRow("an unknown unit") << QByteArray("303,Iron,female,19,50,,18,RDA,45,UL,grains\n") << 0 << "unit";
    QTest::newRow("one bad line of two") << QByteArray("303,Iron,female,19,50,,18,RDA,45,UL,mg\n303,Iron\n") << 1
                                         << "Line 7";
    QTest::newRow("an endless line") << QByteArray(5000, 'x') + "\n" << 0 << "longer than";
}

void TestRecommendedIntakes::badLinesRefused()
{
    QFETCH(QByteArray, body);
    QFETCH(int, rows);
    QFETCH(QString, problem);
    TestFolder folder;
    const QString path = folder.path() + QStringLiteral("/intakes.csv");
    writeFile(path, "# Test source\n# second note\n\n\n" + kHeading + body);
    RecommendedIntakes intakes;
    QStringList problems;
    QString error;
    QVERIFY2(RecommendedIntakes::read(path, &intakes, &problems, &error), qPrintable(error));
    QCOMPARE(static_cast<int>(intakes.rows().size()), rows);
    QCOMPARE(intakes.source(), QStringLiteral("Test source"));
    if (problem.isEmpty()) {
        QCOMPARE(problems, QStringList());
    } else {
        QCOMPARE(problems.size(), 1);
        QVERIFY2(problems.front().contains(problem), qPrintable(problems.front()));
        QVERIFY(problems.front().size() < 300);
    }
}

void TestRecommendedIntakes::tooManyRowsRefused()
{
    TestFolder folder;
    const QString path = folder.path() + QStringLiteral("/intakes.csv");
    QByteArray bytes = kHeading;
    for (int i = 0; i <= RecommendedIntakes::MostRows; ++i) {
        bytes += "303,Iron,female,19,50,,18,RDA,45,UL,mg\n";
    }
    writeFile(path, bytes);
    RecommendedIntakes intakes;
    QString error;
    QVERIFY(!RecommendedIntakes::read(path, &intakes, nullptr, &error));
    QVERIFY(error.contains(QString::number(RecommendedIntakes::MostRows)));
    QVERIFY(intakes.rows().empty());
    QVERIFY(!RecommendedIntakes::read(folder.path() + QStringLiteral("/none.csv"), &intakes, nullptr, &error));
}

void TestRecommendedIntakes::carriedTableReadsWhole()
{
    RecommendedIntakes intakes;
    QStringList problems;
    QString error;
    QVERIFY2(
        RecommendedIntakes::read(RecommendedIntakes::builtInPath(), &intakes, &problems, &error), qPrintable(error));
    QCOMPARE(problems, QStringList());
    // Twenty life-stage groups for each of the nutrients it gives.
    QCOMPARE(intakes.rows().size() % 20, std::size_t(0));
    QCOMPARE(intakes.rows().size(), RecommendedIntakes::builtIn().rows().size());
}

QTEST_GUILESS_MAIN(TestRecommendedIntakes)
#include "TestRecommendedIntakes.moc"
