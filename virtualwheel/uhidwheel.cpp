#include "virtualwheel/uhidwheel.h"

#include "device/hiddevice.h"
#include "protocol/wheelprotocol.h"
#include "virtualwheel/virtualwheel.h"

#include <QByteArray>
#include <QJsonObject>
#include <QSocketNotifier>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/uhid.h>
#include <unistd.h>

namespace {

// Written from what the programs send and read, nothing more: input report 1 (two 16-bit
// paddle readings, 64 inputs, 4 unused bytes), feature report 2 (the 20-byte answer after its
// id; a command frame is one byte shorter and goes out as a short report) and output report 3
// (the LED block, 19 bytes after its id).
const unsigned char kDescriptor[] = {
    0x05, 0x01, // Usage Page (Generic Desktop)
    0x09, 0x04, // Usage (Joystick)
    0xA1, 0x01, // Collection (Application)
    0x85, 0x01, //   Report ID (1)
    0x09, 0x33, //   Usage (Rx): right clutch paddle
    0x09, 0x34, //   Usage (Ry): left clutch paddle
    0x15, 0x00, //   Logical Minimum (0)
    0x26, 0x00, 0x10, // Logical Maximum (4096)
    0x75, 0x10, //   Report Size (16)
    0x95, 0x02, //   Report Count (2)
    0x81, 0x02, //   Input (Data, Variable, Absolute)
    0x05, 0x09, //   Usage Page (Button)
    0x19, 0x01, //   Usage Minimum (1)
    0x29, 0x40, //   Usage Maximum (64)
    0x25, 0x01, //   Logical Maximum (1)
    0x75, 0x01, //   Report Size (1)
    0x95, 0x40, //   Report Count (64)
    0x81, 0x02, //   Input (Data, Variable, Absolute)
    0x75, 0x08, //   Report Size (8)
    0x95, 0x04, //   Report Count (4)
    0x81, 0x03, //   Input (Constant): unused
    0x06, 0x00, 0xFF, // Usage Page (Vendor Defined 0xFF00)
    0x85, 0x02, //   Report ID (2)
    0x09, 0x01, //   Usage (1): command frame and answer
    0x26, 0xFF, 0x00, // Logical Maximum (255)
    0x95, 0x14, //   Report Count (20)
    0xB1, 0x02, //   Feature (Data, Variable, Absolute)
    0x85, 0x03, //   Report ID (3)
    0x09, 0x02, //   Usage (2): LED block
    0x95, 0x13, //   Report Count (19)
    0x91, 0x02, //   Output (Data, Variable, Absolute)
    0xC0, // End Collection
};

constexpr std::size_t kInputReportBytes = 17;
constexpr std::size_t kAnswerBytes = 21;

} // namespace

UhidWheel::UhidWheel(VirtualWheel* wheel, QObject* parent)
    : QObject(parent)
    , m_wheel(wheel)
{
    connect(m_wheel, &VirtualWheel::pluggedChanged, this, &UhidWheel::onPluggedChanged);
    connect(m_wheel, &VirtualWheel::inputQueued, this, &UhidWheel::onInputQueued);
}

UhidWheel::~UhidWheel()
{
    destroy();
    if (m_fd >= 0)
        ::close(m_fd);
}

QByteArray UhidWheel::reportDescriptor()
{
    return QByteArray(reinterpret_cast<const char*>(kDescriptor), sizeof kDescriptor);
}

bool UhidWheel::start(QString* error)
{
    m_fd = ::open("/dev/uhid", O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (m_fd < 0) {
        *error = QStringLiteral("cannot open /dev/uhid: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &UhidWheel::onReadable);
    if (!m_wheel->state().value(QStringLiteral("connected")).toBool())
        return true;
    return create(error);
}

bool UhidWheel::writeEvent(const void* event, std::size_t size)
{
    // The kernel takes or refuses an event whole.
    return ::write(m_fd, event, size) == ssize_t(size);
}

bool UhidWheel::create(QString* error)
{
    const std::uint16_t productId =
        std::uint16_t(m_wheel->state().value(QStringLiteral("productId")).toString().toUInt(nullptr, 16));
    m_device = m_wheel->open(tarvo::kVendorId, productId);
    if (!m_device) {
        *error = QStringLiteral("the wheel does not open");
        return false;
    }
    m_device->setNonBlocking(true);

    uhid_event event{};
    event.type = UHID_CREATE2;
    uhid_create2_req& request = event.u.create2;
    // The model the device just latched; the name is what a wheel's product string would say.
    const QByteArray name = m_wheel->state().value(QStringLiteral("model")).toString().toUtf8();
    std::memcpy(request.name, name.constData(),
                std::min<std::size_t>(std::size_t(name.size()), sizeof request.name - 1));
    std::memcpy(request.phys, "tarvo-uhid-wheel", 16);
    request.bus = BUS_USB;
    request.vendor = tarvo::kVendorId;
    request.product = productId;
    request.version = 0x0100;
    request.rd_size = sizeof kDescriptor;
    std::memcpy(request.rd_data, kDescriptor, sizeof kDescriptor);
    if (!writeEvent(&event, sizeof event)) {
        *error = QStringLiteral("UHID_CREATE2 refused: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        m_device.reset();
        return false;
    }
    return true;
}

void UhidWheel::destroy()
{
    if (!m_device)
        return;
    m_device.reset();
    uhid_event event{};
    event.type = UHID_DESTROY;
    writeEvent(&event, sizeof event);
}

void UhidWheel::onPluggedChanged(bool plugged)
{
    if (!plugged) {
        destroy();
        return;
    }
    if (m_fd < 0 || m_device)
        return;
    QString error;
    if (!create(&error))
        qWarning("uhid wheel: %s", qPrintable(error));
}

void UhidWheel::onInputQueued()
{
    if (!m_device)
        return;
    std::uint8_t report[kInputReportBytes];
    int count;
    while ((count = m_device->read(report, sizeof report)) > 0) {
        uhid_event event{};
        event.type = UHID_INPUT2;
        event.u.input2.size = std::uint16_t(count);
        std::memcpy(event.u.input2.data, report, std::size_t(count));
        if (!writeEvent(&event, sizeof event))
            qWarning("uhid wheel: UHID_INPUT2 refused: %s", std::strerror(errno));
    }
}

void UhidWheel::onReadable()
{
    // One event per wake-up: a program sending report after report would otherwise keep this
    // loop busy, and a control command (an unplug in the middle of a transfer) would wait for
    // the end of the transfer.
    uhid_event event{};
    if (::read(m_fd, &event, sizeof event) > 0) {
        switch (event.type) {
        case UHID_GET_REPORT: {
            const uhid_get_report_req request = event.u.get_report;
            uhid_event reply{};
            reply.type = UHID_GET_REPORT_REPLY;
            reply.u.get_report_reply.id = request.id;
            int count = -1;
            if (m_device && request.rtype == UHID_FEATURE_REPORT) {
                std::uint8_t answer[kAnswerBytes] = {request.rnum};
                count = m_device->getFeatureReport(answer, sizeof answer);
                if (count > 0)
                    std::memcpy(reply.u.get_report_reply.data, answer, std::size_t(count));
            }
            reply.u.get_report_reply.err = count < 0 ? EIO : 0;
            reply.u.get_report_reply.size = std::uint16_t(count < 0 ? 0 : count);
            writeEvent(&reply, sizeof reply);
            break;
        }
        case UHID_SET_REPORT: {
            const uhid_set_report_req& request = event.u.set_report;
            int result = -1;
            if (m_device && request.rtype == UHID_FEATURE_REPORT)
                result = m_device->sendFeatureReport(request.data, request.size);
            else if (m_device && request.rtype == UHID_OUTPUT_REPORT)
                result = m_device->write(request.data, request.size);
            uhid_event reply{};
            reply.type = UHID_SET_REPORT_REPLY;
            reply.u.set_report_reply.id = request.id;
            reply.u.set_report_reply.err = result < 0 ? EIO : 0;
            writeEvent(&reply, sizeof reply);
            break;
        }
        case UHID_OUTPUT:
            // No answer exists for an interrupt-out report: a refused one is simply lost.
            if (m_device && event.u.output.rtype == UHID_OUTPUT_REPORT)
                m_device->write(event.u.output.data, event.u.output.size);
            break;
        default: // START, STOP, OPEN, CLOSE: nothing to do
            break;
        }
    }
}
