#pragma once

#include "core/totals/RecommendedIntakes.h"

#include <QDialog>

class QComboBox;
class QSpinBox;

// Asks whose recommended intakes to set targets from: sex, age in years and, for females of an age
// the reference gives them for, pregnancy or lactation.
class RecommendedIntakesDialog : public QDialog
{
    Q_OBJECT

public:
    explicit RecommendedIntakesDialog(QWidget* parent = nullptr);

    RecommendedIntakes::Person person() const;
    void setPerson(const RecommendedIntakes::Person& person);

private:
    void offerStages();

    QComboBox* m_sex;
    QSpinBox* m_age;
    QComboBox* m_stage;
};
