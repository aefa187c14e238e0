#include "gui/fooddb/FoodGridDialog.h"

#include "gui/common/CommandButton.h"
#include "gui/common/WindowModal.h"
#include "gui/common/WindowSizes.h"

#include "core/files/TextFile.h"
#include "core/files/UserFiles.h"
#include "core/storage/BackgroundFoodRead.h"
#include "core/storage/FoodStore.h"
#include "gui/common/Prompt.h"
#include "gui/fooddb/FoodPropertiesModel.h"
#include "gui/fooddb/GridCaptionBar.h"
#include "gui/info/QuickHelpViewer.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>

#include <climits>

#include <algorithm>
#include <optional>

namespace {

// The measures the layout keeps, in pixels at 100 % scale.
constexpr QSize kGridMinimum { 881, 233 };
constexpr QSize kSmallButton { 65, 25 };
constexpr QSize kSearchText { 105, 25 };
constexpr QSize kSaveButton { 137, 41 };
constexpr QSize kHelpButton { 73, 41 };
constexpr QSize kCloseButton { 65, 41 };
constexpr QSize kNutrientsButton { 89, 41 };
constexpr int kNutrientColumnWidth = 110;
constexpr QSize kProgress { 281, 17 };
constexpr int kProgressGap = 39;
// The rows shown while the rest is read: a few screens of the grid.
constexpr int kFirstRows = 256;
constexpr QMargins kMargins { 16, 8, 16, 8 };
constexpr std::pair<int, int> kColumnWidths[]
    = { { FoodFields::FOOD, 243 }, { FoodFields::CARBS, 86 }, { FoodFields::CHOLESTERO, 80 } };

} // namespace

FoodGridDialog::FoodGridDialog(const UserFiles& files, FoodStore& database, bool sortedByName, QWidget* parent)
    : QDialog(parent)
    , m_files(files)
    , m_database(database)
    , m_model(new FoodPropertiesModel(this))
    , m_reader(new BackgroundFoodRead(this))
{
    setObjectName(QStringLiteral("GridView"));
    setWindowTitle(tr("View Food Properties"));

    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("MSFlexGrid1"));
    m_grid->setAccessibleName(tr("Food properties"));
    m_grid->setModel(m_model);
    m_grid->horizontalHeader()->hide();
    m_grid->verticalHeader()->hide();
    // Fixed row heights let the view place any of a million rows without measuring them.
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_grid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    m_grid->setWordWrap(false);
    m_grid->setMinimumSize(kGridMinimum);
    m_captions = new GridCaptionBar(m_grid, FoodFields::gridCaptions(), this);

    m_findText = makeCommandButton(this, QStringLiteral("cmdFindTxt"), tr("Find Text"), kSmallButton);
    m_searchText = new QLineEdit(this);
    m_searchText->setObjectName(QStringLiteral("Text1"));
    m_searchText->setAccessibleName(tr("Text to find"));
    m_searchText->setMinimumSize(kSearchText);
    m_sort = makeCommandButton(this, QStringLiteral("cmdSort"), tr("Sort"), kSmallButton);
    m_printTable
        = makeCommandButton(this, QStringLiteral("PrintTable"), tr("Save Food Property Table to File"), kSaveButton);
    m_help = makeCommandButton(this, QStringLiteral("LoadPlatewellHelp"), tr("Quick Help"), kHelpButton);
    m_close = makeCommandButton(this, QStringLiteral("cmdClose"), tr("Close"), kCloseButton);
    m_nutrientColumns
        = makeCommandButton(this, QStringLiteral("nutrientColumns"), tr("Nutrients..."), kNutrientsButton);
    m_nutrientColumns->setToolTip(tr("Choose nutrient columns to show beside the ten fields"));
    m_nutrientMenu = new QMenu(m_nutrientColumns);
    m_nutrientMenu->setObjectName(QStringLiteral("nutrientColumnsMenu"));
    m_nutrientColumns->setMenu(m_nutrientMenu);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    m_progress->setMinimumSize(kProgress);
    m_progress->setTextVisible(false);
    // The bar keeps its place while hidden, so showing it for a search moves nothing else.
    QSizePolicy barPolicy = m_progress->sizePolicy();
    barPolicy.setRetainSizeWhenHidden(true);
    m_progress->setSizePolicy(barPolicy);
    m_progress->hide();

    auto* commands = new QGridLayout;
    commands->addWidget(m_findText, 0, 0);
    commands->addWidget(m_searchText, 0, 1);
    commands->addWidget(m_sort, 0, 2);
    commands->addWidget(m_progress, 1, 0, 1, 3);
    commands->setColumnMinimumWidth(3, kProgressGap);
    commands->addWidget(m_printTable, 0, 4, 2, 1, Qt::AlignTop);
    commands->addWidget(m_help, 0, 5, 2, 1, Qt::AlignTop);
    commands->addWidget(m_close, 0, 6, 2, 1, Qt::AlignTop);
    commands->addWidget(m_nutrientColumns, 0, 7, 2, 1, Qt::AlignTop);
    commands->setColumnStretch(8, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargins);
    layout->addWidget(m_captions);
    layout->addWidget(m_grid, 1);
    layout->addLayout(commands);
    resize(WindowSizes::FoodGridDialog);

    connect(m_findText, &QPushButton::clicked, this, &FoodGridDialog::findText);
    // Enter in the search text starts Find Text, as the button does.
    connect(m_searchText, &QLineEdit::returnPressed, this, &FoodGridDialog::findText);
    connect(m_sort, &QPushButton::clicked, this, &FoodGridDialog::sortSelection);
    connect(m_printTable, &QPushButton::clicked, this, &FoodGridDialog::saveTable);
    connect(m_help, &QPushButton::clicked, this, &FoodGridDialog::showQuickHelp);
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
    connect(m_reader, &BackgroundFoodRead::done, this, &FoodGridDialog::takeReadFoods);

    loadFoods(sortedByName);
}

FoodGridDialog::~FoodGridDialog() = default;

void FoodGridDialog::loadFoods(bool sortedByName)
{
    for (const auto& [column, width] : kColumnWidths) {
        m_grid->setColumnWidth(column, width);
    }
    // A bold caption wider than its column (Carbohydrates in most fonts) widens the column.
    for (int column = 0; column < FoodFields::FieldCount; ++column) {
        if (auto* caption = findChild<QLabel*>(QStringLiteral("ColumnCaption%1").arg(column))) {
            m_grid->setColumnWidth(column, std::max(m_grid->columnWidth(column), caption->sizeHint().width() + 4));
        }
    }
    QString error;
    // Without the table the commands stay off: saving an empty grid would replace a good food
    // property table file with an empty one.
    for (QPushButton* command : { m_findText, m_sort, m_printTable, m_nutrientColumns }) {
        command->setEnabled(false);
    }
    if (!m_database.refresh(&error)) {
        m_model->clear();
        Prompt::error(this, tr("The food table cannot be opened.\n%1").arg(error));
        return;
    }
    // Opened sorted, the grid takes its rows in name order at once: the same order the sort on
    // column 0 gives, without sorting a million rows after reading them.
    FoodPropertiesModel::Contents first;
    if (BackgroundFoodRead::isWorthIt(m_database)
        && FoodPropertiesModel::readFirst(m_database, sortedByName, kFirstRows, &first)) {
        // The first rows, in the grid's order, are the whole grid's first rows.
        keepingWidths([&] { m_model->show(std::move(first), false); });
        m_reading = std::make_shared<FoodPropertiesModel::Contents>();
        m_reader->start(m_database.location(),
            [contents = m_reading, sortedByName](
                const FoodStore& foods, const std::atomic<bool>& stop, QString* reason) {
                return FoodPropertiesModel::read(foods, sortedByName, contents.get(), reason, &stop, true);
            });
        showReading(true);
        setCurrentCell(0, 0);
        return;
    }
    if (!m_model->load(m_database, &error, sortedByName)) {
        Prompt::error(this, tr("The food table cannot be read.\n%1").arg(error));
        return;
    }
    showReading(false);
    setCurrentCell(0, 0);
}

bool FoodGridDialog::isReading() const
{
    return m_reader->isReading();
}

void FoodGridDialog::takeReadFoods(bool read, const QString& error)
{
    const std::shared_ptr<FoodPropertiesModel::Contents> contents = std::move(m_reading);
    if (!read) {
        // The first rows stay, and the commands that need every row stay off.
        m_progress->hide();
        Prompt::error(this, tr("The food table cannot be read.\n%1").arg(error));
        return;
    }
    // The cell the user is on keeps its place when the food there is the same.
    const QModelIndex current = m_grid->currentIndex();
    const qint64 food = current.isValid() ? m_model->rowidAt(current.row()) : 0;
    keepingWidths([&] { m_model->show(std::move(*contents)); });
    showReading(false);
    if (current.isValid() && food != 0 && m_model->rowidAt(current.row()) == food) {
        setCurrentCell(current.row(), current.column());
        m_grid->scrollTo(m_model->index(current.row(), current.column()));
    } else {
        setCurrentCell(0, 0);
    }
}

void FoodGridDialog::showReading(bool reading)
{
    for (QPushButton* command : { m_findText, m_sort, m_printTable }) {
        command->setEnabled(!reading);
    }
    if (reading) {
        m_progress->setRange(0, 0);
        m_progress->setFormat(tr("Reading the food table..."));
        m_progress->setTextVisible(true);
        m_progress->setToolTip(tr("Find Text, Sort, Save and Nutrients wait until every food is read."));
        m_progress->show();
        m_nutrientColumns->setEnabled(false);
        return;
    }
    m_progress->hide();
    m_progress->setTextVisible(false);
    m_progress->setToolTip(QString());
    // Without a catalogue the grid has its ten columns and nothing to choose.
    m_nutrientColumns->setEnabled(m_database.nutrientCatalogue(&m_catalogue, nullptr) && !m_catalogue.isEmpty());
    fillNutrientMenu();
}

void FoodGridDialog::keepingWidths(const std::function<void()>& change)
{
    std::vector<int> widths;
    for (int column = 0; column < FoodPropertiesModel::ColumnCount; ++column) {
        widths.push_back(m_grid->columnWidth(column));
    }
    change();
    for (int column = 0; column < FoodPropertiesModel::ColumnCount; ++column) {
        m_grid->setColumnWidth(column, widths[static_cast<std::size_t>(column)]);
    }
}

void FoodGridDialog::fillNutrientMenu()
{
    m_nutrientMenu->clear();
    QMenu* groupMenu = nullptr;
    std::optional<NutrientGroup> group;
    for (const Nutrient& nutrient : m_catalogue.nutrients()) {
        if (group != nutrient.group) {
            group = nutrient.group;
            groupMenu = m_nutrientMenu->addMenu(NutrientCatalogue::groupName(nutrient.group));
        }
        QAction* action = groupMenu->addAction(QStringLiteral("%1 (%2)").arg(nutrient.name, nutrient.unit));
        action->setObjectName(QStringLiteral("nutrientColumn_") + nutrient.number);
        action->setData(nutrient.number);
        action->setCheckable(true);
        connect(action, &QAction::toggled, this, [this] {
            QStringList numbers;
            for (const QAction* chosen : m_nutrientMenu->findChildren<QAction*>()) {
                if (chosen->isChecked()) {
                    numbers.append(chosen->data().toString());
                }
            }
            showNutrientColumns(numbers);
        });
    }
}

bool FoodGridDialog::showNutrientColumns(const QStringList& numbers)
{
    // The columns come with the whole table; their menu is off until then.
    if (isReading()) {
        return false;
    }
    std::vector<Nutrient> nutrients;
    for (const Nutrient& nutrient : m_catalogue.nutrients()) {
        if (numbers.contains(nutrient.number)) {
            nutrients.push_back(nutrient);
        }
    }
    QString error;
    bool read = false;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    keepingWidths([&] { read = m_model->setNutrientColumns(m_database, nutrients, &error); });
    QApplication::restoreOverrideCursor();
    // The menu shows what the grid shows, also when the columns could not be read.
    for (QAction* action : m_nutrientMenu->findChildren<QAction*>()) {
        if (action->isCheckable()) {
            const QSignalBlocker quiet(action);
            action->setChecked(read && numbers.contains(action->data().toString()));
        }
    }
    m_captions->setCaptions(m_model->captions());
    for (int column = FoodPropertiesModel::ColumnCount; column < m_model->columnCount(); ++column) {
        m_grid->setColumnWidth(column, kNutrientColumnWidth);
    }
    setCurrentCell(0, 0);
    if (!read) {
        Prompt::error(this, tr("The nutrients cannot be read.\n%1").arg(error));
    }
    return read;
}

void FoodGridDialog::setCurrentCell(int row, int column)
{
    const QModelIndex cell = m_model->index(row, column);
    if (!cell.isValid()) {
        return;
    }
    m_grid->selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect);
}

void FoodGridDialog::findText()
{
    // Enter in the text waits, as the button does, until every food is read.
    if (isReading()) {
        return;
    }
    setCurrentCell(0, 0);
    const int rows = m_model->rowCount();
    m_progress->show();
    m_progress->setRange(0, std::max(1, rows - 1));
    m_progress->setValue(0);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // The bar takes every step but is painted at most every 50 ms: painting it at each of the 160
    // steps cost a search of a million foods as much as the search itself.
    QElapsedTimer sincePainted;
    sincePainted.start();
    m_progress->setUpdatesEnabled(false);
    const QModelIndex last = m_model->find(m_searchText->text(), [&](int, int row) {
        m_progress->setValue(row);
        if (sincePainted.elapsed() >= 50) {
            m_progress->setUpdatesEnabled(true);
            m_progress->repaint();
            m_progress->setUpdatesEnabled(false);
            sincePainted.restart();
        }
    });
    m_progress->setUpdatesEnabled(true);
    QApplication::restoreOverrideCursor();
    m_progress->hide();
    if (last.isValid()) {
        setCurrentCell(last.row(), last.column());
        m_grid->scrollTo(last);
    }
}

void FoodGridDialog::sortSelection()
{
    if (isReading()) {
        return;
    }
    QModelIndex current = m_grid->currentIndex();
    if (!current.isValid()) {
        current = m_model->index(0, 0);
        if (!current.isValid()) {
            return;
        }
    }
    int top = current.row();
    int bottom = current.row();
    int left = current.column();
    int right = current.column();
    const QItemSelection selection = m_grid->selectionModel()->selection();
    if (!selection.isEmpty()) {
        top = left = INT_MAX;
        bottom = right = INT_MIN;
        for (const QItemSelectionRange& range : selection) {
            top = std::min(top, range.top());
            bottom = std::max(bottom, range.bottom());
            left = std::min(left, range.left());
            right = std::max(right, range.right());
        }
    }
    std::vector<int> keys;
    for (int column = left; column <= right; ++column) {
        keys.push_back(column);
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (top == bottom) {
        m_model->sortRows(keys, 0, m_model->rowCount() - 1);
    } else {
        m_model->sortRows(keys, top, bottom);
    }
    QApplication::restoreOverrideCursor();
    // The selection and the current cell stay where they were on the grid; the rows moved under
    // them.
    const QModelIndex keep = m_model->index(current.row(), current.column());
    m_grid->selectionModel()->setCurrentIndex(keep, QItemSelectionModel::NoUpdate);
    m_grid->selectionModel()->select(
        QItemSelection(m_model->index(top, left), m_model->index(bottom, right)), QItemSelectionModel::ClearAndSelect);
}

void FoodGridDialog::saveTable()
{
    // Saved half, the file would replace a whole table with its first rows.
    if (isReading()) {
        return;
    }
    const QString path = m_files.foodPropertyTablePath();
    QString error;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool written = TextFile::writeLines(path, m_model->tableLines(), &error);
    QApplication::restoreOverrideCursor();
    if (!written) {
        Prompt::error(this, tr("The food property table could not be saved.\n%1").arg(error));
        return;
    }
    Prompt::message(this, tr("The food property table was saved to\n%1").arg(QDir::toNativeSeparators(path)),
        tr("Save Food Property Table to File"));
}

void FoodGridDialog::showQuickHelp()
{
    QuickHelpViewer help(m_files, this);
    execWindowModal(help);
}
