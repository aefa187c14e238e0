#pragma once

#include "core/foods/FoodDatabase.h"
#include "core/storage/FoodStore.h"

#include <memory>

class KeptNutrientCache;

// The food table and its recipes in an SQLite file, through SQLite's own API on one connection.
// The foods are FoodDatabase's, the recipes RecipeBook's; the writes that recipes follow go
// through FoodWriteService, so that a food and the recipes made of it change in one transaction.
class SqliteFoodStore : public FoodStore
{
public:
    explicit SqliteFoodStore(const QString& path);
    ~SqliteFoodStore() override;

    QString location() const override { return m_path; }
    bool refresh(QString* error) override;
    bool isOpen() const override;
    void close() override;

    bool readColumns(const std::vector<FoodFields::Field>& fields, std::vector<TextColumn>* columns,
        std::vector<RowId>* rows, QString* error) const override;
    bool readFirstRows(const std::vector<FoodFields::Field>& fields, int limit, bool byName,
        std::vector<TextColumn>* columns, std::vector<RowId>* rows, QString* error) const override;
    qint64 rowCountBound(QString* error) const override;
    void stopReadsWhen(const std::atomic<bool>* stop) override;
    bool readRows(const RowVisitor& visit, QString* error) const override;
    qint64 rowCount(QString* error) const override;
    bool readNameOrder(
        const std::vector<RowId>& rows, std::vector<std::uint32_t>* order, QString* error) const override;
    bool readRecord(RowId row, QStringList* values, QString* error) const override;
    bool nutrientsOf(const QString& name, std::vector<Nutrients>* rows, QString* error) const override;
    bool servingUnitOf(const QString& name, QString* unit, QString* error) const override;
    std::unique_ptr<FoodLookup> lookup() const override;

    bool updateFields(RowId row, const QString& shownName, const FieldChanges& changes, QString* error,
        QStringList* renamedIn = nullptr) override;
    bool insertRecord(const QStringList& values, RowId* row, QString* error) override;
    bool deleteRecord(RowId row, const QString& shownName, QString* error) override;
    std::unique_ptr<FoodImportSession> beginImport(QString* error) override;

    bool nutrientCatalogue(NutrientCatalogue* catalogue, QString* error) const override;
    bool readFoodNutrients(RowId row, FoodNutrients* nutrients, QString* error) const override;
    bool servingGramsOf(const QString& name, std::optional<double>* grams, QString* error) const override;
    bool writeFoodNutrients(
        RowId row, const QString& shownName, const FoodNutrientChanges& changes, QString* error) override;
    bool readRowsWithNutrients(
        const QStringList& numbers, const NutrientRowVisitor& visit, QString* error) const override;
    bool readNutrientColumns(const QStringList& numbers, const std::vector<RowId>& rows,
        std::vector<std::vector<double>>* columns, QString* error) const override;
    bool readServingGrams(const std::vector<RowId>& rows, std::vector<double>* grams, QString* error) const override;
    bool readRichest(const QString& number, std::vector<RichFood>* foods, bool* found, QString* error) const override;

    bool listRecipes(std::vector<std::pair<qint64, QString>>* recipes, QString* error) const override;
    bool loadRecipe(qint64 id, Recipe* recipe, QString* error) const override;
    bool recipeValues(const Recipe& recipe, RecipeValues* values, QStringList* missing, QString* error) const override;
    bool saveRecipe(Recipe* recipe, QString* error, const QString& storedName = {}) override;
    bool renameRecipe(qint64 id, const QString& storedName, const QString& newName, QString* error) override;
    bool removeRecipe(qint64 id, const QString& storedName, QString* error) override;
    bool recipesUsing(const QString& foodName, QStringList* recipeNames, QString* error) const override;
    bool isRecipeRow(RowId row) const override;
    bool isRecipeName(const QString& name) const override;
    bool recipeRows(QSet<RowId>* rows, QString* error) const override;

    // The SQLite food table itself, for those that set a file up or measure it.
    FoodDatabase& table() { return m_table; }

private:
    QString m_path;
    // Mutable because a read through the recipes runs on the connection like any other statement.
    mutable FoodDatabase m_table;
    // The kept nutrients the lookups have read, for the next calculation while the file is unchanged.
    std::shared_ptr<KeptNutrientCache> m_keptNutrients;
};
