#pragma once
// The textual sequencer commands the music player speaks, carried out with
// SDL2_mixer (MIDI through FluidSynth). Understood in exactly these shapes, one
// blank between the words, the words and the alias in any case:
//
//   open "<path>" type sequencer alias <name>   load the tune, positioned at its start
//   play <name>                                 play it once from its start, in the background
//   status <name> mode                          reply "playing" or "stopped"
//   close <name>                                stop and release the tune and the alias
//
// One tune is open at a time. The status follows FluidSynth's own clock: "playing"
// while the tune's current tick is below its last, or while it is still on its way
// to the synthesizer; not FluidSynth's status, which stays "playing" for seconds
// after the last note.
//
// The commands only pass the tune's header through the media gate and hand the rest
// to the sound thread, so each returns at once: reading the file, making the one
// FluidSynth synthesizer (which reads the sound font) and starting the tune all
// happen there, and FluidSynth reads the tune inside the audio thread, under no
// lock that the window's thread takes. The path of "open" is whatever lies between
// the first double quote and the last one before " type sequencer", so any byte
// of a folder's name, a quote too, is part of it.

#include <functional>
#include <string>
#include <vector>

namespace platform {

// The results SendString gives; 0 is success.
enum SequencerError : int {
    SequencerOk = 0,
    SequencerUnknownCommand = 1,  // not one of the four shapes
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

// Starts making the synthesizer in the background, ahead of the first tune. Does
// nothing without an audio device. Returns at once.
void PrepareSynthesizer();

}  // namespace platform
