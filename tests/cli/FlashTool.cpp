#include "FlashTool.h"

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace cli_test {

std::string Quoted(const std::filesystem::path& path) {
    std::string quoted = "'";
    for (char c : path.string()) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

int RunShell(const std::string& command) {
    const int status = std::system(command.c_str());
    return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

ToolRun RunFlash(const std::filesystem::path& dir, const std::string& arguments) {
    const char* tool = std::getenv("MTR508_FLASH");
    if (!tool) throw std::runtime_error("MTR508_FLASH is not set");
    const auto out = dir / "stdout.txt";
    const auto err = dir / "stderr.txt";
    ToolRun run;
    run.code = RunShell("cd " + Quoted(dir) + " && " + Quoted(tool) + " " + arguments + " >" + Quoted(out) +
                        " 2>" + Quoted(err) + " </dev/null");
    run.out = ReadFile(out);
    run.err = ReadFile(err);
    return run;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return {};
    std::string bytes(static_cast<std::size_t>(in.tellg()), '\0');
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string HexRecord(std::uint8_t type, std::uint16_t offset, const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> fields{static_cast<std::uint8_t>(data.size()), static_cast<std::uint8_t>(offset >> 8),
                                     static_cast<std::uint8_t>(offset & 0xFF), type};
    fields.insert(fields.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (auto b : fields) sum += b;
    fields.push_back(static_cast<std::uint8_t>(0x100 - (sum & 0xFF)));
    std::string line = ":";
    char pair[3];
    for (auto b : fields) {
        std::snprintf(pair, sizeof pair, "%02X", b);
        line += pair;
    }
    return line;
}

std::vector<std::string> HexText(Dialect dialect, const std::vector<DataRun>& runs) {
    std::vector<std::string> lines;
    long upper = dialect == Dialect::I8HEX ? 0 : -1;
    for (const auto& run : runs) {
        std::size_t done = 0;
        while (done < run.bytes.size()) {
            const std::uint32_t address = run.address + static_cast<std::uint32_t>(done);
            const std::uint32_t high = address >> 16;
            if (dialect == Dialect::I8HEX && high != 0) throw std::logic_error("I8HEX reaches only 64 KiB");
            if (static_cast<long>(high) != upper) {
                const auto value = static_cast<std::uint16_t>(dialect == Dialect::I16HEX ? high << 12 : high);
                lines.push_back(HexRecord(dialect == Dialect::I16HEX ? 2 : 4, 0,
                                          {static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)}));
                upper = high;
            }
            // A record never crosses a 64 KiB boundary.
            const std::size_t room = 0x10000 - (address & 0xFFFF);
            const std::size_t count = std::min({std::size_t{16}, run.bytes.size() - done, room});
            const auto first = run.bytes.begin() + static_cast<std::ptrdiff_t>(done);
            lines.push_back(HexRecord(0, static_cast<std::uint16_t>(address & 0xFFFF),
                                      {first, first + static_cast<std::ptrdiff_t>(count)}));
            done += count;
        }
    }
    lines.push_back(":00000001FF");
    return lines;
}

std::string Joined(const std::vector<std::string>& lines, const std::string& lineEnd) {
    std::string text;
    for (const auto& line : lines) text += line + lineEnd;
    return text;
}

}  // namespace cli_test
