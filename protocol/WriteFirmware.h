#pragma once
// The Write command: identification, the version gate, then erase, write and flash page by page,
// each step repeated until the device acknowledges it, with waits that adapt to the device.
#include <cstdint>
#include <string>

#include "protocol/CommandContext.h"
#include "protocol/Outcome.h"

namespace protocol {

// Most attempts made with one frame, and the failed attempts of a whole write beyond which it
// stops.
inline constexpr int kAttemptLimit = 400;
inline constexpr int kFailureLimit = 399;

inline constexpr const char* kUnknownVersionMessage = "Невідомо що то є!";
inline constexpr const char* kSameVersionMessage = "Дана версія вже записана в прилад!";
inline constexpr const char* kNewerVersionMessage = "В прилад вже записана новіша версія!";
// A device whose memory reaches past the image, or whose last page starts beyond the erase
// frame's 24-bit address, is refused before anything is erased.
inline constexpr const char* kGeometryRefusedMessage =
    "Невідома будова пам'яті приладу,\r\nзапис неможливий!";
inline constexpr const char* kStatusWriting = "Йде запис! Заборонено переривати!";
inline constexpr const char* kStatusWritten = "Мікропрограма : успішно завантажена в ";
inline constexpr const char* kStatusFilePrefix = "Мікропрограма : ";
inline constexpr const char* kStatusErrorSuffix = " - помилка";
inline constexpr const char* kCalibrationPrefix = "Автокалібровка: ";
inline constexpr const char* kEraseVerb = "Очистив";
inline constexpr const char* kWriteVerb = "Записав";
inline constexpr const char* kFlashVerb = "Прошив";
inline constexpr const char* kEraseErrorPrefix =
    "                              \r\nПомилка очистки - ";
inline constexpr const char* kWriteErrorPrefix =
    "                              \r\nПомилка запису - ";
inline constexpr const char* kFlashErrorPrefix =
    "                              \r\nПомилка прошивки - ";
inline constexpr const char* kWarningIncomplete =
    "                                               Увага!\r\nПри неповному запису можлива некоректна робота приладу!";
inline constexpr const char* kSuccessMessageStart =
    "                                         Мікропрограма успішно завантажена в ";
inline constexpr const char* kSuccessMessageEnd =
    "\r\nПісля запису необхідно провести процедуру встановлення початкових установок (при наявності)\r\n                  Після запису необхідно провести встановлення конфігурації (при наявності)";

// The highest address the erase frame can carry, plus one.
inline constexpr std::uint64_t kAddressLimit = 1u << 24;

// The file name without its folders ("/" or "\" separated).
std::string FileNameOnly(const std::string& path);

// The Write command from identification to its end; every end has been reported to the user.
Outcome WriteFirmware(const CommandContext& context);

}  // namespace protocol
