#pragma once
// The textual sequencer commands the music player speaks, carried out with
// SDL2_mixer (MIDI through FluidSynth). Understood, with the command words in
// any case:
//
//   open "<path>" type sequencer alias <name>   load the tune, positioned at its start
//   play <name>                                 play it once from its start, in the background
//   status <name> mode                          reply "playing" or "stopped"
//   close <name>                                stop and release the tune and the alias
//
// One tune is open at a time. The status follows the tune's own end, worked out
// from its tempo map and ticks, not FluidSynth's tail of several seconds.
// Loaded tunes are kept by path, so opening one again costs next to nothing.

#include <functional>
#include <string>
#include <vector>

namespace platform {

// The results SendString gives; 0 is success.
enum SequencerError : int {
    SequencerOk = 0,
    SequencerUnknownCommand = 1,  // not one of the four commands, or words missing or left over
    SequencerUnknownAlias = 2,    // no tune open under that name
    SequencerAliasInUse = 3,      // a tune is open already
    SequencerFileNotFound = 4,
    SequencerUnreadableFile = 5,  // not a complete MIDI file, or the synthesizer refused it
    SequencerNoDevice = 6,        // no audio device
    SequencerReplyTooSmall = 7,   // the reply was cut to fit the buffer
};

struct SequencerCalls {
    // Carries out one command. The reply is always a terminated string that fits in
    // reply_length characters (empty when the command gives none); reply may be null
    // when reply_length is 0.
    std::function<int(const std::string& command, char* reply, int reply_length)> send_string;
};

// The implementation in use; it starts out as the real one. Tests replace it to record the commands.
SequencerCalls& Sequencer();

int SendString(const std::string& command, char* reply, int reply_length);

// Loads tunes (paths as "open" names them) on a thread of its own and keeps them, so
// that opening them later costs next to nothing. A tune is never loaded twice: an
// "open" of one that is being loaded waits for it. Loading one takes the synthesizer
// 70-150 ms, and the first also reads the sound font: far too long for a window's
// thread to go without handling events. Does nothing without an audio device.
void PreloadTunes(std::vector<std::string> paths);

}  // namespace platform
