#include "gui/planner/FoodPicker.h"

#include "core/search/FoodList.h"
#include "core/storage/BackgroundFoodRead.h"
#include "core/storage/FoodStore.h"
#include "gui/planner/FoodListModel.h"
#include "gui/planner/FoodNameDelegate.h"

#include <QBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QLocale>

#include <numeric>

namespace {

// The first foods shown while the rest is read: a few screens of the list.
constexpr int kFirstFoods = 256;

} // namespace

FoodPicker::FoodPicker(QWidget* parent)
    : QObject(parent)
{
    m_model = new FoodListModel(this);
    m_reader = new BackgroundFoodRead(this);
    connect(m_reader, &BackgroundFoodRead::done, this, &FoodPicker::takeReadFoods);
    m_view = new QListView(parent);
    m_view->setObjectName(QStringLiteral("List1"));
    m_view->setAccessibleName(tr("Foods"));
    m_view->setModel(m_model);
    m_view->setItemDelegate(new FoodNameDelegate(m_view));
    m_view->setUniformItemSizes(true);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->installEventFilter(this);

    m_search = new QLineEdit(parent);
    m_search->setObjectName(QStringLiteral("FoodFilter"));
    m_search->setPlaceholderText(tr("Search foods"));
    m_search->setAccessibleName(tr("Search foods"));
    // The clear button is added by the main window once it has first shown, as its icon takes a
    // while to load and shows only once something is typed.
    m_search->installEventFilter(this);
    m_count = new QLabel(parent);
    m_count->setObjectName(QStringLiteral("FoodCount"));
    connect(m_search, &QLineEdit::textChanged, this, &FoodPicker::filter);
    // Whatever changes which food Enter takes tells the window, so that what it shows of the
    // chosen food (the serving unit) is never another food's.
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this, &FoodPicker::chosenChanged);
    connect(m_view->selectionModel(), &QItemSelectionModel::currentChanged, this, &FoodPicker::chosenChanged);
    connect(m_model, &QAbstractItemModel::modelReset, this, &FoodPicker::chosenChanged);
    connect(m_model, &QAbstractItemModel::layoutChanged, this, &FoodPicker::chosenChanged);
}

QBoxLayout* FoodPicker::makeLayout() const
{
    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(m_search, 1);
    filterRow->addWidget(m_count);
    auto* column = new QVBoxLayout;
    column->addLayout(filterRow);
    column->addWidget(m_view, 1);
    return column;
}

FoodPicker::FillResult FoodPicker::fill(FoodStore& foods, QString* error)
{
    m_keptPosition = -1;
    m_reader->stop();
    m_reading.reset();
    m_model->clear();
    if (!foods.refresh(error)) {
        return FillResult::CannotOpen;
    }
    if (BackgroundFoodRead::isWorthIt(foods)) {
        // The name index gives the first foods by name, which are the whole list's first rows.
        std::vector<TextColumn> first;
        if (foods.readFirstRows(
                { FoodFields::FOOD, FoodFields::SERVING_UN }, kFirstFoods, true, &first, nullptr, nullptr)) {
            std::vector<std::uint32_t> nameOrder(static_cast<std::size_t>(first[0].size()));
            std::iota(nameOrder.begin(), nameOrder.end(), 0u);
            m_model->setFoods(std::move(first[0]), std::move(first[1]), std::move(nameOrder), false);
            m_reading = std::make_shared<FoodList>();
            m_reader->start(foods.location(),
                [list = m_reading](const FoodStore& table, const std::atomic<bool>& stop, QString* reason) {
                    return FoodList::read(table, list.get(), reason, &stop);
                });
            showCount();
            return FillResult::Filled;
        }
    }
    auto list = std::make_shared<FoodList>();
    if (!FoodList::read(foods, list.get(), error)) {
        // A table that fails now may be fixed by the user: open it afresh next time.
        foods.close();
        return FillResult::CannotRead;
    }
    m_model->adoptFoods(std::move(list));
    showCount();
    return FillResult::Filled;
}

void FoodPicker::takeReadFoods(bool read, const QString& error)
{
    std::shared_ptr<FoodList> list = std::move(m_reading);
    if (!read) {
        showCount();
        emit readFailed(error);
        return;
    }
    // The first foods are the first rows of the whole list, so the food the user is on keeps its
    // place; the search text stays and now searches every food.
    const QModelIndex current = m_view->currentIndex();
    const int position = current.isValid() ? m_model->positionOfRow(current.row()) : -1;
    const QString food = current.isValid() ? m_model->foodName(current.row()) : QString();
    const bool selected = current.isValid() && m_view->selectionModel()->isSelected(current);
    m_model->adoptFoods(std::move(list));
    const int row = m_model->rowOfPosition(position);
    if (row >= 0 && m_model->foodName(row) == food) {
        m_view->setCurrentIndex(m_model->index(row));
        if (!selected) {
            m_view->selectionModel()->clearSelection();
        }
        m_view->scrollTo(m_model->index(row));
    }
    showCount();
}

void FoodPicker::copyFoods(const FoodListModel& other)
{
    m_keptPosition = -1;
    m_model->copyFoods(other);
    showCount();
}

int FoodPicker::chosenRow() const
{
    const QModelIndex current = m_view->currentIndex();
    if (current.isValid() && m_view->selectionModel()->isSelected(current)) {
        return current.row();
    }
    // A search with nothing selected takes its first food, as does a list of one food; the full
    // list without a choice takes none, so that a stray Enter adds nothing.
    if (m_model->rowCount() > 0 && (m_model->isFiltering() || m_model->rowCount() == 1)) {
        return 0;
    }
    return -1;
}

QString FoodPicker::chosenFood() const
{
    return m_model->foodName(chosenRow());
}

QString FoodPicker::chosenServingUnit() const
{
    return m_model->servingUnit(chosenRow());
}

void FoodPicker::filter()
{
    // The food that is selected stays selected while it is shown, and is selected again when a
    // search that hid it gives way to one that shows it.
    const QModelIndex current = m_view->currentIndex();
    if (current.isValid()) {
        m_keptPosition = m_model->positionOfRow(current.row());
        m_keptSelected = m_view->selectionModel()->isSelected(current);
    }
    m_model->setFilterText(m_search->text());
    const int row = m_model->rowOfPosition(m_keptPosition);
    if (row >= 0) {
        m_view->setCurrentIndex(m_model->index(row));
        if (!m_keptSelected) {
            m_view->selectionModel()->clearSelection();
        }
        m_view->scrollTo(m_model->index(row));
    }
    showCount();
}

void FoodPicker::showCount()
{
    const QLocale locale;
    if (!m_model->isComplete()) {
        m_count->setText(m_reader->isReading()
                ? tr("%1 of the first %2 foods, reading the rest...")
                      .arg(locale.toString(m_model->rowCount()), locale.toString(m_model->totalCount()))
                : tr("%1 of the first %2 foods; the rest could not be read")
                      .arg(locale.toString(m_model->rowCount()), locale.toString(m_model->totalCount())));
        return;
    }
    m_count->setText(
        tr("%1 of %2 foods").arg(locale.toString(m_model->rowCount()), locale.toString(m_model->totalCount())));
}

bool FoodPicker::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn && watched == m_search) {
        m_model->prepareSearch();
    }
    if (event->type() != QEvent::KeyPress) {
        return QObject::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
        && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (watched == m_search) {
        if (key->key() == Qt::Key_Down && m_model->rowCount() > 0) {
            const QModelIndex current = m_view->currentIndex();
            const QModelIndex target = current.isValid() ? current : m_model->index(0);
            m_view->setFocus(Qt::TabFocusReason);
            m_view->setCurrentIndex(target);
            m_view->selectionModel()->select(target, QItemSelectionModel::ClearAndSelect);
            return true;
        }
        if (key->key() == Qt::Key_Escape && !m_search->text().isEmpty()) {
            m_search->clear();
            return true;
        }
        if (enter) {
            emit taken();
            return true;
        }
    } else if (watched == m_view && enter) {
        emit taken();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
