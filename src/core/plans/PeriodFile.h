#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <QStringView>

struct MealPlan;

// A period file holds one planned food per line as "group label_food name_quantity". The totals
// read the food name and quantity of every line with at least three fields; Save writes the
// meal's heading as the group label so that Load can put each food back into its meal.
class PeriodFile
{
    Q_DECLARE_TR_FUNCTIONS(PeriodFile)

public:
    static constexpr QChar Separator = u'_';

    // The fields of one line: a field ends at each "_" and at the last character, so "a_b_"
    // gives a and b (no empty third field), "a__b" gives a, an empty field and b, and the empty
    // line gives none.
    static QStringList fields(QStringView line);
    // The same split without copying: the number of fields (4 standing for 4 or more), with the
    // group label, food name and quantity fields of those there are.
    static int splitLine(QStringView line, QStringView* group, QStringView* food, QStringView* quantity);

    // One line per entry of the four meals, in meal order: heading, food name, quantity text. An
    // empty quantity gets a closing "_" so that it still forms a third (empty) field.
    static QStringList planLines(const MealPlan& plan);
    // Whether every entry can be written in this format; if not, the reason names the food.
    static bool canSave(const MealPlan& plan, QString* error);
    // Writes the plan, replacing the file only when everything was written. A plan that cannot
    // be written faithfully is refused and nothing is written.
    static bool save(const QString& path, const MealPlan& plan, QString* error);

    // How many lines that cannot be placed `problems` describes one by one; the rest are counted
    // in one closing line, so that a file of millions of bad lines gives a short message.
    static constexpr int ListedProblems = 5;
    // How many characters of a line a problem quotes.
    static constexpr int QuotedCharacters = 60;

    // Rebuilds a plan from period file lines whose group label is a meal heading. Lines that
    // cannot be placed (empty lines excepted) are described in `problems`: the first few, each
    // quoted shortly, then how many more there were. The result is true when there are none.
    static bool loadPlan(const QStringList& lines, MealPlan* plan, QStringList* problems);
    // Reads the file line by line and rebuilds the plan from it, in memory bounded by the plan
    // itself whatever the file's size. False only when the file could not be read (`error` names
    // it; `plan` is untouched); lines that could not be placed are in `problems` as above.
    static bool load(const QString& path, MealPlan* plan, QStringList* problems, QString* error);
};
