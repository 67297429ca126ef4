// Timing MIDI files from their own ticks and tempo map, the clock the music status runs on.

#include <gtest/gtest.h>

#include "platform/midi_bytes.h"
#include "platform/midi_timing.h"

namespace {

using namespace testing_support;
using platform::ReadMidiTiming;

TEST(MidiTiming, FollowsTheTempoMapOfEveryTrackAndTheLongestTrack) {
    // Track 0 plays half a second a quarter, until track 1 slows the whole tune to a second a
    // quarter at tick 960 (1.0 s). Track 1's notes use running status, a sysex and a program change.
    Bytes tune = MidiFile({
        Track({{0, Tempo(500000)}, {0, {0xFF, 0x01, 0x03, 'z', 'a', 'm'}}, {1920, EndOfTrack()}}),
        Track({{0, {0xC0, 12}},
               {0, {0xF0, 0x02, 0x7E, 0xF7}},
               {0, NoteOn(60)},
               {0, {64, 100}},  // running status: another note on
               {960, Tempo(1000000)},
               {480, {0x90, 60, 0}},  // a note on at velocity 0 ends the note, at 2.0 s
               {0, {64, 0}},
               {960, EndOfTrack()},    // 1.0 s + 1440 ticks at 1 s a quarter: 4.0 s
               {9600, NoteOff(64)}}),  // after the end of the track: never played
    });
    auto timing = ReadMidiTiming(tune);
    ASSERT_TRUE(timing);
    EXPECT_NEAR(timing->length_seconds, 4.0, 1e-9);
    EXPECT_NEAR(timing->last_note_seconds, 2.0, 1e-9);

    auto untimed =
        ReadMidiTiming(MidiFile({Track({{0, NoteOn(60)}, {960, NoteOff(60)}, {0, EndOfTrack()}})}));
    ASSERT_TRUE(untimed);
    EXPECT_NEAR(untimed->length_seconds, 1.0, 1e-9) << "120 beats a minute when no tempo is given";

    // Time code: 25 frames a second of 40 ticks, 1000 ticks a second; tempo changes play no part.
    auto smpte = ReadMidiTiming(MidiFile({Track({{0, Tempo(250000)}, {2500, EndOfTrack()}})}, 0xE728));
    ASSERT_TRUE(smpte);
    EXPECT_NEAR(smpte->length_seconds, 2.5, 1e-9);

    EXPECT_NEAR(ReadMidiTiming(ShortTune(4))->length_seconds, 2.0, 1e-9);
}

TEST(MidiTiming, ShippedTunesLastAsLongAsTheyAreWrittenAndEndOnTheirLastNote) {
    struct Expected {
        const char* name;
        double seconds;
    };
    // Lengths as the media generator computes them from the sources.
    for (auto [name, seconds] :
         {Expected{"zam.mid", 34.74}, Expected{"zaming.mid", 51.43}, Expected{"endzam.mid", 6.36}}) {
        auto timing = platform::ReadMidiTimingFile(std::string(ZAM_MEDIA_DIR) + "/" + name);
        ASSERT_TRUE(timing) << name;
        EXPECT_NEAR(timing->length_seconds, seconds, 0.006) << name;
        EXPECT_NEAR(timing->last_note_seconds, timing->length_seconds, 0.001)
            << name << ": the restart gap is measured from the last note";
    }
    EXPECT_FALSE(platform::ReadMidiTimingFile(std::string(ZAM_MEDIA_DIR) + "/no-such.mid"));
}

TEST(MidiTiming, RefusesAnythingButAWholeWellFormedFile) {
    const Bytes good = MidiFile({Track({{0, NoteOn(60)}, {480, NoteOff(60)}, {0, EndOfTrack()}})});
    ASSERT_TRUE(ReadMidiTiming(good));

    Bytes cut = good;
    cut.resize(cut.size() - 3);
    Bytes wave{'R', 'I', 'F', 'F', 36, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0};
    Bytes header_only(good.begin(), good.begin() + 14);
    Bytes missing_track = good;
    missing_track[11] = 2;  // says two tracks, holds one
    Bytes no_division = good;
    no_division[12] = no_division[13] = 0;
    Bytes garbage(300);
    for (std::size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<std::uint8_t>(i * 37 + 11);

    const struct {
        const char* what;
        Bytes bytes;
    } broken[] = {
        {"empty", {}},
        {"a wave file", wave},
        {"garbage", garbage},
        {"cut short", cut},
        {"header only", header_only},
        {"a track missing", missing_track},
        {"no ticks a quarter", no_division},
        {"data before any status", MidiFile({Track({{0, {60, 100}}, {0, EndOfTrack()}})})},
        {"a five-byte delta",
         MidiFile({{'M', 'T', 'r', 'k', 0, 0, 0, 8, 0x81, 0x81, 0x81, 0x81, 0x01, 0xFF, 0x2F, 0}})},
        {"a meta event longer than its track", MidiFile({Track({{0, {0xFF, 0x01, 0x40, 'x'}}})})},
        {"a status never found in files", MidiFile({Track({{0, {0xF4}}, {0, EndOfTrack()}})})},
    };
    for (const auto& [what, bytes] : broken)
        EXPECT_FALSE(ReadMidiTiming(bytes)) << what;
}

}  // namespace
