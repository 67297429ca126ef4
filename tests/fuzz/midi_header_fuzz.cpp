// libFuzzer target: the MIDI header check and the whole-tune check, which walks the
// tracks by lengths the file itself gives, and must never read outside it.

#include <cstdint>
#include <cstdlib>

#include "media/media_gate.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const bool header = media::MidiHeaderFault({data, size}).empty();
    const bool whole = media::MidiFileFault({data, size}).empty();
    // A whole tune that passes has a header that passes.
    if (whole && !header)
        std::abort();
    return 0;
}
