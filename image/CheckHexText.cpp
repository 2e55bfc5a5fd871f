#include "image/CheckHexText.h"

#include "image/HexByteSum.h"
#include "image/HexRecord.h"
#include "image/HexRecordFields.h"
#include "image/LineRefusal.h"

namespace image {
namespace {

// The placing as far as it will get: the base address in force, and whether the placing reaches
// the next line (it stops at the end-of-file record, at a start linear address record and at a
// field that is not a number).
struct PlacementWalk {
    std::uint64_t base = 0;
    bool reaching = true;

    // The fault that placing this record line would meet, or nothing.
    const char* Step(std::string_view line) {
        if (!reaching) return nullptr;
        const RecordAction action = DecodeRecord(line, base, FieldReading::Report);
        switch (action.kind) {
            case RecordAction::EndOfFile:
            case RecordAction::StartLinearAddress:
            case RecordAction::Unreadable:
                reaching = false;
                return nullptr;
            case RecordAction::SetBase:
                base = action.address;
                return nullptr;
            default:
                return RecordFault(action.kind);
        }
    }
};

}  // namespace

bool CheckHexText(const ImageBuild& build, const FirmwareLines& lines, SlicedPump& pump) {
    build.Gauge.SetMaxValue(static_cast<std::int64_t>(lines.Count()) - 1);
    build.Gauge.SetProgress(0);
    PlacementWalk walk;
    for (std::size_t i = 0; i < lines.Count(); ++i) {
        if (i == 0) pump.Pump();
        else pump.Tick();
        const std::string_view line = lines.Text[i];
        if (!line.empty() && line[0] == ':') {
            const std::string_view body = line.substr(1);
            if (body.size() % 2 != 0) {
                RefuseLine(build, kParityFault, i + 1, lines.Shown[i]);
                return false;
            }
            const std::size_t checked = body.size() >= 2 ? body.size() - 2 : 0;
            const std::uint32_t stored = ConvertHexField(body.substr(checked));
            const std::uint32_t sum = HexValue(HexByteSum(body.substr(0, checked))).value_or(0);
            if ((256 - sum) % 256 != stored) {
                RefuseLine(build, kChecksumFault, i + 1, lines.Shown[i]);
                return false;
            }
            if (const char* fault = walk.Step(line)) {
                RefuseLine(build, fault, i + 1, lines.Shown[i]);
                return false;
            }
        }
        build.Gauge.AddProgress(1);
    }
    return true;
}

}  // namespace image
