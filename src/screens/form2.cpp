#include "screens/form2.h"

#include "globals/globals.h"
#include "layout/form2_layout.h"
#include "platform/kernel.h"
#include "sound/tx_midi.h"

namespace screens {

namespace {
constexpr const char* TitleTune = "zam.mid";
constexpr platform::Integer EasyTries = 10;
constexpr platform::Integer HardTries = 30;
}  // namespace

Form2::Form2() : platform::Form(layout::Form2Window, layout::Form2Controls) {}

void Form2::ControlsCreated() {
    Command1().on_click = [this] { Command1_Click(); };
    Image1().on_click = [this] { Image1_Click(); };
}

void Form2::Form_Load() {
    Image1().SetToggle(globals::MusicOff == platform::False);
    sound::PlayMidi(TitleTune);
}

void Form2::Command1_Click() {
    globals::ComputerTries = Option1(0).Value() ? EasyTries : HardTries;
    // Main's wait sees the window go and starts the game; the title tune plays on until the game stops it.
    Hide();
}

void Form2::Image1_Click() {
    globals::MusicOff = static_cast<platform::Boolean>(~globals::MusicOff);
    Image1().SetToggle(globals::MusicOff == platform::False);
    sound::StopMidi();
    // Switching the music back on starts the title tune again from its beginning.
    if (globals::MusicOff == platform::False)
        sound::PlayMidi(TitleTune);
}

void Form2::Form_QueryUnload(platform::CloseReason reason) {
    // The program's own unloading after Start goes ahead quietly; any other close ends the program.
    if (reason == platform::CloseReason::Program)
        return;
    sound::StopMidi();
    platform::End();
}

}  // namespace screens
