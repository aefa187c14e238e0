#include "core/storage/FoodStore.h"

#include "core/storage/SqliteFoodStore.h"

std::unique_ptr<FoodStore> FoodStore::forLocation(const QString& location)
{
    return std::make_unique<SqliteFoodStore>(location);
}

std::unique_ptr<FoodStore> FoodStore::openAt(const QString& location, QString* error)
{
    std::unique_ptr<FoodStore> store = forLocation(location);
    if (!store->refresh(error)) {
        return nullptr;
    }
    return store;
}
