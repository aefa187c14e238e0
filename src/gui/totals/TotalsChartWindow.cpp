#include "gui/totals/TotalsChartWindow.h"

#include "gui/common/CommandButton.h"
#include "gui/common/Prompt.h"
#include "gui/common/WindowModal.h"
#include "gui/common/WindowSizes.h"

#include "core/totals/TargetShares.h"

#include <QBarCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr QSize kWindowSize { 960, 640 };
constexpr QSize kChartMinimum { 220, 150 };
constexpr int kListWidth = 210;
constexpr int kKeyRole = Qt::UserRole;

enum Kind { NutrientCharts, ShareChart };

// The nutrient items of the list, the nine's and the catalogue's, in the list's order.
QList<QTreeWidgetItem*> nutrientItems(QTreeWidget* list)
{
    QList<QTreeWidgetItem*> items;
    for (int g = 0; g < list->topLevelItemCount(); ++g) {
        QTreeWidgetItem* group = list->topLevelItem(g);
        for (int n = 0; n < group->childCount(); ++n) {
            items.append(group->child(n));
        }
    }
    return items;
}

} // namespace

TotalsChartWindow::TotalsChartWindow(
    const TotalsResult& result, const NutrientTargets& targets, const QString& suggestedPath, QWidget* parent)
    : TotalsChartWindow(ChartedTotals(result, NutrientTotals(), targets, NutrientCatalogue()), suggestedPath, parent)
{ }

TotalsChartWindow::TotalsChartWindow(const ChartedTotals& totals, const QString& suggestedPath, QWidget* parent)
    : QDialog(parent)
    , m_totals(totals)
    , m_suggestedPath(suggestedPath)
{
    setObjectName(QStringLiteral("Chart"));
    setWindowTitle(tr("Totals Chart"));
    setSizeGripEnabled(true);
    // On a dark desktop the charts take the dark theme; saved files always have a white ground.
    m_dark = palette().color(QPalette::Window).lightness() < 128;

    m_kind = new QComboBox(this);
    m_kind->setObjectName(QStringLiteral("ChartKind"));
    m_kind->addItems({ tr("Each nutrient"), tr("% of target") });
    m_row = new QComboBox(this);
    m_row->setObjectName(QStringLiteral("ChartRow"));
    for (int r = 0; r < m_totals.rowCount(); ++r) {
        m_row->addItem(m_totals.rowLabel(r));
    }
    m_nutrients = new QTreeWidget(this);
    m_nutrients->setObjectName(QStringLiteral("ChartNutrients"));
    m_nutrients->setHeaderHidden(true);
    m_nutrients->setUniformRowHeights(true);
    buildNutrientList();
    auto* kindLabel = new QLabel(tr("C&hart:"), this);
    kindLabel->setObjectName(QStringLiteral("ChartKindLabel"));
    kindLabel->setBuddy(m_kind);
    auto* rowLabel = new QLabel(tr("&Row:"), this);
    rowLabel->setObjectName(QStringLiteral("ChartRowLabel"));
    rowLabel->setBuddy(m_row);
    auto* nutrientsLabel = new QLabel(tr("&Nutrients (up to %1):").arg(MostNutrients), this);
    nutrientsLabel->setObjectName(QStringLiteral("ChartNutrientsLabel"));
    nutrientsLabel->setBuddy(m_nutrients);
    m_kind->setAccessibleName(tr("Chart"));
    m_row->setAccessibleName(tr("Row"));
    m_nutrients->setAccessibleName(tr("Nutrients"));

    auto* choices = new QFormLayout;
    choices->addRow(kindLabel, m_kind);
    choices->addRow(rowLabel, m_row);
    auto* side = new QVBoxLayout;
    side->addLayout(choices);
    side->addWidget(nutrientsLabel);
    side->addWidget(m_nutrients, 1);
    auto* sideWidget = new QWidget(this);
    sideWidget->setLayout(side);
    sideWidget->setFixedWidth(kListWidth);
    side->setContentsMargins(0, 0, 0, 0);

    m_pages = new QStackedWidget(this);
    auto* chartsPage = new QWidget(m_pages);
    m_grid = new QGridLayout(chartsPage);
    m_grid->setContentsMargins(0, 0, 0, 0);
    m_pages->addWidget(chartsPage);
    m_shareView = new QChartView(m_pages);
    m_shareView->setObjectName(QStringLiteral("TargetChart"));
    m_shareView->setRenderHint(QPainter::Antialiasing);
    m_shareView->setMinimumSize(kChartMinimum);
    m_pages->addWidget(m_shareView);

    // The key: each row's colour and label, as the saved charts have it under them.
    m_key = new QLabel(this);
    m_key->setObjectName(QStringLiteral("ChartKey"));
    m_key->setTextFormat(Qt::RichText);
    m_key->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(this);
    auto* save = makeCommandButton(this, QStringLiteral("ChartSave"), tr("Save As..."));
    auto* print = makeCommandButton(this, QStringLiteral("ChartPrint"), tr("Print..."));
    buttons->addButton(save, QDialogButtonBox::ActionRole);
    buttons->addButton(print, QDialogButtonBox::ActionRole);
    auto* close = buttons->addButton(QDialogButtonBox::Close);
    close->setObjectName(QStringLiteral("ChartClose"));
    connect(save, &QPushButton::clicked, this, &TotalsChartWindow::saveAs);
    connect(print, &QPushButton::clicked, this, &TotalsChartWindow::print);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* body = new QHBoxLayout;
    body->addWidget(sideWidget);
    body->addWidget(m_pages, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addWidget(m_key);
    layout->addWidget(buttons);

    connect(m_kind, &QComboBox::currentIndexChanged, this, [this](int kind) {
        if (kind == ShareChart) {
            showShares(m_row->currentIndex());
        } else {
            showNutrients();
        }
    });
    connect(m_row, &QComboBox::currentIndexChanged, this, [this](int row) {
        if (m_kind->currentIndex() == ShareChart) {
            showShares(row);
        }
    });
    connect(m_nutrients, &QTreeWidget::itemChanged, this, &TotalsChartWindow::keyTicked);
    // Unless the user picks others, the nine are charted as the grid shows them.
    setKeys(ChartedTotals::nineKeys());
    showNutrients();
    resize(kWindowSize);
}

void TotalsChartWindow::buildNutrientList()
{
    auto addGroup = [this](const QString& name) {
        auto* group = new QTreeWidgetItem(m_nutrients, { name });
        group->setFlags(Qt::ItemIsEnabled);
        return group;
    };
    auto addNutrient = [](QTreeWidgetItem* group, const QString& key, const QString& text) {
        auto* item = new QTreeWidgetItem(group, { text });
        item->setData(0, kKeyRole, key);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
    };
    auto described = [this](const QString& key) {
        const QString unit = m_totals.unit(key);
        return unit.isEmpty() ? m_totals.name(key) : tr("%1 (%2)").arg(m_totals.name(key), unit);
    };
    QTreeWidgetItem* nine = addGroup(tr("Totals"));
    for (const QString& key : ChartedTotals::nineKeys()) {
        addNutrient(nine, key, described(key));
    }
    nine->setExpanded(true);
    // The food table's nutrients, grouped as the catalogue groups them.
    QTreeWidgetItem* group = nullptr;
    NutrientGroup current = NutrientGroup::Other;
    for (const Nutrient& nutrient : m_totals.catalogue().nutrients()) {
        if (!m_totals.knows(nutrient.number)) {
            continue;
        }
        if (!group || nutrient.group != current) {
            current = nutrient.group;
            group = addGroup(NutrientCatalogue::groupName(current));
        }
        addNutrient(group, nutrient.number, described(nutrient.number));
    }
}

void TotalsChartWindow::setKeys(const QStringList& keys)
{
    const QSignalBlocker blocker(m_nutrients);
    QStringList kept;
    for (QTreeWidgetItem* item : nutrientItems(m_nutrients)) {
        const QString key = item->data(0, kKeyRole).toString();
        const bool ticked = keys.contains(key) && kept.size() < MostNutrients;
        item->setCheckState(0, ticked ? Qt::Checked : Qt::Unchecked);
        if (ticked) {
            kept.append(key);
        }
    }
    // Once full, the list offers no more nutrients until one is unticked.
    for (QTreeWidgetItem* item : nutrientItems(m_nutrients)) {
        const bool open = item->checkState(0) == Qt::Checked || kept.size() < MostNutrients;
        item->setFlags(open ? item->flags() | Qt::ItemIsEnabled : item->flags() & ~Qt::ItemIsEnabled);
    }
    if (kept == m_keys && !m_views.isEmpty()) {
        return;
    }
    m_keys = kept;
    rebuildViews();
}

void TotalsChartWindow::keyTicked(QTreeWidgetItem* item)
{
    const QString key = item->data(0, kKeyRole).toString();
    if (key.isEmpty()) {
        return;
    }
    QStringList keys = m_keys;
    keys.removeAll(key);
    if (item->checkState(0) == Qt::Checked) {
        keys.append(key);
    }
    setKeys(keys);
}

void TotalsChartWindow::rebuildViews()
{
    qDeleteAll(m_views);
    m_views.clear();
    const int count = static_cast<int>(m_keys.size());
    const int columns = std::clamp(count, 1, static_cast<int>(TotalsCharts::Columns));
    for (int n = 0; n < count; ++n) {
        QChart* chart = TotalsCharts::makeChart(m_totals, m_keys[n], m_dark);
        auto* view = new QChartView(chart, m_grid->parentWidget());
        view->setObjectName(QStringLiteral("Chart%1").arg(n + 1));
        view->setRenderHint(QPainter::Antialiasing);
        view->setMinimumSize(kChartMinimum);
        view->setAccessibleName(chart->title());
        m_grid->addWidget(view, n / columns, n % columns);
        m_views.append(view);
    }
    updateKey();
}

void TotalsChartWindow::showNutrients()
{
    m_pages->setCurrentIndex(NutrientCharts);
    m_row->setEnabled(false);
    m_nutrients->setEnabled(true);
    updateKey();
}

void TotalsChartWindow::showShares(int row)
{
    if (row < 0 || row >= m_totals.rowCount()) {
        return;
    }
    if (m_kind->currentIndex() != ShareChart || m_row->currentIndex() != row) {
        const QSignalBlocker kindBlocker(m_kind);
        const QSignalBlocker rowBlocker(m_row);
        m_kind->setCurrentIndex(ShareChart);
        m_row->setCurrentIndex(row);
    }
    QChart* old = m_shareView->chart();
    QChart* chart = TotalsCharts::makeShareChart(m_totals, row, m_dark);
    // A chart axis leaves out a name taller than its bar, so each bar gets a line of text: the
    // window grows for many bars, as far as the screen lets it, and beyond that the names shrink.
    for (QAbstractAxis* axis : chart->axes(Qt::Vertical)) {
        auto* names = qobject_cast<QBarCategoryAxis*>(axis);
        if (!names || names->count() == 0) {
            continue;
        }
        const int around = 4 * fontMetrics().height() + 40;
        const int most = std::max(kChartMinimum.height(), WindowSizes::room(this).height() * 3 / 4);
        QFont font = names->labelsFont();
        const int line = QFontMetrics(font).height() + 3;
        const int wanted = around + line * int(names->count());
        if (wanted > most) {
            font.setPixelSize(std::max(6, (most - around) / int(names->count()) - 4));
            names->setLabelsFont(font);
        }
        m_shareView->setMinimumHeight(std::clamp(wanted, kChartMinimum.height(), most));
    }
    m_shareView->setChart(chart);
    m_shareView->setAccessibleName(chart->title());
    // The view lets go of the chart it showed.
    delete old;
    m_pages->setCurrentIndex(ShareChart);
    m_row->setEnabled(true);
    m_nutrients->setEnabled(false);
    updateKey();
}

void TotalsChartWindow::updateKey()
{
    const bool shares = m_pages->currentIndex() == ShareChart;
    QStringList entries;
    if (!shares) {
        for (int r = 0; r < m_totals.rowCount(); ++r) {
            entries.append(QStringLiteral("<span style=\"background-color:%1\">&nbsp;&nbsp;&nbsp;&nbsp;</span>&nbsp;%2")
                               .arg(TotalsCharts::rowColour(r).name(), m_totals.rowLabel(r).toHtmlEscaped()));
        }
    }
    bool hatched = !shares && TotalsCharts::anyLowerBound(m_totals, m_keys);
    if (shares) {
        for (const TargetShare& share : TargetShares::of(m_totals, m_row->currentIndex())) {
            hatched = hatched || share.unknown > 0;
        }
    }
    if (hatched) {
        entries.append(tr("Hatched: at least, as planned foods lack a value"));
    }
    if (!shares && m_keys.isEmpty()) {
        entries = QStringList { tr("Tick the nutrients to chart in the list.") };
    }
    m_key->setText(entries.join(QStringLiteral(" &nbsp; &nbsp; ")));
    const bool anything = shares || !m_keys.isEmpty();
    for (const char* name : { "ChartSave", "ChartPrint" }) {
        findChild<QPushButton*>(QString::fromLatin1(name))->setEnabled(anything);
    }
}

TotalsCharts::Picture TotalsChartWindow::picture() const
{
    if (m_pages->currentIndex() == ShareChart) {
        return { QStringList(), m_row->currentIndex() };
    }
    return { m_keys, -1 };
}

void TotalsChartWindow::saveAs()
{
    QString filter = tr("PNG image (*.png)");
    const QStringList filters { filter, tr("SVG drawing (*.svg)"), tr("PDF document (*.pdf)") };
    const QString path = QFileDialog::getSaveFileName(
        this, tr("Save Chart"), m_suggestedPath, filters.join(QStringLiteral(";;")), &filter);
    if (path.isEmpty()) {
        return;
    }
    // A name without an ending takes the one of the chosen kind.
    const qsizetype open = filter.lastIndexOf(QStringLiteral("*."));
    saveTo(TotalsCharts::withEnding(path, filter.mid(open + 2, filter.size() - open - 3)));
}

bool TotalsChartWindow::saveTo(const QString& path)
{
    QString error;
    if (!TotalsCharts::save(path, m_totals, picture(), &error)) {
        Prompt::error(this, error);
        return false;
    }
    m_suggestedPath = path;
    return true;
}

void TotalsChartWindow::print()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(tr("Platewell Totals Chart"));
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(tr("Print Chart"));
    if (execWindowModal(dialog) != QDialog::Accepted) {
        return;
    }
    printTo(&printer);
}

bool TotalsChartWindow::printTo(QPrinter* printer)
{
    if (!TotalsCharts::print(printer, m_totals, picture())) {
        Prompt::error(this, tr("The chart could not be printed on %1.").arg(printer->printerName()));
        return false;
    }
    return true;
}
