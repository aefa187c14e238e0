#pragma once

#include "core/totals/RecommendedIntakes.h"

#include <QDialog>

class QComboBox;
class QLineEdit;

// Asks whose recommended intakes to set targets from: sex, age in years and, for females of an age
// the reference gives them for, pregnancy or lactation.
class RecommendedIntakesDialog : public QDialog
{
    Q_OBJECT

public:
    explicit RecommendedIntakesDialog(QWidget* parent = nullptr);

    RecommendedIntakes::Person person() const;
    void setPerson(const RecommendedIntakes::Person& person);

public slots:
    // Refuses an age that is not whole years the reference speaks of, and stays open.
    void accept() override;

private:
    void offerStages();
    // The age typed, or 0 when it is none the reference speaks of.
    int typedAge() const;

    QComboBox* m_sex;
    QLineEdit* m_age;
    QComboBox* m_stage;
};
