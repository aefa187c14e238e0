#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

struct MealPlan;

// A period file holds one planned food per line as "group label_food name_quantity". The totals
// read the food name and quantity of every line with at least three fields; Save writes the
// meal's heading as the group label so that Load can put each food back into its meal.
class PeriodFile
{
public:
    static constexpr QChar Separator = u'_';

    // The fields of one line: a field ends at each "_" and at the last character, so "a_b_"
    // gives a and b (no empty third field), "a__b" gives a, an empty field and b, and the empty
    // line gives none.
    static QStringList fields(QStringView line);

    // The lines of a period file: any line end, UTF-8 or else Windows-1252.
    static bool readLines(const QString& path, QStringList* lines, QString* error);

    // One line per entry of the four meals, in meal order: heading, food name, quantity text. An
    // empty quantity gets a closing "_" so that it still forms a third (empty) field.
    static QStringList planLines(const MealPlan& plan);
    // Whether every entry can be written in this format; if not, the reason names the food.
    static bool canSave(const MealPlan& plan, QString* error);
    // Writes the plan, replacing the file only when everything was written. A plan that cannot
    // be written faithfully is refused and nothing is written.
    static bool save(const QString& path, const MealPlan& plan, QString* error);

    // Rebuilds a plan from period file lines whose group label is a meal heading. Every line that
    // cannot be placed is described in `problems` (empty lines excepted); the result is true when
    // there are none.
    static bool loadPlan(const QStringList& lines, MealPlan* plan, QStringList* problems);
    // Reads the file and rebuilds the plan from it. False only when the file could not be read
    // (`error` names it; `plan` is untouched); lines that could not be placed are in `problems`.
    static bool load(const QString& path, MealPlan* plan, QStringList* problems, QString* error);
};
