#pragma once
// Refusing a firmware line: the error beep, a message naming the line, the gauge back to 0.
#include <cstddef>
#include <string>

#include "image/BuildFlashImage.h"
#include "image/HexRecord.h"

namespace image {

inline constexpr const char* kParityFault = "Порушення парності у строці мікропрограми: ";
inline constexpr const char* kChecksumFault = "Помилка контрольної суми у строці мікропрограми: ";
inline constexpr const char* kStartLinearAddressFound = "Знайдено: Start Linear Address Records (MDK-ARM only): ";
// A record too short to hold its type, or holding fewer data characters than its byte count.
inline constexpr const char* kIncompleteRecord = "Неповний запис у строці мікропрограми: ";
// Data characters that are no hex digits.
inline constexpr const char* kBadDataCharacters = "Недопустимі символи даних у строці мікропрограми: ";
// Data whose byte address, base included, lies beyond the image.
inline constexpr const char* kAddressOutOfImage = "Адреса за межами пам'яті у строці мікропрограми: ";

// The message of a fault that DecodeRecord finds in a line; nothing for a line without a fault.
const char* RecordFault(RecordAction::Kind kind);

// lineNumber counts from 1 over every line of the text; shownLine is the line as the memo holds it.
void RefuseLine(const ImageBuild& build, const char* fault, std::size_t lineNumber, const std::string& shownLine);

}  // namespace image
