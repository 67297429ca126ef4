#pragma once
// The title window: the difficulty, the music switch and the Start button.
// It keeps nothing of its own; the choice lands in Module1's globals.

#include <array>

#include "platform/forms.h"

namespace screens {

class Form2 : public platform::Form {
public:
    Form2();

    // ---- Event handlers -----------------------------------------------------------
    void Command1_Click();
    void Image1_Click();

    // ---- The controls of the loaded window ------------------------------------
    platform::PictureBox& Picture1() const { return *c_.Picture1; }
    platform::Image& Image1() const { return *c_.Image1; }
    platform::Label& Label1() const { return *c_.Label1; }
    platform::OptionButton& Option1(int index) const { return *c_.Option1.at(index); }
    platform::CommandButton& Command1() const { return *c_.Command1; }

protected:
    void Form_Load() override;
    void Form_QueryUnload(platform::CloseReason reason) override;
    void ControlsCreated() override;
    void ControlsDestroyed() override;

private:
    struct Controls {
        platform::PictureBox* Picture1 = nullptr;
        platform::Image* Image1 = nullptr;
        platform::Label* Label1 = nullptr;
        std::array<platform::OptionButton*, 2> Option1{};
        platform::CommandButton* Command1 = nullptr;
    };
    Controls c_;
};

}  // namespace screens
