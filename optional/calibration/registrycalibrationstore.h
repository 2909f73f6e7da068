#pragma once

#include "optional/calibration/calibrationstore.h"

namespace tarvo {

// The records in the Windows registry under HKEY_CURRENT_USER, through the ANSI calls.
class RegistryCalibrationStore : public CalibrationStore
{
public:
    bool readValue(const std::string& key, CalibrationValue& value) override;
    bool writeValue(const std::string& key, const CalibrationValue& value) override;
};

} // namespace tarvo
