#include "desktop/windows/AboutPicture.h"

#include <QCoreApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPolygonF>

namespace tidorax {

namespace {

const QColor kDeepBlue(0x0d, 0x2f, 0x57);
const QColor kBlue(0x1f, 0x5f, 0xa8);
const QColor kPaper(0xf2, 0xf2, 0xf2);
const QColor kPale(0xdf, 0xe8, 0xf2);
const QColor kGold(0xff, 0xd8, 0x4a);

// A four-pointed sparkle centred at (x, y) with arms of the given length.
void drawSparkle(QPainter& painter, double x, double y, double arm) {
    const double waist = arm / 3;
    painter.drawPolygon(QPolygonF({{x, y - arm},
                                   {x + waist, y - waist},
                                   {x + arm, y},
                                   {x + waist, y + waist},
                                   {x, y + arm},
                                   {x - waist, y + waist},
                                   {x - arm, y},
                                   {x - waist, y - waist}}));
}

} // namespace

QPixmap AboutPicture() {
    QPixmap picture(150, 180);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient ground(0, 0, 0, 180);
    ground.setColorAt(0, kBlue);
    ground.setColorAt(1, kDeepBlue);
    painter.fillRect(picture.rect(), ground);

    // The bin of the tray icon, drawn three times its size.
    painter.save();
    painter.translate(27, 14);
    painter.scale(3, 3);
    painter.setPen(QPen(kDeepBlue, 0.6));
    painter.setBrush(kPaper);
    painter.drawRect(QRectF(8, 10, 16, 2.5));
    painter.drawRect(QRectF(13, 7, 5, 3));
    painter.setBrush(kPale);
    painter.drawPolygon(QPolygonF({{9, 13}, {23, 13}, {21.5, 28}, {10.5, 28}}));
    painter.setPen(QPen(kBlue, 0.8));
    for (const double x : {13.0, 16.0, 19.0}) {
        painter.drawLine(QPointF(x, 15.5), QPointF(x, 25.5));
    }
    painter.restore();

    painter.setPen(Qt::NoPen);
    painter.setBrush(kGold);
    drawSparkle(painter, 118, 22, 12);
    drawSparkle(painter, 132, 48, 6);
    drawSparkle(painter, 22, 40, 5);

    painter.setPen(Qt::white);
    QFont name = painter.font();
    name.setPixelSize(22);
    name.setBold(true);
    painter.setFont(name);
    painter.drawText(QRect(0, 112, 150, 30), Qt::AlignCenter,
                     QCoreApplication::translate("tidorax::AboutPicture", "Tidorax"));
    QFont version = painter.font();
    version.setPixelSize(14);
    version.setBold(false);
    painter.setFont(version);
    painter.drawText(QRect(0, 140, 150, 24), Qt::AlignCenter,
                     QCoreApplication::translate("tidorax::AboutPicture", "Quillon  3.0"));
    return picture;
}

} // namespace tidorax
