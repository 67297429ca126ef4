// The media gate: what it lets through to SDL and FluidSynth, and what it refuses.

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "media/media_gate.h"
#include "platform/midi_bytes.h"

namespace {

namespace fs = std::filesystem;
using namespace testing_support;
using media::Kind;

// A wave file of silence: the format fields as given, then `data_bytes` of samples.
Bytes Wave(std::uint32_t rate, int channels = 1, int bits = 8, std::uint32_t data_bytes = 64,
           int format = 1) {
    Bytes b{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    const auto put = [&](std::uint32_t v, int size) {
        for (int i = 0; i < size; ++i)
            b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    b.insert(b.end(), {'L', 'I', 'S', 'T'});  // a chunk before the format one is skipped
    put(3, 4);
    b.insert(b.end(), {'a', 'b', 'c', 0});  // odd size, padded
    b.insert(b.end(), {'f', 'm', 't', ' '});
    put(16, 4);
    put(format, 2);
    put(channels, 2);
    put(rate, 4);
    put(rate * channels * bits / 8, 4);
    put(channels * bits / 8, 2);
    put(bits, 2);
    b.insert(b.end(), {'d', 'a', 't', 'a'});
    put(data_bytes, 4);
    b.resize(b.size() + data_bytes, 0x80);
    return b;
}

Bytes Tune(std::uint16_t division = 480, std::uint16_t format = 1) {
    return MidiFile({Track({{0, Tempo(500000)}, {480, EndOfTrack()}})}, division, format);
}

TEST(MediaGate, WaveHeadersSdlConvertsSafelyPassAndTheRestAreRefused) {
    EXPECT_EQ(media::WaveHeaderFault(Wave(22050)), "");
    EXPECT_EQ(media::WaveHeaderFault(Wave(44100, 2, 16)), "");
    EXPECT_EQ(media::WaveHeaderFault(Wave(48000, 2, 32, 64, 3)), "") << "float";
    // The rates that crashed SDL's converter, and their like.
    for (std::uint32_t rate : {0u, 1u, 2u, 5u, 7999u, 192001u, 0xFFFFFFFFu})
        EXPECT_NE(media::WaveHeaderFault(Wave(rate, 1, 8, 24348)), "") << rate << " Hz";
    EXPECT_NE(media::WaveHeaderFault(Wave(22050, 0)), "") << "no channels";
    EXPECT_NE(media::WaveHeaderFault(Wave(22050, 6)), "") << "six channels";
    EXPECT_NE(media::WaveHeaderFault(Wave(22050, 1, 12)), "") << "12 bits";
    EXPECT_NE(media::WaveHeaderFault(Wave(22050, 1, 8, 64, 2)), "") << "ADPCM";
    Bytes odd_block = Wave(22050, 2, 16);
    odd_block[12 + 12 + 8 + 12] = 3;
    EXPECT_NE(media::WaveHeaderFault(odd_block), "") << "a block size that fits nothing";
    const Bytes whole = Wave(22050);
    for (std::size_t cut : {0u, 4u, 11u, 12u, 30u, 40u})
        EXPECT_NE(media::WaveHeaderFault({whole.data(), cut}), "") << "cut at " << cut;
    // The whole file: every chunk inside it, samples among them. SDL would take a length of
    // four gigabytes at its word.
    EXPECT_EQ(media::WaveFileFault(whole), "");
    Bytes long_data = whole;
    long_data[whole.size() - 64 - 1] = 0xFF;
    EXPECT_EQ(media::WaveHeaderFault(long_data), "") << "the header alone cannot tell";
    EXPECT_NE(media::WaveFileFault(long_data), "");
    EXPECT_NE(media::WaveFileFault({whole.data(), whole.size() - 1}), "");
    EXPECT_NE(media::WaveFileFault({whole.data(), whole.size() - 72}), "") << "no samples";
    Bytes riff_only = whole;
    riff_only[8] = 'A';
    EXPECT_NE(media::WaveHeaderFault(riff_only), "") << "RIFF, but not WAVE";
}

TEST(MediaGate, MidiHeadersFluidSynthPlaysPassAndTheRestAreRefused) {
    EXPECT_EQ(media::MidiHeaderFault(Tune()), "");
    EXPECT_EQ(media::MidiFileFault(Tune()), "");
    EXPECT_EQ(media::MidiFileFault(Tune(96, 0)), "");
    EXPECT_NE(media::MidiHeaderFault(Tune(0xE728)), "") << "SMPTE, 25 frames of 40 ticks";
    EXPECT_NE(media::MidiHeaderFault(Tune(0)), "") << "no ticks a quarter";
    EXPECT_NE(media::MidiHeaderFault(Tune(480, 3)), "") << "format 3";
    EXPECT_NE(media::MidiHeaderFault(MidiFile({}, 480)), "") << "no tracks";
    Bytes long_header = Tune();
    long_header[7] = 8;
    EXPECT_NE(media::MidiHeaderFault(long_header), "");
    const Bytes whole = Tune();
    EXPECT_NE(media::MidiHeaderFault({whole.data(), 13}), "");
    // The whole-file check: every announced track there and complete.
    EXPECT_NE(media::MidiFileFault({whole.data(), whole.size() - 1}), "") << "a track cut short";
    EXPECT_NE(media::MidiFileFault({whole.data(), 14}), "") << "the header alone";
    Bytes two_announced = whole;
    two_announced[11] = 2;
    EXPECT_NE(media::MidiFileFault(two_announced), "") << "one of two tracks";
    Bytes other_chunk = MidiFile({Track({{0, EndOfTrack()}})});
    other_chunk.insert(other_chunk.begin() + 14, {'X', 'Y', 'Z', 'W', 0, 0, 0, 2, 7, 7});
    EXPECT_EQ(media::MidiFileFault(other_chunk), "") << "an unknown chunk is skipped";
}

class MediaGateFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("zam-gate-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string At(const std::string& name) const { return (dir / name).string(); }
    fs::path dir;
};

TEST_F(MediaGateFiles, OnlyRegularFilesBelowTheirCapAreReadAndEachRefusalIsSaidOnce) {
    using media::Read;
    WriteFile(At("good.wav"), Wave(22050));
    WriteFile(At("good.mid"), Tune());
    EXPECT_TRUE(Read(At("good.wav"), Kind::Effect));
    ASSERT_TRUE(Read(At("good.mid"), Kind::Tune));
    EXPECT_EQ(Read(At("good.mid"), Kind::Tune)->size(), Tune().size());

    testing::internal::CaptureStderr();
    EXPECT_FALSE(Read(At("missing.mid"), Kind::Tune));
    fs::create_directories(dir / "folder.wav");
    EXPECT_FALSE(Read(At("folder.wav"), Kind::Effect));
    // A pipe of that name would hold whoever opened it for reading, were it not refused.
    ASSERT_EQ(::mkfifo(At("pipe.mid").c_str(), 0600), 0);
    EXPECT_FALSE(Read(At("pipe.mid"), Kind::Tune));
    // Over the caps, with a true header: sparse, so the test writes next to nothing.
    for (auto [name, kind, size] : {std::tuple{"big.mid", Kind::Tune, media::TuneCap + 1},
                                    std::tuple{"big.wav", Kind::Effect, media::EffectCap + 1},
                                    std::tuple{"huge.mid", Kind::Tune, std::uintmax_t{6} << 30}}) {
        WriteFile(At(name), kind == Kind::Tune ? Tune() : Wave(22050));
        fs::resize_file(At(name), size);
        EXPECT_FALSE(Read(At(name), kind)) << name;
    }
    WriteFile(At("cap.mid"), Tune());
    fs::resize_file(At("cap.mid"), media::TuneCap);
    Read(At("cap.mid"), Kind::Tune);
    const std::string refused = testing::internal::GetCapturedStderr();
    for (const char* name : {"missing.mid", "folder.wav", "pipe.mid", "big.mid", "big.wav", "huge.mid"})
        EXPECT_NE(refused.find(At(name) + ": "), std::string::npos) << name << " refused and named";
    for (const char* name : {"folder.wav", "pipe.mid"})
        EXPECT_NE(refused.find(At(name) + ": not a regular file"), std::string::npos) << refused;
    EXPECT_EQ(refused.find("cap.mid: larger"), std::string::npos)
        << "a tune of exactly the cap is not too large";

    testing::internal::CaptureStderr();
    WriteFile(At("slow.wav"), Wave(1, 1, 8, 24348));
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(media::Read(At("slow.wav"), Kind::Effect));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find("1 Hz"), std::string::npos) << said;
}

}  // namespace
