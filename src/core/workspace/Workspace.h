#pragma once

#include "core/files/UserFiles.h"
#include "core/plans/PlanDocument.h"
#include "core/plans/PlanOnScreenFile.h"
#include "core/storage/FoodStore.h"
#include "core/totals/UserTargets.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <utility>

// What one run of Platewell works on, owned in one place and lent to the windows: the food table,
// the meal plan on screen, the current user's files and targets, and the food editor's previous
// search text. It outlives every window, so a window opened twice sees what the first left.
class Workspace : public QObject
{
    Q_OBJECT

public:
    explicit Workspace(const UserFiles::Places& places, QObject* parent = nullptr);

    FoodStore& foods() { return *m_foods; }
    PlanDocument& plan() { return m_plan; }
    const PlanDocument& plan() const { return m_plan; }
    UserFiles& files() { return m_files; }
    const UserFiles& files() const { return m_files; }
    UserTargets& targets() { return m_targets; }
    // The food editor's previous search text, which a search with an empty answer uses again.
    QString& foodSearchText() { return m_foodSearchText; }

    // Puts back the plan on screen of the last run from the plan-on-screen file, and from then on
    // keeps every change to the plan in that file. Keeping starts only here, so that the file is
    // never written over before it was read. Nothing when no file is kept (an empty path).
    PlanOnScreenFile::Restored restorePlan(QStringList* problems, QString* error);
    // How many starter foods the folder's set-up gave their nutrients at this start, for the main
    // window to say once: taking it clears it.
    void setStartersGivenNutrients(int count) { m_startersGivenNutrients = count; }
    int takeStartersGivenNutrients() { return std::exchange(m_startersGivenNutrients, 0); }

    // Where a plan-on-screen file that was not restored whole is copied before it is replaced.
    QString planAsidePath() const { return m_planFile.asidePath(); }

signals:
    // The plan on screen could not be kept after a change. Told once: not again at the changes
    // that follow, until keeping has succeeded once more.
    void planNotKept(const QString& error);

private:
    void keepPlan();

    UserFiles m_files;
    PlanDocument m_plan;
    UserTargets m_targets;
    // The food table, through the storage seam; opened by the first window that reads it.
    std::unique_ptr<FoodStore> m_foods;
    PlanOnScreenFile m_planFile;
    QString m_foodSearchText;
    bool m_toldPlanNotKept = false;
    int m_startersGivenNutrients = 0;
};
