#include "gui/totals/RecommendedIntakesDialog.h"

#include "gui/common/Prompt.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QVBoxLayout>

RecommendedIntakesDialog::RecommendedIntakesDialog(QWidget* parent)
    : QDialog(parent)
    , m_sex(new QComboBox(this))
    , m_age(new QLineEdit(this))
    , m_stage(new QComboBox(this))
{
    setObjectName(QStringLiteral("RecommendedIntakes"));
    setWindowTitle(tr("Recommended Intakes"));
    m_sex->setObjectName(QStringLiteral("RecommendedSex"));
    m_sex->addItem(tr("Female"), static_cast<int>(RecommendedIntakes::Sex::Female));
    m_sex->addItem(tr("Male"), static_cast<int>(RecommendedIntakes::Sex::Male));
    m_age->setObjectName(QStringLiteral("RecommendedAge"));
    m_age->setValidator(new QIntValidator(RecommendedIntakes::YoungestAge, RecommendedIntakes::OldestAge, m_age));
    m_age->setText(QLocale().toString(RecommendedIntakes::Person().age));
    m_stage->setObjectName(QStringLiteral("RecommendedStage"));
    m_stage->addItem(tr("Neither"), static_cast<int>(RecommendedIntakes::Stage::None));
    m_stage->addItem(tr("Pregnant"), static_cast<int>(RecommendedIntakes::Stage::Pregnant));
    m_stage->addItem(tr("Lactating"), static_cast<int>(RecommendedIntakes::Stage::Lactating));

    auto* form = new QFormLayout;
    form->addRow(tr("&Sex:"), m_sex);
    form->addRow(tr("&Age in years:"), m_age);
    form->addRow(tr("&Pregnancy or lactation:"), m_stage);
    auto* source = new QLabel(tr("Minimums from the Recommended Dietary Allowances or Adequate Intakes, maximums from "
                                 "the Tolerable Upper Intake Levels of the US Dietary Reference Intakes (National "
                                 "Academies, Food and Nutrition Board); sodium's maximum is its chronic disease risk "
                                 "reduction intake."),
        this);
    source->setObjectName(QStringLiteral("RecommendedSource"));
    source->setWordWrap(true);
    // Wide enough that the note wraps to a few lines, so the window's height is known before it shows.
    source->setMinimumWidth(source->fontMetrics().averageCharWidth() * 50);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &RecommendedIntakesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(source);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetMinimumSize);
    connect(m_sex, &QComboBox::currentIndexChanged, this, &RecommendedIntakesDialog::offerStages);
    connect(m_age, &QLineEdit::textChanged, this, &RecommendedIntakesDialog::offerStages);
    offerStages();
}

void RecommendedIntakesDialog::offerStages()
{
    RecommendedIntakes::Person asked;
    asked.sex = static_cast<RecommendedIntakes::Sex>(m_sex->currentData().toInt());
    asked.age = typedAge();
    const bool offered = RecommendedIntakes::canBeMother(asked);
    if (!offered) {
        m_stage->setCurrentIndex(0);
    }
    m_stage->setEnabled(offered);
}

RecommendedIntakes::Person RecommendedIntakesDialog::person() const
{
    RecommendedIntakes::Person person;
    person.sex = static_cast<RecommendedIntakes::Sex>(m_sex->currentData().toInt());
    person.age = typedAge();
    person.stage = static_cast<RecommendedIntakes::Stage>(m_stage->currentData().toInt());
    return person;
}

void RecommendedIntakesDialog::setPerson(const RecommendedIntakes::Person& person)
{
    m_sex->setCurrentIndex(m_sex->findData(static_cast<int>(person.sex)));
    m_age->setText(QLocale().toString(person.age));
    offerStages();
    m_stage->setCurrentIndex(m_stage->findData(static_cast<int>(person.stage)));
    offerStages();
}

int RecommendedIntakesDialog::typedAge() const
{
    bool ok = false;
    const int age = QLocale().toInt(m_age->text().trimmed(), &ok);
    return ok && age >= RecommendedIntakes::YoungestAge && age <= RecommendedIntakes::OldestAge ? age : 0;
}

void RecommendedIntakesDialog::accept()
{
    if (typedAge() == 0) {
        Prompt::error(this,
            tr("Type the age in whole years, from %1 to %2.")
                .arg(RecommendedIntakes::YoungestAge)
                .arg(RecommendedIntakes::OldestAge));
        m_age->setFocus();
        m_age->selectAll();
        return;
    }
    QDialog::accept();
}
