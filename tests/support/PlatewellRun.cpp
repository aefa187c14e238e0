#include "PlatewellRun.h"

#include <QProcess>
#include <QProcessEnvironment>

PlatewellRun PlatewellRun::start(const QStringList& arguments, const QString& workingFolder, const QString& home)
{
    QProcess program;
    program.setWorkingDirectory(workingFolder);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : { "QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "PLATEWELL_HOME" }) {
        environment.remove(QString::fromLatin1(name));
    }
    if (!home.isEmpty()) {
        environment.insert(QStringLiteral("PLATEWELL_HOME"), home);
    }
    program.setProcessEnvironment(environment);
    program.start(qEnvironmentVariable("PLATEWELL_EXECUTABLE"), arguments);
    PlatewellRun run;
    if (program.waitForFinished(60000) && program.exitStatus() == QProcess::NormalExit) {
        run.status = program.exitCode();
    }
    run.out = program.readAllStandardOutput();
    run.err = program.readAllStandardError();
    return run;
}
