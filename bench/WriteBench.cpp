// The Write command against mtr508-sim over a pseudo-terminal, timed: the whole command (from
// the click to its end) and its page loop, divided by the acknowledged exchanges it made (one
// erase per page, a write and a flash per block, each accepted at its first attempt by the
// willing simulated device). The device's flash is compared with the image afterwards.
//
//   bench_write [PAGES [BLOCKS_PER_PAGE [BLOCK_SIZE]]]     (default 128 4 128, as ./run)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>

#include "app/MainForm.h"
#include "platform/Clock.h"
#include "platform/CommApi.h"
#include "platform/SerialCommRegistry.h"
#include "protocol/WriteFirmware.h"
#include "toolkit/headless/HeadlessApplication.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Notes when the status line says that the page loop started and when the write ended.
class StatusTimes : public toolkit::ControlPeer {
public:
    void Changed(toolkit::Control& control) override {
        const std::string& caption = static_cast<toolkit::Label&>(control).Caption();
        if (caption == protocol::kStatusWriting) pagesStart = SteadyClock::now();
        if (caption.rfind(protocol::kStatusWritten, 0) == 0) pagesEnd = SteadyClock::now();
    }
    SteadyClock::time_point pagesStart{}, pagesEnd{};
};

double Milliseconds(SteadyClock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

}  // namespace

int main(int argc, char** argv) {
    const int pages = argc > 1 ? std::atoi(argv[1]) : 128;
    const int blocksPerPage = argc > 2 ? std::atoi(argv[2]) : 4;
    const int blockSize = argc > 3 ? std::atoi(argv[3]) : 128;
    const std::size_t bytes = static_cast<std::size_t>(pages) * blocksPerPage * blockSize;

    const auto folder =
        std::filesystem::temp_directory_path() / ("mtr508-bench-write-" + std::to_string(std::random_device()()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const auto link = folder / "port";
    const auto flash = folder / "flash.bin";
    const auto ready = folder / "ready.txt";
    const auto pid = folder / "pid.txt";
    const std::string start = std::string("'") + MTR508_SIM_PATH + "' --link '" + link.string() + "' --flash-out '" +
                              flash.string() + "' --pages " + std::to_string(pages) + " --blocks-per-page " +
                              std::to_string(blocksPerPage) + " --block-size " + std::to_string(blockSize) +
                              " --describe 171001 >'" + ready.string() + "' 2>/dev/null & echo $! >'" + pid.string() +
                              "'";
    if (std::system(start.c_str()) != 0) return 1;
    for (int i = 0; i < 200 && ReadFile(ready).rfind("ready", 0) != 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (ReadFile(ready).rfind("ready", 0) != 0) {
        std::fprintf(stderr, "mtr508-sim did not start\n");
        return 1;
    }

    toolkit::headless::HeadlessApplication application;
    app::TMainForm form({application, platform::RealClock(), platform::SystemCommApi(),
                         platform::SystemSerialCommRegistry()});
    application.Run([&] { form.FormCreate(); });
    std::vector<std::string> ports = form.cbPort.Items();
    ports.push_back(link.string());
    form.cbPort.SetItems(ports);
    form.cbPort.SetItemIndex(static_cast<int>(ports.size()) - 1);
    StatusTimes times;
    form.LabelNameOfHex.SetPeer(&times);

    const auto clickStart = SteadyClock::now();
    application.Run([&] { form.ButtonWriteClick(); });
    const auto clickEnd = SteadyClock::now();
    form.LabelNameOfHex.SetPeer(nullptr);

    std::system(("kill $(cat '" + pid.string() + "')").c_str());
    // The simulator saves its flash as it ends.
    std::error_code error;
    for (int i = 0; i < 200 && std::filesystem::file_size(flash, error) != bytes; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));

    const bool done = form.LastOutcome() == protocol::Outcome::Done;
    std::string image(bytes, '\0');
    for (std::size_t i = 0; i < bytes; ++i) {
        image[i] = static_cast<char>(std::stoi(form.FlashImage.substr(2 * i, 2), nullptr, 16));
    }
    const bool same = ReadFile(flash) == image;
    const long exchanges = static_cast<long>(pages) * (1 + 2L * blocksPerPage);
    const double loop = Milliseconds(times.pagesEnd - times.pagesStart);

    std::printf("geometry: %d pages x %d blocks x %d bytes (%zu bytes)\n", pages, blocksPerPage, blockSize, bytes);
    std::printf("write outcome: %s; device flash %s the image\n", done ? "done" : "NOT done",
                same ? "equals" : "DIFFERS FROM");
    std::printf("whole Write command: %.1f ms (identification, page loop, reset)\n",
                Milliseconds(clickEnd - clickStart));
    std::printf("page loop: %.1f ms for %ld acknowledged exchanges: %.3f ms per exchange (target <= 1.5)\n", loop,
                exchanges, loop / static_cast<double>(exchanges));
    std::printf("%s\n", form.Label3.Caption().c_str());
    std::filesystem::remove_all(folder);
    return done && same ? 0 : 1;
}
