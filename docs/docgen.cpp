// Writes the two PDF documents that ship with Platewell: the user manual, from its Markdown source,
// and the Nutritive Value of Foods table, from the starter food table. Run at build time on the
// offscreen platform:
//
//     docgen MANUAL.md FOODS.csv OUTPUT_FOLDER

#include "core/files/ByteSource.h"
#include "core/files/CsvStreamReader.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QUrl>

#include <cstdio>

namespace {

constexpr int Resolution = 300;
const QString Maker = QStringLiteral("the Platewell Project");

bool readFile(const QString& path, QString* text)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "docgen: %s: %s\n", qPrintable(path), qPrintable(file.errorString()));
        return false;
    }
    *text = QString::fromUtf8(file.readAll());
    return true;
}

// Sets up an A4 document and starts painting on it; false, after saying why, when the PDF cannot
// be written.
bool beginDocument(QPdfWriter& writer, QPainter& painter, const QString& title, QPageLayout::Orientation orientation,
    const QString& outputPath)
{
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("Platewell docgen"));
    writer.setResolution(Resolution);
    writer.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), orientation, QMarginsF(15, 12, 15, 12), QPageLayout::Millimeter));
    if (!painter.begin(&writer)) {
        std::fprintf(stderr, "docgen: %s: cannot write the PDF\n", qPrintable(outputPath));
        return false;
    }
    return true;
}

QFont documentFont(qreal pointSize, bool bold = false)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    // No ligatures: the text extracted from the PDF must read "flour", not a ligature glyph.
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

// A running head above and the page number beneath the body of every page.
void drawPageFrame(QPainter& painter, const QRectF& page, const QString& left, const QString& right, int number,
    int count, qreal headHeight, qreal footHeight)
{
    painter.save();
    painter.setFont(documentFont(8));
    painter.setPen(Qt::black);
    const QRectF head(page.left(), page.top(), page.width(), headHeight * 0.7);
    painter.drawText(head, Qt::AlignLeft | Qt::AlignBottom, left);
    painter.drawText(head, Qt::AlignRight | Qt::AlignBottom, right);
    painter.setPen(QPen(Qt::black, Resolution / 200.0));
    painter.drawLine(QPointF(page.left(), head.bottom() + headHeight * 0.1),
        QPointF(page.right(), head.bottom() + headHeight * 0.1));
    const QRectF foot(page.left(), page.bottom() - footHeight * 0.7, page.width(), footHeight * 0.7);
    painter.drawText(foot, Qt::AlignHCenter | Qt::AlignBottom, QStringLiteral("Page %1 of %2").arg(number).arg(count));
    painter.restore();
}

// A screenshot keeps its proportions and takes at most `width` of the page, so that a window
// shows whole at a size it can be read at.
void fitPictures(QTextDocument& document, qreal width)
{
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat()) {
                continue;
            }
            QTextImageFormat format = fragment.charFormat().toImageFormat();
            const QImage picture = document.resource(QTextDocument::ImageResource, QUrl(format.name())).value<QImage>();
            if (picture.isNull()) {
                std::fprintf(stderr, "docgen: the picture %s could not be read\n", qPrintable(format.name()));
                continue;
            }
            format.setWidth(width);
            format.setHeight(width * picture.height() / picture.width());
            QTextCursor cursor(&document);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
        }
    }
}

// Markdown tables come out cramped and borderless; give them the full width, padding and rules.
void styleTables(QTextFrame* frame)
{
    const QList<QTextFrame*> children = frame->childFrames();
    for (QTextFrame* child : children) {
        if (auto* table = qobject_cast<QTextTable*>(child)) {
            QTextTableFormat format = table->format();
            format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
            format.setCellPadding(Resolution * 0.03);
            format.setCellSpacing(0);
            format.setBorder(Resolution / 150.0);
            format.setBorderBrush(QColor(120, 120, 120));
            format.setBorderCollapse(true);
            format.setTopMargin(Resolution * 0.04);
            format.setBottomMargin(Resolution * 0.08);
            table->setFormat(format);
        }
        styleTables(child);
    }
}

bool writeManual(const QString& sourcePath, const QString& outputPath)
{
    QString markdown;
    if (!readFile(sourcePath, &markdown)) {
        return false;
    }
    QPdfWriter writer(outputPath);
    QPainter painter;
    if (!beginDocument(writer, painter, QStringLiteral("Platewell User Manual"), QPageLayout::Portrait, outputPath)) {
        return false;
    }
    const QRectF page(QPointF(0, 0), writer.pageLayout().paintRectPixels(Resolution).size());
    const qreal headHeight = Resolution * 0.35;
    const qreal footHeight = Resolution * 0.35;
    const QRectF body(page.left(), page.top() + headHeight, page.width(), page.height() - headHeight - footHeight);

    QTextDocument document;
    document.documentLayout()->setPaintDevice(&writer);
    document.setDefaultFont(documentFont(10.5));
    document.setDocumentMargin(0);
    // Pictures are named relative to the manual's own folder.
    document.setBaseUrl(QUrl::fromLocalFile(QFileInfo(sourcePath).absolutePath() + QLatin1Char('/')));
    document.setMarkdown(markdown);
    styleTables(document.rootFrame());
    // Picture sizes are given at 96 dots per inch; the layout scales them to the writer's.
    fitPictures(document, body.width() * 0.9 * 96 / writer.logicalDpiX());
    document.setPageSize(body.size());
    const int pages = document.pageCount();

    for (int index = 0; index < pages; ++index) {
        if (index > 0) {
            writer.newPage();
        }
        drawPageFrame(painter, page, QStringLiteral("Platewell User Manual"),
            QStringLiteral("Platewell %1").arg(QStringLiteral(PLATEWELL_VERSION)), index + 1, pages, headHeight,
            footHeight);
        painter.save();
        const QRectF slice(0, index * body.height(), body.width(), body.height());
        painter.translate(body.left(), body.top() - slice.top());
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = slice;
        context.palette.setColor(QPalette::Text, Qt::black);
        painter.setClipRect(slice);
        document.documentLayout()->draw(&painter, context);
        painter.restore();
    }
    return painter.end();
}

struct Food
{
    QStringList cells;
    qreal height = 0;
};

bool writeFoodTable(const QString& csvPath, const QString& outputPath)
{
    QString error;
    const auto csv = ByteSource::openFile(csvPath, &error);
    if (!csv) {
        std::fprintf(stderr, "docgen: %s\n", qPrintable(error));
        return false;
    }
    CsvStreamReader reader(*csv);
    QList<Food> foods;
    bool header = true;
    while (reader.readRecord()) {
        if (header) {
            header = false;
            continue;
        }
        QStringList fields = reader.fieldTexts();
        if (fields.size() < 10) {
            fields.resize(10);
        }
        foods.append({ fields.mid(0, 10) });
    }
    if (reader.failed() || foods.isEmpty()) {
        std::fprintf(stderr, "docgen: %s: not a food table\n", qPrintable(csvPath));
        return false;
    }

    QPdfWriter writer(outputPath);
    QPainter painter;
    if (!beginDocument(
            writer, painter, QStringLiteral("Nutritive Value of Foods"), QPageLayout::Landscape, outputPath)) {
        return false;
    }
    const QRectF page(QPointF(0, 0), writer.pageLayout().paintRectPixels(Resolution).size());
    const qreal headHeight = Resolution * 0.35;
    const qreal footHeight = Resolution * 0.35;
    const QFont cellFont = documentFont(7.5);
    const QFont headFont = documentFont(7.5, true);
    const QFont titleFont = documentFont(14, true);

    const QStringList headings { QStringLiteral("Food"), QStringLiteral("Serving unit"), QStringLiteral("Calories"),
        QStringLiteral("Carbo-\nhydrates (g)"), QStringLiteral("Fat (g)"), QStringLiteral("Sugar (g)"),
        QStringLiteral("Choles-\nterol (mg)"), QStringLiteral("Points"), QStringLiteral("Fiber (g)"),
        QStringLiteral("Sugar alc.\n(g)") };
    // Shares of the page width: the names need most of it, the eight numbers a narrow column each.
    const QList<qreal> shares { 0.30, 0.18, 0.065, 0.065, 0.065, 0.065, 0.065, 0.065, 0.065, 0.065 };
    QList<QRectF> columns;
    qreal x = page.left();
    for (qreal share : shares) {
        columns.append(QRectF(x, 0, page.width() * share, 0));
        x += page.width() * share;
    }
    const qreal pad = Resolution * 0.02;
    const int textFlags = Qt::TextWordWrap | Qt::AlignTop;

    painter.setFont(cellFont);
    const QFontMetricsF cellMetrics(cellFont, &writer);
    for (Food& food : foods) {
        qreal height = cellMetrics.height();
        for (int c = 0; c < 2; ++c) {
            const QRectF bound = cellMetrics.boundingRect(
                QRectF(0, 0, columns[c].width() - 2 * pad, 1e6), textFlags | Qt::AlignLeft, food.cells[c]);
            height = std::max(height, bound.height());
        }
        food.height = height + 2 * pad;
    }
    const QFontMetricsF headMetrics(headFont, &writer);
    const qreal columnHeadHeight = 2 * headMetrics.height() + 2 * pad;
    const QFontMetricsF titleMetrics(titleFont, &writer);
    const qreal titleHeight = titleMetrics.height() + cellMetrics.height() * 2.5;

    // Page breaks first, so that every page can say how many pages there are.
    QList<qsizetype> firstRows;
    {
        qreal room = 0;
        for (qsizetype i = 0; i < foods.size(); ++i) {
            if (room < foods[i].height) {
                firstRows.append(i);
                room = page.height() - headHeight - footHeight - columnHeadHeight
                    - (firstRows.size() == 1 ? titleHeight : 0);
            }
            room -= foods[i].height;
        }
    }
    const int pages = int(firstRows.size());

    for (int index = 0; index < pages; ++index) {
        if (index > 0) {
            writer.newPage();
        }
        drawPageFrame(painter, page, QStringLiteral("Nutritive Value of Foods"),
            QStringLiteral("Platewell starter food table"), index + 1, pages, headHeight, footHeight);
        qreal y = page.top() + headHeight;
        if (index == 0) {
            painter.setFont(titleFont);
            painter.drawText(QRectF(page.left(), y, page.width(), titleMetrics.height()), Qt::AlignLeft,
                QStringLiteral("Nutritive Value of Foods"));
            painter.setFont(cellFont);
            painter.drawText(QRectF(page.left(), y + titleMetrics.height(), page.width(), cellMetrics.height() * 2),
                Qt::AlignLeft | Qt::TextWordWrap,
                QStringLiteral("Nutrients per serving unit of the %1 foods of Platewell's starter food table, derived "
                               "from the USDA National Nutrient Database for Standard Reference, Release 24 (public "
                               "domain). A blank cell: no value given. Compiled by %2.")
                    .arg(foods.size())
                    .arg(Maker));
            y += titleHeight;
        }
        painter.setFont(headFont);
        for (int c = 0; c < columns.size(); ++c) {
            const QRectF cell(
                columns[c].left() + pad, y + pad, columns[c].width() - 2 * pad, columnHeadHeight - 2 * pad);
            painter.drawText(cell, (c < 2 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignBottom, headings[c]);
        }
        y += columnHeadHeight;
        painter.setPen(QPen(Qt::black, Resolution / 300.0));
        painter.drawLine(QPointF(page.left(), y), QPointF(page.right(), y));

        painter.setFont(cellFont);
        const qsizetype end = index + 1 < pages ? firstRows[index + 1] : foods.size();
        for (qsizetype i = firstRows[index]; i < end; ++i) {
            const Food& food = foods[i];
            if (i % 2 == 1) {
                painter.fillRect(QRectF(page.left(), y, page.width(), food.height), QColor(238, 242, 236));
            }
            for (int c = 0; c < columns.size(); ++c) {
                const QRectF cell(
                    columns[c].left() + pad, y + pad, columns[c].width() - 2 * pad, food.height - 2 * pad);
                painter.drawText(cell, textFlags | (c < 2 ? Qt::AlignLeft : Qt::AlignRight), food.cells[c]);
            }
            y += food.height;
        }
    }
    return painter.end();
}

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: docgen MANUAL.md FOODS.csv OUTPUT_FOLDER\n");
        return 2;
    }
    const QString manual = args[3] + QStringLiteral("/PWmanual.pdf");
    const QString foodTable = args[3] + QStringLiteral("/Nutritive Value of Foods.pdf");
    // A half-written document must not pass for a finished one at the next build.
    if (!writeManual(args[1], manual) || !writeFoodTable(args[2], foodTable)) {
        QFile::remove(manual);
        QFile::remove(foodTable);
        return 1;
    }
    return 0;
}
