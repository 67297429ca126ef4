// ZAM: the player against the computer on a board of random move values.

#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "media/media_folder.h"
#include "platform/accessibility/accessibility.h"
#include "platform/window/display_check.h"
#include "platform/window/forms.h"
#include "screens/module1.h"

int main(int argc, char** argv) {
    // Asked before Qt connects: without a display Qt would abort.
    if (const std::string reason = platform::NoDisplayReason(); !reason.empty()) {
        std::fprintf(stderr, "zam: no display could be opened: %s\n", reason.c_str());
        return EXIT_FAILURE;
    }
    platform::PrepareWindowSystem();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zam"));
    QApplication::setQuitOnLastWindowClosed(false);
    platform::EnableAccessibility();
    media::EnterMediaFolder(media::ExecutableFolder(argc > 0 ? argv[0] : nullptr));
    screens::Main();
    return EXIT_SUCCESS;
}
