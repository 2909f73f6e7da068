#include "firmware/firmwaretransfer.h"

#include "device/devicehandle.h"
#include "protocol/wheelprotocol.h"

#include <QFile>
#include <QThread>

namespace {
constexpr int kBlockProgressSpan = 96; // blocks report 0..95; 97..100 belong to the flash write
constexpr int kFirstWriteProgress = 97;
} // namespace

FirmwareTransfer::FirmwareTransfer(DeviceHandle& handle)
    : m_handle(handle)
    , m_wait([] { QThread::sleep(1); })
{
}

void FirmwareTransfer::setProgressHandler(ProgressHandler handler)
{
    m_progress = std::move(handler);
}

void FirmwareTransfer::setWaitStep(WaitStep step)
{
    m_wait = std::move(step);
}

bool FirmwareTransfer::acceptsImage(const QString& path)
{
    if (!path.endsWith(QLatin1String(".bin"), Qt::CaseSensitive))
        return false;
    // An empty file would send the end frame alone, and the wheel would count it a transfer.
    const QFile file(path);
    return file.size() <= tarvo::kMaxFirmwareSize && (file.size() > 0 || !file.exists());
}

FirmwareTransfer::Result FirmwareTransfer::sendFile(const QString& path)
{
    if (!m_handle.isOpen())
        return {Outcome::NoDevice, 0, 0};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {Outcome::CannotRead, 0, 0};
    // One byte more than the wheel takes tells a file that grew since the check.
    const QByteArray image = file.read(tarvo::kMaxFirmwareSize + 1);
    file.close();
    const Result result = sendImage(image);
    if (result.outcome == Outcome::Done)
        waitForFlashWrite();
    return result;
}

FirmwareTransfer::Result FirmwareTransfer::sendImage(const QByteArray& image)
{
    if (image.size() > tarvo::kMaxFirmwareSize)
        return {Outcome::TooLarge, 0, 0};
    if (!m_handle.isOpen())
        return {Outcome::NoDevice, 0, 0};

    const auto* bytes = reinterpret_cast<const std::uint8_t*>(image.constData());
    const int size = static_cast<int>(image.size());
    tarvo::CommandFrame buffer = tarvo::firmwareTransferBuffer();
    Result result;
    int lastProgress = -1;
    for (int offset = 0; offset < size; offset += int(tarvo::kFirmwareBlockBytes)) {
        const auto block = static_cast<std::uint32_t>(offset / int(tarvo::kFirmwareBlockBytes));
        tarvo::writeFirmwareBlock(buffer, block, bytes + offset, std::size_t(size - offset));
        const int sent = m_handle.send(buffer);
        if (sent < 0)
            return {Outcome::SendFailed, sent, result.framesSent};
        ++result.framesSent;
        const int percent = offset * kBlockProgressSpan / size;
        if (percent != lastProgress) {
            report(percent);
            lastProgress = percent;
        }
    }
    tarvo::writeEndOfTransfer(buffer);
    // A lost end frame leaves the wheel without a complete image: that is a failure too.
    const int sent = m_handle.send(buffer);
    if (sent < 0)
        return {Outcome::SendFailed, sent, result.framesSent, true};
    ++result.framesSent;
    return result;
}

void FirmwareTransfer::waitForFlashWrite()
{
    for (int step = 0; step < kFlashWriteSteps; ++step) {
        if (m_wait)
            m_wait();
        report(kFirstWriteProgress + step);
    }
}

void FirmwareTransfer::report(int percent)
{
    if (m_progress)
        m_progress(percent);
}
