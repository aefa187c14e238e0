#pragma once

#include <QCoreApplication>
#include <QString>

#include <functional>

class QWidget;

// Runs long work (an import, an export) on a worker thread while a progress window shows how far
// it got, with an estimate of the time left and a Cancel button. The windows keep answering
// meanwhile; run() returns once the work has returned.
class BackgroundWork
{
    Q_DECLARE_TR_FUNCTIONS(BackgroundWork)

public:
    // What the work tells the window: how much of how much is done (total 0: not known) and a
    // line saying what was done. It returns false once the user pressed Cancel.
    using Report = std::function<bool(qint64 done, qint64 total, const QString& text)>;
    using Work = std::function<void(const Report& report)>;

    // `name` is the progress window's object name.
    static void run(QWidget* parent, const QString& name, const QString& title, const Work& work);
};
