#pragma once

#include "core/nutrients/NutrientCatalogue.h"
#include "core/search/NutrientRanking.h"

#include <QDialog>
#include <QString>

#include <memory>
#include <vector>

class BackgroundFoodRead;
class FoodStore;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class RankingFoods;
class RichestFoodsModel;

// The Richest Foods window: the foods of the food table ranked by one nutrient of the catalogue,
// per serving, per 100 g or per 100 kcal, narrowed by a search box as the main window's food list
// is, and Add to Meal (or Enter) asks for the chosen food to be added to the current meal in the
// quantity typed. A large table is read behind the window, and another nutrient's values are read
// the same way; the window answers meanwhile.
class RichestFoodsDialog : public QDialog
{
    Q_OBJECT

public:
    // Opens on nutrient `number` when the catalogue has it, else on its first nutrient.
    explicit RichestFoodsDialog(FoodStore& foods, const QString& number = QString(), QWidget* parent = nullptr);
    ~RichestFoodsDialog() override;

    // Ranks by nutrient `number`; false when the catalogue has no such nutrient.
    bool chooseNutrient(const QString& number);
    QString chosenNutrient() const;
    void chooseBasis(NutrientRanking::Basis basis);
    // Whether the foods or a nutrient's values are being read behind the window.
    bool isReading() const;
    RichestFoodsModel* model() const { return m_model; }
    // The name of the food Add to Meal takes: the selected one, else the first while a search
    // narrows the list; empty when none.
    QString chosenFood() const;

signals:
    // Add to Meal: `quantity` is the text of the window's quantity box, read as the main window
    // reads its own.
    void addToMealRequested(const QString& food, const QString& quantity);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillNutrients();
    // Reads the foods and, beside them on a worker of its own, the chosen nutrient's values.
    void readFoods();
    void takeFoods(bool read, const QString& error);
    // Reads the values of nutrient `number`, for the foods read or, while they are being read,
    // for the rows the worker finds itself.
    void readColumn(const QString& number);
    void takeColumn(bool read, const QString& error);
    // Shows the ranking for the chosen nutrient and basis once the foods and its values are read,
    // reading the values first unless they were read or are being read.
    void showRanking();
    // While the foods or the values are read, the first foods of a ranking per serving, where the
    // table finds them without reading the others.
    void showFirstFoods();
    void showCount();
    void addChosen();
    NutrientRanking::Basis chosenBasis() const;
    const Nutrient* chosenNutrientEntry() const;

    FoodStore& m_foods;
    NutrientCatalogue m_catalogue;
    std::shared_ptr<RankingFoods> m_ranking;
    // The foods being read, and the nutrient values being read or read before the foods were.
    std::shared_ptr<RankingFoods> m_readingFoods;
    struct ColumnRead
    {
        QString number;
        std::vector<qint64> rows;
        std::vector<double> values;
        bool done = false;
    };
    std::shared_ptr<ColumnRead> m_column;
    BackgroundFoodRead* m_reader = nullptr;
    BackgroundFoodRead* m_columnReader = nullptr;
    RichestFoodsModel* m_model = nullptr;
    // The nutrient of the first foods the model shows, while it shows them.
    QString m_firstFoodsOf;
    QComboBox* m_nutrients = nullptr;
    QComboBox* m_basis = nullptr;
    QLineEdit* m_search = nullptr;
    QLabel* m_count = nullptr;
    QTableView* m_list = nullptr;
    QLineEdit* m_quantity = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_close = nullptr;
};
