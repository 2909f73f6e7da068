#pragma once

#include "optional/calibration/calibrationstore.h"

namespace tarvo {

// The records in a per-user text file, for systems without a registry: one line per key,
// the key text as in the registry, a tab, and the 12 bytes as 24 lower-case hex digits.
class FileCalibrationStore : public CalibrationStore
{
public:
    explicit FileCalibrationStore(std::string path);

    bool readValue(const std::string& key, CalibrationValue& value) override;
    // Rewrites the whole file through a temporary one, so a crash never leaves half a file.
    bool writeValue(const std::string& key, const CalibrationValue& value) override;

private:
    std::string m_path;
};

} // namespace tarvo
