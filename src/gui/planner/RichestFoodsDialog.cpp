#include "gui/planner/RichestFoodsDialog.h"

#include "core/search/RankingFoods.h"
#include "core/storage/BackgroundFoodRead.h"
#include "core/storage/FoodStore.h"
#include "gui/common/Prompt.h"
#include "gui/planner/RichestFoodsModel.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QCompleter>
#include <QFormLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>

namespace {

constexpr int NumberRole = Qt::UserRole;

} // namespace

RichestFoodsDialog::RichestFoodsDialog(FoodStore& foods, const QString& number, QWidget* parent)
    : QDialog(parent)
    , m_foods(foods)
    , m_reader(new BackgroundFoodRead(this))
    , m_columnReader(new BackgroundFoodRead(this))
    , m_model(new RichestFoodsModel(this))
{
    setObjectName(QStringLiteral("RichestFoods"));
    setWindowTitle(tr("Richest Foods"));

    m_nutrients = new QComboBox(this);
    m_nutrients->setObjectName(QStringLiteral("RichestNutrient"));
    m_nutrients->setAccessibleName(tr("Nutrient"));
    m_nutrients->setEditable(true);
    m_nutrients->setInsertPolicy(QComboBox::NoInsert);
    m_nutrients->setMaxVisibleItems(20);
    m_nutrients->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_nutrients->setMinimumContentsLength(28);
    m_basis = new QComboBox(this);
    m_basis->setObjectName(QStringLiteral("RichestBasis"));
    m_basis->setAccessibleName(tr("Basis"));
    for (const auto basis : { NutrientRanking::Basis::PerServing, NutrientRanking::Basis::Per100Grams,
             NutrientRanking::Basis::Per100Calories }) {
        m_basis->addItem(NutrientRanking::basisText(basis), int(basis));
    }
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("RichestFilter"));
    m_search->setPlaceholderText(tr("Search foods"));
    m_search->setAccessibleName(tr("Search foods"));
    m_search->setClearButtonEnabled(true);
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("RichestCount"));
    m_list = new QTableView(this);
    m_list->setObjectName(QStringLiteral("RichestList"));
    m_list->setAccessibleName(tr("Foods by amount"));
    m_list->setModel(m_model);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setWordWrap(false);
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->horizontalHeader()->setSectionResizeMode(RichestFoodsModel::Food, QHeaderView::Stretch);
    m_list->horizontalHeader()->setSectionResizeMode(RichestFoodsModel::Amount, QHeaderView::ResizeToContents);
    m_list->horizontalHeader()->setSectionResizeMode(RichestFoodsModel::Basis, QHeaderView::ResizeToContents);
    // Columns are sized by the rows on screen alone: sampling further rows would settle the whole
    // ranking before the first screen shows.
    m_list->horizontalHeader()->setResizeContentsPrecision(0);
    m_list->setMinimumSize(520, 300);
    m_quantity = new QLineEdit(QStringLiteral("1"), this);
    m_quantity->setObjectName(QStringLiteral("RichestQuantity"));
    m_quantity->setAccessibleName(tr("Quantity"));
    m_quantity->setMaximumWidth(120);
    m_add = new QPushButton(tr("Add to Meal"), this);
    m_add->setObjectName(QStringLiteral("RichestAdd"));
    m_add->setAutoDefault(false);
    m_close = new QPushButton(tr("Close"), this);
    m_close->setObjectName(QStringLiteral("RichestClose"));
    m_close->setAutoDefault(false);

    auto* choices = new QFormLayout;
    choices->addRow(tr("&Nutrient:"), m_nutrients);
    choices->addRow(tr("&Amount:"), m_basis);
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(m_search, 1);
    searchRow->addWidget(m_count);
    auto* quantityLabel = new QLabel(tr("&Quantity:"), this);
    quantityLabel->setBuddy(m_quantity);
    auto* commands = new QHBoxLayout;
    commands->addWidget(quantityLabel);
    commands->addWidget(m_quantity);
    commands->addWidget(m_add);
    commands->addStretch(1);
    commands->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addLayout(searchRow);
    layout->addWidget(m_list, 1);
    layout->addLayout(commands);
    setTabOrder(m_search, m_list);
    setTabOrder(m_list, m_quantity);
    setTabOrder(m_quantity, m_add);
    setTabOrder(m_add, m_close);
    setTabOrder(m_close, m_nutrients);
    setTabOrder(m_nutrients, m_basis);
    for (QWidget* field : std::initializer_list<QWidget*> { m_search, m_list, m_quantity }) {
        field->installEventFilter(this);
    }

    connect(m_reader, &BackgroundFoodRead::done, this, &RichestFoodsDialog::takeFoods);
    connect(m_columnReader, &BackgroundFoodRead::done, this, &RichestFoodsDialog::takeColumn);
    connect(m_search, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_model->setFilterText(text);
        showCount();
    });
    connect(m_basis, &QComboBox::currentIndexChanged, this, &RichestFoodsDialog::showRanking);
    connect(m_add, &QPushButton::clicked, this, &RichestFoodsDialog::addChosen);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QAbstractItemView::doubleClicked, this, &RichestFoodsDialog::addChosen);

    fillNutrients();
    if (number.isEmpty() || !chooseNutrient(number)) {
        for (int item = 0; item < m_nutrients->count(); ++item) {
            if (!m_nutrients->itemData(item, NumberRole).toString().isEmpty()) {
                m_nutrients->setCurrentIndex(item);
                break;
            }
        }
    }
    connect(m_nutrients, &QComboBox::currentIndexChanged, this, &RichestFoodsDialog::showRanking);
    readFoods();
    m_search->setFocus(Qt::OtherFocusReason);
}

RichestFoodsDialog::~RichestFoodsDialog() = default;

void RichestFoodsDialog::fillNutrients()
{
    QString error;
    if (!m_foods.refresh(&error) || !m_foods.nutrientCatalogue(&m_catalogue, &error)) {
        Prompt::error(this, tr("The food table cannot be read.\n%1").arg(error));
        return;
    }
    // The nutrients under their groups' names, which cannot be chosen themselves.
    auto* items = new QStandardItemModel(m_nutrients);
    std::optional<NutrientGroup> group;
    for (const Nutrient& nutrient : m_catalogue.nutrients()) {
        if (nutrient.group != group) {
            group = nutrient.group;
            auto* heading = new QStandardItem(NutrientCatalogue::groupName(nutrient.group));
            heading->setFlags(Qt::NoItemFlags);
            QFont bold = heading->font();
            bold.setBold(true);
            heading->setFont(bold);
            items->appendRow(heading);
        }
        auto* item = new QStandardItem(QStringLiteral("%1 (%2)").arg(nutrient.name, nutrient.unit));
        item->setData(nutrient.number, NumberRole);
        item->setToolTip(NutrientCatalogue::columnHeader(nutrient));
        items->appendRow(item);
    }
    m_nutrients->setModel(items);
    // Typing finds a nutrient by any part of its name.
    m_nutrients->completer()->setFilterMode(Qt::MatchContains);
    m_nutrients->completer()->setCaseSensitivity(Qt::CaseInsensitive);
    m_nutrients->completer()->setCompletionMode(QCompleter::PopupCompletion);
}

bool RichestFoodsDialog::chooseNutrient(const QString& number)
{
    const int item = number.isEmpty() ? -1 : m_nutrients->findData(number, NumberRole, Qt::MatchExactly);
    if (item < 0) {
        return false;
    }
    m_nutrients->setCurrentIndex(item);
    return true;
}

QString RichestFoodsDialog::chosenNutrient() const
{
    return m_nutrients->currentData(NumberRole).toString();
}

void RichestFoodsDialog::chooseBasis(NutrientRanking::Basis basis)
{
    m_basis->setCurrentIndex(m_basis->findData(int(basis)));
}

NutrientRanking::Basis RichestFoodsDialog::chosenBasis() const
{
    return NutrientRanking::Basis(m_basis->currentData().toInt());
}

const Nutrient* RichestFoodsDialog::chosenNutrientEntry() const
{
    return m_catalogue.find(chosenNutrient());
}

bool RichestFoodsDialog::isReading() const
{
    return m_reader->isReading() || m_columnReader->isReading();
}

void RichestFoodsDialog::readFoods()
{
    QString error;
    if (!m_foods.isOpen() && !m_foods.refresh(&error)) {
        Prompt::error(this, tr("The food table cannot be read.\n%1").arg(error));
        return;
    }
    m_readingFoods = std::make_shared<RankingFoods>();
    const auto read = [foods = m_readingFoods](const FoodStore& table, const std::atomic<bool>& stop, QString* reason) {
        return RankingFoods::read(table, foods.get(), reason, &stop);
    };
    if (BackgroundFoodRead::isWorthIt(m_foods)) {
        // The values are read beside the foods, each on a core: the first list waits for the
        // longer of the two reads only.
        m_reader->start(m_foods.location(), read);
        if (chosenNutrientEntry()) {
            readColumn(chosenNutrient());
        }
        showFirstFoods();
        showCount();
        return;
    }
    const std::atomic<bool> stop { false };
    const bool done = read(m_foods, stop, &error);
    takeFoods(done, error);
}

void RichestFoodsDialog::takeFoods(bool read, const QString& error)
{
    std::shared_ptr<RankingFoods> foods = std::move(m_readingFoods);
    if (!read) {
        m_columnReader->stop();
        m_column.reset();
        showCount();
        Prompt::error(this, tr("The food table cannot be read.\n%1").arg(error));
        return;
    }
    m_ranking = std::move(foods);
    // Values read for the same rows are the foods' own; rows that differ (another program
    // changed the table between the two reads) are read again for the foods.
    if (m_column && m_column->done) {
        if (m_column->rows == m_ranking->rows()) {
            m_ranking->keepColumn(m_column->number, std::move(m_column->values));
        }
        m_column.reset();
    }
    showRanking();
}

void RichestFoodsDialog::readColumn(const QString& number)
{
    m_column = std::make_shared<ColumnRead>();
    m_column->number = number;
    if (m_ranking) {
        m_column->rows = m_ranking->rows();
    }
    const bool rowsKnown = bool(m_ranking);
    const auto read = [column = m_column, rowsKnown](const FoodStore& table, const std::atomic<bool>&, QString* error) {
        std::vector<TextColumn> units;
        // Without the foods the rows are read here, with the shortest of their fields.
        return (rowsKnown || table.readColumns({ FoodFields::SERVING_UN }, &units, &column->rows, error))
            && RankingFoods::readColumn(table, column->rows, column->number, &column->values, error);
    };
    if (BackgroundFoodRead::isWorthIt(m_foods)) {
        m_columnReader->start(m_foods.location(), read);
        return;
    }
    QString error;
    const std::atomic<bool> stop { false };
    const bool done = m_foods.refresh(&error) && read(m_foods, stop, &error);
    takeColumn(done, error);
}

void RichestFoodsDialog::takeColumn(bool read, const QString& error)
{
    if (!m_column) {
        return;
    }
    if (!read) {
        m_column.reset();
        showCount();
        Prompt::error(this, tr("The food table cannot be read.\n%1").arg(error));
        return;
    }
    m_column->done = true;
    if (!m_ranking) {
        // Kept until the foods are read.
        showCount();
        return;
    }
    std::shared_ptr<ColumnRead> column = std::move(m_column);
    if (column->rows == m_ranking->rows()) {
        m_ranking->keepColumn(column->number, std::move(column->values));
    }
    showRanking();
}

void RichestFoodsDialog::showRanking()
{
    const Nutrient* nutrient = chosenNutrientEntry();
    const std::vector<double>* column = m_ranking && nutrient ? m_ranking->column(nutrient->number) : nullptr;
    if (!column) {
        // The first foods of this ranking stay, with the row the user is on, until it is read.
        const bool firstShown = m_model->isShowingFirstFoods() && nutrient && m_firstFoodsOf == nutrient->number
            && chosenBasis() == NutrientRanking::Basis::PerServing;
        if (!firstShown) {
            m_model->clear();
        }
        if (nutrient && !(m_column && m_column->number == nutrient->number)) {
            readColumn(nutrient->number);
            // A small table is read at once, and the ranking is shown already.
            if (!isReading()) {
                return;
            }
        }
        if (!firstShown) {
            showFirstFoods();
        }
        showCount();
        return;
    }
    m_columnReader->stop();
    m_column.reset();
    // The first foods shown meanwhile are the ranking's first places: the row the user is on stays.
    const int kept = m_model->isShowingFirstFoods() ? m_list->currentIndex().row() : -1;
    m_model->setRanking(m_ranking, *column, nutrient->unit, chosenBasis());
    if (kept >= 0 && kept < m_model->rowCount()) {
        m_list->setCurrentIndex(m_model->index(kept, 0));
        m_list->selectRow(kept);
    } else if (m_model->rowCount() > 0) {
        m_list->scrollToTop();
    }
    showCount();
    // The places past the first screen are settled once the list has shown, unless asked for sooner.
    QTimer::singleShot(100, m_model, &RichestFoodsModel::complete);
}

void RichestFoodsDialog::showFirstFoods()
{
    const Nutrient* nutrient = chosenNutrientEntry();
    if (!nutrient || chosenBasis() != NutrientRanking::Basis::PerServing) {
        return;
    }
    // A table that cannot find them so, or fails to, is ranked whole as the reads end; they
    // report a failure themselves.
    std::vector<FoodStore::RichFood> first;
    bool found = false;
    if (RankingFoods::readFirst(m_foods, nutrient->number, &first, &found, nullptr) && found && !first.empty()) {
        m_model->setFirstFoods(std::move(first), nutrient->unit);
        m_firstFoodsOf = nutrient->number;
    }
}

void RichestFoodsDialog::showCount()
{
    const QLocale locale;
    if (isReading()) {
        m_count->setText(m_ranking ? tr("Reading the values...") : tr("Reading the foods..."));
        return;
    }
    const NutrientRanking& ranking = m_model->ranking();
    const QString leftOut = ranking.leftOutCount() == 0
        ? QString()
        : tr("; %1 without the value left out").arg(locale.toString(qulonglong(ranking.leftOutCount())));
    m_count->setText(
        tr("%1 of %2 foods%3")
            .arg(locale.toString(m_model->rowCount()), locale.toString(qulonglong(ranking.rankedCount())), leftOut));
}

QString RichestFoodsDialog::chosenFood() const
{
    const QModelIndex current = m_list->currentIndex();
    if (current.isValid() && m_list->selectionModel()->isSelected(current)) {
        return m_model->foodName(current.row());
    }
    if (m_model->rowCount() > 0 && (m_model->isFiltering() || m_model->rowCount() == 1)) {
        return m_model->foodName(0);
    }
    return QString();
}

void RichestFoodsDialog::addChosen()
{
    const QString food = chosenFood();
    if (!food.isEmpty()) {
        emit addToMealRequested(food, m_quantity->text());
    }
}

bool RichestFoodsDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            addChosen();
            return true;
        }
        // Escape empties the search box before it closes the window, as in the main window.
        if (watched == m_search && key->key() == Qt::Key_Escape && !m_search->text().isEmpty()) {
            m_search->clear();
            return true;
        }
        if (watched == m_search && key->key() == Qt::Key_Down && m_model->rowCount() > 0) {
            const QModelIndex target = m_list->currentIndex().isValid() ? m_list->currentIndex() : m_model->index(0, 0);
            m_list->setFocus(Qt::TabFocusReason);
            m_list->setCurrentIndex(target);
            m_list->selectRow(target.row());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
