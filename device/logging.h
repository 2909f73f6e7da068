#pragma once

#include <QLoggingCategory>

// Per-report lines of the live input display (lit indicators). Quiet them with
// QT_LOGGING_RULES="tarvoset.input.debug=false".
Q_DECLARE_LOGGING_CATEGORY(lcInput)
// Connection, model, firmware version and the input thread's end.
Q_DECLARE_LOGGING_CATEGORY(lcDevice)
