#pragma once
// The textual sequencer commands the music player speaks, carried out by the sound
// worker with SDL2_mixer and FluidSynth. Understood in exactly these shapes, one blank
// between the words, the words and the alias in any case:
//
//   open "<path>" type sequencer alias <name>   load the tune, positioned at its start
//   play <name>                                 play it once from its start, in the background
//   status <name> mode                          reply "playing" or "stopped"
//   close <name>                                stop and release the tune and the alias
//
// One tune is open at a time. The path of "open" is whatever lies between the first
// double quote and the last one before " type sequencer", so any byte of a folder's
// name, a quote too, is part of it. Every command returns at once: the file is read,
// and refused or played, on the worker. The status follows FluidSynth's own clock:
// "playing" while the tune's current tick is below its last, or while it is still on
// its way (a file that turns out unplayable is "stopped" once the worker has read it).

#include <functional>
#include <string>

namespace platform {

struct SequencerCalls {
    // Carries out one command: 0 for success. The reply is always a terminated string that fits in
    // reply_length characters (empty when the command gives none); reply may be null when it is 0.
    std::function<int(const std::string& command, char* reply, int reply_length)> send_string;
};

// The implementation in use; it starts out as the real one. Tests replace it to record the commands.
SequencerCalls& Sequencer();

int SendString(const std::string& command, char* reply, int reply_length);

// Starts making the synthesizer in the background, ahead of the first tune. Returns at once.
void PrepareSynthesizer();

}  // namespace platform
