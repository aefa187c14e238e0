#include "core/text/NumberText.h"

#include <QTest>

#include <cfloat>
#include <cmath>

class TestNumberText : public QObject
{
    Q_OBJECT

private slots:
    void textToNumber_data();
    void textToNumber();
    void numberToText_data();
    void numberToText();
    void numberToTextReadsBack_data();
    void numberToTextReadsBack();
    void generalNumberText_data();
    void generalNumberText();
    void generalNumberTextUsesLocaleSeparator();
    void isWholeNumber_data();
    void isWholeNumber();
    void roundedValueText_data();
    void roundedValueText();
    void groupedCountIgnoresTheLocale();
};

void TestNumberText::textToNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("leading blank and point") << " .5" << 0.5;
    QTest::newRow("unit after number") << "2 cups" << 2.0;
    QTest::newRow("fraction stops at slash") << "1/2" << 1.0;
    QTest::newRow("inner blank ignored") << "1 000" << 1000.0;
    QTest::newRow("comma ends number") << "1,5" << 1.0;
    QTest::newRow("no number") << "abc" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("negative") << "-3" << -3.0;
    QTest::newRow("plus sign") << "+4.25" << 4.25;
    QTest::newRow("tabs and line feeds ignored") << "\t1\n2" << 12.0;
    QTest::newRow("exponent E") << "1.5E3" << 1500.0;
    QTest::newRow("exponent D") << "2D2" << 200.0;
    QTest::newRow("exponent d negative") << "25d-1" << 2.5;
    QTest::newRow("exponent without digits") << "3e" << 3.0;
    QTest::newRow("second point ends") << "1.2.3" << 1.2;
    QTest::newRow("hex") << "&HFF" << 255.0;
    QTest::newRow("hex lower case") << "&hff" << 255.0;
    QTest::newRow("hex eight digits") << "&HFFFFFFFF" << 4294967295.0;
    QTest::newRow("octal") << "&O17" << 15.0;
    QTest::newRow("octal stops at 8") << "&O78" << 7.0;
    QTest::newRow("ampersand alone") << "&" << 0.0;
    QTest::newRow("unit glued") << "12.5g" << 12.5;
    QTest::newRow("not available") << "n/a" << 0.0;
    QTest::newRow("sign only") << "-" << 0.0;
    QTest::newRow("point only") << "." << 0.0;
    QTest::newRow("carriage return stops") << "1\r2" << 1.0;
    QTest::newRow("overflow saturates") << "1e999" << DBL_MAX;
    QTest::newRow("negative overflow saturates") << "-1e999" << -DBL_MAX;
    QTest::newRow("underflow gives zero") << "1e-999" << 0.0;
    QTest::newRow("long mantissa with negative exponent overflows")
        << QString(400, QLatin1Char('9')) + QStringLiteral("D-3") << DBL_MAX;
    QTest::newRow("subnormal kept") << "4.9e-324" << 4.9e-324;
    QTest::newRow("full-width digit is no digit") << QString::fromUtf8("\xef\xbc\x91") << 0.0;
}

void TestNumberText::textToNumber()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(TextToNumber(text), expected);
}

void TestNumberText::numberToText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("one") << 1.0 << " 1";
    QTest::newRow("one and a half") << 1.5 << " 1.5";
    QTest::newRow("zero") << 0.0 << " 0";
    QTest::newRow("negative zero") << -0.0 << " 0";
    QTest::newRow("quarter") << 0.25 << " .25";
    QTest::newRow("minus two") << -2.0 << "-2";
    QTest::newRow("minus half") << -0.5 << "-.5";
    QTest::newRow("three tenths") << 0.1 * 3 << " .3";
    QTest::newRow("fifteen digits") << 123456789012345.0 << " 123456789012345";
    QTest::newRow("large") << 1e15 << " 1E+15";
    QTest::newRow("small") << 1.5e-5 << " 1.5E-05";
    QTest::newRow("just below one rounds to one") << 0.9999999999999999 << " 1";
}

void TestNumberText::numberToText()
{
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(NumberToText(value), expected);
}

void TestNumberText::numberToTextReadsBack_data()
{
    QTest::addColumn<double>("value");
    QTest::newRow("pi") << M_PI;
    QTest::newRow("tiny") << 1.234567890123456e-300;
    QTest::newRow("huge") << 9.87654321e307;
    QTest::newRow("largest") << DBL_MAX;
    QTest::newRow("negative fraction") << -0.000123456789;
    QTest::newRow("denormal") << 4.9e-324;
}

void TestNumberText::numberToTextReadsBack()
{
    QFETCH(double, value);
    const double back = TextToNumber(NumberToText(value));
    const double rounded = QString::number(value, 'g', 15).toDouble();
    if (std::isfinite(rounded) && rounded != 0) {
        QCOMPARE(back, rounded);
    } else {
        // Rounding the largest double to 15 digits leaves the range: it reads back as the largest.
        QCOMPARE(back, value > 0 ? DBL_MAX : -DBL_MAX);
    }
}

void TestNumberText::generalNumberText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("whole") << 190.0 << "190";
    QTest::newRow("below one has leading zero") << 0.5 << "0.5";
    QTest::newRow("three times a tenth") << 3 * 0.1 << "0.3";
    QTest::newRow("negative") << -4.75 << "-4.75";
    QTest::newRow("fifteen digits") << 2.0 / 3.0 << "0.666666666666667";
    QTest::newRow("large uses exponent") << 1.5e20 << "1.5E+20";
    QTest::newRow("small uses exponent") << 2e-7 << "2E-07";
    QTest::newRow("overflow") << HUGE_VAL << "Overflow";
    QTest::newRow("not a number") << std::nan("") << "Overflow";
}

void TestNumberText::generalNumberText()
{
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(GeneralNumberText(value, QLocale::c()), expected);
}

void TestNumberText::generalNumberTextUsesLocaleSeparator()
{
    QCOMPARE(GeneralNumberText(0.25, QLocale(QLocale::German)), QStringLiteral("0,25"));
    QCOMPARE(GeneralNumberText(1234.5, QLocale(QLocale::German)), QStringLiteral("1234,5"));
}

void TestNumberText::isWholeNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("expected");
    QTest::newRow("integer") << "10" << true;
    QTest::newRow("decimal") << "3.12" << true;
    QTest::newRow("leading point") << ".5" << true;
    QTest::newRow("padded") << " 2 " << true;
    QTest::newRow("exponent") << "1e5" << true;
    QTest::newRow("unit") << "12.5g" << false;
    QTest::newRow("mixed") << "1a" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("point only") << "." << false;
    QTest::newRow("dangling exponent") << "1e" << false;
    QTest::newRow("inner blank") << "1 0" << false;
}

void TestNumberText::isWholeNumber()
{
    QFETCH(QString, text);
    QFETCH(bool, expected);
    QCOMPARE(IsWholeNumber(text), expected);
}

void TestNumberText::roundedValueText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("a third of a sum") << (95.0 + 150.0 + 12.4) / 3 << "85.8";
    QTest::newRow("sum with binary noise") << 27.919999999999998 << "27.92";
    QTest::newRow("whole") << 190.0 << "190";
    QTest::newRow("rounds up") << 30.466666666666665 << "30.47";
    QTest::newRow("small keeps three digits") << 0.0413333 << "0.0413";
    QTest::newRow("tiny") << 0.0000004 << "0";
    QTest::newRow("a thousandth below zero") << -0.001 << "-0.001";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("rounds to zero") << -0.0000001 << "0";
    QTest::newRow("huge as totals") << 1.5e20 << "1.5E+20";
}

void TestNumberText::roundedValueText()
{
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(RoundedValueText(value, QLocale::c()), expected);
    QCOMPARE(RoundedValueText(value, QLocale(QLocale::German)), QString(expected).replace(u'.', u','));
}

// Scripts read the command line's counts: one form whatever the user's locale.
void TestNumberText::groupedCountIgnoresTheLocale()
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German));
    QCOMPARE(GroupedCount(17825792), QStringLiteral("17,825,792"));
    QCOMPARE(GroupedCount(-1234), QStringLiteral("-1,234"));
    QCOMPARE(GroupedCount(999), QStringLiteral("999"));
    QLocale::setDefault(before);
}

QTEST_APPLESS_MAIN(TestNumberText)
#include "TestNumberText.moc"
