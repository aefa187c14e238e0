#pragma once

#include "core/recipes/Recipe.h"

#include <QDialog>

#include <array>

class UserFiles;
class FoodStore;
class FoodListModel;
class FoodPicker;
class MealTable;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QTableView;
class RecipeIngredientsModel;
class RecipeListModel;
class RecipePreviewModel;

// The Recipes window: the list of recipes and, for the chosen one, its name, how many servings
// it makes, its serving unit and its ingredients, each a food of the food table with a quantity
// in that food's serving units. Foods are found with the same search box and list as in the main
// window; the values of one serving follow every change as it is typed. Save writes the recipe
// and its own row of the food table in one step, so that it is planned like any other food.
class RecipesWindow : public QDialog
{
    Q_OBJECT

public:
    // `shownFoods`, when given, is a food list already read from the table, which the window's
    // own food list then shows without reading the table again.
    RecipesWindow(
        const UserFiles& files, FoodStore& foods, const FoodListModel* shownFoods = nullptr, QWidget* parent = nullptr);

    // Starts a new recipe whose ingredients are the entries of `meal`.
    void startFromMeal(const MealTable& meal);
    // Whether any save, rename or delete changed the food table.
    bool changedFoods() const { return m_changedFoods; }
    // The recipe being edited, as typed.
    const Recipe& recipe() const { return m_recipe; }

public slots:
    void newRecipe();
    void renameRecipe();
    void deleteRecipe();
    // Saves the recipe; false, after a message that keeps what was typed, when it was not saved.
    bool saveRecipe();
    // Adds the food chosen in the food list as an ingredient of one serving unit, ready for its
    // quantity to be typed.
    void addIngredient();
    void removeIngredient();
    void moveIngredientUp();
    void moveIngredientDown();

protected:
    void reject() override;

private:
    void buildControls();
    void fillRecipeList(qint64 chosen);
    void showRecipe(const Recipe& recipe);
    void showIngredients(int current);
    // Shows the quantity of the ingredient in `row` in the box that changes it.
    void showQuantity(int row);
    int currentIngredient() const;
    void showPreview();
    void chooseRecipe();
    void moveIngredient(int step);
    // Asks before edits that are not saved are dropped; true to go on.
    bool mayDropEdits();
    void setEdited(bool edited);

    const UserFiles& m_files;
    FoodStore& m_foods;
    Recipe m_recipe;
    // The name the shown recipe has in the file as last read or written, to check before a write
    // that its id still stands for the same recipe.
    QString m_storedName;
    bool m_edited = false;
    bool m_changedFoods = false;
    bool m_showing = false;

    RecipeListModel* m_recipeRows = nullptr;
    RecipeIngredientsModel* m_ingredientRows = nullptr;
    RecipePreviewModel* m_previewRow = nullptr;
    QListView* m_recipes = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_servings = nullptr;
    QLineEdit* m_servingUnit = nullptr;
    QTableView* m_ingredients = nullptr;
    QLineEdit* m_quantity = nullptr;
    QLabel* m_quantityNote = nullptr;
    FoodPicker* m_picker = nullptr;
    QTableView* m_preview = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_rename = nullptr;
    QPushButton* m_delete = nullptr;
};
