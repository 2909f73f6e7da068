#include "virtualwheel/virtualwheel.h"

#include "protocol/wheelprotocol.h"
#include "virtualwheel/demoinputs.h"
#include "virtualwheel/virtualwheeldevice.h"
#include "virtualwheel/wheelfirmware.h"

#include <QDir>
#include <QFileInfo>
#include <QMetaObject>
#include <QTimer>

VirtualWheel::VirtualWheel(const QString& model, std::uint16_t productId, QObject* parent)
    : QObject(parent)
    , m_firmware(std::make_shared<WheelFirmware>(model, productId))
{
}

VirtualWheel::~VirtualWheel() = default;

bool VirtualWheel::attachStateFile(const QString& path, QString* error)
{
    if (!m_firmware->attachStateFile(path, error))
        return false;
    m_stateFile = path;
    return true;
}

void VirtualWheel::setDemo(bool on)
{
    // The timer belongs to this object's thread, whichever thread asks.
    QMetaObject::invokeMethod(this, [this, on] {
        if (!m_demoTimer) {
            m_demoTimer = new QTimer(this);
            m_demoTimer->setInterval(DemoInputs::kTickMs);
            connect(m_demoTimer, &QTimer::timeout, this, &VirtualWheel::demoTick);
        }
        if (on)
            m_demoTimer->start();
        else
            m_demoTimer->stop();
    });
}

void VirtualWheel::demoTick()
{
    // Nobody reads while no device is open; queueing then would only pile up stale reports.
    if (m_firmware->isOpen())
        m_firmware->queueInput(DemoInputs::report(m_demoTick++));
}

int VirtualWheel::init()
{
    return 0;
}

std::unique_ptr<HidDevice> VirtualWheel::open(std::uint16_t vendorId, std::uint16_t productId)
{
    if (vendorId != tarvo::kVendorId || productId != m_firmware->productId())
        return nullptr;
    const std::uint64_t generation = m_firmware->openDevice();
    if (generation == 0)
        return nullptr;
    return std::make_unique<VirtualWheelDevice>(m_firmware, generation);
}

std::vector<HidBackend::PresentDevice> VirtualWheel::enumerate(std::uint16_t vendorId)
{
    if (vendorId != tarvo::kVendorId || !m_firmware->isPlugged())
        return {};
    return {{m_firmware->productId(), std::string("virtual")}};
}

std::string VirtualWheel::lockKey(std::uint16_t vendorId, std::uint16_t productId)
{
    if (m_stateFile.isEmpty() || vendorId != tarvo::kVendorId || productId != m_firmware->productId())
        return {};
    const QFileInfo file(m_stateFile);
    const QString canonical = file.exists()
        ? file.canonicalFilePath()
        : QDir(file.absolutePath()).canonicalPath() + QLatin1Char('/') + file.fileName();
    return canonical.toStdString();
}

void VirtualWheel::queueInput(const QByteArray& reportAfterId)
{
    m_firmware->queueInput(reportAfterId);
    emit inputQueued();
}
void VirtualWheel::unplug()
{
    m_firmware->unplug();
    emit pluggedChanged(false);
}
void VirtualWheel::plug()
{
    m_firmware->plug();
    emit pluggedChanged(true);
}
void VirtualWheel::setModel(const QString& text)
{
    m_firmware->setModel(text);
}
void VirtualWheel::setVersion(const QString& text)
{
    m_firmware->setVersion(text);
}
void VirtualWheel::setBattery(int percent, int supply, int link)
{
    m_firmware->setBattery(percent, supply, link);
}
void VirtualWheel::setAuxLampsFlag(int flag)
{
    m_firmware->setAuxLampsFlag(flag);
}
void VirtualWheel::setShifterRaw(int shifter, int value)
{
    m_firmware->setShifterRaw(shifter, value);
}

bool VirtualWheel::setSetting(const QString& key, const QStringList& values, QString* error)
{
    return m_firmware->setSetting(key, values, error);
}

void VirtualWheel::failSends(int count)
{
    m_firmware->failSends(count);
}
void VirtualWheel::failGets(int count)
{
    m_firmware->failGets(count);
}
void VirtualWheel::setLatency(int milliseconds)
{
    m_firmware->setLatency(milliseconds);
}
QJsonObject VirtualWheel::state() const
{
    return m_firmware->state();
}
bool VirtualWheel::isOpen() const
{
    return m_firmware->isOpen();
}
int VirtualWheel::pendingInputCount() const
{
    return m_firmware->pendingInputCount();
}

QList<VirtualWheel::Received> VirtualWheel::received() const
{
    QList<Received> list;
    for (const WheelFirmware::Received& r : m_firmware->received())
        list.append({r.isWrite ? Received::Kind::Write : Received::Kind::SendFeature, r.bytes});
    return list;
}

void VirtualWheel::clearReceived()
{
    m_firmware->clearReceived();
}
