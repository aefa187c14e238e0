// A column of cells keeps each text whole whether it holds them one byte a character (Latin-1)
// or in UTF-16, turns to UTF-16 at the first character beyond Latin-1, and orders cells as
// QString does. Find Text's search over it, in place or over an upper-cased copy, marks exactly
// the cells whose upper-cased text contains the upper-cased term.

#include "core/text/TextColumn.h"
#include "core/text/UpperColumn.h"

#include <QTest>

namespace {

int sign(int value)
{
    return (value > 0) - (value < 0);
}

// Every cell, its view and every pair's order, against the texts it was given.
void compareWith(const TextColumn& column, const QStringList& texts)
{
    QCOMPARE(column.size(), texts.size());
    QString scratch;
    for (qsizetype i = 0; i < texts.size(); ++i) {
        QCOMPARE(column.at(i), texts[i]);
        QCOMPARE(column.view(i, scratch).toString(), texts[i]);
        for (qsizetype j = 0; j < texts.size(); ++j) {
            QCOMPARE(sign(column.compare(i, j)), sign(QStringView(texts[i]).compare(QStringView(texts[j]))));
        }
    }
}

} // namespace

class TestTextColumn : public QObject
{
    Q_OBJECT

private slots:
    void keepsEveryCellInEitherForm_data();
    void keepsEveryCellInEitherForm();
    void findsAsAnUpperCasedCopyWould_data();
    void findsAsAnUpperCasedCopyWould();
};

void TestTextColumn::keepsEveryCellInEitherForm_data()
{
    QTest::addColumn<QStringList>("appended");
    // Edits after the appends: "set:<cell>:<text>", "insert:<cell>:<text>", "remove:<cell>".
    QTest::addColumn<QStringList>("edits");
    QTest::addColumn<bool>("latin1");
    const QStringList latin1 { "Crème brûlée", "apple", "", "Äpfel", "zucchini", "apple pie", "\u00ff\u00e9" };
    QTest::newRow("ASCII and Latin-1") << latin1 << QStringList() << true;
    QTest::newRow("a name beyond Latin-1 among them") << (QStringList(latin1) << "K\u0131s\u0131r"
                                                                              << "Weißwurst")
                                                      << QStringList() << false;
    QTest::newRow("edits in Latin-1") << latin1
                                      << QStringList { "set:1:pear", "insert:0:Été", "remove:3", "insert:7:end",
                                             "set:2:" }
                                      << true;
    QTest::newRow("an edit beyond Latin-1 turns the column")
        << latin1 << QStringList { "set:1:寿司", "insert:0:first", "remove:4" } << false;
    QTest::newRow("an insert beyond Latin-1 turns the column")
        << latin1 << QStringList { "insert:3:\u0152uf", "set:0:Crème" } << false;
    QTest::newRow("a character beyond the basic plane")
        << QStringList { "\uFFFD", "\U0001F34E", "\u00e9", "e" } << QStringList() << false;
}

void TestTextColumn::keepsEveryCellInEitherForm()
{
    QFETCH(QStringList, appended);
    QFETCH(QStringList, edits);
    QFETCH(bool, latin1);
    TextColumn column;
    QStringList texts;
    for (const QString& text : appended) {
        QVERIFY(column.append(text));
        texts.append(text);
    }
    for (const QString& edit : edits) {
        const QStringList parts = edit.split(u':');
        const int cell = parts.value(1).toInt();
        if (parts[0] == u"set") {
            column.set(cell, parts[2]);
            texts[cell] = parts[2];
        } else if (parts[0] == u"insert") {
            column.insert(cell, parts[2]);
            texts.insert(cell, parts[2]);
        } else {
            column.remove(cell);
            texts.removeAt(cell);
        }
        compareWith(column, texts);
    }
    compareWith(column, texts);
    QCOMPARE(column.isLatin1(), latin1);
    QCOMPARE(column.characterCount(), texts.join(QString()).size());
}

void TestTextColumn::findsAsAnUpperCasedCopyWould_data()
{
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QString>("term");
    QTest::addColumn<bool>("inPlace");
    // Long cells put hits on every side of the search's sixteen-byte steps.
    QStringList long1;
    for (int i = 0; i < 40; ++i) {
        long1.append(QString(i, u'x') + QStringLiteral("Chicken") + QString(i % 17, u'y'));
        long1.append(QString(i, u'c') + QStringLiteral("hicke"));
    }
    QTest::newRow("every offset in a step") << long1 << QStringLiteral("chicken") << true;
    QTest::newRow("a term of one letter") << long1 << QStringLiteral("Y") << true;
    QTest::newRow("not across two cells")
        << QStringList { "ab", "cd", "abcd", "xab", "cdx" } << QStringLiteral("bc") << true;
    const QStringList accents { "Crème caramel", "CRÈME", "creme", "crÈme fraîche", "ÉCLAIR", "éclair" };
    QTest::newRow("Latin-1 letters either case") << accents << QStringLiteral("crème") << true;
    QTest::newRow("a term typed decomposed") << accents << QStringLiteral("e\u0301clair") << true;
    QTest::newRow("times is not divided by") << QStringList { "2 × 3", "6 ÷ 2", "×÷" } << QStringLiteral("÷") << true;
    QTest::newRow("a term beyond Latin-1 is in none")
        << QStringList { "Kisir", "KISIR" } << QStringLiteral("K\u0131s\u0131r") << true;
    QTest::newRow("sharp s makes a copy")
        << QStringList { "Weißwurst", "WEISSWURST", "weiss" } << QStringLiteral("weiss") << false;
    QTest::newRow("y with diaeresis makes a copy")
        << QStringList { "L'Haÿ-les-Roses", "HAŸ" } << QStringLiteral("haÿ") << false;
    QTest::newRow("micro makes a copy") << QStringList { "5 µg", "5 μg", "µG" } << QStringLiteral("µg") << false;
    QTest::newRow("a column beyond Latin-1")
        << QStringList { "Kısır", "KISIR", "寿司 sushi" } << QStringLiteral("sushi") << false;
    QTest::newRow("numbers") << QStringList { "12.5", "1e5", "1E5", "", "n/a" } << QStringLiteral("e5") << true;
}

void TestTextColumn::findsAsAnUpperCasedCopyWould()
{
    QFETCH(QStringList, cells);
    QFETCH(QString, term);
    QFETCH(bool, inPlace);
    TextColumn column;
    for (const QString& cell : cells) {
        QVERIFY(column.append(cell));
    }
    const UpperColumn upper(column);
    QCOMPARE(upper.isInPlace(), inPlace);
    const QString wanted = UpperColumn::upper(term);
    QList<qsizetype> expected;
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (UpperColumn::upper(cells[i]).contains(wanted)) {
            expected.append(i);
        }
    }
    const UpperColumn::Pattern pattern(term);
    QList<qsizetype> found;
    upper.forEachMatch(pattern, 0, column.size(), [&found](qsizetype cell) {
        found.append(cell);
        return true;
    });
    QCOMPARE(found, expected);
    // The editor's search over a column it upper-cased itself finds the first of them.
    const TextColumn upperCells = UpperColumn::upperCased(column);
    QCOMPARE(UpperColumn::firstMatch(upperCells, pattern, 0, upperCells.size()), expected.value(0, -1));
}

QTEST_GUILESS_MAIN(TestTextColumn)
#include "TestTextColumn.moc"
