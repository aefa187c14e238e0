#include "core/nutrients/NutrientFilter.h"

#include "core/nutrients/NutrientCatalogue.h"
#include "core/text/TextFold.h"

NutrientFilter::NutrientFilter(QStringView text)
    : m_folded(TextFold::fold(text.trimmed()))
{ }

bool NutrientFilter::matches(const Nutrient& nutrient) const
{
    return m_folded.isEmpty() || nutrient.number.startsWith(m_folded)
        || TextFold::fold(nutrient.name).contains(m_folded)
        || TextFold::fold(NutrientCatalogue::groupName(nutrient.group)).contains(m_folded);
}
