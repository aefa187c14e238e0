#pragma once

#include "core/storage/FoodImportSession.h"

#include "core/postgres/PgConnection.h"

#include <QHash>

#include <memory>

class PgTransaction;
class PostgresFoodStore;

// An import into a food table on a PostgreSQL server: one transaction on the store's connection,
// which locks the foods against other writers from the start and leaves nothing behind unless it
// is committed. New foods and the nutrients written with them are gathered and sent by COPY many
// thousands at a time, each new food with an identity taken ahead from the table's own sequence;
// the statements that cannot wait (finding a name, replacing a row) are prepared once.
class PostgresFoodImport : public FoodImportSession
{
public:
    explicit PostgresFoodImport(PostgresFoodStore& store);
    ~PostgresFoodImport() override;

    bool begin(QString* error);

    const QSet<QString>& recipeNames() const override { return m_none; }
    const QSet<QString>& ingredientFoods() const override { return m_none; }
    bool findRows(const QString& name, qint64 most, std::vector<RowId>* rows, QString* error) override;
    bool insertFood(
        const QString& name, const QString& serving, const Nutrients& nutrients, RowId* row, QString* error) override;
    bool replaceFood(
        RowId row, const QString& name, const QString& serving, const Nutrients& nutrients, QString* error) override;
    const NutrientCatalogue& nutrientCatalogue() const override { return m_catalogue; }
    bool addNutrient(const Nutrient& nutrient, QString* error) override;
    bool writeNutrients(RowId row, const FoodNutrients& nutrients, QString* error) override;
    bool insertStored(const StoredRow& row, RowId* id, QString* error) override;
    bool insertRecipe(Recipe* recipe, RowId ownRow, QString* error) override;
    bool clearAll(QString* error) override;
    bool commit(const QStringList& changedFoods, QString* error) override;
    void rollback() override;

private:
    // The ten parameters of a food, from $1.
    bool foodParams(const QString& name, const QString& serving, const Nutrients& nutrients,
        std::vector<std::optional<QByteArray>>* params, QString* error);
    bool isOpen(QString* error) const;
    // The next identity a new food takes.
    bool nextId(qint64* id, QString* error);
    // Sends what is gathered.
    bool flush(QString* error);
    bool copy(const char* sql, const std::vector<PgConnection::Params>& rows, QString* error);
    void forgetGathered();

    PostgresFoodStore& m_store;
    std::unique_ptr<PgTransaction> m_transaction;
    NutrientCatalogue m_catalogue;
    QHash<QString, qint64> m_ids;
    // Identities taken from the sequence and not given out yet, the next last.
    std::vector<qint64> m_spareIds;
    // Gathered for COPY: new foods, their servings and their values.
    std::vector<PgConnection::Params> m_foods;
    std::vector<PgConnection::Params> m_servings;
    std::vector<PgConnection::Params> m_values;
    // The gathered new foods by name, in the order inserted, and their names by identity.
    QHash<QString, std::vector<qint64>> m_gatheredByName;
    QHash<qint64, QString> m_gatheredNames;
    // The rows replaced in this import, with the names they bear now.
    QHash<qint64, QString> m_replacedNames;
    // The rows whose nutrients are gathered.
    QSet<qint64> m_withGatheredNutrients;
    const QSet<QString> m_none;
};
