// The totals grid's model and the report built from the same result: texts, bold rows,
// alignment and the shaded fixed cells, row 0 included.

#include "core/totals/TotalsReport.h"
#include "gui/totals/TotalsModel.h"

#include <QAbstractItemModelTester>
#include <QFont>
#include <QTest>

class TestTotalsModel : public QObject
{
    Q_OBJECT

private slots:
    void gridAndReportShowTheResult_data();
    void gridAndReportShowTheResult();
};

namespace {

TotalsResult resultOf(const QStringList& labels, bool totalsRow)
{
    TotalsResult result;
    double value = 1.5;
    for (const QString& label : labels) {
        TotalsRow row { label, {} };
        row.values.fill(value);
        value *= 10;
        result.rows.push_back(row);
    }
    result.hasTotalsRow = totalsRow;
    return result;
}

} // namespace

void TestTotalsModel::gridAndReportShowTheResult_data()
{
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<bool>("totalsRow");
    QTest::addColumn<int>("gridRows");
    QTest::newRow("nothing calculated") << QStringList {} << false << 2;
    QTest::newRow("active and totals") << QStringList { "Active", "Totals" } << true << 3;
    QTest::newRow("stopped after one period") << QStringList { "Daily" } << false << 2;
}

void TestTotalsModel::gridAndReportShowTheResult()
{
    QFETCH(QStringList, labels);
    QFETCH(bool, totalsRow);
    QFETCH(int, gridRows);
    TotalsModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    const TotalsResult result = resultOf(labels, totalsRow);
    model.setResult(result);
    QCOMPARE(model.rowCount(), gridRows);
    QCOMPARE(model.columnCount(), 10);

    const QLocale locale;
    const QStringList lines = TotalsReport::fileLines(result, locale);
    QCOMPARE(lines.size(), labels.size() + 1);
    QCOMPARE(lines.first(),
        QStringLiteral("Period\tCalories\tCarbohydrates\tFat\tSugar\tCholesterol\tPoints\tFiber\t"
                       "Sugar Alcohols\tNet Carbs"));
    for (int row = 0; row < model.rowCount(); ++row) {
        QStringList texts;
        for (int column = 0; column < model.columnCount(); ++column) {
            const QModelIndex cell = model.index(row, column);
            texts.append(cell.data().toString());
            const bool bold = row == 0 || (totalsRow && row == labels.size());
            QCOMPARE(cell.data(Qt::FontRole).value<QFont>().bold(), bold);
            QCOMPARE(cell.data(Qt::BackgroundRole).isValid(), row == 0 || column == 0);
            const QVariant alignment = cell.data(Qt::TextAlignmentRole);
            if (row == 0) {
                QCOMPARE(alignment.value<Qt::Alignment>(), Qt::Alignment(Qt::AlignCenter));
            } else if (column > 0 && row <= labels.size()) {
                QCOMPARE(alignment.value<Qt::Alignment>(), Qt::AlignRight | Qt::AlignVCenter);
            } else {
                QVERIFY(!alignment.isValid());
            }
        }
        // The report file holds exactly the grid's rows, less the empty row of an empty grid.
        if (row < lines.size()) {
            QCOMPARE(texts.join(u'\t'), lines[row]);
        } else {
            QCOMPARE(texts, QStringList(10, QString()));
        }
    }
}

QTEST_MAIN(TestTotalsModel)
#include "TestTotalsModel.moc"
