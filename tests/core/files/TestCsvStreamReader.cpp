#include "core/files/ByteSource.h"
#include "core/files/CsvStreamReader.h"

#include <QRandomGenerator>
#include <QTest>

class TestCsvStreamReader : public QObject
{
    Q_OBJECT

private slots:
    void records_data();
    void records();
};

using Records = QList<QStringList>;

void TestCsvStreamReader::records_data()
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
    QTest::newRow("unterminated quote") << "\"abc,d" << Records {} << true;
    QTest::newRow("byte order mark") << QString(QChar(0xFEFF)) + "a,b" << Records { { "a", "b" } } << false;
    QTest::newRow("empty text") << "" << Records {} << false;

    // Records and quoted fields that straddle the blocks the reader reads: megabytes of random
    // fields, each piece with the field it reads as.
    QRandomGenerator random(7);
    const std::pair<QString, QString> pieces[]
        = { { "a", "a" }, { "\"b,\"\"c\"\"\"", "b,\"c\"" }, { "\"line\r\nbreak\"", "line\r\nbreak" }, { "", "" },
              { "\u00e9t\u00e9", "\u00e9t\u00e9" }, { "\"\"", "" }, { "x y", "x y" } };
    QString text;
    Records expected;
    QStringList record;
    while (text.size() < (3 << 20)) {
        const auto& [written, read] = pieces[random.bounded(int(std::size(pieces)))];
        text += written;
        record.append(read);
        if (random.bounded(4) == 0) {
            text += random.bounded(2) ? "\r\n" : "\n";
            expected.append(record);
            record.clear();
        } else {
            text += ",";
        }
    }
    if (text.endsWith(',')) {
        record.append(QString());
        expected.append(record);
    }
    QTest::newRow("records across blocks") << text << expected << false;
    // Each field costs memory beyond its bytes, so a record's fields are counted too.
    QTest::newRow("fields up to the limit")
        << QString(",").repeated(CsvStreamReader::MaxFields - 1) + "\nx"
        << Records { QStringList(CsvStreamReader::MaxFields, QString()), { "x" } } << false;
    QTest::newRow("a field over the limit")
        << "x\n" + QString(",").repeated(CsvStreamReader::MaxFields) + "\nx" << Records {} << true;
}

void TestCsvStreamReader::records()
{
    QFETCH(QString, text);
    QFETCH(Records, expected);
    QFETCH(bool, error);
    auto source = ByteSource::fromBytes(text.toUtf8());
    CsvStreamReader reader(*source);
    Records records;
    while (reader.readRecord()) {
        records.append(reader.fieldTexts());
    }
    QCOMPARE(reader.failed(), error);
    if (!error) {
        QCOMPARE(records, expected);
        QCOMPARE(reader.consumed(), text.toUtf8().size());
    } else {
        QVERIFY2(reader.errorString().startsWith("line "), qPrintable(reader.errorString()));
        QCOMPARE(reader.endsInsideQuotes(), QByteArray(QTest::currentDataTag()) == "unterminated quote");
    }
}

QTEST_APPLESS_MAIN(TestCsvStreamReader)
#include "TestCsvStreamReader.moc"
