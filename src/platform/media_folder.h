#pragma once
// The tunes and effects are opened by their bare names from the current
// directory, so at start the program moves into the folder that holds them.

#include <filesystem>

namespace platform {

// The media folder for a program living in exe_dir: exe_dir itself when the media
// lie beside the executable (a build tree), otherwise ../share/zam relative to it
// (an installed copy), and exe_dir when neither holds them.
std::filesystem::path FindMediaFolder(const std::filesystem::path& exe_dir);

// Makes the media folder of the running executable the current directory.
void EnterMediaFolder();

}  // namespace platform
