#include "core/totals/LiveTotalsChoice.h"

#include "core/files/TextFile.h"
#include "core/nutrients/NutrientCatalogue.h"
#include "core/totals/NutrientTargets.h"

#include <QFileInfo>

namespace {

constexpr qint64 kLargestFile = 4096;
const QString kHidden = QStringLiteral("hidden");

bool isKey(const QString& key)
{
    return NutrientTargets::nutrientNames().contains(key) || NutrientCatalogue::isNumber(key);
}

} // namespace

QStringList LiveTotalsChoice::defaultKeys()
{
    return { QStringLiteral("Calories"), QStringLiteral("203"), QStringLiteral("Carbohydrates"),
        QStringLiteral("Fat") };
}

LiveTotalsChoice LiveTotalsChoice::load(const QString& path)
{
    LiveTotalsChoice choice;
    const QFileInfo file(path);
    QStringList lines;
    if (path.isEmpty() || !file.isFile() || file.size() > kLargestFile || !TextFile::readLines(path, &lines, nullptr)) {
        return choice;
    }
    choice.keys.clear();
    for (const QString& line : lines) {
        const QString key = line.trimmed();
        if (key == kHidden) {
            choice.shown = false;
        } else if (isKey(key) && !choice.keys.contains(key) && choice.keys.size() < MostKeys) {
            choice.keys.append(key);
        }
    }
    return choice;
}

bool LiveTotalsChoice::save(const QString& path, QString* error) const
{
    if (path.isEmpty()) {
        return true;
    }
    QStringList lines;
    if (!shown) {
        lines.append(kHidden);
    }
    lines.append(keys);
    return TextFile::writeLines(path, lines, error);
}
