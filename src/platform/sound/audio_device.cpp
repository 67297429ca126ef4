#include "platform/sound/audio_device.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <malloc.h>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "media/media_gate.h"
#include "platform/sound/stream_naming.h"
#include "platform/sound/synthesizer.h"

namespace platform::audio {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int Frequency = 44100;
// 46 ms: an effect sounds at once, and a sound server need not run faster than it would without us.
constexpr int BufferFrames = 2048;
// The effects' own mixer channel, so that an effect only ever cuts off another effect.
constexpr int EffectChannel = 0;
// A device that mixes nothing for this long while it is open has lost its output.
constexpr auto StallLimit = 1500ms;

struct Worker {
    std::mutex queue_mutex;
    std::condition_variable posted;
    std::deque<Work> queue;
    // The music, which the audio thread renders holding music_mutex; no SDL call is made under it.
    std::mutex music_mutex;
    Synthesizer synth;
    std::string path;  // of the tune played, for FluidSynth's complaints about it
    fluid_player_t* player = nullptr;
    std::uint64_t player_step = 0;
    bool tune_over = false;  // the player's clock has passed the tune's last tick
    bool resting = true;     // neither a tune nor its last notes sound
    Loudness loudness;
    std::future<Synthesizer> loading;
    std::uint64_t waiting_play = 0;  // a play that waits for the synthesizer or for an output
    std::uint64_t last_step = 0;     // of the opens and plays done
    std::vector<std::uint8_t> tune;  // as read; empty when it cannot play
    Mix_Chunk* effect = nullptr;
    bool open = false, failed = false, said_failed = false;
    SDL_AudioDeviceID id = 0;
    Clock::time_point last_try, opened, sounded, awake_until;
};

[[noreturn]] void Run(Worker& worker);

Worker& State() {
    static Worker* worker = [] {  // never destroyed: the worker and the audio thread outlive statics
        auto* made = new Worker;
        std::thread([made] { Run(*made); }).detach();
        // Ending the program (or a plain return from main) must also end the music on its thread.
        std::atexit([] { Close(true); });
        return made;
    }();
    return *worker;
}

std::atomic<Clock::rep> last_mix{0};  // when the audio thread mixed its last buffer

void MarkEnded(std::uint64_t step) {  // under the music's mutex, which every writer holds
    if (tunes.ended < step)
        tunes.ended = step;
}

void StartLoading(Worker& worker) {
    if (worker.loading.valid() || worker.synth || tunes.no_synthesizer)
        return;
    // FluidSynth speaks of the tune only under the music's mutex.
    worker.loading = LoadSynthesizer([](const char* message) { media::Refuse(State().path, message); });
}
// Where the tune's own clock stands, not FluidSynth's status, which lingers after the last note.
bool StillSounds(Worker& music) {
    if (!music.player)
        return false;
    // Before FluidSynth has read the tune it has no ticks: it is on its way.
    const int total = fluid_player_get_total_ticks(music.player);
    music.tune_over |= fluid_player_get_status(music.player) != FLUID_PLAYER_PLAYING ||
                       (total > 0 && fluid_player_get_current_tick(music.player) >= total);
    if (music.tune_over)
        MarkEnded(music.player_step);
    return !music.tune_over;
}

// The music's part of each buffer the audio thread mixes; the effects are mixed in after it.
void SDLCALL Render(void*, Uint8* stream, int length) {
    Worker& music = State();
    std::lock_guard lock(music.music_mutex);
    if (!music.synth || music.resting)
        return;
    // Once the tune and its last notes have ended, the synthesizer rests and so may the device.
    music.resting = !StillSounds(music) && fluid_synth_get_active_voice_count(music.synth.get()) == 0;
    if (music.resting)
        return;
    music.loudness.Render(music.synth.get(), reinterpret_cast<std::int16_t*>(stream), length / 4);
    // The first buffer after a start may read the tune; the clock then knows its end.
    StillSounds(music);
}

// A tune stopped because its output went has not ended: it plays again where one is found.
void StopPlayer(Worker& music, bool ended = true) {
    music.waiting_play = 0;
    if (!music.player)
        return;
    fluid_player_stop(music.player);
    delete_fluid_player(music.player);
    music.player = nullptr;
    if (ended)
        MarkEnded(music.player_step);
    fluid_synth_all_sounds_off(music.synth.get(), -1);
}

// With the synthesizer ready; FluidSynth keeps a copy of the tune, which it reads on the audio thread.
void StartPlayer(Worker& music, std::uint64_t step) {
    fluid_player_t* player = new_fluid_player(music.synth.get());
    if (player && (fluid_player_add_mem(player, music.tune.data(), music.tune.size()) != FLUID_OK ||
                   fluid_player_play(player) != FLUID_OK)) {
        delete_fluid_player(player);
        player = nullptr;
    }
    if (!player)
        return MarkEnded(step);
    music.player = player;
    music.player_step = step;
    music.tune_over = music.resting = false;
    music.loudness.Restart();
}

// SDL's audio stays up while the device rests, so that the next sound opens it at once; a failure takes
// it down, so that the next try finds a sound server anew.
bool OpenDevice(Worker& worker) {
    PrepareOutput();
    if (!SDL_WasInit(SDL_INIT_AUDIO) && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    if (Mix_OpenAudioDevice(Frequency, AUDIO_S16SYS, 2, BufferFrames, nullptr, 0) != 0) {
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    // Of SDL_mixer's 8 channels, those picked freely never land on the effects' own.
    Mix_ReserveChannels(EffectChannel + 1);
    Mix_HookMusic(Render, nullptr);
    Mix_SetPostMix([](void*, Uint8*, int) { last_mix = Clock::now().time_since_epoch().count(); }, nullptr);
    // SDL_mixer keeps its device's number to itself: the one this process opened, numbered from 2.
    worker.id = 2;
    for (SDL_AudioDeviceID id = 15; id >= 2; --id)
        if (SDL_GetAudioDeviceStatus(id) != SDL_AUDIO_STOPPED)
            worker.id = id;
    worker.opened = worker.sounded = Clock::now();
    return true;
}

void HaltEffect(Worker& worker) {
    if (!worker.open)
        return;
    Mix_HaltChannel(EffectChannel);
    Mix_FreeChunk(worker.effect);
    worker.effect = nullptr;
}

// Closes the device, and SDL's audio unless it only rests; the synthesizer and the tune read are kept.
void CloseDevice(Worker& worker, bool resting) {
    if (!worker.open)
        return;
    HaltEffect(worker);
    {
        std::lock_guard lock(worker.music_mutex);
        StopPlayer(worker, false);  // a resting tune has ended, one whose output went has not
        worker.resting = true;
    }
    Mix_CloseAudio();
    if (!resting) {
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    worker.open = false;
}

// Opens the device when it is closed and may be tried, and tells whether it is open.
bool Ready(Worker& worker) {
    if (worker.open || (worker.failed && Clock::now() - worker.last_try < RetryInterval()))
        return worker.open;
    worker.last_try = Clock::now();
    const bool was_up = SDL_WasInit(SDL_INIT_AUDIO) != 0;  // the sound server may have gone since
    worker.open = OpenDevice(worker) || (was_up && OpenDevice(worker));
    worker.failed = !worker.open;
    if (worker.failed && !worker.said_failed)
        std::fprintf(stderr, "zam: playing without sound: %s\n", SDL_GetError());
    worker.said_failed |= worker.failed;
    return worker.open;
}

// A stopped device, or one that mixes nothing, lost its output (a card unplugged, the sound server gone);
// the tune in play then waits for an output again, to start afresh.
void WatchOutput(Worker& worker) {
    const Clock::time_point mixed{Clock::duration{last_mix.load()}};
    if (!worker.open || (SDL_GetAudioDeviceStatus(worker.id) != SDL_AUDIO_STOPPED &&
                         Clock::now() - std::max(mixed, worker.opened) <= StallLimit))
        return;
    std::fprintf(stderr, "zam: the sound output stopped; opening it again\n");
    std::unique_lock lock(worker.music_mutex);
    const std::uint64_t in_play =
        worker.player && !worker.tune_over ? worker.player_step : worker.waiting_play;
    lock.unlock();
    CloseDevice(worker, false);
    worker.waiting_play = in_play;
}

void PlayEffectNow(Worker& worker, const std::string& path) {
    // Even a file that cannot play cuts off the effect before it; each is read afresh, as it is now.
    HaltEffect(worker);
    auto bytes = path.empty() ? std::nullopt : media::Read(path, media::Kind::Effect);
    if (!bytes || !Ready(worker))
        return;
    SDL_RWops* source = SDL_RWFromConstMem(bytes->data(), static_cast<int>(bytes->size()));
    worker.effect = source ? Mix_LoadWAV_RW(source, 1) : nullptr;
    if (worker.effect)
        Mix_PlayChannel(EffectChannel, worker.effect, 0);
    else
        media::Refuse(path, SDL_GetError());
}

void OpenTuneNow(Worker& worker, const OpenTune& open) {
    auto bytes = media::Read(open.path, media::Kind::Tune);
    std::lock_guard lock(worker.music_mutex);
    StopPlayer(worker);
    worker.path = open.path;
    worker.last_step = open.step;
    worker.tune = bytes ? std::move(*bytes) : std::vector<std::uint8_t>{};
}

// A play waits for an output and the synthesizer (see StartWaiting).
void PlayTuneNow(Worker& worker, std::uint64_t step) {
    std::lock_guard lock(worker.music_mutex);
    StopPlayer(worker);
    worker.last_step = step;
    if (worker.tune.empty() || tunes.no_synthesizer)
        MarkEnded(step);
    else
        worker.waiting_play = step;
}

// Looks, without waiting, whether the synthesizer is made.
void PollSynthesizer(Worker& worker) {
    if (!worker.loading.valid() || worker.loading.wait_for(0s) != std::future_status::ready)
        return;
    Synthesizer made = worker.loading.get();
    malloc_trim(0);  // what reading the sound font took and gave back
    tunes.no_synthesizer = !made;
    std::lock_guard lock(worker.music_mutex);
    worker.synth = std::move(made);
    if (!worker.synth)
        MarkEnded(std::exchange(worker.waiting_play, 0));
}

// The play that waits starts once there is an output (tried again now and then) and a synthesizer.
void StartWaiting(Worker& worker) {
    if (!worker.waiting_play || !Ready(worker))
        return;
    StartLoading(worker);
    LoadPresets(worker.synth.get(), worker.tune);  // the tune's instruments, outside the audio thread's lock
    std::lock_guard lock(worker.music_mutex);
    if (worker.synth)
        StartPlayer(worker, std::exchange(worker.waiting_play, 0));
}

// With nothing to do: a device silent for a while rests, so that silence costs the sound server nothing.
void RestWhenSilent(Worker& worker) {
    std::unique_lock lock(worker.music_mutex);
    const bool silent = worker.resting && !worker.waiting_play;
    lock.unlock();
    if (!worker.open || !silent || Mix_Playing(-1) > 0)
        worker.sounded = Clock::now();
    else if (Clock::now() - worker.sounded >= RestAfter() && Clock::now() >= worker.awake_until)
        CloseDevice(worker, true);
}

// The device closes and the synthesizer goes; one still being made is left to its loader, which frees it.
void ShutNow(Worker& worker, bool exiting) {
    CloseDevice(worker, false);
    if (SDL_WasInit(SDL_INIT_AUDIO))
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    std::lock_guard lock(worker.music_mutex);
    StopPlayer(worker);
    MarkEnded(worker.last_step);
    if (!exiting)
        worker.synth = nullptr;
    worker.loading = {};
    worker.tune = {};
    tunes.no_synthesizer = false;
    tunes.dropped = worker.last_step;
}

void Do(Worker& worker, Work& work) {
    if (auto* shut = std::get_if<Shut>(&work)) {
        ShutNow(worker, shut->exiting);
        shut->done->set_value();
    } else if (auto* open = std::get_if<OpenTune>(&work)) {
        OpenTuneNow(worker, *open);
    } else if (auto* play = std::get_if<PlayTune>(&work)) {
        PlayTuneNow(worker, play->step);
    } else if (auto* effect = std::get_if<PlayEffect>(&work)) {
        PlayEffectNow(worker, effect->path);
    } else if (std::holds_alternative<CloseTune>(work)) {
        std::lock_guard lock(worker.music_mutex);
        StopPlayer(worker);
        worker.tune = {};
    } else if (std::holds_alternative<Wake>(work)) {
        worker.awake_until = Ready(worker) ? Clock::now() + AwakeFor() : worker.awake_until;
    } else if (Ready(worker)) {
        StartLoading(worker);
    }
}

[[noreturn]] void Run(Worker& worker) {
    std::unique_lock lock(worker.queue_mutex);
    while (true) {
        // Awake now and then while a sound font is read, a play waits, or the device may lose its output.
        if (worker.queue.empty() && (worker.loading.valid() || worker.open || worker.waiting_play))
            worker.posted.wait_for(lock, worker.loading.valid() ? 20ms : 250ms);
        else if (worker.queue.empty())
            worker.posted.wait(lock);
        std::optional<Work> job;
        if (!worker.queue.empty())
            job = std::move(worker.queue.front()), worker.queue.pop_front();
        lock.unlock();
        WatchOutput(worker);
        if (job)
            Do(worker, *job);
        PollSynthesizer(worker);
        StartWaiting(worker);
        if (!job)
            RestWhenSilent(worker);
        lock.lock();
    }
}

}  // namespace

Tunes tunes;

void Post(Work work) {
    Worker& worker = State();
    std::lock_guard lock(worker.queue_mutex);
    worker.queue.push_back(std::move(work));
    worker.posted.notify_one();
}

std::chrono::milliseconds& RetryInterval() {
    static std::chrono::milliseconds interval{1000};
    return interval;
}

std::chrono::milliseconds& RestAfter() {
    // An open stream keeps the sound server busy even while it plays silence.
    static std::chrono::milliseconds after{1000};
    return after;
}

std::chrono::milliseconds& AwakeFor() {
    // Most players move a chosen piece within two seconds.
    static std::chrono::milliseconds awake{2000};
    return awake;
}

void Close(bool exiting) {
    StopLoadingPresets();
    std::promise<void> done;
    Post(Shut{&done, exiting});
    done.get_future().wait();
}

}  // namespace platform::audio
