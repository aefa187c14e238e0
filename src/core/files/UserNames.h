#pragma once

#include <QString>

// The user name as it forms the names of the per-user files.
namespace UserNames {

// The file key: the name with every blank (U+0020) removed; tabs and all other characters stay
// in order. Every per-user file name is formed from it, never from the name as typed.
QString fileKey(const QString& userName);

// Whether the name's characters can stand in a file name: its file key may not hold "/", "\" or
// a control character other than the tab, since those would lead a file out of its folder or
// cannot stand in a file name. Otherwise `reason` says why. Whether the names it forms are short
// enough depends on their folder: UserFiles::canTakeUserName.
bool isUsable(const QString& userName, QString* reason);

} // namespace UserNames
