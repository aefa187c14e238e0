// The generic order's sort of a large column, whichever way it takes (by the ranks of few distinct
// texts, or by comparing keys), gives the rows exactly as a stable sort by compare() gives them:
// numbers first by value (one value written two ways shares its place), then texts, equal cells in
// the order they came.

#include "core/text/GenericOrder.h"

#include <QTest>

#include <algorithm>
#include <numeric>

class TestGenericOrder : public QObject
{
    Q_OBJECT

private slots:
    void sortIsAStableSortByCompare_data();
    void sortIsAStableSortByCompare();
};

void TestGenericOrder::sortIsAStableSortByCompare_data()
{
    QTest::addColumn<QStringList>("vocabulary");
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("subset");
    const QStringList units { "1 cup", "1 cup, chopped", "1 cup ", "100 g", "1 oz", "", "each", "1 tbsp", "Each" };
    QTest::newRow("serving units") << units << 20000 << false;
    QTest::newRow("serving units beyond Latin-1") << (QStringList(units) << "1 杯"
                                                                         << "1 tasse, émincée"
                                                                         << "1 cup ")
                                                  << 20000 << false;
    QTest::newRow("numbers written two ways")
        << QStringList { "1", "1.0", "01", "-0", "0", "2.5", "n/a", "12.5g", "" } << 20000 << false;
    QTest::newRow("a few rows of a column") << units << 20000 << true;
    // Nearly as many distinct texts as the rank sort takes, all of one length, so that texts
    // meet in its table.
    QStringList sameLength;
    for (int i = 0; i < 2400; ++i) {
        sameLength.append(QStringLiteral("u%1").arg(i, 4, 10, QLatin1Char('0')));
    }
    QTest::newRow("many texts of one length") << sameLength << 20000 << false;
    QStringList distinct;
    for (int i = 0; i < 30000; ++i) {
        distinct.append(QStringLiteral("Food %1").arg((i * 7919) % 30000));
    }
    QTest::newRow("mostly distinct names") << distinct << 30000 << false;
}

void TestGenericOrder::sortIsAStableSortByCompare()
{
    QFETCH(QStringList, vocabulary);
    QFETCH(int, rows);
    QFETCH(bool, subset);
    TextColumn column;
    for (int i = 0; i < rows; ++i) {
        column.append(vocabulary.at((i * 31 + i / 7) % vocabulary.size()));
    }
    const GenericOrder order(column);
    std::vector<std::uint32_t> sorted;
    for (std::uint32_t row = 0; row < std::uint32_t(rows); ++row) {
        if (!subset || row % 3 != 0) {
            sorted.push_back(row);
        }
    }
    // Rows come in an order of their own, which equal cells must keep.
    std::reverse(sorted.begin(), sorted.end());
    std::vector<std::uint32_t> expected = sorted;
    std::stable_sort(expected.begin(), expected.end(),
        [&order](std::uint32_t a, std::uint32_t b) { return order.compare(a, b) < 0; });
    order.sort(sorted);
    QVERIFY(sorted == expected);
}

QTEST_GUILESS_MAIN(TestGenericOrder)
#include "TestGenericOrder.moc"
