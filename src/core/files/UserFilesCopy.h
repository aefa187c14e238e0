#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

class UserFiles;

// Copies the current user's files (the eleven period plans, the totals report, the food property
// table and the daily targets) out of the data folder into another folder. Each file goes to a temporary
// name beside its destination and is renamed into place only when it was copied whole, so a failed
// copy never replaces a good older copy with a truncated one.
class UserFilesCopy
{
    Q_DECLARE_TR_FUNCTIONS(UserFilesCopy)

public:
    struct Result
    {
        // Names of the files written into the destination, in copying order.
        QStringList copied;
        // Names of the files that exist in the data folder but could not be copied, and why.
        QStringList failed;
        QStringList reasons;

        bool succeeded() const { return failed.isEmpty(); }
    };

    // The folder's path, a separator and file key + suffix + ".txt". A folder that already ends in
    // a separator (a volume's root) gets no second one.
    static QString destinationPath(const QString& folder, const QString& fileKey, const QString& suffix);

    // True when the named file can be opened for reading; the file is closed again at once.
    // Folders, named pipes and devices, missing files and unreadable files give false.
    static bool isReadableFile(const QString& path);

    // Copies every user file that can be read (isReadableFile) in the order of UserFiles::copiedSuffixes(),
    // replacing files of the same names. A failure does not stop the files after it.
    static Result copy(const UserFiles& files, const QString& destinationFolder);

    // Copies one file byte for byte through a temporary file and a rename.
    static bool copyFile(const QString& source, const QString& destination, QString* error);

    // The one message that reports the files of a failed copy.
    static QString failureMessage(const Result& result, const QString& destinationFolder);
};
