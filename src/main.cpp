#include "core/PlatewellFolder.h"
#include "core/SharedState.h"
#include "gui/common/Prompt.h"
#include "gui/planner/MainWindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>

namespace {

void describeOptions(QCommandLineParser& parser, QCommandLineOption& home)
{
    parser.setApplicationDescription(QStringLiteral("Platewell: plan the day's meals and add up their nutrients."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(home);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication::setApplicationName(QStringLiteral("Platewell"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PLATEWELL_VERSION));
    QCommandLineOption home(QStringLiteral("home"),
        QStringLiteral("Work in the Platewell folder <dir> (default: $PLATEWELL_HOME, else ~/.local/share/Platewell)."),
        QStringLiteral("dir"));

    // Help and the version are answered without a display. Everything else waits for the
    // window's application, which first takes out Qt's own options such as -platform.
    {
        QCoreApplication console(argc, argv);
        QCommandLineParser parser;
        describeOptions(parser, home);
        parser.parse(QCoreApplication::arguments());
        if (parser.isSet(QStringLiteral("help"))) {
            parser.showHelp(0);
        }
        if (parser.isSet(QStringLiteral("version"))) {
            parser.showVersion();
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
    if (!PlatewellFolder::prepare(folder, &error)) {
        // The window still opens; the food table's own message follows if it is missing.
        Prompt::error(nullptr, QStringLiteral("The Platewell folder could not be prepared.\n%1").arg(error));
    }

    SharedState state;
    state.DataFolder = PlatewellFolder::dataFolder(folder);
    state.FoodDatabasePath = PlatewellFolder::foodDatabasePath(folder);
    MainWindow window(state);
    window.show();
    return app.exec();
}
