#include "core/CsvReader.h"

#include <QTest>

class TestCsvReader : public QObject
{
    Q_OBJECT

private slots:
    void records_data();
    void records();
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

QTEST_APPLESS_MAIN(TestCsvReader)
#include "TestCsvReader.moc"
