#include "serial/TComTimeouts.h"

#include "serial/TBComPort.h"

namespace serial {

namespace {

std::uint32_t DriverValue(std::int32_t value) {
    return value < 0 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(value);
}

}  // namespace

void TComTimeouts::Set(std::int32_t& field, std::int32_t value) {
    if (field == value) return;
    field = value;
    if (ownerPort_) ownerPort_->ApplyTimeouts();
}

void TComTimeouts::Assign(const TComTimeouts& source) {
    readInterval_ = source.readInterval_;
    readTotalMultiplier_ = source.readTotalMultiplier_;
    readTotalConstant_ = source.readTotalConstant_;
    writeTotalMultiplier_ = source.writeTotalMultiplier_;
    writeTotalConstant_ = source.writeTotalConstant_;
}

platform::CommTimeouts TComTimeouts::ToCommTimeouts() const {
    platform::CommTimeouts t;
    t.ReadIntervalTimeout = DriverValue(readInterval_);
    t.ReadTotalTimeoutMultiplier = DriverValue(readTotalMultiplier_);
    t.ReadTotalTimeoutConstant = DriverValue(readTotalConstant_);
    t.WriteTotalTimeoutMultiplier = DriverValue(writeTotalMultiplier_);
    t.WriteTotalTimeoutConstant = DriverValue(writeTotalConstant_);
    return t;
}

}  // namespace serial
