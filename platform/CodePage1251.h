#pragma once
// Windows-1251 (Cyrillic) text, one byte per character, to and from UTF-8. Texts that travel on
// the serial line or are compared by length are 1251; everything the user sees is UTF-8 here and
// UTF-16 in the Windows toolkit.
#include <string>
#include <string_view>

namespace platform {

std::string Cp1251ToUtf8(std::string_view text);
// Characters that 1251 cannot hold become "?".
std::string Utf8ToCp1251(std::string_view text);
// Number of characters (code points) of a UTF-8 text.
std::size_t Utf8Length(std::string_view text);

}  // namespace platform
