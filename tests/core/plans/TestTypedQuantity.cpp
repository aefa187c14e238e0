#include "core/plans/TypedQuantity.h"
#include "core/text/NumberText.h"

#include <QTest>

#include <optional>

Q_DECLARE_METATYPE(TypedQuantity::Outcome)
Q_DECLARE_METATYPE(std::optional<double>)

class TestTypedQuantity : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
};

void TestTypedQuantity::read_data()
{
    using Outcome = TypedQuantity::Outcome;
    const std::optional<double> none;
    QTest::addColumn<QString>("typed");
    QTest::addColumn<std::optional<double>>("servingGrams");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QString>("stored");

    QTest::newRow("grams") << "150 g" << std::optional(100.0) << "en_US" << Outcome::Read << " 1.5";
    QTest::newRow("grams without a blank") << "150g" << std::optional(100.0) << "en_US" << Outcome::Read << " 1.5";
    QTest::newRow("ounces") << "5.3 oz" << std::optional(100.0) << "en_US" << Outcome::Read << " 1.502524725625";
    QTest::newRow("kilograms, capitals") << " 0.25 KG " << std::optional(125.0) << "en_US" << Outcome::Read << " 2";
    QTest::newRow("decimal comma") << "1,5 g" << std::optional(3.0) << "de_DE" << Outcome::Read << " .5";
    QTest::newRow("grouped thousands") << "1,500 g" << std::optional(100.0) << "en_US" << Outcome::Read << " 15";
    // Stored as a typed quantity is: at most 15 significant digits.
    QTest::newRow("a third") << "100 g" << std::optional(300.0) << "en_US" << Outcome::Read << " .333333333333333";

    // A plain quantity needs no serving weight and reads as it always did.
    QTest::newRow("servings") << "2" << none << "en_US" << Outcome::Read << " 2";
    QTest::newRow("cups") << "2 cups" << none << "en_US" << Outcome::Read << " 2";
    QTest::newRow("unit alone") << "g" << none << "en_US" << Outcome::Read << " 0";

    QTest::newRow("no serving weight") << "150 g" << none << "en_US" << Outcome::NoServingWeight << "";
    QTest::newRow("serving weight of 0") << "150 g" << std::optional(0.0) << "en_US" << Outcome::NoServingWeight << "";

    QTest::newRow("letters as grams") << "abc g" << std::optional(100.0) << "en_US" << Outcome::BadWeight << "";
    QTest::newRow("negative grams") << "-5 g" << std::optional(100.0) << "en_US" << Outcome::BadWeight << "";
    QTest::newRow("zero grams") << "0 g" << std::optional(100.0) << "en_US" << Outcome::BadWeight << "";
    QTest::newRow("comma that is no decimal") << "1,5 g" << std::optional(100.0) << "en_US" << Outcome::BadWeight << "";
    QTest::newRow("beyond any number") << "999999999999999 kg" << std::optional(1e-300) << "en_US" << Outcome::BadWeight
                                       << "";
}

void TestTypedQuantity::read()
{
    QFETCH(QString, typed);
    QFETCH(std::optional<double>, servingGrams);
    QFETCH(QString, locale);
    QFETCH(TypedQuantity::Outcome, outcome);
    QFETCH(QString, stored);
    QString quantity = QStringLiteral("untouched");
    QCOMPARE(TypedQuantity::read(typed, servingGrams, QLocale(locale), &quantity), outcome);
    QCOMPARE(quantity, outcome == TypedQuantity::Outcome::Read ? stored : QStringLiteral("untouched"));
    if (outcome == TypedQuantity::Outcome::Read) {
        // What is stored reads back as the number it was made from.
        QCOMPARE(NumberToText(TextToNumber(quantity)), quantity);
    }
}

QTEST_GUILESS_MAIN(TestTypedQuantity)
#include "TestTypedQuantity.moc"
