#pragma once

#include <QString>

// The small shared procedures that several windows use.
namespace Module1 {

// The text with every blank (U+0020) removed; tabs and all other characters stay in order.
QString StripSpaces(const QString& text);

// True when the named file can be opened for reading; the file is closed again at once.
// Folders, missing files and unreadable files give false. Never reports an error.
bool FileExists(const QString& path);

} // namespace Module1
