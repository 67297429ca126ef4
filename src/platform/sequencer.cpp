#include "platform/sequencer.h"

#include <SDL_mixer.h>
#include <algorithm>
#include <cctype>
#include <condition_variable>
#include <cstring>
#include <fluidsynth.h>
#include <fstream>
#include <iterator>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/audio_device.h"
#include "platform/midi_timing.h"

namespace platform {
namespace {

// FluidSynth's own gain is 0.2, which leaves the tunes far quieter than the effects.
constexpr float SynthGain = 1.2f;

struct OpenTune {
    std::string alias;
    std::vector<char> bytes; // the file as it was when opened
    double length_seconds = 0;
    fluid_player_t* player = nullptr; // while playing
    bool play_asked = false;          // "play" came before the synthesizer was ready
    bool started = false;
    std::int64_t start_frame = 0;
};

enum class Synth { None, Starting, Ready, Failed };

// One synthesizer plays every tune: reading the sound font takes a tenth of a second or
// more and each synthesizer holds megabytes, so it is made once, on a thread of its own,
// and the tunes come and go as players on it.
struct Device {
    std::mutex mutex;                // guards all of the below; the audio thread holds it while rendering
    std::condition_variable started; // the synthesizer is ready, failed, or was given up
    Synth state = Synth::None;
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    std::optional<OpenTune> open;
};

void ReleaseSynthesizer();

Device& State() {
    static Device* device = [] {
        audio::BeforeClose(ReleaseSynthesizer);
        return new Device; // never destroyed: the audio thread may outlive static destruction
    }();
    return *device;
}

// The music's part of each buffer the audio thread mixes; the effects are mixed in after it.
void SDLCALL Render(void*, Uint8* stream, int length) {
    Device& device = State();
    std::lock_guard lock(device.mutex);
    if (device.state != Synth::Ready)
        return;
    const bool playing = device.open && device.open->player &&
                         fluid_player_get_status(device.open->player) == FLUID_PLAYER_PLAYING;
    // Once the tune and its last notes have ended, the synthesizer rests: the buffer is silent already.
    if (!playing && fluid_synth_get_active_voice_count(device.synth) == 0)
        return;
    const int frames = length / static_cast<int>(2 * sizeof(std::int16_t));
    fluid_synth_write_s16(device.synth, frames, stream, 0, 2, stream, 1, 2);
}

// Under the device's mutex, with the synthesizer ready.
bool StartPlayer(OpenTune& open) {
    Device& device = State();
    fluid_player_t* player = new_fluid_player(device.synth);
    if (player == nullptr)
        return false;
    if (fluid_player_add_mem(player, open.bytes.data(), open.bytes.size()) != FLUID_OK ||
        fluid_player_play(player) != FLUID_OK) {
        delete_fluid_player(player);
        return false;
    }
    // Taken as the music starts, so the tune's clock can only start early (when a buffer
    // happens to be mixed in between), which errs on the side of a short restart gap.
    open.start_frame = audio::FramesMixed();
    open.player = player;
    open.started = true;
    return true;
}

// Under the device's mutex: silences the tune at once.
void StopPlayer(OpenTune& open) {
    if (!open.player)
        return;
    fluid_player_stop(open.player);
    delete_fluid_player(open.player);
    open.player = nullptr;
    fluid_synth_all_sounds_off(State().synth, -1);
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

void QuietLog(int, const char*, void*) {}

// The synthesizer's thread: makes it, then hands it to the audio thread.
void MakeSynthesizer(int frame_rate) {
    // FluidSynth's warnings about the sound font's oddities mean nothing to a player.
    fluid_set_log_function(FLUID_WARN, QuietLog, nullptr);
    fluid_set_log_function(FLUID_INFO, QuietLog, nullptr);
    fluid_set_log_function(FLUID_DBG, QuietLog, nullptr);
    fluid_settings_t* settings = new_fluid_settings();
    fluid_synth_t* synth = nullptr;
    int fonts = 0;
    if (settings) {
        fluid_settings_setnum(settings, "synth.sample-rate", frame_rate);
        synth = new_fluid_synth(settings);
    }
    if (synth) {
        fluid_synth_set_gain(synth, SynthGain);
        for (const std::string& font : SoundFonts())
            fonts += fluid_synth_sfload(synth, font.c_str(), 1) != FLUID_FAILED;
    }
    if (fonts == 0) {
        std::fprintf(stderr, "zam: playing without music: no sound font could be read\n");
        if (synth)
            delete_fluid_synth(synth);
        if (settings)
            delete_fluid_settings(settings);
        synth = nullptr;
        settings = nullptr;
    } else {
        Mix_HookMusic(Render, nullptr);
    }
    Device& device = State();
    std::lock_guard lock(device.mutex);
    device.settings = settings;
    device.synth = synth;
    device.state = synth ? Synth::Ready : Synth::Failed;
    if (synth && device.open && device.open->play_asked)
        StartPlayer(*device.open);
    device.started.notify_all();
}

// Under the device's mutex.
void StartSynthesizer() {
    Device& device = State();
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

void ReleaseSynthesizer() {
    Device& device = State();
    {
        std::unique_lock lock(device.mutex);
        device.started.wait(lock, [&] { return device.state != Synth::Starting; });
    }
    // Outside the lock: unhooking waits for the audio thread, which takes the lock to render.
    Mix_HookMusic(nullptr, nullptr);
    std::lock_guard lock(device.mutex);
    if (device.open)
        StopPlayer(*device.open);
    device.open.reset();
    if (device.synth)
        delete_fluid_synth(device.synth);
    if (device.settings)
        delete_fluid_settings(device.settings);
    device.synth = nullptr;
    device.settings = nullptr;
    device.state = Synth::None;
}

bool SameWord(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// Splits a command at blanks; a word in double quotes may hold blanks and loses its quotes.
std::optional<std::vector<std::string>> Words(const std::string& command) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (true) {
        while (i < command.size() && std::isspace(static_cast<unsigned char>(command[i])))
            ++i;
        if (i == command.size())
            return words;
        if (command[i] == '"') {
            std::size_t close = command.find('"', i + 1);
            if (close == std::string::npos)
                return std::nullopt;
            words.push_back(command.substr(i + 1, close - i - 1));
            i = close + 1;
            continue;
        }
        std::size_t start = i;
        while (i < command.size() && !std::isspace(static_cast<unsigned char>(command[i])))
            ++i;
        words.push_back(command.substr(start, i - start));
    }
}

int Reply(const std::string& text, char* reply, int reply_length) {
    if (reply == nullptr || reply_length <= 0)
        return text.empty() ? SequencerOk : SequencerReplyTooSmall;
    std::size_t fits = std::min(text.size(), static_cast<std::size_t>(reply_length - 1));
    std::memcpy(reply, text.data(), fits);
    reply[fits] = '\0';
    return fits < text.size() ? SequencerReplyTooSmall : SequencerOk;
}

std::optional<std::vector<char>> ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (file.bad())
        return std::nullopt;
    return bytes;
}

int Open(const std::vector<std::string>& words) {
    // open <path> type sequencer alias <name>, the two pairs in either order
    if (words.size() != 6)
        return SequencerUnknownCommand;
    std::optional<std::string> type;
    std::optional<std::string> alias;
    for (std::size_t i = 2; i < words.size(); i += 2) {
        if (SameWord(words[i], "type") && !type)
            type = words[i + 1];
        else if (SameWord(words[i], "alias") && !alias)
            alias = words[i + 1];
        else
            return SequencerUnknownCommand;
    }
    if (!SameWord(*type, "sequencer"))
        return SequencerUnknownCommand;
    Device& device = State();
    {
        std::lock_guard lock(device.mutex);
        if (device.open)
            return SequencerAliasInUse;
    }
    const std::string& path = words[1];
    if (!audio::StampOf(path))
        return SequencerFileNotFound;
    auto bytes = ReadBytes(path);
    if (!bytes)
        return SequencerFileNotFound;
    // Our own reading of the file both times the tune and keeps broken files away from FluidSynth.
    auto timing =
        ReadMidiTiming(std::span(reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size()));
    if (!timing)
        return SequencerUnreadableFile;
    if (!audio::Ready())
        return SequencerNoDevice;
    std::lock_guard lock(device.mutex);
    if (device.state == Synth::Failed)
        return SequencerNoDevice;
    device.open = OpenTune{*alias, std::move(*bytes), timing->length_seconds};
    StartSynthesizer();
    return SequencerOk;
}

// Under the device's mutex.
OpenTune* Named(const std::string& alias) {
    auto& open = State().open;
    return open && SameWord(open->alias, alias) ? &*open : nullptr;
}

// Under the device's mutex.
bool Playing(const OpenTune& open) {
    if (!open.started)
        return open.play_asked && State().state != Synth::Failed; // it starts once the synthesizer is ready
    if (!open.player || fluid_player_get_status(open.player) != FLUID_PLAYER_PLAYING)
        return false;
    // The tune counts as ended once less than a buffer of it is left to mix. A tune started
    // again on the next tick of the music keeper then follows its end by at most the tick
    // interval, never a buffer more; at worst the last buffer of the final note is not heard.
    const double end_frame = open.length_seconds * audio::FrameRate();
    const auto mixed = audio::FramesMixed() - open.start_frame + audio::FramesPerBuffer();
    return static_cast<double>(mixed) < end_frame;
}

int PlayNamed(const std::string& alias) {
    Device& device = State();
    std::lock_guard lock(device.mutex);
    OpenTune* open = Named(alias);
    if (!open)
        return SequencerUnknownAlias;
    StopPlayer(*open); // a second "play" starts the tune again from its start
    open->started = false;
    if (device.state != Synth::Ready) {
        open->play_asked = true;
        return SequencerOk;
    }
    return StartPlayer(*open) ? SequencerOk : SequencerUnreadableFile;
}

int Close(const std::string& alias) {
    std::lock_guard lock(State().mutex);
    OpenTune* open = Named(alias);
    if (!open)
        return SequencerUnknownAlias;
    StopPlayer(*open);
    State().open.reset();
    return SequencerOk;
}

int RealSendString(const std::string& command, char* reply, int reply_length) {
    if (reply != nullptr && reply_length > 0)
        reply[0] = '\0';
    auto words = Words(command);
    if (!words || words->empty())
        return SequencerUnknownCommand;
    const std::string& verb = words->front();
    if (SameWord(verb, "open"))
        return Open(*words);
    if (SameWord(verb, "play") && words->size() == 2)
        return PlayNamed((*words)[1]);
    if (SameWord(verb, "status") && words->size() == 3 && SameWord((*words)[2], "mode")) {
        std::unique_lock lock(State().mutex);
        OpenTune* open = Named((*words)[1]);
        if (!open)
            return SequencerUnknownAlias;
        const bool playing = Playing(*open);
        lock.unlock();
        return Reply(playing ? "playing" : "stopped", reply, reply_length);
    }
    if (SameWord(verb, "close") && words->size() == 2)
        return Close((*words)[1]);
    return SequencerUnknownCommand;
}

} // namespace

void PrepareSynthesizer() {
    if (!audio::Ready())
        return;
    std::lock_guard lock(State().mutex);
    StartSynthesizer();
}

SequencerCalls& Sequencer() {
    static SequencerCalls calls{RealSendString};
    return calls;
}

int SendString(const std::string& command, char* reply, int reply_length) {
    return Sequencer().send_string(command, reply, reply_length);
}

} // namespace platform
