#pragma once
// The serial port's exception: it carries nothing but its message.
#include <stdexcept>

namespace serial {

class EComPort : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr const char* kRegistryErrorMessage =
    "Помилка звернення до системного реєстру\nНеобхідно повторно відкрити програму!";

// The messages of the port itself.
inline constexpr const char* kPortNotFoundMessage = "Спроба відкрити неіснуючий СОМ-порт";
inline constexpr const char* kPortInUseMessage = "Порт зайнятий іншою програмою";
inline constexpr const char* kWriteErrorMessage = "Помилка запису в порт.\nНеобхідно повторно відкрити програму!";
inline constexpr const char* kReadErrorMessage = "Помилка читання з порта\nНеобхідно повторно відкрити програму!";
inline constexpr const char* kAsyncParameterMessage = "Недопустимий параметр Async\nНеобхідно повторно відкрити програму!";
inline constexpr const char* kPurgeCommMessage = "Помилка функції PurgeComm\nНеобхідно повторно відкрити програму!";
inline constexpr const char* kSetCommStateMessage = "Помилка функції SetCommState\nНеобхідно повторно відкрити програму!";
inline constexpr const char* kSetCommTimeoutsMessage =
    "Помилка функції SetCommTimeouts\nНеобхідно повторно відкрити програму!";
inline constexpr const char* kSetupCommMessage = "Помилка функції SetupComm\nНеобхідно повторно відкрити програму!";
inline constexpr const char* kClearCommErrorMessage =
    "Помилка функції ClearCommError\nНеобхідно повторно відкрити програму!";
inline constexpr const char* kGetCommModemStatusMessage =
    "Помилка функції GetCommModemStatus\nНеобхідно повторно відкрити програму!";
inline constexpr const char* kEscapeCommFunctionMessage =
    "Помилка функції EscapeCommFunction\nНеобхідно повторно відкрити програму!";
inline constexpr const char* kPropertyWhileOpenMessage = "Неможна змінювати властивості, доки порт відкритий";

}  // namespace serial
