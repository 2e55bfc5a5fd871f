// mtr508-flash: the command line over the same window logic as the desktop program.
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "tools/mtr508-flash/CommandLine.h"

namespace {

constexpr const char* kUsage =
    "Usage: mtr508-flash COMMAND [OPTIONS]\n"
    "\n"
    "Commands:\n"
    "  ports                          list the system's serial ports, one name a line\n"
    "  check [--hex FILE] [--dump-image OUT]\n"
    "                                 test FILE (or the built-in firmware) as the Open command\n"
    "                                 does and build the flash image; --dump-image writes the\n"
    "                                 20,000,000 image bytes of an accepted text to OUT\n"
    "  help, --help                   this text\n"
    "\n"
    "Messages and the final status line are printed in UTF-8 on stdout, errors on stderr.\n"
    "\n"
    "Exit codes:\n"
    "  0  done: the firmware text was accepted, the list printed\n"
    "  1  the device was not found or refused the command\n"
    "  2  usage: an unknown command or option, a missing value\n"
    "  3  the firmware text was refused (line test, start linear address record, a field that\n"
    "     is not a number, an empty text, data outside the image)\n"
    "  4  system error: a file that cannot be read or written, the port list\n"
    "  130 cancelled\n";

struct NamedCommand {
    const char* name;
    flash::Command run;
};

constexpr NamedCommand kCommands[] = {
    {"ports", flash::PortsCommand},
    {"check", flash::CheckCommand},
};

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.empty()) {
        std::fputs(kUsage, stderr);
        return flash::kExitUsage;
    }
    const std::string& name = arguments.front();
    if (name == "--help" || name == "-h" || name == "help") {
        std::fputs(kUsage, stdout);
        return flash::kExitDone;
    }
    const std::vector<std::string> words(arguments.begin() + 1, arguments.end());
    for (const auto& command : kCommands) {
        if (name != command.name) continue;
        for (const auto& word : words) {
            if (word == "--help" || word == "-h") {
                std::fputs(kUsage, stdout);
                return flash::kExitDone;
            }
        }
        try {
            return command.run(words);
        } catch (const flash::UsageError& error) {
            std::fprintf(stderr, "mtr508-flash %s: %s\n\n%s", command.name, error.what(), kUsage);
            return flash::kExitUsage;
        } catch (const std::exception& error) {
            flash::PrintLines(stderr, error.what());
            return flash::kExitSystem;
        }
    }
    std::fprintf(stderr, "mtr508-flash: unknown command: %s\n\n%s", name.c_str(), kUsage);
    return flash::kExitUsage;
}
