#include "core/files/UserFiles.h"
#include "core/files/UserNames.h"

#include <QSignalSpy>
#include <QTest>

class TestUserFiles : public QObject
{
    Q_OBJECT

private slots:
    void stripSpaces_data();
    void stripSpaces();
    void perUserFileNames_data();
    void perUserFileNames();
    void everyPathInOnePlace_data();
    void everyPathInOnePlace();
    void userNameChangedOnlyOnChange();
};

void TestUserFiles::stripSpaces_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("inner blank") << "John Smith"
                                 << "JohnSmith";
    QTest::newRow("blanks only") << "   "
                                 << "";
    QTest::newRow("tab remains") << "a\tb c"
                                 << "a\tbc";
    QTest::newRow("leading and trailing") << " Ann Lee "
                                          << "AnnLee";
    QTest::newRow("no-break space remains") << QString::fromUtf8("a\xc2\xa0"
                                                                 "b")
                                            << QString::fromUtf8("a\xc2\xa0"
                                                                 "b");
}

void TestUserFiles::stripSpaces()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(UserNames::fileKey(text), expected);
}

void TestUserFiles::perUserFileNames_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("expected");
    QTest::newRow("inner space") << "Ann Lee"
                                 << "/p/TamoAnnLeeWeekly.txt";
    QTest::newRow("empty name") << ""
                                << "/p/TamoWeekly.txt";
    QTest::newRow("spaces only") << "   "
                                 << "/p/TamoWeekly.txt";
    QTest::newRow("tab kept") << "A\tB"
                              << "/p/TamoA\tBWeekly.txt";
}

void TestUserFiles::perUserFileNames()
{
    QFETCH(QString, user);
    QFETCH(QString, expected);
    UserFiles files({ QStringLiteral("/p/Tamo"), QString(), QString() });
    files.setUserName(user);
    QCOMPARE(files.perUserFile(QStringLiteral("Weekly")), expected);
    QCOMPARE(files.documentPath(QStringLiteral("foods.hlp")), QStringLiteral("/p/Tamo/foods.hlp"));
}

void TestUserFiles::everyPathInOnePlace_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    // The names every earlier run wrote, which a new run must find again. Only the per-user files
    // follow the user name.
    UserFiles files(UserFiles::placesIn(QStringLiteral("/p")));
    files.setUserName(QStringLiteral("Ann Lee"));
    QTest::newRow("food table") << files.foodDatabasePath() << "/p/foods.db";
    QTest::newRow("plan on screen") << files.planOnScreenPath() << "/p/plan-on-screen.txt";
    QTest::newRow("period plan") << files.periodPlanPath(QStringLiteral("Sunday")) << "/p/TamoAnnLeeSunday.txt";
    QTest::newRow("totals report") << files.totalsReportPath() << "/p/TamoAnnLeeTotalsReport.txt";
    QTest::newRow("food property table") << files.foodPropertyTablePath() << "/p/TamoAnnLeefoodpropertytable.txt";
    QTest::newRow("targets") << files.targetsPath() << "/p/TamoAnnLeeTargets.txt";
    QTest::newRow("document") << files.documentPath(QStringLiteral("PWmanual.pdf")) << "/p/Tamo/PWmanual.pdf";
    QTest::newRow("import report") << files.importReportPath() << "/p/Tamo/ImportReport.txt";
}

void TestUserFiles::everyPathInOnePlace()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QCOMPARE(path, expected);
}

void TestUserFiles::userNameChangedOnlyOnChange()
{
    UserFiles files(UserFiles::placesIn(QStringLiteral("/p")));
    QSignalSpy changed(&files, &UserFiles::userNameChanged);
    files.setUserName(QStringLiteral("Ann"));
    files.setUserName(QStringLiteral("Ann"));
    QCOMPARE(changed.size(), 1);
    // Another name of the same file key is still another name: the button shows it as typed.
    files.setUserName(QStringLiteral("A nn"));
    QCOMPARE(changed.size(), 2);
    QCOMPARE(files.userName(), QStringLiteral("A nn"));
    files.setUserName(QString());
    QCOMPARE(changed.size(), 3);
}

QTEST_APPLESS_MAIN(TestUserFiles)
#include "TestUserFiles.moc"
