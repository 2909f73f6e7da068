#include "tools/wheelart/icons.h"

#include "tools/wheelart/picture.h"

#include <QBuffer>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtEndian>
#include <algorithm>

namespace wheelart {

void drawEmblem(QPainter& p, QRectF box)
{
    const QPointF c = box.center();
    const double r = box.width() / 2;
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient disc(c, r);
    disc.setColorAt(0, QColor(30, 177, 255));
    disc.setColorAt(1, QColor(9, 74, 105));
    QPainterPath ring = ellipse(c, r * 0.96, r * 0.96).subtracted(ellipse(c, r * 0.70, r * 0.70));
    QPainterPath hub = ellipse(c, r * 0.24, r * 0.24);
    QPainterPath spokes;
    spokes.addRect(QRectF(c.x() - r * 0.80, c.y() - r * 0.09, r * 1.6, r * 0.18));
    spokes.addRect(QRectF(c.x() - r * 0.09, c.y(), r * 0.18, r * 0.80));
    const QPainterPath wheel = ring.united(hub).united(spokes);
    p.fillPath(wheel, disc);
    p.strokePath(wheel, QPen(QColor(255, 255, 255, 200), std::max(1.0, r / 24)));
    // Top marker.
    p.fillRect(QRectF(c.x() - r * 0.07, c.y() - r * 0.96, r * 0.14, r * 0.26), QColor(255, 255, 255));
}

QImage emblem(int side)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    const double m = side * 0.03;
    drawEmblem(p, QRectF(m, m, side - 2 * m, side - 2 * m));
    return image;
}

QByteArray icoFile(const std::vector<QImage>& images)
{
    QByteArray out;
    auto put16 = [&](quint16 v) {
        const quint16 le = qToLittleEndian(v);
        out.append(reinterpret_cast<const char*>(&le), 2);
    };
    auto put32 = [&](quint32 v) {
        const quint32 le = qToLittleEndian(v);
        out.append(reinterpret_cast<const char*>(&le), 4);
    };
    std::vector<QByteArray> bodies;
    for (const QImage& source : images) {
        const QImage img = source.convertToFormat(QImage::Format_ARGB32);
        const int w = img.width(), h = img.height();
        const int maskStride = ((w + 31) / 32) * 4;
        QByteArray body;
        QBuffer buf(&body);
        buf.open(QIODevice::WriteOnly);
        auto b16 = [&](quint16 v) {
            const quint16 le = qToLittleEndian(v);
            buf.write(reinterpret_cast<const char*>(&le), 2);
        };
        auto b32 = [&](quint32 v) {
            const quint32 le = qToLittleEndian(v);
            buf.write(reinterpret_cast<const char*>(&le), 4);
        };
        b32(40);
        b32(w);
        b32(h * 2); // colour rows plus mask rows
        b16(1);
        b16(32);
        b32(0);
        b32(w * h * 4 + maskStride * h);
        b32(0);
        b32(0);
        b32(0);
        b32(0);
        for (int y = h - 1; y >= 0; --y) {
            const QRgb* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
            for (int x = 0; x < w; ++x) {
                const char bgra[4] = {char(qBlue(line[x])), char(qGreen(line[x])), char(qRed(line[x])),
                                      char(qAlpha(line[x]))};
                buf.write(bgra, 4);
            }
        }
        for (int y = h - 1; y >= 0; --y) {
            QByteArray row(maskStride, 0);
            const QRgb* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
            for (int x = 0; x < w; ++x) {
                if (qAlpha(line[x]) == 0)
                    row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
            }
            buf.write(row);
        }
        bodies.push_back(body);
    }
    put16(0);
    put16(1);
    put16(quint16(images.size()));
    quint32 offset = 6 + 16 * quint32(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        const int w = images[i].width();
        out.append(char(w >= 256 ? 0 : w));
        out.append(char(w >= 256 ? 0 : images[i].height()));
        out.append(char(0));
        out.append(char(0));
        put16(1);
        put16(32);
        put32(quint32(bodies[i].size()));
        put32(offset);
        offset += quint32(bodies[i].size());
    }
    for (const QByteArray& body : bodies)
        out.append(body);
    return out;
}

} // namespace wheelart
