#include "virtualwheel/wheelcontrolserver.h"

WheelControlServer::WheelControlServer(VirtualWheel*, QObject* parent) : QObject(parent) {}
bool WheelControlServer::listen(const QString&) { return true; }
