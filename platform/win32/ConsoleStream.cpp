#include "platform/ConsoleStream.h"

#include <cstdio>
#include <io.h>

namespace platform {

bool StandardErrorIsTerminal() {
    return _isatty(_fileno(stderr)) != 0;
}

}  // namespace platform
