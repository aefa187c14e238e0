#include "core/workspace/FoodTableLocation.h"

#include "core/files/PlatewellFolder.h"
#include "core/postgres/PgConnection.h"

#include <QFileInfo>
#include <QSettings>

namespace {

const char* const kAddressKey = "foodTable/server";

} // namespace

bool FoodTableLocation::resolve(
    const QString& folder, const QString& commandLine, QString* location, Source* source, QString* error)
{
    struct Choice
    {
        QString address;
        Source source;
    };
    QString saved;
    const QString commandLineAddress = commandLine.trimmed();
    const QString environmentAddress = qEnvironmentVariable("PLATEWELL_DATABASE").trimmed();
    // Settings that cannot be read may name a server: the folder's own table is not taken for it.
    if (commandLineAddress.isEmpty() && environmentAddress.isEmpty() && !readSavedAddress(folder, &saved, error)) {
        return false;
    }
    const Choice choices[] = {
        { commandLineAddress, Source::CommandLine },
        { environmentAddress, Source::Environment },
        { saved, Source::Settings },
    };
    for (const Choice& choice : choices) {
        if (choice.address.isEmpty()) {
            continue;
        }
        QString reason;
        if (!checkAddress(choice.address, &reason)) {
            const QString where = choice.source == Source::CommandLine ? tr("--database")
                : choice.source == Source::Environment                 ? tr("PLATEWELL_DATABASE")
                                                                       : tr("The folder's settings");
            if (error) {
                *error = tr("%1 names no food table Platewell can use: %2").arg(where, reason);
            }
            return false;
        }
        *location = choice.address;
        *source = choice.source;
        return true;
    }
    *location = PlatewellFolder::foodDatabasePath(folder);
    *source = Source::Folder;
    return true;
}

bool FoodTableLocation::checkAddress(const QString& address, QString* error)
{
    const auto refuse = [error](const QString& reason) {
        if (error) {
            *error = reason;
        }
        return false;
    };
    if (!PgConnection::isServerLocation(address)) {
        return refuse(tr("a server is named by an address such as postgresql://user@host/foods"));
    }
    // Read as libpq reads it, which is what decides where the password comes from; a '#' would
    // end the address for other readers of it, and shows nothing PostgreSQL takes.
    bool password = false;
    if (address.contains(u'#') || !PgConnection::readLocation(address, &password)) {
        return refuse(tr("the address cannot be read"));
    }
    if (password) {
        return refuse(tr("it holds a password; give it in ~/.pgpass or PGPASSWORD instead"));
    }
    return true;
}

QString FoodTableLocation::settingsPath(const QString& folder)
{
    return folder + QStringLiteral("/platewell.conf");
}

QString FoodTableLocation::savedAddress(const QString& folder)
{
    QString address;
    return readSavedAddress(folder, &address, nullptr) ? address : QString();
}

bool FoodTableLocation::readSavedAddress(const QString& folder, QString* address, QString* error)
{
    address->clear();
    const QString path = settingsPath(folder);
    if (!QFileInfo::exists(path)) {
        return true;
    }
    const QSettings settings(path, QSettings::IniFormat);
    if (!QFileInfo(path).isFile() || !QFileInfo(path).isReadable() || settings.status() != QSettings::NoError) {
        if (error) {
            *error = tr("The folder's settings %1 cannot be read.").arg(path);
        }
        return false;
    }
    *address = settings.value(QLatin1String(kAddressKey)).toString().trimmed();
    return true;
}

bool FoodTableLocation::saveAddress(const QString& folder, const QString& address, QString* error)
{
    const QString trimmed = address.trimmed();
    if (!trimmed.isEmpty() && !checkAddress(trimmed, error)) {
        return false;
    }
    const QString path = settingsPath(folder);
    // Nothing to write for a folder that keeps no settings and goes on using its foods.db.
    if (trimmed.isEmpty() && !QFileInfo::exists(path)) {
        return true;
    }
    if (QFileInfo::exists(path) && !QFileInfo(path).isFile()) {
        if (error) {
            *error = tr("%1 is not a file").arg(path);
        }
        return false;
    }
    QSettings settings(path, QSettings::IniFormat);
    if (trimmed.isEmpty()) {
        settings.remove(QLatin1String(kAddressKey));
    } else {
        settings.setValue(QLatin1String(kAddressKey), trimmed);
    }
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        if (error) {
            *error = tr("the settings could not be written to %1").arg(path);
        }
        return false;
    }
    return true;
}
