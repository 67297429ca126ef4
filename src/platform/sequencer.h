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
//
// One FluidSynth synthesizer plays every tune, mixed in by SDL_mixer as its music.
// Making it reads the sound font, which takes a tenth of a second or more: far
// too long for a window's thread to go without handling events. So it is made on
// a thread of its own, at the first "open" if PrepareSynthesizer has not started
// it before; a "play" that comes sooner starts the tune as soon as it is ready,
// and meanwhile the status is "playing".

#include <functional>
#include <string>
#include <vector>

namespace platform {

// The results SendString gives; 0 is success.
enum SequencerError : int {
    SequencerOk = 0,
    SequencerUnknownCommand = 1, // not one of the four commands, or words missing or left over
    SequencerUnknownAlias = 2,   // no tune open under that name
    SequencerAliasInUse = 3,     // a tune is open already
    SequencerFileNotFound = 4,
    SequencerUnreadableFile = 5, // not a complete MIDI file, or the synthesizer refused it
    SequencerNoDevice = 6,       // no audio device
    SequencerReplyTooSmall = 7,  // the reply was cut to fit the buffer
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

// Starts making the synthesizer in the background, ahead of the first tune. Does
// nothing without an audio device.
void PrepareSynthesizer();

} // namespace platform
