#include "EngineStores.h"

#include "PrivateServer.h"
#include "core/files/ByteSource.h"
#include "core/files/CsvStreamReader.h"
#include "core/foods/FoodDatabase.h"
#include "core/storage/FoodImportSession.h"
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
    // Written in one import, each field as typed, as the SQLite table is made from CSV.
    std::unique_ptr<FoodImportSession> import = store->beginImport(error);
    if (!import) {
        return nullptr;
    }
    const auto source = ByteSource::fromBytes(csvRows.join(u'\n').toUtf8());
    CsvStreamReader reader(*source);
    while (reader.readRecord()) {
        if (reader.fieldCount() == 1 && reader.field(0).isEmpty()) {
            continue;
        }
        const QStringList fields = reader.fieldTexts();
        FoodImportSession::Nutrients nutrients;
        for (int n = 0; n < FoodFields::NutrientCount; ++n) {
            nutrients[std::size_t(n)] = fields.value(FoodFields::CALORIES + n);
        }
        FoodStore::RowId row = 0;
        if (!import->insertFood(
                fields.value(FoodFields::FOOD), fields.value(FoodFields::SERVING_UN), nutrients, &row, error)) {
            return nullptr;
        }
    }
    if (!import->commit({}, error)) {
        return nullptr;
    }
    return store;
}
