#pragma once

#include "core/imports/FoodImport.h"

#include <QCoreApplication>
#include <QString>

class QTextStream;

// The command line's --import and --export, run without a window: progress on the terminal
// (only when `showProgress`, meant for a terminal on standard error), every mended, refused or
// repeated row and a summary on `out`, failures on `err`. Each returns the program's exit status:
// 0 only when it worked. An import that went in with some rows refused returns SomeRefused; one
// that took no row at all, Failure.
class FoodTransferCommand
{
    Q_DECLARE_TR_FUNCTIONS(FoodTransferCommand)

public:
    enum ExitStatus { Success = 0, Failure = 1, UsageError = 2, SomeRefused = 3 };

    // `duplicateRule` is "skip" (also when empty), "replace" or "keep"; `columns`, when not empty,
    // is --columns (ColumnMapping::applyOption). A `sourcePath` of "-" is standard input.
    static int importFoods(const QString& databasePath, const QString& sourcePath, const QString& duplicateRule,
        const QString& columns, QTextStream& out, QTextStream& err, bool showProgress);
    // `csvPath` "-" writes the CSV to standard output and the summary to `err`. A path that names
    // something other than a regular file is refused with UsageError.
    static int exportFoods(
        const QString& databasePath, const QString& csvPath, QTextStream& out, QTextStream& err, bool showProgress);

    // --copy-foods-to and --copy-foods-from: the whole table at `fromLocation` into the one at
    // `toLocation`, in one transaction; a target holding foods is refused unless `replace`.
    static int copyFoods(const QString& fromLocation, const QString& toLocation, bool replace, QTextStream& out,
        QTextStream& err, bool showProgress);

    static bool parseDuplicateRule(const QString& text, DuplicateRule* rule);
};
