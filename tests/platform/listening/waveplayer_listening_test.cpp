// The wave player's quick return, and the audio device's absence and its signals, on SDL's disk driver.

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

#include "platform/sound/audio_device.h"
#include "platform/sound/sequencer.h"
#include "platform/sound/waveplayer.h"

namespace {

using Clock = std::chrono::steady_clock;
double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

const std::string Effect = std::string(ZAM_MEDIA_DIR) + "/zam2.wav";  // 0.95 s

TEST(WavePlayerListening, NeverWaitsForTheSound) {
    auto start = Clock::now();
    platform::PlaySound(Effect.c_str());
    EXPECT_LT(SecondsSince(start), 0.5) << "the first call also starts the worker";
    for (int i = 0; i < 3; ++i) {
        start = Clock::now();
        platform::PlaySound(Effect.c_str());
        EXPECT_LT(SecondsSince(start), 0.05) << i;
    }
}

// Whether anything but silence reached the file since byte `from`.
bool Heard(const std::string& file, std::uintmax_t from) {
    std::ifstream in(file, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(from));
    std::int16_t sample = 0;
    while (in.read(reinterpret_cast<char*>(&sample), sizeof sample))
        if (sample > 1000 || sample < -1000)
            return true;
    return false;
}

// Plays the effect and tells whether it sounded in the file within a second and a half.
bool SoundsInto(const std::string& file) {
    std::error_code error;
    const auto from = std::filesystem::file_size(file, error);
    platform::PlaySound(Effect.c_str());
    for (auto start = Clock::now(); SecondsSince(start) < 1.5;
         std::this_thread::sleep_for(std::chrono::milliseconds(50)))
        if (Heard(file, error ? 0 : from))
            return true;
    return false;
}

TEST(WavePlayerListening, WithoutADeviceAtStartEveryCallReturnsAtOnceAndTheSoundComesWhenOneAppears) {
    // A process of its own, so that SDL's audio starts there on a driver that does not exist.
    EXPECT_EXIT(
        {
            const std::string file = std::getenv("SDL_DISKAUDIOFILE");
            setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
            platform::audio::RetryInterval() = std::chrono::milliseconds(400);
            const std::string tune = std::string(ZAM_MEDIA_DIR) + "/zam.mid";
            const auto start = Clock::now();
            for (int i = 0; i < 10; ++i) {
                platform::PlaySound(Effect.c_str());
                platform::SendString("open \"" + tune + "\" type sequencer alias Midi", nullptr, 0);
                platform::SendString("play Midi", nullptr, 0);
                platform::SendString("close Midi", nullptr, 0);
            }
            const bool quick = SecondsSince(start) < 0.1;
            platform::audio::Close();  // once every try above has failed
            // A device appears; it is tried again once the interval since the last try is over.
            setenv("SDL_AUDIODRIVER", "disk", 1);
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            const bool back = SoundsInto(file);
            std::fprintf(stderr, "quick %d back %d\n", quick, back);
            std::exit(quick && back ? 0 : 1);
        },
        // Said once, however often the device was tried.
        ::testing::ExitedWithCode(0), "^zam: playing without sound: [^\n]*\n([^z][^\n]*\n)*quick");
}

TEST(WavePlayerListening, AfterTheOutputFailsTheNextSoundOpensTheDeviceAgain) {
    EXPECT_EXIT(
        {
            const std::string file = std::getenv("SDL_DISKAUDIOFILE");
            // A full disk: the disk driver's first write fails and the device is lost.
            setenv("SDL_DISKAUDIOFILE", "/dev/full", 1);
            platform::PlaySound(Effect.c_str());
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
            const bool back = SoundsInto(file);
            std::exit(back ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "sound output stopped");
}

// Whether the device is open: the disk driver's file, made afresh at each opening, grows while it is.
bool DeviceOpen(const std::string& file) {
    std::error_code none;  // not yet made
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const auto before = std::filesystem::file_size(file, none);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    return std::filesystem::file_size(file, none) > before;
}

TEST(AudioDeviceListening, TheDeviceRestsInSilenceAndAWakeKeepsItOpenForTheEffectToCome) {
    EXPECT_EXIT(
        {
            const std::string file = std::getenv("SDL_DISKAUDIOFILE");
            platform::audio::RestAfter() = std::chrono::milliseconds(300);
            platform::audio::AwakeFor() = std::chrono::milliseconds(1800);
            platform::PlaySound(Effect.c_str());
            const bool opened = DeviceOpen(file);
            std::this_thread::sleep_for(std::chrono::milliseconds(1200));  // the effect and the rest after it
            const bool rested = !DeviceOpen(file);
            platform::ExpectSound();
            const bool woken = DeviceOpen(file);
            std::this_thread::sleep_for(std::chrono::milliseconds(500));  // past the rest after a sound
            const bool kept = DeviceOpen(file);
            std::this_thread::sleep_for(std::chrono::milliseconds(1000));
            const bool rested_again = !DeviceOpen(file);
            std::fprintf(stderr, "opened %d rested %d woken %d kept %d rested again %d\n", opened, rested,
                         woken, kept, rested_again);
            std::exit(opened && rested && woken && kept && rested_again ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(AudioDeviceListening, AnOpenDeviceLeavesTerminationAlone) {
    EXPECT_EXIT(
        {
            // The effect opens the device on the worker, well within the pause.
            platform::PlaySound(Effect.c_str());
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            std::raise(SIGTERM);
            std::this_thread::sleep_for(std::chrono::seconds(2));
            std::exit(0);
        },
        ::testing::KilledBySignal(SIGTERM), "");
}

}  // namespace
