#include "image/SlicedPump.h"

namespace image {

void SlicedPump::Pump() {
    application_.ProcessMessages();
    last_ = clock_.NowMicroseconds();
}

}  // namespace image
