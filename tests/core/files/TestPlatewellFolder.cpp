#include "core/files/PlatewellFolder.h"
#include "core/workspace/FolderSetup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class TestPlatewellFolder : public QObject
{
    Q_OBJECT

private slots:
    void resolve_data();
    void resolve();
    void prepareKeepsTheUsersFiles();
    void commandLine_data();
    void commandLine();
    void startsOnANewFolder_data();
    void startsOnANewFolder();
};

void TestPlatewellFolder::resolve_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("environment");
    QTest::addColumn<QString>("expected");
    QTest::newRow("option wins") << "/tmp/a"
                                 << "/tmp/b"
                                 << "/tmp/a";
    QTest::newRow("environment next") << ""
                                      << "/tmp/b/"
                                      << "/tmp/b";
    QTest::newRow("default") << ""
                             << ""
                             << QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
            + QStringLiteral("/Platewell");
}

void TestPlatewellFolder::resolve()
{
    QFETCH(QString, option);
    QFETCH(QString, environment);
    QFETCH(QString, expected);
    qputenv("PLATEWELL_HOME", environment.toLocal8Bit());
    QCOMPARE(PlatewellFolder::resolve(option), expected);
    qunsetenv("PLATEWELL_HOME");
}

void TestPlatewellFolder::prepareKeepsTheUsersFiles()
{
    QTemporaryDir dir;
    QString error;
    QVERIFY2(FolderSetup::prepare(dir.path(), &error), qPrintable(error));
    const QString data = PlatewellFolder::dataFolder(dir.path());
    const QStringList documents = QDir(data).entryList(QDir::Files);
    QVERIFY2(documents.contains(QStringLiteral("foods.hlp")), qPrintable(documents.join(QLatin1Char(','))));
    QFile help(data + QStringLiteral("/foods.hlp"));
    QVERIFY(help.open(QIODevice::WriteOnly | QIODevice::Truncate));
    help.write("my own notes");
    help.close();
    QVERIFY(QFile::remove(data + QStringLiteral("/convchart.txt")));
    QVERIFY(FolderSetup::prepare(dir.path(), &error));
    QVERIFY(help.open(QIODevice::ReadOnly));
    QCOMPARE(help.readAll(), QByteArray("my own notes"));
    // A document that went missing comes back.
    QVERIFY(QFileInfo::exists(data + QStringLiteral("/convchart.txt")));
}

void TestPlatewellFolder::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("output");
    QTest::newRow("version") << QStringList { "--version" } << "Platewell " PLATEWELL_VERSION;
    QTest::newRow("help names the folder option") << QStringList { "--help" } << "--home <dir>";
}

void TestPlatewellFolder::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, output);
    QProcess program;
    program.start(qEnvironmentVariable("PLATEWELL_EXECUTABLE"), arguments);
    QVERIFY(program.waitForFinished(20000));
    QCOMPARE(program.exitCode(), 0);
    const QString printed = QString::fromLocal8Bit(program.readAllStandardOutput());
    QVERIFY2(printed.contains(output), qPrintable(printed));
    // The manual page describes every option --help lists.
    if (arguments.first() == QLatin1String("--help")) {
        QFile page(QStringLiteral(PLATEWELL_SOURCE_DIR "/docs/platewell.1.in"));
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QString manual = QString::fromUtf8(page.readAll()).remove(QLatin1Char('\\'));
        const QRegularExpression option(QStringLiteral("(--[a-z][a-z-]*)"));
        for (auto it = option.globalMatch(printed); it.hasNext();) {
            const QString name = it.next().captured(1);
            QVERIFY2(manual.contains(name), qPrintable(name + QStringLiteral(" is not in the manual page")));
        }
    }
}

void TestPlatewellFolder::startsOnANewFolder_data()
{
    QTest::addColumn<bool>("byOption");
    QTest::newRow("--home") << true;
    QTest::newRow("PLATEWELL_HOME") << false;
}

void TestPlatewellFolder::startsOnANewFolder()
{
    QFETCH(bool, byOption);
    QTemporaryDir dir;
    const QString home = dir.filePath(QStringLiteral("new home"));
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    if (!byOption) {
        environment.insert(QStringLiteral("PLATEWELL_HOME"), home);
    }
    program.setProcessEnvironment(environment);
    // Qt's own options, such as -platform, are taken as well as Platewell's.
    QStringList arguments { QStringLiteral("-platform"), QStringLiteral("offscreen") };
    if (byOption) {
        arguments << QStringLiteral("--home") << home;
    }
    program.start(qEnvironmentVariable("PLATEWELL_EXECUTABLE"), arguments);
    QVERIFY(program.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(home + QStringLiteral("/Tamo/PWmanual.pdf")), 20000);
    QVERIFY(QFileInfo::exists(home + QStringLiteral("/foods.db")));
    QCOMPARE(program.state(), QProcess::Running);
    program.kill();
    program.waitForFinished();
}

QTEST_GUILESS_MAIN(TestPlatewellFolder)
#include "TestPlatewellFolder.moc"
