#include "platform/audio_device.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <vector>

#include "platform/kernel.h"

namespace platform::audio {
namespace {

constexpr int Frequency = 44100;
constexpr int Channels = 2;
constexpr int BufferFrames = 1024;
constexpr int MixerChannels = 8;

// General MIDI instruments for FluidSynth, used when nobody named a sound font.
constexpr const char* SoundFonts[] = {"/usr/share/sounds/sf2/TimGM6mb.sf2",
                                      "/usr/share/sounds/sf2/default-GM.sf2"};

struct Device {
    // Read without the lock by whoever asks IsOpen(); written only under it.
    std::atomic<bool> open{false};
    bool failed = false;
    bool registered_at_end = false;
    int frame_rate = 0;
    int bytes_per_frame = 4;
    std::vector<std::function<void()>> before_close;
};

Device& State() {
    static Device device;
    return device;
}

// The tunes are loaded ahead on a thread of their own, which may be the first to open
// the device: opening and closing take turns.
std::mutex& DeviceMutex() {
    static std::mutex mutex;
    return mutex;
}

// Written by the audio thread, read by the user-interface thread.
std::atomic<std::int64_t> frames_mixed{0};
std::atomic<int> frames_per_buffer{BufferFrames};
std::atomic<int> bytes_per_frame{4};

void CountMixedFrames(void*, Uint8*, int length) {
    const int frames = length / bytes_per_frame.load();
    frames_per_buffer = frames;
    frames_mixed += frames;
}

void ChooseSoundFont() {
    if (Mix_GetSoundFonts() != nullptr)
        return;
    std::error_code error;
    for (const char* font : SoundFonts) {
        if (std::filesystem::is_regular_file(font, error)) {
            Mix_SetSoundFonts(font);
            return;
        }
    }
}

bool Open(Device& device) {
    // SDL would otherwise catch Ctrl+C and termination as events that only an SDL event loop reads,
    // and the program could no longer be stopped that way.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    ChooseSoundFont();
    if (Mix_OpenAudioDevice(Frequency, AUDIO_S16SYS, Channels, BufferFrames, nullptr, 0) != 0) {
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    int frequency = 0;
    Uint16 format = 0;
    int channels = 0;
    Mix_QuerySpec(&frequency, &format, &channels);
    device.frame_rate = frequency;
    device.bytes_per_frame = SDL_AUDIO_BITSIZE(format) / 8 * channels;
    bytes_per_frame = device.bytes_per_frame > 0 ? device.bytes_per_frame : 4;
    Mix_AllocateChannels(MixerChannels);
    // Channels picked freely never land on the effects' own channel.
    Mix_ReserveChannels(EffectChannel + 1);
    Mix_SetPostMix(CountMixedFrames, nullptr);
    return true;
}

}  // namespace

bool Ready() {
    std::lock_guard lock(DeviceMutex());
    Device& device = State();
    if (device.open || device.failed)
        return device.open;
    if (!Open(device)) {
        device.failed = true;
        std::fprintf(stderr, "zam: playing without sound: %s\n", SDL_GetError());
        return false;
    }
    device.open = true;
    if (!device.registered_at_end) {
        device.registered_at_end = true;
        // Ending the program must also end the music, which plays on another thread; a
        // plain return from main (the tests) closes it too.
        platform::AtEnd(Close);
        std::atexit(Close);
    }
    return true;
}

bool IsOpen() {
    return State().open;
}

std::int64_t FramesMixed() {
    return frames_mixed.load();
}

int FramesPerBuffer() {
    return frames_per_buffer.load();
}

int FrameRate() {
    return State().open ? State().frame_rate : 0;
}

void BeforeClose(std::function<void()> release) {
    std::lock_guard lock(DeviceMutex());
    State().before_close.push_back(std::move(release));
}

void Close() {
    Device& device = State();
    if (!device.open)
        return;
    std::vector<std::function<void()>> releases;
    {
        std::lock_guard lock(DeviceMutex());
        releases = device.before_close;
    }
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
    // Released without the device's lock: a tune's loader holds its own lock while it
    // asks for the device, and waiting for it here while holding this one would never end.
    for (auto& release : releases)
        release();
    std::lock_guard lock(DeviceMutex());
    if (!device.open)
        return;
    Mix_SetPostMix(nullptr, nullptr);
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    device.open = false;
    device.frame_rate = 0;
}

std::optional<FileStamp> StampOf(const std::string& path) {
    std::error_code error;
    if (path.empty() || !std::filesystem::is_regular_file(path, error))
        return std::nullopt;
    FileStamp stamp{std::filesystem::file_size(path, error), std::filesystem::last_write_time(path, error)};
    if (error)
        return std::nullopt;
    return stamp;
}

}  // namespace platform::audio
