#include "startup/appsetup.h"

#include "device/devicehandle.h"
#include "device/hidapibackend.h"
#include "device/hidtrace.h"
#include "firmware/updateserver.h"
#include "virtualwheel/virtualwheel.h"
#include "virtualwheel/wheelcontrolserver.h"

AppSetup::AppSetup() = default;

AppSetup::~AppSetup()
{
    deviceHandle.close();
    deviceHandle.setBackend(nullptr);
}

bool AppSetup::apply(const AppOptions& options, QString* error)
{
    HidBackend* backend = nullptr;
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
        backend = m_virtualWheel.get();
    } else {
        m_hidapi = std::make_unique<HidApiBackend>();
        backend = m_hidapi.get();
    }
    if (!options.hidTrace.isEmpty()) {
        m_trace = std::make_unique<HidTrace>(backend, options.hidTrace);
        if (!m_trace->isOpen()) {
            *error = QStringLiteral("cannot write the HID trace '%1'").arg(options.hidTrace);
            return false;
        }
        backend = m_trace.get();
    }
    deviceHandle.setBackend(backend);
    if (!options.updateServer.isEmpty())
        setUpdateServerBaseUrl(options.updateServer);
    setUpdateCaCertificates(options.caCertificates);
    return true;
}
