#pragma once

#include "device/hidbackend.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <algorithm>
#include <cstring>
#include <memory>

// A scripted HID device: every call is recorded, and returns what the script says.
// Not thread-safe, like a real hidapi device; the handle must serialise its use.
struct FakeScript
{
    int nonBlockingResult = 0;
    int readResult = 0;
    QByteArray readData; // copied into the buffer when readResult > 0
    int writeResult = 20;
    int sendResult = 20;
    int getResult = 21;
    QByteArray answer; // copied into the buffer when getResult >= 0
};

struct FakeCall
{
    QString kind;
    QByteArray data; // bytes handed in (send, write), or bytes left after the call (get, read)
    int length = 0;
};

struct FakeRecord
{
    QList<FakeCall> calls;
    QList<QString> events; // "open N", "destroy N"
};

class FakeDevice : public HidDevice
{
public:
    FakeDevice(int id, FakeScript* script, FakeRecord* record)
        : m_id(id)
        , m_script(script)
        , m_record(record)
    {
    }
    ~FakeDevice() override { m_record->events.append(QStringLiteral("destroy %1").arg(m_id)); }

    int setNonBlocking(bool nonBlocking) override
    {
        m_record->calls.append({QStringLiteral("nonblocking"), QByteArray(1, nonBlocking ? 1 : 0), 1});
        return m_script->nonBlockingResult;
    }
    int read(std::uint8_t* data, std::size_t length) override
    {
        if (m_script->readResult > 0)
            fill(data, length, m_script->readData, std::size_t(m_script->readResult));
        m_record->calls.append({QStringLiteral("read"), bytes(data, length), int(length)});
        return m_script->readResult;
    }
    int write(const std::uint8_t* data, std::size_t length) override
    {
        m_record->calls.append({QStringLiteral("write"), bytes(data, length), int(length)});
        return m_script->writeResult;
    }
    int sendFeatureReport(const std::uint8_t* data, std::size_t length) override
    {
        m_record->calls.append({QStringLiteral("send"), bytes(data, length), int(length)});
        return m_script->sendResult;
    }
    int getFeatureReport(std::uint8_t* data, std::size_t length) override
    {
        if (m_script->getResult >= 0)
            fill(data, length, m_script->answer, length);
        m_record->calls.append({QStringLiteral("get"), bytes(data, length), int(length)});
        return m_script->getResult;
    }

private:
    static QByteArray bytes(const std::uint8_t* data, std::size_t length)
    {
        return QByteArray(reinterpret_cast<const char*>(data), int(length));
    }
    static void fill(std::uint8_t* data, std::size_t length, const QByteArray& from, std::size_t limit)
    {
        const std::size_t n = std::min({length, limit, std::size_t(from.size())});
        std::memcpy(data, from.constData(), n);
    }

    int m_id;
    FakeScript* m_script;
    FakeRecord* m_record;
};

class FakeBackend : public HidBackend
{
public:
    FakeScript script;
    FakeRecord record;
    bool failOpen = false;
    int initResult = 0;
    int opens = 0;

    int init() override { return initResult; }
    std::unique_ptr<HidDevice> open(std::uint16_t vendorId, std::uint16_t productId) override
    {
        ++opens;
        record.events.append(QStringLiteral("open %1 %2:%3")
                                 .arg(opens)
                                 .arg(vendorId, 4, 16, QLatin1Char('0'))
                                 .arg(productId, 4, 16, QLatin1Char('0')));
        if (failOpen)
            return nullptr;
        return std::make_unique<FakeDevice>(opens, &script, &record);
    }
};
