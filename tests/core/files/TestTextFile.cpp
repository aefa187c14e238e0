#include "core/files/TextFile.h"
#include "core/files/TextLineReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

class TestTextFile : public QObject
{
    Q_OBJECT

private slots:
    void splitLines_data();
    void splitLines();
    void decode_data();
    void decode();
    void writeUsesCrLfAndReplacesWhole();
    void writeFailureKeepsOldFile();
    void lineReaderMatchesWholeRead_data();
    void lineReaderMatchesWholeRead();
};

void TestTextFile::splitLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("empty") << "" << QStringList {};
    QTest::newRow("crlf") << "a\r\nb\r\n" << QStringList { "a", "b" };
    QTest::newRow("lf") << "a\nb" << QStringList { "a", "b" };
    QTest::newRow("lone cr") << "a\rb\r" << QStringList { "a", "b" };
    QTest::newRow("blank lines kept") << "a\r\n\r\nb" << QStringList { "a", "", "b" };
    QTest::newRow("only a line end") << "\r\n" << QStringList { "" };
    QTest::newRow("nul stays in line") << QString::fromLatin1("a\0b", 3)
                                       << QStringList { QString::fromLatin1("a\0b", 3) };
}

void TestTextFile::splitLines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(TextFile::splitLines(text), lines);
}

void TestTextFile::decode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("utf8") << QByteArray("Cr\xc3\xa8me") << QString::fromUtf8("Cr\xc3\xa8me");
    QTest::newRow("bom dropped") << QByteArray("\xef\xbb\xbfx") << QStringLiteral("x");
    QTest::newRow("latin text read as 1252") << QByteArray("Cr\xe8me") << QString::fromUtf8("Cr\xc3\xa8me");
    QTest::newRow("1252 quotes and euro")
        << QByteArray("\x93x\x94 \x80") << QString::fromUtf8("\xe2\x80\x9cx\xe2\x80\x9d \xe2\x82\xac");
}

void TestTextFile::decode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(TextFile::decode(bytes), text);
}

void TestTextFile::writeUsesCrLfAndReplacesWhole()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("f.txt"));
    QString error;
    QVERIFY(TextFile::writeLines(path, { QStringLiteral("one"), QString::fromUtf8("tw\xc3\xb6") }, &error));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("one\r\ntw\xc3\xb6\r\n"));
    file.close();
    QVERIFY(TextFile::writeLines(path, { QStringLiteral("x") }, &error));
    QStringList lines;
    QVERIFY(TextFile::readLines(path, &lines, &error));
    QCOMPARE(lines, QStringList { QStringLiteral("x") });
}

void TestTextFile::writeFailureKeepsOldFile()
{
    QTemporaryDir dir;
    // A folder standing where the file should be stops the write for every user, root included.
    const QString blocked = dir.filePath(QStringLiteral("blocked.txt"));
    QVERIFY(QDir().mkdir(blocked));
    QString error;
    QVERIFY(!TextFile::writeLines(blocked, { QStringLiteral("x") }, &error));
    QVERIFY(error.contains(QStringLiteral("blocked.txt")));
    QVERIFY(QFileInfo(blocked).isDir());
    // A missing folder: nothing is created and the reason names the file.
    const QString nowhere = dir.filePath(QStringLiteral("missing/f.txt"));
    QVERIFY(!TextFile::writeLines(nowhere, { QStringLiteral("x") }, &error));
    QVERIFY(error.contains(QStringLiteral("f.txt")));
    QString text;
    QVERIFY(!TextFile::readText(nowhere, &text, &error));
}

// Reading line by line gives the lines and the encoding that reading the whole file gives, also
// where a line end or a UTF-8 sequence straddles the reader's 256 KiB blocks.
void TestTextFile::lineReaderMatchesWholeRead_data()
{
    const qsizetype block = qsizetype(256) << 10;
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("no final line end") << QByteArray("a\r\nb");
    QTest::newRow("every line end") << QByteArray("a\rb\nc\r\n\r\n\rd\n");
    QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF"
                                                   "Cr\xC3\xA8me\r\n");
    QTest::newRow("Windows-1252") << QByteArray("Cr\xE8me \x80\r\n");
    QTest::newRow("CR LF across blocks") << QByteArray(block - 1, 'a') + "\r\nb";
    QTest::newRow("UTF-8 across blocks") << QByteArray(block - 1, 'a') + "\xC3\xA9\n" + QByteArray(block, 'b');
    QTest::newRow("invalid byte in a later block") << QByteArray(block + 5, 'a') + "\xE9\n";
    QTest::newRow("line over several blocks") << QByteArray("x\n") + QByteArray(3 * block + 7, 'c') + "\ny";
}

void TestTextFile::lineReaderMatchesWholeRead()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath("lines.txt");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();

    TextLineReader reader(path);
    QString error;
    QVERIFY2(reader.open(&error), qPrintable(error));
    QStringList lines;
    QString line;
    while (reader.readLine(&line)) {
        QVERIFY(!reader.lineCut());
        QCOMPARE(reader.lineNumber(), lines.size() + 1);
        lines.append(line);
    }
    QVERIFY(!reader.failed(&error));
    QCOMPARE(lines, TextFile::splitLines(TextFile::decode(bytes)));
}

QTEST_APPLESS_MAIN(TestTextFile)
#include "TestTextFile.moc"
