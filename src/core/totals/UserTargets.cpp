#include "core/totals/UserTargets.h"

#include "core/files/UserFiles.h"

UserTargets::UserTargets(const UserFiles& files, QObject* parent)
    : QObject(parent)
    , m_files(files)
{
    connect(&m_files, &UserFiles::userNameChanged, this, [this] { hold(NutrientTargets()); });
}

bool UserTargets::load(QStringList* problems, QString* error)
{
    NutrientTargets loaded;
    const bool read = NutrientTargets::load(m_files.targetsPath(), &loaded, problems, error);
    hold(loaded);
    return read;
}

bool UserTargets::setTargets(const NutrientTargets& targets, QString* error)
{
    // Targets left as they were are not written again.
    if (targets == m_targets) {
        return true;
    }
    if (!targets.save(m_files.targetsPath(), error)) {
        return false;
    }
    hold(targets);
    return true;
}

void UserTargets::hold(const NutrientTargets& targets)
{
    if (targets == m_targets) {
        return;
    }
    m_targets = targets;
    emit targetsChanged();
}
