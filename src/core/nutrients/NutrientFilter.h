#pragma once

#include "core/nutrients/Nutrient.h"

#include <QString>
#include <QStringView>

// What a person types to find a nutrient: a part of its name or of its group's name, whatever
// the letter case and accents ("vitamin c", "MINERALS"), or the start of its number ("30").
// An empty text matches every nutrient.
class NutrientFilter
{
public:
    explicit NutrientFilter(QStringView text = {});

    bool isEmpty() const { return m_folded.isEmpty(); }
    bool matches(const Nutrient& nutrient) const;

private:
    QString m_folded;
};
