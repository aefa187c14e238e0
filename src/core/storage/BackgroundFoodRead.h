#pragma once

#include <QObject>
#include <QString>
#include <QtGlobal>

#include <atomic>
#include <functional>
#include <thread>

class FoodStore;

// One read of a food table on a worker thread, on a connection of its own, while a window shows
// what it read itself and stays answering. The read's own function keeps what it reads; done()
// comes on the window's thread once it has returned. Stopping, starting again or destroying the
// reader ends a read at once, even one waiting for another program's lock: a window closed
// meanwhile never waits for the table.
class BackgroundFoodRead : public QObject
{
    Q_OBJECT

public:
    // Reads through `foods`; false with the reason once it cannot, and soon after `stop` turns true.
    using Read = std::function<bool(const FoodStore& foods, const std::atomic<bool>& stop, QString* error)>;

    // Whether `foods` is large enough to be worth reading behind the window: whether it may hold
    // more rows than setReadBehindFrom() says (50,000 unless tests lower it; fewer take no more
    // than a frame or two to read).
    static bool isWorthIt(const FoodStore& foods);
    static void setReadBehindFrom(qint64 rows);

    explicit BackgroundFoodRead(QObject* parent = nullptr);
    ~BackgroundFoodRead() override;

    // Opens the table at `location` (see FoodStoreOpener) on the worker and runs `read`, stopping
    // a read still going first.
    void start(const QString& location, Read read);
    // Stops a read going on; done() does not come for it.
    void stop();
    bool isReading() const { return m_reading; }

signals:
    // The read returned `read`; `error` says why when it did not.
    void done(bool read, const QString& error);

private:
    void finish(unsigned generation, bool read, const QString& error);

    std::thread m_thread;
    std::atomic<bool> m_stop { false };
    unsigned m_generation = 0;
    bool m_reading = false;
};
