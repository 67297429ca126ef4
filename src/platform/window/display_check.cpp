#include "platform/window/display_check.h"

#include <QApplication>
#include <QBackingStore>
#include <QScreen>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>
#include <xcb/xcb.h>

namespace platform {
namespace {

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool Contains(const std::string& list, const char* name) {
    return list.find(name) != std::string::npos;
}

// A Wayland compositor answers on its socket in the runtime folder.
bool WaylandAnswers(bool named_by_platform) {
    std::string name = Variable("WAYLAND_DISPLAY");
    if (name.empty() && named_by_platform)
        name = "wayland-0";
    if (name.empty())
        return false;
    const std::string path = name.starts_with('/') ? name : Variable("XDG_RUNTIME_DIR") + "/" + name;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool answers = fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0)
        ::close(fd);
    return answers;
}

bool XAnswers() {
    if (Variable("DISPLAY").empty())
        return false;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool answers = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return answers;
}

// Qt's words while it starts: kept until it is known whether they matter, so that a window
// system that cannot be used costs the player one line, not Qt's page of advice.
QStringList& HeldMessages() {
    static QStringList held;
    return held;
}

// The one line, with what Qt said on the way, each in its first line.
[[noreturn]] void CannotOpen(const QString& what) {
    QStringList why;
    for (const QString& said : HeldMessages())
        why.append(said.section(QLatin1Char('\n'), 0, 0));
    const QString detail = why.isEmpty() ? QString() : " (" + why.join(QStringLiteral("; ")) + ")";
    std::fprintf(stderr, "zam: no window could be opened: %s%s\n", qPrintable(what), qPrintable(detail));
    std::fflush(stderr);
    std::_Exit(EXIT_FAILURE);
}

// Qt gives up on a window system with a fatal message, which would abort the program. Its
// last words tell why too, unless they are the advice to reinstall it gives whenever no
// platform plugin could be started.
void HoldBack(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type != QtFatalMsg || !message.contains(QLatin1String("no Qt platform plugin could be initialized")))
        HeldMessages().append(qFormatLogMessage(type, context, message));
    if (type != QtFatalMsg)
        return;
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    CannotOpen(platform.isEmpty()
                   ? QStringLiteral("Qt could not start a window system")
                   : QStringLiteral("Qt could not start the window system \"%1\"").arg(platform));
}

// Why the windows could not be painted: a window system that offers no screen, or a screen
// of a kind Qt cannot draw on (8 bits a pixel) would give black windows and a flood of
// warnings. A window that is never shown is painted to find out.
QString UnpaintableReason() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return QStringLiteral("the window system offers no screen");
    QWindow probe;
    probe.resize(1, 1);
    probe.create();
    QBackingStore store(&probe);
    store.resize(QSize(1, 1));
    store.beginPaint(QRegion(0, 0, 1, 1));
    const bool paints = store.paintDevice() && store.paintDevice()->paintEngine();
    store.endPaint();
    if (paints)
        return {};
    if (screen->depth() < 16)
        return QStringLiteral("the screen has %1 bits a pixel; the game needs 16 or more")
            .arg(screen->depth());
    return QStringLiteral("Qt cannot paint on this screen");
}

// A Wayland platform named without X beside it: when Qt lacks its Wayland plugin, an X
// server there (XWayland) serves as well.
void AllowX() {
    const std::string platform = Variable("QT_QPA_PLATFORM");
    if (Contains(platform, "wayland") && !Contains(platform, "xcb") && XAnswers())
        qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(platform + ";xcb"));
}

}  // namespace

void PrepareWindowSystem() {
    // The move value rises in many small repaints, each followed by a pause, with no events
    // pumped. Through X's shared memory each repaint waits until the X server has read the
    // previous image before Qt draws into it again; a small image sent inline with the
    // request does not wait. It still reaches the screen before the pause: Qt flushes the
    // connection after each repaint.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
}

std::unique_ptr<QApplication> OpenWindowSystem(int& argc, char** argv) {
    PrepareWindowSystem();
    AllowX();
    // Asked before Qt connects: without a display Qt would abort.
    if (const std::string reason = NoDisplayReason(); !reason.empty()) {
        std::fprintf(stderr, "zam: no display could be opened: %s\n", reason.c_str());
        return nullptr;
    }
    const QtMessageHandler previous = qInstallMessageHandler(HoldBack);
    auto app = std::make_unique<QApplication>(argc, argv);
    const QString unpaintable = UnpaintableReason();
    qInstallMessageHandler(previous);
    if (!unpaintable.isEmpty()) {
        // Qt says why it found no screen; on a screen it cannot paint it only complains of the paint.
        if (QGuiApplication::primaryScreen())
            HeldMessages().clear();
        CannotOpen(unpaintable);
    }
    for (const QString& said : std::exchange(HeldMessages(), {}))
        std::fprintf(stderr, "%s\n", qPrintable(said));
    return app;
}

std::string NoDisplayReason() {
    std::string platform = Variable("QT_QPA_PLATFORM");
    const bool named = !platform.empty();
    if (!named)
        platform = Variable("XDG_SESSION_TYPE") == "wayland" ? "wayland;xcb" : "xcb";
    if (!Contains(platform, "xcb") && !Contains(platform, "wayland"))
        return {};
    if (Contains(platform, "wayland") && WaylandAnswers(named))
        return {};
    if (Contains(platform, "xcb") && XAnswers())
        return {};
    const std::string display = Variable("DISPLAY");
    if (!Contains(platform, "xcb"))
        return "no Wayland compositor answers";
    return display.empty() ? "DISPLAY is not set" : "no X server answers at DISPLAY=" + display;
}

}  // namespace platform
