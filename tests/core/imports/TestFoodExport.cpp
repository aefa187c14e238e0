// The command line's --export: to standard output, refusing what is not a regular file, and
// never working on a folder that does not exist.

#include "PlatewellRun.h"
#include "TestSupport.h"
#include "core/imports/FoodExport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

class TestFoodExport : public QObject
{
    Q_OBJECT

private slots:
    void commandLine_data();
    void commandLine();
};

void TestFoodExport::commandLine_data()
{
    // "HOME" stands for the Platewell folder, "MISSING" for a folder that does not exist.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("environmentHome");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("said");
    QTest::newRow("to standard output") << QStringList { "--home", "HOME", "--export", "-" } << QString() << 0
                                        << "Exported 2 foods to standard output.";
    QTest::newRow("onto a named pipe") << QStringList { "--home", "HOME", "--export", "pipe" } << QString() << 2
                                       << "pipe: a named pipe of that name is in the way";
    QTest::newRow("onto a folder") << QStringList { "--home", "HOME", "--export", "folder" } << QString() << 2
                                   << "folder: a folder of that name is in the way";
    QTest::newRow("mistyped --home, export") << QStringList { "--home", "MISSING", "--export", "out.csv" } << QString()
                                             << 2 << "does not exist; nothing was imported or exported";
    QTest::newRow("mistyped --home, import") << QStringList { "--home", "MISSING", "--import", "in.csv" } << QString()
                                             << 2 << "does not exist; nothing was imported or exported";
    QTest::newRow("--home names a file") << QStringList { "--home", "in.csv", "--export", "out.csv" } << QString() << 2
                                         << "in.csv is not a folder; nothing was imported or exported";
    QTest::newRow("mistyped PLATEWELL_HOME") << QStringList { "--export", "out.csv" } << "MISSING" << 2
                                             << "does not exist; nothing was imported or exported";
}

void TestFoodExport::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, environmentHome);
    QFETCH(int, status);
    QFETCH(QString, said);
    TestFolder home;
    home.createFoods({ foodRow(QStringLiteral("Apple, raw"), QStringLiteral("1 medium"), { QStringLiteral("95") }),
        foodRow(QStringLiteral("Bread"), QStringLiteral("1 slice"), { QStringLiteral("80") }) });
    QTemporaryDir work;
    const QString missing = work.filePath(QStringLiteral("no/such"));
    QVERIFY(::mkfifo(QFile::encodeName(work.filePath(QStringLiteral("pipe"))).constData(), 0600) == 0);
    QVERIFY(QDir(work.path()).mkdir(QStringLiteral("folder")));
    QFile in(work.filePath(QStringLiteral("in.csv")));
    QVERIFY(in.open(QIODevice::WriteOnly));
    in.write("Food,Calories\nKiwi,42\n");
    in.close();
    arguments.replaceInStrings(QStringLiteral("HOME"), home.path());
    arguments.replaceInStrings(QStringLiteral("MISSING"), missing);
    const QStringList before = QDir(work.path()).entryList();

    const PlatewellRun run = PlatewellRun::start(arguments, work.path(),
        environmentHome.isEmpty() ? QString() : QString(environmentHome).replace("MISSING", missing));
    const QString err = QString::fromUtf8(run.err);
    QCOMPARE(run.status, status);
    QVERIFY2(err.contains(said), qPrintable(err));
    if (status != 0) {
        QVERIFY2(run.out.isEmpty(), run.out.constData());
        QCOMPARE(QDir(work.path()).entryList(), before);
        QVERIFY(!QFileInfo::exists(work.filePath(QStringLiteral("no"))));
        QVERIFY(QFileInfo(work.filePath(QStringLiteral("pipe"))).exists());
        QVERIFY(!QFileInfo(work.filePath(QStringLiteral("pipe"))).isFile());
        return;
    }
    // The rows alone on standard output, byte for byte what a file export holds.
    const QString file = work.filePath(QStringLiteral("foods.csv"));
    QString error;
    QVERIFY2(FoodExport::run(home.databasePath(), file, {}, nullptr, &error), qPrintable(error));
    QFile written(file);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(run.out, written.readAll());
    QVERIFY(run.out.contains("\"Apple, raw\",1 medium,95"));
}

QTEST_GUILESS_MAIN(TestFoodExport)
#include "TestFoodExport.moc"
