#include "app/PlatewellFolder.h"
#include "app/Prompt.h"
#include "app/SharedState.h"
#include "planner/MainMenu.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Platewell"));
    QApplication::setApplicationVersion(QStringLiteral(PLATEWELL_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("platewell"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Platewell: plan the day's meals and add up their nutrients."));
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption home(QStringLiteral("home"),
        QStringLiteral("Work in the Platewell folder <dir> (default: $PLATEWELL_HOME, else ~/.local/share/Platewell)."),
        QStringLiteral("dir"));
    parser.addOption(home);
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
    MainMenu window(state);
    window.show();
    return app.exec();
}
