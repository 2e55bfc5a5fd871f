// mtr508-flash check: tests a firmware text and builds the flash image, as start-up does for the
// built-in firmware and the Open command does for a file.
#include <cstdio>

#include "app/MainForm.h"
#include "image/BuildFlashImage.h"
#include "platform/Clock.h"
#include "platform/CommApi.h"
#include "platform/SerialCommRegistry.h"
#include "tools/mtr508-flash/CommandLine.h"
#include "tools/mtr508-flash/ConsoleApplication.h"
#include "tools/mtr508-flash/ImageDump.h"

namespace flash {

int CheckCommand(const std::vector<std::string>& words) {
    const Options options(words, {"hex", "dump-image"});
    const auto hexFile = options.Get("hex");
    const auto dumpFile = options.Get("dump-image");

    ConsoleApplication application;
    app::TMainForm form({application, platform::RealClock(), platform::SystemCommApi(),
                         platform::SystemSerialCommRegistry()});

    bool accepted = false;
    if (hexFile) {
        // The Open command, its dialog answered with the file.
        application.QueueOpenDialogAnswer(*hexFile);
        application.Run([&] { form.ButtonOpenHexClick(); });
        accepted = form.LastOutcome() == protocol::Outcome::Opened;
    } else {
        // Start-up's last steps: the built-in text that the window holds from its definition.
        application.Run([&] {
            if (image::BuildFlashImage({application, form.TextTerminal, form.ProgressbarReadWrite, form.ButtonWrite,
                                        form.FlashImage})) {
                form.LabelNameOfHex.SetCaption(app::kStatusReady);
                accepted = true;
            }
        });
    }
    PrintLines(stdout, form.LabelNameOfHex.Caption());

    if (!accepted) {
        // A refused text has been reported by the passes; an error by the default error handler.
        // Errors that the text causes (a field that is not a number, no lines at all) are refusals.
        const ErrorKind error = application.LastError();
        if (error == ErrorKind::None || error == ErrorKind::Conversion || error == ErrorKind::Range) {
            return kExitRefused;
        }
        return kExitSystem;
    }
    if (dumpFile) {
        try {
            WriteImageBytes(form.FlashImage, *dumpFile);
        } catch (const std::exception& error) {
            application.HandleException(error);
            return kExitSystem;
        }
    }
    return kExitDone;
}

}  // namespace flash
