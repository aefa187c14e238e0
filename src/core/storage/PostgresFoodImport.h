#pragma once

#include "core/storage/FoodImportSession.h"

#include <QHash>

#include <memory>

class PgTransaction;
class PostgresFoodStore;

// An import into a food table on a PostgreSQL server: one transaction on the store's connection,
// which locks the foods against other writers from the start and leaves nothing behind unless it
// is committed. Its statements are prepared once and run for each food.
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
    bool commit(const QStringList& changedFoods, QString* error) override;
    void rollback() override;

private:
    // The ten parameters of a food, from $1.
    bool foodParams(const QString& name, const QString& serving, const Nutrients& nutrients,
        std::vector<std::optional<QByteArray>>* params, QString* error);
    bool isOpen(QString* error) const;

    PostgresFoodStore& m_store;
    std::unique_ptr<PgTransaction> m_transaction;
    NutrientCatalogue m_catalogue;
    QHash<QString, qint64> m_ids;
    const QSet<QString> m_none;
};
