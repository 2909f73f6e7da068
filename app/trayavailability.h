#pragma once

#include <optional>

// Whether the desktop has a system tray for the window to minimise to: the platform's answer
// (QSystemTrayIcon::isSystemTrayAvailable) unless a test fixed it, since the offscreen platform
// has no tray.
class TrayAvailability
{
public:
    static bool isAvailable();
    // std::nullopt gives the platform's answer back.
    static void setForTesting(std::optional<bool> available);
};
