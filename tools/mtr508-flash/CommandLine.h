#pragma once
// What every command of mtr508-flash shares: the exit codes, the options it was given, and the
// way the system's texts are printed.
#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace flash {

enum ExitCode : int {
    kExitDone = 0,
    kExitDevice = 1,     // not found, or refused by the device
    kExitUsage = 2,
    kExitRefused = 3,    // firmware text refused
    kExitSystem = 4,     // port, file, port list
    kExitCancelled = 130,
};

// A command line the command cannot use; main prints it with the usage and exits 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The options after the command's name: "--name VALUE" or "--name=VALUE", each at most once,
// only those the command takes, and no other words.
class Options {
public:
    Options(const std::vector<std::string>& words, const std::set<std::string>& accepted);
    std::optional<std::string> Get(const std::string& name) const;

private:
    std::map<std::string, std::string> values_;
};

// Prints a text of the system (UTF-8) with its line breaks (CR LF, LF or CR) as lines.
void PrintLines(std::FILE* stream, const std::string& text);

using Command = int (*)(const std::vector<std::string>& words);
int PortsCommand(const std::vector<std::string>& words);
int CheckCommand(const std::vector<std::string>& words);
int IdentifyCommand(const std::vector<std::string>& words);
int WriteCommand(const std::vector<std::string>& words);
int ResetCommand(const std::vector<std::string>& words);

}  // namespace flash
