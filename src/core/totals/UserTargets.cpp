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
    QStringList keptProblems;
    const bool read = NutrientTargets::load(m_files.targetsPath(), &loaded, problems, error)
        && NutrientTargets::loadKept(
            m_files.perUserFile(NutrientTargets::keptFileSuffix()), &loaded, problems ? &keptProblems : nullptr, error);
    if (problems) {
        problems->append(keptProblems);
    }
    hold(loaded);
    return read;
}

bool UserTargets::setTargets(const NutrientTargets& targets, QString* error)
{
    // Targets left as they were are not written again.
    if (targets == m_targets) {
        return true;
    }
    // Each file is written only when its part changed, and the other nutrients' file only once
    // one of them has a target.
    if (!targets.sameNineAs(m_targets) && !targets.save(m_files.targetsPath(), error)) {
        return false;
    }
    if (targets.keptRanges() != m_targets.keptRanges()
        && !targets.saveKept(m_files.perUserFile(NutrientTargets::keptFileSuffix()), error)) {
        // The nine went in: what is held says what the files hold.
        NutrientTargets written = targets;
        written.setKeptRanges(m_targets.keptRanges());
        hold(written);
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
