#pragma once

#include <QCoreApplication>
#include <QString>

#include <functional>

class QSaveFile;

// Writes a file so that it is either whole or as it was: through a QSaveFile, which moves the new
// file into place only when every byte was written. The file is opened unbuffered: a buffered
// QSaveFile learns of a full disk only while committing, and Qt 6.4 then still moves the short
// file into place.
class SafeFile
{
    Q_DECLARE_TR_FUNCTIONS(SafeFile)

public:
    // `fill` writes the content; it returns false, with the reason, to give up. False with the
    // reason (the path not included) when anything failed; the old file is then untouched.
    using Filler = std::function<bool(QSaveFile& file, QString* reason)>;
    static bool write(const QString& path, const Filler& fill, QString* reason);
};
