#pragma once
// What SDL's disk driver has rendered so far, read back from its file: interleaved
// 16-bit stereo at 44100 frames a second, written a buffer at a time at about the
// pace a sound card would take it.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

class DiskAudio {
public:
    static constexpr int Rate = 44100;
    static constexpr int BytesPerFrame = 4;

    static std::filesystem::path File() {
        const char* file = std::getenv("SDL_DISKAUDIOFILE");
        return file ? file : "sdlaudio.raw";
    }

    // Frames rendered so far: a mark to read from.
    static std::int64_t Frames() {
        std::error_code error;
        auto size = std::filesystem::file_size(File(), error);
        return error ? 0 : static_cast<std::int64_t>(size) / BytesPerFrame;
    }

    static std::int64_t FramesOf(double seconds) { return static_cast<std::int64_t>(seconds * Rate); }

    // The samples of the frames [from, from + count), waiting until they are rendered.
    static std::vector<std::int16_t> Read(std::int64_t from, std::int64_t count) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10) +
                              std::chrono::milliseconds(2 * 1000 * count / Rate);
        while (Frames() < from + count) {
            if (std::chrono::steady_clock::now() > deadline)
                throw std::runtime_error("the disk driver stopped rendering");
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        std::vector<std::int16_t> samples(static_cast<std::size_t>(count * 2));
        std::ifstream in(File(), std::ios::binary);
        in.seekg(from * BytesPerFrame);
        in.read(reinterpret_cast<char*>(samples.data()), count * BytesPerFrame);
        return samples;
    }

    // Loudness in decibels below full scale; -200 stands for digital silence.
    static double RmsDb(const std::vector<std::int16_t>& samples) {
        double sum = 0;
        for (std::int16_t s : samples)
            sum += static_cast<double>(s) * s;
        return Db(samples.empty() ? 0 : std::sqrt(sum / static_cast<double>(samples.size())));
    }
    static double PeakDb(const std::vector<std::int16_t>& samples) {
        int peak = 0;
        for (std::int16_t s : samples)
            peak = std::max(peak, std::abs(static_cast<int>(s)));
        return Db(peak);
    }

private:
    static double Db(double level) { return level > 0 ? 20 * std::log10(level / 32768.0) : -200; }
};

}  // namespace testing_support
