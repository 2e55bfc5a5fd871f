#pragma once
// The Open command's file loading: a file's lines as the memo that holds the firmware text
// takes them.
#include <string>
#include <string_view>
#include <vector>

namespace image {

// Splits bytes into lines at CR LF, a lone LF or a lone CR; a final line break makes no extra
// line, so an empty text has no lines.
std::vector<std::string> SplitFileLines(std::string_view bytes);

// Reads the file at path (UTF-8) as bytes and returns its lines, each converted from code page
// 1251 to UTF-8. A file that cannot be opened or read raises toolkit::EFOpenError
// "Cannot open file \"<path>\". <the system's reason>".
std::vector<std::string> LoadHexFile(const std::string& path);

}  // namespace image
