#include "gui/fooddb/FoodEditorDialog.h"

#include "core/storage/BackgroundFoodRead.h"
#include "core/storage/FoodStore.h"
#include "core/text/MessageText.h"
#include "core/text/NumberText.h"

#include "gui/common/CommandButton.h"
#include "gui/common/WindowModal.h"
#include "gui/common/WindowSizes.h"

#include "core/files/UserFiles.h"
#include "gui/common/Prompt.h"
#include "gui/common/WindowKeys.h"
#include "gui/fooddb/FoodGridDialog.h"
#include "gui/fooddb/FoodNutrientsModel.h"
#include "gui/info/QuickHelpViewer.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QShortcut>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

namespace {

// The measures the layout keeps, in pixels at 100 % scale.
constexpr int kCaptionWidth = 89;
constexpr int kFieldSpacing = 7;
constexpr int kFieldHeight = 25;
constexpr QSize kNavigationBar { 153, 25 };
constexpr QSize kWideButton { 113, 25 };
constexpr QSize kNarrowButton { 89, 25 };
constexpr QSize kWideTallButton { 113, 41 };
constexpr QSize kNarrowTallButton { 89, 41 };
constexpr int kGroupSpacing = 15;
// The records shown while the rest is read: more than anyone steps through with Next meanwhile.
constexpr int kFirstRecords = 256;
constexpr int kMargin = 8;
constexpr int kNutrientsMinimumWidth = 300;

struct FieldPlace
{
    FoodFields::Field field;
    const char* caption;
    int width;
    const char* unit;
};

// The fields top to bottom, with their captions, widths in pixels and units.
constexpr FieldPlace fieldPlaces[] = {
    { FoodFields::FOOD, QT_TR_NOOP("Food"), 249, "" },
    { FoodFields::SERVING_UN, QT_TR_NOOP("Per Serving Unit"), 137, "" },
    { FoodFields::CALORIES, QT_TR_NOOP("Calories"), 65, "" },
    { FoodFields::CARBS, QT_TR_NOOP("Carbohydrates"), 65, QT_TR_NOOP("g") },
    { FoodFields::FAT, QT_TR_NOOP("Fat"), 65, QT_TR_NOOP("g") },
    { FoodFields::SUGAR, QT_TR_NOOP("Sugar"), 65, QT_TR_NOOP("g") },
    { FoodFields::CHOLESTERO, QT_TR_NOOP("Cholesterol"), 65, QT_TR_NOOP("mg") },
    { FoodFields::FIBER, QT_TR_NOOP("Fiber"), 65, QT_TR_NOOP("g") },
    { FoodFields::SUGAR_ALC, QT_TR_NOOP("Sugar Alcohols"), 65, QT_TR_NOOP("g") },
    { FoodFields::POINTS, QT_TR_NOOP("Points"), 65, "" },
};

QToolButton* makeNavigationButton(QWidget* parent, const QString& name, const QString& caption, const QString& tip)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(caption);
    button->setToolTip(tip);
    button->setAutoRaise(true);
    return button;
}

bool allEmpty(const QStringList& values)
{
    return std::all_of(values.begin(), values.end(), [](const QString& value) { return value.isEmpty(); });
}

} // namespace

FoodEditorDialog::FoodEditorDialog(
    const UserFiles& files, FoodStore& database, QString& previousSearch, QWidget* parent)
    : QDialog(parent)
    , m_files(files)
    , m_database(database)
    , m_previousSearch(previousSearch)
{
    setObjectName(QStringLiteral("FoodEdit"));
    setWindowTitle(tr("Edit Food List"));

    auto* fields = new QGridLayout;
    fields->setSpacing(kFieldSpacing);
    fields->setColumnMinimumWidth(0, kCaptionWidth);
    int line = 0;
    for (const FieldPlace& place : fieldPlaces) {
        const QString name = FoodFields::fieldNames().at(place.field);
        auto* caption = new QLabel(tr(place.caption), this);
        caption->setObjectName(name + QStringLiteral("_Caption"));
        auto* edit = new QLineEdit(this);
        edit->setObjectName(name);
        // A field holds the whole stored text: a cut text would be written back as a change.
        edit->setMaxLength(std::numeric_limits<int>::max());
        edit->setFixedWidth(place.width);
        edit->setMinimumHeight(kFieldHeight);
        caption->setBuddy(edit);
        // Ctrl+Home and Ctrl+End move between foods, not the field's cursor.
        giveKeysToWindow(edit, { QKeySequence(Qt::CTRL | Qt::Key_Home), QKeySequence(Qt::CTRL | Qt::Key_End) });
        m_fields[static_cast<std::size_t>(place.field)] = edit;
        auto* row = new QHBoxLayout;
        row->setSpacing(kFieldSpacing);
        row->addWidget(edit);
        if (*place.unit) {
            auto* unit = new QLabel(tr(place.unit), this);
            unit->setObjectName(name + QStringLiteral("_Unit"));
            row->addWidget(unit);
        }
        row->addStretch(1);
        fields->addWidget(caption, line, 0);
        fields->addLayout(row, line, 1);
        ++line;
    }

    auto* foods = new QFrame(this);
    foods->setObjectName(QStringLiteral("Foods"));
    foods->setFrameShape(QFrame::Box);
    foods->setMinimumSize(kNavigationBar);
    m_moveFirst = makeNavigationButton(foods, QStringLiteral("MoveFirst"), QStringLiteral("|<"), tr("First food"));
    m_movePrevious
        = makeNavigationButton(foods, QStringLiteral("MovePrevious"), QStringLiteral("<"), tr("Previous food"));
    m_moveNext = makeNavigationButton(foods, QStringLiteral("MoveNext"), QStringLiteral(">"), tr("Next food"));
    m_moveLast = makeNavigationButton(foods, QStringLiteral("MoveLast"), QStringLiteral(">|"), tr("Last food"));
    auto* foodsCaption = new QLabel(tr(" Food List"), foods);
    foodsCaption->setObjectName(QStringLiteral("Foods_Caption"));
    auto* navigation = new QHBoxLayout(foods);
    navigation->setContentsMargins(1, 1, 1, 1);
    navigation->setSpacing(0);
    navigation->addWidget(m_moveFirst);
    navigation->addWidget(m_movePrevious);
    navigation->addWidget(foodsCaption, 1);
    navigation->addWidget(m_moveNext);
    navigation->addWidget(m_moveLast);
    auto* navigationRow = new QHBoxLayout;
    navigationRow->addSpacing(kCaptionWidth + kFieldSpacing);
    navigationRow->addWidget(foods);
    navigationRow->addStretch(1);

    m_addFood = makeCommandButton(this, QStringLiteral("AddFood"), tr("Add"), kWideButton);
    m_deleteFood = makeCommandButton(this, QStringLiteral("DeleteFood"), tr("Delete"), kNarrowButton);
    m_findFood = makeCommandButton(this, QStringLiteral("FindFood"), tr("Find"), kWideButton);
    m_viewAll
        = makeCommandButton(this, QStringLiteral("ViewFoodProps"), tr("View All Food Properties"), kWideTallButton);
    m_quickHelp = makeCommandButton(this, QStringLiteral("PlatewellHelp"), tr("Quick Help"), kNarrowTallButton);
    m_close = makeCommandButton(this, QStringLiteral("CloseEditor"), tr("Close"), kWideTallButton);
    auto* commands = new QGridLayout;
    commands->addWidget(m_addFood, 0, 0);
    commands->addWidget(m_deleteFood, 0, 1);
    commands->addWidget(m_findFood, 0, 2);
    commands->addWidget(m_viewAll, 1, 0);
    commands->addWidget(m_quickHelp, 1, 1);
    commands->addWidget(m_close, 1, 2);
    commands->setVerticalSpacing(kGroupSpacing);

    // Every nutrient beyond the ten fields, in a list beside them: typing or F2 edits an amount,
    // Enter keeps it, and Tab goes on to the next control rather than the next cell.
    m_nutrients = new FoodNutrientsModel(this);
    m_nutrientsView = new QTableView(this);
    m_nutrientsView->setObjectName(QStringLiteral("nutrientsView"));
    m_nutrientsView->setAccessibleName(tr("Nutrients"));
    m_nutrientsView->setModel(m_nutrients);
    m_nutrientsView->verticalHeader()->hide();
    m_nutrientsView->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_nutrientsView->horizontalHeader()->setSectionResizeMode(FoodNutrientsModel::NameColumn, QHeaderView::Stretch);
    m_nutrientsView->horizontalHeader()->setSectionResizeMode(
        FoodNutrientsModel::AmountColumn, QHeaderView::ResizeToContents);
    m_nutrientsView->horizontalHeader()->setSectionResizeMode(
        FoodNutrientsModel::UnitColumn, QHeaderView::ResizeToContents);
    m_nutrientsView->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_nutrientsView->setSelectionMode(QAbstractItemView::SingleSelection);
    m_nutrientsView->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed
        | QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked);
    m_nutrientsView->setTabKeyNavigation(false);
    m_nutrientsView->setWordWrap(false);
    m_nutrientsView->setMinimumWidth(kNutrientsMinimumWidth);
    auto* nutrientsCaption = new QLabel(tr("Nutrients"), this);
    nutrientsCaption->setObjectName(QStringLiteral("nutrientsCaption"));
    nutrientsCaption->setBuddy(m_nutrientsView);
    // A refusal is shown once the editor has closed: a message box opened while it commits would
    // take its focus and make it commit again.
    connect(
        m_nutrients, &FoodNutrientsModel::refused, this,
        [this](const QString& message) { Prompt::error(this, message); }, Qt::QueuedConnection);

    auto* layout = new QVBoxLayout;
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(fields);
    layout->addSpacing(kGroupSpacing);
    layout->addLayout(navigationRow);
    layout->addSpacing(kGroupSpacing);
    layout->addLayout(commands);
    layout->addStretch(1);
    auto* nutrientsColumn = new QVBoxLayout;
    nutrientsColumn->setContentsMargins(0, 0, 0, 0);
    nutrientsColumn->addWidget(nutrientsCaption);
    nutrientsColumn->addWidget(m_nutrientsView, 1);
    auto* window = new QHBoxLayout(this);
    window->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    window->setSpacing(kGroupSpacing);
    window->addLayout(layout);
    window->addLayout(nutrientsColumn, 1);
    resize(WindowSizes::FoodEditorDialog);

    // Keys for Find and the navigation bar.
    const std::pair<QKeySequence, void (FoodEditorDialog::*)()> keys[] = {
        { QKeySequence::Find, &FoodEditorDialog::findFood },
        { QKeySequence(Qt::Key_PageUp), &FoodEditorDialog::moveToPrevious },
        { QKeySequence(Qt::Key_PageDown), &FoodEditorDialog::moveToNext },
        { QKeySequence(Qt::CTRL | Qt::Key_Home), &FoodEditorDialog::moveToFirst },
        { QKeySequence(Qt::CTRL | Qt::Key_End), &FoodEditorDialog::moveToLast },
    };
    for (const auto& [key, action] : keys) {
        connect(new QShortcut(key, this), &QShortcut::activated, this, action);
    }
    connect(m_moveFirst, &QToolButton::clicked, this, &FoodEditorDialog::moveToFirst);
    connect(m_movePrevious, &QToolButton::clicked, this, &FoodEditorDialog::moveToPrevious);
    connect(m_moveNext, &QToolButton::clicked, this, &FoodEditorDialog::moveToNext);
    connect(m_moveLast, &QToolButton::clicked, this, &FoodEditorDialog::moveToLast);
    connect(m_addFood, &QPushButton::clicked, this, &FoodEditorDialog::addFood);
    connect(m_deleteFood, &QPushButton::clicked, this, &FoodEditorDialog::deleteFood);
    connect(m_findFood, &QPushButton::clicked, this, &FoodEditorDialog::findFood);
    connect(m_viewAll, &QPushButton::clicked, this, &FoodEditorDialog::viewAllFoods);
    connect(m_quickHelp, &QPushButton::clicked, this, &FoodEditorDialog::showQuickHelp);
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
    m_reader = new BackgroundFoodRead(this);
    connect(m_reader, &BackgroundFoodRead::done, this, &FoodEditorDialog::takeReadRecords);

    loadFoods();
}

FoodEditorDialog::~FoodEditorDialog() = default;

void FoodEditorDialog::loadFoods()
{
    QString error;
    if (!m_database.refresh(&error)) {
        showNoRecord();
        m_addFood->setEnabled(false);
        Prompt::error(this, tr("The food table cannot be opened.\n%1").arg(error));
        return;
    }
    const bool behind
        = BackgroundFoodRead::isWorthIt(m_database) && m_records.loadFirst(m_database, kFirstRecords, nullptr);
    if (!behind && !m_records.load(m_database, &error)) {
        showNoRecord();
        m_addFood->setEnabled(false);
        Prompt::error(this, tr("The food table cannot be read.\n%1").arg(error));
        return;
    }
    m_loaded = true;
    if (behind) {
        m_reading = std::make_shared<FoodNameIndex>();
        m_reader->start(m_database.location(),
            [records = m_reading](const FoodStore& foods, const std::atomic<bool>&, QString* reason) {
                return records->load(foods, reason);
            });
        showReading(true);
    }
    if (m_records.isEmpty()) {
        showNoRecord();
    } else {
        showRecord(0);
    }
}

bool FoodEditorDialog::isReading() const
{
    return m_reader->isReading();
}

void FoodEditorDialog::takeReadRecords(bool read, const QString& error)
{
    const std::shared_ptr<FoodNameIndex> records = std::move(m_reading);
    if (!read) {
        // The first records stay, and the commands that need every record stay off.
        setWindowTitle(tr("Edit Food List"));
        Prompt::error(this, tr("The food table cannot be read.\n%1").arg(error));
        return;
    }
    // What was written meanwhile may have been read before it was: it is given again.
    for (const auto& [rowid, name] : m_renamedWhileReading) {
        const qsizetype record = records->recordOf(rowid);
        if (record >= 0) {
            records->rename(record, name);
        }
    }
    m_renamedWhileReading.clear();
    // The record shown stays current, with whatever is typed in it.
    const qint64 shown = m_current >= 0 ? m_records.rowid(m_current) : -1;
    const QString shownName = m_stored.value(FoodFields::FOOD);
    m_records = std::move(*records);
    if (shown >= 0) {
        m_current = m_records.keep(shown, shownName);
    } else if (!m_records.isEmpty()) {
        showRecord(0);
    }
    showReading(false);
}

void FoodEditorDialog::showReading(bool reading)
{
    for (QAbstractButton* command :
        std::initializer_list<QAbstractButton*> { m_moveLast, m_addFood, m_deleteFood, m_findFood }) {
        command->setEnabled(!reading);
        command->setToolTip(reading ? tr("Waits until every food is read") : QString());
    }
    setWindowTitle(reading ? tr("Edit Food List (reading the food table...)") : tr("Edit Food List"));
}

QStringList FoodEditorDialog::fieldValues() const
{
    QStringList values;
    for (const QLineEdit* edit : m_fields) {
        values.append(edit->text());
    }
    return values;
}

void FoodEditorDialog::showRecord(qsizetype record)
{
    m_current = record;
    QStringList values;
    QString error;
    const bool read = m_database.readRecord(m_records.rowid(record), &values, &error);
    if (!read) {
        values = QStringList(FoodFields::FieldCount, QString());
    }
    m_stored = values;
    // A recipe's own row follows its ingredients: it is changed in the Recipes window only.
    const bool recipe = read && m_database.isRecipeRow(m_records.rowid(record));
    const QString recipeTip = recipe ? tr("\"%1\" is a recipe: change it in the Recipes window.")
                                           .arg(MessageText::quoted(values.at(FoodFields::FOOD)))
                                     : QString();
    for (int f = 0; f < FoodFields::FieldCount; ++f) {
        QLineEdit* edit = m_fields[static_cast<std::size_t>(f)];
        // A recipe's values are sums and quotients of its ingredients': shown rounded, as typed
        // values are, while the row keeps them whole.
        const bool computed = recipe && f >= FoodFields::CALORIES && IsWholeNumber(values.at(f));
        edit->setText(computed ? RoundedValueText(TextToNumber(values.at(f)), QLocale::c()) : values.at(f));
        edit->setCursorPosition(0);
        // A record that cannot be read takes no typing: its values would overwrite what is there.
        edit->setEnabled(read);
        edit->setReadOnly(recipe);
        edit->setToolTip(recipeTip);
    }
    m_shown = fieldValues();
    m_nutrientsView->setToolTip(recipeTip);
    showNutrients(read ? m_records.rowid(record) : -1, !recipe);
    if (!read) {
        Prompt::error(this, tr("The food record cannot be read.\n%1").arg(error));
    }
}

void FoodEditorDialog::showNoRecord()
{
    m_current = -1;
    m_stored.clear();
    m_shown.clear();
    for (QLineEdit* edit : m_fields) {
        edit->clear();
        edit->setEnabled(false);
    }
    showNutrients(-1, false);
}

void FoodEditorDialog::showNutrients(qint64 rowid, bool editable)
{
    NutrientCatalogue catalogue;
    FoodNutrients nutrients;
    QString error;
    if (rowid < 0) {
        m_nutrients->clear();
        m_nutrientsView->setEnabled(false);
        return;
    }
    // Nutrients that cannot be read are shown as none and take no typing, as a record that
    // cannot be read does: what was typed would be written over values that were never shown.
    if (!m_database.nutrientCatalogue(&catalogue, &error) || !m_database.readFoodNutrients(rowid, &nutrients, &error)) {
        m_nutrients->clear();
        m_nutrientsView->setEnabled(false);
        Prompt::error(this, tr("The nutrients of this food cannot be read.\n%1").arg(error));
        return;
    }
    m_nutrients->setFood(catalogue, nutrients, editable);
    m_nutrientsView->setEnabled(true);
    m_nutrientsView->setCurrentIndex(
        m_nutrients->index(FoodNutrientsModel::ServingRow, FoodNutrientsModel::AmountColumn));
}

void FoodEditorDialog::commitNutrientEdit()
{
    if (QWidget* editor = m_nutrientsView->indexWidget(m_nutrientsView->currentIndex())) {
        QMetaObject::invokeMethod(m_nutrientsView, "commitData", Q_ARG(QWidget*, editor));
    }
}

bool FoodEditorDialog::saveNutrients()
{
    if (!m_nutrients->hasChanges()) {
        return true;
    }
    // After the fields, so that a food renamed with them is found under its new name.
    const QString name = m_stored.value(FoodFields::FOOD);
    QString error;
    if (!m_database.writeFoodNutrients(m_records.rowid(m_current), name, m_nutrients->changes(), &error)) {
        Prompt::error(this,
            tr("The change to the nutrients of the food \"%1\" could not be saved; the food table still holds "
               "them as they were, and what you typed stays in the list.\n%2")
                .arg(MessageText::quoted(name), error));
        return false;
    }
    m_nutrients->acceptChanges();
    return true;
}

bool FoodEditorDialog::saveCurrent()
{
    if (m_current < 0 || !m_fields.front()->isEnabled()) {
        return true;
    }
    commitNutrientEdit();
    // Only the fields the user changed are written: a field another program changed meanwhile
    // keeps its value, and a record merely looked at is never written.
    const QStringList values = fieldValues();
    FoodStore::FieldChanges changes;
    for (int f = 0; f < FoodFields::FieldCount; ++f) {
        if (values.at(f) != m_shown.value(f)) {
            changes.emplace_back(static_cast<FoodFields::Field>(f), values.at(f));
        }
    }
    if (changes.empty()) {
        return saveNutrients();
    }
    const qint64 rowid = m_records.rowid(m_current);
    const QString shownName = m_stored.value(FoodFields::FOOD);
    QString error;
    QStringList renamedIn;
    if (!m_database.updateFields(rowid, shownName, changes, &error, &renamedIn)) {
        const QString name = shownName.isEmpty() ? values.value(FoodFields::FOOD) : shownName;
        Prompt::error(this,
            QStringLiteral("The change to the food \"%1\" could not be saved; the food table still holds the "
                           "record as it was, and what you typed stays in the fields.\n%2")
                .arg(MessageText::quoted(name), error));
        return false;
    }
    for (const auto& [field, value] : changes) {
        m_stored[field] = value;
    }
    m_shown = values;
    m_records.rename(m_current, values.value(FoodFields::FOOD));
    if (isReading()) {
        m_renamedWhileReading.emplace_back(rowid, values.value(FoodFields::FOOD));
    }
    if (rowid == m_blankRowid) {
        m_blankRowid = -1;
    }
    if (!renamedIn.isEmpty()) {
        Prompt::message(this,
            (renamedIn.size() == 1 ? tr("1 recipe now uses \"%2\":")
                                   : tr("%1 recipes now use \"%2\":").arg(QLocale().toString(renamedIn.size())))
                    .arg(MessageText::quoted(values.value(FoodFields::FOOD)))
                + QLatin1Char('\n')
                + MessageText::quotedList(renamedIn, MessageText::Marks::With, QStringLiteral("\n")),
            windowTitle());
    }
    return saveNutrients();
}

bool FoodEditorDialog::leaveCurrent()
{
    if (m_current < 0) {
        return true;
    }
    const qint64 rowid = m_records.rowid(m_current);
    commitNutrientEdit();
    if (rowid == m_blankRowid && allEmpty(fieldValues()) && !m_nutrients->hasChanges()) {
        QString error;
        if (!m_database.deleteRecord(rowid, QString(), &error)) {
            Prompt::error(this, tr("The empty new food could not be removed again.\n%1").arg(error));
            return false;
        }
        m_records.remove(m_current);
        m_blankRowid = -1;
        m_current = -1;
        return true;
    }
    return saveCurrent();
}

void FoodEditorDialog::moveTo(qsizetype record)
{
    if (!m_loaded || m_records.isEmpty() || record == m_current || record < 0 || record >= m_records.size()) {
        return;
    }
    if (!leaveCurrent()) {
        return;
    }
    if (m_records.isEmpty()) {
        showNoRecord();
        return;
    }
    // Leaving an empty new food removes the last record, which may have been the target.
    showRecord(std::min(record, m_records.size() - 1));
}

void FoodEditorDialog::moveToFirst()
{
    moveTo(0);
}

void FoodEditorDialog::moveToPrevious()
{
    if (m_current > 0) {
        moveTo(m_current - 1);
    }
}

void FoodEditorDialog::moveToNext()
{
    if (m_current >= 0 && m_current + 1 < m_records.size()) {
        moveTo(m_current + 1);
    }
}

void FoodEditorDialog::moveToLast()
{
    // Last, Add, Delete and Find wait, as their buttons do, until every record is read.
    if (isReading()) {
        return;
    }
    moveTo(m_records.size() - 1);
}

void FoodEditorDialog::addFood()
{
    if (!m_loaded || isReading()) {
        return;
    }
    QLineEdit* food = m_fields[FoodFields::FOOD];
    if (m_current >= 0 && m_records.rowid(m_current) == m_blankRowid && allEmpty(fieldValues())
        && !m_nutrients->hasChanges()) {
        food->setFocus();
        return;
    }
    if (!leaveCurrent()) {
        return;
    }
    const QStringList empty(FoodFields::FieldCount, QString());
    qint64 rowid = -1;
    QString error;
    if (!m_database.insertRecord(empty, &rowid, &error)) {
        Prompt::error(this, tr("A new food could not be added.\n%1").arg(error));
        return;
    }
    m_records.append(rowid, QString());
    m_blankRowid = rowid;
    m_current = m_records.size() - 1;
    m_stored = empty;
    for (QLineEdit* edit : m_fields) {
        edit->clear();
        edit->setEnabled(true);
    }
    m_shown = fieldValues();
    showNutrients(rowid, true);
    food->setFocus();
}

void FoodEditorDialog::deleteFood()
{
    if (m_current < 0 || isReading()) {
        return;
    }
    const QString name = m_stored.value(FoodFields::FOOD);
    QString question = name.isEmpty()
        ? tr("Delete this food, which has no name, from the food table?")
        : tr("Delete the food \"%1\" from the food table?").arg(MessageText::quoted(name));
    // Recipes made with the food keep it as a missing ingredient, which counts nothing: say which.
    QStringList recipes;
    if (!name.isEmpty() && m_database.recipesUsing(name, &recipes, nullptr) && !recipes.isEmpty()) {
        // A food in a thousand recipes names ten, each cut short, and counts the rest.
        ListedItems listed;
        for (const QString& recipe : recipes) {
            if (listed.listsNext()) {
                listed.add(MessageText::quoted(recipe));
            } else {
                listed.countUnlisted();
            }
        }
        const QStringList lines = listed.lines();
        const bool more = listed.count() > lines.size();
        question += QLatin1Char('\n')
            + tr("These recipes use it and would show it as missing: %1.")
                  .arg(QStringList(lines.begin(), lines.end() - (more ? 1 : 0)).join(QStringLiteral(", ")));
        if (more) {
            question += QLatin1Char('\n') + lines.last();
        }
    }
    if (!Prompt::question(this, question, tr("Delete Food"))) {
        return;
    }
    const qint64 rowid = m_records.rowid(m_current);
    QString error;
    if (!m_database.deleteRecord(rowid, name, &error)) {
        Prompt::error(this, tr("The food \"%1\" could not be deleted.\n%2").arg(MessageText::quoted(name), error));
        return;
    }
    if (rowid == m_blankRowid) {
        m_blankRowid = -1;
    }
    const qsizetype deleted = m_current;
    m_records.remove(deleted);
    if (m_records.isEmpty()) {
        showNoRecord();
    } else {
        showRecord(std::min(deleted, m_records.size() - 1));
    }
}

void FoodEditorDialog::findFood()
{
    if (!m_loaded || isReading()) {
        return;
    }
    const QString answer = Prompt::input(this, tr("Food Name Search"),
        tr("Enter the complete or partial food name\r\nor leave blank and use previous search: ") + m_previousSearch);
    QString term = m_previousSearch;
    if (!answer.isEmpty()) {
        term = answer;
        m_previousSearch = answer;
    }
    // With no food in the table the search finds nothing and changes nothing.
    if (term.isEmpty() || m_current < 0) {
        return;
    }
    const qsizetype from = m_current;
    if (!leaveCurrent()) {
        return;
    }
    if (m_records.isEmpty()) {
        showNoRecord();
        return;
    }
    const qsizetype found = m_records.search(from, term);
    if (found != m_current) {
        showRecord(found);
    }
}

void FoodEditorDialog::viewAllFoods()
{
    // The grid reads the table, so what is typed here goes there first.
    saveCurrent();
    FoodGridDialog grid(m_files, m_database, false, this);
    execWindowModal(grid);
}

void FoodEditorDialog::showQuickHelp()
{
    QuickHelpViewer help(m_files, this);
    execWindowModal(help);
}

void FoodEditorDialog::done(int result)
{
    if (!leaveCurrent()
        && !Prompt::question(this,
            tr("The change to this food could not be saved. Close the editor and give up the change?"),
            tr("Edit Food List"))) {
        return;
    }
    QDialog::done(result);
}
