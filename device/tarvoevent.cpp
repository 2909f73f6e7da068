#include "device/tarvoevent.h"

void TarvoEvent::run() {}
