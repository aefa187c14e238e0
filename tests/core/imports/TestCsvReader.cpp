#include "core/imports/ByteSource.h"
#include "core/imports/CsvReader.h"
#include "core/imports/CsvStreamReader.h"

#include <QRandomGenerator>
#include <QTest>

class TestCsvReader : public QObject
{
    Q_OBJECT

private slots:
    void records_data();
    void records();
    void streamed_data();
    void streamed();
};

using Records = QList<QStringList>;

void TestCsvReader::records_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Records>("expected");
    QTest::addColumn<bool>("error");
    QTest::newRow("plain") << "a,b\nc,d\n" << Records { { "a", "b" }, { "c", "d" } } << false;
    QTest::newRow("crlf and no final end") << "a,b\r\nc,d" << Records { { "a", "b" }, { "c", "d" } } << false;
    QTest::newRow("lone cr") << "a\rb" << Records { { "a" }, { "b" } } << false;
    QTest::newRow("quoted comma") << "\"Abiyuch, raw\",0.5 cup" << Records { { "Abiyuch, raw", "0.5 cup" } } << false;
    QTest::newRow("doubled quote") << "\"say \"\"hi\"\"\",x" << Records { { "say \"hi\"", "x" } } << false;
    QTest::newRow("line break in quotes") << "\"a\nb\",c\nd" << Records { { "a\nb", "c" }, { "d" } } << false;
    QTest::newRow("empty fields") << ",,\n" << Records { { "", "", "" } } << false;
    QTest::newRow("empty quoted") << "\"\",x" << Records { { "", "x" } } << false;
    QTest::newRow("quote inside unquoted field kept") << "5\" pie,x" << Records { { "5\" pie", "x" } } << false;
    QTest::newRow("unterminated quote") << "\"abc,d" << Records { { "abc,d" } } << true;
    QTest::newRow("byte order mark") << QString(QChar(0xFEFF)) + "a,b" << Records { { "a", "b" } } << false;
    QTest::newRow("empty text") << "" << Records {} << false;
}

void TestCsvReader::records()
{
    QFETCH(QString, text);
    QFETCH(Records, expected);
    QFETCH(bool, error);
    CsvReader reader(text);
    Records records;
    QStringList fields;
    while (reader.readRecord(fields)) {
        records.append(fields);
    }
    QCOMPARE(records, expected);
    QCOMPARE(reader.hasError(), error);
}

// The streaming reader reads the same records from the bytes, also when records and quoted
// fields straddle the blocks it reads (the last row: megabytes of random fields).
void TestCsvReader::streamed_data()
{
    records_data();
    QRandomGenerator random(7);
    const QStringList pieces { "a", "\"b,\"\"c\"\"\"", "\"line\r\nbreak\"", "", "\u00e9t\u00e9", "\"\"", "x y" };
    QString text;
    while (text.size() < (3 << 20)) {
        text += pieces.at(random.bounded(pieces.size()));
        text += random.bounded(4) == 0 ? (random.bounded(2) ? "\r\n" : "\n") : ",";
    }
    CsvReader whole(text);
    Records expected;
    QStringList fields;
    while (whole.readRecord(fields)) {
        expected.append(fields);
    }
    QTest::newRow("records across blocks") << text << expected << false;
    // Each field costs memory beyond its bytes, so a record's fields are counted too.
    QTest::newRow("fields up to the limit")
        << QString(",").repeated(CsvStreamReader::MaxFields - 1) + "\nx"
        << Records { QStringList(CsvStreamReader::MaxFields, QString()), { "x" } } << false;
    QTest::newRow("a field over the limit")
        << "x\n" + QString(",").repeated(CsvStreamReader::MaxFields) + "\nx" << Records {} << true;
}

void TestCsvReader::streamed()
{
    QFETCH(QString, text);
    QFETCH(Records, expected);
    QFETCH(bool, error);
    auto source = ByteSource::fromBytes(text.toUtf8());
    CsvStreamReader reader(*source);
    Records records;
    while (reader.readRecord()) {
        QStringList fields;
        for (qsizetype i = 0; i < reader.fieldCount(); ++i) {
            fields.append(QString::fromUtf8(reader.field(i)));
        }
        records.append(fields);
    }
    QCOMPARE(reader.failed(), error);
    if (!error) {
        QCOMPARE(records, expected);
    } else {
        QVERIFY2(reader.errorString().startsWith("line "), qPrintable(reader.errorString()));
    }
}

QTEST_APPLESS_MAIN(TestCsvReader)
#include "TestCsvReader.moc"
