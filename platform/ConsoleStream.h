#pragma once
// Whether the program's standard error goes to a terminal (the command line draws its progress
// line only there).

namespace platform {

bool StandardErrorIsTerminal();

}  // namespace platform
