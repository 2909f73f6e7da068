#pragma once

#include "app/appoptions.h"

#include <QString>
#include <memory>

class HidApiBackend;
class HidBackend;
class HidTrace;
class VirtualWheel;
class WheelControlServer;

// Where the wheel comes from, as the command line asks: the virtual wheel (with its state
// file and control socket) or hidapi, optionally wrapped by the HID trace. Shared by the
// window and tarvoctl; Qt Core and Network only.
class BackendChain
{
public:
    BackendChain();
    ~BackendChain();
    BackendChain(const BackendChain&) = delete;
    BackendChain& operator=(const BackendChain&) = delete;

    // False with a sentence in *error when a file or the socket is refused (exit code 2).
    bool setUp(const AppOptions& options, QString* error);
    HidBackend* backend() const { return m_backend; }
    VirtualWheel* virtualWheel() const { return m_virtualWheel.get(); }

private:
    std::unique_ptr<VirtualWheel> m_virtualWheel;
    std::unique_ptr<WheelControlServer> m_controlServer;
    std::unique_ptr<HidApiBackend> m_hidapi;
    std::unique_ptr<HidTrace> m_trace;
    HidBackend* m_backend = nullptr;
};
