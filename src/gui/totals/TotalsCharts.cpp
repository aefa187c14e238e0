#include "gui/totals/TotalsCharts.h"

#include "core/files/TextFile.h"
#include "core/text/NumberText.h"
#include "core/totals/ChartedTotals.h"
#include "core/totals/NutrientTargets.h"
#include "core/totals/TargetShares.h"
#include "core/totals/TotalsCalculator.h"

#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QBuffer>
#include <QChart>
#include <QCursor>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QHorizontalStackedBarSeries>
#include <QImage>
#include <QLineSeries>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSvgGenerator>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

// The band of a daily target: a soft green behind the bars, with a firmer edge.
const QColor kBandFill(76, 175, 80, 70);
const QColor kBandEdge(56, 142, 60);

// Colours that stay apart from each other and from the band's green.
const QColor kRowColours[] = { QColor(31, 119, 180), QColor(255, 127, 14), QColor(148, 103, 189), QColor(214, 39, 40),
    QColor(140, 86, 75), QColor(227, 119, 194), QColor(127, 127, 127), QColor(188, 189, 34), QColor(23, 190, 207),
    QColor(57, 59, 121), QColor(173, 73, 74), QColor(99, 121, 57), QColor(206, 109, 189), QColor(82, 84, 163) };

// The largest magnitude a chart draws. Its axis adds a margin and rounds its ends up to round
// numbers, which from near the largest double would overflow to an axis labelled "inf"; no real
// total comes near it, and a bar beyond it reaches the chart's edge.
constexpr double kLargestDrawn = 1e300;

double drawable(double value)
{
    // An overflowed total (shown as "Overflow" in the grid) has no height of its own: it is drawn
    // as far as the chart goes, and one that is not a number not at all.
    if (std::isnan(value)) {
        return 0;
    }
    return std::clamp(value, -kLargestDrawn, kLargestDrawn);
}

QString chartTitle(const ChartedTotals& totals, const QString& key)
{
    QString title = totals.name(key);
    const QString unit = totals.unit(key);
    if (!unit.isEmpty()) {
        title += QStringLiteral(" (%1)").arg(unit);
    }
    const QString range = totals.rangeText(key);
    if (!range.isEmpty()) {
        title += TotalsCharts::tr(", target %1").arg(range);
    }
    return title;
}

// A bar whose value is only a lower bound, as planned foods lack it: hatched in its colour.
QBrush lowerBoundBrush(const QColor& colour)
{
    return QBrush(colour, Qt::BDiagPattern);
}

// The bars show their tool tip, kept as a property, while the pointer rests on them.
void showToolTips(QBarSet* bar)
{
    QObject::connect(bar, &QBarSet::hovered, bar, [bar](bool over, int index) {
        const QStringList tips = bar->property("toolTips").toStringList();
        if (over && index >= 0 && index < tips.size()) {
            QToolTip::showText(QCursor::pos(), tips[index]);
        } else {
            QToolTip::hideText();
        }
    });
}

QChart* newChart(bool dark)
{
    auto* chart = new QChart;
    // A theme repaints every series already in the chart: it goes on first, so that the rows'
    // colours, which the key repeats, and the band's see-through green stay as set below.
    if (dark) {
        chart->setTheme(QChart::ChartThemeDark);
    }
    chart->legend()->hide();
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    chart->setBackgroundRoundness(0);
    return chart;
}

// Texts sized for the layout, as a page or an image is looked at from further away than a window.
void sizeTextsForLayout(QChart* chart)
{
    QFont title = chart->titleFont();
    title.setPixelSize(22);
    title.setBold(true);
    chart->setTitleFont(title);
    for (QAbstractAxis* axis : chart->axes()) {
        QFont labels = axis->labelsFont();
        labels.setPixelSize(17);
        axis->setLabelsFont(labels);
    }
}

// Draws `chart`, laid out at `size`, into `place`; the chart is deleted.
void renderChart(QPainter* painter, QChart* chart, const QSizeF& size, const QRectF& place)
{
    QGraphicsScene scene;
    sizeTextsForLayout(chart);
    scene.addItem(chart);
    chart->setGeometry(QRectF(QPointF(0, 0), size));
    chart->layout()->activate();
    scene.render(painter, place, QRectF(QPointF(0, 0), size));
}

} // namespace

QColor TotalsCharts::rowColour(int row)
{
    return kRowColours[row % static_cast<int>(std::size(kRowColours))];
}

std::vector<const TotalsRow*> TotalsCharts::chartedRows(const TotalsResult& result)
{
    std::vector<const TotalsRow*> rows;
    const std::size_t count = result.rows.size() - (result.hasTotalsRow && !result.rows.empty() ? 1 : 0);
    for (std::size_t r = 0; r < count; ++r) {
        rows.push_back(&result.rows[r]);
    }
    return rows;
}

QChart* TotalsCharts::makeChart(int nutrient, const TotalsResult& result, const NutrientTargets& targets, bool dark)
{
    return makeChart(ChartedTotals(result, NutrientTotals(), targets, NutrientCatalogue()),
        ChartedTotals::nineKeys().at(nutrient), dark);
}

QChart* TotalsCharts::makeChart(const ChartedTotals& totals, const QString& key, bool dark)
{
    QChart* chart = newChart(dark);
    chart->setTitle(chartTitle(totals, key));

    // One bar per row, each row in its own colour throughout the charts, under a shared key.
    auto* series = new QBarSeries;
    double low = 0;
    double high = 0;
    const QString unit = totals.unit(key);
    for (int r = 0; r < totals.rowCount(); ++r) {
        int unknown = 0;
        const double exact = totals.value(r, key, &unknown);
        const double value = drawable(exact);
        auto* bar = new QBarSet(totals.rowLabel(r));
        const QColor colour = rowColour(r);
        bar->setColor(colour);
        bar->setBorderColor(colour.darker(120));
        QString amount = GeneralNumberText(exact);
        if (!unit.isEmpty()) {
            amount += QLatin1Char(' ') + unit;
        }
        QString tip = tr("%1: %2").arg(totals.rowLabel(r), amount);
        if (unknown > 0) {
            bar->setBrush(lowerBoundBrush(colour));
            tip = unknown == 1
                ? tr("%1: at least %2 (1 planned food lacks a value)").arg(totals.rowLabel(r), amount)
                : tr("%1: at least %2 (%3 planned foods lack a value)").arg(totals.rowLabel(r), amount).arg(unknown);
        }
        bar->setProperty("toolTips", QStringList { tip });
        bar->setProperty("lowerBound", unknown > 0);
        showToolTips(bar);
        bar->append(value);
        series->append(bar);
        low = std::min(low, value);
        high = std::max(high, value);
    }
    NutrientTargets::Range range = totals.range(key);
    for (std::optional<double>* bound : { &range.minimum, &range.maximum }) {
        if (*bound) {
            **bound = drawable(**bound);
            low = std::min(low, **bound);
            high = std::max(high, **bound);
        }
    }
    if (high <= low) {
        high = low + 1;
    }

    auto* valueAxis = new QValueAxis;
    valueAxis->setRange(low, high + (high - low) * 0.08);
    valueAxis->applyNiceNumbers();
    valueAxis->setLabelFormat(QStringLiteral("%g"));
    chart->addAxis(valueAxis, Qt::AlignLeft);

    // The band goes in first, so that the bars are drawn over it. It spans the whole width on a
    // hidden axis that matches the single category's (-0.5 to 0.5); an open end reaches the
    // axis' end.
    if (range.minimum || range.maximum) {
        const double from = -0.5;
        const double to = 0.5;
        const double bottom = range.minimum ? *range.minimum : valueAxis->min();
        const double top = range.maximum ? *range.maximum : valueAxis->max();
        auto* upper = new QLineSeries(chart);
        auto* lower = new QLineSeries(chart);
        upper->append({ QPointF(from, top), QPointF(to, top) });
        lower->append({ QPointF(from, bottom), QPointF(to, bottom) });
        auto* band = new QAreaSeries(upper, lower);
        band->setName(tr("Target"));
        band->setBrush(kBandFill);
        band->setPen(QPen(kBandEdge, 1.5, Qt::DashLine));
        chart->addSeries(band);
        auto* bandAxis = new QValueAxis;
        bandAxis->setRange(from, to);
        bandAxis->setVisible(false);
        chart->addAxis(bandAxis, Qt::AlignBottom);
        band->attachAxis(bandAxis);
        band->attachAxis(valueAxis);
    }

    series->setBarWidth(0.8);
    chart->addSeries(series);
    // A single category: the chart's title names the nutrient, the key names the bars.
    auto* categories = new QBarCategoryAxis;
    categories->append(QString());
    categories->setLabelsVisible(false);
    categories->setGridLineVisible(false);
    chart->addAxis(categories, Qt::AlignBottom);
    series->attachAxis(categories);
    series->attachAxis(valueAxis);
    return chart;
}

QString TotalsCharts::shareLabel(const ChartedTotals& totals, const TargetShare& share)
{
    const QString percent = std::isfinite(share.percent) ? QLocale().toString(std::round(share.percent), 'f', 0)
                                                         : GeneralNumberText(share.percent);
    return share.unknown > 0 ? tr("%1 \u2265 %2 %").arg(totals.name(share.key), percent)
                             : tr("%1 %2 %").arg(totals.name(share.key), percent);
}

QChart* TotalsCharts::makeShareChart(const ChartedTotals& totals, int row, bool dark)
{
    QChart* chart = newChart(dark);
    const std::vector<TargetShare> shares = TargetShares::of(totals, row);
    if (shares.empty() && !TotalsCalculator::standsForOneDay(totals.rowLabel(row))) {
        chart->setTitle(tr("%1 is more than one day; tick Per day in the totals window to measure it against the "
                           "daily targets.")
                            .arg(totals.rowLabel(row)));
        return chart;
    }
    if (shares.empty()) {
        chart->setTitle(tr("%1: no nutrient has a target. Set them with Targets... in the totals window.")
                            .arg(totals.rowLabel(row)));
        return chart;
    }
    chart->setTitle(tr("%1: % of the daily target").arg(totals.rowLabel(row)));

    // Bars run across, the first share on top, so that the nutrients' names can be read beside
    // them however many there are. A share whose value is a lower bound goes in the hatched set.
    auto* known = new QBarSet(tr("Share of the target"));
    auto* atLeast = new QBarSet(tr("At least this share"));
    // One colour for every bar, lightened on the dark theme's ground to stand out from it.
    const QColor colour = dark ? rowColour(0).lighter(150) : rowColour(0);
    for (QBarSet* set : { known, atLeast }) {
        set->setColor(colour);
        set->setBorderColor(colour.darker(120));
    }
    atLeast->setBrush(lowerBoundBrush(colour));
    QStringList names;
    QStringList tips;
    double high = 100;
    for (auto share = shares.rbegin(); share != shares.rend(); ++share) {
        const double percent = std::max(0.0, drawable(share->percent));
        known->append(share->unknown > 0 ? 0 : percent);
        atLeast->append(share->unknown > 0 ? percent : 0);
        high = std::max(high, percent);
        // The axis takes each name once: a kept nutrient named as one of the nine ("Cholesterol")
        // is told apart by an invisible mark.
        QString name = shareLabel(totals, *share);
        while (names.contains(name)) {
            name += QChar(0x200B);
        }
        names.append(name);
        tips.append(TargetShares::describe(totals, *share));
    }
    for (QBarSet* set : { known, atLeast }) {
        set->setProperty("toolTips", tips);
        showToolTips(set);
    }
    auto* series = new QHorizontalStackedBarSeries;
    series->append(known);
    series->append(atLeast);
    series->setBarWidth(0.7);
    chart->addSeries(series);

    auto* percentAxis = new QValueAxis;
    percentAxis->setRange(0, high * 1.08);
    percentAxis->applyNiceNumbers();
    percentAxis->setLabelFormat(QStringLiteral("%g %%"));
    chart->addAxis(percentAxis, Qt::AlignBottom);
    auto* categories = new QBarCategoryAxis;
    categories->append(names);
    categories->setGridLineVisible(false);
    // The names are short; the axis would otherwise cut every one of them to "..." once the bars
    // are many.
    categories->setTruncateLabels(false);
    chart->addAxis(categories, Qt::AlignLeft);
    series->attachAxis(percentAxis);
    series->attachAxis(categories);

    // The 100 % line crosses every bar, on a hidden axis matching the categories' (-0.5 to n - 0.5).
    const double from = -0.5;
    const double to = static_cast<double>(shares.size()) - 0.5;
    auto* hundred = new QLineSeries;
    hundred->setName(tr("100 %"));
    hundred->append({ QPointF(100, from), QPointF(100, to) });
    hundred->setPen(QPen(kBandEdge, 2.5, Qt::DashLine));
    chart->addSeries(hundred);
    auto* lineAxis = new QValueAxis;
    lineAxis->setRange(from, to);
    lineAxis->setVisible(false);
    chart->addAxis(lineAxis, Qt::AlignRight);
    hundred->attachAxis(percentAxis);
    hundred->attachAxis(lineAxis);
    return chart;
}

bool TotalsCharts::anyLowerBound(const ChartedTotals& totals, const QStringList& keys)
{
    for (const QString& key : keys) {
        for (int r = 0; r < totals.rowCount(); ++r) {
            int unknown = 0;
            totals.value(r, key, &unknown);
            if (unknown > 0) {
                return true;
            }
        }
    }
    return false;
}

void TotalsCharts::render(
    QPainter* painter, const QRectF& target, const TotalsResult& result, const NutrientTargets& targets)
{
    render(painter, target, ChartedTotals(result, NutrientTotals(), targets, NutrientCatalogue()),
        Picture { ChartedTotals::nineKeys(), -1 });
}

void TotalsCharts::render(QPainter* painter, const QRectF& target, const ChartedTotals& totals, const Picture& picture)
{
    // Laid out at one size and scaled into the target, so that texts keep their size relative to
    // the charts on a screen, a page or an image alike.
    const double scale = std::min(target.width() / LayoutSize.width(), target.height() / LayoutSize.height());
    const QPointF origin = target.topLeft()
        + QPointF(
            (target.width() - LayoutSize.width() * scale) / 2, (target.height() - LayoutSize.height() * scale) / 2);
    if (picture.shareRow >= 0) {
        const QSizeF whole(LayoutSize);
        renderChart(painter, makeShareChart(totals, picture.shareRow), whole, QRectF(origin, whole * scale));
        return;
    }
    const int count = static_cast<int>(picture.keys.size());
    const int columns = std::clamp(count, 1, static_cast<int>(Columns));
    const int rows = std::max(1, (count + columns - 1) / columns);
    const QSizeF cell(double(LayoutSize.width()) / columns, double(LayoutSize.height() - KeyHeight) / rows);
    for (int n = 0; n < count; ++n) {
        const QRectF place(
            origin + QPointF((n % columns) * cell.width() * scale, (n / columns) * cell.height() * scale),
            cell * scale);
        renderChart(painter, makeChart(totals, picture.keys[n]), cell, place);
    }

    // The key under the charts: a swatch and the label of each row, in the grid's order, and what
    // a hatched bar means when there is one.
    painter->save();
    painter->translate(origin + QPointF(0, (LayoutSize.height() - KeyHeight) * scale));
    painter->scale(scale, scale);
    QFont font = painter->font();
    font.setPixelSize(18);
    painter->setFont(font);
    const QFontMetricsF metrics(font, painter->device());
    double x = 20;
    double y = 10;
    auto place = [&](double width) {
        if (x + width > LayoutSize.width() && x > 20) {
            x = 20;
            y += 30;
        }
    };
    painter->setPen(Qt::black);
    for (int r = 0; r < totals.rowCount(); ++r) {
        const QString& label = totals.rowLabel(r);
        const double width = 30 + metrics.horizontalAdvance(label) + 30;
        place(width);
        painter->fillRect(QRectF(x, y + 3, 20, 20), rowColour(r));
        painter->drawText(QRectF(x + 28, y, width, 26), Qt::AlignLeft | Qt::AlignVCenter, label);
        x += width;
    }
    if (anyLowerBound(totals, picture.keys)) {
        const QString hatched = tr("Hatched: at least, as planned foods lack a value");
        const double width = 30 + metrics.horizontalAdvance(hatched) + 30;
        place(width);
        painter->fillRect(QRectF(x, y + 3, 20, 20), lowerBoundBrush(Qt::black));
        painter->drawText(QRectF(x + 28, y, width, 26), Qt::AlignLeft | Qt::AlignVCenter, hatched);
    }
    painter->restore();
}

QString TotalsCharts::withEnding(const QString& path, const QString& ending)
{
    // "chart." would otherwise become "chart..png".
    QString base = path;
    while (base.endsWith(QLatin1Char('.')) && !QFileInfo(base).fileName().isEmpty()) {
        base.chop(1);
    }
    // Only an ending the chart can be saved as counts: "totals 2024.06" is a name with a dot in it.
    const QString suffix = QFileInfo(base).suffix().toLower();
    if (suffix == QLatin1String("png") || suffix == QLatin1String("svg") || suffix == QLatin1String("pdf")) {
        return base;
    }
    return base + QLatin1Char('.') + ending;
}

bool TotalsCharts::save(const QString& path, const TotalsResult& result, const NutrientTargets& targets, QString* error)
{
    return save(path, ChartedTotals(result, NutrientTotals(), targets, NutrientCatalogue()),
        Picture { ChartedTotals::nineKeys(), -1 }, error);
}

bool TotalsCharts::save(const QString& path, const ChartedTotals& totals, const Picture& picture, QString* error)
{
    // Drawn into memory first and written whole, so that a failed save leaves no half file and an
    // earlier file of that name stays as it was.
    const QString suffix = QFileInfo(path).suffix().toLower();
    const QRectF whole(QPointF(0, 0), QSizeF(LayoutSize));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (suffix == QLatin1String("png")) {
        QImage image(LayoutSize, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            render(&painter, whole, totals, picture);
        }
        image.save(&buffer, "PNG");
    } else if (suffix == QLatin1String("svg")) {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(LayoutSize);
        svg.setViewBox(whole);
        svg.setTitle(tr("Platewell Totals Chart"));
        QPainter painter(&svg);
        render(&painter, whole, totals, picture);
    } else if (suffix == QLatin1String("pdf")) {
        QPdfWriter pdf(&buffer);
        pdf.setTitle(tr("Platewell Totals Chart"));
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageOrientation(QPageLayout::Landscape);
        pdf.setResolution(150);
        QPainter painter(&pdf);
        render(&painter, QRectF(painter.viewport()), totals, picture);
    } else {
        *error = tr("Charts are saved as PNG, SVG or PDF files: end the name with .png, .svg or .pdf.");
        return false;
    }
    buffer.close();
    QString reason;
    if (buffer.data().isEmpty() || !TextFile::writeBytes(path, buffer.data(), &reason)) {
        *error = tr("The chart was not saved. %1").arg(reason);
        return false;
    }
    return true;
}

bool TotalsCharts::print(QPrinter* printer, const ChartedTotals& totals, const Picture& picture)
{
    QPainter painter;
    if (!painter.begin(printer)) {
        return false;
    }
    const QRect page = painter.viewport();
    QFont title(QStringLiteral("Sans Serif"));
    title.setPointSizeF(14);
    title.setBold(true);
    painter.setFont(title);
    const int titleHeight = QFontMetrics(title, printer).height();
    painter.drawText(
        QRect(0, 0, page.width(), titleHeight), Qt::AlignLeft | Qt::AlignVCenter, tr("Platewell Totals Chart"));
    const int top = titleHeight * 3 / 2;
    render(&painter, QRectF(0, top, page.width(), page.height() - top), totals, picture);
    return painter.end();
}
