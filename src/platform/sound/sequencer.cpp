#include "platform/sound/sequencer.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <algorithm>
#include <atomic>
#include <cctype>
#include <condition_variable>
#include <cstring>
#include <fluidsynth.h>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>
#include <vector>

#include "media/media_gate.h"
#include "platform/sound/audio_device.h"

namespace platform {
namespace {

// FluidSynth's own gain is 0.2, which leaves the tunes far quieter than the effects.
constexpr float SynthGain = 1.2f;

// ---- The window's thread's side: what the commands said, and nothing that waits.

// Every open, play and close is one step; a tune played at step n has ended once
// `ended` reaches n. The sound and audio threads move `ended`, the window's thread the rest.
std::atomic<std::uint64_t> steps{0};
std::atomic<std::uint64_t> ended{0};
// Steps up to this one were undone by the device closing under them.
std::atomic<std::uint64_t> closed_by_device{0};
std::atomic<bool> synth_failed{false};

struct Commands {
    std::optional<std::string> alias;
    std::uint64_t opened_at = 0;
    std::uint64_t played_at = 0;  // 0 until played
};

Commands& Said() {
    static Commands commands;
    return commands;
}

void MarkEnded(std::uint64_t step) {
    std::uint64_t seen = ended.load();
    while (seen < step && !ended.compare_exchange_weak(seen, step)) {
    }
}

// ---- The sound thread's side, shared with the audio thread that renders the music.

enum class Synth { None, Starting, Ready, Failed };

struct Device {
    std::mutex mutex;                 // guards all of the below; the audio thread holds it while rendering
    std::condition_variable started;  // the synthesizer is ready or failed
    Synth state = Synth::None;
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    std::string path;
    std::vector<std::uint8_t> bytes;  // the tune as it was read; empty when it cannot play
    fluid_player_t* player = nullptr;
    std::uint64_t player_step = 0;
    bool tune_over = false;          // the player's clock has passed the tune's last tick
    std::uint64_t waiting_play = 0;  // a play that waits for the synthesizer
};

void ReleaseSynthesizer();
void RehookMusic();

Device& State() {
    static Device* device = [] {
        audio::BeforeClose(ReleaseSynthesizer);
        audio::AfterOpen(RehookMusic);
        return new Device;  // never destroyed: the audio thread may outlive static destruction
    }();
    return *device;
}

// FluidSynth's complaints about a tune name no file; the tune being read is the one.
std::mutex log_mutex;
std::string log_path;

void SynthesizerError(int, const char* message, void*) {
    std::lock_guard lock(log_mutex);
    media::Refuse(log_path.empty() ? "the synthesizer" : log_path, message ? message : "");
}

void QuietLog(int, const char*, void*) {}

// Under the device's mutex, on the audio thread: where the tune's own clock stands.
bool StillSounds(Device& device) {
    if (!device.player)
        return false;
    if (fluid_player_get_status(device.player) != FLUID_PLAYER_PLAYING) {
        device.tune_over = true;
    } else {
        // Before FluidSynth has read the tune, it has no ticks: it is on its way.
        const int total = fluid_player_get_total_ticks(device.player);
        if (total > 0 && fluid_player_get_current_tick(device.player) >= total)
            device.tune_over = true;
    }
    if (device.tune_over)
        MarkEnded(device.player_step);
    return !device.tune_over;
}

// The music's part of each buffer the audio thread mixes; the effects are mixed in after it.
void SDLCALL Render(void*, Uint8* stream, int length) {
    Device& device = State();
    std::lock_guard lock(device.mutex);
    if (device.state != Synth::Ready)
        return;
    const bool playing = StillSounds(device);
    // Once the tune and its last notes have ended, the synthesizer rests and so may the device.
    if (!playing && fluid_synth_get_active_voice_count(device.synth) == 0) {
        audio::MusicSounds(false);
        return;
    }
    const int frames = length / static_cast<int>(2 * sizeof(std::int16_t));
    fluid_synth_write_s16(device.synth, frames, stream, 0, 2, stream, 1, 2);
    // The first buffer after a start may read the tune; the clock then knows its end.
    StillSounds(device);
}

// Under the device's mutex, with the synthesizer ready.
void StartPlayer(Device& device, std::uint64_t step) {
    fluid_player_t* player = device.bytes.empty() ? nullptr : new_fluid_player(device.synth);
    if (player && (fluid_player_add_mem(player, device.bytes.data(), device.bytes.size()) != FLUID_OK ||
                   fluid_player_play(player) != FLUID_OK)) {
        delete_fluid_player(player);
        player = nullptr;
    }
    if (!player) {
        MarkEnded(step);
        return;
    }
    {
        std::lock_guard lock(log_mutex);
        log_path = device.path;
    }
    device.player = player;
    device.player_step = step;
    device.tune_over = false;
    audio::MusicSounds(true);
}

// Under the device's mutex: silences the tune at once.
void StopPlayer(Device& device) {
    device.waiting_play = 0;
    if (!device.player)
        return;
    fluid_player_stop(device.player);
    delete_fluid_player(device.player);
    device.player = nullptr;
    MarkEnded(device.player_step);
    fluid_synth_all_sounds_off(device.synth, -1);
}

// The sound fonts SDL_mixer was told of, or that SDL_SOUNDFONTS names, ';' between them.
std::vector<std::string> SoundFonts() {
    std::vector<std::string> fonts;
    const char* list = Mix_GetSoundFonts();
    std::string rest = list ? list : "";
    while (!rest.empty()) {
        const auto end = rest.find(';');
        if (end != 0)
            fonts.push_back(rest.substr(0, end));
        rest = end == std::string::npos ? "" : rest.substr(end + 1);
    }
    return fonts;
}

fluid_synth_t* NewSynthesizer(fluid_settings_t* settings, int frame_rate) {
    fluid_settings_setnum(settings, "synth.sample-rate", frame_rate);
    fluid_synth_t* synth = new_fluid_synth(settings);
    if (!synth)
        return nullptr;
    fluid_synth_set_gain(synth, SynthGain);
    int fonts = 0;
    for (const std::string& font : SoundFonts())
        fonts += fluid_synth_sfload(synth, font.c_str(), 1) != FLUID_FAILED;
    if (fonts > 0)
        return synth;
    std::fprintf(stderr, "zam: playing without music: no sound font could be read\n");
    delete_fluid_synth(synth);
    return nullptr;
}

// The synthesizer's own thread: makes it, then hands it to the audio thread.
void MakeSynthesizer(int frame_rate) {
    // FluidSynth's warnings about the sound font's oddities mean nothing to a player.
    fluid_set_log_function(FLUID_WARN, QuietLog, nullptr);
    fluid_set_log_function(FLUID_INFO, QuietLog, nullptr);
    fluid_set_log_function(FLUID_DBG, QuietLog, nullptr);
    fluid_set_log_function(FLUID_ERR, SynthesizerError, nullptr);
    fluid_set_log_function(FLUID_PANIC, SynthesizerError, nullptr);
    fluid_settings_t* settings = new_fluid_settings();
    fluid_synth_t* synth = settings ? NewSynthesizer(settings, frame_rate) : nullptr;
    if (!synth && settings) {
        delete_fluid_settings(settings);
        settings = nullptr;
    }
    if (synth)
        Mix_HookMusic(Render, nullptr);
    Device& device = State();
    bool started = false;
    {
        std::lock_guard lock(device.mutex);
        device.settings = settings;
        device.synth = synth;
        device.state = synth ? Synth::Ready : Synth::Failed;
        synth_failed = !synth;
        const std::uint64_t waiting = device.waiting_play;
        device.waiting_play = 0;
        started = waiting && synth;
        if (started)
            StartPlayer(device, waiting);
        MarkEnded(synth ? 0 : waiting);
        device.started.notify_all();
    }
    // The device may have rested while the sound font was read; only the sound thread
    // may wake it, and a tune that waited for the synthesizer must be heard.
    if (started)
        audio::Post([] { audio::Ready(); });
}

// On the sound thread, under the device's mutex.
void StartSynthesizer(Device& device) {
    if (device.state != Synth::None)
        return;
    device.state = Synth::Starting;
    std::thread([rate = audio::FrameRate()] {
        MakeSynthesizer(rate);
        // SDL keeps an error buffer for every thread that sets an error, and frees it only
        // for the threads it started itself.
        SDL_TLSCleanup();
    }).detach();
}

// On the sound thread, as the device opens again after a rest: the synthesizer kept meanwhile plays on it.
void RehookMusic() {
    bool ready = false;
    {
        std::lock_guard lock(State().mutex);
        ready = State().state == Synth::Ready;
    }
    if (ready)
        Mix_HookMusic(Render, nullptr);
}

// On the sound thread, as the device closes.
void ReleaseSynthesizer() {
    Device& device = State();
    {
        std::unique_lock lock(device.mutex);
        device.started.wait(lock, [&] { return device.state != Synth::Starting; });
    }
    // Outside the lock: unhooking waits for the audio thread, which takes the lock to render.
    Mix_HookMusic(nullptr, nullptr);
    std::lock_guard lock(device.mutex);
    StopPlayer(device);
    if (device.synth)
        delete_fluid_synth(device.synth);
    if (device.settings)
        delete_fluid_settings(device.settings);
    device.synth = nullptr;
    device.settings = nullptr;
    device.state = Synth::None;
    device.bytes.clear();
    synth_failed = false;
    // The tune open and playing went with the device.
    closed_by_device = steps.load();
    MarkEnded(closed_by_device);
}

// ---- The work the commands hand to the sound thread, in their order.

void LoadTune(const std::string& path) {
    auto bytes = media::Read(path, media::Kind::Tune);
    const bool device = audio::Ready();
    Device& state = State();
    std::lock_guard lock(state.mutex);
    StopPlayer(state);
    state.path = path;
    state.bytes = bytes && device ? std::move(*bytes) : std::vector<std::uint8_t>{};
    if (device)
        StartSynthesizer(state);
}

void PlayTune(std::uint64_t step) {
    const bool device = audio::Ready();
    Device& state = State();
    std::lock_guard lock(state.mutex);
    StopPlayer(state);
    if (!device || state.bytes.empty() || state.state == Synth::Failed || state.state == Synth::None)
        MarkEnded(step);
    else if (state.state == Synth::Starting)
        state.waiting_play = step;
    else
        StartPlayer(state, step);
}

void CloseTune() {
    Device& state = State();
    std::lock_guard lock(state.mutex);
    StopPlayer(state);
    state.bytes.clear();
    state.bytes.shrink_to_fit();
}

// ---- Reading the commands.

int Reply(const std::string& text, char* reply, int reply_length) {
    if (reply == nullptr || reply_length <= 0)
        return text.empty() ? SequencerOk : SequencerReplyTooSmall;
    std::size_t fits = std::min(text.size(), static_cast<std::size_t>(reply_length - 1));
    std::memcpy(reply, text.data(), fits);
    reply[fits] = '\0';
    return fits < text.size() ? SequencerReplyTooSmall : SequencerOk;
}

// An alias is one word.
bool IsName(std::string_view name) {
    return !name.empty() &&
           std::none_of(name.begin(), name.end(), [](unsigned char c) { return std::isspace(c); });
}

// The open tune under that alias (in lower case), or null; a tune the device took with it is gone.
Commands* Named(std::string_view alias) {
    Commands& said = Said();
    if (said.alias && said.opened_at <= closed_by_device)
        said = Commands{};
    return said.alias == alias ? &said : nullptr;
}

// open "<path>" type sequencer alias <name>
int Open(const std::string& command, std::string_view lower) {
    constexpr std::string_view Head = "open \"";
    constexpr std::string_view Tail = "\" type sequencer alias ";
    const std::size_t tail = lower.rfind(Tail);
    if (!lower.starts_with(Head) || tail == std::string_view::npos || tail < Head.size() ||
        !IsName(lower.substr(tail + Tail.size())))
        return SequencerUnknownCommand;
    Named("");
    if (Said().alias)
        return SequencerAliasInUse;
    const std::string path = command.substr(Head.size(), tail - Head.size());
    bool found = false;
    if (std::string fault = media::Check(path, media::Kind::Tune, &found); !fault.empty()) {
        media::Refuse(path, fault);
        return found ? SequencerUnreadableFile : SequencerFileNotFound;
    }
    if (synth_failed)
        return SequencerNoDevice;
    Said() = Commands{std::string(lower.substr(tail + Tail.size())), ++steps, 0};
    audio::Post([path] { LoadTune(path); });
    return SequencerOk;
}

int Play(Commands& said) {
    const std::uint64_t step = ++steps;
    said.played_at = step;  // a second "play" starts the tune again from its start
    audio::Post([step] { PlayTune(step); });
    return SequencerOk;
}

int Close(Commands& said) {
    said = Commands{};
    ++steps;
    audio::Post(CloseTune);
    return SequencerOk;
}

int RealSendString(const std::string& command, char* reply, int reply_length) {
    if (reply != nullptr && reply_length > 0)
        reply[0] = '\0';
    // The words and the alias count in any case, the path as it is.
    std::string lowered = command;
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const std::string_view lower = lowered;
    if (lower.starts_with("open "))
        return Open(command, lower);
    const std::string_view verb = lower.substr(0, lower.find(' '));
    std::string_view alias = lower.substr(std::min(verb.size() + 1, lower.size()));
    const bool status = verb == "status" && alias.ends_with(" mode");
    if (status)
        alias.remove_suffix(std::string_view(" mode").size());
    if (!(status || verb == "play" || verb == "close") || !IsName(alias))
        return SequencerUnknownCommand;
    Commands* said = Named(alias);
    if (!said)
        return SequencerUnknownAlias;
    if (verb == "play")
        return Play(*said);
    if (verb == "close")
        return Close(*said);
    const bool playing = said->played_at != 0 && ended.load() < said->played_at;
    return Reply(playing ? "playing" : "stopped", reply, reply_length);
}

}  // namespace

void PrepareSynthesizer() {
    audio::Post([] {
        if (!audio::Ready())
            return;
        std::lock_guard lock(State().mutex);
        StartSynthesizer(State());
    });
}

SequencerCalls& Sequencer() {
    static SequencerCalls calls{RealSendString};
    return calls;
}

int SendString(const std::string& command, char* reply, int reply_length) {
    return Sequencer().send_string(command, reply, reply_length);
}

}  // namespace platform
