#include "media/media_folder.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "media/media_gate.h"

namespace media {
namespace {

// Any of the media files tells the folder apart; the game tune is always there.
constexpr const char* MediaMarker = "zaming.mid";
constexpr const char* Candidates[] = {".", "../share/zam", "../share/games/zam"};

// The media folder by its full path, once entered.
std::string& Entered() {
    static std::string entered;
    return entered;
}

bool HoldsMedia(const char* folder) {
    struct stat about {};
    const std::string marker = std::string(folder) + "/" + MediaMarker;
    return ::stat(marker.c_str(), &about) == 0 && S_ISREG(about.st_mode);
}

bool Enter(const std::string& folder) {
    const int fd = OpenByBytes(folder, O_PATH | O_DIRECTORY);
    if (fd < 0)
        return false;
    const bool entered = ::fchdir(fd) == 0;
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return entered;
}

// A folder made and removed at once: nothing can be opened from it.
void EnterNowhere() {
    std::string name = "/tmp/zam-no-media-XXXXXX";
    if (::mkdtemp(name.data()) && ::chdir(name.c_str()) == 0) {
        ::rmdir(name.c_str());
        return;
    }
    if (::chdir("/proc/self/fdinfo") != 0)
        std::fprintf(stderr, "zam: nowhere to go in place of the media folder: %s\n", std::strerror(errno));
}

}  // namespace

std::string ExecutableFolder(const char* argv0) {
    std::vector<char> path(PATH_MAX);
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    std::string exe = length > 0 && static_cast<std::size_t>(length) < path.size()
                          ? std::string(path.data(), static_cast<std::size_t>(length))
                          : std::string(argv0 && std::strchr(argv0, '/') ? argv0 : "");
    const std::size_t slash = exe.rfind('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? "/" : exe.substr(0, slash);
}

bool EnterMediaFolder(const std::string& exe_dir) {
    if (exe_dir.empty() || !Enter(exe_dir)) {
        std::fprintf(stderr, "zam: cannot enter the media folder %s: %s; playing without sound\n",
                     exe_dir.c_str(),
                     exe_dir.empty() ? "the program's folder is unknown" : std::strerror(errno));
        EnterNowhere();
        return false;
    }
    for (const std::string folder : Candidates) {
        if (HoldsMedia(folder.c_str()) && ::chdir(folder.c_str()) == 0) {
            Entered() = folder == "." ? exe_dir : exe_dir + "/" + folder;
            return true;
        }
    }
    return false;
}

const std::string& MediaFolder() {
    return Entered();
}

void ReturnToMediaFolder() {
    // A folder removed while it is the current directory stays so, with no links left.
    struct stat here {};
    if (Entered().empty() || (::stat(".", &here) == 0 && here.st_nlink > 0))
        return;
    const int fd = OpenByBytes(Entered(), O_PATH | O_DIRECTORY);
    if (fd >= 0 && ::fchdir(fd) != 0)
        std::fprintf(stderr, "zam: cannot enter the media folder %s again: %s\n", Entered().c_str(),
                     std::strerror(errno));
    if (fd >= 0)
        ::close(fd);
}

}  // namespace media
