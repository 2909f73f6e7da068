#pragma once

#include "protocol/wheelprotocol.h"

#include <QString>

struct Profile;

// Sending settings to the wheel through deviceHandle: live (marker 0x00), or with the save
// marker 0xEF so that the wheel stores them. GUI or main thread, one send after another.
class WheelWriter
{
public:
    // The four LED blocks, and the commit when saved. False at the first failed write.
    static bool writeLeds(const tarvo::LedLevels& levels, bool save);
    // Every setting of the profile that a wheel of the model takes: paddle frame, pulse width
    // (when the profile has one), clutch switch, lamps, LED blocks. Saved, the profile's
    // preferences are also stored under that model; live leaves them and the wheel's flash
    // alone. False with the name of the send that failed; nothing is sent after it.
    static bool writeProfile(const Profile& profile, const QString& model, bool save, QString* failed);
};
