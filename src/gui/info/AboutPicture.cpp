#include "gui/info/AboutPicture.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace {

QFont pictureFont(const QString& family, QFont::StyleHint hint, int pixelSize, int weight)
{
    QFont font(family);
    font.setStyleHint(hint);
    font.setPixelSize(pixelSize);
    font.setWeight(QFont::Weight(weight));
    return font;
}

void drawPlate(QPainter& painter, const QPointF& centre)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 50));
    painter.drawEllipse(centre + QPointF(4, 5), 66, 66);
    QRadialGradient rim(centre, 66);
    rim.setColorAt(0.0, QColor(255, 255, 255));
    rim.setColorAt(0.75, QColor(246, 244, 238));
    rim.setColorAt(1.0, QColor(214, 210, 200));
    painter.setBrush(rim);
    painter.drawEllipse(centre, 66, 66);
    painter.setPen(QPen(QColor(205, 200, 190), 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, 48, 48);

    // Salad leaves, a tomato, carrot slices and peas.
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 5; ++i) {
        painter.save();
        painter.translate(centre + QPointF(-14, -10));
        painter.rotate(i * 72 + 10);
        painter.setBrush(QColor(84 + i * 12, 160 + i * 6, 60));
        painter.drawEllipse(QPointF(14, 0), 17, 8);
        painter.restore();
    }
    painter.setBrush(QColor(214, 48, 38));
    painter.drawEllipse(centre + QPointF(20, 14), 14, 14);
    painter.setBrush(QColor(250, 120, 110));
    painter.drawEllipse(centre + QPointF(16, 10), 4, 3);
    for (int i = 0; i < 3; ++i) {
        painter.setBrush(QColor(240, 140, 30));
        painter.drawEllipse(centre + QPointF(-22 + i * 11, 24), 6, 6);
        painter.setBrush(QColor(250, 180, 80));
        painter.drawEllipse(centre + QPointF(-22 + i * 11, 24), 2.5, 2.5);
    }
    painter.setBrush(QColor(110, 180, 50));
    for (const QPointF& pea : { QPointF(24, -18), QPointF(31, -12), QPointF(18, -25), QPointF(30, -23) }) {
        painter.drawEllipse(centre + pea, 4, 4);
    }
}

void drawFork(QPainter& painter, const QPointF& top)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(200, 204, 210));
    painter.drawRoundedRect(QRectF(top.x() - 3, top.y() + 46, 6, 80), 3, 3);
    QPainterPath head;
    head.addRoundedRect(QRectF(top.x() - 9, top.y() + 30, 18, 20), 5, 5);
    painter.drawPath(head);
    for (int i = 0; i < 4; ++i) {
        painter.drawRoundedRect(QRectF(top.x() - 9 + i * 5, top.y(), 3, 36), 1.5, 1.5);
    }
}

} // namespace

QImage AboutPicture::draw()
{
    QImage image(Width, Height, QImage::Format_RGB888);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    QLinearGradient sky(0, 0, Width, Height);
    sky.setColorAt(0.0, QColor(46, 110, 72));
    sky.setColorAt(1.0, QColor(18, 64, 52));
    painter.fillRect(image.rect(), sky);
    // A table cloth of soft checks behind the plate.
    painter.setPen(Qt::NoPen);
    for (int x = 0; x < Width; x += 22) {
        painter.fillRect(QRectF(x, 0, 11, Height), QColor(255, 255, 255, 14));
    }
    for (int y = 0; y < Height; y += 22) {
        painter.fillRect(QRectF(0, y, Width, 11), QColor(255, 255, 255, 14));
    }

    drawPlate(painter, QPointF(262, 96));
    drawFork(painter, QPointF(184, 34));

    painter.setPen(QColor(255, 255, 255));
    // The name gets the largest size that fits left of the fork in whichever serif font is found.
    const QRectF titleRect(16, 16, 160, 48);
    QFont title = pictureFont(QStringLiteral("Georgia"), QFont::Serif, 38, QFont::Bold);
    while (title.pixelSize() > 16
        && QFontMetricsF(title).horizontalAdvance(QCoreApplication::translate("AboutPicture", "Platewell"))
            > titleRect.width()) {
        title.setPixelSize(title.pixelSize() - 1);
    }
    painter.setFont(title);
    painter.drawText(
        titleRect, Qt::AlignLeft | Qt::AlignVCenter, QCoreApplication::translate("AboutPicture", "Platewell"));
    painter.setPen(QColor(226, 240, 210));
    painter.setFont(pictureFont(QStringLiteral("Georgia"), QFont::Serif, 14, QFont::Normal));
    painter.drawText(QRectF(18, 66, 180, 20), Qt::AlignLeft | Qt::AlignVCenter,
        QCoreApplication::translate("AboutPicture", "Version %1").arg(QStringLiteral(PLATEWELL_VERSION)));
    painter.drawText(QRectF(18, 86, 180, 20), Qt::AlignLeft | Qt::AlignVCenter,
        QCoreApplication::translate("AboutPicture", "Meal planner"));

    painter.setPen(QColor(255, 255, 255));
    painter.setFont(pictureFont(QString(), QFont::SansSerif, 12, QFont::Bold));
    painter.drawText(QRectF(18, 136, 200, 18), Qt::AlignLeft | Qt::AlignVCenter, makerName());
    painter.setPen(QColor(255, 226, 140));
    painter.setFont(pictureFont(QString(), QFont::SansSerif, 12, QFont::Normal));
    painter.drawText(QRectF(18, 154, 200, 18), Qt::AlignLeft | Qt::AlignVCenter, webAddress());
    painter.end();
    return image;
}
