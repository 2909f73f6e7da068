#pragma once

#include "startup/appoptions.h"

#include <QString>
#include <memory>

class HidApiBackend;
class HidTrace;
class VirtualWheel;
class WheelControlServer;

// What the command line sets up before the window exists: the HID backend behind deviceHandle
// (the virtual wheel or hidapi, traced on request), the virtual wheel's state file and control
// socket, and the update server. Lives as long as the window; the GUI thread only.
class AppSetup
{
public:
    AppSetup();
    ~AppSetup(); // closes deviceHandle first: its device may belong to the backends here
    AppSetup(const AppSetup&) = delete;
    AppSetup& operator=(const AppSetup&) = delete;

    // False, with the reason in *error, when a file or socket the options name cannot be used.
    bool apply(const AppOptions& options, QString* error);

private:
    std::unique_ptr<VirtualWheel> m_virtualWheel;
    std::unique_ptr<WheelControlServer> m_controlServer;
    std::unique_ptr<HidApiBackend> m_hidapi;
    std::unique_ptr<HidTrace> m_trace;
};
