#include "device/hidapibackend.h"

HidApiBackend::~HidApiBackend() = default;
int HidApiBackend::init() { return 0; }
std::unique_ptr<HidDevice> HidApiBackend::open(std::uint16_t, std::uint16_t) { return nullptr; }
