#pragma once
// The sound fonts a synthesizer plays from, given to it a few presets at a time: FluidSynth keeps some 2 kB
// for every zone of every preset it reads, and the tunes choose a handful of the hundreds a font holds.
// Each font is read through a file of our own making, served to FluidSynth under a name of its own: the
// font's bytes up to its preset data as they are on disk, then the presets wanted (see sf2_subset.h).

#include <fluidsynth.h>
#include <functional>
#include <string>
#include <vector>

#include "platform/sound/tune_presets.h"

namespace platform::audio {

// FluidSynth's own SF2 loader reading the served files, and any other file as it is; to be added to a
// synthesizer before it loads a font.
fluid_sfloader_t* NewServingLoader(fluid_settings_t* settings);

struct Served;  // a file served to FluidSynth

class FontStack {
public:
    explicit FontStack(const std::vector<std::string>& paths);
    ~FontStack();  // the served files go; FluidSynth must have let them go first
    FontStack(const FontStack&) = delete;
    FontStack& operator=(const FontStack&) = delete;

    // Loads from every font, in order, the presets `wanted` names that no call asked for before; a tune then
    // finds each preset where it would in the whole fonts, later fonts first. The first call loads them all
    // whole when any font is laid out otherwise than usual. `stop` ends the loading between two fonts.
    // Returns how many fonts FluidSynth took.
    int Load(fluid_synth_t* synth, const Presets& wanted, const std::function<bool()>& stop = {});

private:
    struct Font {
        std::string path, served;  // the file, and the name its cut is served under
        bool whole = false;
    };
    bool LoadCut(fluid_synth_t* synth, Font& font, Served&& cut, bool first);
    std::vector<Font> fonts_;
    Presets asked_;
    bool started_ = false;
};

}  // namespace platform::audio
