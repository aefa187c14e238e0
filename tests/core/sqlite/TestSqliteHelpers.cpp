#include "core/sqlite/SqliteConnection.h"
#include "core/sqlite/SqliteStatement.h"
#include "core/sqlite/SqliteTransaction.h"

#include <QTemporaryDir>
#include <QTest>

// The statement and transaction helpers every SQLite table of the program is written through.
class TestSqliteHelpers : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void valuesAreBoundAsTheTableHoldsThem_data();
    void valuesAreBoundAsTheTableHoldsThem();
    void transactionsEndWhole_data();
    void transactionsEndWhole();

private:
    qint64 count();

    QTemporaryDir m_dir;
    SqliteConnection m_db;
};

void TestSqliteHelpers::init()
{
    QString error;
    QVERIFY2(m_db.open(m_dir.filePath("helpers.db"), 2000, &error), qPrintable(error));
    QVERIFY(m_db.execute("DROP TABLE IF EXISTS t; CREATE TABLE t (v)"));
}

void TestSqliteHelpers::cleanup()
{
    m_db.close();
}

qint64 TestSqliteHelpers::count()
{
    SqliteStatement query(m_db.handle(), "SELECT count(*) FROM t");
    return query.next() ? query.int64(0) : -1;
}

void TestSqliteHelpers::valuesAreBoundAsTheTableHoldsThem_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("stored");
    // A null text is NULL, as Qt's drivers bound it; the empty text is a text.
    QTest::newRow("null") << QVariant() << "null";
    QTest::newRow("null text") << QVariant(QString()) << "null";
    QTest::newRow("empty text") << QVariant(QString("")) << "text";
    QTest::newRow("text") << QVariant(QString("12.5g")) << "text";
    QTest::newRow("real") << QVariant(2.5) << "real";
    QTest::newRow("integer") << QVariant(qint64(7)) << "integer";
    QTest::newRow("bytes") << QVariant(QByteArray("\xe8", 1)) << "blob";
}

void TestSqliteHelpers::valuesAreBoundAsTheTableHoldsThem()
{
    QFETCH(QVariant, value);
    QFETCH(QString, stored);
    SqliteStatement type(m_db.handle(), "SELECT typeof(?1)");
    // Bound again after a run, the statement starts afresh.
    for (int run = 0; run < 2; ++run) {
        type.restart().bindValue(1, value);
        QVERIFY(type.next());
        QCOMPARE(QString::fromUtf8(type.text(0)), stored);
    }
}

void TestSqliteHelpers::transactionsEndWhole_data()
{
    QTest::addColumn<bool>("commit");
    QTest::addColumn<bool>("insideAnother");
    QTest::addColumn<qint64>("rows");
    QTest::newRow("committed") << true << false << qint64(1);
    QTest::newRow("dropped without a commit") << false << false << qint64(0);
    // A read inside the writer's transaction joins it and ends nothing of it.
    QTest::newRow("a read joined the write") << true << true << qint64(1);
}

void TestSqliteHelpers::transactionsEndWhole()
{
    QFETCH(bool, commit);
    QFETCH(bool, insideAnother);
    QFETCH(qint64, rows);
    {
        SqliteTransaction write(m_db);
        QVERIFY(write.beginWrite());
        SqliteStatement insert(m_db.handle(), "INSERT INTO t VALUES (?)");
        insert.bindInt64(1, 1);
        QVERIFY(insert.execute());
        if (insideAnother) {
            SqliteTransaction read(m_db);
            QVERIFY(read.beginRead());
            QCOMPARE(count(), qint64(1));
        }
        QVERIFY(m_db.inTransaction());
        if (commit) {
            QVERIFY(write.commit());
        }
    }
    QVERIFY(!m_db.inTransaction());
    QCOMPARE(count(), rows);
}

QTEST_GUILESS_MAIN(TestSqliteHelpers)
#include "TestSqliteHelpers.moc"
