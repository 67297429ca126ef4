#pragma once
// The one audio device that the music and the effects share, and the sound thread
// that alone drives it. Opening a device, loading a file and halting a sound may
// each wait for the audio thread, which may be busy for a long moment (FluidSynth
// reads a tune inside it), so the window's thread only hands work to the sound
// thread and never waits for it.
//
// The device is opened at the first sound, with SDL's audio subsystem only (Qt owns
// the windows). Without one, or after its output failed, it is tried again at the
// next sound, at most once every RetryInterval. While nothing sounds it is paused, and
// after a while of silence closed until the next sound.

#include <chrono>
#include <cstdint>
#include <functional>

namespace platform::audio {

// Hands work to the sound thread, which runs it after everything handed to it before.
void Post(std::function<void()> work);
// Runs work on the sound thread and waits until it has run (at once on that thread).
void Run(const std::function<void()>& work);

// Opens the device (and the mixer) when it is closed and may be tried, resumes it when
// paused, and tells whether it is open. On the sound thread; from any other it waits.
bool Ready();
// True while the device is open, without trying to open it.
bool IsOpen();

// How long a device that could not be opened, or whose output failed, is left alone.
std::chrono::milliseconds& RetryInterval();

// The music tells the sound thread whether it still sounds; the device pauses once
// neither the music nor an effect does.
void MusicSounds(bool sounding);

// Frames the mixer has rendered since the device opened, advanced by the audio
// thread after every buffer (not while the device is paused).
std::int64_t FramesMixed();
// Frames per second of the open device (0 while closed).
int FrameRate();

// The mixer channel kept for the effects, so that an effect only ever cuts off another effect.
inline constexpr int EffectChannel = 0;

// Work for the sound thread to run just before the device closes: halting and freeing
// what was loaded for it.
void BeforeClose(std::function<void()> release);

// Work for the sound thread to run each time the device has opened (again after a rest).
void AfterOpen(std::function<void()> work);

// Stops every sound, frees what was loaded and closes the device; the next sound
// opens it again. Registered to run when the program ends.
void Close();

}  // namespace platform::audio
