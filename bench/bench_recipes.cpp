// Times the recipes over a table of 1,000,000 foods and 10,000 recipes of 2 to 30 ingredients, one
// in twenty-five made of another recipe: opening the Recipes window (the list and one recipe), the
// preview of a 30-ingredient recipe, saving a recipe, and editing a food that 1,000 recipes are
// made of, which recomputes them and the recipes made of those in the same transaction; then the
// Recipes window itself, shown, and a keystroke in a quantity with the values it shows. Every food
// keeps 73 nutrients beside its ten fields, which the recipes sum too; editing one of the popular
// food's nutrients is timed beside the edit of its ten fields. Each
// figure is the median of several runs, with the file synchronised as in use.

#include "BenchFoods.h"
#include "core/files/UserFiles.h"
#include "core/foods/FoodDatabase.h"
#include "core/sqlite/SqliteConnection.h"
#include "core/storage/SqliteFoodStore.h"
#include "core/text/NumberText.h"
#include "gui/planner/FoodListModel.h"
#include "gui/recipes/RecipesWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListView>
#include <QSet>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

namespace {

constexpr int kFoods = 1'000'000;
constexpr int kRecipes = 10'000;
constexpr int kRuns = 15;

double medianMs(const std::function<bool()>& run)
{
    std::vector<double> times;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (!run()) {
            return -1;
        }
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

int fail(const QString& error)
{
    std::fprintf(stderr, "%s\n", qPrintable(error));
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("foods.db"));
    QString error;
    std::printf("Making %d foods and %d recipes...\n", kFoods, kRecipes);
    std::fflush(stdout);
    if (!bench::makeFoodTableFile(path, kFoods, &error) || !bench::addNutrients(path, &error)) {
        return fail(error);
    }
    SqliteFoodStore foods(path);
    std::vector<TextColumn> columns;
    std::vector<qint64> rowids;
    if (!foods.refresh(&error) || !foods.readColumns({ FoodDatabase::FOOD }, &columns, &rowids, &error)) {
        return fail(error);
    }
    const TextColumn& names = columns[0];
    const std::size_t popularIndex = names.size() / 2;
    const QString popular = names.at(popularIndex);

    // The recipes are made without waiting for the disk, then timed as the program runs.
    foods.table().connection().execute("PRAGMA synchronous = OFF");
    QRandomGenerator random(7);
    Recipe longest;
    for (int i = 0; i < kRecipes; ++i) {
        Recipe recipe;
        recipe.name = QStringLiteral("Recipe %1").arg(i);
        recipe.servings = 1 + random.bounded(8);
        const int count = i == 0 ? 30 : 2 + random.bounded(29);
        QSet<QString> used;
        auto add = [&](const QString& food) {
            if (!used.contains(food)) {
                used.insert(food);
                recipe.ingredients.push_back({ food, NumberToText(0.25 + random.bounded(40) / 8.0) });
            }
        };
        if (i % 10 == 0) {
            add(popular);
        }
        if (i % 25 == 1) {
            add(QStringLiteral("Recipe %1").arg(i - 1));
        }
        while (int(recipe.ingredients.size()) < count) {
            add(names.at(random.bounded(int(names.size()))));
        }
        if (!foods.saveRecipe(&recipe, &error)) {
            return fail(error);
        }
        if (i == 0) {
            longest = recipe;
        }
    }
    foods.table().connection().execute("PRAGMA synchronous = FULL");
    QStringList users;
    if (!foods.recipesUsing(popular, &users, &error)) {
        return fail(error);
    }

    std::printf("%d foods, %d recipes; %lld recipes made of \"%s\" directly or not\n", kFoods, kRecipes,
        static_cast<long long>(users.size()), qPrintable(popular));
    const double open = medianMs([&] {
        std::vector<std::pair<qint64, QString>> recipes;
        Recipe first;
        return foods.listRecipes(&recipes, &error) && foods.loadRecipe(recipes.front().first, &first, &error);
    });
    std::array<double, TotalsRow::NutrientCount> values {};
    const double preview = medianMs([&] { return foods.recipeValues(longest, &values, nullptr, &error); });
    const double save = medianMs([&] {
        longest.servings = longest.servings == 2 ? 3 : 2;
        return foods.saveRecipe(&longest, &error);
    });
    int calories = 100;
    const double edit = medianMs([&] {
        return foods.updateFields(
            rowids[popularIndex], popular, { { FoodDatabase::CALORIES, QString::number(++calories) } }, &error);
    });
    double sodium = 1;
    const double editNutrient = medianMs([&] {
        FoodNutrientChanges changes;
        changes.values.insert(QStringLiteral("307"), ++sodium);
        return foods.writeFoodNutrients(rowids[popularIndex], popular, changes, &error);
    });
    if (open < 0 || preview < 0 || save < 0 || edit < 0 || editNutrient < 0) {
        return fail(error);
    }

    // The window itself: its food list taken from the main window's, already read; then the
    // values of one serving as a quantity is typed, a keystroke at a time.
    FoodListModel shown;
    {
        std::vector<TextColumn> listed;
        std::vector<qint64> listedRows;
        std::vector<std::uint32_t> order;
        if (!foods.readColumns({ FoodDatabase::FOOD, FoodDatabase::SERVING_UN }, &listed, &listedRows, &error)) {
            return fail(error);
        }
        foods.readNameOrder(listedRows, &order, nullptr);
        shown.setFoods(std::move(listed[0]), std::move(listed[1]), std::move(order));
    }
    const UserFiles files({ dir.path(), path, QString() });
    const double window = medianMs([&] {
        RecipesWindow recipes(files, foods, &shown);
        recipes.show();
        QCoreApplication::processEvents();
        return recipes.findChild<QListView*>(QStringLiteral("RecipeList"))->model()->rowCount() == kRecipes;
    });
    std::unique_ptr<RecipesWindow> typing = std::make_unique<RecipesWindow>(files, foods, &shown);
    typing->show();
    auto* list = typing->findChild<QListView*>(QStringLiteral("RecipeList"));
    list->setCurrentIndex(
        list->model()->match(list->model()->index(0, 0), Qt::DisplayRole, longest.name, 1, Qt::MatchExactly).value(0));
    auto* quantity = typing->findChild<QLineEdit*>(QStringLiteral("RecipeQuantity"));
    int typed = 0;
    const double keystroke = medianMs([&] {
        const QString text = QString::number(1 + (++typed % 9));
        quantity->setText(text);
        emit quantity->textEdited(text);
        return typing->recipe().ingredients.front().quantity.trimmed() == text;
    });
    typing.reset();
    if (window < 0 || keystroke < 0) {
        return fail(QStringLiteral("the Recipes window did not show the recipes"));
    }
    std::printf("  opening the Recipes window (list and one recipe): %8.2f ms (target 200)\n", open);
    std::printf("  preview of a 30-ingredient recipe:               %8.2f ms (target 10)\n", preview);
    std::printf("  saving a 30-ingredient recipe:                   %8.2f ms (target 50)\n", save);
    std::printf("  editing a food of %lld recipes, recompute included: %6.2f ms (target 200)\n",
        static_cast<long long>(users.size()), edit);
    std::printf("  editing a nutrient of that food, recompute included: %6.2f ms\n", editNutrient);
    std::printf(
        "  the Recipes window shown with %d foods and %d recipes: %6.2f ms (target 200)\n", kFoods, kRecipes, window);
    std::printf("  a keystroke in a quantity, values shown:          %8.2f ms (target 10)\n", keystroke);
    std::printf("  (medians of %d runs)\n", kRuns);
    return 0;
}
