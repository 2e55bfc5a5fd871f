// mtr508-flash check: tests a firmware text and builds the flash image, as start-up does for the
// built-in firmware and the Open command does for a file.
#include <cstdio>
#include <filesystem>

#include "app/MainForm.h"
#include "image/BuildFlashImage.h"
#include "image/LoadHexFile.h"
#include "platform/Clock.h"
#include "platform/CommApi.h"
#include "platform/SerialCommRegistry.h"
#include "toolkit/Errors.h"
#include "tools/mtr508-flash/CommandLine.h"
#include "tools/mtr508-flash/ImageDump.h"

namespace flash {
namespace {

// The file's name without its folder.
std::string FileName(const std::string& path) {
    const std::filesystem::path file(std::u8string(path.begin(), path.end()));
    const std::u8string name = file.filename().u8string();
    return std::string(name.begin(), name.end());
}

// A text refused by the passes is reported by them; these errors come from the text too: a
// field that is not a number, and the gauge's range error of a text without lines.
int ExitCodeOfError(const std::exception& error) {
    if (dynamic_cast<const toolkit::EConvertError*>(&error)) return kExitRefused;
    if (dynamic_cast<const toolkit::EInvalidOperation*>(&error)) return kExitRefused;
    return kExitSystem;
}

}  // namespace

int CheckCommand(const std::vector<std::string>& words) {
    const Options options(words, {"hex", "dump-image"});
    const auto hexFile = options.Get("hex");
    const auto dumpFile = options.Get("dump-image");

    toolkit::headless::HeadlessApplication application;
    PrintToConsole(application);
    app::TMainForm form({application, platform::RealClock(), platform::SystemCommApi(),
                         platform::SystemSerialCommRegistry()});
    const image::ImageBuild build{application, form.TextTerminal, form.ProgressbarReadWrite, form.ButtonWrite,
                                  form.FlashImage};

    int code = kExitRefused;
    try {
        if (hexFile) {
            form.TextTerminal.SetLines(image::LoadHexFile(*hexFile));
            if (image::BuildFlashImage(build)) {
                form.LabelNameOfHex.SetCaption("Мікропрограма : " + FileName(*hexFile) + " - відкрита" +
                                               ". Запишіть в прилад");
                application.ShowMessage("Мікропрограма відкрита,\r\n   запишіть її в прилад");
                code = kExitDone;
            }
        } else if (image::BuildFlashImage(build)) {
            form.LabelNameOfHex.SetCaption(app::kStatusReady);
            code = kExitDone;
        }
    } catch (const std::exception& error) {
        application.HandleException(error);
        code = ExitCodeOfError(error);
    }
    PrintLines(stdout, form.LabelNameOfHex.Caption());

    if (code == kExitDone && dumpFile) {
        try {
            WriteImageBytes(form.FlashImage, *dumpFile);
        } catch (const std::exception& error) {
            application.HandleException(error);
            return kExitSystem;
        }
    }
    return code;
}

}  // namespace flash
