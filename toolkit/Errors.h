#pragma once
// The toolkit's own errors. Each carries only its message; the application's default error
// handler shows it.
#include <stdexcept>
#include <string>

namespace toolkit {

// A property given a value it refuses (the gauge's range error).
class EInvalidOperation : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A text that is not a number: "'%s' is not a valid integer value".
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file that cannot be opened or read.
class EFOpenError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace toolkit
