#pragma once
#include <string_view>

namespace resources {

// The firmware built into the program: Intel HEX for the MT-R508 dated 15.11.17, whose version
// the device reports as "171115". One record a line, each line closed by CR LF.
std::string_view BuiltInFirmwareText();

}  // namespace resources
