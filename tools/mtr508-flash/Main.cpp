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
    "  identify --port PORT [--baud RATE] [--hex FILE] [--log FILE]\n"
    "                                 find the device's bootloader and show its description\n"
    "  write --port PORT [--baud RATE] [--hex FILE] [--log FILE] [--progress auto|always|never]\n"
    "                                 write the built-in firmware (or FILE) into the device;\n"
    "                                 progress goes to stderr: redrawn in place on a terminal\n"
    "                                 (--progress auto, the default), as a line a second\n"
    "                                 elsewhere with --progress always, never with never;\n"
    "                                 Ctrl+C stops the write at the next page or failed attempt,\n"
    "                                 a second Ctrl+C ends the program at once\n"
    "  reset --port PORT [--baud RATE] reset the device without writing\n"
    "  help, --help                   this text\n"
    "\n"
    "PORT is a name from the port list (COM3, ttyUSB0) or a path (a simulator's link).\n"
    "RATE is one of 110 300 600 1200 2400 4800 9600 14400 19200 38400 56000 57600 115200\n"
    "128000 256000 (default 115200). --log writes the device's description and the write log.\n"
    "\n"
    "Messages and status lines are printed in UTF-8 on stdout, errors on stderr.\n"
    "\n"
    "Exit codes:\n"
    "  0  done: the firmware text accepted, the list printed, the device identified,\n"
    "     written or reset\n"
    "  1  the device was not found or refused: unsupported loader, the version it holds,\n"
    "     a geometry that does not fit, an erase/write/flash step not acknowledged\n"
    "  2  usage: an unknown command or option, a missing value\n"
    "  3  the firmware text was refused (line test, start linear address record, a field that\n"
    "     is not a number, an empty text, data outside the image)\n"
    "  4  system error: the port, a file that cannot be read or written, the port list\n"
    "  130 cancelled (Ctrl+C)\n";

struct NamedCommand {
    const char* name;
    flash::Command run;
};

constexpr NamedCommand kCommands[] = {
    {"ports", flash::PortsCommand},
    {"check", flash::CheckCommand},
    {"identify", flash::IdentifyCommand},
    {"write", flash::WriteCommand},
    {"reset", flash::ResetCommand},
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
