#pragma once
// The title window: the difficulty, the music switch and the Start button.
// It keeps nothing of its own; the choice lands in Module1's globals.

#include "platform/window/forms.h"

namespace screens {

class Form2 : public platform::Form {
public:
    Form2();

    // ---- Event handlers -----------------------------------------------------------
    void Command1_Click();
    void Image1_Click();

    // ---- The controls of the loaded window, by their names in the layout ------
    platform::PictureBox& Picture1() const { return Get<platform::PictureBox>("Picture1"); }
    platform::Image& Image1() const { return Get<platform::Image>("Image1"); }
    platform::Label& Label1() const { return Get<platform::Label>("Label1"); }
    platform::OptionButton& Option1(int index) const { return Get<platform::OptionButton>("Option1", index); }
    platform::CommandButton& Command1() const { return Get<platform::CommandButton>("Command1"); }

protected:
    void Form_Load() override;
    void Form_QueryUnload(platform::CloseReason reason) override;
    void ControlsCreated() override;
};

}  // namespace screens
