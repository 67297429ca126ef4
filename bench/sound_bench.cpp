// Measures the music player: how long a tune takes to open (the first time, with
// the sound font, and when kept from before), how long after a tune's last note its
// status turns to "stopped" (and, for comparison, when FluidSynth itself lets go),
// and with --all the gap before the game tune starts again under the music keeper.
// With --first-effect it measures instead, on a sound server, how long the first effect
// after the device has rested takes from the call to the server's monitor (parecord).
//
//   zam_sound_bench [--all] [media folder]
//   zam_sound_bench --first-effect MONITOR [runs] [--wake]
//
// It plays on SDL's disk driver unless SDL_AUDIODRIVER names another, so it runs
// without a sound card. The disk driver writes every buffer to a file and then
// waits about a buffer's time, so it runs a little slower than a sound card; the
// "audio" columns count the frames the mixer has rendered, which is what a
// listener hears (less the sound card's latency); the "wall" columns are the clock
// on the wall (the disk driver's file, 16-bit stereo at 44100 frames a second, counts
// the frames). The status turns to "stopped" once less than a mixing buffer (1024
// frames, 23 ms) of the tune is left, so its audio column lies between -0.023 s and 0.

#include <SDL_mixer.h>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "globals/globals.h"
#include "platform/sound/audio_device.h"
#include "platform/sound/sequencer.h"
#include "platform/sound/waveplayer.h"
#include "sound/tx_midi.h"
#include "tune_length.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}
void Pause(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

std::int64_t RenderedFrames() {
    std::error_code error;
    const auto bytes = fs::file_size(std::getenv("SDL_DISKAUDIOFILE"), error);
    return error ? 0 : static_cast<std::int64_t>(bytes / 4);
}
double AudioSeconds(std::int64_t frames) {
    return static_cast<double>(frames) / 44100;
}

double ResidentMegabytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

std::string OpenCommand(const fs::path& tune) {
    return "open \"" + tune.string() + "\" type sequencer alias Midi";
}

bool StatusPlaying() {
    char reply[512] = {};
    platform::SendString("Status Midi mode", reply, sizeof reply);
    return reply[0] == 'p';
}

void MeasureOpening(const fs::path& media) {
    std::printf("Opening tunes (the \"open\" command)\n");
    // The device opens for the first sound, and the disk driver's file grows from then on.
    auto start = Clock::now();
    platform::PrepareSynthesizer();
    while (RenderedFrames() == 0 && Since(start) < 5)
        Pause(0.001);
    const bool ready = RenderedFrames() > 0;
    std::printf("  audio device and mixer, to the first buffer %5.1f ms  %s\n", 1000 * Since(start),
                ready ? "" : "(no device: every figure below is meaningless)");
    double rss = ResidentMegabytes();
    const char* tunes[] = {"zam.mid", "zaming.mid", "endzam.mid"};
    for (int i = 0; i < 3; ++i) {
        start = Clock::now();
        int error = platform::SendString(OpenCommand(media / tunes[i]), nullptr, 0);
        const double ms = 1000 * Since(start);
        platform::SendString("close Midi", nullptr, 0);
        const double now = ResidentMegabytes();
        std::printf("  %-11s %-29s %7.1f ms  resident memory %+5.1f MB%s\n", tunes[i],
                    i == 0 ? "first load, with sound font" : "first load", ms, now - rss,
                    error ? "  FAILED" : "");
        rss = now;
    }
    std::vector<double> kept;
    for (int i = 0; i < 50; ++i) {
        start = Clock::now();
        platform::SendString(OpenCommand(media / tunes[i % 3]), nullptr, 0);
        kept.push_back(1000 * Since(start));
        platform::SendString("close Midi", nullptr, 0);
    }
    std::sort(kept.begin(), kept.end());
    std::printf("  any of them again (kept)                  %7.3f ms  median of 50, slowest %.3f ms\n\n",
                kept[kept.size() / 2], kept.back());
}

void MeasureEnd(const std::string& name, const fs::path& tune) {
    auto length = bench::TuneSeconds(tune);
    if (!length || platform::SendString(OpenCommand(tune), nullptr, 0) != 0) {
        std::printf("  %-14s cannot be opened\n", name.c_str());
        return;
    }
    // The music starts with the first buffer mixed after "play"; a play that straddled
    // the mixing of a buffer would leave that in doubt, so it is started again.
    std::int64_t frames_at_play = 0;
    Clock::time_point start;
    for (int attempt = 0; attempt < 10; ++attempt) {
        platform::SendString("close Midi", nullptr, 0);
        platform::SendString(OpenCommand(tune), nullptr, 0);
        frames_at_play = RenderedFrames();
        start = Clock::now();
        platform::SendString("play Midi", nullptr, 0);
        if (RenderedFrames() == frames_at_play)
            break;
    }
    while (StatusPlaying())
        Pause(0.001);
    const double stopped_wall = Since(start);
    const double stopped_audio = AudioSeconds(RenderedFrames() - frames_at_play);
    while (Mix_PlayingMusic() && Since(start) < *length + 30)
        Pause(0.001);
    const double fluid_wall = Since(start);
    const double fluid_audio = AudioSeconds(RenderedFrames() - frames_at_play);
    platform::SendString("close Midi", nullptr, 0);
    const double last = *length;
    std::printf("  %-14s %8.3f s  %+9.3f s %+9.3f s  %+9.3f s %+9.3f s\n", name.c_str(), last,
                stopped_wall - last, stopped_audio - last, fluid_wall - last, fluid_audio - last);
}

// The game's music keeper: a tick every 2000 ms restarts the game tune once it has ended.
void MeasureRestart(const fs::path& media) {
    const fs::path tune = media / "zaming.mid";
    auto length = bench::TuneSeconds(tune);
    if (!length)
        return;
    const auto here = fs::current_path();
    fs::current_path(media);
    globals::MusicOff = platform::False;
    globals::MidiFile = "zaming.mid";
    std::printf("The game tune under the music keeper (zaming.mid, %.3f s, a tick every 2000 ms)\n", *length);
    const auto start = Clock::now();
    std::int64_t first_frame = -1;
    for (int tick = 0;; ++tick) {
        while (Since(start) < 2.0 * tick)
            Pause(0.0005);
        const bool was_playing = sound::MidiIsPlaying();
        const auto frame = RenderedFrames();
        const double wall = Since(start);
        sound::KeepMidiPlaying();
        if (was_playing)
            continue;
        if (first_frame < 0) {
            first_frame = frame;
            continue;
        }
        const double audio = AudioSeconds(frame - first_frame);
        std::printf("  started again at tick %d: %.3f s wall, %.3f s audio after the first start\n", tick,
                    wall, audio);
        std::printf("  gap after the last note: %.3f s wall, %.3f s audio\n\n", wall - *length,
                    audio - *length);
        break;
    }
    sound::StopMidi();
    fs::current_path(here);
}

// The monitor as parecord hears it, each block with the time it arrived.
struct Recorder {
    FILE* pipe = nullptr;
    std::mutex mutex;
    std::vector<std::int16_t> samples;
    std::vector<std::pair<std::size_t, Clock::time_point>> arrivals;  // samples heard by then
    std::thread reader;
    explicit Recorder(const std::string& monitor) {
        pipe = popen(
            ("exec parecord --raw --format=s16le --rate=44100 --channels=1 --latency-msec=5 -d " + monitor)
                .c_str(),
            "r");
        reader = std::thread([this] {
            std::int16_t block[256];
            for (ssize_t got; (got = read(fileno(pipe), block, sizeof block)) > 0;) {
                std::lock_guard lock(mutex);
                samples.insert(samples.end(), block, block + got / 2);
                arrivals.emplace_back(samples.size(), Clock::now());
            }
        });
    }
    std::size_t Heard() {
        std::lock_guard lock(mutex);
        return samples.size();
    }
    // When the first sound after sample `from` was played, as near as the blocks' arrival tells.
    std::optional<Clock::time_point> Onset(std::size_t from) {
        std::lock_guard lock(mutex);
        for (std::size_t i = from; i < samples.size(); ++i) {
            if (std::abs(samples[i]) < 300)
                continue;
            for (const auto& [heard, at] : arrivals)
                if (heard > i)
                    return at - std::chrono::microseconds((heard - i) * 1000000 / 44100);
        }
        return std::nullopt;
    }
};

void MeasureFirstEffect(const fs::path& media, const std::string& monitor, int runs, bool wake) {
    fs::current_path(media);
    Recorder recorder(monitor);
    Pause(1);
    std::printf("The first effect after %.1f s of silence, from the call to the monitor%s\n",
                platform::audio::RestAfter().count() / 1000.0 + 1, wake ? " (woken 0.3 s before)" : "");
    std::vector<double> heard;
    for (int run = 0; run < runs; ++run) {
        Pause(platform::audio::RestAfter().count() / 1000.0 + 1);
        if (wake) {
            platform::audio::Post(platform::audio::Wake{});
            Pause(0.3);
        }
        const std::size_t from = recorder.Heard();
        const auto call = Clock::now();
        platform::PlaySound("zam1.wav");
        Pause(0.6);
        const auto onset = recorder.Onset(from);
        if (onset)
            heard.push_back(std::chrono::duration<double, std::milli>(*onset - call).count());
        std::printf("  run %2d: %s\n", run + 1,
                    onset ? (std::to_string(static_cast<int>(std::lround(heard.back()))) + " ms").c_str()
                          : "not heard");
    }
    std::sort(heard.begin(), heard.end());
    if (!heard.empty())
        std::printf("  heard %zu of %d: fastest %.0f ms, median %.0f ms, slowest %.0f ms\n", heard.size(),
                    runs, heard.front(), heard[heard.size() / 2], heard.back());
    // parecord goes with the pipe when the program ends.
    recorder.reader.detach();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2 && std::string(argv[1]) == "--first-effect") {
        const bool wake = std::string(argv[argc - 1]) == "--wake";
        MeasureFirstEffect(ZAM_MEDIA_DIR, argv[2], argc > 3 + wake ? std::atoi(argv[3]) : 10, wake);
        platform::audio::Close();
        return 0;
    }
    bool all = false;
    fs::path media = ZAM_MEDIA_DIR;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--all")
            all = true;
        else
            media = argv[i];
    }
    setenv("SDL_AUDIODRIVER", "disk", 0);
    const bool own_file = std::getenv("SDL_DISKAUDIOFILE") == nullptr;
    const fs::path file = fs::temp_directory_path() / ("zam-bench-" + std::to_string(::getpid()) + ".raw");
    if (own_file)
        setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    std::printf("ZAM sound bench on SDL's %s audio driver\n\n", std::getenv("SDL_AUDIODRIVER"));

    MeasureOpening(media);

    // A short tune of our own: one voice, notes back to back, the last ending at 2.000 s.
    const fs::path short_tune =
        fs::temp_directory_path() / ("zam-bench-" + std::to_string(::getpid()) + ".mid");
    {
        std::vector<unsigned char> track = {0,    0xFF, 0x51, 3,    0x07,
                                            0xA1, 0x20, 0,    0xC0, 80};  // 120 a minute, square lead
        for (unsigned char note : {60, 64, 67, 72}) {
            const unsigned char half_second[] = {0,    0x90, note, 120, 0x83,
                                                 0x60, 0x80, note, 64};  // 480 ticks
            track.insert(track.end(), std::begin(half_second), std::end(half_second));
        }
        track.insert(track.end(), {0, 0xFF, 0x2F, 0});
        std::vector<unsigned char> tune = {
            'M', 'T',  'h',  'd', 0,   0,   0,   6, 0, 0, 0,
            1,   0x01, 0xE0, 'M', 'T', 'r', 'k', 0, 0, 0, static_cast<unsigned char>(track.size())};
        tune.insert(tune.end(), track.begin(), track.end());
        std::ofstream(short_tune, std::ios::binary)
            .write(reinterpret_cast<const char*>(tune.data()), static_cast<std::streamsize>(tune.size()));
    }
    std::printf(
        "After the tune's end (synthesizer clock) status \"stopped\"          FluidSynth's own end\n");
    std::printf("  tune           last note       wall      audio          wall      audio\n");
    MeasureEnd("short (ours)", short_tune);
    MeasureEnd("endzam.mid", media / "endzam.mid");
    if (all) {
        MeasureEnd("zam.mid", media / "zam.mid");
        MeasureEnd("zaming.mid", media / "zaming.mid");
    }
    std::printf("\n");
    fs::remove(short_tune);

    if (all)
        MeasureRestart(media);
    else
        std::printf(
            "(--all adds zam.mid and zaming.mid, and the restart of the game tune: about 3 minutes)\n");

    platform::audio::Close();
    if (own_file)
        fs::remove(file);
    return 0;
}
