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

}  // namespace serial
