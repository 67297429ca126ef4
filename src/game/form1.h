#pragma once
// The game window: the state of one game, its controls and its procedures.
// The state belongs to the window object and outlives the window's controls:
// unloading after a game keeps it, and the next game's Init overwrites it.

#include "game/board_size.h"
#include "game/game_state.h"
#include "game/rules.h"
#include "platform/types.h"
#include "platform/window/forms.h"

namespace game {

class Form1 : public platform::Form, public GameState, public MoveView {
public:
    Form1();

    // ---- The board ------------------------------------------------------------
    // A new game in the window: the piece pictures, the rules' Init of the state, the grid.
    void Init();
    // Places (X >= 0) or hides (X < 0) the image of piece Param of side Mode; with
    // Mode 2 or more, shows the selection marker on cell (X, Y) when Param is -1 and
    // hides it otherwise. Records nothing in PieceX or PieceY.
    void Locate(Integer X, Integer Y, Integer Mode, Integer Param) override;
    void DrawLines();

    // ---- The turns --------------------------------------------------------------
    // The turn loop: the player's moves arrive as events and call MoveYourChr; the
    // computer answers at once with ZAMPhase. Both are the rules' own (rules.h).
    void Game();
    // The landing cell's value V rises over cell (XX, YY), brightening and fading.
    void PrintMoveValue(Integer XX, Integer YY, Integer V) override;
    // Scores the survivors, shows the result and lets the winner's pieces dance until OK.
    void GameEnd();

    // ---- Event handlers -----------------------------------------------------------
    void Timer1_Timer();
    void Command1_Click();
    void Image1_Click(int Index);
    void Image2_Click(int Index);
    void Picture1_KeyDown(int KeyCode, int Shift);

    // ---- The controls of the loaded window, by their names in the layout ------
    platform::Timer& Timer1() const { return Get<platform::Timer>("Timer1"); }
    platform::CommandButton& Command1() const { return Get<platform::CommandButton>("Command1"); }
    platform::PictureBox& Picture1() const { return Get<platform::PictureBox>("Picture1"); }
    platform::Label& lblWinorLose() const { return Get<platform::Label>("lblWinorLose"); }
    platform::Label& lblMV() const { return Get<platform::Label>("lblMV"); }
    platform::Image& Image2(int index) const { return Get<platform::Image>("Image2", index); }
    platform::Shape& Shape1() const { return Get<platform::Shape>("Shape1"); }
    platform::Image& Image1(int index) const { return Get<platform::Image>("Image1", index); }
    platform::Label& lblScore(int index) const { return Get<platform::Label>("lblScore", index); }
    platform::Image& Image0(int index) const { return Get<platform::Image>("Image0", index); }

protected:
    void Form_Load() override;
    void Form_QueryUnload(platform::CloseReason reason) override;
    void ControlsCreated() override;

private:
    // The rest of what a move shows and sounds.
    void PlayWav(const char* file_name) override;
    void Pause(int milliseconds) override;
    void ShowScore(int side) override;
    // Tells a screen reader the move in a sentence, and where the pieces now stand.
    void MoveMade(const MoveReport& move) override;
    void DescribePieces();
};

}  // namespace game
