#pragma once
// The one audio device that the music and the effects share. It is opened on
// first use, with SDL's audio subsystem only (Qt owns the windows), and closed
// when the program ends. Without a usable device every sound call fails at once.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace platform::audio {

// Opens the device and the mixer the first time; true while they are open. After a
// failure it answers false at once, without trying the device again.
bool Ready();
// True while the device is open, without trying to open it.
bool IsOpen();

// Frames the mixer has rendered since the device opened, advanced by the audio
// thread after every buffer: the clock the music status runs on.
std::int64_t FramesMixed();
// Frames the mixer renders at a time, the step by which FramesMixed advances.
int FramesPerBuffer();
// Frames per second of the open device (0 while closed).
int FrameRate();

// The mixer channel kept for the effects, so that an effect only ever cuts off another effect.
inline constexpr int EffectChannel = 0;

// Work to run just before the device closes: halting and freeing what was loaded for it.
void BeforeClose(std::function<void()> release);

// Stops every sound, frees what was loaded and closes the device; the next Ready()
// opens it again. Registered to run when the program ends.
void Close();

// What tells a loaded file from a changed one without reading it again.
struct FileStamp {
    std::uintmax_t size = 0;
    std::filesystem::file_time_type modified;
    bool operator==(const FileStamp&) const = default;
};

// The stamp of a regular file; nothing when the path names no such file.
std::optional<FileStamp> StampOf(const std::string& path);

}  // namespace platform::audio
