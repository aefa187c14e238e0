// A food table read on a worker thread (here the food list's): it gives what the table holds once
// another program lets go of it, a stop ends even a read that waits for another program's lock,
// and a read started again hands over only the last one. It runs on each engine
// (PLATEWELL_TEST_ENGINE).

#include "EngineStores.h"
#include "OtherProgram.h"
#include "TestSupport.h"
#include "core/postgres/PgConnection.h"
#include "core/search/FoodList.h"
#include "core/storage/BackgroundFoodRead.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

class TestBackgroundFoodRead : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void readsTheTableAsAnotherProgramLeftIt_data();
    void readsTheTableAsAnotherProgramLeftIt();
    void stopEndsAReadWaitingForALock();
    void onlyTheLastReadIsHandedOver();
    void aFileThatIsNoTableSaysWhy();

private:
    std::unique_ptr<TestFolder> m_folder;
    // The table read: the folder's file, or a database on the test's server.
    QString m_location;
};

namespace {

// Starts reading the food list of the table at `location` into `list`.
void startList(BackgroundFoodRead& reader, const QString& location, const std::shared_ptr<FoodList>& list)
{
    reader.start(location, [list](const FoodStore& foods, const std::atomic<bool>& stop, QString* error) {
        return FoodList::read(foods, list.get(), error, &stop);
    });
}

} // namespace

void TestBackgroundFoodRead::init()
{
    m_folder = std::make_unique<TestFolder>();
    QStringList rows;
    for (int i = 0; i < 300; ++i) {
        rows.append(foodRow(QStringLiteral("Food %1").arg((i * 7919) % 300), QStringLiteral("1 cup")));
    }
    if (EngineStores::onServer()) {
        QString error;
        const std::unique_ptr<FoodStore> foods = EngineStores::storeWith(rows, &error);
        QVERIFY2(foods, qPrintable(error));
        m_location = foods->location();
    } else {
        m_folder->createFoods(rows);
        m_location = m_folder->databasePath();
    }
}

void TestBackgroundFoodRead::readsTheTableAsAnotherProgramLeftIt_data()
{
    QTest::addColumn<bool>("commit");
    QTest::addColumn<int>("foods");
    QTest::newRow("a food added") << true << 301;
    QTest::newRow("an addition taken back") << false << 300;
}

void TestBackgroundFoodRead::readsTheTableAsAnotherProgramLeftIt()
{
    QFETCH(bool, commit);
    QFETCH(int, foods);
    // The other program holds the whole table while the read starts: the read waits for it.
    std::unique_ptr<OtherProgram> other;
    PgConnection server;
    QString error;
    if (EngineStores::onServer()) {
        QVERIFY2(server.open(m_location, &error)
                && server.execute("BEGIN; LOCK TABLE foods IN ACCESS EXCLUSIVE MODE; "
                                  "INSERT INTO foods (FOOD, SERVING_UN) VALUES ('Aardvark stew', '1 bowl')",
                    &error),
            qPrintable(error));
    } else {
        other = std::make_unique<OtherProgram>(m_location);
        QVERIFY(other->exec(QStringLiteral("BEGIN EXCLUSIVE")));
        QVERIFY(other->exec(QStringLiteral("INSERT INTO foods (FOOD, SERVING_UN) VALUES ('Aardvark stew', '1 bowl')")));
    }
    BackgroundFoodRead reader;
    QSignalSpy done(&reader, &BackgroundFoodRead::done);
    auto list = std::make_shared<FoodList>();
    startList(reader, m_location, list);
    QTest::qWait(100);
    QVERIFY(done.isEmpty());
    if (other) {
        QVERIFY(other->exec(commit ? QStringLiteral("COMMIT") : QStringLiteral("ROLLBACK")));
    } else if (commit) {
        QVERIFY2(server.commit(&error), qPrintable(error));
    } else {
        server.rollback();
    }
    QTRY_COMPARE(done.size(), 1);
    QVERIFY2(done.at(0).at(0).toBool(), qPrintable(done.at(0).at(1).toString()));
    QCOMPARE(list->names().size(), foods);
    QCOMPARE(
        list->names().at(list->order().front()), commit ? QStringLiteral("Aardvark stew") : QStringLiteral("Food 0"));
}

void TestBackgroundFoodRead::stopEndsAReadWaitingForALock()
{
    if (EngineStores::onServer()) {
        QSKIP("a stop does not cancel a statement waiting on the server: it gives up after the lock timeout");
    }
    OtherProgram other(m_location);
    QVERIFY(other.exec(QStringLiteral("BEGIN EXCLUSIVE")));
    QVERIFY(other.exec(QStringLiteral("DELETE FROM foods")));
    auto reader = std::make_unique<BackgroundFoodRead>();
    QSignalSpy done(reader.get(), &BackgroundFoodRead::done);
    startList(*reader, m_location, std::make_shared<FoodList>());
    QTest::qWait(50);
    QVERIFY(reader->isReading());
    // A window closed meanwhile does not wait out the two seconds a read waits for a lock.
    QElapsedTimer timer;
    timer.start();
    reader.reset();
    QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(other.exec(QStringLiteral("ROLLBACK")));
    QTest::qWait(50);
    QVERIFY(done.isEmpty());
}

void TestBackgroundFoodRead::onlyTheLastReadIsHandedOver()
{
    QString error;
    const std::unique_ptr<FoodStore> second
        = EngineStores::storeWith({ foodRow(QStringLiteral("Only food"), QStringLiteral("1 g")) }, &error);
    QVERIFY2(second, qPrintable(error));
    BackgroundFoodRead reader;
    QSignalSpy done(&reader, &BackgroundFoodRead::done);
    auto first = std::make_shared<FoodList>();
    auto last = std::make_shared<FoodList>();
    startList(reader, m_location, first);
    startList(reader, second->location(), last);
    QTRY_COMPARE(done.size(), 1);
    QTest::qWait(50);
    QCOMPARE(done.size(), 1);
    QVERIFY(done.at(0).at(0).toBool());
    QCOMPARE(last->names().size(), 1);
    QVERIFY(!reader.isReading());
}

void TestBackgroundFoodRead::aFileThatIsNoTableSaysWhy()
{
    if (EngineStores::onServer()) {
        QSKIP("a server's table is no file another program could have filled with something else");
    }
    const QString path = m_folder->path() + QStringLiteral("/not-a-table.db");
    writeFile(path, QByteArray("just some text\n"));
    BackgroundFoodRead reader;
    QSignalSpy done(&reader, &BackgroundFoodRead::done);
    startList(reader, path, std::make_shared<FoodList>());
    QTRY_COMPARE(done.size(), 1);
    QVERIFY(!done.at(0).at(0).toBool());
    QVERIFY(!done.at(0).at(1).toString().isEmpty());
}

QTEST_GUILESS_MAIN(TestBackgroundFoodRead)
#include "TestBackgroundFoodRead.moc"
