#pragma once
// A SoundFont 2 file cut down to a few of its presets: its bytes up to the preset data as they are, followed
// by a preset data list rebuilt with only those presets, the instruments they use and the samples these
// play. The samples' data stays where it is in the file, so that the cut file is read from the whole one.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "platform/sound/tune_presets.h"

namespace platform::audio {

// Where a font's preset data list lies, when the file is laid out as FluidSynth reads it: a RIFF "sfbk"
// form whose size is the file's, holding the INFO, sdta and pdta lists in this order, the pdta list last.
struct Sf2Layout {
    std::uint64_t pdta_at = 0;    // the offset of the pdta list's header, the end of the bytes kept
    std::uint64_t pdta_size = 0;  // the list's length, header included
};

// Reads `out.size()` bytes of the file at `at`; false when it cannot.
using ReadAt = std::function<bool(std::uint64_t at, std::span<std::uint8_t> out)>;

// Finds the layout by reading the file's chunk headers; nothing when it is not the one above.
std::optional<Sf2Layout> FindLayout(const ReadAt& read, std::uint64_t file_size);

// The pdta list (header included) holding only the presets `wanted` names, renumbered, and how many it
// holds; nothing when the list is malformed in any way.
struct Sf2Subset {
    std::vector<std::uint8_t> pdta;
    int presets = 0;
};
std::optional<Sf2Subset> SubsetPdta(std::span<const std::uint8_t> pdta, const Presets& wanted);

}  // namespace platform::audio
