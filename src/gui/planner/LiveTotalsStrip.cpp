#include "gui/planner/LiveTotalsStrip.h"

#include "core/plans/MealPlan.h"
#include "core/totals/LiveTotals.h"
#include "core/totals/NutrientTargets.h"
#include "core/totals/UserTargets.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QProgressBar>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kBarSteps = 1000;
constexpr int kBarHeight = 4;
constexpr int kValueSpacing = 18;
constexpr int kValuesPerRow = 6;

} // namespace

LiveTotalsStrip::LiveTotalsStrip(LiveTotals& totals, const UserTargets& targets, QWidget* parent)
    : QWidget(parent)
    , m_totals(totals)
    , m_targets(targets)
{
    setObjectName(QStringLiteral("LiveTotals"));
    setAccessibleName(tr("Live totals of the plan on screen"));
    // The values side by side, each over its bar, in one grid: a value's new text widens its
    // column at once.
    auto* values = new QGridLayout(this);
    values->setContentsMargins(0, 0, 0, 0);
    values->setHorizontalSpacing(kValueSpacing);
    values->setVerticalSpacing(1);
    connect(&m_totals, &LiveTotals::changed, this, &LiveTotalsStrip::showSums);
    connect(&m_targets, &UserTargets::targetsChanged, this, &LiveTotalsStrip::showSums);
    setKeys(LiveTotalsChoice::defaultKeys());
}

void LiveTotalsStrip::setCatalogue(const NutrientCatalogue& catalogue)
{
    m_catalogue = catalogue;
    rebuild();
}

void LiveTotalsStrip::setKeys(const QStringList& keys)
{
    m_keys = keys;
    rebuild();
}

bool LiveTotalsStrip::describe(const QString& key, int* nine, QString* name, QString* unit) const
{
    *nine = static_cast<int>(NutrientTargets::nutrientNames().indexOf(key));
    if (*nine >= 0) {
        *name = NutrientTargets::nutrientNames().at(*nine);
        *unit = NutrientTargets::unit(*nine);
        return true;
    }
    const Nutrient* nutrient = m_catalogue.find(key);
    if (!nutrient) {
        return false;
    }
    *name = nutrient->name;
    *unit = nutrient->unit;
    return true;
}

void LiveTotalsStrip::rebuild()
{
    auto* values = static_cast<QGridLayout*>(layout());
    for (const Shown& shown : m_shown) {
        delete shown.label;
        delete shown.bar;
    }
    m_shown.clear();
    for (int column = 0; column < values->columnCount(); ++column) {
        values->setColumnStretch(column, 0);
    }
    for (const QString& key : m_keys) {
        Shown shown;
        shown.key = key;
        if (!describe(key, &shown.nine, &shown.name, &shown.unit)) {
            continue;
        }
        const int index = static_cast<int>(m_shown.size());
        shown.label = new QLabel(this);
        shown.label->setObjectName(QStringLiteral("LiveTotal%1").arg(index));
        shown.label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        shown.bar = new QProgressBar(this);
        shown.bar->setObjectName(QStringLiteral("LiveTotalBar%1").arg(index));
        shown.bar->setTextVisible(false);
        shown.bar->setRange(0, kBarSteps);
        shown.bar->setFixedHeight(kBarHeight);
        // A value without a target keeps the bar's room, so the strip is as tall either way.
        QSizePolicy keepRoom = shown.bar->sizePolicy();
        keepRoom.setRetainSizeWhenHidden(true);
        keepRoom.setHorizontalPolicy(QSizePolicy::Ignored);
        shown.bar->setSizePolicy(keepRoom);
        // Six values a row, so that many values make more rows rather than a wider window.
        const int row = 2 * (index / kValuesPerRow);
        values->addWidget(shown.label, row, index % kValuesPerRow);
        values->addWidget(shown.bar, row + 1, index % kValuesPerRow);
        // Made again while the strip shows (the catalogue came, the user picked), they must be
        // shown themselves.
        shown.label->show();
        shown.bar->show();
        m_shown.push_back(shown);
    }
    // The room left over goes after the last value.
    values->setColumnStretch(std::min(static_cast<int>(m_shown.size()), kValuesPerRow), 1);
    showSums();
}

QString LiveTotalsStrip::amountText(double value, const QString& unit) const
{
    // Whole numbers from 100, else one decimal from 1, else two: a strip to glance at.
    const double size = std::abs(value);
    const int decimals = size >= 100 ? 0 : size >= 1 ? 1 : 2;
    QString text = QLocale().toString(value, 'f', decimals);
    const QString point = QLocale().decimalPoint();
    if (decimals > 0) {
        while (text.endsWith(QLatin1Char('0'))) {
            text.chop(1);
        }
        if (text.endsWith(point)) {
            text.chop(point.size());
        }
    }
    return unit.isEmpty() ? text : text + QLatin1Char(' ') + unit;
}

QString LiveTotalsStrip::amountText(double value, const QString& unit, int unknown) const
{
    // A sum some planned foods lack is a lower bound.
    const QString amount = amountText(value, unit);
    return unknown > 0 ? tr("\u2265 %1").arg(amount) : amount;
}

QString LiveTotalsStrip::valueText(int index) const
{
    const Shown& shown = m_shown.at(static_cast<std::size_t>(index));
    if (!m_totals.isCurrent()) {
        // Not added up yet, or not since the plan changed while hidden.
        return tr("%1 \u2013").arg(shown.name);
    }
    int unknown = 0;
    const double value = m_totals.value(m_totals.day(), shown.nine, numberOf(shown), &unknown);
    return tr("%1 %2").arg(shown.name, amountText(value, shown.unit, unknown));
}

QString LiveTotalsStrip::valueToolTip(int index) const
{
    const Shown& shown = m_shown.at(static_cast<std::size_t>(index));
    QStringList lines { valueText(index) };
    if (!m_totals.isCurrent() && m_totals.error().isEmpty()) {
        return lines.front();
    }
    if (!m_totals.error().isEmpty()) {
        lines.append(tr("The food table cannot be read: %1").arg(m_totals.error()));
        return lines.join(QLatin1Char('\n'));
    }
    int unknown = 0;
    const double day = m_totals.value(m_totals.day(), shown.nine, numberOf(shown), &unknown);
    const NutrientTargets::Range& target
        = shown.nine >= 0 ? m_targets.targets().range(shown.nine) : m_targets.targets().keptRange(shown.key);
    if (NutrientTargets::standing(target, day) != NutrientTargets::Standing::NoTarget) {
        lines.append(tr("Target: %1").arg(NutrientTargets::describe(target, shown.unit, day)));
    }
    for (int meal = 0; meal < MealPlan::MealCount; ++meal) {
        int lacking = 0;
        const double value = m_totals.value(m_totals.meal(meal), shown.nine, numberOf(shown), &lacking);
        lines.append(tr("%1: %2").arg(MealPlan::heading(meal), amountText(value, shown.unit, lacking)));
    }
    if (unknown > 0) {
        lines.append(unknown == 1 ? tr("1 planned food lacks this value, so the day has at least this much.")
                                  : tr("%1 planned foods lack this value, so the day has at least this much.")
                                        .arg(QLocale().toString(unknown)));
    }
    return lines.join(QLatin1Char('\n'));
}

void LiveTotalsStrip::showSums()
{
    for (std::size_t i = 0; i < m_shown.size(); ++i) {
        Shown& shown = m_shown[i];
        const QString text = valueText(static_cast<int>(i));
        shown.label->setText(text);
        shown.label->setToolTip(valueToolTip(static_cast<int>(i)));
        shown.label->setAccessibleName(text);
        // A bar only for a value with a target: its share of the maximum, else of the minimum.
        const NutrientTargets::Range& range
            = shown.nine >= 0 ? m_targets.targets().range(shown.nine) : m_targets.targets().keptRange(shown.key);
        const std::optional<double> reference = range.maximum ? range.maximum : range.minimum;
        const bool hasBar = reference && *reference > 0;
        shown.bar->setVisible(hasBar);
        if (hasBar) {
            const double value = m_totals.value(m_totals.day(), shown.nine, numberOf(shown));
            const double share = std::clamp(value / *reference, 0.0, 1.0);
            shown.bar->setValue(static_cast<int>(std::lround(share * kBarSteps)));
            shown.bar->setAccessibleName(tr("%1 against its target").arg(shown.name));
        }
    }
}

void LiveTotalsStrip::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("LiveTotalsMenu"));
    QMenu* nine = menu.addMenu(tr("Totals"));
    std::vector<std::pair<QAction*, QString>> choices;
    for (const QString& name : NutrientTargets::nutrientNames()) {
        QAction* action = nine->addAction(name);
        choices.emplace_back(action, name);
    }
    QMenu* group = nullptr;
    NutrientGroup current = NutrientGroup::Other;
    for (const Nutrient& nutrient : m_catalogue.nutrients()) {
        if (!group || nutrient.group != current) {
            current = nutrient.group;
            group = menu.addMenu(NutrientCatalogue::groupName(current));
        }
        choices.emplace_back(group->addAction(tr("%1 (%2)").arg(nutrient.name, nutrient.unit)), nutrient.number);
    }
    for (auto& [action, key] : choices) {
        action->setCheckable(true);
        action->setChecked(m_keys.contains(key));
        const bool full = m_keys.size() >= LiveTotalsChoice::MostKeys;
        action->setEnabled(action->isChecked() || !full);
    }
    const QAction* picked = menu.exec(event->globalPos());
    for (const auto& [action, key] : choices) {
        if (action != picked) {
            continue;
        }
        QStringList keys = m_keys;
        if (action->isChecked()) {
            keys.append(key);
        } else {
            keys.removeAll(key);
        }
        setKeys(keys);
        emit keysChosen(keys);
    }
}
