#include "profiles/wheelwriter.h"

#include "device/devicehandle.h"
#include "profiles/profile.h"
#include "profiles/wheelmodel.h"

namespace {

bool sent(int result)
{
    return result >= 0;
}

} // namespace

bool WheelWriter::writeLeds(const tarvo::LedLevels& levels, bool save)
{
    for (const tarvo::LedBlockReport& report : tarvo::ledBlockReportsInWriteOrder(levels))
        if (!sent(deviceHandle.write(report.data(), report.size())))
            return false;
    return !save || sent(deviceHandle.send(tarvo::ledCommitFrame()));
}

bool WheelWriter::writeProfile(const Profile& profile, const QString& model, bool save, QString* failed)
{
    const WheelModel wheel(model);
    const auto fail = [failed](const char* what) {
        *failed = QLatin1String(what);
        return false;
    };
    if (!sent(deviceHandle.send(tarvo::paddleSettingsFrame(profile.paddleMode, save, profile.calibration))))
        return fail("paddle settings");
    if (profile.pulseWidth && !sent(deviceHandle.send(tarvo::encoderPulseWidthFrame(*profile.pulseWidth, save))))
        return fail("pulse width");
    // A fresh frame, not one built in a query's answer.
    if (!sent(deviceHandle.send(
            tarvo::setParameterFrame(tarvo::Parameter::ClutchEnable, profile.clutch ? 1 : 255, save))))
        return fail("clutch switch");
    if (profile.lamps && wheel.hasLamps() && !sent(deviceHandle.send(tarvo::auxLampColoursFrame(*profile.lamps, save))))
        return fail("lamp colours");
    if (profile.leds && wheel.hasLedTable() && !writeLeds(*profile.leds, save))
        return fail("LED colours");
    if (save) {
        if (profile.hasEncoderBinding)
            WheelReader::storeEncoderBinding(model, profile.encoderBinding);
        if (profile.extraShifters)
            WheelReader::storeExtraShifters(*profile.extraShifters);
    }
    return true;
}
