#include "platform/media_folder.h"

#include <QCoreApplication>
#include <cstdio>
#include <system_error>

namespace platform {
namespace {

// Any of the media files tells the folder apart; the game tune is always there.
constexpr const char* MediaMarker = "zaming.mid";

bool HoldsMedia(const std::filesystem::path& folder) {
    std::error_code error;
    return std::filesystem::is_regular_file(folder / MediaMarker, error);
}

}  // namespace

std::filesystem::path FindMediaFolder(const std::filesystem::path& exe_dir) {
    if (HoldsMedia(exe_dir))
        return exe_dir;
    // An installed copy: share/zam beside bin/, or Debian's games layout (/usr/games
    // with its data in /usr/share/games/zam).
    for (const char* below : {"zam", "games/zam"}) {
        std::filesystem::path installed = exe_dir / ".." / "share" / below;
        if (HoldsMedia(installed))
            return installed.lexically_normal();
    }
    return exe_dir;
}

void EnterMediaFolder() {
    std::filesystem::path exe_dir = QCoreApplication::applicationDirPath().toStdString();
    std::filesystem::path folder = FindMediaFolder(exe_dir);
    std::error_code error;
    std::filesystem::current_path(folder, error);
    if (error)
        std::fprintf(stderr, "zam: cannot enter the media folder %s: %s\n", folder.c_str(), error.message().c_str());
}

}  // namespace platform
