#pragma once
// The game window: the state of one game, its controls and its procedures.
// The state belongs to the window object and outlives the window's controls:
// unloading after a game keeps it, and the next game's Init overwrites it.

#include <array>

#include "game/board_size.h"
#include "platform/bounded_array.h"
#include "platform/forms.h"
#include "platform/types.h"

namespace game {

using platform::Boolean;
using platform::Integer;

class Form1 : public platform::Form {
public:
    Form1();

    // ---- The state of a game, as declared ----------------------------------
    // Move value of each cell, 1..4; column 16 and row 14 are declared but stay 0.
    platform::Array2D<Integer, 0, Columns, 0, Rows> MoveValues;
    // Column and row of piece n of side s, -1 once it has left the board.
    // Piece numbers -4..20 and side 2 are declared but never used.
    platform::Array2D<Integer, -4, 20, 0, 2> PieceX;
    platform::Array2D<Integer, -4, 20, 0, 2> PieceY;
    platform::Array1D<Integer, 0, 2> Score;
    Integer Phase = 0;  // 0 choose a piece, 1 piece chosen, 2 computer's turn, -1 game over
    Integer Selected = 0;
    Integer PlayerPieces = 0;
    Integer ComputerPieces = 0;
    Boolean EndLoop = platform::False;

    // ---- The board ------------------------------------------------------------
    void Init();
    // Places (X >= 0) or hides (X < 0) the image of piece Param of side Mode; with
    // Mode 2 or more, shows the selection marker on cell (X, Y) when Param is -1 and
    // hides it otherwise. Records nothing in PieceX or PieceY.
    void Locate(Integer X, Integer Y, Integer Mode, Integer Param);
    // What stands on cell (X, Y): 0 nothing, 1 a player's piece, 2 a computer's piece.
    Integer Kcheck(Integer X, Integer Y) const;
    void DrawLines();

    // ---- The controls of the loaded window ------------------------------------
    platform::Timer& Timer1() const { return *c_.Timer1; }
    platform::CommandButton& Command1() const { return *c_.Command1; }
    platform::PictureBox& Picture1() const { return *c_.Picture1; }
    platform::Label& lblWinorLose() const { return *c_.lblWinorLose; }
    platform::Label& lblMV() const { return *c_.lblMV; }
    platform::Image& Image2(int index) const { return *c_.Image2.at(index); }
    platform::Shape& Shape1() const { return *c_.Shape1; }
    platform::Image& Image1(int index) const { return *c_.Image1.at(index); }
    platform::Label& lblScore(int index) const { return *c_.lblScore.at(index); }
    platform::Image& Image0(int index) const { return *c_.Image0.at(index); }

protected:
    void Form_Load() override;
    void Form_QueryUnload(platform::CloseReason reason) override;
    void ControlsCreated() override;
    void ControlsDestroyed() override;

private:
    struct Controls {
        platform::Timer* Timer1 = nullptr;
        platform::CommandButton* Command1 = nullptr;
        platform::PictureBox* Picture1 = nullptr;
        platform::Label* lblWinorLose = nullptr;
        platform::Label* lblMV = nullptr;
        std::array<platform::Image*, 4> Image2{};
        platform::Shape* Shape1 = nullptr;
        std::array<platform::Image*, 2 * PiecesPerSide> Image1{};
        std::array<platform::Label*, 4> lblScore{};
        std::array<platform::Image*, 2> Image0{};
    };
    Controls c_;
};

}  // namespace game
