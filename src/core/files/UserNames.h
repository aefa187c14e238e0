#pragma once

#include <QString>

struct SharedState;

// The user name as it forms the names of the per-user files.
namespace UserNames {

// The file key: the name with every blank (U+0020) removed; tabs and all other characters stay
// in order. Every per-user file name is formed from it, never from the name as typed.
QString fileKey(const QString& userName);

// Whether the name can form file names beside `state`'s data folder: its file key may not hold
// "/", "\" or a control character other than the tab, since those would lead a file out of its
// folder or cannot stand in a file name, and the longest per-user file name it forms must fit the
// file system's limit for a file name. Otherwise `reason` says why.
bool isUsable(const SharedState& state, const QString& userName, QString* reason);

} // namespace UserNames
