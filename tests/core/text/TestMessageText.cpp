#include "core/text/MessageText.h"

#include <QTest>

class TestMessageText : public QObject
{
    Q_OBJECT

private slots:
    void quoted_data();
    void quoted();
    void listed_data();
    void listed();
    void quotedList_data();
    void quotedList();
};

void TestMessageText::quoted_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("max");
    QTest::addColumn<QString>("expected");
    QTest::newRow("short kept") << "Oatmeal" << 60 << "Oatmeal";
    QTest::newRow("exactly the limit") << QString(60, u'a') << 60 << QString(60, u'a');
    QTest::newRow("one over is cut") << QString(61, u'a') << 60 << QString(60, u'a') + "...";
    // A cut between the two halves of an emoji would leave half a character in the message.
    QTest::newRow("surrogate pair not split") << QStringLiteral("ab\U0001F34Ecd") << 3 << "ab...";
}

void TestMessageText::quoted()
{
    QFETCH(QString, text);
    QFETCH(int, max);
    QFETCH(QString, expected);
    QCOMPARE(MessageText::quoted(text, max), expected);
}

void TestMessageText::listed_data()
{
    QTest::addColumn<int>("items");
    QTest::addColumn<int>("expectedLines");
    QTest::addColumn<QString>("lastLine");
    QTest::newRow("none") << 0 << 0 << QString();
    QTest::newRow("ten listed whole") << 10 << 10 << "item 10";
    QTest::newRow("eleven: ten and a count") << 11 << 11 << "... and 1 more.";
    QTest::newRow("a thousand") << 1000 << 11 << "... and 990 more.";
}

void TestMessageText::listed()
{
    QFETCH(int, items);
    QFETCH(int, expectedLines);
    QFETCH(QString, lastLine);
    QLocale::setDefault(QLocale::c());
    QStringList all;
    for (int i = 1; i <= items; ++i) {
        all.append(QStringLiteral("item %1").arg(i));
    }
    const QStringList lines = MessageText::listed(all);
    QCOMPARE(lines.size(), expectedLines);
    if (expectedLines > 0) {
        QCOMPARE(lines.first(), QStringLiteral("item 1"));
        QCOMPARE(lines.last(), lastLine);
    }
}

void TestMessageText::quotedList_data()
{
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<bool>("marks");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("expected");
    QTest::newRow("none") << QStringList() << true << ", " << QString();
    QTest::newRow("in marks") << QStringList { "Kcal", "Fat" } << true << ", "
                              << "\"Kcal\", \"Fat\"";
    QTest::newRow("bare, one a line") << QStringList { "Kcal", "Fat" } << false << "\n"
                                      << "Kcal\nFat";
    QTest::newRow("a long name is cut") << QStringList { QString(61, u'x') } << true << ", "
                                        << "\"" + QString(60, u'x') + "...\"";
    QStringList twelve;
    QStringList firstTen;
    for (int i = 1; i <= 12; ++i) {
        twelve.append(QStringLiteral("c%1").arg(i));
        if (i <= 10) {
            firstTen.append(twelve.last());
        }
    }
    QTest::newRow("ten, then a count") << twelve << false << ", " << firstTen.join(", ") + ", ... and 2 more.";
}

void TestMessageText::quotedList()
{
    QFETCH(QStringList, items);
    QFETCH(bool, marks);
    QFETCH(QString, separator);
    QFETCH(QString, expected);
    QLocale::setDefault(QLocale::c());
    QCOMPARE(MessageText::quotedList(items, marks ? MessageText::Marks::With : MessageText::Marks::Without, separator),
        expected);
}

QTEST_GUILESS_MAIN(TestMessageText)
#include "TestMessageText.moc"
