#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

// Where the current user's files are: the one place that turns the Platewell folder and the user
// name into the path of every file Platewell reads or writes for them. The per-user files lie
// beside the data folder, their names made of the data folder's own name, the user's file key, a
// suffix and ".txt" ("TamoAnnLeeDaily.txt"); the documents lie inside the data folder; the food
// table and the plan on screen follow neither the data folder nor the user.
class UserFiles : public QObject
{
    Q_OBJECT

public:
    struct Places
    {
        // The folder of the documents and the base of the per-user file names; no trailing
        // separator.
        QString dataFolder;
        QString foodDatabasePath;
        // The file that keeps the plan on screen from one run to the next; empty: it is not kept.
        QString planOnScreenPath;
    };

    // The places of a Platewell folder, as the program works in it.
    static Places placesIn(const QString& platewellFolder);
    // The per-user file suffixes in the order they are copied ("Weekend" before "Weekday"): the
    // eleven plans, the totals report, the food property table and the daily targets.
    static const QStringList& copiedSuffixes();

    explicit UserFiles(const Places& places, QObject* parent = nullptr);

    const Places& places() const { return m_places; }
    QString dataFolder() const { return m_places.dataFolder; }
    QString foodDatabasePath() const { return m_places.foodDatabasePath; }
    QString planOnScreenPath() const { return m_places.planOnScreenPath; }
    // What the live totals show, beside the plan on screen; empty when that is not kept.
    QString liveTotalsPath() const;

    QString userName() const { return m_userName; }
    // Takes the name exactly as typed; the file names change with it.
    void setUserName(const QString& name);
    // The user name without blanks; computed afresh every time a file name is formed.
    QString fileKey() const;
    // Whether `name` can form the user's file names here: its characters (UserNames::isUsable),
    // and the longest per-user file name it forms must fit the file system's limit for a file
    // name. Otherwise `reason` says why.
    bool canTakeUserName(const QString& name, QString* reason) const;

    // Data folder text, file key, suffix and ".txt", with no separator.
    QString perUserFile(const QString& suffix) const;
    // The saved plan of one of the eleven periods.
    QString periodPlanPath(const QString& period) const;
    QString totalsReportPath() const;
    QString foodPropertyTablePath() const;
    QString targetsPath() const;
    // Data folder, "/" and the document's name.
    QString documentPath(const QString& name) const;
    // The report of the last import from the import window, in the data folder.
    QString importReportPath() const;

signals:
    void userNameChanged();

private:
    Places m_places;
    QString m_userName;
};
