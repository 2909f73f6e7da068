#pragma once

#include "device/hidbackend.h"
#include "protocol/wheelprotocol.h"

#include <condition_variable>
#include <memory>
#include <mutex>

// The one open wheel of the process, shared by the GUI, input and flashing threads.
//
// hidapi is not safe for concurrent calls on one device, and closing a device that
// another thread is using is undefined. So every call, the close included, runs
// under one lock, and a query's send and read back are a single locked exchange.
// Every call may be made from any thread. Calls on a closed handle send nothing
// and return -1 (exchange: ExchangeResult::NoDevice).
class WheelLock;

class DeviceHandle
{
public:
    enum class ExchangeResult {
        NoDevice, // nothing sent; the buffer is left as the caller prepared it
        Answered, // the answer is in the buffer
        Failed, // the send or the read back failed; the buffer content is not an answer
    };

    DeviceHandle();
    ~DeviceHandle();
    DeviceHandle(const DeviceHandle&) = delete;
    DeviceHandle& operator=(const DeviceHandle&) = delete;

    // Not owned; must outlive every open device. Set once at start, before any open.
    void setBackend(HidBackend* backend);
    HidBackend* backend() const;

    int init();
    // Closes any open device, then opens vendor:product. True when it opened.
    bool open(std::uint16_t vendorId, std::uint16_t productId);
    // Closes the device and releases the lock kept with it, whichever thread closes.
    void close();
    // Keeps the lock on the open wheel until the device is closed or replaced.
    void keepLockWhileOpen(std::unique_ptr<WheelLock> lock);
    bool isOpen() const;
    explicit operator bool() const { return isOpen(); }

    int setNonBlocking(bool nonBlocking);
    // Holds the lock for the whole call: read in non-blocking mode, or every other
    // thread waits until a report arrives.
    int read(std::uint8_t* data, std::size_t length);
    int write(const std::uint8_t* data, std::size_t length);
    int sendFeatureReport(const std::uint8_t* data, std::size_t length);
    int getFeatureReport(std::uint8_t* data, std::size_t length);

    // How many bytes a query's answer is read with, from the query in the buffer; null (the
    // default) reads kAnswerSize. Set once at start, before any open.
    using AnswerLength = std::size_t (*)(const tarvo::AnswerBuffer& query);
    void setAnswerLength(AnswerLength rule);

    int send(const tarvo::CommandFrame& frame);
    // Sends the first 20 bytes of the buffer and reads the 21-byte answer back into it,
    // with no other call on the device in between.
    ExchangeResult exchange(tarvo::AnswerBuffer& buffer);

private:
    // Callers are served in the order they arrive. A plain mutex lets the flashing
    // thread, which sends block after block, take the lock again before a waiting
    // query or read wakes up, holding the GUI thread up for the whole transfer.
    class FifoLock
    {
    public:
        void lock();
        void unlock();

    private:
        std::mutex m_mutex;
        std::condition_variable m_turn;
        unsigned long long m_nextTicket = 0;
        unsigned long long m_serving = 0;
    };

    mutable FifoLock m_mutex;
    HidBackend* m_backend = nullptr;
    AnswerLength m_answerLength = nullptr;
    std::unique_ptr<HidDevice> m_device;
    std::unique_ptr<WheelLock> m_lock;
};

// The process-wide handle; null (closed) means no wheel.
extern DeviceHandle deviceHandle;
