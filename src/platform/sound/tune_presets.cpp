#include "platform/sound/tune_presets.h"

#include <array>
#include <cstring>

namespace platform::audio {
namespace {

constexpr int DrumChannel = 9, DrumBank = 128;

// What the tune chooses on each channel, in any of its tracks: the synthesizer merges them in time, so a
// bank selected in one track may meet a program changed in another.
struct Choices {
    std::array<std::bitset<128>, 16> programs, banks;
    bool rhythm = false;  // a Roland GS message may make any channel a drum channel
};

// A variable-length number; false when it runs past the end or past four bytes.
bool ReadVariable(std::span<const std::uint8_t> b, std::size_t& at, std::uint32_t& value) {
    value = 0;
    for (int i = 0; i < 4 && at < b.size(); ++i) {
        const std::uint8_t byte = b[at++];
        value = (value << 7) | (byte & 0x7F);
        if (!(byte & 0x80))
            return true;
    }
    return false;
}

// A GS "use for rhythm part" message: F0 41 <device> 42 12 40 1x 15 ...
bool IsRhythmPart(std::span<const std::uint8_t> message) {
    return message.size() >= 7 && message[0] == 0x41 && message[2] == 0x42 && message[3] == 0x12 &&
           message[4] == 0x40 && (message[5] & 0xF0) == 0x10 && message[6] == 0x15;
}

// One track's events, with running status; it stops at the first byte that cannot begin an event, as the
// synthesizer refuses such a file.
void ScanTrack(std::span<const std::uint8_t> track, Choices& choices) {
    std::size_t at = 0;
    std::uint8_t status = 0;
    for (std::uint32_t length = 0; ReadVariable(track, at, length) && at < track.size();) {
        const std::uint8_t first = track[at];
        if (first == 0xFF || first == 0xF0 || first == 0xF7) {  // meta or system exclusive
            at += first == 0xFF ? 2 : 1;
            if (at > track.size() || !ReadVariable(track, at, length) || length > track.size() - at)
                return;
            choices.rhythm |= first == 0xF0 && IsRhythmPart(track.subspan(at, length));
            at += length;
            status = 0;
            continue;
        }
        if (first & 0x80)
            status = first, ++at;
        if (status < 0x80 || status >= 0xF0)
            return;
        const std::size_t size = (status & 0xE0) == 0xC0 ? 1 : 2;
        if (track.size() - at < size)
            return;
        const int channel = status & 0x0F, data = track[at] & 0x7F;
        if ((status & 0xF0) == 0xC0)
            choices.programs[channel].set(data);
        else if ((status & 0xF0) == 0xB0 && data == 0)
            choices.banks[channel].set(track[at + 1] & 0x7F);
        at += size;
    }
}

}  // namespace

Presets StartingPresets() {
    Presets presets;
    presets.set(Preset(0, 0));
    presets.set(Preset(DrumBank, 0));
    return presets;
}

Presets TunePresets(std::span<const std::uint8_t> midi) {
    Choices choices;
    // Every track chunk, the header's count aside: more rather than fewer.
    for (std::size_t at = 0; midi.size() - at >= 8;) {
        const std::uint32_t announced = static_cast<std::uint32_t>(midi[at + 4]) << 24 | midi[at + 5] << 16 |
                                        midi[at + 6] << 8 | midi[at + 7];
        const std::size_t length = std::min<std::size_t>(announced, midi.size() - at - 8);
        if (std::memcmp(&midi[at], "MTrk", 4) == 0)
            ScanTrack(midi.subspan(at + 8, length), choices);
        at += 8 + length;
    }
    Presets wanted = StartingPresets();
    for (int channel = 0; channel < 16; ++channel) {
        const bool drums = channel == DrumChannel || choices.rhythm;
        for (int program = 0; program < 128; ++program) {
            if (!choices.programs[channel].test(program))
                continue;
            // A melodic program missing from its bank is looked for in bank 0; a missing kit falls back
            // on the standard kit, which is always there.
            wanted.set(Preset(0, program));
            for (int bank = 0; bank < 128; ++bank)
                if (choices.banks[channel].test(bank))
                    wanted.set(Preset(bank, program));
            if (drums)
                wanted.set(Preset(DrumBank, program));
        }
    }
    return wanted;
}

}  // namespace platform::audio
