#pragma once

#include "core/totals/TotalsCalculator.h"

#include <QCoreApplication>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <map>
#include <optional>

// A user's daily targets: for each of the nine nutrients an optional minimum and maximum. They
// are kept beside the plans in Tamo<key>Targets.txt, one readable line a nutrient with a target,
// "Calories_1800_2200", an empty field standing for no bound ("Fat__70").
class NutrientTargets
{
    Q_DECLARE_TR_FUNCTIONS(NutrientTargets)

public:
    // The per-user file suffix of the targets.
    static QString fileSuffix() { return QStringLiteral("Targets"); }

    struct Range
    {
        std::optional<double> minimum;
        std::optional<double> maximum;
        bool operator==(const Range&) const = default;
    };

    enum class Standing {
        NoTarget,
        Under,
        Within,
        Over,
    };

    // The nutrients' names as the file writes them, in the totals' column order.
    static const QStringList& nutrientNames();
    // The unit a nutrient's value is given in ("kcal", "g", "mg"); empty for Points.
    static QString unit(int nutrient);
    // The catalogue's number of the nutrient one of the nine counts ("291" for Fiber), in the same
    // unit; empty for those the catalogue has no one nutrient for (Points, Net Carbs).
    static QString catalogueNumber(int nutrient);

    const Range& range(int nutrient) const { return m_ranges[static_cast<std::size_t>(nutrient)]; }
    // False, with a reason naming the nutrient, when the minimum is above the maximum.
    bool setRange(int nutrient, const Range& range, QString* reason);
    bool isEmpty() const;

    // A bound as a person typed it: in the form of `locale`, with its grouping and decimal
    // separator ("1,800", "2.200,5"), or in the plain C form ("1800.5"). An empty text is no bound;
    // false for anything else that is not wholly a finite number.
    static bool readTypedBound(QStringView text, const QLocale& locale, std::optional<double>* bound);
    // A bound in the form of `locale`, shortest that reads back as the same number.
    static QString typedBoundText(double bound, const QLocale& locale);

    // A nutrient's range as the reports and charts give it, in the totals' precision with the
    // locale's grouping: "1,800–2,200", "≥ 12" or "≤ 70"; empty without a target.
    QString rangeText(int nutrient, const QLocale& locale = QLocale()) const;

    // Where a day's value stands, judged at the precision the totals show it with: a bound itself
    // counts as within.
    Standing standing(int nutrient, double value) const;
    static Standing standing(const Range& range, double value);
    // "1850 of 1800–2200 kcal (84 %)": the value and the range in the grid's number text, with the
    // nutrient's unit and, where there is a maximum (else the minimum), the share of it in whole
    // per cent; "> 100 %" or "< 100 %" where that would round to the other side of the bound.
    QString describe(int nutrient, double value, const QLocale& locale = QLocale()) const;
    // The same of any nutrient's range, given in `unit`.
    static QString describe(const Range& range, const QString& unit, double value, const QLocale& locale = QLocale());

    // How many unreadable lines `problems` quotes, as for a period file; the rest are counted in
    // one closing line.
    static constexpr int ListedProblems = 5;
    // How many characters of a line a problem quotes.
    static constexpr int QuotedCharacters = 60;

    // Reads the file as a stream, in memory bounded by one line whatever its size; a missing file
    // gives no targets. Lines that cannot be read, and a second line for a nutrient (the first
    // counts), are described in `problems`, never dropped in silence: the first few quoted
    // shortly, then how many more there were. False, with `error`, only when the file cannot be
    // read.
    // The nine's targets; the other nutrients' targets in `targets` stay as they were.
    static bool load(const QString& path, NutrientTargets* targets, QStringList* problems, QString* error);
    // Writes the file whole or not at all.
    bool save(const QString& path, QString* error) const;

    // Targets of the nutrients beyond the nine, by nutrient number ("307"). They are kept in a
    // file of their own in the same line form, "307__2300", so that the targets file keeps its nine
    // lines for every version of Platewell that reads it.
    static QString keptFileSuffix() { return QStringLiteral("NutrientTargets"); }
    static constexpr std::size_t MostKeptTargets = 1000;
    const std::map<QString, Range>& keptRanges() const { return m_kept; }
    const Range& keptRange(const QString& number) const;
    // The target of the nutrient of that number: its own, else that of the one of the nine it is
    // (Fiber for 291), so that a target set among the nine counts wherever the nutrient shows.
    const Range& targetOf(const QString& number) const;
    void setKeptRanges(std::map<QString, Range> ranges) { m_kept = std::move(ranges); }
    // Whether the nine's targets are the same, whatever the others'.
    bool sameNineAs(const NutrientTargets& other) const { return m_ranges == other.m_ranges; }
    // An empty range removes the target. False, with a reason, for a text that is no nutrient
    // number or a minimum above the maximum.
    bool setKeptRange(const QString& number, const Range& range, QString* reason);
    // Reads and writes them as load() and save() do the nine's; loading leaves the nine as they were.
    static bool loadKept(const QString& path, NutrientTargets* targets, QStringList* problems, QString* error);
    bool saveKept(const QString& path, QString* error) const;

    bool operator==(const NutrientTargets&) const = default;

private:
    // Reads a file of target lines, "<key>_<minimum>_<maximum>", as a stream: `nameOf` names a
    // key (empty for a key of no nutrient), `take` keeps a range (false, with a reason, when it
    // cannot). A second line for a key, and every line that cannot be read, is a problem.
    static bool readLines(const QString& path, const std::function<QString(QStringView key)>& nameOf,
        const std::function<bool(const QString& key, const Range& range, QString* reason)>& take, QStringList* problems,
        QString* error);

    std::array<Range, TotalsRow::NutrientCount> m_ranges {};
    std::map<QString, Range> m_kept;
};
