#pragma once

#include "core/totals/TotalsCalculator.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <array>

class FoodStore;
class PlanDocument;
class UserFiles;

// The plan on screen added up as it changes, for the main window's live totals: the whole day as
// the totals window's Active row gives it, and each meal on its own, with every nutrient the food
// table keeps. A change to one meal adds up that meal and the day again, nothing else. It starts
// switched off; while off it adds up nothing, and it catches up when switched on.
class LiveTotals : public QObject
{
    Q_OBJECT

public:
    LiveTotals(const PlanDocument& plan, FoodStore& foods, const UserFiles& files, QObject* parent = nullptr);

    struct Sum
    {
        TotalsRow nine;
        NutrientTotalsRow nutrients;
    };

    const Sum& day() const { return m_day; }
    const Sum& meal(int meal) const { return m_meals[static_cast<std::size_t>(meal)]; }
    // The nutrient numbers of the sums' slots, in the catalogue's display order.
    const QStringList& numbers() const { return m_numbers; }
    // Why the last adding up failed (the food table could not be read), else empty. The sums are
    // then empty.
    const QString& error() const { return m_error; }

    // A value of a sum: one of the nine (`number` empty) or a kept nutrient by its number; the
    // count of planned foods that lack it in `unknown`. Zero for a number the table does not keep.
    double value(const Sum& sum, int nine, const QString& number, int* unknown = nullptr) const;

    // Whether the sums are those of the plan on screen: not before it was first switched on, nor
    // while switched off after a change.
    bool isCurrent() const { return m_current; }
    bool isOn() const { return m_on; }
    void setOn(bool on);
    // Adds up every meal again, for a food table that changed under the plan.
    void refresh();

signals:
    void changed();

private:
    void markMeal(int meal);
    void update();

    const PlanDocument& m_plan;
    FoodStore& m_foods;
    const UserFiles& m_files;
    Sum m_day;
    std::array<Sum, 4> m_meals;
    std::array<bool, 4> m_stale { true, true, true, true };
    QStringList m_numbers;
    QString m_error;
    bool m_on = false;
    bool m_current = false;
};
