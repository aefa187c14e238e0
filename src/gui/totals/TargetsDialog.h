#pragma once

#include "core/nutrients/NutrientCatalogue.h"
#include "core/totals/NutrientTargets.h"
#include "core/totals/RecommendedIntakes.h"

#include <QDialog>

#include <array>

class NutrientTargetsModel;
class QLabel;
class QLineEdit;
class QTreeView;
class UserTargets;

// "Targets": the user's daily minimum and maximum of each of the nine nutrients, either of which
// may stay empty. Numbers are shown and read in the form of the user's locale, grouping and
// decimal separator included, and read in the plain C form too. OK reads every field and writes
// the user's targets file when they changed; fields that are not numbers are named in one message
// and a minimum above its maximum in another, nothing is saved and the window stays open. The
// targets are read afresh when the window opens.
// Beside the nine, every nutrient of the food table's catalogue is listed with its minimum and
// maximum, narrowed by typing in the search box; "Set from recommended intakes..." fills them (and
// the nine's that count the same nutrient) for a person, to be changed and saved with OK.
class TargetsDialog : public QDialog
{
    Q_OBJECT

public:
    // The nutrients listed are those of `catalogue`, the starter foods' when none is given.
    explicit TargetsDialog(UserTargets& targets, QWidget* parent = nullptr);
    TargetsDialog(UserTargets& targets, const NutrientCatalogue& catalogue, QWidget* parent = nullptr);

    const NutrientTargets& targets() const;
    NutrientTargetsModel* nutrientsModel() const { return m_model; }

    // Fills the window from the recommended intakes for `person`, saving nothing; the nutrients left
    // unset are named in the window.
    void fillFromRecommendedIntakes(const RecommendedIntakes::Person& person);

signals:
    // "Richest Foods..." asked for the foods richest in the nutrient chosen in the list.
    void richestFoodsRequested(const QString& number);

public slots:
    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static QString boundText(const std::optional<double>& bound);
    void askRecommendedIntakes();
    // Spans the group headings and puts the list on its first bound.
    void showRows();

    UserTargets& m_targets;
    std::array<QLineEdit*, TotalsRow::NutrientCount> m_minimums {};
    std::array<QLineEdit*, TotalsRow::NutrientCount> m_maximums {};
    NutrientCatalogue m_catalogue;
    NutrientTargetsModel* m_model = nullptr;
    QLineEdit* m_filter = nullptr;
    QTreeView* m_list = nullptr;
    QLabel* m_note = nullptr;
    // A typed bound was refused and its message is still to be shown.
    bool m_refusalPending = false;
    RecommendedIntakes::Person m_person;
};
