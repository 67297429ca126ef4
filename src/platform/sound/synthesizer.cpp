#include "platform/sound/synthesizer.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>

#include "media/media_gate.h"
#include "platform/sound/sound_font.h"

namespace platform::audio {
namespace {

constexpr int Frequency = 44100;
// FluidSynth's own gain is 0.2, which leaves the tunes far quieter than the effects.
constexpr float SynthGain = 1.2f;
// The gain settles over 3 s, lowering the music up to 12 dB and raising it 1 dB at most; the limiter
// holds the peaks at 90 % of full scale and lets go within a tenth of a second.
constexpr float Target = 0.126f, Lowest = 0.25f, Highest = 1.12f, Settle = 3, Ceiling = 0.9f;
constexpr float Release = 10.0f / Frequency;

thread_local bool on_loader = false;  // or loading presets: FluidSynth's errors are then the font's
void (*say_tune_error)(const char*) = nullptr;

void SynthesizerError(int, const char* message, void*) {
    if (on_loader)
        media::Refuse("the synthesizer", message ? message : "");
    else
        say_tune_error(message ? message : "");
}

// The fonts of each synthesizer, which go with it; never destroyed, as a loader may free its synthesizer
// while the program ends.
std::mutex stacks_mutex;
auto& stacks = *new std::map<fluid_synth_t*, std::unique_ptr<FontStack>>;
std::atomic<unsigned> stops{0};

Synthesizer MakeSynthesizer(const std::vector<std::string>& fonts) {
    fluid_settings_t* settings = new_fluid_settings();
    if (settings) {
        fluid_settings_setnum(settings, "synth.sample-rate", Frequency);
        fluid_settings_setnum(settings, "synth.gain", SynthGain);
        // Only the instruments a tune chooses are read into memory, when it chooses them; the tunes sound
        // 81 voices at most, and each voice set aside costs 10 kB.
        fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
        fluid_settings_setint(settings, "synth.polyphony", 128);
    }
    Synthesizer made(settings ? new_fluid_synth(settings) : nullptr);
    if (!made)
        delete_fluid_settings(settings);
    int loaded = 0;
    if (made) {
        // The synthesizer reads only the presets every channel starts on; each tune brings its own.
        fluid_synth_add_sfloader(made.get(), NewServingLoader(settings));
        auto stack = std::make_unique<FontStack>(fonts);
        loaded = stack->Load(made.get(), StartingPresets());
        std::lock_guard lock(stacks_mutex);
        stacks[made.get()] = std::move(stack);
    }
    if (loaded == 0)
        std::fprintf(stderr, "zam: playing without music: no sound font could be read\n");
    return loaded ? std::move(made) : nullptr;
}

}  // namespace

void FreeSynthesizer::operator()(fluid_synth_t* synth) const {
    std::unique_ptr<FontStack> fonts;  // let go after the synthesizer, which reads from them to the last
    {
        std::lock_guard lock(stacks_mutex);
        if (auto node = stacks.extract(synth))
            fonts = std::move(node.mapped());
    }
    fluid_settings_t* settings = fluid_synth_get_settings(synth);
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
}

void LoadPresets(fluid_synth_t* synth, std::span<const std::uint8_t> tune) {
    FontStack* stack = nullptr;
    if (synth) {
        std::lock_guard lock(stacks_mutex);
        stack = stacks.contains(synth) ? stacks[synth].get() : nullptr;
    }
    if (!stack)
        return;
    const unsigned stops_before = stops;
    on_loader = true;
    stack->Load(synth, TunePresets(tune), [stops_before] { return stops != stops_before; });
    on_loader = false;
}

void StopLoadingPresets() {
    ++stops;
}

// General MIDI instruments when SDL_SOUNDFONTS names none (fonts between ';', or ':' as SDL_mixer
// splits them here), in the order the manual page gives, whatever SDL_mixer itself would choose.
std::vector<std::string> SoundFonts() {
    constexpr const char* Installed[] = {"/usr/share/sounds/sf2/TimGM6mb.sf2",
                                         "/usr/share/sounds/sf2/default-GM.sf2"};
    std::vector<std::string> fonts;
    const char* named = std::getenv("SDL_SOUNDFONTS");
    for (std::string rest = named ? named : ""; !rest.empty();) {
        const auto end = rest.find_first_of(";:");
        if (end != 0)
            fonts.push_back(rest.substr(0, end));
        rest = end == std::string::npos ? "" : rest.substr(end + 1);
    }
    std::error_code error;
    for (const char* font : Installed)
        if (fonts.empty() && std::filesystem::is_regular_file(font, error))
            fonts.push_back(font);
    return fonts;
}

std::future<Synthesizer> LoadSynthesizer(void (*tune_error)(const char* message)) {
    say_tune_error = tune_error;
    // FluidSynth's warnings about the sound font's oddities mean nothing to a player.
    for (int level : {FLUID_WARN, FLUID_INFO, FLUID_DBG})
        fluid_set_log_function(level, nullptr, nullptr);
    for (int level : {FLUID_ERR, FLUID_PANIC})
        fluid_set_log_function(level, SynthesizerError, nullptr);
    std::promise<Synthesizer> promise;
    auto made = promise.get_future();
    std::thread([promise = std::move(promise), fonts = SoundFonts()]() mutable {
        on_loader = true;
        promise.set_value(MakeSynthesizer(fonts));
    }).detach();
    return made;
}

void Loudness::Restart() {
    power = Target * Target;
    limit = 1;
}

void Loudness::Render(fluid_synth_t* synth, std::int16_t* stereo, int frames) {
    thread_local std::vector<float> samples;
    samples.resize(2 * static_cast<std::size_t>(frames));
    fluid_synth_write_float(synth, frames, samples.data(), 0, 2, samples.data(), 1, 2);
    float sum = 0;
    for (float sample : samples)
        sum += sample * sample;
    power += (sum / samples.size() - power) * frames / (Frequency * Settle);
    const float gain = std::clamp(Target / std::sqrt(std::max(power, 1e-9f)), Lowest, Highest);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const float sample = samples[i] * gain;
        limit = std::min(limit, Ceiling / std::abs(sample));
        stereo[i] = static_cast<std::int16_t>(sample * limit * 32767);
        limit += (1 - limit) * Release;
    }
}

}  // namespace platform::audio
