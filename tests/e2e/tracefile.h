#pragma once

#include <QFile>
#include <QList>
#include <QRegularExpression>
#include <QString>

// One parsed line of a HID trace file.
struct TraceLine
{
    double time = 0;
    QString kind;
    QString data;
    int result = 0;
};

// Reads a trace; a line not in the trace format is returned with kind "malformed" and data = the line.
inline QList<TraceLine> readTrace(const QString& path)
{
    static const QRegularExpression format(
        QStringLiteral("^(\\d+\\.\\d{3}) (open|close|send-feature|get-feature|write|read) "
                       "([0-9a-f]+|[0-9a-f]{4}:[0-9a-f]{4}|-) (-?\\d+)$"));
    QList<TraceLine> lines;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
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
