#pragma once
// The simulator's end of the line: a pseudo-terminal master whose slave is reached through a
// symbolic link, as a serial port would be.

#include <string>
#include <string_view>

namespace sim {

class PseudoTerminal {
public:
    // Opens a master, puts the slave into raw mode (no echo, no line discipline) and points
    // `linkPath` at the slave, replacing whatever the path named before.
    explicit PseudoTerminal(std::string linkPath);
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    int MasterFd() const { return master_; }
    const std::string& SlavePath() const { return slavePath_; }

    // True while some program holds the slave open. A master whose slave nobody holds reports a
    // hang-up and reads EIO until the slave is opened again.
    bool HostConnected() const;
    // Reads what has arrived (non-blocking); empty when nothing has.
    std::string ReadAvailable();
    // Writes what the line takes now; the rest is lost, as on a line whose receiver overflows.
    // Returns the number of bytes written.
    std::size_t Send(std::string_view bytes);
    // Throws away what the slave has received but nobody read: a closed serial port keeps
    // nothing for the next program that opens it.
    void DiscardUnread();
    // Closes the master, so that whoever holds the slave sees a hang-up, and removes the link.
    void HangUp();

private:
    void RemoveLink();

    std::string linkPath_;
    std::string slavePath_;
    int master_ = -1;
};

}  // namespace sim
