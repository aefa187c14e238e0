#pragma once

#include "core/storage/FoodStore.h"

#include <QString>
#include <QStringList>

#include <memory>

// The engine the food-table tests run on, named by the environment variable
// PLATEWELL_TEST_ENGINE: "sqlite" (the default) or "postgresql". A test program registered for
// both runs once per engine with the same code.
namespace EngineStores {

QString engine();
bool onServer();

// A new food table of `engine` holding `csvRows` (the ten fields, without header), opened: an
// SQLite file in a temporary folder, or a new database on the test program's one private
// PostgreSQL server, started on first use. Null, with the reason, when it cannot be made.
std::unique_ptr<FoodStore> storeWith(const QStringList& csvRows, QString* error, const QString& engine = engine());

// The location of a new, empty database on that server (starting it on first use); empty, with
// the reason, when it cannot be made.
QString newServerDatabase(QString* error);

} // namespace EngineStores
