// Folding text for matching: every Unicode form of a name folds to the same text, a letter read
// apart from its neighbours folds as it does among them, and nothing valid or broken is lost.

#include "core/text/TextFold.h"

#include <QTest>

class TestTextFold : public QObject
{
    Q_OBJECT

private slots:
    void foldsEveryForm_data();
    void foldsEveryForm();
};

void TestTextFold::foldsEveryForm_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("folded");
    QTest::newRow("ASCII") << "Milk, 2% FAT"
                           << "milk, 2% fat";
    QTest::newRow("composed accents") << QStringLiteral("Cr\u00e8me BR\u00dbL\u00c9E") << "creme brulee";
    QTest::newRow("decomposed accents") << QStringLiteral("Cre\u0300me bru\u0302le\u0301e") << "creme brulee";
    QTest::newRow("two accents on a letter, either order")
        << QStringLiteral("Pho\u031b\u0309 \u1eddo\u0309\u031b") << "pho oo";
    QTest::newRow("an accent opening the text") << QStringLiteral("\u0301a\u0308") << "a";
    QTest::newRow("sharp s") << QStringLiteral("Wei\u00dfwurst WEI\u1e9eWURST") << "weisswurst weisswurst";
    QTest::newRow("dotless and dotted i") << QStringLiteral("K\u0131s\u0131r \u0130skender") << "kisir iskender";
    QTest::newRow("ligatures") << QStringLiteral("\ufb01sh sou\ufb04\u00e9 \u01c4") << "fish souffle dz";
    QTest::newRow("wide letters") << QStringLiteral("\uff34\uff4f\uff26\uff55") << "tofu";
    QTest::newRow("final sigma") << QStringLiteral("\u039f\u03a3 \u03bf\u03c2")
                                 << QStringLiteral("\u03bf\u03c3 \u03bf\u03c3");
    QTest::newRow("Korean syllables stay whole") << QStringLiteral("\uae40\uce58") << QStringLiteral("\uae40\uce58");
    QTest::newRow("Korean letters join") << QStringLiteral("\u1100\u1175\u11b7\u110e\u1175")
                                         << QStringLiteral("\uae40\uce58");
    QTest::newRow("a soft hyphen goes") << QStringLiteral("Wei\u00df\u00adwurst") << "weisswurst";
    QTest::newRow("an emoji stays") << QStringLiteral("Pizza \U0001f355") << QStringLiteral("pizza \U0001f355");
    QTest::newRow("unpaired surrogates stay")
        << QString(QChar(0xdc00)) + QStringLiteral("A") + QChar(0xd800) << QString(QChar(0xdc00)) + "a" + QChar(0xd800);
    QTest::newRow("empty") << QString() << QString();
}

void TestTextFold::foldsEveryForm()
{
    QFETCH(QString, text);
    QFETCH(QString, folded);
    QCOMPARE(TextFold::fold(text), folded);
    // Folded with where each unit came from, the text is the same, and each unit stems from a
    // stretch of the written text, the stretches in order.
    std::vector<std::pair<int, int>> sources;
    QCOMPARE(TextFold::fold(text, &sources), folded);
    QCOMPARE(sources.size(), static_cast<std::size_t>(folded.size()));
    int reached = 0;
    for (const auto& [start, end] : sources) {
        QVERIFY(start >= reached && start < end && end <= text.size());
        reached = start;
    }
    // Appended after other text, the fold is the same.
    QString appended = QStringLiteral("x");
    TextFold::appendFold(text, &appended);
    QCOMPARE(appended, QStringLiteral("x") + folded);
}

QTEST_APPLESS_MAIN(TestTextFold)
#include "TestTextFold.moc"
