#pragma once

#include "core/postgres/PgConnection.h"
#include "core/storage/FoodStore.h"
#include "core/storage/PgFoodCells.h"

#include <QCoreApplication>

#include <functional>

// The food table on a PostgreSQL server, through one libpq connection. The server keeps `foods`
// (an identity column `id` as the row's identity and the ten fields as texts, see PgFoodCells),
// a name index in the byte order SQLite gives names, the nutrient catalogue, each food's serving
// and values per serving, and `platewell_schema` with the version of these tables; all are made in
// one transaction the first time the table is opened. Reads of many rows go in batches by
// identity inside one snapshot, so no result is ever held whole beside what is made of it.
// Recipes are not kept on a server yet: the table reads as one without recipes, and every recipe
// write is refused.
class PostgresFoodStore : public FoodStore
{
    Q_DECLARE_TR_FUNCTIONS(PostgresFoodStore)

public:
    // The version of the tables this program makes and reads.
    static constexpr int SchemaVersion = 1;

    explicit PostgresFoodStore(const QString& location);
    ~PostgresFoodStore() override;

    QString location() const override { return m_location; }
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

    // How many foods readRichest() gives at least, where the table holds that many with a value.
    static constexpr int RichestKept = 300;

    // `reason` given with the table it concerns; always false, to return at once.
    bool fail(const QString& reason, QString* error) const;
    // The connection, for an import on it.
    PgConnection& connection() const { return m_db; }
    PgFoodCells& cells() const { return m_cells; }

    // Whether row `row` still bears `shownName`, locking it for the transaction open.
    bool holdsShownName(RowId row, const QString& shownName, QString* error) const;
    // The catalogue's nutrient ids by number.
    bool nutrientIds(QHash<QString, qint64>* ids, QString* error) const;

    // False, saying that recipes are not kept here yet.
    bool recipesRefused(QString* error) const;

private:
    // Makes the tables unless they are there, and refuses tables of a newer version.
    bool ensureSchema(QString* error);
    bool ensureOpen(QString* error) const;
    // Runs `read` in one state of the table: a read-only transaction of its own unless one is open.
    bool inSnapshot(const std::function<bool(QString*)>& read, QString* error) const;
    // Runs `write` in a transaction of its own after checking that `row` (when not 0) still bears
    // `shownName`.
    bool inWrite(RowId row, const QString& shownName, const std::function<bool(QString*)>& write, QString* error);
    // Hands `visit` every row of `select` (columns after `id`, from `from`) in identity order,
    // a batch at a time.
    using BatchVisitor = std::function<bool(const PgResult& result, int row, QString* reason)>;
    bool readBatches(const QString& select, const BatchVisitor& visit, QString* error) const;
    bool stopped(QString* error) const;
    // False, saying why, while a transaction of a lookup or an import is open on the connection.
    bool notBusy(QString* error) const;

    QString m_location;
    mutable PgConnection m_db;
    mutable PgFoodCells m_cells;
    const std::atomic<bool>* m_stop = nullptr;
};
