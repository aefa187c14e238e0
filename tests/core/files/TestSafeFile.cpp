#include "core/files/SafeFile.h"
#include "core/files/TextFile.h"
#include "core/files/UserFilesCopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The kind and mode of what `path` names, the name itself not followed.
mode_t modeOf(const QString& path)
{
    struct stat status
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode : 0;
}

// Puts a thing of `kind` at `path`; false where this system does not allow it (a device needs root).
bool make(const QString& kind, const QString& path, QString* why)
{
    const QByteArray name = QFile::encodeName(path);
    const QString aside = QFileInfo(path).absolutePath() + QStringLiteral("/aside");
    if (kind == QLatin1String("named pipe")) {
        return ::mkfifo(name.constData(), 0600) == 0;
    }
    if (kind == QLatin1String("folder")) {
        return QDir().mkdir(path);
    }
    if (kind == QLatin1String("device")) {
        // The null device's numbers, in the test's own folder: nothing outside it is at stake.
        if (::mknod(name.constData(), S_IFCHR | 0600, makedev(1, 3)) != 0) {
            *why = QStringLiteral("making a device needs root");
            return false;
        }
        return true;
    }
    if (kind == QLatin1String("link to a named pipe")) {
        return ::mkfifo(QFile::encodeName(aside).constData(), 0600) == 0 && QFile::link(aside, path);
    }
    if (kind == QLatin1String("link that leads nowhere")) {
        return QFile::link(aside, path);
    }
    return false;
}

} // namespace

class TestSafeFile : public QObject
{
    Q_OBJECT

private slots:
    void refusesAllButARegularFile_data();
    void refusesAllButARegularFile();
    void replacesAFileOrWhatALinkLeadsTo_data();
    void replacesAFileOrWhatALinkLeadsTo();
    void copiesOnlyRegularFiles();
};

void TestSafeFile::refusesAllButARegularFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("named pipe") << "named pipe"
                                << "a named pipe of that name is in the way";
    QTest::newRow("device") << "device"
                            << "a device of that name is in the way";
    QTest::newRow("folder") << "folder"
                            << "a folder of that name is in the way";
    QTest::newRow("link to a named pipe") << "link to a named pipe"
                                          << "a named pipe of that name is in the way";
    QTest::newRow("link that leads nowhere") << "link that leads nowhere"
                                             << "leads to no file";
}

// Nothing is opened, so a named pipe cannot make the save wait for a reader; the thing stays as
// it was and no temporary file is left beside it.
void TestSafeFile::refusesAllButARegularFile()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("TamoDaily.txt"));
    QString why;
    if (!make(kind, path, &why)) {
        QVERIFY2(!why.isEmpty(), qPrintable(kind));
        QSKIP(qPrintable(why));
    }
    const mode_t before = modeOf(path);
    const QStringList entries = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System);

    QString error;
    QVERIFY(!TextFile::writeBytes(path, "Lunch_Apple_ 1\r\n", &error));
    QVERIFY2(error.startsWith(path + QStringLiteral(": ")) && error.contains(reason), qPrintable(error));
    QVERIFY(!SafeFile::isReplaceable(path, &why));
    QVERIFY(!UserFilesCopy::copyFile(QStringLiteral(PLATEWELL_SOURCE_DIR "/docs/changelog"), path, &error));
    QVERIFY2(error.contains(reason), qPrintable(error));

    QCOMPARE(modeOf(path), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System), entries);
}

void TestSafeFile::replacesAFileOrWhatALinkLeadsTo_data()
{
    QTest::addColumn<bool>("throughLink");
    QTest::newRow("regular file") << false;
    QTest::newRow("link to a regular file") << true;
}

// The new file keeps the old one's permissions; a link stays a link and its file gets the content.
void TestSafeFile::replacesAFileOrWhatALinkLeadsTo()
{
    QFETCH(bool, throughLink);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("kept/TamoDaily.txt"));
    QVERIFY(QDir().mkpath(QFileInfo(file).absolutePath()));
    QVERIFY(writeFile(file, "old\r\n"));
    QVERIFY(::chmod(QFile::encodeName(file).constData(), 0640) == 0);
    const QString path = throughLink ? dir.filePath(QStringLiteral("link.txt")) : file;
    if (throughLink) {
        QVERIFY(QFile::link(file, path));
    }
    QString error;
    QVERIFY2(TextFile::writeBytes(path, "new\r\n", &error), qPrintable(error));
    QCOMPARE(fileBytes(file), QByteArray("new\r\n"));
    QCOMPARE(modeOf(file), mode_t(S_IFREG | 0640));
    QCOMPARE(QFileInfo(path).isSymLink(), throughLink);
    QCOMPARE(QDir(QFileInfo(file).absolutePath()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList { QStringLiteral("TamoDaily.txt") });
}

void TestSafeFile::copiesOnlyRegularFiles()
{
    QTemporaryDir dir;
    const QString pipe = dir.filePath(QStringLiteral("TamoDaily.txt"));
    QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
    // Opening the pipe to read would wait for a writer for ever.
    QVERIFY(!UserFilesCopy::isReadableFile(pipe));
    QVERIFY(UserFilesCopy::isReadableFile(QStringLiteral(PLATEWELL_SOURCE_DIR "/docs/changelog")));
}

QTEST_GUILESS_MAIN(TestSafeFile)
#include "TestSafeFile.moc"
