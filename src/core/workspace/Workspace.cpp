#include "core/workspace/Workspace.h"

#include "core/storage/FoodStoreOpener.h"

Workspace::Workspace(const UserFiles::Places& places, QObject* parent)
    : QObject(parent)
    , m_files(places)
    , m_targets(m_files)
    , m_foods(FoodStoreOpener::forLocation(places.foodDatabasePath))
    , m_planFile(places.planOnScreenPath)
{ }

PlanOnScreenFile::Restored Workspace::restorePlan(QStringList* problems, QString* error)
{
    if (m_planFile.path().isEmpty()) {
        return PlanOnScreenFile::Restored::Nothing;
    }
    MealPlan restored;
    const PlanOnScreenFile::Restored result = m_planFile.restore(&restored, problems, error);
    if (result == PlanOnScreenFile::Restored::Whole || result == PlanOnScreenFile::Restored::Partly) {
        m_plan.setPlan(restored);
    }
    connect(&m_plan, &PlanDocument::planChanged, this, &Workspace::keepPlan, Qt::UniqueConnection);
    return result;
}

void Workspace::keepPlan()
{
    QString error;
    if (m_planFile.keep(m_plan.plan(), &error)) {
        m_toldPlanNotKept = false;
        return;
    }
    if (!m_toldPlanNotKept) {
        m_toldPlanNotKept = true;
        emit planNotKept(error);
    }
}
