#pragma once
// Builds small standard MIDI files byte by byte, to time them and to play them.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

namespace testing_support {

using Bytes = std::vector<std::uint8_t>;

struct MidiEvent {
    std::uint32_t delta;  // ticks since the previous event of the track
    Bytes bytes;          // status and data, exactly as stored
};

inline void PutVariable(Bytes& out, std::uint32_t value) {
    Bytes groups{static_cast<std::uint8_t>(value & 0x7F)};
    while (value >>= 7)
        groups.insert(groups.begin(), static_cast<std::uint8_t>(0x80 | (value & 0x7F)));
    out.insert(out.end(), groups.begin(), groups.end());
}

inline void PutNumber(Bytes& out, std::uint32_t value, int size) {
    for (int shift = 8 * (size - 1); shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

inline Bytes Track(const std::vector<MidiEvent>& events) {
    Bytes body;
    for (const MidiEvent& event : events) {
        PutVariable(body, event.delta);
        body.insert(body.end(), event.bytes.begin(), event.bytes.end());
    }
    Bytes chunk{'M', 'T', 'r', 'k'};
    PutNumber(chunk, static_cast<std::uint32_t>(body.size()), 4);
    chunk.insert(chunk.end(), body.begin(), body.end());
    return chunk;
}

// A file of the given tracks; division is ticks per quarter note, or a time code with the top bit set.
inline Bytes MidiFile(std::initializer_list<Bytes> tracks, std::uint16_t division = 480,
                      std::uint16_t format = 1) {
    Bytes file{'M', 'T', 'h', 'd', 0, 0, 0, 6};
    PutNumber(file, format, 2);
    PutNumber(file, static_cast<std::uint32_t>(tracks.size()), 2);
    PutNumber(file, division, 2);
    for (const Bytes& track : tracks)
        file.insert(file.end(), track.begin(), track.end());
    return file;
}

inline Bytes Tempo(std::uint32_t microseconds_per_quarter) {
    Bytes event{0xFF, 0x51, 0x03};
    PutNumber(event, microseconds_per_quarter, 3);
    return event;
}
inline Bytes EndOfTrack() {
    return {0xFF, 0x2F, 0x00};
}
inline Bytes NoteOn(int note, int velocity = 100) {
    return {0x90, static_cast<std::uint8_t>(note), static_cast<std::uint8_t>(velocity)};
}
inline Bytes NoteOff(int note) {
    return {0x80, static_cast<std::uint8_t>(note), 0x40};
}

// A loud tune of one voice (a square lead, notes back to back) lasting quarters / 2 seconds at 120 beats a
// minute.
inline Bytes ShortTune(int quarters) {
    std::vector<MidiEvent> events{{0, Tempo(500000)}, {0, {0xC0, 80}}};
    for (int q = 0; q < quarters; ++q) {
        const int note = 60 + 4 * (q % 4);
        events.push_back({0, NoteOn(note, 120)});
        events.push_back({480, NoteOff(note)});
    }
    events.push_back({0, EndOfTrack()});
    return MidiFile({Track(events)}, 480, 0);
}

inline void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline Bytes ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace testing_support
