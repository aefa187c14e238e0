// Finding foods by typed words: every word, any order, case and accents ignored, names in list
// order; narrowing a grown text gives what a fresh search gives.

#include "core/FoodNameSearch.h"

#include <QTest>

#include <numeric>

class TestFoodNameSearch : public QObject
{
    Q_OBJECT

private slots:
    void findsEveryWordInAnyOrder_data();
    void findsEveryWordInAnyOrder();
    void typingLetterByLetterMatchesAFreshSearch();
    void matchedRangesMarkEveryWord();
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

void TestFoodNameSearch::typingLetterByLetterMatchesAFreshSearch()
{
    QStringList names;
    const char* words[] = { "apple", "beef", "chicken", "soup", "bread", "cheese", "roasted", "yogurt" };
    for (int i = 0; i < 400; ++i) {
        names.append(QStringLiteral("%1, %2 #%3").arg(words[i % 8], words[(i * 7 + 3) % 8]).arg(i));
    }
    Searched typing(names);
    const QString text = QStringLiteral("che roa 1");
    for (qsizetype length = 1; length <= text.size(); ++length) {
        const QString typed = text.left(length);
        Searched fresh(names);
        QCOMPARE(typing.found(typed), fresh.found(typed));
    }
    // Deleting letters is no narrowing: the search starts again.
    qsizetype holding = 0;
    for (const QString& name : names) {
        holding += name.contains(QStringLiteral("che"));
    }
    QCOMPARE(typing.found(QStringLiteral("che")).size(), holding);
}

void TestFoodNameSearch::matchedRangesMarkEveryWord()
{
    const auto ranges = FoodNameSearch::matchedRanges(kNames[2], FoodNameSearch::words(QStringLiteral("BRU cr")));
    QCOMPARE(ranges, (std::vector<std::pair<int, int>> { { 0, 2 }, { 6, 3 } }));
}

QTEST_APPLESS_MAIN(TestFoodNameSearch)
#include "TestFoodNameSearch.moc"
