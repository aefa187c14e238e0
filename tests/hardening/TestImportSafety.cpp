// Kills `platewell --import` with SIGKILL at several moments of a big import and checks that the
// food table is then byte for byte what it was before, and sound.

#include "OtherProgram.h"
#include "TestSupport.h"
#include "core/foods/FoodDatabase.h"
#include "core/storage/SqliteFoodStore.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlQuery>
#include <QTest>

#include <csignal>

class TestImportSafety : public QObject
{
    Q_OBJECT

private slots:
    void killedImportLeavesTableAsItWas_data();
    void killedImportLeavesTableAsItWas();
};

void TestImportSafety::killedImportLeavesTableAsItWas_data()
{
    // 0: kill once the transaction has outgrown the page cache and SQLite has written pages into
    // the file itself, the one moment at which the file on disk differs from the old one.
    QTest::addColumn<int>("afterMs");
    QTest::newRow("while the changes are in memory") << 300;
    QTest::newRow("after pages reached the file") << 0;
}

void TestImportSafety::killedImportLeavesTableAsItWas()
{
    QFETCH(int, afterMs);
    TestFolder folder;
    folder.createStarterFoods();
    QFile csv(folder.path() + "/big.csv");
    QVERIFY(csv.open(QIODevice::WriteOnly));
    csv.write("FOOD,SERVING_UN,CALORIES,CARBS,FAT\n");
    QByteArray block;
    for (int i = 0; i < 1000000; ++i) {
        // Names out of order, as real ones are, so that the name index grows all over the file.
        block += "\"Food " + QByteArray::number((i * 7919LL) % 1000003)
            + ", generated with a long description of how it was grown, prepared and served\",1 cup (240 g),"
            + QByteArray::number(i % 900) + ",12.25,3.5\n";
        if (block.size() > (1 << 20)) {
            csv.write(block);
            block.clear();
        }
    }
    csv.write(block);
    csv.close();
    QFile database(folder.databasePath());
    QVERIFY(database.open(QIODevice::ReadOnly));
    const QByteArray before = database.readAll();
    database.close();

    QProcess program;
    program.start(
        qEnvironmentVariable("PLATEWELL_EXECUTABLE"), { "--import", csv.fileName(), "--home", folder.path() });
    QVERIFY(program.waitForStarted());
    if (afterMs > 0) {
        QTest::qWait(afterMs);
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(folder.databasePath()).size() > before.size(), 120000);
    }
    QVERIFY2(program.state() == QProcess::Running, "the import ended before it could be killed");
    ::kill(static_cast<pid_t>(program.processId()), SIGKILL);
    QVERIFY(program.waitForFinished());

    {
        // Opening the table rolls back what the killed import left in its journal.
        SqliteFoodStore foods(folder.databasePath());
        QString error;
        QVERIFY2(foods.refresh(&error), qPrintable(error));
        QCOMPARE(OtherProgram(folder.databasePath()).value("PRAGMA integrity_check").toString(), QStringLiteral("ok"));
        QCOMPARE(foods.rowCount(&error), 7878);
    }
    QVERIFY(database.open(QIODevice::ReadOnly));
    QVERIFY(database.readAll() == before);
}

QTEST_MAIN(TestImportSafety)
#include "TestImportSafety.moc"
