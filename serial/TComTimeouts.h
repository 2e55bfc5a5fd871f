#pragma once
// The time-out settings of one port, in the order of the driver's time-out record. Changing a
// value of a port's own settings hands all five to the driver at once while the port is open.
#include <cstdint>

#include "platform/CommApi.h"

namespace serial {

class TBComPort;

class TComTimeouts {
public:
    explicit TComTimeouts(TBComPort* ownerPort = nullptr) : ownerPort_(ownerPort) {}
    TComTimeouts(const TComTimeouts&) = delete;
    TComTimeouts& operator=(const TComTimeouts&) = delete;

    TBComPort* OwnerPort() const { return ownerPort_; }

    std::int32_t ReadInterval() const { return readInterval_; }
    std::int32_t ReadTotalMultiplier() const { return readTotalMultiplier_; }
    std::int32_t ReadTotalConstant() const { return readTotalConstant_; }
    std::int32_t WriteTotalMultiplier() const { return writeTotalMultiplier_; }
    std::int32_t WriteTotalConstant() const { return writeTotalConstant_; }

    void SetReadInterval(std::int32_t value) { Set(readInterval_, value); }
    void SetReadTotalMultiplier(std::int32_t value) { Set(readTotalMultiplier_, value); }
    void SetReadTotalConstant(std::int32_t value) { Set(readTotalConstant_, value); }
    void SetWriteTotalMultiplier(std::int32_t value) { Set(writeTotalMultiplier_, value); }
    void SetWriteTotalConstant(std::int32_t value) { Set(writeTotalConstant_, value); }

    // Copies the five values of source, without handing them to the driver.
    void Assign(const TComTimeouts& source);

    // The driver's record: a negative value becomes the driver's maximum, 0xFFFFFFFF.
    platform::CommTimeouts ToCommTimeouts() const;

private:
    void Set(std::int32_t& field, std::int32_t value);

    TBComPort* ownerPort_;
    std::int32_t readInterval_ = -1;
    std::int32_t readTotalMultiplier_ = 0;
    std::int32_t readTotalConstant_ = 0;
    std::int32_t writeTotalMultiplier_ = 100;
    std::int32_t writeTotalConstant_ = 1000;
};

}  // namespace serial
