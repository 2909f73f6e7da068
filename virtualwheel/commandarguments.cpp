#include "virtualwheel/commandarguments.h"

#include <algorithm>

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

bool CommandArguments::integer(const QString& text, const QString& name, qint64 min, qint64 max, qint64* out,
                               QString* error)
{
    const auto refuse = [&] {
        if (error)
            *error =
                QStringLiteral("%1: expected an integer from %2 to %3, got '%4'").arg(name).arg(min).arg(max).arg(text);
        return false;
    };
    const bool negative = text.startsWith(QLatin1Char('-'));
    const QString digits = negative ? text.mid(1) : text;
    // 19 digits keep the value inside qint64 before the range check.
    if (digits.isEmpty() || digits.size() > 19 || (negative && min >= 0))
        return refuse();
    qint64 value = 0;
    for (QChar c : digits) {
        if (!isDigit(c))
            return refuse();
        value = value * 10 + (c.unicode() - '0');
        if (value > qint64(1) << 40) // far beyond any field; stops overflow
            return refuse();
    }
    if (negative)
        value = -value;
    if (value < min || value > max)
        return refuse();
    *out = value;
    return true;
}

bool CommandArguments::hexBytes(const QString& text, int minBytes, int maxBytes, QByteArray* out, QString* error)
{
    const auto refuse = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (text.size() % 2 != 0)
        return refuse(QStringLiteral("odd number of hex digits"));
    const int count = int(text.size() / 2);
    if (count < minBytes || count > maxBytes)
        return refuse(QStringLiteral("expected %1 to %2 bytes of hex, got %3").arg(minBytes).arg(maxBytes).arg(count));
    QByteArray bytes;
    bytes.reserve(count);
    for (int i = 0; i < count; ++i) {
        bool ok = false;
        const QString pair = text.mid(i * 2, 2);
        const bool hex = std::all_of(pair.begin(), pair.end(), [](QChar c) {
            return isDigit(c) || (c >= QLatin1Char('a') && c <= QLatin1Char('f'))
                || (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
        });
        const uint value = pair.toUInt(&ok, 16);
        if (!hex || !ok)
            return refuse(QStringLiteral("not hex: '%1'").arg(text));
        bytes.append(char(value));
    }
    *out = bytes;
    return true;
}
