#pragma once
// Runs the built mtr508-flash (path in MTR508_FLASH) and builds Intel HEX texts for it.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace cli_test {

struct ToolRun {
    int code = -1;
    std::string out;  // stdout
    std::string err;  // stderr
};

// Runs "mtr508-flash ARGUMENTS" (arguments are passed to the shell as they stand) in dir.
ToolRun RunFlash(const std::filesystem::path& dir, const std::string& arguments);
// Runs a shell command; its exit code.
int RunShell(const std::string& command);

std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::string& bytes);
// Single-quoted for the shell.
std::string Quoted(const std::filesystem::path& path);

// One Intel HEX record line, upper case: ":" count, offset, type, data, checksum.
std::string HexRecord(std::uint8_t type, std::uint16_t offset, const std::vector<std::uint8_t>& data);

// Bytes at an address, and how a text carries addresses above 64 KiB.
struct DataRun {
    std::uint32_t address;
    std::vector<std::uint8_t> bytes;
};
enum class Dialect { I8HEX, I16HEX, I32HEX };
// The runs as records of up to 16 bytes, with extended segment (I16HEX) or extended linear
// (I32HEX) address records where the upper address changes, and the end-of-file record.
std::vector<std::string> HexText(Dialect dialect, const std::vector<DataRun>& runs);

// The lines joined, each followed by lineEnd.
std::string Joined(const std::vector<std::string>& lines, const std::string& lineEnd);

}  // namespace cli_test
