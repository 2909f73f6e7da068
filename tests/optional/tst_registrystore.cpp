// The registry half of the calibration store, on Windows or under Wine. Plain C++ without Qt:
// the expected bytes are written out by hand and checked with the registry's own calls.
#include "optional/calibration/calibrationstore.h"
#include "optional/calibration/registrycalibrationstore.h"
#include "optional/releases/releases.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <windows.h>

namespace {

int failures = 0;

#define CHECK(condition)                                                     \
    do {                                                                     \
        if (!(condition)) {                                                  \
            std::printf("FAIL %s:%d: %s\n", __FILE__, __LINE__, #condition); \
            ++failures;                                                      \
        }                                                                    \
    } while (0)

const char* const kAxis3Pid2007 = "System\\CurrentControlSet\\Control\\MediaProperties\\PrivateProperties\\"
                                  "DirectInput\\VID_7E57&PID_2007\\Calibration\\0\\Type\\Axes\\3";
const char* const kAxis2Pid2008 = "System\\CurrentControlSet\\Control\\MediaProperties\\PrivateProperties\\"
                                  "DirectInput\\VID_7E57&PID_2008\\Calibration\\0\\Type\\Axes\\2";

struct RawValue
{
    LONG result = -1;
    DWORD type = 0;
    DWORD size = 0;
    unsigned char bytes[64] = {};
};

RawValue rawValue(const char* key)
{
    RawValue v;
    v.size = sizeof v.bytes;
    v.result = RegGetValueA(HKEY_CURRENT_USER, key, "Calibration", RRF_RT_ANY, &v.type, v.bytes, &v.size);
    return v;
}

void setRaw(const char* key, DWORD type, const void* data, DWORD size)
{
    HKEY handle = nullptr;
    CHECK(RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr)
          == ERROR_SUCCESS);
    CHECK(RegSetValueExA(handle, "Calibration", 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS);
    RegCloseKey(handle);
}

bool keyExists(const char* key)
{
    HKEY handle = nullptr;
    if (RegOpenKeyA(HKEY_CURRENT_USER, key, &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}

void firstConnectionAndCalibration()
{
    tarvo::RegistryCalibrationStore store;
    CHECK(tarvo::calibrationKey(0x2007, 3) == kAxis3Pid2007);
    CHECK(!keyExists(kAxis3Pid2007));
    const tarvo::AxisRange none = tarvo::readAxisCalibration(store, 0x2007, 3);
    CHECK(none.minimum == 0 && none.maximum == 4096);

    CHECK(tarvo::writeAxisCalibration(store, 0x2007, 3, {100, 3900}));
    const RawValue v = rawValue(kAxis3Pid2007);
    const unsigned char expected[12] = {0x64, 0, 0, 0, 0xD0, 0x07, 0, 0, 0x3C, 0x0F, 0, 0}; // 100, 2000, 3900
    CHECK(v.result == ERROR_SUCCESS);
    CHECK(v.type == REG_BINARY);
    CHECK(v.size == 12);
    CHECK(std::memcmp(v.bytes, expected, 12) == 0);
    const tarvo::AxisRange back = tarvo::readAxisCalibration(store, 0x2007, 3);
    CHECK(back.minimum == 100 && back.maximum == 3900);

    // An existing key is opened, not created again: the value is replaced in place.
    CHECK(tarvo::writeAxisCalibration(store, 0x2007, 3, {0xFFFFFFF0u, 0xFFFFFFFEu}));
    const RawValue high = rawValue(kAxis3Pid2007);
    const unsigned char centre[4] = {0xF7, 0xFF, 0xFF, 0x7F}; // the sum wraps in 32 bits, then halves
    CHECK(std::memcmp(high.bytes + 4, centre, 4) == 0);
}

void calibrationWithoutReadingsKeepsTheRecord()
{
    tarvo::RegistryCalibrationStore store;
    CHECK(tarvo::writeAxisCalibration(store, 0x2007, 3, {100, 3900}));
    CHECK(!tarvo::writeAxisCalibration(store, 0x2007, 3, {4096, 0}));
    const tarvo::AxisRange kept = tarvo::readAxisCalibration(store, 0x2007, 3);
    CHECK(kept.minimum == 100 && kept.maximum == 3900);
}

void productIdInTheKey()
{
    tarvo::RegistryCalibrationStore store;
    CHECK(tarvo::writeAxisCalibration(store, 0x2008, 2, {7, 9}));
    const RawValue v = rawValue(kAxis2Pid2008);
    CHECK(v.result == ERROR_SUCCESS && v.size == 12 && v.bytes[0] == 7 && v.bytes[4] == 8 && v.bytes[8] == 9);
}

void releasesWithAFixedProductId()
{
    tarvo::RegistryCalibrationStore store;
    const char* const pid2009 = "System\\CurrentControlSet\\Control\\MediaProperties\\PrivateProperties\\"
                                "DirectInput\\VID_7E57&PID_2009\\Calibration\\0\\Type\\Axes\\2";
    const char* const pid2007 = "System\\CurrentControlSet\\Control\\MediaProperties\\PrivateProperties\\"
                                "DirectInput\\VID_7E57&PID_2007\\Calibration\\0\\Type\\Axes\\2";
    CHECK(tarvo::writeAxisCalibration(store, tarvo::registryProductId(0x2009, tarvo::Release::V115), 2, {1, 2}));
    CHECK(keyExists(pid2009));
    CHECK(!keyExists(pid2007));
    for (const tarvo::Release r :
         {tarvo::Release::V114S, tarvo::Release::V114N, tarvo::Release::V113, tarvo::Release::V112}) {
        RegDeleteKeyA(HKEY_CURRENT_USER, pid2007);
        CHECK(tarvo::writeAxisCalibration(store, tarvo::registryProductId(0x2009, r), 2, {5, 6}));
        CHECK(rawValue(pid2007).bytes[0] == 5);
    }
    CHECK(rawValue(pid2009).bytes[0] == 1);
}

void foreignValuesReadAsMissing()
{
    tarvo::RegistryCalibrationStore store;
    const unsigned char twelve[12] = {1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0};
    const unsigned char sixteen[16] = {1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0};
    const struct
    {
        DWORD type;
        const void* data;
        DWORD size;
    } cases[] = {{REG_DWORD, twelve, 4}, {REG_NONE, twelve, 12}, {REG_BINARY, twelve, 8}, {REG_BINARY, sixteen, 16}};
    for (const auto& c : cases) {
        setRaw(kAxis2Pid2008, c.type, c.data, c.size);
        const tarvo::AxisRange r = tarvo::readAxisCalibration(store, 0x2008, 2);
        CHECK(r.minimum == 0 && r.maximum == 4096);
    }
    setRaw(kAxis2Pid2008, REG_BINARY, twelve, 12);
    const tarvo::AxisRange r = tarvo::readAxisCalibration(store, 0x2008, 2);
    CHECK(r.minimum == 1 && r.maximum == 3);
}

} // namespace

int main()
{
    firstConnectionAndCalibration();
    calibrationWithoutReadingsKeepsTheRecord();
    productIdInTheKey();
    releasesWithAFixedProductId();
    foreignValuesReadAsMissing();
    std::printf("%s: %d failure(s)\n", failures ? "FAILED" : "PASSED", failures);
    return failures ? 1 : 0;
}
