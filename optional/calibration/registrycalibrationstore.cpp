#include "optional/calibration/registrycalibrationstore.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace tarvo {

namespace {
constexpr const char* kValueName = "Calibration";
}

bool RegistryCalibrationStore::readValue(const std::string& key, CalibrationValue& value)
{
    value.fill(0);
    DWORD size = DWORD(value.size());
    // RRF_RT_REG_BINARY refuses a value of another type; a longer one fails with ERROR_MORE_DATA.
    const LONG result =
        RegGetValueA(HKEY_CURRENT_USER, key.c_str(), kValueName, RRF_RT_REG_BINARY, nullptr, value.data(), &size);
    return result == ERROR_SUCCESS && size == value.size();
}

bool RegistryCalibrationStore::writeValue(const std::string& key, const CalibrationValue& value)
{
    HKEY handle = nullptr;
    if (RegOpenKeyA(HKEY_CURRENT_USER, key.c_str(), &handle) != ERROR_SUCCESS) {
        if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr)
            != ERROR_SUCCESS)
            return false;
    }
    const LONG result = RegSetValueExA(handle, kValueName, 0, REG_BINARY, value.data(), DWORD(value.size()));
    RegCloseKey(handle);
    return result == ERROR_SUCCESS;
}

} // namespace tarvo
