#include "PlatewellRun.h"

#include <QProcess>
#include <QProcessEnvironment>

PlatewellRun PlatewellRun::start(
    const QStringList& arguments, const QString& workingFolder, const QString& home, const QByteArray& input)
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
    if (program.waitForStarted()) {
        program.write(input);
        program.closeWriteChannel();
    }
    PlatewellRun run;
    // An import of a few hundred thousand rows takes a while under the sanitizers.
    if (program.waitForFinished(120000) && program.exitStatus() == QProcess::NormalExit) {
        run.status = program.exitCode();
    }
    run.out = program.readAllStandardOutput();
    run.err = program.readAllStandardError();
    return run;
}
