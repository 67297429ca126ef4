#pragma once
// How long a tune plays by FluidSynth's own clock, which the music status follows:
// rendered away from any device, as fast as it goes, until the player's current tick
// reaches the tune's last.

#include <fluidsynth.h>
#include <optional>
#include <string>

namespace bench {

inline void QuietSynthesizerLog(int, const char*, void*) {}

inline std::optional<double> TuneSeconds(const std::string& path, double rate = 44100) {
    // Without a sound font every note warns; only the clock matters here.
    fluid_set_log_function(FLUID_WARN, QuietSynthesizerLog, nullptr);
    fluid_settings_t* settings = new_fluid_settings();
    fluid_settings_setnum(settings, "synth.sample-rate", rate);
    fluid_synth_t* synth = new_fluid_synth(settings);
    fluid_player_t* player = new_fluid_player(synth);
    std::optional<double> seconds;
    if (fluid_player_add(player, path.c_str()) == FLUID_OK && fluid_player_play(player) == FLUID_OK) {
        constexpr int Block = 64;
        float left[Block];
        float right[Block];
        for (long frames = 0; frames < 600 * rate; frames += Block) {
            const int total = fluid_player_get_total_ticks(player);
            if (fluid_player_get_status(player) != FLUID_PLAYER_PLAYING ||
                (total > 0 && fluid_player_get_current_tick(player) >= total)) {
                seconds = frames / rate;
                break;
            }
            fluid_synth_write_float(synth, Block, left, 0, 1, right, 0, 1);
        }
    }
    delete_fluid_player(player);
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
    return seconds;
}

}  // namespace bench
