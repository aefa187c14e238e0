#include "gui/totals/TotalsDialog.h"

#include "gui/common/CommandButton.h"
#include "gui/common/WindowModal.h"
#include "gui/common/WindowSizes.h"
#include "gui/totals/NutrientViewModel.h"
#include "gui/totals/TargetsDialog.h"
#include "gui/totals/TotalsChartWindow.h"
#include "gui/totals/TotalsCharts.h"
#include "gui/totals/TotalsModel.h"

#include "core/foods/FoodLookup.h"
#include "core/totals/ChartedTotals.h"
#include "core/totals/NutrientBreakdown.h"
#include "core/totals/TotalsCalculator.h"
#include "core/totals/TotalsReport.h"

#include "core/files/TextFile.h"
#include "core/files/UserFiles.h"
#include "core/plans/Periods.h"
#include "core/plans/PlanDocument.h"
#include "core/storage/FoodStore.h"
#include "core/text/MessageText.h"
#include "core/text/NumberText.h"
#include "core/totals/UserTargets.h"
#include "gui/common/Prompt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

// The measures the layout keeps, in pixels at 100 % scale. The grid may shrink to half its usual
// size.
constexpr int kSourceSpacing = 7;
constexpr int kColumnWidth = 65;
constexpr std::pair<int, int> kColumnWidths[] = { { 0, 66 }, { 2, 100 }, { 5, 80 }, { 8, 100 } };
constexpr QSize kGridMinimum { 368, 108 };
constexpr QSize kCalculateButton { 129, 81 };
constexpr QSize kReturnButton { 121, 81 };
constexpr QSize kPrintButton { 129, 33 };
constexpr int kCommandGap = 79;
constexpr int kOptionsGap = 63;
constexpr QMargins kMargins { 16, 16, 10, 7 };

QFont boldened(QFont font, bool bold)
{
    font.setBold(bold);
    return font;
}

} // namespace

TotalsDialog::TotalsDialog(
    const UserFiles& files, FoodStore& foods, const PlanDocument& plan, UserTargets& targets, QWidget* parent)
    : QDialog(parent)
    , m_files(files)
    , m_foods(foods)
    , m_plan(plan)
    , m_targets(targets)
{
    setObjectName(QStringLiteral("CalculateTotals"));
    setWindowTitle(tr("Calculate Totals"));
    buildControls();
    // Targets that cannot be read are none; the Targets window says why when it opens.
    QString error;
    m_targets.load(nullptr, &error);
    m_model->setTargets(m_targets.targets());
    connect(&m_targets, &UserTargets::targetsChanged, this, [this] {
        m_model->setTargets(m_targets.targets());
        const NutrientTotals shown = m_nutrientModel->breakdown().totals();
        showNutrients(shown);
    });
    // A table without a catalogue of nutrients shows none; the nine values are as ever.
    m_foods.nutrientCatalogue(&m_catalogue, &error);
    formatHeader();
    resize(WindowSizes::TotalsDialog);
}

void TotalsDialog::buildControls()
{
    auto* sourcesLayout = new QGridLayout;
    sourcesLayout->setSpacing(kSourceSpacing);
    QStringList captions { tr("Active") };
    captions += Periods::names();
    for (int i = 0; i < SourceCount; ++i) {
        auto* check = new QCheckBox(this);
        check->setObjectName(QStringLiteral("Check%1").arg(i + 1));
        auto* label = new QLabel(captions[i], this);
        label->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        label->setBuddy(check);
        sourcesLayout->addWidget(check, i, 0);
        sourcesLayout->addWidget(label, i, 1);
        m_checks[static_cast<std::size_t>(i)] = check;
        m_labels[static_cast<std::size_t>(i)] = label;
    }
    // Views of the week: Weekly per day, and the week rolled up from its plans.
    m_perDay = new QCheckBox(tr("Per day"), this);
    m_perDay->setObjectName(QStringLiteral("PerDay"));
    m_weekRollUps = new QCheckBox(tr("Week roll-ups"), this);
    m_weekRollUps->setObjectName(QStringLiteral("WeekRollups"));
    sourcesLayout->setRowStretch(SourceCount, 1);
    // Room to spare goes to the labels: the boxes keep the width of their square.
    sourcesLayout->setColumnStretch(1, 1);
    connect(m_checks[0], &QCheckBox::toggled, this, &TotalsDialog::markActiveChoice);

    m_model = new TotalsModel(this);
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("MSFlexGrid1"));
    m_grid->setAccessibleName(tr("Totals"));
    m_grid->setModel(m_model);
    // Row 0 is the grid's own header row, a row of cells like the others, so that rows are
    // numbered as the totals describe them: 1 for the first source.
    m_grid->horizontalHeader()->hide();
    m_grid->verticalHeader()->hide();
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setWordWrap(false);
    // The column widths were chosen for an 8.25 point font; the untouched columns keep a grid's
    // usual width, so that all ten columns fill the grid's width exactly.
    QFont gridFont = m_grid->font();
    gridFont.setPointSizeF(8.25);
    m_grid->setFont(gridFont);
    m_grid->horizontalHeader()->setDefaultSectionSize(kColumnWidth);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->setMinimumSize(kGridMinimum);

    auto* calcTot = new QPushButton(tr("Calculate Totals"), this);
    calcTot->setObjectName(QStringLiteral("CalcTot"));
    calcTot->setMinimumSize(kCalculateButton);
    calcTot->setDefault(true);
    connect(calcTot, &QPushButton::clicked, this, &TotalsDialog::calculate);

    auto* command1 = new QPushButton(tr("Return to Main Menu"), this);
    command1->setObjectName(QStringLiteral("Command1"));
    command1->setMinimumSize(kReturnButton);
    connect(command1, &QPushButton::clicked, this, &QWidget::close);

    auto* totalsPrint = new QPushButton(tr("Print Totals Report"), this);
    totalsPrint->setObjectName(QStringLiteral("TotalsPrint"));
    totalsPrint->setMinimumSize(kPrintButton);
    connect(totalsPrint, &QPushButton::clicked, this, &TotalsDialog::printOrSaveReport);

    // The buttons show only their circle; the labels beside them carry the text.
    m_toPrinter = new QRadioButton(this);
    m_toPrinter->setObjectName(QStringLiteral("Option1"));
    m_toPrinter->setChecked(true);
    auto* label13 = new QLabel(tr("To Printer"), this);
    label13->setObjectName(QStringLiteral("Label13"));
    label13->setBuddy(m_toPrinter);
    m_toFile = new QRadioButton(this);
    m_toFile->setObjectName(QStringLiteral("Option2"));
    auto* label14 = new QLabel(tr("To File"), this);
    label14->setObjectName(QStringLiteral("Label14"));
    label14->setBuddy(m_toFile);

    auto* optionsLayout = new QGridLayout;
    optionsLayout->addWidget(totalsPrint, 0, 0, 1, 2);
    optionsLayout->addWidget(m_toPrinter, 1, 0);
    optionsLayout->addWidget(label13, 1, 1);
    optionsLayout->addWidget(m_toFile, 2, 0);
    optionsLayout->addWidget(label14, 2, 1);
    // The report's nutrient page, only when asked for: without it the report is as it always was.
    m_nutrientPage = new QCheckBox(tr("With nutrient page"), this);
    m_nutrientPage->setObjectName(QStringLiteral("ReportNutrientPage"));
    optionsLayout->addWidget(m_nutrientPage, 0, 2);
    optionsLayout->setColumnStretch(1, 1);
    // Daily targets: the grid then shows where each day stands.
    auto* targets = makeCommandButton(this, QStringLiteral("TotalsTargets"), tr("Targets..."));
    connect(targets, &QPushButton::clicked, this, &TotalsDialog::editTargets);
    optionsLayout->addWidget(targets, 3, 0, 1, 2);
    // The calculated rows as charts, one per nutrient; there is something to chart once a
    // calculation wrote a row.
    m_chart = makeCommandButton(this, QStringLiteral("TotalsChart"), tr("Chart..."));
    m_chart->setEnabled(false);
    connect(m_chart, &QPushButton::clicked, this, &TotalsDialog::showChart);
    optionsLayout->addWidget(m_chart, 4, 0, 1, 2);

    auto* commandsLayout = new QHBoxLayout;
    commandsLayout->addStretch(1);
    commandsLayout->addWidget(calcTot);
    commandsLayout->addSpacing(kCommandGap);
    commandsLayout->addWidget(command1);
    commandsLayout->addSpacing(kOptionsGap);
    commandsLayout->addLayout(optionsLayout);

    // Every nutrient of one calculated row at a time, on a tab beside the grid: a row's seventy
    // nutrients read down one column, with room for the share of each target beside them.
    auto* nutrientsTab = new QWidget;
    nutrientsTab->setObjectName(QStringLiteral("NutrientsTab"));
    m_nutrientRow = new QComboBox(nutrientsTab);
    m_nutrientRow->setObjectName(QStringLiteral("NutrientRow"));
    m_nutrientRow->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* rowLabel = new QLabel(tr("&Row:"), nutrientsTab);
    rowLabel->setObjectName(QStringLiteral("NutrientRowLabel"));
    rowLabel->setBuddy(m_nutrientRow);
    m_nutrientModel = new NutrientViewModel(this);
    m_nutrientView = new QTreeView(nutrientsTab);
    m_nutrientView->setObjectName(QStringLiteral("NutrientView"));
    m_nutrientView->setAccessibleName(tr("Nutrients"));
    m_nutrientView->setModel(m_nutrientModel);
    m_nutrientView->setUniformRowHeights(true);
    m_nutrientView->setAllColumnsShowFocus(true);
    m_nutrientView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_nutrientView->header()->setStretchLastSection(true);
    m_nutrientView->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    connect(m_nutrientRow, &QComboBox::currentIndexChanged, this, [this](int row) {
        m_nutrientRowLabel = m_nutrientRow->itemText(row);
        m_nutrientModel->setRow(row);
    });
    connect(m_nutrientView->selectionModel(), &QItemSelectionModel::currentChanged, this,
        [this] { emit currentNutrientChanged(currentNutrientNumber()); });
    // A row clicked in the grid is the row the nutrients show.
    connect(m_grid, &QTableView::clicked, this, [this](const QModelIndex& index) {
        if (index.row() >= 1 && index.row() <= m_nutrientRow->count()) {
            m_nutrientRow->setCurrentIndex(index.row() - 1);
        }
    });
    // The foods that would bring more of the nutrient chosen.
    auto* richest = new QPushButton(tr("Richest &Foods..."), nutrientsTab);
    richest->setObjectName(QStringLiteral("NutrientRichestFoods"));
    richest->setAutoDefault(false);
    richest->setEnabled(false);
    connect(this, &TotalsDialog::currentNutrientChanged, richest,
        [richest](const QString& number) { richest->setEnabled(!number.isEmpty()); });
    connect(richest, &QPushButton::clicked, this, [this] { emit richestFoodsRequested(currentNutrientNumber()); });
    auto* rowChoice = new QHBoxLayout;
    rowChoice->addWidget(rowLabel);
    rowChoice->addWidget(m_nutrientRow);
    rowChoice->addStretch(1);
    rowChoice->addWidget(richest);
    auto* nutrientsLayout = new QVBoxLayout(nutrientsTab);
    nutrientsLayout->addLayout(rowChoice);
    nutrientsLayout->addWidget(m_nutrientView, 1);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("TotalsTabs"));
    m_tabs->setDocumentMode(true);
    m_tabs->addTab(m_grid, tr("Totals"));
    m_tabs->addTab(nutrientsTab, tr("Nutrients"));

    auto* rightLayout = new QVBoxLayout;
    rightLayout->addWidget(m_tabs, 1);
    rightLayout->addLayout(commandsLayout);

    auto* mainLayout = new QHBoxLayout(this);
    mainLayout->setContentsMargins(kMargins);
    auto* sourcesColumn = new QVBoxLayout;
    sourcesColumn->addLayout(sourcesLayout, 1);
    sourcesColumn->addWidget(m_perDay);
    sourcesColumn->addWidget(m_weekRollUps);
    mainLayout->addLayout(sourcesColumn);
    mainLayout->addLayout(rightLayout, 1);
}

void TotalsDialog::formatHeader()
{
    m_model->clear();
    showNutrients(NutrientTotals());
    m_chart->setEnabled(false);
    for (const auto& [column, width] : kColumnWidths) {
        m_grid->setColumnWidth(column, width);
    }
    m_grid->setCurrentIndex(m_model->index(0, 0));
}

void TotalsDialog::showNutrients(const NutrientTotals& nutrients)
{
    const QString nutrient = currentNutrientNumber();
    m_nutrientModel->setBreakdown(NutrientBreakdown(m_catalogue, nutrients, m_targets.targets()));
    const NutrientBreakdown& breakdown = m_nutrientModel->breakdown();
    {
        const QSignalBlocker quiet(m_nutrientRow);
        m_nutrientRow->clear();
        for (int row = 0; row < breakdown.rowCount(); ++row) {
            m_nutrientRow->addItem(breakdown.rowLabel(row));
        }
        m_nutrientRow->setCurrentIndex(std::max(0, m_nutrientRow->findText(m_nutrientRowLabel)));
    }
    m_nutrientRow->setEnabled(breakdown.rowCount() > 0);
    m_nutrientModel->setRow(m_nutrientRow->currentIndex());
    m_nutrientView->expandAll();
    // The nutrient chosen stays chosen through a new calculation.
    const qsizetype kept = m_catalogue.indexOf(nutrient);
    if (kept >= 0) {
        m_nutrientView->setCurrentIndex(m_nutrientModel->indexOfNutrient(int(kept)));
    }
}

QString TotalsDialog::currentNutrientNumber() const
{
    const int nutrient = m_nutrientModel->nutrientAt(m_nutrientView->currentIndex());
    return nutrient < 0 ? QString() : m_nutrientModel->breakdown().nutrient(nutrient).number;
}

const NutrientBreakdown& TotalsDialog::nutrients() const
{
    return m_nutrientModel->breakdown();
}

void TotalsDialog::showResult(const TotalsResult& result, const NutrientTotals& nutrients)
{
    m_model->setResult(result);
    showNutrients(nutrients);
    m_chart->setEnabled(!TotalsCharts::chartedRows(result).empty());
    if (result.hasTotalsRow) {
        m_grid->setCurrentIndex(m_model->index(static_cast<int>(result.rows.size()), 0));
    }
}

void TotalsDialog::calculate()
{
    formatHeader();
    TotalsSources sources;
    sources.active = m_checks[0]->isChecked();
    for (std::size_t p = 0; p < sources.periods.size(); ++p) {
        sources.periods[p] = m_checks[p + 1]->isChecked();
    }
    TotalsResult result;
    NutrientTotals nutrients;
    QStringList weekRowsLeftOut;
    {
        // Each calculation reads the table now at the path, also when another program replaced the
        // file; one that cannot be opened stops the calculation through the lookup's message.
        m_foods.refresh(nullptr);
        QString error;
        NutrientCatalogue catalogue;
        m_catalogue = m_foods.nutrientCatalogue(&catalogue, &error) ? catalogue : NutrientCatalogue();
        // The lookup holds a read lock on the food table; it is gone before any message shows.
        const std::unique_ptr<FoodLookup> foods = m_foods.lookup();
        FoodLookup& lookup = *foods;
        result = TotalsCalculator::calculate(m_plan.plan(), m_files, sources, lookup, &nutrients);
        const bool perDay = m_perDay->isChecked();
        const bool rollUps = m_weekRollUps->isChecked();
        if (!result.stopped && (perDay || rollUps)) {
            // Each week row is worked out from its own plans, so that a missing day leaves out
            // only the week made of the days.
            TotalsResult fromParts;
            TotalsResult fromDays;
            NutrientTotals partsNutrients;
            NutrientTotals daysNutrients;
            if (rollUps) {
                fromParts = TotalsCalculator::calculate(
                    m_plan.plan(), m_files, TotalsCalculator::weekdayAndWeekendPlans(), lookup, &partsNutrients);
                fromDays = TotalsCalculator::calculate(
                    m_plan.plan(), m_files, TotalsCalculator::sevenDayPlans(), lookup, &daysNutrients);
            }
            weekRowsLeftOut = TotalsCalculator::addWeekViews(
                &result, &nutrients, fromParts, partsNutrients, fromDays, daysNutrients, perDay, rollUps);
        } else {
            TotalsCalculator::addTotalsRow(result, &nutrients);
        }
    }
    showResult(result, nutrients);
    if (result.stopped) {
        Prompt::error(this, result.stopMessage);
    } else if (!weekRowsLeftOut.isEmpty()) {
        Prompt::error(this, weekRowsLeftOut.join(QLatin1Char('\n')));
    }
}

void TotalsDialog::editTargets()
{
    // The grid follows the targets when they change. The nutrients listed are those the window
    // read from the food table when it opened or last calculated.
    TargetsDialog window(m_targets, m_catalogue, this);
    connect(&window, &TargetsDialog::richestFoodsRequested, this, &TotalsDialog::richestFoodsRequested);
    execWindowModal(window);
}

void TotalsDialog::showChart()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (folder.isEmpty() || !QDir(folder).exists()) {
        folder = QDir::homePath();
    }
    // Any nutrient can be charted, from the same calculation as the grid and the nutrient view, so
    // that a plan changed since cannot mix into the chart.
    const NutrientBreakdown& nutrients = this->nutrients();
    TotalsChartWindow window(
        ChartedTotals(m_model->result(), nutrients.totals(), m_model->targets(), nutrients.catalogue()),
        QDir(folder).filePath(tr("Platewell Totals Chart.png")), this);
    execWindowModal(window);
}

void TotalsDialog::markActiveChoice()
{
    m_labels[0]->setFont(boldened(m_labels[0]->font(), m_checks[0]->isChecked()));
}

bool TotalsDialog::writeReport(const QString& path, QString* error) const
{
    if (m_nutrientPage->isChecked()) {
        return TextFile::writeLines(
            path, TotalsReport::fileLines(m_model->result(), m_model->targets(), nutrients()), error);
    }
    return TextFile::writeLines(path, TotalsReport::fileLines(m_model->result(), m_model->targets()), error);
}

bool TotalsDialog::printReport(QPrinter* printer)
{
    const QList<TotalsReportRow> rows = TotalsReport::rows(m_model->result());
    QPainter painter;
    if (!painter.begin(printer)) {
        return false;
    }
    const QRect page = painter.viewport();
    const QString name = m_files.userName().isEmpty() ? tr("(no user name)") : m_files.userName();
    const QString date = QLocale().toString(QDate::currentDate(), QLocale::LongFormat);

    // The table takes the page's width; the font shrinks until the widest texts fit.
    QFont font(QStringLiteral("Sans Serif"));
    QList<int> widths(ColumnCount, 0);
    for (double points = 10; points >= 5; points -= 0.5) {
        font.setPointSizeF(points);
        const QFontMetrics metrics(boldened(font, true), printer);
        int total = 0;
        for (int c = 0; c < ColumnCount; ++c) {
            int widest = 0;
            for (const TotalsReportRow& row : rows) {
                widest = std::max(widest, metrics.horizontalAdvance(row.texts[c]));
            }
            widths[c] = widest + metrics.averageCharWidth() * 2;
            total += widths[c];
        }
        if (total <= page.width()) {
            const int spare = (page.width() - total) / ColumnCount;
            for (int& w : widths) {
                w += spare;
            }
            break;
        }
    }

    const QFontMetrics metrics(font, printer);
    const int rowHeight = metrics.height() * 3 / 2;
    int y = 0;
    QFont titleFont = font;
    titleFont.setPointSizeF(font.pointSizeF() * 1.4);
    titleFont.setBold(true);
    painter.setFont(titleFont);
    const int titleHeight = QFontMetrics(titleFont, printer).height();
    painter.drawText(
        QRect(0, y, page.width(), titleHeight), Qt::AlignLeft | Qt::AlignVCenter, tr("Platewell Totals Report"));
    y += titleHeight * 3 / 2;
    painter.setFont(font);
    painter.drawText(QRect(0, y, page.width(), rowHeight), Qt::AlignLeft | Qt::AlignVCenter, tr("User: %1").arg(name));
    y += rowHeight;
    painter.drawText(QRect(0, y, page.width(), rowHeight), Qt::AlignLeft | Qt::AlignVCenter, tr("Date: %1").arg(date));
    y += rowHeight;
    // The daily targets, when set, as the grid measured the days against them.
    const NutrientTargets& targets = m_model->targets();
    QStringList ranges;
    for (int n = 0; n < TotalsRow::NutrientCount; ++n) {
        const QString range = targets.rangeText(n);
        if (!range.isEmpty()) {
            ranges.append(TotalsCalculator::headerTexts().at(n + 1) + QLatin1Char(' ') + range);
        }
    }
    if (!ranges.isEmpty()) {
        painter.drawText(QRect(0, y, page.width(), rowHeight), Qt::AlignLeft | Qt::AlignVCenter,
            tr("Daily targets: %1").arg(ranges.join(QStringLiteral(", "))));
        y += rowHeight;
    }
    y += rowHeight;

    const int padding = metrics.averageCharWidth();
    for (qsizetype r = 0; r < rows.size(); ++r) {
        if (y + rowHeight > page.height()) {
            if (!printer->newPage()) {
                painter.end();
                return false;
            }
            y = 0;
        }
        painter.setFont(boldened(font, rows[r].bold));
        int x = 0;
        for (int c = 0; c < ColumnCount; ++c) {
            const QRect cell(x, y, widths[c], rowHeight);
            painter.drawRect(cell);
            const Qt::Alignment alignment = r == 0 ? Qt::AlignCenter
                : c == 0                           ? (Qt::AlignLeft | Qt::AlignVCenter)
                                                   : (Qt::AlignRight | Qt::AlignVCenter);
            painter.drawText(cell.adjusted(padding, 0, -padding, 0), alignment, rows[r].texts[c]);
            x += widths[c];
        }
        y += rowHeight;
    }
    if (m_nutrientPage->isChecked() && !printNutrientPage(&painter, printer)) {
        painter.end();
        return false;
    }
    // With targets set, the charts follow on a page of their own, each with its target band.
    if (!targets.isEmpty() && !TotalsCharts::chartedRows(m_model->result()).empty()) {
        if (!printer->newPage()) {
            painter.end();
            return false;
        }
        painter.setFont(titleFont);
        painter.drawText(
            QRect(0, 0, page.width(), titleHeight), Qt::AlignLeft | Qt::AlignVCenter, tr("Platewell Totals Chart"));
        const int top = titleHeight * 3 / 2;
        TotalsCharts::render(&painter, QRectF(0, top, page.width(), page.height() - top), m_model->result(), targets);
    }
    return painter.end();
}

bool TotalsDialog::printNutrientPage(QPainter* painter, QPrinter* printer)
{
    const QList<TotalsReportRow> rows = nutrients().pageRows();
    if (!printer->newPage()) {
        return false;
    }
    const QRect page = painter->viewport();
    const int columns = int(rows.front().texts.size());
    // As the totals' table: the page's width, the font shrinking until the widest texts fit; a
    // calculation of many rows may still not fit at the smallest size, and its columns then share
    // the width.
    QFont font(QStringLiteral("Sans Serif"));
    QList<int> widths(columns, 0);
    for (double points = 10; points >= 5; points -= 0.5) {
        font.setPointSizeF(points);
        const QFontMetrics metrics(boldened(font, true), printer);
        int total = 0;
        for (int c = 0; c < columns; ++c) {
            int widest = 0;
            for (const TotalsReportRow& row : rows) {
                widest = std::max(widest, metrics.horizontalAdvance(row.texts.value(c)));
            }
            widths[c] = widest + metrics.averageCharWidth() * 2;
            total += widths[c];
        }
        if (total <= page.width() || points <= 5) {
            for (int& w : widths) {
                w = total <= page.width() ? w + (page.width() - total) / columns : w * page.width() / total;
            }
            break;
        }
    }
    const QFontMetrics metrics(font, printer);
    const int rowHeight = metrics.height() * 3 / 2;
    const int padding = metrics.averageCharWidth();
    QFont titleFont = font;
    titleFont.setPointSizeF(font.pointSizeF() * 1.4);
    titleFont.setBold(true);
    const int titleHeight = QFontMetrics(titleFont, printer).height();
    painter->setFont(titleFont);
    painter->drawText(QRect(0, 0, page.width(), titleHeight), Qt::AlignLeft | Qt::AlignVCenter,
        tr("Platewell Totals Report: %1").arg(NutrientBreakdown::pageTitle()));
    int y = titleHeight * 3 / 2;
    if (nutrients().hasLowerBounds()) {
        painter->setFont(font);
        painter->drawText(QRect(0, y, page.width(), rowHeight), Qt::AlignLeft | Qt::AlignVCenter,
            NutrientBreakdown::lowerBoundNote());
        y += rowHeight * 3 / 2;
    }
    // The header row is centred; a group's heading and the nutrients' names and units stand left.
    auto drawRow = [&](const TotalsReportRow& row, bool header) {
        painter->setFont(boldened(font, row.bold));
        int x = 0;
        for (int c = 0; c < columns; ++c) {
            const QRect cell(x, y, widths[c], rowHeight);
            painter->drawRect(cell);
            const Qt::Alignment alignment = header ? Qt::AlignCenter
                : c < 2                            ? (Qt::AlignLeft | Qt::AlignVCenter)
                                                   : (Qt::AlignRight | Qt::AlignVCenter);
            painter->drawText(cell.adjusted(padding, 0, -padding, 0), alignment, row.texts.value(c));
            x += widths[c];
        }
        y += rowHeight;
    };
    for (qsizetype r = 0; r < rows.size(); ++r) {
        if (y + rowHeight > page.height()) {
            if (!printer->newPage()) {
                return false;
            }
            // Each page of the table repeats its header row.
            y = 0;
            drawRow(rows.front(), true);
        }
        drawRow(rows[r], r == 0);
    }
    return true;
}

void TotalsDialog::printOrSaveReport()
{
    if (m_toPrinter->isChecked()) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setPageOrientation(QPageLayout::Landscape);
        printer.setDocName(tr("Platewell Totals Report"));
        QPrintDialog dialog(&printer, this);
        dialog.setWindowTitle(tr("Print Totals Report"));
        if (execWindowModal(dialog) != QDialog::Accepted) {
            return;
        }
        if (!printReport(&printer)) {
            Prompt::error(this, tr("The totals report could not be printed on %1.").arg(printer.printerName()));
        }
        return;
    }
    const QString path = m_files.totalsReportPath();
    QString error;
    if (!writeReport(path, &error)) {
        Prompt::error(this, tr("The totals report was not written. %1").arg(error));
        return;
    }
    // The file's name carries the user name, which may be long: it is quoted shortly.
    const QFileInfo written(path);
    Prompt::message(this,
        tr("The totals report was written to %1")
            .arg(QDir::toNativeSeparators(written.path() + QLatin1Char('/')) + MessageText::quoted(written.fileName())),
        tr("Print Totals Report"));
}
