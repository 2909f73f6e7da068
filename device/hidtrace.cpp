#include "device/hidtrace.h"

HidTrace::HidTrace(HidBackend* inner, const QString&) : m_inner(inner) {}
HidTrace::~HidTrace() = default;
bool HidTrace::isOpen() const { return false; }
int HidTrace::init() { return m_inner->init(); }
std::unique_ptr<HidDevice> HidTrace::open(std::uint16_t v, std::uint16_t p) { return m_inner->open(v, p); }
