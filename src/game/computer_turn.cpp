// The computer's half of a turn: choose a move, then carry it out on the board.

#include "game/form1.h"
#include "globals/globals.h"

namespace game {

void Form1::ZAMPhase() { ComputerMoveTurn(*this, ChooseComputerMove(*this, globals::ComputerTries), *this); }

}  // namespace game
