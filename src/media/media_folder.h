#pragma once
// The tunes and effects are opened by their bare names from the current
// directory, so at start the program moves into the folder that holds them. Folders
// are named by their bytes: any name, of any length, is entered as it is.

#include <string>

namespace media {

// The folder of the running executable; empty when it cannot be told. argv0 serves
// when the system cannot give the executable's path (one longer than it hands back).
std::string ExecutableFolder(const char* argv0);

// Enters exe_dir, then the first of itself, ../share/zam and ../share/games/zam (an
// installed copy, the latter as Debian lays out games) that holds the media, and
// tells whether one did. When exe_dir cannot be entered, the program moves to an
// empty place instead: the files of the folder it was started from are never played
// in place of its own.
bool EnterMediaFolder(const std::string& exe_dir);

// The folder EnterMediaFolder entered, by its full path; empty when it entered none.
const std::string& MediaFolder();

// Enters the media folder again when the current directory was removed and a folder lies
// at the media folder's path once more, so that what was put back is played. Until then
// the program stays where it is, in a folder that is gone: silence.
void ReturnToMediaFolder();

}  // namespace media
