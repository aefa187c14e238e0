#include "gui/totals/TotalsChartWindow.h"

#include "gui/common/CommandButton.h"
#include "gui/common/Prompt.h"
#include "gui/totals/TotalsCharts.h"

#include <QChart>
#include <QChartView>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr QSize kWindowSize { 960, 640 };
constexpr QSize kChartMinimum { 220, 150 };

} // namespace

TotalsChartWindow::TotalsChartWindow(
    const TotalsResult& result, const NutrientTargets& targets, const QString& suggestedPath, QWidget* parent)
    : QDialog(parent)
    , m_result(result)
    , m_targets(targets)
    , m_suggestedPath(suggestedPath)
{
    setObjectName(QStringLiteral("Chart"));
    setWindowTitle(tr("Totals Chart"));
    setSizeGripEnabled(true);

    // On a dark desktop the charts take the dark theme; saved files always have a white ground.
    const bool dark = palette().color(QPalette::Window).lightness() < 128;
    auto* grid = new QGridLayout;
    for (int n = 0; n < TotalsRow::NutrientCount; ++n) {
        QChart* chart = TotalsCharts::makeChart(n, m_result, m_targets, dark);
        auto* view = new QChartView(chart, this);
        view->setObjectName(QStringLiteral("Chart%1").arg(n + 1));
        view->setRenderHint(QPainter::Antialiasing);
        view->setMinimumSize(kChartMinimum);
        view->setAccessibleName(chart->title());
        grid->addWidget(view, n / TotalsCharts::Columns, n % TotalsCharts::Columns);
        m_views.append(view);
    }

    // The key: each row's colour and label, as the saved charts have it under them.
    QStringList entries;
    const std::vector<const TotalsRow*> rows = TotalsCharts::chartedRows(m_result);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        entries.append(QStringLiteral("<span style=\"background-color:%1\">&nbsp;&nbsp;&nbsp;&nbsp;</span>&nbsp;%2")
                           .arg(TotalsCharts::rowColour(static_cast<int>(r)).name(), rows[r]->label.toHtmlEscaped()));
    }
    auto* key = new QLabel(entries.join(QStringLiteral(" &nbsp; &nbsp; ")), this);
    key->setObjectName(QStringLiteral("ChartKey"));
    key->setTextFormat(Qt::RichText);
    key->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(this);
    auto* save = makeCommandButton(this, QStringLiteral("ChartSave"), tr("Save As..."));
    buttons->addButton(save, QDialogButtonBox::ActionRole);
    auto* close = buttons->addButton(QDialogButtonBox::Close);
    close->setObjectName(QStringLiteral("ChartClose"));
    connect(save, &QPushButton::clicked, this, &TotalsChartWindow::saveAs);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addWidget(key);
    layout->addWidget(buttons);
    resize(kWindowSize);
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
    if (!TotalsCharts::save(path, m_result, m_targets, &error)) {
        Prompt::error(this, error);
        return false;
    }
    m_suggestedPath = path;
    return true;
}
