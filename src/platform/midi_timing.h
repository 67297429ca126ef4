#pragma once
// How long a standard MIDI file plays, worked out from its own ticks and tempo
// map. The music status follows this rather than the synthesizer, which keeps
// reporting a tune as playing for seconds after its last note.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

namespace platform {

struct MidiTiming {
    // The tune's own end: its last event, normally every track's end-of-track mark.
    double length_seconds = 0;
    // The moment the last note stops sounding (0 for a tune without notes).
    double last_note_seconds = 0;
};

// The timing of a MIDI file in memory; nothing unless it is a complete, well-formed file.
std::optional<MidiTiming> ReadMidiTiming(std::span<const std::uint8_t> bytes);

// The same for a file on disk; nothing when it is missing or unreadable.
std::optional<MidiTiming> ReadMidiTimingFile(const std::filesystem::path& path);

}  // namespace platform
