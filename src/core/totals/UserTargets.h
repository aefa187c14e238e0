#pragma once

#include "core/totals/NutrientTargets.h"

#include <QObject>

class UserFiles;

// The current user's daily targets, read from and written to the user's targets file. They are
// read when a window that shows them opens, so that a file changed meanwhile counts; a change of
// user name forgets them until then.
class UserTargets : public QObject
{
    Q_OBJECT

public:
    explicit UserTargets(const UserFiles& files, QObject* parent = nullptr);

    const NutrientTargets& targets() const { return m_targets; }

    // Reads the user's targets file (NutrientTargets::load). A file that cannot be read gives no
    // targets, and false with `error`; `problems` may be null.
    bool load(QStringList* problems, QString* error);
    // Writes `targets` to the user's file unless they are the ones held; false, with `error`,
    // when the file was not written, and the targets held stay as they were.
    bool setTargets(const NutrientTargets& targets, QString* error);

signals:
    void targetsChanged();

private:
    void hold(const NutrientTargets& targets);

    const UserFiles& m_files;
    NutrientTargets m_targets;
};
