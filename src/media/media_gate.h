#pragma once
// The one gate every tune and effect passes before SDL or FluidSynth sees it: a
// regular file below a size cap, with a header the library handles safely. Neither
// library is safe with whatever lies in the media folder: SDL's sample-rate converter
// overruns its buffer on a wave of a few hertz, and FluidSynth reads a tune whole and
// accepts half files. A file refused here gives silence, and one line on stderr the
// first time in the run.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace media {

enum class Kind { Tune, Effect };

inline constexpr std::uintmax_t TuneCap = 4u << 20;
inline constexpr std::uintmax_t EffectCap = 16u << 20;
// The bytes the header checks look at, at the start of a file.
inline constexpr std::size_t HeaderBytes = 512;

// What is wrong with the start of a standard MIDI file FluidSynth is to play; empty when
// nothing is. Only the header chunk is looked at (the first 14 bytes).
std::string MidiHeaderFault(std::span<const std::uint8_t> bytes);
// The same for a whole tune: the header, and every track it announces complete.
std::string MidiFileFault(std::span<const std::uint8_t> bytes);
// What is wrong with the start of a wave file SDL is to convert; empty when nothing is.
// The format chunk must lie within the bytes given.
std::string WaveHeaderFault(std::span<const std::uint8_t> bytes);
// The same for a whole wave file: the header, and every chunk (the samples among them)
// inside the file. SDL takes a chunk's length as given and would ask for gigabytes.
std::string WaveFileFault(std::span<const std::uint8_t> bytes);

// Opens a file by its bytes, whatever its length; -1 with errno set when it cannot.
int OpenByBytes(const std::string& path, int flags);

// The whole file, opened once and read without taking more than the cap: a regular file
// below the cap whose header (on its first HeaderBytes) and whole content pass; nothing
// when it may not be played (reported once, like every refusal).
std::optional<std::vector<std::uint8_t>> Read(const std::string& path, Kind kind);

// Says once per file and run why it gives no sound; later calls for it say nothing.
void Refuse(const std::string& path, const std::string& why);

}  // namespace media
