#include "sound/tx_midi.h"

#include <cctype>
#include <filesystem>
#include <utility>

#include "globals/globals.h"
#include "media/media_folder.h"
#include "platform/sound/sequencer.h"

namespace sound {
namespace {

constexpr int ReplyLength = 512;

// The full name of a file in the current directory. The separator is always inserted,
// so the root directory gives two in a row, which opens the file all the same. A current
// directory that was taken away has no name: the media folder's path stands in for it,
// never the empty name that would make the file one of the root directory.
std::string FullPath(const std::string& fileName) {
    media::ReturnToMediaFolder();
    std::error_code error;
    std::string directory = std::filesystem::current_path(error).string();
    if (error)
        directory = media::MediaFolder().empty() ? "." : media::MediaFolder();
    return directory + "/" + fileName;
}

std::string QuotedPath(const std::string& fileName) {
    return "\"" + FullPath(fileName) + "\"";
}

}  // namespace

void PlayMidi(const std::string& fileName) {
    if (globals::MusicOff != 0)
        return;
    const std::string path = QuotedPath(fileName);
    StopMidi();
    // Neither result is looked at: a file that fails to open leaves the music silent, and play is sent
    // regardless.
    char reply[ReplyLength] = {};
    platform::SendString("open " + path + " type sequencer alias Midi", reply, ReplyLength);
    platform::SendString("play Midi", reply, ReplyLength);
}

void StopMidi() {
    // Closing a device that is not open is harmless.
    char reply[1] = {};
    platform::SendString("close Midi", reply, 1);
}

platform::Boolean MidiIsPlaying() {
    char reply[ReplyLength] = {};
    platform::SendString("Status Midi mode", reply, ReplyLength);
    // A failed command leaves the cleared reply empty, which counts as not playing.
    return std::toupper(static_cast<unsigned char>(reply[0])) == 'P' ? platform::True : platform::False;
}

void KeepMidiPlaying() {
    if (globals::MusicOff != 0)
        return;
    if (!MidiIsPlaying())
        PlayMidi(globals::MidiFile);
}

void PrepareMidi() {
    platform::PrepareSynthesizer();
}

}  // namespace sound
