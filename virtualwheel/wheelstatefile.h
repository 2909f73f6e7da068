#pragma once

#include "virtualwheel/firmwareimage.h"
#include "virtualwheel/wheelsettings.h"

#include <QString>

// The virtual wheel's flash kept as a JSON file, so a restart finds the wheel as it was left:
//
//   {"flash": {SETTINGS}, "firmware": {"size": N, "md5": "...", "blocks": N, "inOrder": true}}
class WheelStateFile
{
public:
    enum class LoadResult { Loaded, Missing, Failed };

    // Failed leaves the outputs untouched and puts the reason in *error.
    static LoadResult load(const QString& path, WheelSettings* flash, FirmwareImage::Summary* firmware, QString* error);
    // Atomic: the old file stays whole if the write fails.
    static bool save(const QString& path, const WheelSettings& flash, const FirmwareImage::Summary& firmware,
                     QString* error);
};
