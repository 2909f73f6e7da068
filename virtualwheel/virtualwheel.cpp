#include "virtualwheel/virtualwheel.h"

VirtualWheel::VirtualWheel(const QString&, std::uint16_t, QObject* parent) : QObject(parent) {}
VirtualWheel::~VirtualWheel() = default;
bool VirtualWheel::attachStateFile(const QString&, QString*) { return true; }
void VirtualWheel::setDemo(bool) {}
int VirtualWheel::init() { return 0; }
std::unique_ptr<HidDevice> VirtualWheel::open(std::uint16_t, std::uint16_t) { return nullptr; }
void VirtualWheel::queueInput(const QByteArray&) {}
void VirtualWheel::unplug() {}
void VirtualWheel::plug() {}
void VirtualWheel::setModel(const QString&) {}
void VirtualWheel::setVersion(const QString&) {}
void VirtualWheel::setBattery(int, int, int) {}
void VirtualWheel::setAuxLampsFlag(int) {}
void VirtualWheel::setShifterRaw(int, int) {}
bool VirtualWheel::setSetting(const QString&, const QStringList&, QString*) { return false; }
void VirtualWheel::failSends(int) {}
void VirtualWheel::failGets(int) {}
QJsonObject VirtualWheel::state() const { return {}; }
bool VirtualWheel::isOpen() const { return false; }
int VirtualWheel::pendingInputCount() const { return 0; }
QList<VirtualWheel::Received> VirtualWheel::received() const { return {}; }
void VirtualWheel::clearReceived() {}
