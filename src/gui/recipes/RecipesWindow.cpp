#include "gui/recipes/RecipesWindow.h"

#include "core/files/UserFiles.h"
#include "core/plans/MealTable.h"
#include "core/recipes/RecipeBook.h"
#include "core/storage/FoodStore.h"
#include "core/text/MessageText.h"
#include "core/text/NumberText.h"
#include "core/totals/TotalsCalculator.h"
#include "gui/common/CommandButton.h"
#include "gui/common/Prompt.h"
#include "gui/planner/FoodListModel.h"
#include "gui/planner/FoodPicker.h"
#include "gui/recipes/RecipeIngredientsModel.h"
#include "gui/recipes/RecipeListModel.h"
#include "gui/recipes/RecipePreviewModel.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

namespace {

constexpr QSize kWindowSize { 1000, 560 };
constexpr int kRecipeListWidth = 200;
constexpr int kFoodListWidth = 260;

} // namespace

RecipesWindow::RecipesWindow(const UserFiles& files, FoodStore& foods, const FoodListModel* shownFoods, QWidget* parent)
    : QDialog(parent)
    , m_files(files)
    , m_foods(foods)
{
    setObjectName(QStringLiteral("Recipes"));
    setWindowTitle(tr("Recipes") + QStringLiteral("[*]"));
    setSizeGripEnabled(true);
    buildControls();
    connect(m_picker, &FoodPicker::readFailed, this,
        [this](const QString& error) { Prompt::error(this, tr("The food table cannot be read.\n%1").arg(error)); });
    QString error;
    // A list still being read behind the main window is read here too, not copied half.
    if (shownFoods && shownFoods->isComplete()) {
        m_picker->copyFoods(*shownFoods);
    } else if (m_picker->fill(m_foods, &error) != FoodPicker::FillResult::Filled) {
        Prompt::error(this, tr("The food table cannot be read.\n%1").arg(error));
    }
    fillRecipeList(0);
    if (m_recipeRows->rowCount() > 0) {
        m_recipes->setCurrentIndex(m_recipeRows->index(0));
    } else {
        showRecipe(Recipe());
    }
    resize(kWindowSize);
}

void RecipesWindow::buildControls()
{
    // The recipes, with the commands that work on the list.
    m_recipeRows = new RecipeListModel(this);
    m_recipes = new QListView(this);
    m_recipes->setObjectName(QStringLiteral("RecipeList"));
    m_recipes->setAccessibleName(tr("Recipes"));
    m_recipes->setMinimumWidth(kRecipeListWidth);
    m_recipes->setModel(m_recipeRows);
    m_recipes->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(m_recipes->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &RecipesWindow::chooseRecipe);
    auto* newButton = makeCommandButton(this, QStringLiteral("RecipeNew"), tr("&New"));
    m_rename = makeCommandButton(this, QStringLiteral("RecipeRename"), tr("Re&name..."));
    m_delete = makeCommandButton(this, QStringLiteral("RecipeDelete"), tr("&Delete"));
    connect(newButton, &QPushButton::clicked, this, &RecipesWindow::newRecipe);
    connect(m_rename, &QPushButton::clicked, this, &RecipesWindow::renameRecipe);
    connect(m_delete, &QPushButton::clicked, this, &RecipesWindow::deleteRecipe);
    auto* listCommands = new QHBoxLayout;
    listCommands->addWidget(newButton);
    listCommands->addWidget(m_rename);
    listCommands->addWidget(m_delete);
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(tr("Recipes"), this));
    left->addWidget(m_recipes, 1);
    left->addLayout(listCommands);

    // The chosen recipe.
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("RecipeName"));
    m_servings = new QLineEdit(this);
    m_servings->setObjectName(QStringLiteral("RecipeServings"));
    m_servingUnit = new QLineEdit(this);
    m_servingUnit->setObjectName(QStringLiteral("RecipeServingUnit"));
    connect(m_name, &QLineEdit::textEdited, this, [this](const QString& text) {
        m_recipe.name = text;
        setEdited(true);
    });
    connect(m_servings, &QLineEdit::textEdited, this, [this](const QString& text) {
        m_recipe.servings = TextToNumber(text);
        setEdited(true);
        showPreview();
    });
    connect(m_servingUnit, &QLineEdit::textEdited, this, [this](const QString& text) {
        m_recipe.servingUnit = text;
        setEdited(true);
    });
    auto* form = new QFormLayout;
    form->addRow(tr("N&ame:"), m_name);
    form->addRow(tr("&Servings it makes:"), m_servings);
    form->addRow(tr("Serving &unit:"), m_servingUnit);

    m_ingredientRows = new RecipeIngredientsModel(m_recipe, this);
    m_ingredients = new QTableView(this);
    m_ingredients->setObjectName(QStringLiteral("RecipeIngredients"));
    m_ingredients->setAccessibleName(tr("Ingredients"));
    m_ingredients->setModel(m_ingredientRows);
    m_ingredients->horizontalHeader()->setSectionResizeMode(RecipeIngredientsModel::FoodColumn, QHeaderView::Stretch);
    m_ingredients->verticalHeader()->hide();
    m_ingredients->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_ingredients->setSelectionMode(QAbstractItemView::SingleSelection);
    m_ingredients->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(m_ingredients->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
        [this](const QModelIndex& current) { showQuantity(current.row()); });

    // The quantity of the chosen ingredient: the values follow as it is typed; a quantity that
    // cannot be one is said beside the box and not taken.
    m_quantity = new QLineEdit(this);
    m_quantity->setObjectName(QStringLiteral("RecipeQuantity"));
    m_quantity->setAccessibleName(tr("Quantity of the chosen ingredient"));
    m_quantity->setEnabled(false);
    m_quantityNote = new QLabel(this);
    m_quantityNote->setObjectName(QStringLiteral("RecipeQuantityNote"));
    connect(m_quantity, &QLineEdit::textEdited, this, [this](const QString& text) {
        const int row = currentIngredient();
        if (row < 0) {
            return;
        }
        QString reason;
        const QString quantity = RecipeBook::ingredientQuantity(text, &reason);
        m_quantityNote->setText(reason);
        if (quantity.isEmpty()) {
            return;
        }
        m_ingredientRows->setQuantity(row, quantity);
        setEdited(true);
        showPreview();
    });
    auto* quantityLabel = new QLabel(tr("&Quantity:"), this);
    quantityLabel->setBuddy(m_quantity);
    auto* remove = makeCommandButton(this, QStringLiteral("RecipeRemoveIngredient"), tr("&Remove"));
    auto* up = makeCommandButton(this, QStringLiteral("RecipeUp"), tr("U&p"));
    auto* down = makeCommandButton(this, QStringLiteral("RecipeDown"), tr("Do&wn"));
    connect(remove, &QPushButton::clicked, this, &RecipesWindow::removeIngredient);
    connect(up, &QPushButton::clicked, this, &RecipesWindow::moveIngredientUp);
    connect(down, &QPushButton::clicked, this, &RecipesWindow::moveIngredientDown);
    auto* ingredientCommands = new QHBoxLayout;
    ingredientCommands->addWidget(quantityLabel);
    ingredientCommands->addWidget(m_quantity);
    ingredientCommands->addWidget(m_quantityNote, 1);
    ingredientCommands->addWidget(remove);
    ingredientCommands->addWidget(up);
    ingredientCommands->addWidget(down);

    // One serving's values, as the totals grid names them.
    m_previewRow = new RecipePreviewModel(this);
    m_preview = new QTableView(this);
    m_preview->setObjectName(QStringLiteral("RecipePreview"));
    m_preview->setAccessibleName(tr("Values of one serving"));
    m_preview->setModel(m_previewRow);
    m_preview->verticalHeader()->hide();
    m_preview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_preview->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_preview->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int previewHeight = m_preview->horizontalHeader()->sizeHint().height()
        + m_preview->verticalHeader()->defaultSectionSize() + 2 * m_preview->frameWidth()
        + m_preview->horizontalScrollBar()->sizeHint().height();
    m_preview->setFixedHeight(std::max(previewHeight, m_preview->minimumSizeHint().height()));

    auto* middle = new QVBoxLayout;
    middle->addLayout(form);
    middle->addWidget(new QLabel(tr("Ingredients"), this));
    middle->addWidget(m_ingredients, 1);
    middle->addLayout(ingredientCommands);
    middle->addWidget(new QLabel(tr("One serving"), this));
    middle->addWidget(m_preview);

    // The foods to add, found as in the main window.
    m_picker = new FoodPicker(this);
    m_picker->searchBox()->setClearButtonEnabled(true);
    m_picker->list()->setMinimumWidth(kFoodListWidth);
    auto* add = makeCommandButton(this, QStringLiteral("RecipeAdd"), tr("&Add to Recipe"));
    connect(add, &QPushButton::clicked, this, &RecipesWindow::addIngredient);
    connect(m_picker, &FoodPicker::taken, this, &RecipesWindow::addIngredient);
    QBoxLayout* right = m_picker->makeLayout();
    right->addWidget(add);

    auto* buttons = new QDialogButtonBox(this);
    m_save = buttons->addButton(tr("Sa&ve"), QDialogButtonBox::AcceptRole);
    m_save->setObjectName(QStringLiteral("RecipeSave"));
    auto* close = buttons->addButton(QDialogButtonBox::Close);
    close->setObjectName(QStringLiteral("RecipeClose"));
    connect(m_save, &QPushButton::clicked, this, &RecipesWindow::saveRecipe);
    connect(buttons, &QDialogButtonBox::rejected, this, &RecipesWindow::reject);

    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(middle, 1);
    columns->addLayout(right);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addWidget(buttons);
}

void RecipesWindow::fillRecipeList(qint64 chosen)
{
    m_showing = true;
    std::vector<std::pair<qint64, QString>> recipes;
    QString error;
    if (!m_foods.listRecipes(&recipes, &error)) {
        Prompt::error(this, tr("The recipes cannot be read.\n%1").arg(error));
    }
    m_recipeRows->setRecipes(std::move(recipes));
    const int row = m_recipeRows->rowOf(chosen);
    if (row >= 0) {
        m_recipes->setCurrentIndex(m_recipeRows->index(row));
    }
    m_showing = false;
}

void RecipesWindow::chooseRecipe()
{
    if (m_showing) {
        return;
    }
    const qint64 id = m_recipeRows->idAt(m_recipes->currentIndex().row());
    if (id == m_recipe.id && id != 0) {
        return;
    }
    if (!mayDropEdits()) {
        // Back to the recipe being edited.
        fillRecipeList(m_recipe.id);
        return;
    }
    if (id == 0) {
        return;
    }
    Recipe recipe;
    QString error;
    if (!m_foods.loadRecipe(id, &recipe, &error)) {
        Prompt::error(this, tr("The recipe cannot be read.\n%1").arg(error));
        fillRecipeList(m_recipe.id);
        return;
    }
    showRecipe(recipe);
}

void RecipesWindow::showRecipe(const Recipe& recipe)
{
    m_ingredientRows->setRecipe(recipe);
    m_storedName = recipe.id != 0 ? recipe.name : QString();
    m_name->setText(recipe.name);
    m_servings->setText(NumberToText(recipe.servings).trimmed());
    m_servingUnit->setText(recipe.servingUnit);
    m_rename->setEnabled(recipe.id != 0);
    m_delete->setEnabled(recipe.id != 0);
    showIngredients(recipe.ingredients.empty() ? -1 : 0);
    setEdited(false);
}

void RecipesWindow::showIngredients(int current)
{
    // Each ingredient's serving unit, as the food table holds it now.
    QHash<QString, QString> units;
    for (const RecipeIngredient& ingredient : m_recipe.ingredients) {
        QString unit;
        if (m_foods.servingUnitOf(ingredient.food, &unit, nullptr) && !units.contains(ingredient.food)) {
            units.insert(ingredient.food, unit);
        }
    }
    m_ingredientRows->setServingUnits(units);
    if (current >= 0 && current < m_ingredientRows->rowCount()) {
        m_ingredients->selectRow(current);
        m_ingredients->setCurrentIndex(m_ingredientRows->index(current, RecipeIngredientsModel::QuantityColumn));
    }
    showQuantity(current);
    showPreview();
}

void RecipesWindow::showQuantity(int row)
{
    const bool chosen = row >= 0 && row < int(m_recipe.ingredients.size());
    m_quantity->setEnabled(chosen);
    m_quantity->setText(chosen ? m_recipe.ingredients[std::size_t(row)].quantity.trimmed() : QString());
    m_quantityNote->clear();
}

int RecipesWindow::currentIngredient() const
{
    const int row = m_ingredients->currentIndex().row();
    return row < int(m_recipe.ingredients.size()) ? row : -1;
}

void RecipesWindow::showPreview()
{
    FoodStore::RecipeValues values {};
    QStringList missing;
    QString error;
    const bool read = m_recipe.servings > 0 && m_foods.recipeValues(m_recipe, &values, &missing, &error);
    m_previewRow->setValues(read ? std::optional(values) : std::nullopt);
    // An ingredient whose food left the food table counts nothing and says so.
    m_ingredientRows->setMissing(missing);
}

void RecipesWindow::setEdited(bool edited)
{
    m_edited = edited;
    setWindowModified(edited);
}

bool RecipesWindow::mayDropEdits()
{
    if (!m_edited) {
        return true;
    }
    const QString name = m_recipe.name.isEmpty() ? tr("the new recipe")
                                                 : QStringLiteral("\"%1\"").arg(MessageText::quoted(m_recipe.name));
    return Prompt::question(this, tr("The changes to %1 are not saved. Leave them unsaved?").arg(name), tr("Recipes"));
}

void RecipesWindow::newRecipe()
{
    if (!mayDropEdits()) {
        return;
    }
    m_showing = true;
    m_recipes->selectionModel()->clear();
    m_showing = false;
    showRecipe(Recipe());
    m_name->setFocus(Qt::OtherFocusReason);
}

void RecipesWindow::startFromMeal(const MealTable& meal)
{
    if (!mayDropEdits()) {
        return;
    }
    Recipe recipe;
    for (int slot = 1; slot <= meal.count(); ++slot) {
        recipe.ingredients.push_back({ meal.slot(slot).FoodName, meal.slot(slot).QuantityText });
    }
    m_showing = true;
    m_recipes->selectionModel()->clear();
    m_showing = false;
    showRecipe(recipe);
    setEdited(!recipe.ingredients.empty());
    m_name->setFocus(Qt::OtherFocusReason);
}

void RecipesWindow::addIngredient()
{
    const QString food = m_picker->chosenFood();
    if (food.isEmpty()) {
        return;
    }
    for (std::size_t i = 0; i < m_recipe.ingredients.size(); ++i) {
        if (m_recipe.ingredients[i].food == food) {
            // Already there: go to it, so its quantity can be changed.
            showIngredients(int(i));
            m_quantity->setFocus(Qt::OtherFocusReason);
            m_quantity->selectAll();
            return;
        }
    }
    m_ingredientRows->append({ food, NumberToText(1) });
    setEdited(true);
    showIngredients(int(m_recipe.ingredients.size()) - 1);
    m_quantity->setFocus(Qt::OtherFocusReason);
    m_quantity->selectAll();
}

void RecipesWindow::removeIngredient()
{
    const int row = currentIngredient();
    if (row < 0) {
        return;
    }
    m_ingredientRows->remove(row);
    setEdited(true);
    showIngredients(std::min(row, int(m_recipe.ingredients.size()) - 1));
}

void RecipesWindow::moveIngredientUp()
{
    moveIngredient(-1);
}

void RecipesWindow::moveIngredientDown()
{
    moveIngredient(1);
}

void RecipesWindow::moveIngredient(int step)
{
    const int row = currentIngredient();
    const int to = row + step;
    if (row < 0 || to < 0 || to >= int(m_recipe.ingredients.size())) {
        return;
    }
    m_ingredientRows->swap(row, to);
    setEdited(true);
    showIngredients(to);
}

bool RecipesWindow::saveRecipe()
{
    if (!m_quantityNote->text().isEmpty()) {
        Prompt::error(this, m_quantityNote->text());
        m_quantity->setFocus(Qt::OtherFocusReason);
        return false;
    }
    QString error;
    if (!m_foods.refresh(&error)) {
        Prompt::error(this, tr("The recipe was not saved.\n%1").arg(error));
        return false;
    }
    Recipe saved = m_recipe;
    if (!m_foods.saveRecipe(&saved, &error, m_storedName)) {
        // What was typed stays, to be mended and saved again.
        Prompt::error(this, tr("The recipe was not saved.\n%1").arg(error));
        return false;
    }
    m_ingredientRows->setRecipe(saved);
    m_storedName = saved.name;
    m_changedFoods = true;
    // The recipe is a food now, to be used in other recipes too.
    m_picker->fill(m_foods, &error);
    setEdited(false);
    fillRecipeList(m_recipe.id);
    m_rename->setEnabled(true);
    m_delete->setEnabled(true);
    showPreview();
    return true;
}

void RecipesWindow::renameRecipe()
{
    if (m_recipe.id == 0) {
        return;
    }
    const QString name = Prompt::input(
        this, tr("Rename Recipe"), tr("The new name of the recipe \"%1\":").arg(MessageText::quoted(m_recipe.name)));
    if (name.isEmpty() || name == m_recipe.name) {
        return;
    }
    QString error;
    // As Save does: a food table another program replaced is reopened, not written through a
    // connection to the old file.
    if (!m_foods.refresh(&error)) {
        Prompt::error(this, tr("The recipe was not renamed.\n%1").arg(error));
        return;
    }
    if (!m_foods.renameRecipe(m_recipe.id, m_storedName, name, &error)) {
        Prompt::error(this, tr("The recipe was not renamed.\n%1").arg(error));
        return;
    }
    m_recipe.name = name;
    m_storedName = name;
    m_name->setText(name);
    m_changedFoods = true;
    fillRecipeList(m_recipe.id);
}

void RecipesWindow::deleteRecipe()
{
    if (m_recipe.id == 0) {
        return;
    }
    if (!Prompt::question(this,
            tr("Delete the recipe \"%1\"? Its food leaves the food table too.").arg(MessageText::quoted(m_recipe.name)),
            tr("Delete Recipe"))) {
        return;
    }
    QString error;
    if (!m_foods.refresh(&error)) {
        Prompt::error(
            this, tr("The recipe \"%1\" was not deleted.\n%2").arg(MessageText::quoted(m_recipe.name), error));
        return;
    }
    if (!m_foods.removeRecipe(m_recipe.id, m_storedName, &error)) {
        Prompt::error(
            this, tr("The recipe \"%1\" was not deleted.\n%2").arg(MessageText::quoted(m_recipe.name), error));
        return;
    }
    m_changedFoods = true;
    setEdited(false);
    fillRecipeList(0);
    if (m_recipeRows->rowCount() > 0) {
        m_recipes->setCurrentIndex(m_recipeRows->index(0));
    } else {
        showRecipe(Recipe());
    }
}

void RecipesWindow::reject()
{
    if (mayDropEdits()) {
        QDialog::reject();
    }
}
