#include "core/files/PlatewellFolder.h"
#include "core/imports/FoodTransferCommand.h"
#include "core/workspace/FolderSetup.h"
#include "core/workspace/FoodTableLocation.h"
#include "core/workspace/Workspace.h"
#include "gui/common/Prompt.h"
#include "gui/common/WindowSizes.h"
#include "gui/planner/MainWindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QTextStream>

#include <cstdio>

#include <unistd.h>

namespace {

const QCommandLineOption importOption(QStringLiteral("import"),
    QStringLiteral("Import the foods of <path> into the food table, without a window: a USDA FoodData Central "
                   "download (zip or folder), an Open Food Facts product dump (.csv or .csv.gz) or a CSV file "
                   "with a header; - reads standard input. Exit status: 0 when every row went in (mended or "
                   "skipped as a duplicate included), 3 when some rows were refused, 1 when nothing was imported, "
                   "2 for a mistake in the command line."),
    QStringLiteral("path"));
const QCommandLineOption columnsOption(QStringLiteral("columns"),
    QStringLiteral("With --import of a CSV file: how columns are read, as HEADER=FIELD[:UNIT][:per100g],... "
                   "FIELD is FOOD, SERVING_UN, CALORIES, CARBS, FAT, SUGAR, CHOLESTERO, POINTS, FIBER, SUGAR_ALC, "
                   "SERVING_G (the serving's weight in g) or none; UNIT is kcal, kJ, g, mg or ug; a header may be "
                   "given as #N. Other columns are read as their names suggest. FIELD may also be a nutrient of "
                   "the food table's catalogue, by its number or name (307, Sodium), in a unit its own converts "
                   "from (IU only for its own); a column given none is not read."),
    QStringLiteral("mapping"));
const QCommandLineOption duplicateOption(QStringLiteral("on-duplicate"),
    QStringLiteral("With --import: what to do with a food whose name is already there: skip (default), replace or "
                   "keep (both)."),
    QStringLiteral("rule"), QStringLiteral("skip"));
const QCommandLineOption exportOption(QStringLiteral("export"),
    QStringLiteral("Write the whole food table to the CSV file <path>, or to standard output for -, without a "
                   "window."),
    QStringLiteral("path"));

const QCommandLineOption databaseOption(QStringLiteral("database"),
    QStringLiteral("Use the food table on the PostgreSQL server at <address> (postgresql://[user@]host[:port]/dbname, "
                   "libpq parameters such as ?sslmode=require pass through) for this run, instead of "
                   "$PLATEWELL_DATABASE, the folder's setting or its foods.db. The password comes from ~/.pgpass, "
                   "PGPASSWORD or a service file, never from the address."),
    QStringLiteral("address"));

const QCommandLineOption copyToOption(QStringLiteral("copy-foods-to"),
    QStringLiteral(
        "Copy the folder's foods.db (foods, nutrients, recipes) to the food table on the PostgreSQL server at "
        "<address>, in one transaction, without a window. A food table there that holds foods is left "
        "alone unless --replace is given."),
    QStringLiteral("address"));
const QCommandLineOption copyFromOption(QStringLiteral("copy-foods-from"),
    QStringLiteral("Copy the food table on the PostgreSQL server at <address> into the folder's foods.db, in one "
                   "transaction, without a window; with --replace only, since foods.db holds foods."),
    QStringLiteral("address"));
const QCommandLineOption replaceOption(QStringLiteral("replace"),
    QStringLiteral("With --copy-foods-to or --copy-foods-from: empty the target food table first, in the same "
                   "transaction."));

// The food table the folder works with, or the reason why the one chosen cannot be used.
bool foodTableOf(const QString& folder, const QCommandLineParser& parser, QString* location, QString* error)
{
    FoodTableLocation::Source source = FoodTableLocation::Source::Folder;
    return FoodTableLocation::resolve(folder, parser.value(databaseOption), location, &source, error);
}

void describeOptions(QCommandLineParser& parser, QCommandLineOption& home)
{
    parser.setApplicationDescription(QStringLiteral("Platewell: plan the day's meals and add up their nutrients."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(home);
    parser.addOption(databaseOption);
    parser.addOption(importOption);
    parser.addOption(duplicateOption);
    parser.addOption(columnsOption);
    parser.addOption(exportOption);
    parser.addOption(copyToOption);
    parser.addOption(copyFromOption);
    parser.addOption(replaceOption);
}

// --import and --export: the work is done without a display, and its exit status is returned.
// Without a window to show what was meant, a command line that does not read wholly (a misspelt
// option, a word too many) does nothing and says why.
int transferFoods(const QCommandLineParser& parser, bool parsed, const QCommandLineOption& home)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    QString usage;
    if (!parsed) {
        usage = parser.errorText();
    } else if (!parser.positionalArguments().isEmpty()) {
        usage = QStringLiteral("Unexpected argument: %1").arg(parser.positionalArguments().join(QLatin1Char(' ')));
    } else if (parser.isSet(importOption) && parser.isSet(exportOption)) {
        usage = QStringLiteral("Give either --import or --export, not both.");
    } else if (int(parser.isSet(importOption)) + int(parser.isSet(exportOption)) + int(parser.isSet(copyToOption))
            + int(parser.isSet(copyFromOption))
        > 1) {
        usage = QStringLiteral("Give one of --import, --export, --copy-foods-to and --copy-foods-from.");
    } else if (parser.isSet(databaseOption) && (parser.isSet(copyToOption) || parser.isSet(copyFromOption))) {
        usage = QStringLiteral("A copy goes between the folder's foods.db and the address it names; --database goes "
                               "with neither.");
    } else if (parser.isSet(replaceOption) && !parser.isSet(copyToOption) && !parser.isSet(copyFromOption)) {
        usage = QStringLiteral("--replace goes with --copy-foods-to or --copy-foods-from.");
    } else if (parser.isSet(duplicateOption) && !parser.isSet(importOption)) {
        usage = QStringLiteral("--on-duplicate goes with --import.");
    } else if (parser.isSet(columnsOption) && !parser.isSet(importOption)) {
        usage = QStringLiteral("--columns goes with --import.");
    }
    if (!usage.isEmpty()) {
        err << usage << '\n' << QStringLiteral("Nothing was imported, exported or copied; see --help.") << Qt::endl;
        return FoodTransferCommand::UsageError;
    }
    // A mistyped folder must not become a fresh one with the starter foods, which a backup script
    // would then save in place of the user's table.
    const QString folder = PlatewellFolder::resolve(parser.value(home));
    if (!QFileInfo(folder).isDir()) {
        err << (QFileInfo::exists(folder)
                ? QStringLiteral("The Platewell folder %1 is not a folder; nothing was imported or exported.")
                : QStringLiteral("The Platewell folder %1 does not exist; nothing was imported or exported."))
                   .arg(QDir::toNativeSeparators(folder))
            << Qt::endl;
        return FoodTransferCommand::UsageError;
    }
    QString error;
    if (parser.isSet(copyToOption) || parser.isSet(copyFromOption)) {
        const QString address = parser.value(parser.isSet(copyToOption) ? copyToOption : copyFromOption);
        if (!FoodTableLocation::checkAddress(address, &error)) {
            err << QStringLiteral("%1 names no food table Platewell can use: %2\nNothing was copied.")
                       .arg(parser.isSet(copyToOption) ? QStringLiteral("--copy-foods-to")
                                                       : QStringLiteral("--copy-foods-from"),
                           error)
                << Qt::endl;
            return FoodTransferCommand::UsageError;
        }
        const QString file = PlatewellFolder::foodDatabasePath(folder);
        if (parser.isSet(copyFromOption) && !FolderSetup::prepare(folder, &error)) {
            err << QStringLiteral("The Platewell folder could not be prepared.\n%1").arg(error) << Qt::endl;
            return FoodTransferCommand::Failure;
        }
        const bool terminal = ::isatty(STDERR_FILENO) != 0;
        return parser.isSet(copyToOption)
            ? FoodTransferCommand::copyFoods(file, address, parser.isSet(replaceOption), out, err, terminal)
            : FoodTransferCommand::copyFoods(address, file, parser.isSet(replaceOption), out, err, terminal);
    }
    // An export only reads the food table, so a folder it cannot write does not stop it.
    if (parser.isSet(importOption) && !FolderSetup::prepare(folder, &error)) {
        err << QStringLiteral("The Platewell folder could not be prepared.\n%1").arg(error) << Qt::endl;
        return FoodTransferCommand::Failure;
    }
    QString database;
    if (!foodTableOf(folder, parser, &database, &error)) {
        err << error << '\n' << QStringLiteral("Nothing was imported or exported.") << Qt::endl;
        return FoodTransferCommand::UsageError;
    }
    const bool terminal = ::isatty(STDERR_FILENO) != 0;
    if (parser.isSet(importOption)) {
        return FoodTransferCommand::importFoods(database, parser.value(importOption), parser.value(duplicateOption),
            parser.value(columnsOption), out, err, terminal);
    }
    return FoodTransferCommand::exportFoods(database, parser.value(exportOption), out, err, terminal);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication::setApplicationName(QStringLiteral("Platewell"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PLATEWELL_VERSION));
    QCommandLineOption home(QStringLiteral("home"),
        QStringLiteral("Work in the Platewell folder <dir> (default: $PLATEWELL_HOME, else ~/.local/share/Platewell). "
                       "--import and --export need it to exist; the window creates it."),
        QStringLiteral("dir"));

    // Help, the version, --import and --export are answered without a display. Everything else waits for the
    // window's application, which first takes out Qt's own options such as -platform.
    {
        QCoreApplication console(argc, argv);
        QCommandLineParser parser;
        describeOptions(parser, home);
        // The window's options (such as -platform) are not known here, so a failure to parse is
        // only an error for --import and --export; the window's parser checks its own.
        const bool parsed = parser.parse(QCoreApplication::arguments());
        if (parser.isSet(QStringLiteral("help"))) {
            parser.showHelp(0);
        }
        if (parser.isSet(QStringLiteral("version"))) {
            parser.showVersion();
        }
        if (parser.isSet(importOption) || parser.isSet(exportOption) || parser.isSet(copyToOption)
            || parser.isSet(copyFromOption)) {
            return transferFoods(parser, parsed, home);
        }
        if (parser.isSet(replaceOption)) {
            QTextStream(stderr) << QStringLiteral("--replace goes with --copy-foods-to or --copy-foods-from.")
                                << Qt::endl;
            return FoodTransferCommand::UsageError;
        }
        if (parser.isSet(duplicateOption)) {
            QTextStream(stderr) << QStringLiteral("--on-duplicate goes with --import.") << Qt::endl;
            return FoodTransferCommand::UsageError;
        }
        if (parser.isSet(columnsOption)) {
            QTextStream(stderr) << QStringLiteral("--columns goes with --import.") << Qt::endl;
            return FoodTransferCommand::UsageError;
        }
    }

    QApplication app(argc, argv);
    QApplication::setDesktopFileName(QStringLiteral("org.platewell.Platewell"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/org.platewell.Platewell.svg")));
    QCommandLineParser parser;
    describeOptions(parser, home);
    parser.process(app);

    const QString folder = PlatewellFolder::resolve(parser.value(home));
    QString error;
    int startersGivenNutrients = 0;
    if (!FolderSetup::prepare(folder, &error, &startersGivenNutrients)) {
        // The window still opens; the food table's own message follows if it is missing.
        Prompt::error(nullptr, QStringLiteral("The Platewell folder could not be prepared.\n%1").arg(error));
    }

    // A food table chosen but unusable is said, and nothing opens in its place: planning from
    // another table unnoticed would be worse than not starting.
    UserFiles::Places places = UserFiles::placesIn(folder);
    if (!foodTableOf(folder, parser, &places.foodDatabasePath, &error)) {
        Prompt::error(nullptr, error);
        return FoodTransferCommand::UsageError;
    }
    Workspace workspace(places);
    workspace.setStartersGivenNutrients(startersGivenNutrients);
    MainWindow window(workspace);
    WindowSizes::fitToScreen(&window);
    window.show();
    return app.exec();
}
