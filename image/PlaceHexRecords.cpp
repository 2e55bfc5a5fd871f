#include "image/PlaceHexRecords.h"

#include <cstring>

#include "image/HexRecord.h"
#include "image/LineRefusal.h"

namespace image {

bool PlaceHexRecords(const ImageBuild& build, const FirmwareLines& lines, SlicedPump& pump) {
    build.Gauge.SetMaxValue(static_cast<std::int64_t>(lines.Count()) - 1);
    build.Gauge.SetProgress(0);
    std::uint64_t base = 0;
    for (std::size_t i = 0; i < lines.Count(); ++i) {
        if (i == 0) pump.Pump();
        else pump.Tick();
        const std::string_view line = lines.Text[i];
        if (line.empty() || line[0] != ':') continue;
        const RecordAction action = DecodeRecord(line, base, FieldReading::Raise);
        switch (action.kind) {
            case RecordAction::EndOfFile:
                return true;
            case RecordAction::SetBase:
                base = action.address;
                break;
            case RecordAction::StartLinearAddress:
                RefuseLine(build, kStartLinearAddressFound, i + 1, lines.Shown[i]);
                return false;
            case RecordAction::Data:
                // DecodeRecord gives Data only for hex digits that lie inside the image.
                if (action.count > 0) {
                    std::memcpy(build.FlashImage.data() + 2 * action.address, line.data() + kDataPosition - 1,
                                2 * action.count);
                }
                break;
            case RecordAction::Incomplete:
            case RecordAction::BadData:
            case RecordAction::OutOfImage:
                RefuseLine(build, RecordFault(action.kind), i + 1, lines.Shown[i]);
                return false;
            case RecordAction::Nothing:
            case RecordAction::Unreadable:  // not given when fields are read raising
                break;
        }
        build.Gauge.AddProgress(1);
    }
    return true;
}

}  // namespace image
