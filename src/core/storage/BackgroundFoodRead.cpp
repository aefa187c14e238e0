#include "core/storage/BackgroundFoodRead.h"

#include "core/storage/FoodStore.h"
#include "core/storage/FoodStoreOpener.h"

#include <memory>

namespace {

qint64 readBehindFrom = 50000;

} // namespace

bool BackgroundFoodRead::isWorthIt(const FoodStore& foods)
{
    return foods.rowCountBound(nullptr) > readBehindFrom;
}

void BackgroundFoodRead::setReadBehindFrom(qint64 rows)
{
    readBehindFrom = rows;
}

BackgroundFoodRead::BackgroundFoodRead(QObject* parent)
    : QObject(parent)
{ }

BackgroundFoodRead::~BackgroundFoodRead()
{
    stop();
}

void BackgroundFoodRead::start(const QString& location, Read read)
{
    stop();
    m_stop = false;
    m_reading = true;
    const unsigned generation = ++m_generation;
    m_thread = std::thread([this, location, read = std::move(read), generation] {
        QString error;
        bool ok = false;
        {
            const std::unique_ptr<FoodStore> foods = FoodStoreOpener::forLocation(location);
            foods->stopReadsWhen(&m_stop);
            ok = foods->refresh(&error) && read(*foods, m_stop, &error) && !m_stop;
        }
        if (m_stop) {
            return;
        }
        // Queued to this object, so it never arrives once the reader is gone.
        QMetaObject::invokeMethod(
            this, [this, generation, ok, error] { finish(generation, ok, error); }, Qt::QueuedConnection);
    });
}

void BackgroundFoodRead::stop()
{
    m_stop = true;
    if (m_thread.joinable()) {
        m_thread.join();
    }
    m_reading = false;
}

void BackgroundFoodRead::finish(unsigned generation, bool read, const QString& error)
{
    // A read stopped or started again since this one ended says nothing.
    if (generation != m_generation || !m_reading) {
        return;
    }
    if (m_thread.joinable()) {
        m_thread.join();
    }
    m_reading = false;
    emit done(read, error);
}
