#include "core/imports/FoodTransferCommand.h"

#include "core/files/ByteSource.h"
#include "core/files/SafeFile.h"
#include "core/imports/FoodExport.h"
#include "core/postgres/PgConnection.h"
#include "core/storage/FoodStore.h"
#include "core/storage/FoodStoreOpener.h"
#include "core/storage/FoodTableCopy.h"
#include "core/text/MessageText.h"
#include "core/text/NumberText.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

#include <memory>

#include <unistd.h>

namespace {

// Overwrites the terminal line with `text`, padded so that a longer line before is wiped out.
void showLine(QTextStream& err, const QString& text)
{
    err << '\r' << text.leftJustified(79) << Qt::flush;
}

} // namespace

bool FoodTransferCommand::parseDuplicateRule(const QString& text, DuplicateRule* rule)
{
    const QString word = text.trimmed().toLower();
    if (word.isEmpty() || word == QLatin1String("skip")) {
        *rule = DuplicateRule::Skip;
    } else if (word == QLatin1String("replace")) {
        *rule = DuplicateRule::Replace;
    } else if (word == QLatin1String("keep") || word == QLatin1String("keep-both")) {
        *rule = DuplicateRule::KeepBoth;
    } else {
        return false;
    }
    return true;
}

int FoodTransferCommand::importFoods(const QString& databasePath, const QString& sourcePath,
    const QString& duplicateRule, const QString& columns, QTextStream& out, QTextStream& err, bool showProgress)
{
    DuplicateRule rule = DuplicateRule::Skip;
    if (!parseDuplicateRule(duplicateRule, &rule)) {
        err << tr("--on-duplicate takes skip, replace or keep, not \"%1\".").arg(MessageText::quoted(duplicateRule))
            << Qt::endl;
        return UsageError;
    }
    QString error;
    std::unique_ptr<FoodImport> owned;
    if (sourcePath == QLatin1String("-")) {
        auto input = ByteSource::openStandardInput(&error);
        if (!input) {
            err << tr("Nothing was imported: %1").arg(error) << Qt::endl;
            return Failure;
        }
        owned = std::make_unique<FoodImport>(std::move(input), tr("standard input"));
    } else {
        owned = std::make_unique<FoodImport>(sourcePath);
    }
    FoodImport& import = *owned;
    import.setNutrientCatalogue(FoodImport::catalogueOf(databasePath));
    const QString sourceName
        = sourcePath == QLatin1String("-") ? tr("standard input") : QDir::toNativeSeparators(sourcePath);
    if (!import.inspect(&error)) {
        err << tr("Nothing was imported: %1").arg(error) << Qt::endl;
        return Failure;
    }
    if (!columns.isEmpty() && !import.applyColumnsOption(columns, &error)) {
        err << tr("Nothing was imported: %1").arg(error) << Qt::endl;
        return UsageError;
    }

    bool lineShown = false;
    auto progress = [&](const ImportProgress& now) {
        if (showProgress) {
            QString text
                = tr("%1 rows read, %2 foods added").arg(GroupedCount(now.rowsRead), GroupedCount(now.foodsAdded));
            if (now.totalBytes > 0) {
                text += QStringLiteral(" (%1 %)").arg(std::min<qint64>(100, now.bytesRead * 100 / now.totalBytes));
            }
            showLine(err, text);
            lineShown = true;
        }
        return true;
    };
    auto problem = [&](const ImportProblem& p) {
        if (lineShown) {
            showLine(err, QString());
            err << '\r' << Qt::flush;
            lineShown = false;
        }
        out << p.locationText() << ": \"" << MessageText::quoted(p.name) << "\": " << p.kindText() << ": " << p.reason
            << '\n';
    };

    ImportSummary summary;
    const bool ok = import.run(databasePath, rule, progress, problem, &summary, &error);
    if (lineShown) {
        showLine(err, QString());
        err << '\r' << Qt::flush;
    }
    // Every food row was refused: the import went through, but took nothing.
    const qint64 taken = summary.foodsRead - summary.rowsRefused - summary.productsWithoutName;
    const bool noneTaken = ok && summary.rowsRefused > 0 && taken == 0;
    const QString kind = FoodImport::formatName(import.format());
    const QString database = QDir::toNativeSeparators(databasePath);
    if (!ok) {
        out << tr("Not imported: %1 (%2) into %3.").arg(sourceName, kind, database) << '\n';
    } else if (noneTaken) {
        out << tr("Nothing was imported from %1 (%2) into %3: every row was refused.").arg(sourceName, kind, database)
            << '\n';
    } else {
        out << tr("Imported %1 (%2) into %3.").arg(sourceName, kind, database) << '\n';
    }
    if (!ok) {
        // What the import had written was rolled back: counts of foods added or replaced would
        // tell of work that is not there.
        out << "  " << tr("Rows read:").leftJustified(32) << GroupedCount(summary.rowsRead) << '\n'
            << "  " << tr("Nothing was added: the food table is as it was.") << '\n'
            << Qt::flush;
        err << error << Qt::endl;
        return Failure;
    }
    const QList<QPair<QString, qint64>> lines {
        { tr("Rows read"), summary.rowsRead },
        { tr("Foods read"), summary.foodsRead },
        { tr("Foods added"), summary.foodsAdded },
        { tr("Duplicates skipped"), summary.duplicatesSkipped },
        { tr("Duplicates replaced"), summary.duplicatesReplaced },
        { tr("Duplicates kept beside the old"), summary.duplicatesKept },
        { tr("Repeated within the file"), summary.repeatedInSource },
        { tr("Rows mended"), summary.rowsMended },
        { tr("Rows refused"), summary.rowsRefused },
    };
    for (const auto& [label, value] : lines) {
        out << "  " << (label + QLatin1Char(':')).leftJustified(32) << GroupedCount(value) << '\n';
    }
    if (summary.productsWithoutName > 0) {
        out << "  " << tr("Products without a name, skipped:").leftJustified(32)
            << GroupedCount(summary.productsWithoutName) << '\n';
    }
    if (summary.nutrientValues > 0) {
        out << "  " << tr("Nutrients brought:").leftJustified(32)
            << tr("%1 values for %2 foods")
                   .arg(GroupedCount(summary.nutrientValues), GroupedCount(summary.foodsWithNutrients))
            << '\n';
    }
    if (!summary.nutrientsLeftOut.isEmpty()) {
        out << "  "
            << tr("Nutrients left out, their unit cannot be converted: %1")
                   .arg(MessageText::listed(summary.nutrientsLeftOut).join(QStringLiteral(", ")))
            << '\n';
    }
    if (summary.recordsNotFoods > 0) {
        out << "  " << tr("Sample records, not foods:").leftJustified(32) << GroupedCount(summary.recordsNotFoods)
            << '\n';
    }
    if (!summary.unplacedColumns.isEmpty()) {
        out << "  " << tr("Columns not imported: %1").arg(MessageText::quotedList(summary.unplacedColumns)) << '\n';
    }
    out << Qt::flush;
    if (noneTaken) {
        err << tr("Nothing was imported: every row was refused.") << Qt::endl;
        return Failure;
    }
    if (summary.rowsRefused > 0) {
        err << tr("Some rows were refused (%1); the others were imported.").arg(GroupedCount(summary.rowsRefused))
            << Qt::endl;
        return SomeRefused;
    }
    return Success;
}

int FoodTransferCommand::exportFoods(
    const QString& databasePath, const QString& csvPath, QTextStream& out, QTextStream& err, bool showProgress)
{
    const bool toOutput = csvPath == QLatin1String("-");
    QString reason;
    if (!toOutput && !SafeFile::isReplaceable(csvPath, &reason)) {
        err << tr("Nothing was exported: %1: %2").arg(QDir::toNativeSeparators(csvPath), reason) << Qt::endl;
        return UsageError;
    }
    // Progress lines would land among the rows on a terminal that shows both.
    showProgress = showProgress && !(toOutput && ::isatty(STDOUT_FILENO));
    bool lineShown = false;
    auto progress = [&](qint64 written, qint64 total) {
        if (showProgress) {
            showLine(err, tr("%1 of %2 foods written").arg(GroupedCount(written), GroupedCount(total)));
            lineShown = true;
        }
        return true;
    };
    qint64 written = 0;
    QString error;
    bool ok;
    if (toOutput) {
        QFile output;
        ok = output.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered);
        if (!ok) {
            error = tr("standard output: %1").arg(output.errorString());
        } else {
            ok = FoodExport::writeTo(databasePath, &output, tr("standard output"), progress, &written, &error);
        }
    } else {
        ok = FoodExport::run(databasePath, csvPath, progress, &written, &error);
    }
    if (lineShown) {
        showLine(err, QString());
        err << '\r' << Qt::flush;
    }
    if (!ok) {
        err << tr("Nothing was exported: %1").arg(error) << Qt::endl;
        return Failure;
    }
    // With the rows on standard output, the summary goes with the messages.
    (toOutput ? err : out) << tr("Exported %1 foods to %2.")
                                  .arg(GroupedCount(written),
                                      toOutput ? tr("standard output") : QDir::toNativeSeparators(csvPath))
                           << Qt::endl;
    return Success;
}

int FoodTransferCommand::copyFoods(const QString& fromLocation, const QString& toLocation, bool replace,
    QTextStream& out, QTextStream& err, bool showProgress)
{
    const auto shown = [](const QString& location) {
        return PgConnection::isServerLocation(location) ? PgConnection::displayName(location)
                                                        : QDir::toNativeSeparators(location);
    };
    QString error;
    const std::unique_ptr<FoodStore> from = FoodStoreOpener::open(fromLocation, &error);
    const std::unique_ptr<FoodStore> to = from ? FoodStoreOpener::open(toLocation, &error) : nullptr;
    if (!from || !to) {
        err << tr("Nothing was copied: %1").arg(error) << Qt::endl;
        return Failure;
    }
    bool lineShown = false;
    const auto progress = [&](qint64 copied, qint64 total) {
        if (showProgress) {
            showLine(err, tr("%1 of %2 foods copied").arg(GroupedCount(copied), GroupedCount(total)));
            lineShown = true;
        }
        return true;
    };
    FoodTableCopy::Result result;
    const bool copied = FoodTableCopy::copy(*from, *to, replace, &result, &error, progress);
    if (lineShown) {
        showLine(err, QString());
        err << '\r' << Qt::flush;
    }
    if (!copied) {
        err << tr("Nothing was copied: %1").arg(error) << Qt::endl;
        return Failure;
    }
    out << tr("Copied %1 foods and %2 recipes from %3 to %4.")
               .arg(GroupedCount(result.foods), GroupedCount(result.recipes), shown(fromLocation), shown(toLocation))
        << Qt::endl;
    return Success;
}
