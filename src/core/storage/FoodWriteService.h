#pragma once

#include "core/foods/FoodFields.h"
#include "core/nutrients/FoodNutrients.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <functional>

class FoodDatabase;
class RecipeTables;

// The writes of foods that recipes follow, over an SQLite food table: each one writes the food
// and recomputes the recipes made of it in one immediate transaction, so the file holds either
// the old record and the old recipes or the new ones. A recipe's own row is refused, as is a food
// named as a recipe; a renamed food takes its recipes along, unless another food bears the new
// name. Failures come back as false with the reason, naming the file.
class FoodWriteService
{
    Q_DECLARE_TR_FUNCTIONS(FoodWriteService)

public:
    explicit FoodWriteService(FoodDatabase& foods);

    // See FoodStore::updateFields, insertRecord and deleteRecord.
    bool updateFields(qint64 rowid, const QString& shownName, const FoodFields::FieldChanges& changes, QString* error,
        QStringList* renamedIn);
    bool insertRecord(const QStringList& values, qint64* rowid, QString* error);
    bool deleteRecord(qint64 rowid, const QString& shownName, QString* error);
    // See FoodStore::writeFoodNutrients: the nutrient tables are made the first time a food keeps
    // a nutrient.
    bool writeNutrients(qint64 rowid, const QString& shownName, const FoodNutrientChanges& changes, QString* error);

private:
    // Runs `write` inside an immediate transaction, after checking that `rowid` still holds
    // `shownName` when `rowid` is given (not 0), with the file's recipes at hand (null in a file
    // without them); commits when it returns true.
    bool inTransaction(qint64 rowid, const QString& shownName,
        const std::function<bool(RecipeTables* recipes, QString*)>& write, QString* error);

    FoodDatabase& m_foods;
};
