#include "device/logging.h"

Q_LOGGING_CATEGORY(lcInput, "tarvoset.input")
Q_LOGGING_CATEGORY(lcDevice, "tarvoset.device")

void tarvo::quietDebugByDefault()
{
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
}
