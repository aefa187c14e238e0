#include "TestSupport.h"

#include "core/files/UserFilesCopy.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestUserFilesCopy : public QObject
{
    Q_OBJECT

private slots:
    void destinationPath_data();
    void destinationPath();
    void copiesEveryFileInOrder_data();
    void copiesEveryFileInOrder();
    void skipsMissingFiles();
    void replacesOlderCopies();
    void destinationNotWritable_data();
    void destinationNotWritable();
    void unreadableSourceKeepsOlderCopy();
    void readableFiles();

private:
    static void writeFile(const QString& path, const QByteArray& bytes);
    static QByteArray readFile(const QString& path);
    static QByteArray contentOf(const QString& suffix) { return "plan " + suffix.toUtf8() + "\r\n\x00\xff\r\n"; }
};

void TestUserFilesCopy::writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray TestUserFilesCopy::readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QByteArray("<missing>");
    }
    return file.readAll();
}

void TestUserFilesCopy::destinationPath_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    QTest::newRow("folder") << "/media/backup"
                            << "Ann"
                            << "/media/backup/AnnDaily.txt";
    QTest::newRow("volume root") << "/"
                                 << "Ann"
                                 << "/AnnDaily.txt";
    QTest::newRow("empty key") << "/media/backup"
                               << ""
                               << "/media/backup/Daily.txt";
}

void TestUserFilesCopy::destinationPath()
{
    QFETCH(QString, folder);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QCOMPARE(UserFilesCopy::destinationPath(folder, key, QStringLiteral("Daily")), expected);
}

void TestUserFilesCopy::copiesEveryFileInOrder_data()
{
    QTest::addColumn<QString>("userName");
    QTest::addColumn<QString>("key");
    QTest::newRow("inner space") << "Ann Lee"
                                 << "AnnLee";
    QTest::newRow("empty name") << ""
                                << "";
    QTest::newRow("spaces only") << "   "
                                 << "";
    QTest::newRow("leading and trailing spaces") << " Bo "
                                                 << "Bo";
}

void TestUserFilesCopy::copiesEveryFileInOrder()
{
    QFETCH(QString, userName);
    QFETCH(QString, key);
    TestFolder folder;
    const std::unique_ptr<UserFiles> files = folder.files();
    files->setUserName(userName);
    for (const QString& suffix : UserFiles::copiedSuffixes()) {
        // Sources lie beside the data folder: its text runs straight into the file key.
        writeFile(folder.dataFolder() + key + suffix + QStringLiteral(".txt"), contentOf(suffix));
    }
    QTemporaryDir destination;
    const UserFilesCopy::Result result = UserFilesCopy::copy(*files, destination.path());
    QVERIFY(result.succeeded());

    QStringList expected;
    for (const QString& suffix : UserFiles::copiedSuffixes()) {
        expected.append(key + suffix + QStringLiteral(".txt"));
        QCOMPARE(
            readFile(destination.path() + QLatin1Char('/') + key + suffix + QStringLiteral(".txt")), contentOf(suffix));
    }
    QCOMPARE(result.copied, expected);
    QCOMPARE(result.copied.at(2), key + QStringLiteral("Weekend.txt"));
    QCOMPARE(result.copied.at(3), key + QStringLiteral("Weekday.txt"));
    // Nothing else is left in the destination: no temporary files.
    QStringList present = QDir(destination.path()).entryList(QDir::Files | QDir::Hidden);
    present.sort();
    expected.sort();
    QCOMPARE(present, expected);
    // The user's files are not touched.
    QCOMPARE(files->userName(), userName);
    QCOMPARE(files->dataFolder(), folder.dataFolder());
}

void TestUserFilesCopy::skipsMissingFiles()
{
    TestFolder folder;
    const std::unique_ptr<UserFiles> files = folder.files();
    files->setUserName(QStringLiteral("Ann"));
    writeFile(files->perUserFile(QStringLiteral("Monday")), "monday");
    writeFile(files->perUserFile(QStringLiteral("foodpropertytable")), "table");
    // A file of another user and a folder standing where a file is expected are not copied.
    writeFile(folder.dataFolder() + QStringLiteral("BoDaily.txt"), "other user");
    QVERIFY(QDir().mkpath(files->perUserFile(QStringLiteral("Weekly"))));

    QTemporaryDir destination;
    const UserFilesCopy::Result result = UserFilesCopy::copy(*files, destination.path());
    QVERIFY(result.succeeded());
    QCOMPARE(
        result.copied, QStringList({ QStringLiteral("AnnMonday.txt"), QStringLiteral("Annfoodpropertytable.txt") }));
    QCOMPARE(QDir(destination.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size(), 2);

    // With no file at all nothing is copied and nothing fails.
    const std::unique_ptr<UserFiles> nobody = folder.files();
    nobody->setUserName(QStringLiteral("Nobody"));
    QTemporaryDir empty;
    const UserFilesCopy::Result none = UserFilesCopy::copy(*nobody, empty.path());
    QVERIFY(none.succeeded());
    QVERIFY(none.copied.isEmpty());
    QVERIFY(QDir(empty.path()).isEmpty());
}

void TestUserFilesCopy::replacesOlderCopies()
{
    TestFolder folder;
    const std::unique_ptr<UserFiles> files = folder.files();
    files->setUserName(QStringLiteral("Ann"));
    writeFile(files->perUserFile(QStringLiteral("Daily")), "new");
    QTemporaryDir destination;
    const QString older = destination.path() + QStringLiteral("/AnnDaily.txt");
    writeFile(older, "a much longer older copy of the plan\r\n");
    QVERIFY(UserFilesCopy::copy(*files, destination.path()).succeeded());
    QCOMPARE(readFile(older), QByteArray("new"));
}

void TestUserFilesCopy::destinationNotWritable_data()
{
    QTest::addColumn<bool>("folderIsFile");
    // Tests may run as root, who may write anywhere; these destinations fail for everyone.
    QTest::newRow("a file stands where the folder should be") << true;
    QTest::newRow("a folder stands where a file should go") << false;
}

void TestUserFilesCopy::destinationNotWritable()
{
    QFETCH(bool, folderIsFile);
    TestFolder folder;
    const std::unique_ptr<UserFiles> files = folder.files();
    files->setUserName(QStringLiteral("Ann"));
    for (const QString& suffix : { QStringLiteral("Daily"), QStringLiteral("Weekly"), QStringLiteral("Friday") }) {
        writeFile(files->perUserFile(suffix), contentOf(suffix));
    }
    QTemporaryDir base;
    QString destination = base.path() + QStringLiteral("/backup");
    if (folderIsFile) {
        writeFile(destination, "not a folder");
    } else {
        QVERIFY(QDir().mkpath(destination + QStringLiteral("/AnnWeekly.txt")));
    }

    const UserFilesCopy::Result result = UserFilesCopy::copy(*files, destination);
    QVERIFY(!result.succeeded());
    const QString message = UserFilesCopy::failureMessage(result, destination);
    if (folderIsFile) {
        QCOMPARE(result.failed,
            QStringList(
                { QStringLiteral("AnnDaily.txt"), QStringLiteral("AnnWeekly.txt"), QStringLiteral("AnnFriday.txt") }));
        QVERIFY(result.copied.isEmpty());
        QCOMPARE(readFile(destination), QByteArray("not a folder"));
    } else {
        // The files before and after the failure are copied and stay.
        QCOMPARE(result.failed, QStringList({ QStringLiteral("AnnWeekly.txt") }));
        QCOMPARE(result.copied, QStringList({ QStringLiteral("AnnDaily.txt"), QStringLiteral("AnnFriday.txt") }));
        QCOMPARE(readFile(destination + QStringLiteral("/AnnDaily.txt")), contentOf(QStringLiteral("Daily")));
        QVERIFY(!message.contains(QStringLiteral("AnnDaily.txt")));
    }
    for (const QString& name : result.failed) {
        QVERIFY2(message.contains(name), qPrintable(message));
    }
    QVERIFY(message.contains(QDir::toNativeSeparators(destination)));
}

void TestUserFilesCopy::unreadableSourceKeepsOlderCopy()
{
    // A source that opens but fails while being read, like a file on a failing disk.
    if (!QFile(QStringLiteral("/proc/self/mem")).open(QIODevice::ReadOnly)) {
        QSKIP("no /proc/self/mem to stand in for an unreadable source");
    }
    TestFolder folder;
    const std::unique_ptr<UserFiles> files = folder.files();
    files->setUserName(QStringLiteral("Ann"));
    QVERIFY(QFile::link(QStringLiteral("/proc/self/mem"), files->perUserFile(QStringLiteral("Daily"))));
    writeFile(files->perUserFile(QStringLiteral("Sunday")), "sunday");
    QTemporaryDir destination;
    const QString older = destination.path() + QStringLiteral("/AnnDaily.txt");
    writeFile(older, "the good older copy\r\n");

    const UserFilesCopy::Result result = UserFilesCopy::copy(*files, destination.path());
    QCOMPARE(result.failed, QStringList({ QStringLiteral("AnnDaily.txt") }));
    QCOMPARE(result.copied, QStringList({ QStringLiteral("AnnSunday.txt") }));
    QCOMPARE(readFile(older), QByteArray("the good older copy\r\n"));
    QCOMPARE(QDir(destination.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

void TestUserFilesCopy::readableFiles()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("plan.txt"));
    QVERIFY(!UserFilesCopy::isReadableFile(file));
    QVERIFY(!UserFilesCopy::isReadableFile(QString()));
    QVERIFY(!UserFilesCopy::isReadableFile(dir.path()));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("x");
    f.close();
    QVERIFY(UserFilesCopy::isReadableFile(file));
    // The file was closed again: it can be removed at once.
    QVERIFY(QFile::remove(file));
}

QTEST_MAIN(TestUserFilesCopy)
#include "TestUserFilesCopy.moc"
