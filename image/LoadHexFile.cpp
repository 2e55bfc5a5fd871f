#include "image/LoadHexFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/CodePage1251.h"
#include "toolkit/Errors.h"

namespace image {
namespace {

[[noreturn]] void RaiseOpenError(const std::string& path, const std::string& reason) {
    throw toolkit::EFOpenError("Cannot open file \"" + path + "\". " + reason);
}

std::string SystemReason(int error) {
    if (error == 0) return "Unknown error";
    return std::strerror(error);
}

}  // namespace

std::vector<std::string> SplitFileLines(std::string_view bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(bytes.substr(start));
            break;
        }
        lines.emplace_back(bytes.substr(start, end - start));
        start = end + 1;
        if (bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n') ++start;
    }
    return lines;
}

std::vector<std::string> LoadHexFile(const std::string& path) {
    const std::filesystem::path file(std::u8string(path.begin(), path.end()));
    errno = 0;
    std::ifstream in(file, std::ios::binary);
    if (!in) RaiseOpenError(path, SystemReason(errno));
    std::string bytes;
    try {
        // A read that fails (a folder, a device error) raises from the stream buffer.
        errno = 0;
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } catch (const std::ios_base::failure&) {
        RaiseOpenError(path, SystemReason(errno));
    }
    if (in.bad()) RaiseOpenError(path, SystemReason(errno));

    std::vector<std::string> lines = SplitFileLines(bytes);
    for (auto& line : lines) line = platform::Cp1251ToUtf8(line);
    return lines;
}

}  // namespace image
