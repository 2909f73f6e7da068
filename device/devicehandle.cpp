#include "device/devicehandle.h"

DeviceHandle deviceHandle;
