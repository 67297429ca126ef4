// ZAM: the player against the computer on a board of random move values.

#include <QApplication>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

#include "media/media_folder.h"
#include "platform/accessibility/accessibility.h"
#include "platform/sound/stream_naming.h"
#include "platform/window/display_check.h"
#include "screens/module1.h"

// Started with standard input, output or error closed, the program would be handed that
// number for the next file it opens, the X connection among them, and its messages would
// go into the X protocol. Run before anything else opens a file.
__attribute__((constructor(101))) static void OpenStandardStreams() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF)
            continue;
        const int opened = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (opened >= 0 && opened != fd) {
            ::dup2(opened, fd);
            ::close(opened);
        }
    }
}

int main(int argc, char** argv) {
    platform::audio::NameStream();
    // The launcher's name: a Wayland desktop matches the windows to it by this id.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.zamgame.zam"));
    const auto app = platform::OpenWindowSystem(argc, argv);
    if (!app)
        return EXIT_FAILURE;
    QApplication::setApplicationName(QStringLiteral("zam"));
    QApplication::setQuitOnLastWindowClosed(false);
    platform::EnableAccessibility();
    media::EnterMediaFolder(media::ExecutableFolder(argc > 0 ? argv[0] : nullptr));
    screens::Main();
    return EXIT_SUCCESS;
}
