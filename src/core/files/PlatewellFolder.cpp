#include "core/files/PlatewellFolder.h"

#include "core/files/TextFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

// The starter food table lives in this library; the documents are linked into each program that
// installs them (the executable, the tests) and register themselves.
static void initStarterResources()
{
    Q_INIT_RESOURCE(starter);
}

QString PlatewellFolder::resolve(const QString& homeOption)
{
    QString folder = homeOption;
    if (folder.isEmpty()) {
        folder = qEnvironmentVariable("PLATEWELL_HOME");
    }
    if (folder.isEmpty()) {
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Platewell");
    }
    return QDir::cleanPath(QDir(folder).absolutePath());
}

QString PlatewellFolder::foodDatabasePath(const QString& folder)
{
    return folder + QStringLiteral("/foods.db");
}

QString PlatewellFolder::planOnScreenPath(const QString& folder)
{
    return folder + QStringLiteral("/plan-on-screen.txt");
}

QString PlatewellFolder::dataFolder(const QString& folder)
{
    return folder + QStringLiteral("/Tamo");
}

QString PlatewellFolder::starterFoodsCsv()
{
    initStarterResources();
    QString text;
    TextFile::readText(QStringLiteral(":/starter/usda-sr24-foods.csv"), &text, nullptr);
    return text;
}

QByteArray PlatewellFolder::starterNutrientsCsv()
{
    initStarterResources();
    QFile file(QStringLiteral(":/starter/usda-sr24-nutrients.csv"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool PlatewellFolder::installDocuments(const QString& dataFolder, QString* error)
{
    initStarterResources();
    QDirIterator it(QStringLiteral(":/documents"), QDir::Files);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = dataFolder + QLatin1Char('/') + QFileInfo(source).fileName();
        if (QFileInfo::exists(target)) {
            continue;
        }
        QFile in(source);
        if (!in.open(QIODevice::ReadOnly)) {
            if (error) {
                *error = QStringLiteral("%1: %2").arg(source, in.errorString());
            }
            return false;
        }
        if (!TextFile::writeBytes(target, in.readAll(), error)) {
            return false;
        }
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    }
    return true;
}
