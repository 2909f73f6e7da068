#pragma once

#include <QLoggingCategory>

// Per-report lines of the live input display (lit indicators).
Q_DECLARE_LOGGING_CATEGORY(lcInput)
// Connection, model, firmware version and the input thread's end.
Q_DECLARE_LOGGING_CATEGORY(lcDevice)

namespace tarvo {
// The programs print no debug lines unless asked: QT_LOGGING_RULES (or QT_LOGGING_CONF) still
// turns any category on, as its rules take precedence over these. Warnings stay on.
void quietDebugByDefault();
} // namespace tarvo
