#include "tools/mtr508-flash/ImageDump.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace flash {
namespace {

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

void WriteImageBytes(const std::string& flashImage, const std::string& path) {
    std::string bytes(flashImage.size() / 2, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const int high = HexDigitValue(flashImage[2 * i]);
        const int low = HexDigitValue(flashImage[2 * i + 1]);
        if (high < 0 || low < 0) {
            throw std::runtime_error("The image holds a character that is not a hex digit at byte " +
                                     std::to_string(i));
        }
        bytes[i] = static_cast<char>(high * 16 + low);
    }
    const std::filesystem::path file(std::u8string(path.begin(), path.end()));
    errno = 0;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (out) out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (out) out.close();
    if (!out) {
        throw std::runtime_error("Cannot create file \"" + path + "\". " +
                                 (errno != 0 ? std::strerror(errno) : "Write error"));
    }
}

}  // namespace flash
