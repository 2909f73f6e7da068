#pragma once

#include <QByteArray>
#include <QString>

// Strict parsing of control-command arguments: what is not exactly a number or hex
// string in range is refused, with a reason fit for an "error: " line.
class CommandArguments
{
public:
    // Decimal digits, with a leading '-' only when min is negative; no '+', blanks or
    // other bases. On failure *error reads "NAME: expected an integer from MIN to MAX".
    static bool integer(const QString& text, const QString& name, qint64 min, qint64 max, qint64* out, QString* error);
    // An even number of hex digits (either case) making minBytes to maxBytes bytes.
    static bool hexBytes(const QString& text, int minBytes, int maxBytes, QByteArray* out, QString* error);
};
