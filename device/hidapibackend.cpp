#include "device/hidapibackend.h"

#include <QtGlobal>
#include <hidapi.h>

#ifdef Q_OS_LINUX
#include <cerrno>
#include <unistd.h>
#endif

namespace {

class HidApiDevice : public HidDevice
{
public:
    explicit HidApiDevice(hid_device* device)
        : m_device(device)
    {
    }
    ~HidApiDevice() override { hid_close(m_device); }
    HidApiDevice(const HidApiDevice&) = delete;
    HidApiDevice& operator=(const HidApiDevice&) = delete;

    int setNonBlocking(bool nonBlocking) override { return hid_set_nonblocking(m_device, nonBlocking ? 1 : 0); }
    int read(std::uint8_t* data, std::size_t length) override { return hid_read(m_device, data, length); }
    int write(const std::uint8_t* data, std::size_t length) override { return hid_write(m_device, data, length); }
    int sendFeatureReport(const std::uint8_t* data, std::size_t length) override
    {
        return hid_send_feature_report(m_device, data, length);
    }
    int getFeatureReport(std::uint8_t* data, std::size_t length) override
    {
        return hid_get_feature_report(m_device, data, length);
    }

private:
    hid_device* m_device;
};

// Whether the node exists but this user may not open it for reading and writing.
bool lacksPermission(const char* path)
{
#ifdef Q_OS_LINUX
    return path && ::access(path, R_OK | W_OK) != 0 && errno == EACCES;
#else
    // Elsewhere HID devices are not guarded by file permissions.
    (void)path;
    return false;
#endif
}

} // namespace

// hid_exit is left out on purpose: the process-wide handle may still close its
// device after this backend is gone, and the operating system frees the rest.
HidApiBackend::~HidApiBackend() = default;

int HidApiBackend::init()
{
    return hid_init();
}

std::unique_ptr<HidDevice> HidApiBackend::open(std::uint16_t vendorId, std::uint16_t productId)
{
    hid_device* device = hid_open(vendorId, productId, nullptr);
    if (!device)
        return nullptr;
    return std::make_unique<HidApiDevice>(device);
}

std::vector<HidBackend::PresentDevice> HidApiBackend::enumerate(std::uint16_t vendorId)
{
    std::vector<PresentDevice> devices;
    hid_device_info* list = hid_enumerate(vendorId, 0);
    for (const hid_device_info* info = list; info; info = info->next)
        devices.push_back(
            {info->product_id, info->path ? std::string(info->path) : std::string(), lacksPermission(info->path)});
    hid_free_enumeration(list);
    return devices;
}

std::string HidApiBackend::lockKey(std::uint16_t vendorId, std::uint16_t productId)
{
    std::string path;
    hid_device_info* list = hid_enumerate(vendorId, productId);
    if (list && list->path)
        path = list->path;
    hid_free_enumeration(list);
    return path;
}
