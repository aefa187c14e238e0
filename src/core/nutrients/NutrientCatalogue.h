#pragma once

#include "core/nutrients/Nutrient.h"

#include <QCoreApplication>
#include <QHash>
#include <QStringList>
#include <QStringView>

#include <vector>

// The nutrients a food table knows, in display order: grouped, and within a group in the order
// they were added. A table starts with the starter foods' nutrients, and an import that brings a
// nutrient the catalogue lacks adds it.
class NutrientCatalogue
{
    Q_DECLARE_TR_FUNCTIONS(NutrientCatalogue)

public:
    NutrientCatalogue() = default;
    explicit NutrientCatalogue(std::vector<Nutrient> nutrients);

    // The nutrients of the starter foods' file, from its header.
    static const NutrientCatalogue& starter();

    const std::vector<Nutrient>& nutrients() const { return m_nutrients; }
    qsizetype size() const { return static_cast<qsizetype>(m_nutrients.size()); }
    bool isEmpty() const { return m_nutrients.empty(); }
    // The position of the nutrient of this number in nutrients(), or -1.
    qsizetype indexOf(QStringView number) const;
    const Nutrient* find(QStringView number) const;
    // Adds a nutrient the catalogue lacks, after the others of its group; false (and nothing
    // changes) when its number is there already or it is not a nutrient that can be kept.
    bool add(Nutrient nutrient, QString* error);

    // The group a nutrient number belongs to, by the ranges USDA numbers its nutrients in.
    static NutrientGroup groupOf(QStringView number);
    static QString groupName(NutrientGroup group);
    // A nutrient as a CSV column is headed: "<number> <name> (<unit>)", e.g. "307 Sodium (mg)".
    static QString columnHeader(const Nutrient& nutrient);
    // Reads such a heading; false when the text is not one.
    static bool parseColumnHeader(QStringView header, Nutrient* nutrient);
    // What an amount in unit `from` is multiplied by to be in unit `to`; false when one cannot
    // be had from the other (IU and a mass, a mass and an energy).
    static bool conversionFactor(QStringView from, QStringView to, double* factor);
    // Whether `number` can be a nutrient number: 1 to 6 digits, optionally with one decimal part
    // (FoodData Central numbers some nutrients "957.1").
    static bool isNumber(QStringView number);

private:
    void sort();

    std::vector<Nutrient> m_nutrients;
    QHash<QString, qsizetype> m_index;
};
