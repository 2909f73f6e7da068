#include "app/backendchain.h"

#include "device/hidapibackend.h"
#include "device/hidtrace.h"
#include "virtualwheel/virtualwheel.h"
#include "virtualwheel/wheelcontrolserver.h"

BackendChain::BackendChain() = default;
BackendChain::~BackendChain() = default;

bool BackendChain::setUp(const AppOptions& options, QString* error)
{
    if (options.virtualWheel) {
        m_virtualWheel = std::make_unique<VirtualWheel>(options.virtualWheelModel, options.virtualWheelPid);
        if (!options.virtualWheelState.isEmpty() && !m_virtualWheel->attachStateFile(options.virtualWheelState, error))
            return false;
        if (!options.wheelControl.isEmpty()) {
            m_controlServer = std::make_unique<WheelControlServer>(m_virtualWheel.get());
            if (!m_controlServer->listen(options.wheelControl)) {
                *error = QStringLiteral("cannot listen on wheel control socket '%1'").arg(options.wheelControl);
                return false;
            }
        }
        m_virtualWheel->setDemo(options.demo);
        m_backend = m_virtualWheel.get();
    } else {
        m_hidapi = std::make_unique<HidApiBackend>();
        m_backend = m_hidapi.get();
    }
    if (!options.hidTrace.isEmpty()) {
        m_trace = std::make_unique<HidTrace>(m_backend, options.hidTrace);
        if (!m_trace->isOpen()) {
            *error = QStringLiteral("cannot write the HID trace '%1'").arg(options.hidTrace);
            return false;
        }
        m_backend = m_trace.get();
    }
    return true;
}
