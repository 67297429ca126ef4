#include "platform/window/display_check.h"

#include <cstdlib>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
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

}  // namespace

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
