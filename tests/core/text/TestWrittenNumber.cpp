#include "core/text/WrittenNumber.h"

#include <QTest>

// Numbers as imported files write them: each text read in both styles, and the style a file's
// values decide.
class TestWrittenNumber : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void guess_data();
    void guess();
};

void TestWrittenNumber::read_data()
{
    QTest::addColumn<QString>("text");
    // The value with a decimal point, then with a decimal comma; NaN where the text does not read.
    QTest::addColumn<double>("point");
    QTest::addColumn<double>("comma");
    QTest::addColumn<QString>("rest");
    const double no = qQNaN();
    QTest::newRow("plain") << " 12 " << 12.0 << 12.0 << "";
    QTest::newRow("decimals") << "12.5" << 12.5 << no << "";
    QTest::newRow("decimal comma") << "1,5" << no << 1.5 << "";
    QTest::newRow("three after either mark") << "1,234" << 1234.0 << 1.234 << "";
    QTest::newRow("grouped with decimals") << "1,234.5" << 1234.5 << no << "";
    QTest::newRow("grouped with a decimal comma") << "1.234,5" << no << 1234.5 << "";
    QTest::newRow("several groups") << "-12,345,678" << -12345678.0 << no << "";
    QTest::newRow("blank groups") << "1 234 567,5" << no << 1234567.5 << "";
    QTest::newRow("apostrophe groups") << "1'234.5" << 1234.5 << no << "";
    QTest::newRow("a group of four") << "1,2345" << no << 1.2345 << "";
    QTest::newRow("a first group of four") << "1234,567" << no << 1234.567 << "";
    QTest::newRow("groups of mixed marks") << "1,234 567" << no << no << "";
    QTest::newRow("a unit after it") << "12,5 g" << no << 12.5 << "g";
    QTest::newRow("a unit written on") << "250kcal" << 250.0 << 250.0 << "kcal";
    QTest::newRow("exponent") << "1.5e3" << 1500.0 << no << "";
    QTest::newRow("leading decimal mark") << ".5" << 0.5 << no << "";
    QTest::newRow("beyond a double") << "1e999" << 1.7976931348623157e308 << 1.7976931348623157e308 << "";
    QTest::newRow("two numbers") << "1 2" << no << no << "";
    QTest::newRow("a fraction") << "1/2" << no << no << "";
    QTest::newRow("a range") << "1-2" << no << no << "";
    QTest::newRow("two decimal marks") << "1.2.3" << no << no << "";
    QTest::newRow("no digits") << "n/a" << no << no << "";
    QTest::newRow("a sign alone") << "-" << no << no << "";
}

void TestWrittenNumber::read()
{
    QFETCH(QString, text);
    QFETCH(double, point);
    QFETCH(double, comma);
    QFETCH(QString, rest);
    const QList<std::pair<NumberStyle, double>> styles { { NumberStyle::DecimalPoint, point },
        { NumberStyle::DecimalComma, comma } };
    for (const auto& [style, expected] : styles) {
        double value = -1;
        QStringView after;
        const bool read = WrittenNumber::read(text, style, &value, &after);
        QCOMPARE(read, !qIsNaN(expected));
        if (read) {
            QCOMPARE(value, expected);
            QCOMPARE(after.toString(), rest);
        }
    }
}

void TestWrittenNumber::guess_data()
{
    QTest::addColumn<QList<QStringList>>("rows");
    QTest::addColumn<char>("delimiter");
    QTest::addColumn<NumberStyle>("style");
    QTest::newRow("nothing tells, commas")
        << QList<QStringList> { { "Tea", "1,234", "12" } } << ',' << NumberStyle::DecimalPoint;
    QTest::newRow("nothing tells, semicolons")
        << QList<QStringList> { { "Tea", "1.234", "12" } } << ';' << NumberStyle::DecimalComma;
    QTest::newRow("decimal points in a semicolon file") << QList<QStringList> { { "Tea", "1.5", "12" },
        { "Cake", "2.25", "1,234" } } << ';' << NumberStyle::DecimalPoint;
    QTest::newRow("decimal commas in a tab file")
        << QList<QStringList> { { "Tea", "1,5 g" } } << '\t' << NumberStyle::DecimalComma;
    // A name that begins with a number is no number of the file.
    QTest::newRow("a name is no evidence")
        << QList<QStringList> { { "1,5 litres of soup", "1,234" } } << '\t' << NumberStyle::DecimalPoint;
}

void TestWrittenNumber::guess()
{
    QFETCH(QList<QStringList>, rows);
    QFETCH(char, delimiter);
    QFETCH(NumberStyle, style);
    QCOMPARE(WrittenNumber::guess(rows, delimiter), style);
}

QTEST_MAIN(TestWrittenNumber)
#include "TestWrittenNumber.moc"
