// A food table read on a worker thread (here the food list's): it gives what the table holds once
// another program lets go of it, a stop ends even a read that waits for another program's lock,
// and a read started again hands over only the last one.

#include "OtherProgram.h"
#include "TestSupport.h"
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
    m_folder->createFoods(rows);
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
    OtherProgram other(m_folder->databasePath());
    // The other program holds the whole file while the read starts: the read waits for it.
    QVERIFY(other.exec(QStringLiteral("BEGIN EXCLUSIVE")));
    QVERIFY(other.exec(QStringLiteral("INSERT INTO foods (FOOD, SERVING_UN) VALUES ('Aardvark stew', '1 bowl')")));
    BackgroundFoodRead reader;
    QSignalSpy done(&reader, &BackgroundFoodRead::done);
    auto list = std::make_shared<FoodList>();
    startList(reader, m_folder->databasePath(), list);
    QTest::qWait(100);
    QVERIFY(done.isEmpty());
    QVERIFY(other.exec(commit ? QStringLiteral("COMMIT") : QStringLiteral("ROLLBACK")));
    QTRY_COMPARE(done.size(), 1);
    QVERIFY2(done.at(0).at(0).toBool(), qPrintable(done.at(0).at(1).toString()));
    QCOMPARE(list->names().size(), foods);
    QCOMPARE(
        list->names().at(list->order().front()), commit ? QStringLiteral("Aardvark stew") : QStringLiteral("Food 0"));
}

void TestBackgroundFoodRead::stopEndsAReadWaitingForALock()
{
    OtherProgram other(m_folder->databasePath());
    QVERIFY(other.exec(QStringLiteral("BEGIN EXCLUSIVE")));
    QVERIFY(other.exec(QStringLiteral("DELETE FROM foods")));
    auto reader = std::make_unique<BackgroundFoodRead>();
    QSignalSpy done(reader.get(), &BackgroundFoodRead::done);
    startList(*reader, m_folder->databasePath(), std::make_shared<FoodList>());
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
    TestFolder second;
    second.createFoods({ foodRow(QStringLiteral("Only food"), QStringLiteral("1 g")) });
    BackgroundFoodRead reader;
    QSignalSpy done(&reader, &BackgroundFoodRead::done);
    auto first = std::make_shared<FoodList>();
    auto last = std::make_shared<FoodList>();
    startList(reader, m_folder->databasePath(), first);
    startList(reader, second.databasePath(), last);
    QTRY_COMPARE(done.size(), 1);
    QTest::qWait(50);
    QCOMPARE(done.size(), 1);
    QVERIFY(done.at(0).at(0).toBool());
    QCOMPARE(last->names().size(), 1);
    QVERIFY(!reader.isReading());
}

void TestBackgroundFoodRead::aFileThatIsNoTableSaysWhy()
{
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
