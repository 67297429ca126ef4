// Runs the listening tests on SDL's disk driver, each process writing its own file.

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/sound/audio_device.h"

int main(int argc, char** argv) {
    setenv("SDL_AUDIODRIVER", "disk", 0);
    const bool own_file = std::getenv("SDL_DISKAUDIOFILE") == nullptr;
    const auto file =
        std::filesystem::temp_directory_path() / ("zam-audio-" + std::to_string(::getpid()) + ".raw");
    if (own_file)
        setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    // The disk driver starts its file afresh at each open: the device stays open between the sounds.
    platform::audio::RestAfter() = std::chrono::hours(1);
    testing::InitGoogleTest(&argc, argv);
    // A test that needs a fresh audio start runs in a fresh process.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const int result = RUN_ALL_TESTS();
    platform::audio::Close();
    if (own_file)
        std::filesystem::remove(file);
    return result;
}
