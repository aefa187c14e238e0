#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The platewell program run once without a display, as a script would run it.
struct PlatewellRun
{
    int status = -1;
    QByteArray out;
    QByteArray err;

    // `home` set as PLATEWELL_HOME when not empty; the program runs in `workingFolder`, reading
    // `input` from a pipe.
    static PlatewellRun start(const QStringList& arguments, const QString& workingFolder,
        const QString& home = QString(), const QByteArray& input = QByteArray());
    // What it wrote to its output and its errors, as text.
    QString printed() const { return QString::fromUtf8(out + err); }
};
