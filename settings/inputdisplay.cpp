// The live input display of the INPUTS page and the bite-point encoder.
#include "app/mainwindow.h"
#include "device/logging.h"
#include "settings/inputindicators.h"
#include "settings/inputscreen.h"

#include <QPushButton>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace {

constexpr int kReportBytes = 16;
constexpr int kInputStateOffset = 4;
constexpr int kExtraShifterByte = 10; // inputs 48 to 55

} // namespace

void MainWindow::onJoystickEvent(QByteArray report)
{
    // The slot is public to the signal system, so any length can arrive: missing bytes
    // count as zero, extra ones are ignored.
    std::array<std::uint8_t, kReportBytes> bytes{};
    std::memcpy(bytes.data(), report.constData(), std::min<std::size_t>(std::size_t(report.size()), bytes.size()));

    const std::uint32_t right = std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8;
    const std::uint32_t left = std::uint32_t(bytes[2]) | std::uint32_t(bytes[3]) << 8;
    if (ui->pbCalL->isChecked()) {
        calLeftMax = std::max(calLeftMax, left);
        calLeftMin = std::min(calLeftMin, left);
    }
    if (ui->pbCalR->isChecked()) {
        calRightMax = std::max(calRightMax, right);
        calRightMin = std::min(calRightMin, right);
    }

    if (!ui->cbShifter->isChecked())
        bytes[kExtraShifterByte] = 0;

    std::uint64_t active = 0;
    for (int i = 0; i < 8; ++i)
        active |= std::uint64_t(bytes[kInputStateOffset + i]) << (8 * i);

    releasedInputs.clear();
    for (const InputIndicator& entry : inputIndicators) {
        QPushButton* indicator = ui->*entry.widget;
        if ((active >> entry.input & 1) != 0 && indicator->isEnabled()) {
            indicator->setStatusTip(shownTip());
            qCDebug(lcInput).noquote() << indicator->objectName();
        } else {
            if (indicator->statusTip() == shownTip())
                releasedInputs.append(entry.input);
            indicator->setStatusTip(hiddenTip());
        }
    }
    // The clutch bars and the indicators themselves follow at the screen's pace.
    inputScreen->reportHandled(int(right), int(left));

    if (releasedInputs.isEmpty())
        return;

#ifdef TARVO_OPTIONAL_SET
    if (handleEarlierEncoder())
        return;
#endif
    // Releases rather than presses, so that each detent of an encoder counts once.
    if (encoderBindState == 1) {
        if (const EncoderPair* pair = encoderPairOf(releasedInputs.first())) {
            encoderUpInput = std::uint8_t(pair->up);
            encoderDownInput = std::uint8_t(pair->down);
            storeEncoderBinding();
            setEncoderBindState(2);
            sendPaddleSettings(false);
        }
    } else if (encoderBindState == 2) {
        stepBitePointByEncoder();
    }
}

void MainWindow::stepBitePointByEncoder()
{
    // At the slider's ends the value stays put, but the frame still goes out.
    if (releasedInputs.contains(int(encoderUpInput))) {
        ui->hsBite->setValue(ui->hsBite->value() + 1);
        sendPaddleSettings(false);
    }
    if (releasedInputs.contains(int(encoderDownInput))) {
        ui->hsBite->setValue(ui->hsBite->value() - 1);
        sendPaddleSettings(false);
    }
}
