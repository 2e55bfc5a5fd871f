#pragma once
// Finding the bootloader on the chosen port, checking its version, reading the geometry and the
// description: the Identify command and the first phase of the Write command.
#include "protocol/CommandContext.h"
#include "protocol/Outcome.h"

namespace protocol {

enum class IdentifyVariant { Identify, Write };

inline constexpr const char* kNotFoundIdentifyMessage =
    "Не визначино, для усунення причин:\r\n- прилад повинен бути включеним;\r\n- ввести пароль;\r\n"
    "- перевірити вибір немеру СОМ;\r\n- перевірити швидкість (більшість 115200).";
inline constexpr const char* kNotFoundWriteMessage =
    "Не визначино, для усунення причин:\r\n- прилад повинен бути включеним;\r\n- розвернути роз`єм "
    "програмування;\r\n- ввести пароль;\r\n- перевірити вибір немеру СОМ.";
inline constexpr const char* kUnknownLoaderSuffix = " - невідома версія завантажувача мікроконтролера";
inline constexpr const char* kNoDescriptionIdentify = "Невідомий прилад (без текстового опису)";
inline constexpr const char* kNoDescriptionWrite = "Невідомий прилад/версія";
inline constexpr const char* kStatusReadyToWrite = "Мікропрограма готова до запису";
inline constexpr const char* kIdentifiedPrefix = "Визначино:\r\n";
inline constexpr const char* kOpenHexMessage =
    "              Робота приладу призупинена!\r\nВідкрийте мікропрограму з розширенням - HEX";
inline constexpr const char* kStatusOpenHex = "Відкрийте мікропрограму з розширенням - HEX";
inline constexpr const char* kCalibrationZero = "Автокалібровка: 0.0.0";

// Returns Identified (DeviceInfo decoded, the description in MemoAbout), DeviceNotFound (port
// closed) or LoaderRefused (port open); both refusals have been reported to the user.
Outcome IdentifyDevice(const CommandContext& context, IdentifyVariant variant);

// The Identify command: identification, then the request to open a HEX file.
Outcome IdentifyCommand(const CommandContext& context);

}  // namespace protocol
