#include "core/files/UserFiles.h"

#include "core/files/PlatewellFolder.h"
#include "core/files/UserNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <climits>

#include <unistd.h>

namespace {

// The longest file name, in bytes, that the folder holding the per-user files takes.
qsizetype fileNameLimit(const QString& dataFolder)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(dataFolder).absolutePath());
    const long limit = ::pathconf(folder.constData(), _PC_NAME_MAX);
    return limit > 0 ? limit : NAME_MAX;
}

} // namespace

UserFiles::Places UserFiles::placesIn(const QString& platewellFolder)
{
    return { PlatewellFolder::dataFolder(platewellFolder), PlatewellFolder::foodDatabasePath(platewellFolder),
        PlatewellFolder::planOnScreenPath(platewellFolder) };
}

const QStringList& UserFiles::copiedSuffixes()
{
    static const QStringList list { QStringLiteral("Daily"), QStringLiteral("Weekly"), QStringLiteral("Weekend"),
        QStringLiteral("Weekday"), QStringLiteral("Sunday"), QStringLiteral("Monday"), QStringLiteral("Tuesday"),
        QStringLiteral("Wednesday"), QStringLiteral("Thursday"), QStringLiteral("Friday"), QStringLiteral("Saturday"),
        QStringLiteral("TotalsReport"), QStringLiteral("foodpropertytable"), QStringLiteral("Targets"),
        QStringLiteral("NutrientTargets") };
    return list;
}

UserFiles::UserFiles(const Places& places, QObject* parent)
    : QObject(parent)
    , m_places(places)
{ }

void UserFiles::setUserName(const QString& name)
{
    if (name == m_userName) {
        return;
    }
    m_userName = name;
    emit userNameChanged();
}

QString UserFiles::liveTotalsPath() const
{
    if (m_places.planOnScreenPath.isEmpty()) {
        return QString();
    }
    return QFileInfo(m_places.planOnScreenPath).dir().filePath(QStringLiteral("live-totals.txt"));
}

QString UserFiles::fileKey() const
{
    return UserNames::fileKey(m_userName);
}

bool UserFiles::canTakeUserName(const QString& name, QString* reason) const
{
    if (!UserNames::isUsable(name, reason)) {
        return false;
    }
    // The per-user files lie beside the data folder, their names starting with its own.
    const QString start = QFileInfo(m_places.dataFolder).fileName() + UserNames::fileKey(name);
    qsizetype longest = 0;
    for (const QString& suffix : copiedSuffixes()) {
        longest = std::max(longest, QFile::encodeName(start + suffix + QStringLiteral(".txt")).size());
    }
    const qsizetype limit = fileNameLimit(m_places.dataFolder);
    if (longest > limit) {
        if (reason) {
            *reason = QStringLiteral("This user name is too long: it forms the names of your plan files, and the "
                                     "longest of them would take %1 bytes where a file name may take %2. Please "
                                     "type a shorter name.")
                          .arg(longest)
                          .arg(limit);
        }
        return false;
    }
    return true;
}

QString UserFiles::perUserFile(const QString& suffix) const
{
    return m_places.dataFolder + fileKey() + suffix + QStringLiteral(".txt");
}

QString UserFiles::periodPlanPath(const QString& period) const
{
    return perUserFile(period);
}

QString UserFiles::totalsReportPath() const
{
    return perUserFile(QStringLiteral("TotalsReport"));
}

QString UserFiles::foodPropertyTablePath() const
{
    return perUserFile(QStringLiteral("foodpropertytable"));
}

QString UserFiles::targetsPath() const
{
    return perUserFile(QStringLiteral("Targets"));
}

QString UserFiles::documentPath(const QString& name) const
{
    return m_places.dataFolder + QLatin1Char('/') + name;
}

QString UserFiles::importReportPath() const
{
    return QDir(m_places.dataFolder).filePath(QStringLiteral("ImportReport.txt"));
}
