#include "core/files/ByteSource.h"
#include "core/files/CsvStreamReader.h"
#include "core/nutrients/NutrientCatalogue.h"
#include "core/nutrients/NutrientUnit.h"
#include "core/plans/TypedWeight.h"

#include <QFile>
#include <QTest>

class TestNutrientCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void starterHasEveryColumnGrouped();
    void columnHeaders_data();
    void columnHeaders();
    void addedNutrientJoinsItsGroup();
    void conversions_data();
    void conversions();
    void typedWeights_data();
    void typedWeights();
};

void TestNutrientCatalogue::starterHasEveryColumnGrouped()
{
    Q_INIT_RESOURCE(starter);
    const NutrientCatalogue& catalogue = NutrientCatalogue::starter();
    // Every column of the file's header but FOOD is a nutrient of the catalogue (the file has 69).
    QFile file(QStringLiteral(":/starter/usda-sr24-nutrients.csv"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const auto source = ByteSource::fromBytes(file.readLine());
    CsvStreamReader header(*source);
    QVERIFY(header.readRecord());
    QCOMPARE(catalogue.size(), header.fieldCount() - 1);
    QCOMPARE(catalogue.size(), 69);
    const Nutrient* sodium = catalogue.find(u"307");
    QVERIFY(sodium);
    QCOMPARE(sodium->name, QStringLiteral("Sodium"));
    QCOMPARE(sodium->unit, QStringLiteral("mg"));
    QCOMPARE(sodium->group, NutrientGroup::Minerals);
    QCOMPARE(catalogue.find(u"417")->unit, QStringLiteral("µg"));
    QCOMPARE(catalogue.find(u"324")->unit, QStringLiteral("IU"));
    // Groups come in their order, and energy and protein lead.
    QCOMPARE(catalogue.nutrients().front().group, NutrientGroup::EnergyAndMacronutrients);
    for (qsizetype i = 1; i < catalogue.size(); ++i) {
        QVERIFY(static_cast<int>(catalogue.nutrients()[std::size_t(i - 1)].group)
            <= static_cast<int>(catalogue.nutrients()[std::size_t(i)].group));
    }
    QCOMPARE(catalogue.indexOf(u"999"), -1);
}

void TestNutrientCatalogue::columnHeaders_data()
{
    QTest::addColumn<QString>("header");
    QTest::addColumn<bool>("reads");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("unit");
    QTest::newRow("sodium") << "307 Sodium (mg)" << true << "307"
                            << "mg";
    QTest::newRow("comma and brackets in the name") << "323 Vitamin E (alpha-tocopherol) (mg)" << true << "323"
                                                    << "mg";
    QTest::newRow("micrograms spelt ug") << "417 Folate, total (ug)" << true << "417"
                                         << "µg";
    QTest::newRow("decimal number") << "957.1 Something (g)" << true << "957.1"
                                    << "g";
    QTest::newRow("no number") << "Sodium (mg)" << false << ""
                               << "";
    QTest::newRow("unknown unit") << "307 Sodium (cups)" << false << ""
                                  << "";
    QTest::newRow("no unit") << "307 Sodium" << false << ""
                             << "";
    QTest::newRow("table field") << "CALORIES" << false << ""
                                 << "";
}

void TestNutrientCatalogue::columnHeaders()
{
    QFETCH(QString, header);
    QFETCH(bool, reads);
    QFETCH(QString, number);
    QFETCH(QString, unit);
    Nutrient nutrient;
    QCOMPARE(NutrientCatalogue::parseColumnHeader(header, &nutrient), reads);
    if (reads) {
        QCOMPARE(nutrient.number, number);
        QCOMPARE(nutrient.unit, unit);
        Nutrient again;
        QVERIFY(NutrientCatalogue::parseColumnHeader(NutrientCatalogue::columnHeader(nutrient), &again));
        QCOMPARE(again, nutrient);
    }
}

void TestNutrientCatalogue::addedNutrientJoinsItsGroup()
{
    Q_INIT_RESOURCE(starter);
    NutrientCatalogue catalogue = NutrientCatalogue::starter();
    QString error;
    QVERIFY(catalogue.add({ "314", "Boron", "µg", NutrientGroup::Minerals, 0 }, &error));
    QCOMPARE(catalogue.size(), 70);
    const qsizetype boron = catalogue.indexOf(u"314");
    QCOMPARE(catalogue.nutrients()[std::size_t(boron - 1)].group, NutrientGroup::Minerals);
    QVERIFY(catalogue.nutrients()[std::size_t(boron + 1)].group != NutrientGroup::Minerals);
    QVERIFY(!catalogue.add({ "307", "Salt", "g", NutrientGroup::Minerals, 0 }, &error));
    QVERIFY(!catalogue.add({ "x1", "Odd", "g", NutrientGroup::Other, 0 }, &error));
    QVERIFY(!catalogue.add({ "888", "Odd", "spoons", NutrientGroup::Other, 0 }, &error));
    QCOMPARE(catalogue.size(), 70);
}

void TestNutrientCatalogue::conversions_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<bool>("converts");
    QTest::addColumn<double>("expected");
    QTest::newRow("g to mg exact") << 1.5 << "g"
                                   << "mg" << true << 1500.0;
    QTest::newRow("mg to µg") << 0.25 << "mg"
                              << "µg" << true << 250.0;
    QTest::newRow("µg to g") << 2500.0 << "µg"
                             << "g" << true << 0.0025;
    QTest::newRow("kJ to kcal") << 418.4 << "kJ"
                                << "kcal" << true << 100.0;
    QTest::newRow("same unit") << 7.0 << "IU"
                               << "IU" << true << 7.0;
    QTest::newRow("IU to µg refused") << 7.0 << "IU"
                                      << "µg" << false << 0.0;
    QTest::newRow("mass to energy refused") << 7.0 << "g"
                                            << "kcal" << false << 0.0;
}

void TestNutrientCatalogue::conversions()
{
    QFETCH(double, value);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(bool, converts);
    QFETCH(double, expected);
    double converted = -1;
    QCOMPARE(NutrientUnit::convert(value, from, to, &converted), converts);
    if (converts) {
        QCOMPARE(converted, expected);
    }
}

void TestNutrientCatalogue::typedWeights_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isWeight");
    QTest::addColumn<double>("grams");
    QTest::newRow("150 g") << "150 g" << true << 150.0;
    QTest::newRow("150g") << "150g" << true << 150.0;
    QTest::newRow("kilograms") << " 0.2 kg " << true << 200.0;
    QTest::newRow("ounces") << "5.3 oz" << true << 5.3 * 28.349523125;
    QTest::newRow("pound") << "1 lb" << true << 453.59237;
    QTest::newRow("plain number") << "2" << false << 0.0;
    QTest::newRow("cups") << "2 cups" << false << 0.0;
    QTest::newRow("zero grams") << "0 g" << false << 0.0;
    QTest::newRow("unit alone") << "g" << false << 0.0;
}

void TestNutrientCatalogue::typedWeights()
{
    QFETCH(QString, text);
    QFETCH(bool, isWeight);
    QFETCH(double, grams);
    QLocale::setDefault(QLocale::c());
    double read = 0;
    QCOMPARE(TypedWeight::grams(text, &read), isWeight);
    if (isWeight) {
        QCOMPARE(read, grams);
    }
}

QTEST_GUILESS_MAIN(TestNutrientCatalogue)
#include "TestNutrientCatalogue.moc"
