#include "optional/calibration/filecalibrationstore.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <utility>
#include <vector>

namespace tarvo {

namespace {

constexpr char kSeparator = '\t';

bool hexValue(const std::string& text, CalibrationValue& value)
{
    if (text.size() != value.size() * 2)
        return false;
    for (std::size_t i = 0; i < value.size(); ++i) {
        unsigned byte = 0;
        for (std::size_t j = 0; j < 2; ++j) {
            const char c = text[2 * i + j];
            unsigned digit = 0;
            if (c >= '0' && c <= '9')
                digit = unsigned(c - '0');
            else if (c >= 'a' && c <= 'f')
                digit = unsigned(c - 'a' + 10);
            else
                return false;
            byte = byte * 16 + digit;
        }
        value[i] = std::uint8_t(byte);
    }
    return true;
}

std::string hexText(const CalibrationValue& value)
{
    std::string text;
    char digits[3];
    for (std::uint8_t byte : value) {
        std::snprintf(digits, sizeof digits, "%02x", unsigned(byte));
        text += digits;
    }
    return text;
}

std::vector<std::string> readLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

} // namespace

FileCalibrationStore::FileCalibrationStore(std::string path)
    : m_path(std::move(path))
{
}

bool FileCalibrationStore::readValue(const std::string& key, CalibrationValue& value)
{
    value.fill(0);
    const std::string prefix = key + kSeparator;
    for (const std::string& line : readLines(m_path)) {
        if (line.compare(0, prefix.size(), prefix) == 0) {
            CalibrationValue read{};
            if (!hexValue(line.substr(prefix.size()), read))
                return false;
            value = read;
            return true;
        }
    }
    return false;
}

bool FileCalibrationStore::writeValue(const std::string& key, const CalibrationValue& value)
{
    const std::string prefix = key + kSeparator;
    std::vector<std::string> lines = readLines(m_path);
    bool replaced = false;
    for (std::string& line : lines) {
        if (line.compare(0, prefix.size(), prefix) == 0) {
            line = prefix + hexText(value);
            replaced = true;
        }
    }
    if (!replaced)
        lines.push_back(prefix + hexText(value));

    std::error_code error;
    const std::filesystem::path target(m_path);
    if (target.has_parent_path())
        std::filesystem::create_directories(target.parent_path(), error);
    const std::string temporary = m_path + ".new";
    {
        std::ofstream out(temporary, std::ios::trunc);
        for (const std::string& line : lines)
            out << line << '\n';
        out.flush();
        if (!out)
            return false;
    }
    std::filesystem::rename(temporary, target, error);
    return !error;
}

} // namespace tarvo
