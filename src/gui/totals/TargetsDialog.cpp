#include "gui/totals/TargetsDialog.h"

#include "core/text/MessageText.h"
#include "core/totals/UserTargets.h"
#include "gui/common/Prompt.h"
#include "gui/common/WindowModal.h"
#include "gui/totals/NutrientTargetsModel.h"
#include "gui/totals/RecommendedIntakesDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

TargetsDialog::TargetsDialog(UserTargets& targets, QWidget* parent)
    : TargetsDialog(targets, NutrientCatalogue::starter(), parent)
{ }

TargetsDialog::TargetsDialog(UserTargets& targets, const NutrientCatalogue& catalogue, QWidget* parent)
    : QDialog(parent)
    , m_targets(targets)
    , m_catalogue(catalogue)
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
    // The nine keep their column; every other nutrient is listed beside them.
    auto* nine = new QVBoxLayout;
    nine->addLayout(grid);
    nine->addStretch(1);

    auto* filter = m_filter = new QLineEdit(this);
    filter->installEventFilter(this);
    filter->setObjectName(QStringLiteral("NutrientTargetsFilter"));
    filter->setAccessibleName(tr("Find a nutrient"));
    filter->setClearButtonEnabled(true);
    auto* filterCaption = new QLabel(tr("Find &nutrient:"), this);
    filterCaption->setBuddy(filter);
    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(filterCaption);
    filterRow->addWidget(filter, 1);

    m_model = new NutrientTargetsModel(m_catalogue, m_targets.targets().keptRanges(), this);
    m_list = new QTreeView(this);
    m_list->setObjectName(QStringLiteral("NutrientTargetsList"));
    m_list->setAccessibleName(tr("Daily targets of every nutrient"));
    m_list->setModel(m_model);
    m_list->setRootIsDecorated(false);
    m_list->setItemsExpandable(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectItems);
    // Typing on a bound edits it; Tab in an edit goes on to the next bound.
    m_list->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked
        | QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    // Room for the names of the starter's nutrients and several rows beside the nine.
    const int character = m_list->fontMetrics().averageCharWidth();
    m_list->setMinimumSize(character * 72, m_list->fontMetrics().height() * 8);
    m_list->header()->setSectionResizeMode(NutrientTargetsModel::NameColumn, QHeaderView::Stretch);
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(NutrientTargetsModel::UnitColumn, QHeaderView::ResizeToContents);
    for (int column = NutrientTargetsModel::MinimumColumn; column < NutrientTargetsModel::ColumnCount; ++column) {
        m_list->header()->setSectionResizeMode(column, QHeaderView::Fixed);
        m_list->header()->resizeSection(column, character * 15);
    }
    connect(m_model, &QAbstractItemModel::modelReset, this, &TargetsDialog::showRows);
    connect(m_model, &NutrientTargetsModel::refused, this, [this](const QString& message) {
        // After the editor has closed, so the message is not shown over a half-finished edit.
        m_refusalPending = true;
        QMetaObject::invokeMethod(
            this,
            [this, message] {
                m_refusalPending = false;
                Prompt::error(this, message);
            },
            Qt::QueuedConnection);
    });
    connect(filter, &QLineEdit::textChanged, m_model, &NutrientTargetsModel::setFilter);

    auto* recommended = new QPushButton(tr("Set from &recommended intakes..."), this);
    recommended->setObjectName(QStringLiteral("SetFromRecommendedIntakes"));
    recommended->setAutoDefault(false);
    connect(recommended, &QPushButton::clicked, this, &TargetsDialog::askRecommendedIntakes);
    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("RecommendedIntakesNote"));
    m_note->setWordWrap(true);
    m_note->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_note->hide();

    // The foods richest in the nutrient chosen in the list.
    auto* richest = new QPushButton(tr("Richest &Foods..."), this);
    richest->setObjectName(QStringLiteral("TargetsRichestFoods"));
    richest->setAutoDefault(false);
    richest->setEnabled(false);
    const auto chosenNumber = [this] {
        const QModelIndex current = m_list->currentIndex();
        return current.isValid() ? m_model->numberAt(current.row()) : QString();
    };
    connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, richest,
        [richest, chosenNumber] { richest->setEnabled(!chosenNumber().isEmpty()); });
    connect(m_model, &QAbstractItemModel::modelReset, richest,
        [richest, chosenNumber] { richest->setEnabled(!chosenNumber().isEmpty()); });
    connect(richest, &QPushButton::clicked, this, [this, chosenNumber] {
        if (const QString number = chosenNumber(); !number.isEmpty()) {
            emit richestFoodsRequested(number);
        }
    });
    auto* commands = new QHBoxLayout;
    commands->addWidget(recommended);
    commands->addStretch(1);
    commands->addWidget(richest);

    auto* others = new QVBoxLayout;
    others->addLayout(filterRow);
    others->addWidget(m_list, 1);
    others->addWidget(m_note);
    others->addLayout(commands);

    auto* columns = new QHBoxLayout;
    columns->addLayout(nine);
    columns->addLayout(others, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TargetsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addWidget(buttons);
    showRows();

    if (!problems.isEmpty()) {
        Prompt::message(this,
            tr("Some lines of your targets file could not be read and were left out:\n%1")
                .arg(problems.join(QLatin1Char('\n'))),
            tr("Targets"));
    }
}

void TargetsDialog::showRows()
{
    for (int row = 0; row < m_model->rowCount(); ++row) {
        m_list->setFirstColumnSpanned(row, QModelIndex(), m_model->isHeading(row));
    }
    // Typing in the list edits the first nutrient's minimum.
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (!m_model->isHeading(row)) {
            m_list->setCurrentIndex(m_model->index(row, NutrientTargetsModel::MinimumColumn));
            break;
        }
    }
}

bool TargetsDialog::eventFilter(QObject* watched, QEvent* event)
{
    // Enter in the search box goes to the nutrients found rather than closing the window.
    if (watched == m_filter && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            m_list->setFocus(Qt::ShortcutFocusReason);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TargetsDialog::askRecommendedIntakes()
{
    RecommendedIntakesDialog ask(this);
    ask.setPerson(m_person);
    if (execWindowModal(ask) != QDialog::Accepted) {
        return;
    }
    m_person = ask.person();
    fillFromRecommendedIntakes(m_person);
}

void TargetsDialog::fillFromRecommendedIntakes(const RecommendedIntakes::Person& person)
{
    const RecommendedIntakes::Filled filled = RecommendedIntakes::builtIn().rangesFor(person, m_catalogue);
    m_model->fill(filled.ranges);
    // The nine that count a nutrient of the reference take its values too.
    for (std::size_t n = 0; n < m_minimums.size(); ++n) {
        const auto found = filled.ranges.find(NutrientTargets::catalogueNumber(static_cast<int>(n)));
        if (found != filled.ranges.end()) {
            m_minimums[n]->setText(boundText(found->second.minimum));
            m_maximums[n]->setText(boundText(found->second.maximum));
        }
    }
    QString whom = person.sex == RecommendedIntakes::Sex::Female ? tr("a female of %1").arg(person.age)
                                                                 : tr("a male of %1").arg(person.age);
    if (person.stage == RecommendedIntakes::Stage::Pregnant) {
        whom = tr("%1, pregnant").arg(whom);
    } else if (person.stage == RecommendedIntakes::Stage::Lactating) {
        whom = tr("%1, lactating").arg(whom);
    }
    QStringList lines { filled.ranges.size() == 1
            ? tr("1 nutrient filled from the recommended intakes for %1; OK saves it.").arg(whom)
            : tr("%1 nutrients filled from the recommended intakes for %2; OK saves them.")
                  .arg(filled.ranges.size())
                  .arg(whom) };
    if (!filled.unset.isEmpty()) {
        lines.append(tr("Left as they were, having no reference in their unit:"));
        lines.append(MessageText::listed(filled.unset));
    }
    m_note->setText(lines.join(QLatin1Char('\n')));
    // The note is never narrower than the list, so that width gives the most height it needs.
    m_note->setMinimumHeight(m_note->heightForWidth(m_list->minimumWidth()));
    m_note->show();
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
    // A bound still being typed counts: closing its editor commits it, and one refused keeps the
    // window open with nothing saved while its message shows.
    if (QWidget* editor = focusWidget(); editor && editor != m_list && m_list->isAncestorOf(editor)) {
        m_list->setFocus(Qt::OtherFocusReason);
    }
    if (m_refusalPending) {
        return;
    }
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
    edited.setKeptRanges(m_model->ranges());
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
