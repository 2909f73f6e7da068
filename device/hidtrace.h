#pragma once

#include "device/hidbackend.h"

#include <QString>

// Wraps any backend and appends one line per HID call to a file:
// "T KIND DATA RESULT" (see the README for the format).
class HidTrace : public HidBackend
{
public:
    HidTrace(HidBackend* inner, const QString& path);
    ~HidTrace() override;
    bool isOpen() const;
    int init() override;
    std::unique_ptr<HidDevice> open(std::uint16_t vendorId, std::uint16_t productId) override;

private:
    HidBackend* m_inner;
};
