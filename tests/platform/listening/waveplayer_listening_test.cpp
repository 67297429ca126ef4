// The wave player's waiting, and the audio device's absence and its signals, on SDL's disk driver.

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

#include "platform/audio_device.h"
#include "platform/sequencer.h"
#include "platform/waveplayer.h"

namespace {

using Clock = std::chrono::steady_clock;
double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

const std::string Effect = std::string(ZAM_MEDIA_DIR) + "/zam2.wav";  // 0.95 s

TEST(WavePlayerListening, WaitsForTheSoundOnlyWhenNotAskedToPlayItInTheBackground) {
    auto start = Clock::now();
    EXPECT_TRUE(platform::PlaySound(Effect.c_str(), platform::SoundAsync | platform::SoundNoDefault));
    EXPECT_LT(SecondsSince(start), 0.5) << "the first call also opens the device";
    start = Clock::now();
    EXPECT_TRUE(platform::PlaySound(Effect.c_str(), platform::SoundAsync));
    EXPECT_LT(SecondsSince(start), 0.05);

    start = Clock::now();
    EXPECT_TRUE(platform::PlaySound(Effect.c_str(), platform::SoundNoDefault));
    EXPECT_GT(SecondsSince(start), 0.9);
    EXPECT_LT(SecondsSince(start), 2.5);
}

TEST(WavePlayerListening, WithoutAnAudioDeviceEverySoundCallFailsAtOnce) {
    // A process of its own, so that SDL's audio starts there on a driver that does not exist.
    EXPECT_EXIT(
        {
            setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
            const std::string tune = std::string(ZAM_MEDIA_DIR) + "/zam.mid";
            const auto start = Clock::now();
            bool any_worked = false;
            for (int i = 0; i < 10; ++i) {
                any_worked |= platform::PlaySound(Effect.c_str(), platform::SoundAsync);
                any_worked |=
                    platform::SendString("open \"" + tune + "\" type sequencer alias Midi", nullptr, 0) == 0;
                any_worked |= platform::SendString("play Midi", nullptr, 0) == 0;
                any_worked |= platform::SendString("close Midi", nullptr, 0) == 0;
            }
            std::exit(!any_worked && SecondsSince(start) < 1.0 && !platform::audio::IsOpen() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(AudioDeviceListening, AnOpenDeviceLeavesTerminationAlone) {
    EXPECT_EXIT(
        {
            platform::audio::Ready();
            std::raise(SIGTERM);
            std::this_thread::sleep_for(std::chrono::seconds(2));
            std::exit(0);
        },
        ::testing::KilledBySignal(SIGTERM), "");
}

}  // namespace
