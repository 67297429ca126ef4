#include "platform/sound/audio_device.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

namespace platform::audio {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int Frequency = 44100;
constexpr int Channels = 2;
constexpr int BufferFrames = 1024;
constexpr int MixerChannels = 8;
// A device that mixes nothing for this long while it should play has lost its output.
constexpr auto StallLimit = std::chrono::milliseconds(1500);
// How often the sound thread looks whether the device may rest, while it is open.
constexpr auto RestCheck = std::chrono::milliseconds(250);
// A paused device still wakes its thread for every buffer; after this long a silent
// device is closed altogether, and opened again at the next sound.
constexpr auto RestClose = std::chrono::seconds(10);

// General MIDI instruments for FluidSynth, used when nobody named a sound font.
constexpr const char* SoundFonts[] = {"/usr/share/sounds/sf2/TimGM6mb.sf2",
                                      "/usr/share/sounds/sf2/default-GM.sf2"};

// Touched by the sound thread only, apart from the atomics.
struct Device {
    std::atomic<bool> open{false};
    bool paused = false;
    bool failed = false;  // the last try to open it failed
    bool said_failed = false;
    Clock::time_point last_try;
    Clock::time_point resumed;
    Clock::time_point paused_at;
    SDL_AudioDeviceID id = 0;
    std::atomic<int> frame_rate{0};
    std::mutex releases_mutex;
    std::vector<std::function<void()>> before_close;
    std::vector<std::function<void()>> after_open;
};

Device& State() {
    static auto* device = new Device;  // never destroyed: the audio thread may outlive statics
    return *device;
}

struct Queue {
    std::mutex mutex;
    std::condition_variable posted;
    std::deque<std::function<void()>> work;
    std::thread::id thread;
};

// Written by the audio thread, read by the sound thread.
std::atomic<std::int64_t> frames_mixed{0};
std::atomic<std::int64_t> last_mix_ms{0};
std::atomic<int> bytes_per_frame{4};
std::atomic<bool> music_sounds{false};

std::int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count();
}

void CountMixedFrames(void*, Uint8*, int length) {
    frames_mixed += length / bytes_per_frame.load();
    last_mix_ms = NowMs();
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
    const int frame_bytes = SDL_AUDIO_BITSIZE(format) / 8 * channels;
    bytes_per_frame = frame_bytes > 0 ? frame_bytes : 4;
    Mix_AllocateChannels(MixerChannels);
    // Channels picked freely never land on the effects' own channel.
    Mix_ReserveChannels(EffectChannel + 1);
    Mix_SetPostMix(CountMixedFrames, nullptr);
    // SDL_mixer keeps its device's number to itself; it is the one device this process opened,
    // and SDL numbers the first one 2. An output that failed at once already counts as stopped.
    device.id = 2;
    for (SDL_AudioDeviceID id = 2; id < 16; ++id)
        if (SDL_GetAudioDeviceStatus(id) != SDL_AUDIO_STOPPED) {
            device.id = id;
            break;
        }
    device.paused = false;
    device.resumed = Clock::now();
    return true;
}

// Closes the device. Resting keeps what was loaded for it (the synthesizer above all,
// whose sound font takes long to read) for when it opens again.
void CloseNow(bool resting) {
    Device& device = State();
    if (!device.open)
        return;
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
    if (resting) {
        Mix_HookMusic(nullptr, nullptr);
    } else {
        std::vector<std::function<void()>> releases;
        {
            std::lock_guard lock(device.releases_mutex);
            releases = device.before_close;
        }
        for (auto& release : releases)
            release();
    }
    Mix_SetPostMix(nullptr, nullptr);
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    device.open = false;
    device.frame_rate = resting ? device.frame_rate.load() : 0;
    music_sounds = false;
}

void CloseNow() {
    CloseNow(false);
}

// A device that should be playing but has mixed nothing for a long while: its output
// is gone (a full disk under the disk driver, a sound card unplugged).
bool OutputFailed(const Device& device) {
    if (device.id != 0 && SDL_GetAudioDeviceStatus(device.id) == SDL_AUDIO_STOPPED)
        return true;
    if (device.paused)
        return false;
    const auto since = std::max<std::int64_t>(
        last_mix_ms,
        std::chrono::duration_cast<std::chrono::milliseconds>(device.resumed.time_since_epoch()).count());
    return NowMs() - since > StallLimit.count();
}

bool OpenWhenDue(Device& device) {
    const auto now = Clock::now();
    if (device.failed && now - device.last_try < RetryInterval())
        return false;
    device.last_try = now;
    device.failed = !Open(device);
    if (device.failed) {
        if (!device.said_failed)
            std::fprintf(stderr, "zam: playing without sound: %s\n", SDL_GetError());
        device.said_failed = true;
        return false;
    }
    device.open = true;
    std::vector<std::function<void()>> reopen;
    {
        std::lock_guard lock(device.releases_mutex);
        reopen = device.after_open;
    }
    for (auto& work : reopen)
        work();
    return true;
}

bool ReadyNow() {
    Device& device = State();
    if (device.open && OutputFailed(device)) {
        std::fprintf(stderr, "zam: the sound output stopped; opening it again\n");
        CloseNow();
    }
    if (!device.open && !OpenWhenDue(device))
        return false;
    if (device.paused) {
        SDL_PauseAudioDevice(device.id, 0);
        device.paused = false;
        device.resumed = Clock::now();
    }
    return true;
}

// Between works: a device with nothing to sound is paused, so that silence costs
// next to nothing, and after a while closed, so that it costs nothing.
void RestWhenSilent() {
    Device& device = State();
    if (!device.open || music_sounds || Mix_Playing(-1) > 0)
        return;
    if (!device.paused) {
        SDL_PauseAudioDevice(device.id, 1);
        device.paused = true;
        device.paused_at = Clock::now();
    } else if (Clock::now() - device.paused_at >= RestClose) {
        CloseNow(true);
    }
}

[[noreturn]] void SoundThread(Queue& queue) {
    std::unique_lock lock(queue.mutex);
    while (true) {
        if (queue.work.empty()) {
            if (State().open)
                queue.posted.wait_for(lock, RestCheck);
            else
                queue.posted.wait(lock);
        }
        if (queue.work.empty()) {
            lock.unlock();
            RestWhenSilent();
            lock.lock();
            continue;
        }
        auto work = std::move(queue.work.front());
        queue.work.pop_front();
        lock.unlock();
        work();
        lock.lock();
    }
}

Queue& SoundQueue() {
    static Queue* queue = [] {
        auto* made = new Queue;  // never destroyed: the thread runs until the process ends
        std::thread thread([made] { SoundThread(*made); });
        made->thread = thread.get_id();
        thread.detach();
        // Ending the program must also end the music, which plays on another thread; a
        // plain return from main (the tests) closes it too.
        std::atexit(Close);
        return made;
    }();
    return *queue;
}

}  // namespace

void Post(std::function<void()> work) {
    Queue& queue = SoundQueue();
    std::lock_guard lock(queue.mutex);
    queue.work.push_back(std::move(work));
    queue.posted.notify_one();
}

void Run(const std::function<void()>& work) {
    Queue& queue = SoundQueue();
    if (std::this_thread::get_id() == queue.thread) {
        work();
        return;
    }
    std::mutex mutex;
    std::condition_variable done_signal;
    bool done = false;
    Post([&] {
        work();
        std::lock_guard lock(mutex);
        done = true;
        done_signal.notify_one();
    });
    std::unique_lock lock(mutex);
    done_signal.wait(lock, [&] { return done; });
}

bool Ready() {
    bool ready = false;
    Run([&] { ready = ReadyNow(); });
    return ready;
}

bool IsOpen() {
    return State().open;
}

std::chrono::milliseconds& RetryInterval() {
    static std::chrono::milliseconds interval{3000};
    return interval;
}

void MusicSounds(bool sounding) {
    music_sounds = sounding;
}

std::int64_t FramesMixed() {
    return frames_mixed.load();
}

int FrameRate() {
    return State().frame_rate;
}

void BeforeClose(std::function<void()> release) {
    std::lock_guard lock(State().releases_mutex);
    State().before_close.push_back(std::move(release));
}

void AfterOpen(std::function<void()> work) {
    std::lock_guard lock(State().releases_mutex);
    State().after_open.push_back(std::move(work));
}

void Close() {
    Run([] { CloseNow(false); });
}

}  // namespace platform::audio
