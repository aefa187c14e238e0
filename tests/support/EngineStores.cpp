#include "EngineStores.h"

#include "PrivateServer.h"
#include "core/files/ByteSource.h"
#include "core/files/CsvStreamReader.h"
#include "core/foods/FoodDatabase.h"
#include "core/storage/FoodStoreOpener.h"

#include <QTemporaryDir>

#include <vector>

namespace {

PrivateServer* server(QString* error)
{
    static std::unique_ptr<PrivateServer> running;
    static QString failure;
    if (!running && failure.isEmpty()) {
        auto started = std::make_unique<PrivateServer>();
        if (started->start(&failure)) {
            running = std::move(started);
        }
    }
    if (!running && error) {
        *error = failure;
    }
    return running.get();
}

} // namespace

QString EngineStores::engine()
{
    const QString named = qEnvironmentVariable("PLATEWELL_TEST_ENGINE");
    return named.isEmpty() ? QStringLiteral("sqlite") : named;
}

bool EngineStores::onServer()
{
    return engine() == QLatin1String("postgresql");
}

QString EngineStores::newServerDatabase(QString* error)
{
    static int made = 0;
    PrivateServer* running = server(error);
    const QString name = QStringLiteral("foods_%1").arg(++made);
    if (!running || !running->createDatabase(name, error)) {
        return QString();
    }
    return running->location(name);
}

std::unique_ptr<FoodStore> EngineStores::storeWith(const QStringList& csvRows, QString* error, const QString& engine)
{
    if (engine == QLatin1String("sqlite")) {
        // The folders stay until the program ends, as long as any store on them may.
        static std::vector<std::unique_ptr<QTemporaryDir>> folders;
        folders.push_back(std::make_unique<QTemporaryDir>());
        const QString path = folders.back()->filePath(QStringLiteral("foods.db"));
        const QString csv = FoodFields::fieldNames().join(u',') + u'\n' + csvRows.join(u'\n') + u'\n';
        if (!FoodDatabase::createFromCsv(path, csv, error)) {
            return nullptr;
        }
        return FoodStoreOpener::open(path, error);
    }
    if (engine != QLatin1String("postgresql")) {
        *error = QStringLiteral("no food table engine is named %1").arg(engine);
        return nullptr;
    }
    const QString location = newServerDatabase(error);
    if (location.isEmpty()) {
        return nullptr;
    }
    std::unique_ptr<FoodStore> store = FoodStoreOpener::open(location, error);
    if (!store) {
        return nullptr;
    }
    // Written as the SQLite table is made from CSV: each field as typed, row by row.
    const auto source = ByteSource::fromBytes(csvRows.join(u'\n').toUtf8());
    CsvStreamReader reader(*source);
    while (reader.readRecord()) {
        if (reader.fieldCount() == 1 && reader.field(0).isEmpty()) {
            continue;
        }
        FoodStore::RowId row = 0;
        if (!store->insertRecord(reader.fieldTexts(), &row, error)) {
            return nullptr;
        }
    }
    return store;
}
