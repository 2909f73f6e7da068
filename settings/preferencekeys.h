// Where this computer keeps the tool's preferences, shared by the window and tarvoctl.
// Qt Core only. Every user opens a fresh QSettings in the native format; nothing else is set.
#pragma once

#include <QSettings>
#include <QString>

namespace tarvo::preferences {

inline QString organisation()
{
    return QStringLiteral("Tarvo");
}

inline QString application()
{
    return QStringLiteral("TarvoSet");
}

// bool, false when absent: the extra shifter rows are shown.
inline QString extraShifterKey()
{
    return QStringLiteral("EXTRA_SHIFTER");
}

// int, 255 (no input) when absent. Each model keeps its own binding: the keys carry the
// model text the wheel reports, suffix appended directly ("_ENCODER1" for an empty text).
inline QString encoderUpKey(const QString& model)
{
    return model + QStringLiteral("_ENCODER1");
}

inline QString encoderDownKey(const QString& model)
{
    return model + QStringLiteral("_ENCODER2");
}

} // namespace tarvo::preferences
