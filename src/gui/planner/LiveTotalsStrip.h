#pragma once

#include "core/nutrients/NutrientCatalogue.h"
#include "core/totals/LiveTotalsChoice.h"

#include <QWidget>

#include <vector>

class LiveTotals;
class QLabel;
class QProgressBar;
class UserTargets;

// The plan on screen's totals as a strip under the meals: calories and the values the user
// picks, each with its target as a thin bar when one is set. Hovering a value gives it meal by
// meal; a value some planned foods lack is shown as a lower bound ("≥ 52 g") and its tool tip
// says how many lack it. The strip's context menu picks the values.
class LiveTotalsStrip : public QWidget
{
    Q_OBJECT

public:
    LiveTotalsStrip(LiveTotals& totals, const UserTargets& targets, QWidget* parent = nullptr);

    // Sets the values shown, by their keys (LiveTotalsChoice); keys of nutrients the table does
    // not keep are passed over.
    void setKeys(const QStringList& keys);
    const QStringList& keys() const { return m_keys; }
    // The nutrients the user can pick from, the food table's catalogue.
    void setCatalogue(const NutrientCatalogue& catalogue);

    // What the strip shows of its value `index`: its text and tool tip.
    QString valueText(int index) const;
    QString valueToolTip(int index) const;

signals:
    // The user picked other values.
    void keysChosen(const QStringList& keys);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    struct Shown
    {
        QString key;
        // One of the nine, else -1 for a kept nutrient.
        int nine = -1;
        QString name;
        QString unit;
        QLabel* label = nullptr;
        QProgressBar* bar = nullptr;
    };

    // The nutrient number of a value, empty for one of the nine.
    static QString numberOf(const Shown& shown) { return shown.nine >= 0 ? QString() : shown.key; }
    void rebuild();
    void showSums();
    // The name and unit of a key; false for a key the strip cannot show.
    bool describe(const QString& key, int* nine, QString* name, QString* unit) const;
    QString amountText(double value, const QString& unit) const;
    QString amountText(double value, const QString& unit, int unknown) const;

    LiveTotals& m_totals;
    const UserTargets& m_targets;
    NutrientCatalogue m_catalogue;
    QStringList m_keys;
    std::vector<Shown> m_shown;
};
