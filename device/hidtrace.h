#pragma once

#include "device/hidbackend.h"

#include <QString>
#include <memory>

class HidTraceWriter;

// Wraps any backend and appends one line per HID call to a file, flushed as the
// call returns:
//
//   T KIND DATA RESULT
//
// T is milliseconds since program start (three decimals; the start is taken during
// static initialisation), KIND one of open, close, send-feature, get-feature, write,
// read; DATA lower-case hex (open: vvvv:pppp, close: -; get-feature and read: the
// whole buffer after the call); RESULT the call's integer result (open: 1 or 0,
// close: 0). Reads are traced only when they returned a report.
//
// The file is appended to, never truncated. Thread-safe: devices opened through
// the trace may be used from any thread, and may outlive the trace object.
class HidTrace : public HidBackend
{
public:
    HidTrace(HidBackend* inner, const QString& path);
    ~HidTrace() override;
    // False when the file could not be opened for appending; calls still go through.
    bool isOpen() const;
    int init() override;
    std::unique_ptr<HidDevice> open(std::uint16_t vendorId, std::uint16_t productId) override;
    // Not HID calls on a device: passed through untraced.
    std::vector<PresentDevice> enumerate(std::uint16_t vendorId) override;
    std::string lockKey(std::uint16_t vendorId, std::uint16_t productId) override;

private:
    HidBackend* m_inner;
    std::shared_ptr<HidTraceWriter> m_writer;
};
