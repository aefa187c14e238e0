#include "gui/totals/TargetsDialog.h"

#include "core/text/MessageText.h"
#include "core/totals/UserTargets.h"
#include "gui/common/Prompt.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

TargetsDialog::TargetsDialog(UserTargets& targets, QWidget* parent)
    : QDialog(parent)
    , m_targets(targets)
{
    setObjectName(QStringLiteral("Targets"));
    setWindowTitle(tr("Targets"));
    QStringList problems;
    QString error;
    if (!m_targets.load(&problems, &error)) {
        problems.append(error);
    }

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(tr("Daily minimum"), this), 0, 1);
    grid->addWidget(new QLabel(tr("Daily maximum"), this), 0, 2);
    const QStringList captions = TotalsCalculator::headerTexts().mid(1);
    for (int n = 0; n < TotalsRow::NutrientCount; ++n) {
        auto* caption = new QLabel(captions[n], this);
        auto* minimum = new QLineEdit(boundText(targets.targets().range(n).minimum), this);
        auto* maximum = new QLineEdit(boundText(targets.targets().range(n).maximum), this);
        minimum->setObjectName(QStringLiteral("Minimum%1").arg(n + 1));
        maximum->setObjectName(QStringLiteral("Maximum%1").arg(n + 1));
        minimum->setAccessibleName(tr("Daily minimum of %1").arg(captions[n]));
        maximum->setAccessibleName(tr("Daily maximum of %1").arg(captions[n]));
        caption->setBuddy(minimum);
        grid->addWidget(caption, n + 1, 0);
        grid->addWidget(minimum, n + 1, 1);
        grid->addWidget(maximum, n + 1, 2);
        m_minimums[static_cast<std::size_t>(n)] = minimum;
        m_maximums[static_cast<std::size_t>(n)] = maximum;
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TargetsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);

    if (!problems.isEmpty()) {
        Prompt::message(this,
            tr("Some lines of your targets file could not be read and were left out:\n%1")
                .arg(problems.join(QLatin1Char('\n'))),
            tr("Targets"));
    }
}

const NutrientTargets& TargetsDialog::targets() const
{
    return m_targets.targets();
}

QString TargetsDialog::boundText(const std::optional<double>& bound)
{
    // In the form the user types, so that OK reads back the very same number.
    return bound ? NutrientTargets::typedBoundText(*bound, QLocale()) : QString();
}

void TargetsDialog::accept()
{
    // Every field is read before anything is saved; all those that are not numbers are named in
    // one message.
    std::array<NutrientTargets::Range, TotalsRow::NutrientCount> ranges {};
    QStringList unreadable;
    QLineEdit* firstUnreadable = nullptr;
    for (std::size_t n = 0; n < ranges.size(); ++n) {
        for (auto [edit, bound] :
            { std::pair(m_minimums[n], &ranges[n].minimum), std::pair(m_maximums[n], &ranges[n].maximum) }) {
            if (!NutrientTargets::readTypedBound(edit->text(), QLocale(), bound)) {
                unreadable.append(tr("%1: \"%2\"").arg(edit->accessibleName(), MessageText::quoted(edit->text())));
                firstUnreadable = firstUnreadable ? firstUnreadable : edit;
            }
        }
    }
    if (firstUnreadable) {
        Prompt::error(this,
            tr("These targets are not numbers, so nothing was saved:\n%1")
                .arg(MessageText::listed(unreadable).join(QLatin1Char('\n'))));
        firstUnreadable->setFocus();
        firstUnreadable->selectAll();
        return;
    }
    NutrientTargets edited;
    for (int n = 0; n < TotalsRow::NutrientCount; ++n) {
        QString reason;
        if (!edited.setRange(n, ranges[static_cast<std::size_t>(n)], &reason)) {
            Prompt::error(this, reason);
            return;
        }
    }
    QString error;
    if (!m_targets.setTargets(edited, &error)) {
        Prompt::error(this, tr("The targets were not saved.\n%1").arg(error));
        return;
    }
    QDialog::accept();
}
