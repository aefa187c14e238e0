#pragma once

#include "core/storage/FoodImportSession.h"

#include <QCoreApplication>

#include <memory>

class FoodDatabase;
class NutrientTables;
class SqliteStatement;
class SqliteTransaction;

// An import into an SQLite food table: one immediate transaction on the table's connection, with
// its statements prepared once for a million foods. Its commit recomputes the recipes made of the
// foods written before the transaction ends.
class SqliteFoodImport : public FoodImportSession
{
    Q_DECLARE_TR_FUNCTIONS(SqliteFoodImport)

public:
    explicit SqliteFoodImport(FoodDatabase& foods);
    ~SqliteFoodImport() override;
    SqliteFoodImport(const SqliteFoodImport&) = delete;
    SqliteFoodImport& operator=(const SqliteFoodImport&) = delete;

    // Takes the write lock, begins the transaction and reads the recipes.
    bool begin(QString* error);

    const QSet<QString>& recipeNames() const override { return m_recipeNames; }
    const QSet<QString>& ingredientFoods() const override { return m_ingredientFoods; }
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
    // The reason given with the table's path; always false.
    bool fail(const QString& reason, QString* error);
    void bindFood(SqliteStatement& statement, const QString& name, const QString& serving, const Nutrients& nutrients);
    void finalize();
    // Makes the nutrient tables unless the file has them.
    bool ensureNutrientTables(QString* error);

    FoodDatabase& m_foods;
    std::unique_ptr<SqliteTransaction> m_transaction;
    std::unique_ptr<SqliteStatement> m_find;
    std::unique_ptr<SqliteStatement> m_findPlain;
    std::unique_ptr<SqliteStatement> m_insert;
    std::unique_ptr<SqliteStatement> m_update;
    QSet<QString> m_recipeNames;
    QSet<QString> m_ingredientFoods;
    std::unique_ptr<NutrientTables> m_nutrients;
    bool m_nutrientTablesExist = false;
    // Whether the nutrient values written go in as many at once, settled at the commit.
    bool m_bulk = false;
    NutrientCatalogue m_catalogue;
};
