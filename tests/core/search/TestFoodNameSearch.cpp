// Finding foods by typed words: every word, any order, case and accents ignored, names in list
// order; narrowing a grown text gives what a fresh search gives. A name matches in whatever
// Unicode form it was stored (composed or decomposed accents, ß or ss, ligatures, wide letters).

#include "core/search/FoodNameSearch.h"

#include <QTest>

#include <algorithm>
#include <numeric>

class TestFoodNameSearch : public QObject
{
    Q_OBJECT

private slots:
    void findsEveryWordInAnyOrder_data();
    void findsEveryWordInAnyOrder();
    void findsNamesWhateverTheirForm_data();
    void findsNamesWhateverTheirForm();
    void typingLetterByLetterMatchesAFreshSearch_data();
    void typingLetterByLetterMatchesAFreshSearch();
    void aLargeListIsSearchedWhole_data();
    void aLargeListIsSearchedWhole();
    void matchedRangesMarkEveryWord();
    void matchedRangesCoverTheWrittenLetters_data();
    void matchedRangesCoverTheWrittenLetters();
};

namespace {

// A search over names listed in reverse table order, as a name order may well be.
struct Searched
{
    explicit Searched(const QStringList& listed)
        : names(listed)
    {
        for (qsizetype i = names.size() - 1; i >= 0; --i) {
            column.append(names[i]);
        }
        order.resize(static_cast<std::size_t>(names.size()));
        std::iota(order.rbegin(), order.rend(), 0u);
        search.setNames(column, order);
    }
    QStringList found(const QString& typed)
    {
        if (!search.search(typed)) {
            return names;
        }
        QStringList result;
        for (const std::uint32_t row : search.rows()) {
            result.append(names[static_cast<qsizetype>(row)]);
        }
        return result;
    }

    QStringList names;
    TextColumn column;
    std::vector<std::uint32_t> order;
    FoodNameSearch search;
};

const QStringList kNames { QStringLiteral("APPLEBEE'S, chicken fingers"), QStringLiteral("Chicken, breast, roasted"),
    QString::fromUtf8("Cr\xc3\xa8me br\xc3\xbbl\xc3\xa9\x65"), QStringLiteral("Creme fraiche"),
    QStringLiteral("Milk, whole"),
    QString::fromUtf8("\xce\x9a\xce\xbf\xcf\x84\xcf\x8c\xcf\x80\xce\xbf\xcf\x85\xce\xbb\xce\xbf") };

} // namespace

void TestFoodNameSearch::findsEveryWordInAnyOrder_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("no words: everything") << "   " << kNames;
    QTest::newRow("words in any order") << "breast chick" << QStringList { kNames[1] };
    QTest::newRow("case ignored") << "CHICKEN" << QStringList { kNames[0], kNames[1] };
    QTest::newRow("accents ignored") << "creme brul" << QStringList { kNames[2] };
    QTest::newRow("accents typed") << QString::fromUtf8("cr\xc3\xa8me") << QStringList { kNames[2], kNames[3] };
    QTest::newRow("every word must match") << "chicken milk" << QStringList {};
    QTest::newRow("no match") << "zzz" << QStringList {};
    QTest::newRow("a word does not run into the next name") << "eecr" << QStringList {};
    QTest::newRow("any blank separates words") << "breast\tchick" << QStringList { kNames[1] };
    QTest::newRow("an accent typed on its own") << QString::fromUtf8("cre\xcc\x80me brul") << QStringList { kNames[2] };
    QTest::newRow("beyond Latin-1") << QString::fromUtf8("\xcf\x84\xce\xbf\xcf\x80") << QStringList { kNames[5] };
}

void TestFoodNameSearch::findsEveryWordInAnyOrder()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, expected);
    Searched wide(kNames);
    QCOMPARE(wide.found(typed), expected);
    // Without the one name beyond Latin-1 the names are kept in bytes; the answer is the same.
    QStringList latin = kNames.mid(0, 5);
    Searched narrow(latin);
    QStringList expectedLatin = expected;
    expectedLatin.removeAll(kNames[5]);
    if (typed.trimmed().isEmpty()) {
        expectedLatin = latin;
    }
    QCOMPARE(narrow.found(typed), expectedLatin);
}

void TestFoodNameSearch::findsNamesWhateverTheirForm_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("expected");
    const QString decomposed = QStringLiteral("Cre\u0300me caramel");
    const QString composed = QStringLiteral("Cr\u00e8me caramel");
    const QStringList creme { decomposed, QStringLiteral("Caramel sauce") };
    QTest::newRow("decomposed name, plain words") << creme << "creme caramel" << QStringList { decomposed };
    QTest::newRow("decomposed name, accent typed") << creme << composed << QStringList { decomposed };
    QTest::newRow("composed name, decomposed accent typed")
        << QStringList { composed } << decomposed.toUpper() << QStringList { composed };
    QTest::newRow("accent typed on a plain name") << QStringList { QStringLiteral("Creme caramel") }
                                                  << QStringLiteral("CR\u00c8ME") << QStringList { "Creme caramel" };

    const QString weisswurst = QStringLiteral("Wei\u00dfwurst");
    const QStringList sausages { weisswurst, QStringLiteral("Weisswurst, smoked"), QStringLiteral("Bratwurst") };
    QTest::newRow("sharp s typed as SS") << sausages << "WEISSWURST" << sausages.mid(0, 2);
    QTest::newRow("ss typed as sharp s") << sausages << QStringLiteral("wei\u00df") << sausages.mid(0, 2);
    QTest::newRow("capital sharp s") << sausages << QStringLiteral("WEI\u1e9eWURST") << sausages.mid(0, 2);
    QTest::newRow("half a sharp s") << sausages << "weis" << sausages.mid(0, 2);
    const QString hyphened = QStringLiteral("Wei\u00df\u00adwurst");
    QTest::newRow("soft hyphen") << QStringList { hyphened } << "weisswurst" << QStringList { hyphened };

    const QString kisir = QStringLiteral("K\u0131s\u0131r");
    const QString iskender = QStringLiteral("\u0130skender kebap");
    const QStringList turkish { kisir, iskender, QStringLiteral("Kiwi") };
    QTest::newRow("dotless i typed as I") << turkish << "KISIR" << QStringList { kisir };
    QTest::newRow("dotless i typed") << turkish << QStringLiteral("\u0131skender") << QStringList { iskender };
    QTest::newRow("dotted capital I") << turkish << "iskender" << QStringList { iskender };
    QTest::newRow("dotted capital I typed") << turkish << QStringLiteral("K\u0130") << QStringList { kisir, "Kiwi" };

    const QString fish = QStringLiteral("\ufb01sh sticks");
    const QString souffle = QStringLiteral("Sou\ufb04\u00e9");
    const QString tofu = QStringLiteral("\uff34\uff2f\uff26\uff35, firm");
    const QStringList forms { fish, souffle, tofu };
    QTest::newRow("fi ligature") << forms << "FISH" << QStringList { fish };
    QTest::newRow("ligature typed") << forms << QStringLiteral("\ufb01rm") << QStringList { tofu };
    QTest::newRow("ffl ligature") << forms << "souffle" << QStringList { souffle };
    QTest::newRow("wide letters") << forms << "tofu" << QStringList { tofu };

    const QString chicken = QStringLiteral("\u039a\u039f\u03a4\u038c\u03a0\u039f\u03a5\u039b\u039f\u03a3");
    const QString soup = QStringLiteral("\u03c3\u03bf\u03c5\u03c0\u03b1 \u03c4\u03bf\u03bc\u03b1\u03c4\u03b1\u03c2");
    const QStringList greek { chicken, soup };
    QTest::newRow("final sigma typed") << greek
                                       << QStringLiteral("\u03ba\u03bf\u03c4\u03bf\u03c0\u03bf\u03c5\u03bb\u03bf\u03c2")
                                       << QStringList { chicken };
    QTest::newRow("final sigma stored") << greek << QStringLiteral("\u03a4\u039f\u039c\u0391\u03a4\u0391\u03a3")
                                        << QStringList { soup };

    const QString kimchi = QStringLiteral("\uae40\uce58");
    const QString pizza = QStringLiteral("Pizza \U0001f355");
    const QStringList whole { kimchi, pizza, QStringLiteral("Pizza, cheese") };
    QTest::newRow("a Korean syllable stays whole") << whole << QStringLiteral("\uae30") << QStringList {};
    QTest::newRow("a Korean syllable") << whole << QStringLiteral("\uae40") << QStringList { kimchi };
    QTest::newRow("an emoji") << whole << QStringLiteral("\U0001f355") << QStringList { pizza };

    const QChar high(0xd800);
    const QChar low(0xdc00);
    const QString broken = QStringLiteral("Bad") + high + QStringLiteral(" name, end ") + low;
    const QStringList hostile { broken, QStringLiteral("\u0301\u0301"), QStringLiteral("Plain") };
    QTest::newRow("unpaired surrogates in a name") << hostile << "END bad" << QStringList { broken };
    QTest::newRow("unpaired surrogates typed")
        << hostile << QString(low) + QStringLiteral(" bad") + high << QStringList { broken };
    QTest::newRow("only accents typed") << hostile << QStringLiteral("\u0301 \u0308") << hostile;
}

void TestFoodNameSearch::findsNamesWhateverTheirForm()
{
    QFETCH(QStringList, names);
    QFETCH(QString, typed);
    QFETCH(QStringList, expected);
    Searched search(names);
    QCOMPARE(search.found(typed), expected);
    // Beside a name kept in more than a byte a character, the names are searched as wide text.
    const QString wideName = QStringLiteral("\u0416");
    Searched wide(QStringList(names) << wideName);
    QCOMPARE(wide.found(typed), FoodNameSearch::words(typed).isEmpty() ? wide.names : expected);
}

void TestFoodNameSearch::typingLetterByLetterMatchesAFreshSearch_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("text");
    QStringList names;
    const char* words[] = { "apple", "beef", "chicken", "soup", "bread", "cheese", "roasted", "yogurt" };
    for (int i = 0; i < 400; ++i) {
        names.append(QStringLiteral("%1, %2 #%3").arg(words[i % 8], words[(i * 7 + 3) % 8]).arg(i));
    }
    QTest::newRow("plain words") << names << "che roa 1";
    QTest::newRow("accents typed after their letters")
        << (QStringList(names) << QStringLiteral("Cr\u00e8me")) << QStringLiteral("cre\u0300me");
    // Korean letters typed one by one join into a syllable that holds none of them on its own.
    const QString oil = QStringLiteral("\uae30\ub984");
    const QString kimchi = QStringLiteral("\uae40\uce58");
    QTest::newRow("Korean letters joining")
        << (QStringList(names) << oil << kimchi) << QStringLiteral("\u1100\u1175\u11b7\u110e");
}

void TestFoodNameSearch::typingLetterByLetterMatchesAFreshSearch()
{
    QFETCH(QStringList, names);
    QFETCH(QString, text);
    Searched typing(names);
    for (qsizetype length = 1; length <= text.size(); ++length) {
        const QString typed = text.left(length);
        QCOMPARE(typing.found(typed), Searched(names).found(typed));
    }
    // Deleting letters is no narrowing: the search starts again.
    QCOMPARE(typing.found(text.left(3)), Searched(names).found(text.left(3)));
}

void TestFoodNameSearch::aLargeListIsSearchedWhole_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("one word in most names") << QStringLiteral("ch");
    QTest::newRow("two words") << QStringLiteral("soup 12");
    QTest::newRow("a word in the last name only") << QStringLiteral("zebra");
    QTest::newRow("a word in the first name only") << QStringLiteral("aardvark");
    QTest::newRow("a word in the names either side of the middle") << QStringLiteral("middle");
}

void TestFoodNameSearch::aLargeListIsSearchedWhole()
{
    // Names enough for the search to split the text between two threads: whatever it finds
    // near the middle, the first and the last name included, is what testing each name gives.
    QFETCH(QString, typed);
    const char* words[] = { "apple", "beef", "chicken", "soup", "bread", "cheese", "roasted", "yogurt" };
    QStringList names;
    for (int i = 0; i < 500000; ++i) {
        names.append(QStringLiteral("%1 %2 #%3").arg(words[i % 8], words[(i * 7 + 3) % 8]).arg(i));
    }
    names.first() = QStringLiteral("Aardvark stew");
    names.last() = QStringLiteral("Zebra steak");
    names[names.size() / 2 - 1] = QStringLiteral("Middle one");
    names[names.size() / 2] = QStringLiteral("Middle two");
    Searched search(names);
    QVERIFY(search.column.characterCount() > 8 * 1024 * 1024);
    const QStringList typedWords = FoodNameSearch::words(typed);
    QStringList expected;
    for (const QString& name : names) {
        if (std::all_of(typedWords.begin(), typedWords.end(),
                [&name](const QString& word) { return name.contains(word, Qt::CaseInsensitive); })) {
            expected.append(name);
        }
    }
    QCOMPARE(search.found(typed), expected);
}

void TestFoodNameSearch::matchedRangesMarkEveryWord()
{
    const auto ranges = FoodNameSearch::matchedRanges(kNames[2], FoodNameSearch::words(QStringLiteral("BRU cr")));
    QCOMPARE(ranges, (std::vector<std::pair<int, int>> { { 0, 2 }, { 6, 3 } }));
}

void TestFoodNameSearch::matchedRangesCoverTheWrittenLetters_data()
{
    using Ranges = std::vector<std::pair<int, int>>;
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<Ranges>("expected");
    const QString decomposed = QStringLiteral("Cre\u0300me caramel");
    QTest::newRow("a decomposed accent goes with its letter") << decomposed << "creme" << Ranges { { 0, 6 } };
    QTest::newRow("a word ending at an accent") << decomposed << "cre" << Ranges { { 0, 4 } };
    QTest::newRow("sharp s") << QStringLiteral("Wei\u00dfwurst") << "weiss" << Ranges { { 0, 4 } };
    QTest::newRow("half a sharp s") << QStringLiteral("Wei\u00dfwurst") << "sw" << Ranges { { 3, 2 } };
    QTest::newRow("a ligature") << QStringLiteral("\ufb01sh") << "is" << Ranges { { 0, 2 } };
    QTest::newRow("dotless i") << QStringLiteral("K\u0131s\u0131r") << "SIR" << Ranges { { 2, 3 } };
    QTest::newRow("an emoji") << QStringLiteral("Pizza \U0001f355") << QStringLiteral("\U0001f355")
                              << Ranges { { 6, 2 } };
    QTest::newRow("two words") << QStringLiteral("Cr\u00e8me br\u00fbl\u00e9e") << "BRU cr"
                               << Ranges { { 0, 2 }, { 6, 3 } };
}

void TestFoodNameSearch::matchedRangesCoverTheWrittenLetters()
{
    using Ranges = std::vector<std::pair<int, int>>;
    QFETCH(QString, name);
    QFETCH(QString, typed);
    QFETCH(Ranges, expected);
    QCOMPARE(FoodNameSearch::matchedRanges(name, FoodNameSearch::words(typed)), expected);
}

QTEST_APPLESS_MAIN(TestFoodNameSearch)
#include "TestFoodNameSearch.moc"
