#include "platform/midi_timing.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

namespace platform {
namespace {

constexpr std::uint32_t DefaultTempo = 500000;  // microseconds per quarter note, 120 beats a minute
constexpr std::size_t LargestFile = 16 * 1024 * 1024;

struct TempoChange {
    std::int64_t tick;
    std::uint32_t microseconds_per_quarter;
};

// Reads big-endian numbers and variable-length quantities, refusing to run past its end.
class Reader {
public:
    Reader(std::span<const std::uint8_t> bytes, std::size_t begin, std::size_t end)
        : bytes_(bytes), pos_(begin), end_(end) {}

    bool AtEnd() const { return pos_ >= end_; }
    std::size_t Position() const { return pos_; }
    std::size_t Left() const { return end_ - pos_; }

    bool Byte(std::uint8_t& value) {
        if (pos_ >= end_)
            return false;
        value = bytes_[pos_++];
        return true;
    }
    bool Number(int size, std::uint32_t& value) {
        if (Left() < static_cast<std::size_t>(size))
            return false;
        value = 0;
        for (int i = 0; i < size; ++i)
            value = (value << 8) | bytes_[pos_++];
        return true;
    }
    // At most four bytes, as the file format allows.
    bool Variable(std::uint32_t& value) {
        value = 0;
        for (int i = 0; i < 4; ++i) {
            std::uint8_t byte = 0;
            if (!Byte(byte))
                return false;
            value = (value << 7) | (byte & 0x7F);
            if ((byte & 0x80) == 0)
                return true;
        }
        return false;
    }
    bool Skip(std::size_t count) {
        if (Left() < count)
            return false;
        pos_ += count;
        return true;
    }
    bool Tag(const char (&tag)[5]) {
        if (Left() < 4 || !std::equal(tag, tag + 4, bytes_.begin() + static_cast<std::ptrdiff_t>(pos_)))
            return false;
        pos_ += 4;
        return true;
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_;
    std::size_t end_;
};

struct TrackTimes {
    std::int64_t end_tick = 0;
    std::int64_t last_note_tick = 0;
};

// Walks one track's events; false when they do not make sense.
bool ReadTrack(Reader track, TrackTimes& times, std::vector<TempoChange>& tempos) {
    std::int64_t tick = 0;
    std::uint8_t running_status = 0;
    while (!track.AtEnd()) {
        std::uint32_t delta = 0;
        std::uint8_t status = 0;
        if (!track.Variable(delta) || !track.Byte(status))
            return false;
        tick += delta;
        times.end_tick = tick;
        if (status < 0xF0) {
            // A channel message. Under running status the byte just read is its first data byte.
            const bool running = status < 0x80;
            if (running && running_status == 0)
                return false;
            if (!running)
                running_status = status;
            const std::uint8_t kind = running_status & 0xF0;
            std::uint8_t first = 0;
            std::uint8_t velocity = 0;
            if (!running && !track.Byte(first))
                return false;
            // Program change and channel pressure carry one data byte, the others two.
            if (kind == 0xC0 || kind == 0xD0)
                continue;
            if (!track.Byte(velocity))
                return false;
            if (kind == 0x80 || (kind == 0x90 && velocity == 0))
                times.last_note_tick = std::max(times.last_note_tick, tick);
            continue;
        }
        running_status = 0;
        std::uint32_t length = 0;
        if (status == 0xF0 || status == 0xF7) {
            if (!track.Variable(length) || !track.Skip(length))
                return false;
            continue;
        }
        if (status != 0xFF)
            return false;
        std::uint8_t type = 0;
        if (!track.Byte(type) || !track.Variable(length) || track.Left() < length)
            return false;
        if (type == 0x2F)
            return true;  // end of track: anything after it is never played
        if (type == 0x51 && length == 3) {
            std::uint32_t tempo = 0;
            track.Number(3, tempo);
            if (tempo > 0)
                tempos.push_back({tick, tempo});
            continue;
        }
        track.Skip(length);
    }
    return true;
}

double TicksToSeconds(std::int64_t ticks, std::uint16_t division, const std::vector<TempoChange>& tempos) {
    if (division & 0x8000) {
        // Time code: frames a second (stored negative) times ticks a frame; tempo plays no part.
        int frames = -static_cast<std::int8_t>(division >> 8);
        double rate = frames == 29 ? 29.97 : frames;
        return static_cast<double>(ticks) / (rate * (division & 0xFF));
    }
    double seconds = 0;
    std::int64_t at = 0;
    std::uint32_t tempo = DefaultTempo;
    for (const TempoChange& change : tempos) {
        if (change.tick >= ticks)
            break;
        seconds += static_cast<double>(change.tick - at) * tempo / 1e6 / division;
        at = change.tick;
        tempo = change.microseconds_per_quarter;
    }
    return seconds + static_cast<double>(ticks - at) * tempo / 1e6 / division;
}

}  // namespace

std::optional<MidiTiming> ReadMidiTiming(std::span<const std::uint8_t> bytes) {
    Reader file(bytes, 0, bytes.size());
    std::uint32_t header_length = 0;
    std::uint32_t format = 0;
    std::uint32_t track_count = 0;
    std::uint32_t division = 0;
    if (!file.Tag("MThd") || !file.Number(4, header_length) || header_length < 6 || !file.Number(2, format) ||
        !file.Number(2, track_count) || !file.Number(2, division) || !file.Skip(header_length - 6))
        return std::nullopt;
    if (format > 2 || track_count == 0 || (division & 0x7FFF) == 0)
        return std::nullopt;
    if ((division & 0x8000) && ((division & 0xFF) == 0 || -static_cast<std::int8_t>(division >> 8) <= 0))
        return std::nullopt;

    TrackTimes tune;
    std::vector<TempoChange> tempos;
    std::uint32_t tracks_read = 0;
    while (tracks_read < track_count) {
        bool is_track = file.Tag("MTrk");
        if (!is_track && !file.Skip(4))
            return std::nullopt;
        std::uint32_t length = 0;
        if (!file.Number(4, length) || file.Left() < length)
            return std::nullopt;  // cut short
        if (is_track) {
            TrackTimes track;
            if (!ReadTrack(Reader(bytes, file.Position(), file.Position() + length), track, tempos))
                return std::nullopt;
            tune.end_tick = std::max(tune.end_tick, track.end_tick);
            tune.last_note_tick = std::max(tune.last_note_tick, track.last_note_tick);
            ++tracks_read;
        }
        file.Skip(length);
    }
    // A tempo set in any track applies to all of them, from its tick on; at the same tick the later one wins.
    std::stable_sort(tempos.begin(), tempos.end(),
                     [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
    auto ppq_or_smpte = static_cast<std::uint16_t>(division);
    return MidiTiming{TicksToSeconds(tune.end_tick, ppq_or_smpte, tempos),
                      TicksToSeconds(tune.last_note_tick, ppq_or_smpte, tempos)};
}

std::optional<MidiTiming> ReadMidiTimingFile(const std::filesystem::path& path) {
    std::error_code error;
    auto size = std::filesystem::file_size(path, error);
    if (error || size > LargestFile)
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return ReadMidiTiming(bytes);
}

}  // namespace platform
