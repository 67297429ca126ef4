#include "platform/sequencer.h"

#include <SDL_mixer.h>
#include <SDL_thread.h>
#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/audio_device.h"
#include "platform/midi_timing.h"

namespace platform {
namespace {

struct Tune {
    Mix_Music* music = nullptr;
    double length_seconds = 0;
    audio::FileStamp stamp;  // a file changed on disk is loaded afresh
};

struct OpenTune {
    std::string alias;
    Tune* tune = nullptr;
    bool started = false;
    std::int64_t start_frame = 0;
};

struct Device {
    std::map<std::string, Tune> tunes;  // only under LoadMutex()
    std::optional<OpenTune> open;
    unsigned preload_round = 0;         // only under LoadMutex(); a new round stops the loader
};

// One tune is loaded at a time, whether for "open" or ahead of it by the loader.
std::mutex& LoadMutex() {
    static std::mutex mutex;
    return mutex;
}

void ReleaseTunes();

Device& State() {
    static Device* device = [] {
        audio::BeforeClose(ReleaseTunes);
        return new Device;  // never destroyed: the audio thread may outlive static destruction
    }();
    return *device;
}

void ReleaseTunes() {
    Device& device = State();
    std::lock_guard lock(LoadMutex());
    ++device.preload_round;
    device.open.reset();
    for (auto& [path, tune] : device.tunes)
        Mix_FreeMusic(tune.music);
    device.tunes.clear();
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

// Under LoadMutex().
int LoadLocked(const std::string& path, Tune*& loaded) {
    auto stamp = audio::StampOf(path);
    if (!stamp)
        return SequencerFileNotFound;
    auto& tunes = State().tunes;
    if (auto kept = tunes.find(path); kept != tunes.end()) {
        if (kept->second.stamp == *stamp) {
            loaded = &kept->second;
            return SequencerOk;
        }
        Mix_FreeMusic(kept->second.music);
        tunes.erase(kept);
    }
    // Our own reading of the file both times the tune and keeps broken files away from FluidSynth.
    auto timing = ReadMidiTimingFile(path);
    if (!timing)
        return SequencerUnreadableFile;
    if (!audio::Ready())
        return SequencerNoDevice;
    Mix_Music* music = Mix_LoadMUS(path.c_str());
    if (music == nullptr)
        return SequencerUnreadableFile;
    loaded = &(tunes[path] = Tune{music, timing->length_seconds, *stamp});
    return SequencerOk;
}

// Waits while the loader is busy with a tune, so that the same tune is never loaded twice.
int Load(const std::string& path, Tune*& loaded) {
    std::lock_guard lock(LoadMutex());
    return LoadLocked(path, loaded);
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
    if (device.open)
        return SequencerAliasInUse;
    Tune* tune = nullptr;
    if (int error = Load(words[1], tune))
        return error;
    device.open = OpenTune{*alias, tune};
    return SequencerOk;
}

OpenTune* Named(const std::string& alias) {
    auto& open = State().open;
    return open && SameWord(open->alias, alias) ? &*open : nullptr;
}

int Play(OpenTune& open) {
    // Taken just before the music starts, so the tune's clock can only start early (when a
    // buffer happens to be mixed in between), which errs on the side of a short restart gap.
    const auto start_frame = audio::FramesMixed();
    if (Mix_PlayMusic(open.tune->music, 0) != 0)
        return SequencerUnreadableFile;
    open.start_frame = start_frame;
    open.started = true;
    return SequencerOk;
}

bool Playing(const OpenTune& open) {
    if (!open.started || !Mix_PlayingMusic())
        return false;
    // The tune counts as ended once less than a buffer of it is left to mix. A tune started
    // again on the next tick of the music keeper then follows its end by at most the tick
    // interval, never a buffer more; at worst the last buffer of the final note is not heard.
    const double end_frame = open.tune->length_seconds * audio::FrameRate();
    const auto mixed = audio::FramesMixed() - open.start_frame + audio::FramesPerBuffer();
    return static_cast<double>(mixed) < end_frame;
}

int Close(const std::string& alias) {
    if (!Named(alias))
        return SequencerUnknownAlias;
    Mix_HaltMusic();
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
    if (SameWord(verb, "play") && words->size() == 2) {
        OpenTune* open = Named((*words)[1]);
        return open ? Play(*open) : SequencerUnknownAlias;
    }
    if (SameWord(verb, "status") && words->size() == 3 && SameWord((*words)[2], "mode")) {
        OpenTune* open = Named((*words)[1]);
        return open ? Reply(Playing(*open) ? "playing" : "stopped", reply, reply_length)
                    : SequencerUnknownAlias;
    }
    if (SameWord(verb, "close") && words->size() == 2)
        return Close((*words)[1]);
    return SequencerUnknownCommand;
}

}  // namespace

void PreloadTunes(std::vector<std::string> paths) {
    unsigned round = 0;
    {
        std::lock_guard lock(LoadMutex());
        round = State().preload_round;
    }
    std::thread([paths = std::move(paths), round] {
        // SDL keeps an error buffer for every thread that sets an error, and frees it only for
        // the threads it started itself: this one hands its buffer back on every way out.
        struct ReleaseSdlThreadData {
            ~ReleaseSdlThreadData() { SDL_TLSCleanup(); }
        } release;
        for (const std::string& path : paths) {
            std::lock_guard lock(LoadMutex());
            // Closing the device releases the tunes and ends the loading.
            if (State().preload_round != round)
                return;
            // A tune kept already stays as it is: it may be the one playing.
            if (State().tunes.count(path))
                continue;
            Tune* ignored = nullptr;
            LoadLocked(path, ignored);
        }
    }).detach();
}

SequencerCalls& Sequencer() {
    static SequencerCalls calls{RealSendString};
    return calls;
}

int SendString(const std::string& command, char* reply, int reply_length) {
    return Sequencer().send_string(command, reply, reply_length);
}

}  // namespace platform
