#include "tools/wheelart/windowart.h"

#include "tools/wheelart/icons.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace wheelart {

QImage header()
{
    QImage image(901, 71, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    QLinearGradient g(0, 0, 0, 71);
    g.setColorAt(0, QColor(48, 48, 50));
    g.setColorAt(1, QColor(22, 22, 22));
    p.fillRect(image.rect(), g);
    p.setRenderHint(QPainter::Antialiasing);
    // A slanted band behind the sidebar and a blue base line.
    QPainterPath band;
    band.moveTo(0, 0);
    band.lineTo(150, 0);
    band.lineTo(120, 71);
    band.lineTo(0, 71);
    band.closeSubpath();
    QLinearGradient blue(0, 0, 150, 0);
    blue.setColorAt(0, QColor(17, 146, 207));
    blue.setColorAt(1, QColor(9, 74, 105));
    p.fillPath(band, blue);
    p.setPen(QPen(QColor(255, 255, 255, 12), 1));
    for (int x = 150; x < 901; x += 6)
        p.drawLine(QPointF(x, 71), QPointF(x + 30, 0));
    p.fillRect(QRectF(0, 69, 901, 2), QColor(17, 146, 207));
    return image;
}

QImage titleButton(bool close, bool hover)
{
    QImage image(24, 24, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    if (hover) {
        p.setPen(Qt::NoPen);
        p.setBrush(close ? QColor(220, 50, 50) : QColor(17, 146, 207));
        p.drawEllipse(QRectF(1, 1, 22, 22));
    }
    p.setPen(QPen(hover ? Qt::white : QColor(200, 200, 200), 2.2, Qt::SolidLine, Qt::RoundCap));
    if (close) {
        p.drawLine(QPointF(7.5, 7.5), QPointF(16.5, 16.5));
        p.drawLine(QPointF(16.5, 7.5), QPointF(7.5, 16.5));
    } else {
        p.drawLine(QPointF(7, 12), QPointF(17, 12));
    }
    return image;
}

QImage about()
{
    QImage image(400, 125, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    drawEmblem(p, QRectF(10, 12, 100, 100));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(50);
    font.setBold(true);
    font.setItalic(true);
    QPainterPath text;
    text.addText(122, 82, font, QStringLiteral("TarvoSet"));
    QLinearGradient g(0, 30, 0, 85);
    g.setColorAt(0, QColor(255, 255, 255));
    g.setColorAt(1, QColor(150, 200, 230));
    p.fillPath(text, g);
    p.fillRect(QRectF(124, 94, 264, 3), QColor(17, 146, 207));
    QFont small(QStringLiteral("DejaVu Sans"));
    small.setPixelSize(12);
    small.setLetterSpacing(QFont::AbsoluteSpacing, 2);
    p.setFont(small);
    p.setPen(QColor(190, 190, 190));
    p.drawText(QRectF(124, 100, 264, 18), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("WHEEL SETTINGS"));
    return image;
}

} // namespace wheelart
