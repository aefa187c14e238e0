#include "core/files/UserNames.h"

#include "core/plans/SharedState.h"

#include <QCoreApplication>
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

namespace UserNames {

QString fileKey(const QString& userName)
{
    QString key = userName;
    key.remove(QLatin1Char(' '));
    return key;
}

bool isUsable(const SharedState& state, const QString& userName, QString* reason)
{
    const QString key = fileKey(userName);
    for (const QChar ch : key) {
        QString what;
        if (ch == u'/' || ch == u'\\') {
            what = QStringLiteral("\"%1\"").arg(ch);
        } else if (ch != u'\t' && ch.category() == QChar::Other_Control) {
            what = QCoreApplication::translate("UserNames", "a control character");
        }
        if (!what.isEmpty()) {
            if (reason) {
                *reason = QStringLiteral("A user name cannot contain %1, because the user name forms the names of "
                                         "your plan files. Please type another name.")
                              .arg(what);
            }
            return false;
        }
    }
    // The per-user files lie beside the data folder, their names starting with its own.
    const QString start = QFileInfo(state.DataFolder).fileName() + key;
    qsizetype longest = 0;
    for (const QString& suffix : Periods::copySuffixes()) {
        longest = std::max(longest, QFile::encodeName(start + suffix + QStringLiteral(".txt")).size());
    }
    const qsizetype limit = fileNameLimit(state.DataFolder);
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

} // namespace UserNames
