#include "core/plans/PlanOnScreenFile.h"

#include "core/plans/PeriodFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

PlanOnScreenFile::PlanOnScreenFile(const QString& path)
    : m_path(path)
{ }

PlanOnScreenFile::Restored PlanOnScreenFile::restore(MealPlan* plan, QStringList* problems, QString* error)
{
    const QFileInfo file(m_path);
    if (!file.exists() && !file.isSymLink()) {
        return Restored::Nothing;
    }
    m_setAsideFirst = true;
    m_asidePath = freeAsidePath();
    // A folder, a FIFO or a device would block or fail the reader; it is named, not opened.
    if (!file.isFile()) {
        *error = tr("%1: not a regular file").arg(QDir::toNativeSeparators(m_path));
        return Restored::Unreadable;
    }
    MealPlan loaded;
    if (!PeriodFile::load(m_path, &loaded, problems, error)) {
        return Restored::Unreadable;
    }
    *plan = loaded;
    if (!problems->isEmpty()) {
        return Restored::Partly;
    }
    m_setAsideFirst = false;
    return Restored::Whole;
}

bool PlanOnScreenFile::keep(const MealPlan& plan, QString* error)
{
    if (m_setAsideFirst) {
        const QFileInfo file(m_path);
        // Only a regular file holds anything to keep; anything else the writer refuses itself.
        if (file.isFile()) {
            if (QFileInfo::exists(m_asidePath) || QFileInfo(m_asidePath).isSymLink()) {
                m_asidePath = freeAsidePath();
            }
            QFile from(m_path);
            if (!from.copy(m_asidePath)) {
                *error = tr("%1 could not be copied to %2 before being replaced: %3")
                             .arg(QDir::toNativeSeparators(m_path), QDir::toNativeSeparators(m_asidePath),
                                 from.errorString());
                return false;
            }
        }
        m_setAsideFirst = false;
    }
    return PeriodFile::save(m_path, plan, error);
}

QString PlanOnScreenFile::freeAsidePath() const
{
    const QFileInfo file(m_path);
    const QString base = file.dir().filePath(file.completeBaseName() + QStringLiteral("-unread"));
    QString candidate = base + QStringLiteral(".txt");
    for (int n = 2; QFileInfo::exists(candidate) || QFileInfo(candidate).isSymLink(); ++n) {
        candidate = base + QStringLiteral("-%1.txt").arg(n);
    }
    return candidate;
}
