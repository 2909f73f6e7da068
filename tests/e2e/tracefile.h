#pragma once

#include <QFile>
#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

// One parsed line of a HID trace file.
struct TraceLine
{
    double time = 0;
    QString kind;
    QString data;
    int result = 0;
};

// The readout's queries, in order, as the first bytes of each frame (command 0x0B, selector,
// parameter): model, LED blocks 0 to 3, lamps, paddles, pulse width, clutch, version.
inline const QStringList kReadoutQueries = {"020b0d", "020b00", "020b01",   "020b02",   "020b03",
                                            "020b11", "020b0a", "020b0c04", "020b0c08", "020b09"};

// Reads a trace from the byte offset on; a line not in the trace format is returned with kind
// "malformed" and data = the line.
inline QList<TraceLine> readTrace(const QString& path, qint64 offset = 0)
{
    static const QRegularExpression format(
        QStringLiteral("^(\\d+\\.\\d{3}) (open|close|send-feature|get-feature|write|read) "
                       "([0-9a-f]+|[0-9a-f]{4}:[0-9a-f]{4}|-) (-?\\d+)$"));
    QList<TraceLine> lines;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text) || !file.seek(offset))
        return lines;
    const QStringList rows = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& row : rows) {
        const auto match = format.match(row);
        if (!match.hasMatch()) {
            lines.append({0, QStringLiteral("malformed"), row, 0});
            continue;
        }
        lines.append({match.captured(1).toDouble(), match.captured(2), match.captured(3), match.captured(4).toInt()});
    }
    return lines;
}

inline QList<TraceLine> linesOfKind(const QList<TraceLine>& lines, const QString& kind)
{
    QList<TraceLine> result;
    for (const TraceLine& line : lines)
        if (line.kind == kind)
            result.append(line);
    return result;
}
