#pragma once
// The rules of a move and of the end of a game, on the game state alone. What a
// move shows and sounds goes to a MoveView in the order the player sees and hears
// it; the game window is one view, a game played without a window uses a silent one.

#include "game/computer_choice.h"
#include "game/game_state.h"

namespace game {

// What one completed move did, for whoever tells it in words.
struct MoveReport {
    int side = PlayerSide;
    int piece = 0;
    Integer direction = MoveUp;
    Cell to{};
    int captured[PiecesPerSide] = {};  // the other side's pieces taken on the landing cell
    int captures = 0;
    bool far_row = false;  // reached the other side's home row and left the board
};

class MoveView {
public:
    virtual ~MoveView() = default;
    // Shows or hides a piece image or the selection marker, as Form1::Locate does.
    virtual void Locate(Integer X, Integer Y, Integer Mode, Integer Param) = 0;
    virtual void PlayWav(const char* file_name) = 0;
    // The landing cell's value, shown over the moved piece; returns when it is over.
    virtual void PrintMoveValue(Integer XX, Integer YY, Integer V) = 0;
    virtual void Pause(int milliseconds) = 0;
    // The side's score has been settled for this move: show it.
    virtual void ShowScore(int side) = 0;
    // The move is complete, its score shown.
    virtual void MoveMade(const MoveReport&) {}
};

// A view that shows and sounds nothing, for games played without a window.
class SilentView : public MoveView {
public:
    void Locate(Integer, Integer, Integer, Integer) override {}
    void PlayWav(const char*) override {}
    void PrintMoveValue(Integer, Integer, Integer) override {}
    void Pause(int) override {}
    void ShowScore(int) override {}
};

// A new game: both sides' pieces on their home rows (shown through the view), a
// freshly dealt board, scores 0, 16 pieces a side, the player to choose (Phase 0).
// The deal draws 192 random numbers, row by row; both home rows hold 1.
void Init(GameState& s, MoveView& view);

// The player's piece `Selected` moves in direction I (0 up, 1 right, 2 down, 3 left).
// A move that would leave the board sideways or downwards, or land on one of the
// player's own pieces, is refused: nothing changes and false is returned. A piece
// off the board never moves. A completed move captures, arrives, scores and hands
// the turn to the computer (Phase 2).
bool MoveYourChr(GameState& s, Integer I, MoveView& view);

// The computer's whole turn: chooses its move with `tries` attempts at a capture, then
// plays it: captures, arrival on row 13, score, and the turn back to the player (Phase 0).
void ZAMPhase(GameState& s, Integer tries, MoveView& view);

// Whether a side has no pieces left on the board.
bool GameOver(const GameState& s);

// Every piece still on the board leaves it for one more point to its side.
void ScoreSurvivors(GameState& s, MoveView& view);

// The winning side: the computer only with the higher score; level scores are the player's.
int Winner(const GameState& s);

}  // namespace game
