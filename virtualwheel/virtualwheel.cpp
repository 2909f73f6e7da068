#include "virtualwheel/virtualwheel.h"

VirtualWheel::VirtualWheel(const QString&, std::uint16_t, QObject* parent) : QObject(parent) {}
VirtualWheel::~VirtualWheel() = default;
bool VirtualWheel::attachStateFile(const QString&, QString*) { return true; }
void VirtualWheel::setDemo(bool) {}
int VirtualWheel::init() { return 0; }
std::unique_ptr<HidDevice> VirtualWheel::open(std::uint16_t, std::uint16_t) { return nullptr; }
