#pragma once
// The sound worker: one thread alone owns the audio device, the synthesizer and the effect sounding,
// and does the work posted to it in order; opening a device, reading a file and halting a sound may
// wait for the audio thread, so the window's thread only posts work and reads where the tunes stand.
// The device opens at the first sound (SDL's audio only: Qt owns the windows). The worker watches it:
// when it stops or mixes nothing (its output or the sound server went), it is closed, and a tune in
// play waits, like any play without a device, for one to open again, tried at most once every
// RetryInterval; the tune then starts afresh. After RestAfter of silence, and no sooner than AwakeFor
// after a wake, the device closes (the next sound opens it again), keeping the synthesizer.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <future>
#include <string>
#include <variant>

namespace platform::audio {

struct OpenTune {  // reads the tune; `step` is the sequencer's count at the open
    std::string path;
    std::uint64_t step = 0;
};
struct PlayTune {  // plays the tune read last from its start; `step` ends when the tune does
    std::uint64_t step = 0;
};
struct CloseTune {};
struct PlayEffect {  // cuts off the effect still playing, then plays this one unless the path is empty
    std::string path;
};
struct Prepare {};  // starts making the synthesizer, ahead of the first tune
struct Wake {};     // opens the device, and keeps it open for AwakeFor, ahead of a likely effect
struct Shut {       // Close's own; at the program's end freeing the synthesizer would only delay it
    std::promise<void>* done;
    bool exiting;
};
using Work = std::variant<OpenTune, PlayTune, CloseTune, PlayEffect, Prepare, Wake, Shut>;

void Post(Work work);  // returns at once

// Where the tunes stand, written by the worker and the audio thread.
struct Tunes {
    std::atomic<std::uint64_t> ended{0};      // every play up to this step has ended
    std::atomic<std::uint64_t> dropped{0};    // every open up to this step went with the device
    std::atomic<bool> no_synthesizer{false};  // it could not be made (until the next Close)
};
extern Tunes tunes;

std::chrono::milliseconds& RetryInterval();
std::chrono::milliseconds& RestAfter();
std::chrono::milliseconds& AwakeFor();

// Once the work posted before is done: stops every sound, lets the tune and the synthesizer go and
// closes the device (the next sound opens it again), never waiting for a sound font being read.
// Registered to run when the program ends.
void Close(bool exiting = false);

}  // namespace platform::audio
