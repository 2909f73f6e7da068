#include "app/trayavailability.h"

#include <QSystemTrayIcon>

namespace {
std::optional<bool>& fixedAnswer()
{
    static std::optional<bool> answer;
    return answer;
}
} // namespace

bool TrayAvailability::isAvailable()
{
    return fixedAnswer().value_or(QSystemTrayIcon::isSystemTrayAvailable());
}

void TrayAvailability::setForTesting(std::optional<bool> available)
{
    fixedAnswer() = available;
}
