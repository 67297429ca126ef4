#pragma once
// The synthesizer the music plays on, made from General MIDI sound fonts, and the loudness it plays at,
// the same whichever font it is.

#include <cstdint>
#include <fluidsynth.h>
#include <future>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace platform::audio {

struct FreeSynthesizer {
    void operator()(fluid_synth_t* synth) const;
};
using Synthesizer = std::unique_ptr<fluid_synth_t, FreeSynthesizer>;

// The sound fonts the synthesizer reads: those SDL_SOUNDFONTS names, else the first one installed.
std::vector<std::string> SoundFonts();

// Makes the synthesizer on a thread of its own, so that nothing ever waits for a sound font: null when
// no font could be read. FluidSynth's errors elsewhere are about the tune; `tune_error` says them.
std::future<Synthesizer> LoadSynthesizer(void (*tune_error)(const char* message));

// Gives the synthesizer the presets the tune chooses that it has not read yet, from every font; at once when
// it has them all. To be called before the tune plays, away from the audio thread's lock: it may take a few
// milliseconds per font. Nothing happens without a synthesizer.
void LoadPresets(fluid_synth_t* synth, std::span<const std::uint8_t> tune);
// Makes a LoadPresets under way stop after the font it reads: the synthesizer is about to be let go.
void StopLoadingPresets();

// Sound fonts differ by up to 7 dB on the same tune: a slow gain brings the music to -18 dBFS, where the
// tunes stand with TimGM6mb, and a limiter keeps every peak below full scale.
struct Loudness {
    float power = 0;  // the music's mean square over the last seconds
    float limit = 1;  // the limiter's gain
    void Restart();   // for a new tune
    void Render(fluid_synth_t* synth, std::int16_t* stereo, int frames);
};

}  // namespace platform::audio
