#include "core/recipes/RecipeBook.h"

#include "core/files/TextLineReader.h"
#include "core/foods/FoodDatabase.h"
#include "core/plans/MealPlan.h"
#include "core/plans/PeriodFile.h"
#include "core/recipes/RecipeTables.h"
#include "core/sqlite/SqliteTransaction.h"
#include "core/text/MessageText.h"
#include "core/text/NumberText.h"

#include <QDir>
#include <QSet>

#include <algorithm>
#include <cmath>

namespace {

// The longest quantity text NumberToText makes, with room to spare.
constexpr qsizetype kLongestQuantity = 32;

bool isLineBreakOrControl(QChar c)
{
    return c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

bool hasLineBreakOrControl(const QString& text)
{
    return std::any_of(text.begin(), text.end(), isLineBreakOrControl);
}

void sortByName(QStringList* names)
{
    std::sort(names->begin(), names->end(), [](const QString& a, const QString& b) {
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
}

} // namespace

RecipeBook::RecipeBook(FoodDatabase& foods)
    : m_foods(foods)
{ }

QString RecipeBook::inFile(const QString& reason) const
{
    return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(m_foods.path()), reason);
}

bool RecipeBook::refuse(const QString& message, QString* error) const
{
    if (error) {
        *error = message;
    }
    return false;
}

QString RecipeBook::ingredientQuantity(const QString& typed, QString* reason)
{
    const double value = TextToNumber(typed);
    QString problem;
    if (typed.trimmed().isEmpty()) {
        problem = tr("Type a quantity.");
    } else if (value == 0 && !std::any_of(typed.begin(), typed.end(), [](QChar c) { return c.isDigit(); })) {
        problem = tr("\"%1\" is not a number.").arg(MessageText::quoted(typed.trimmed()));
    } else if (!(value > 0)) {
        problem = tr("The quantity must be more than 0.");
    }
    if (!problem.isEmpty()) {
        if (reason) {
            *reason = problem;
        }
        return QString();
    }
    return NumberToText(value);
}

QString RecipeBook::nameProblem(const QString& name)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty()) {
        return tr("The recipe needs a name.");
    }
    if (trimmed.contains(PeriodFile::Separator)) {
        return tr("A recipe's name cannot contain \"_\", which separates the fields of a saved plan.");
    }
    if (hasLineBreakOrControl(trimmed)) {
        return tr("A recipe's name cannot contain line breaks, tabs or control characters.");
    }
    // A planned recipe is a line of its meal's heading, its name and a quantity.
    if ((trimmed.size() + kLongestQuantity) * 3 > TextLineReader::MaxLineBytes / 2
        && (MealPlan::heading(MealPlan::Other) + trimmed).toUtf8().size() + 3 + kLongestQuantity
            > TextLineReader::MaxLineBytes) {
        return tr("The name is too long for a saved plan.");
    }
    return QString();
}

QString RecipeBook::servingsProblem(double servings)
{
    if (!(servings > 0) || !std::isfinite(servings)) {
        return tr("The number of servings must be a number above 0.");
    }
    return QString();
}

QString RecipeBook::checkFields(Recipe* recipe)
{
    QString problem = nameProblem(recipe->name);
    if (!problem.isEmpty()) {
        return problem;
    }
    recipe->name = recipe->name.trimmed();
    problem = servingsProblem(recipe->servings);
    if (!problem.isEmpty()) {
        return problem;
    }
    if (hasLineBreakOrControl(recipe->servingUnit)) {
        return tr("The serving unit cannot contain line breaks, tabs or control characters.");
    }
    QSet<QString> foods;
    for (RecipeIngredient& ingredient : recipe->ingredients) {
        if (ingredient.food.isEmpty()) {
            return tr("An ingredient has no food.");
        }
        if (foods.contains(ingredient.food)) {
            return tr("\"%1\" is an ingredient twice; put its quantities together.")
                .arg(MessageText::quoted(ingredient.food));
        }
        foods.insert(ingredient.food);
        QString reason;
        const QString quantity = ingredientQuantity(ingredient.quantity, &reason);
        if (quantity.isEmpty()) {
            return tr("The quantity of \"%1\": %2").arg(MessageText::quoted(ingredient.food), reason);
        }
        ingredient.quantity = quantity;
    }
    return QString();
}

bool RecipeBook::list(std::vector<std::pair<qint64, QString>>* recipes, QString* error) const
{
    recipes->clear();
    const bool read = inTransaction(
        Access::Read,
        [&](RecipeTables& tables, QString* message) {
            QString reason;
            bool exist = false;
            return (tables.exist(&exist, &reason) && (!exist || tables.list(recipes, &reason)))
                || refuse(inFile(reason), message);
        },
        error);
    std::sort(recipes->begin(), recipes->end(), [](const auto& a, const auto& b) {
        const int folded = a.second.compare(b.second, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a.second < b.second;
    });
    return read;
}

bool RecipeBook::load(qint64 id, Recipe* recipe, QString* error) const
{
    Recipe stored;
    if (!inTransaction(
            Access::Read,
            [&](RecipeTables& tables, QString* message) { return readStored(tables, id, &stored, nullptr, message); },
            error)) {
        return false;
    }
    *recipe = stored;
    return true;
}

bool RecipeBook::valuesPerServing(const Recipe& recipe, std::array<double, TotalsRow::NutrientCount>* values,
    QStringList* missing, QString* error) const
{
    const QString problem = servingsProblem(recipe.servings);
    if (!problem.isEmpty()) {
        return refuse(problem, error);
    }
    QStringList absent;
    RecipeTables::Values computed {};
    if (!inTransaction(
            Access::Read,
            [&](RecipeTables& tables, QString* message) {
                QString reason;
                return tables.values(recipe, &computed, &absent, &reason) || refuse(inFile(reason), message);
            },
            error)) {
        return false;
    }
    *values = computed;
    if (missing) {
        *missing = absent;
    }
    return true;
}

QString RecipeBook::write(RecipeTables& tables, Recipe* recipe, const QString& storedName) const
{
    QString reason;
    QString formerName;
    qint64 linkedRowid = 0;
    if (recipe->id != 0) {
        Recipe stored;
        bool found = false;
        if (!tables.read(recipe->id, &stored, &linkedRowid, &found, &reason)) {
            return inFile(reason);
        }
        if (!found || (!storedName.isEmpty() && stored.name != storedName)) {
            return goneMessage();
        }
        formerName = stored.name;
    }
    qint64 sameName = 0;
    if (!tables.recipeNamed(recipe->name, &sameName, &reason)) {
        return inFile(reason);
    }
    if (sameName != 0 && sameName != recipe->id) {
        return tr("A recipe named \"%1\" already exists.").arg(MessageText::quoted(recipe->name));
    }
    bool linked = false;
    bool otherFood = false;
    if ((linkedRowid > 0 && !tables.rowHolds(linkedRowid, formerName, &linked, &reason))
        || !tables.otherFoodNamed(recipe->name, linked ? linkedRowid : 0, &otherFood, &reason)) {
        return inFile(reason);
    }
    if (otherFood) {
        return tr("The food table already has a food named \"%1\"; a recipe needs a name of its own.")
            .arg(MessageText::quoted(recipe->name));
    }
    QStringList chain;
    if (!tables.findCycle(recipe->name, formerName, recipe->ingredients, &chain, &reason)) {
        return inFile(reason);
    }
    if (!chain.isEmpty()) {
        QString chainText = MessageText::quotedList(chain, MessageText::Marks::Without, QStringLiteral(" → "));
        // A long chain ends in "... and N more.", whose full stop ends the sentence too.
        if (chain.size() > MessageText::MaxListedItems) {
            chainText.chop(1);
        }
        return tr("\"%1\" cannot be made of itself: %2.").arg(MessageText::quoted(recipe->name), chainText);
    }
    if (!formerName.isEmpty() && formerName != recipe->name) {
        QString clash;
        if (!tables.renameIngredient(formerName, recipe->name, &clash, &reason)) {
            return inFile(reason);
        }
        if (!clash.isEmpty()) {
            return tr("The recipe \"%1\" has both \"%2\" and \"%3\" as ingredients.")
                .arg(MessageText::quoted(clash), MessageText::quoted(formerName), MessageText::quoted(recipe->name));
        }
    }
    RecipeTables::Values values {};
    qint64 rowid = 0;
    if (!tables.values(*recipe, &values, nullptr, &reason)
        || !tables.writeFoodRow(*recipe, linkedRowid, formerName, values, &rowid, &reason)
        || !tables.writeNutrients(*recipe, rowid, RecipeNutrients::Scope(), &reason)
        || !tables.writeDefinition(recipe, rowid, &reason) || !tables.recomputeUsing({ recipe->name }, &reason)) {
        return inFile(reason);
    }
    return QString();
}

bool RecipeBook::save(Recipe* recipe, QString* error, const QString& storedName)
{
    Recipe checked = *recipe;
    const QString problem = checkFields(&checked);
    if (!problem.isEmpty()) {
        return refuse(problem, error);
    }
    if (!inTransaction(
            Access::Write,
            [&](RecipeTables& tables, QString* message) {
                QString reason;
                if (!tables.create(&reason)) {
                    return refuse(inFile(reason), message);
                }
                const QString refusal = write(tables, &checked, storedName);
                return refusal.isEmpty() || refuse(refusal, message);
            },
            error)) {
        return false;
    }
    *recipe = checked;
    return true;
}

bool RecipeBook::inTransaction(
    Access access, const std::function<bool(RecipeTables&, QString*)>& work, QString* error) const
{
    if (!isOpen(error)) {
        return false;
    }
    SqliteTransaction transaction(m_foods.connection());
    RecipeTables tables(m_foods.connection());
    QString reason;
    if (!(access == Access::Write ? transaction.beginWrite(&reason) : transaction.beginRead(&reason))) {
        return refuse(inFile(reason), error);
    }
    if (!work(tables, error)) {
        return false;
    }
    return access == Access::Read || transaction.commit(&reason) || refuse(inFile(reason), error);
}

bool RecipeBook::isOpen(QString* error) const
{
    return m_foods.isOpen() || refuse(tr("The food table is not open."), error);
}

QString RecipeBook::goneMessage()
{
    return tr("The recipe is no longer in the food table; another program may have deleted or replaced it.");
}

bool RecipeBook::readStored(
    RecipeTables& tables, qint64 id, Recipe* recipe, qint64* rowid, QString* error, const QString& storedName) const
{
    QString reason;
    bool exist = false;
    bool found = false;
    if (!tables.exist(&exist, &reason) || (exist && !tables.read(id, recipe, rowid, &found, &reason))) {
        return refuse(inFile(reason), error);
    }
    if (!found || (!storedName.isEmpty() && recipe->name != storedName)) {
        return refuse(goneMessage(), error);
    }
    return true;
}

bool RecipeBook::rename(qint64 id, const QString& storedName, const QString& newName, QString* error)
{
    const QString problem = nameProblem(newName);
    if (!problem.isEmpty()) {
        return refuse(problem, error);
    }
    return inTransaction(
        Access::Write,
        [&](RecipeTables& tables, QString* message) {
            Recipe recipe;
            if (!readStored(tables, id, &recipe, nullptr, message, storedName)) {
                return false;
            }
            recipe.name = newName;
            QString refusal = checkFields(&recipe);
            if (refusal.isEmpty()) {
                refusal = write(tables, &recipe);
            }
            return refusal.isEmpty() || refuse(refusal, message);
        },
        error);
}

bool RecipeBook::remove(qint64 id, const QString& storedName, QString* error)
{
    return inTransaction(
        Access::Write,
        [&](RecipeTables& tables, QString* message) {
            Recipe recipe;
            qint64 rowid = 0;
            if (!readStored(tables, id, &recipe, &rowid, message, storedName)) {
                return false;
            }
            QString reason;
            QStringList users;
            if (!tables.directUserNames(recipe.name, id, &users, &reason)) {
                return refuse(inFile(reason), message);
            }
            if (!users.isEmpty()) {
                sortByName(&users);
                return refuse(tr("\"%1\" cannot be deleted while these recipes are made of it:\n%2")
                                  .arg(MessageText::quoted(recipe.name),
                                      MessageText::quotedList(users, MessageText::Marks::With, QStringLiteral("\n"))),
                    message);
            }
            bool linked = false;
            return (tables.rowHolds(rowid, recipe.name, &linked, &reason) && tables.deleteRecipe(id, &reason)
                       && (!linked || tables.deleteFoodRow(rowid, &reason)))
                || refuse(inFile(reason), message);
        },
        error);
}

bool RecipeBook::recipesUsing(const QString& foodName, QStringList* recipeNames, QString* error) const
{
    recipeNames->clear();
    std::vector<std::pair<Recipe, qint64>> users;
    if (!inTransaction(
            Access::Read,
            [&](RecipeTables& tables, QString* message) {
                QString reason;
                bool exist = false;
                return (tables.exist(&exist, &reason) && (!exist || tables.usersInOrder({ foodName }, &users, &reason)))
                    || refuse(inFile(reason), message);
            },
            error)) {
        return false;
    }
    for (const auto& user : users) {
        recipeNames->append(user.first.name);
    }
    sortByName(recipeNames);
    return true;
}

bool RecipeBook::recipeRows(const FoodDatabase& foods, QSet<qint64>* rowids, QString* error)
{
    rowids->clear();
    if (!foods.isOpen()) {
        return true;
    }
    RecipeTables tables(foods.connection());
    bool exist = false;
    return tables.exist(&exist, error) && (!exist || tables.recipeRows(rowids, error));
}

bool RecipeBook::isRecipeRow(qint64 rowid) const
{
    if (!m_foods.isOpen()) {
        return false;
    }
    RecipeTables tables(m_foods.connection());
    bool exist = false;
    qint64 id = 0;
    return tables.exist(&exist, nullptr) && exist && tables.recipeOfRow(rowid, &id, nullptr) && id != 0;
}

bool RecipeBook::isRecipeName(const QString& name) const
{
    if (!m_foods.isOpen()) {
        return false;
    }
    RecipeTables tables(m_foods.connection());
    bool exist = false;
    qint64 id = 0;
    return tables.exist(&exist, nullptr) && exist && tables.recipeNamed(name, &id, nullptr) && id != 0;
}
