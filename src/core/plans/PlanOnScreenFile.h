#pragma once

#include "core/plans/MealPlan.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

// The plan on screen, kept in a file of its own in the period file format so that it outlasts
// the program however it ends. The workspace writes it whole or not at all after every change
// to the meals and puts it back at the next start. A file that cannot be read, or only in part,
// is left as it is until the plan changes, and is then first copied aside so that what it held is
// never lost.
class PlanOnScreenFile
{
    Q_DECLARE_TR_FUNCTIONS(PlanOnScreenFile)

public:
    enum class Restored {
        // No file: the plan starts empty.
        Nothing,
        Whole,
        // Some lines could not be placed; `problems` describes them.
        Partly,
        // The file could not be read; `error` says why and the plan starts empty.
        Unreadable,
    };

    explicit PlanOnScreenFile(const QString& path);

    QString path() const { return m_path; }
    // Where a file that was not restored whole is copied before the first write over it.
    QString asidePath() const { return m_asidePath; }

    Restored restore(MealPlan* plan, QStringList* problems, QString* error);
    // Writes `plan`, replacing the file only when all of it was written. False, with the reason,
    // when the plan cannot be written in this format, or when a file that was not restored whole
    // could not be copied aside first (the file is then left alone).
    bool keep(const MealPlan& plan, QString* error);

private:
    QString freeAsidePath() const;

    QString m_path;
    QString m_asidePath;
    bool m_setAsideFirst = false;
};
