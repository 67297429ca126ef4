#pragma once
// The presets a tune may sound on, found in its bytes before it plays, so that the synthesizer need read
// no others from the sound font.

#include <bitset>
#include <cstdint>
#include <span>

namespace platform::audio {

// A set of presets as FluidSynth looks them up: bank * 128 + program, the drum kits in bank 128.
using Presets = std::bitset<129 * 128>;
constexpr std::size_t Preset(int bank, int program) {
    return static_cast<std::size_t>(bank) * 128 + static_cast<std::size_t>(program);
}

// Those every channel starts on: the piano, and the standard drum kit on channel 10.
Presets StartingPresets();

// The presets a standard MIDI file chooses with its program changes and bank selects, with those FluidSynth
// falls back on when the font lacks one; more rather than fewer. Any bytes may be given.
Presets TunePresets(std::span<const std::uint8_t> midi);

}  // namespace platform::audio
