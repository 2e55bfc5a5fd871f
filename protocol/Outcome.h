#pragma once
// How a command of the main window ended, for front ends that report it (the command line's
// exit code) without re-deriving the logic.
namespace protocol {

enum class Outcome {
    None,             // no command has ended yet
    Identified,       // Identify found the device and showed its description
    DeviceNotFound,   // no bootloader answered on the port
    LoaderRefused,    // the bootloader's version is not served
    VersionRefused,   // the device holds this firmware, a newer one, or describes none
    GeometryRefused,  // the device's memory does not fit the image or the frame's address
    Done,             // the firmware was written and the device reset
    WriteError,       // an erase, write or flash step was not acknowledged in time
    Cancelled,        // the user stopped the write
    Reset,            // the device was sent the reset command
    Busy,             // refused: another device command or the image build was running
    Opened,           // a firmware file was opened and made the image to write
    FirmwareRefused,  // the firmware text was refused
    SystemError,      // an error of the system ended the command (reported by the error handler)
};

}  // namespace protocol
