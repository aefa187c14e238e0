#include "core/storage/FoodStoreOpener.h"

#include "core/postgres/PgConnection.h"
#include "core/storage/PostgresFoodStore.h"
#include "core/storage/SqliteFoodStore.h"

std::unique_ptr<FoodStore> FoodStoreOpener::forLocation(const QString& location)
{
    if (PgConnection::isServerLocation(location)) {
        return std::make_unique<PostgresFoodStore>(location);
    }
    return std::make_unique<SqliteFoodStore>(location);
}

std::unique_ptr<FoodStore> FoodStoreOpener::open(const QString& location, QString* error)
{
    std::unique_ptr<FoodStore> store = forLocation(location);
    if (!store->refresh(error)) {
        return nullptr;
    }
    return store;
}
