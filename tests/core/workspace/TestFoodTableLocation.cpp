// Where a folder's food table is: a server address from the command line, the environment or the
// folder's settings, in that order, or the folder's foods.db; an address with a password, or one
// that names no server, is refused with a message that never shows the password, and nothing
// falls back to another table.

#include "PlatewellRun.h"
#include "TestSupport.h"
#include "core/files/PlatewellFolder.h"
#include "core/workspace/FoodTableLocation.h"

#include <QDir>
#include <QFile>
#include <QTest>

Q_DECLARE_METATYPE(FoodTableLocation::Source)

namespace {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestFoodTableLocation : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void addressesChecked_data();
    void addressesChecked();
    void firstChoiceSetWins_data();
    void firstChoiceSetWins();
    void settingsKeptAndGivenBack();
    void commandLineRefusesWithoutThePassword_data();
    void commandLineRefusesWithoutThePassword();
};

void TestFoodTableLocation::cleanup()
{
    qunsetenv("PLATEWELL_DATABASE");
}

void TestFoodTableLocation::addressesChecked_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("user, host and database") << "postgresql://ann@db.clinic/foods" << QString();
    QTest::newRow("short scheme, port, sslmode") << "postgres://db.clinic:5433/foods?sslmode=require" << QString();
    QTest::newRow("socket folder and service")
        << "postgresql:///foods?host=/run/postgresql&service=clinic" << QString();
    QTest::newRow("scheme in capitals, which libpq does not read") << "POSTGRESQL://db/foods"
                                                                   << "cannot be read";
    QTest::newRow("password behind a fragment") << "postgresql://ann@db/#?dbname=foods&password=secret"
                                                << "cannot be read";
    QTest::newRow("password in a percent-encoded parameter") << "postgresql://db/foods?pass%77ord=secret"
                                                             << "password";
    QTest::newRow("password in the user part") << "postgresql://ann:secret@db/foods"
                                               << "password";
    QTest::newRow("password as a parameter") << "postgresql://db/foods?password=secret"
                                             << "password";
    QTest::newRow("ssl key password") << "postgresql://db/foods?sslpassword=secret"
                                      << "password";
    QTest::newRow("a file") << "/home/ann/foods.db"
                            << "postgresql://";
    QTest::newRow("another engine") << "mysql://db/foods"
                                    << "postgresql://";
}

void TestFoodTableLocation::addressesChecked()
{
    QFETCH(QString, address);
    QFETCH(QString, refusal);
    QString reason;
    QCOMPARE(FoodTableLocation::checkAddress(address, &reason), refusal.isEmpty());
    QVERIFY2(reason.contains(refusal), qPrintable(reason));
    QVERIFY(!reason.contains(QLatin1String("secret")));
}

void TestFoodTableLocation::firstChoiceSetWins_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QString>("environment");
    QTest::addColumn<QString>("saved");
    // Empty: the folder's foods.db; "-" : refused.
    QTest::addColumn<QString>("expected");
    QTest::addColumn<FoodTableLocation::Source>("source");
    const QString a = QStringLiteral("postgresql://a@host/foods");
    const QString b = QStringLiteral("postgresql://b@host/foods");
    const QString c = QStringLiteral("postgresql://c@host/foods");
    const QString bad = QStringLiteral("postgresql://c:pw@host/foods");
    using S = FoodTableLocation::Source;
    QTest::newRow("nothing set") << QString() << QString() << QString() << QString() << S::Folder;
    QTest::newRow("all three") << a << b << c << a << S::CommandLine;
    QTest::newRow("environment over settings") << QString() << b << c << b << S::Environment;
    QTest::newRow("settings") << QString() << QString() << c << c << S::Settings;
    QTest::newRow("blank command line") << QStringLiteral("  ") << b << QString() << b << S::Environment;
    QTest::newRow("bad environment under a good command line") << a << bad << QString() << a << S::CommandLine;
    QTest::newRow("bad environment") << QString() << bad << c << "-" << S::Environment;
}

void TestFoodTableLocation::firstChoiceSetWins()
{
    QFETCH(QString, commandLine);
    QFETCH(QString, environment);
    QFETCH(QString, saved);
    QFETCH(QString, expected);
    QFETCH(FoodTableLocation::Source, source);
    TestFolder folder;
    QString error;
    QVERIFY2(FoodTableLocation::saveAddress(folder.path(), saved, &error), qPrintable(error));
    if (!environment.isEmpty()) {
        qputenv("PLATEWELL_DATABASE", environment.toUtf8());
    }
    QString location;
    FoodTableLocation::Source chosen = FoodTableLocation::Source::Folder;
    const bool resolved = FoodTableLocation::resolve(folder.path(), commandLine, &location, &chosen, &error);
    QCOMPARE(resolved, expected != QLatin1String("-"));
    if (!resolved) {
        QVERIFY2(error.contains(QLatin1String("PLATEWELL_DATABASE")), qPrintable(error));
        QVERIFY(!error.contains(QLatin1String("pw")));
        return;
    }
    QCOMPARE(location, expected.isEmpty() ? PlatewellFolder::foodDatabasePath(folder.path()) : expected);
    QCOMPARE(chosen, source);
}

// The folder's settings keep an address until it is emptied; one refused leaves them as they were,
// and settings that are not a file are not written over.
void TestFoodTableLocation::settingsKeptAndGivenBack()
{
    TestFolder folder;
    const QString address = QStringLiteral("postgresql://ann@db/foods?sslmode=verify-full");
    QString error;
    QVERIFY(FoodTableLocation::saveAddress(folder.path(), QString(), &error));
    QVERIFY2(!QFile::exists(FoodTableLocation::settingsPath(folder.path())), "nothing written for no choice");
    QVERIFY2(FoodTableLocation::saveAddress(folder.path(), address, &error), qPrintable(error));
    QCOMPARE(FoodTableLocation::savedAddress(folder.path()), address);
    QVERIFY(!FoodTableLocation::saveAddress(folder.path(), QStringLiteral("postgresql://ann:pw@db/foods"), &error));
    QCOMPARE(FoodTableLocation::savedAddress(folder.path()), address);
    QVERIFY(FoodTableLocation::saveAddress(folder.path(), QString(), &error));
    QCOMPARE(FoodTableLocation::savedAddress(folder.path()), QString());

    TestFolder other;
    QVERIFY(QDir().mkpath(FoodTableLocation::settingsPath(other.path())));
    QVERIFY(!FoodTableLocation::saveAddress(other.path(), address, &error));
    QVERIFY(QFileInfo(FoodTableLocation::settingsPath(other.path())).isDir());
}

void TestFoodTableLocation::commandLineRefusesWithoutThePassword_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("said");
    QTest::newRow("export from a table with a password")
        << QStringList { "--database", "postgresql://ann:secret@db/foods", "--export", "-" } << "--database";
    QTest::newRow("copy to an address with a password")
        << QStringList { "--copy-foods-to", "postgresql://ann:secret@db/foods" } << "password";
    QTest::newRow("copy from a file") << QStringList { "--copy-foods-from", "/tmp/secret.db" } << "postgresql://";
    QTest::newRow("copy and export at once")
        << QStringList { "--copy-foods-to", "postgresql://db/foods", "--export", "-" } << "one of";
    QTest::newRow("replace alone") << QStringList { "--replace" } << "--copy-foods-to";
    QTest::newRow("replace with an export") << QStringList { "--replace", "--export", "-" } << "--copy-foods-to";
}

// A command line naming a table it cannot use, or a copy asked wrongly, does nothing, says why
// without the password, and never exports the folder's own table instead.
void TestFoodTableLocation::commandLineRefusesWithoutThePassword()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, said);
    TestFolder folder;
    folder.createFoods({ foodRow(QStringLiteral("Apple"), QStringLiteral("1 medium"), { QStringLiteral("95") }) });
    const QByteArray before = readFile(folder.databasePath());
    const PlatewellRun run = PlatewellRun::start(arguments, folder.path(), folder.path());
    QCOMPARE(run.status, 2);
    QVERIFY2(run.printed().contains(said), qPrintable(run.printed()));
    QVERIFY(!run.printed().contains(QLatin1String("secret")));
    QVERIFY(!run.printed().contains(QLatin1String("Apple")));
    QCOMPARE(readFile(folder.databasePath()), before);
}

QTEST_MAIN(TestFoodTableLocation)
#include "TestFoodTableLocation.moc"
