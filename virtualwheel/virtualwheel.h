#pragma once

#include "device/hidbackend.h"

#include <QObject>
#include <QString>

// A simulated wheel: receives frames, keeps live and flash state, answers queries.
class VirtualWheel : public QObject, public HidBackend
{
    Q_OBJECT

public:
    VirtualWheel(const QString& model, std::uint16_t productId, QObject* parent = nullptr);
    ~VirtualWheel() override;

    // Keeps the flash in path (JSON). False with a reason when the file exists but is malformed.
    bool attachStateFile(const QString& path, QString* error);
    // The paddles sweep and a few inputs pulse by themselves.
    void setDemo(bool on);

    int init() override;
    std::unique_ptr<HidDevice> open(std::uint16_t vendorId, std::uint16_t productId) override;
};
