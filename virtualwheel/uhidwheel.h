#pragma once

#include <QObject>
#include <QString>
#include <QtGlobal>
#include <cstdint>
#include <memory>

class HidDevice;
class QSocketNotifier;
class VirtualWheel;

// The virtual wheel's firmware seen through the kernel: a HID device made with /dev/uhid, so
// that hidraw, hidapi and udev meet it as they would a wheel on the USB bus. Feature-report
// requests, output reports and input reports pass between the kernel and a device opened on
// the VirtualWheel, which answers them exactly as it answers in-process callers.
//
// The wheel's unplug and plug (control socket) destroy and create the kernel device. Lives in
// the GUI thread with the wheel; Linux only.
class UhidWheel : public QObject
{
    Q_OBJECT

public:
    explicit UhidWheel(VirtualWheel* wheel, QObject* parent = nullptr);
    ~UhidWheel() override;

    // Opens /dev/uhid and creates the device when the wheel is plugged in. False, with the
    // reason, when /dev/uhid cannot be used.
    bool start(QString* error);

    // The report descriptor the device declares.
    static QByteArray reportDescriptor();

private:
    void onPluggedChanged(bool plugged);
    void onInputQueued();
    void onReadable();
    bool create(QString* error);
    void destroy();
    bool writeEvent(const void* event, std::size_t size);

    VirtualWheel* m_wheel;
    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
    std::unique_ptr<HidDevice> m_device; // null while the kernel device does not exist
};
