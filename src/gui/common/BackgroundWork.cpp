#include "gui/common/BackgroundWork.h"

#include "gui/common/WindowSizes.h"

#include <QCloseEvent>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMutex>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <memory>

namespace {

// The progress bar's steps, so that totals beyond an int still show.
constexpr int kSteps = 1000;
constexpr int kRefreshMs = 100;

// What the worker last reported, read by the window's timer.
struct Shared
{
    QMutex mutex;
    qint64 done = 0;
    qint64 total = 0;
    QString text;
    std::atomic<bool> cancelled { false };
};

QString timeLeft(qint64 elapsedMs, qint64 done, qint64 total)
{
    // An estimate only once there is something to go by.
    if (total <= 0 || done <= 0 || elapsedMs < 1000 || done >= total) {
        return QString();
    }
    const qint64 seconds = elapsedMs * (total - done) / done / 1000;
    if (seconds < 60) {
        return BackgroundWork::tr("about %n second(s) left", nullptr, int(std::max<qint64>(seconds, 1)));
    }
    return BackgroundWork::tr("about %n minute(s) left", nullptr, int((seconds + 30) / 60));
}

// The progress window stays up until the work has returned: Cancel, Escape and closing the
// window ask the work to stop and say so, and the windows below take no input meanwhile, so that
// nothing the work relies on changes under it.
class ProgressWindow : public QProgressDialog
{
public:
    explicit ProgressWindow(QWidget* parent)
        : QProgressDialog(parent)
    {
        // The Cancel button would hide the window at once; here it only asks. The window makes that
        // connection by name, so it is undone by name.
        disconnect(this, SIGNAL(canceled()), this, SLOT(cancel()));
    }
    void finish() { m_finished = true; }

protected:
    void reject() override { emit canceled(); }
    void closeEvent(QCloseEvent* event) override
    {
        if (m_finished) {
            QProgressDialog::closeEvent(event);
            return;
        }
        event->ignore();
        emit canceled();
    }

private:
    bool m_finished = false;
};

} // namespace

void BackgroundWork::run(QWidget* parent, const QString& name, const QString& title, const Work& work)
{
    auto shared = std::make_shared<Shared>();
    ProgressWindow progress(parent);
    progress.setObjectName(name);
    progress.setWindowTitle(title);
    progress.setWindowModality(Qt::WindowModal);
    progress.setRange(0, kSteps);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setLabelText(tr("Starting..."));
    QObject::connect(&progress, &QProgressDialog::canceled, [shared] { shared->cancelled = true; });
    WindowSizes::fitToScreen(&progress);
    progress.show();

    QThread* thread = QThread::create([shared, work] {
        work([shared](qint64 done, qint64 total, const QString& text) {
            QMutexLocker lock(&shared->mutex);
            shared->done = done;
            shared->total = total;
            shared->text = text;
            return !shared->cancelled.load();
        });
    });
    QElapsedTimer clock;
    clock.start();
    QTimer refresh;
    QObject::connect(&refresh, &QTimer::timeout, [&] {
        qint64 done;
        qint64 total;
        QString text;
        {
            QMutexLocker lock(&shared->mutex);
            done = shared->done;
            total = shared->total;
            text = shared->text;
        }
        if (shared->cancelled) {
            progress.setLabelText(tr("Cancelling..."));
            return;
        }
        if (total > 0) {
            if (progress.maximum() != kSteps) {
                progress.setRange(0, kSteps);
            }
            progress.setValue(int(std::min(done, total) * kSteps / total));
        } else if (progress.maximum() != 0) {
            // Busy indicator while the amount is not known.
            progress.setRange(0, 0);
        }
        const QString left = timeLeft(clock.elapsed(), done, total);
        progress.setLabelText(left.isEmpty() ? text : text + QLatin1Char('\n') + left);
    });
    QEventLoop loop;
    QObject::connect(thread, &QThread::finished, &loop, &QEventLoop::quit);
    refresh.start(kRefreshMs);
    thread->start();
    loop.exec();
    thread->wait();
    delete thread;
    refresh.stop();
    progress.finish();
    progress.close();
}
