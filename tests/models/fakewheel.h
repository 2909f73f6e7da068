// A wheel that answers the model and lamp queries with whatever a test sets, and records
// every feature report it is sent. Answers are chosen by the query's selector, so an
// unexpected extra query cannot shift the answers of later ones.
#pragma once

#include "device/hidbackend.h"
#include "protocol/wheelprotocol.h"

#include <QByteArray>
#include <QList>
#include <algorithm>
#include <cstring>
#include <memory>

class FakeWheel : public HidBackend
{
public:
    bool openable = true;
    bool failSends = false;
    bool failGets = false;
    // Bytes of the model query's answer from byte 0 on; the rest of the 21 bytes is zero.
    QByteArray modelAnswer;
    std::uint8_t auxLampsFlag = 0;
    QList<QByteArray> sent; // every feature report, as sent

    int init() override { return 0; }

    std::unique_ptr<HidDevice> open(std::uint16_t vendorId, std::uint16_t) override
    {
        if (!openable || vendorId != tarvo::kVendorId)
            return nullptr;
        return std::make_unique<Device>(*this);
    }

    void reset()
    {
        openable = true;
        failSends = failGets = false;
        modelAnswer.clear();
        auxLampsFlag = 0;
        sent.clear();
    }

private:
    class Device : public HidDevice
    {
    public:
        explicit Device(FakeWheel& wheel)
            : m_wheel(wheel)
        {
        }

        int setNonBlocking(bool) override { return 0; }
        int read(std::uint8_t*, std::size_t) override { return 0; }
        int write(const std::uint8_t*, std::size_t length) override { return static_cast<int>(length); }

        int sendFeatureReport(const std::uint8_t* data, std::size_t length) override
        {
            m_wheel.sent.append(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(length)));
            m_selector = length > 2 && data[1] == 0x0B ? data[2] : -1;
            return m_wheel.failSends ? -1 : static_cast<int>(length);
        }

        int getFeatureReport(std::uint8_t* data, std::size_t length) override
        {
            if (m_wheel.failGets)
                return -1;
            QByteArray answer(static_cast<qsizetype>(length), '\0');
            answer[0] = char(tarvo::kFeatureReportId);
            answer[1] = char(0x0B);
            if (m_selector == int(tarvo::QuerySelector::ModelId)) {
                const qsizetype n = std::min<qsizetype>(m_wheel.modelAnswer.size(), answer.size());
                std::memcpy(answer.data(), m_wheel.modelAnswer.constData(), static_cast<std::size_t>(n));
            } else if (m_selector == int(tarvo::QuerySelector::AuxLamps)) {
                answer[1] = char(0x11);
                answer[2] = char(m_wheel.auxLampsFlag);
            }
            std::memcpy(data, answer.constData(), length);
            return static_cast<int>(length);
        }

    private:
        FakeWheel& m_wheel;
        int m_selector = -1;
    };
};
