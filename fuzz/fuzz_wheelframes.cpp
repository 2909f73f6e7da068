// The virtual wheel's frame handling: feature reports, output reports and reads of any length
// and any bytes, in any order.
//
// Input: records of [operation] [length] [length bytes]; the operation's low two bits choose
// send-feature, get-feature (the bytes prefill the buffer), write or read.
#include "fuzzcheck.h"
#include "virtualwheel/virtualwheel.h"

#include <QJsonDocument>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    VirtualWheel wheel(QStringLiteral("R-VELO"), 0x2007);
    std::unique_ptr<HidDevice> device = wheel.open(0x7E57, 0x2007);
    FUZZ_CHECK(device);
    device->setNonBlocking(true);
    std::size_t at = 0;
    while (at + 2 <= size) {
        const std::uint8_t operation = data[at] & 3;
        const std::size_t length = data[at + 1];
        at += 2;
        std::vector<std::uint8_t> buffer(length);
        for (std::size_t i = 0; i < length && at + i < size; ++i)
            buffer[i] = data[at + i];
        at += std::min(length, size - at);
        // An empty buffer still has an address, as a caller's would.
        std::uint8_t* bytes = length ? buffer.data() : reinterpret_cast<std::uint8_t*>(&buffer);
        int result = 0;
        switch (operation) {
        case 0:
            result = device->sendFeatureReport(bytes, length);
            break;
        case 1:
            result = device->getFeatureReport(bytes, length);
            break;
        case 2:
            result = device->write(bytes, length);
            break;
        default:
            result = device->read(bytes, length);
            break;
        }
        FUZZ_CHECK(result >= -1 && result <= int(length));
    }
    // The state stays describable, whatever arrived.
    const QJsonObject state = wheel.state();
    FUZZ_CHECK(!QJsonDocument(state).toJson().isEmpty());
    return 0;
}
