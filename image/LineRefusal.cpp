#include "image/LineRefusal.h"

namespace image {

const char* RecordFault(RecordAction::Kind kind) {
    switch (kind) {
        case RecordAction::Incomplete:
            return kIncompleteRecord;
        case RecordAction::BadData:
            return kBadDataCharacters;
        case RecordAction::OutOfImage:
            return kAddressOutOfImage;
        default:
            return nullptr;
    }
}

void RefuseLine(const ImageBuild& build, const char* fault, std::size_t lineNumber, const std::string& shownLine) {
    build.Application.MessageBeep(0x10);
    build.Application.ShowMessage(fault + std::to_string(lineNumber) + "!" + " (" + shownLine + ")");
    build.Gauge.SetProgress(0);
}

}  // namespace image
