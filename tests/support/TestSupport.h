#pragma once

#include "core/storage/FoodStore.h"
#include "core/totals/TotalsCalculator.h"
#include "core/workspace/Workspace.h"

#include "core/foods/StoredRow.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <memory>

class QWidget;

// Runs `action` on the next modal window as soon as it is shown (a window opened with exec()),
// so a test can work a modal window and close it. The action must close the window. A test that
// expects no modal window deletes the watch it is given before it ends.
QPointer<QTimer> whenModal(std::function<void(QWidget*)> action);

// A real Platewell folder in a temporary directory: its own data folder and, on request, a food
// table file.
class TestFolder
{
public:
    TestFolder();

    QString path() const { return m_dir.path(); }
    QString databasePath() const;
    QString dataFolder() const;
    // The places the program works in for this folder: data folder, food table, plan on screen.
    UserFiles::Places places() const;
    // A workspace over this folder, as the program makes it at start, and the user's files alone.
    std::unique_ptr<Workspace> workspace() const;
    std::unique_ptr<UserFiles> files() const;

    // A food table from CSV rows (without header) of the ten fields.
    void createFoods(const QStringList& csvRows) const;
    // The starter food table, as a new installation gets it.
    void createStarterFoods() const;

private:
    QTemporaryDir m_dir;
};

// Adds an entry to a meal of the plan on screen, as the plan's one change.
void addToMeal(PlanDocument& plan, int meal, const QString& food, const QString& quantity);

// A CSV row of the ten fields, quoting the name.
QString foodRow(const QString& name, const QString& unit, const QStringList& nutrients = {});

// Writes `bytes` to the file at `path`, failing the test when it cannot.
void writeFile(const QString& path, const QByteArray& bytes);

// The row of the first food named `name`, or 0 when no food bears it.
FoodStore::RowId rowOf(const FoodStore& foods, const QString& name);

// The nutrients of the first food named `name`, read through `foods` or from the food table file
// `database`; none, with a warning, when they cannot be read.
FoodNutrients nutrientsOf(const FoodStore& foods, const QString& name);
FoodNutrients nutrientsOf(const QString& database, const QString& name);

// Writes `changes` to the nutrients of the first food named `name`; false, with a warning, when
// they cannot be written.
bool writeNutrients(FoodStore& foods, const QString& name, const FoodNutrientChanges& changes);

// Whether two calculations gave the same rows with the same labels and the same totals to the
// last bit, and stopped alike.
bool sameBits(const TotalsResult& a, const TotalsResult& b);

// A stored cell spelled with its kind, to the last bit of a real and the last byte of a text.
QString storedCellText(const StoredCell& cell);
