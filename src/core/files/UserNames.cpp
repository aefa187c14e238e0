#include "core/files/UserNames.h"

#include <QCoreApplication>

namespace UserNames {

QString fileKey(const QString& userName)
{
    QString key = userName;
    key.remove(QLatin1Char(' '));
    return key;
}

bool isUsable(const QString& userName, QString* reason)
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
    return true;
}

} // namespace UserNames
