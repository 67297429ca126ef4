// The computer's half of a turn: choose a move, then carry it out on the board.

#include "game/form1.h"
#include "screens/module1.h"

namespace game {

void Form1::ZAMPhase() { ComputerMoveTurn(*this, ChooseComputerMove(*this, screens::ComputerTries), *this); }

}  // namespace game
