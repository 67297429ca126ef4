#pragma once
// What a screen reader says of the game, in the words a sighted player would use for what
// the board shows: pieces by side and number, cells by column and row counted from 1
// (columns from the left, rows from the top), a move in one short sentence.

#include <string>

#include "game/rules.h"

namespace game {

// "Your piece 3", "ZAM's piece 5": the names the pieces carry, counting from 1.
std::string PieceName(int side, int piece);
// "column 3, row 13".
std::string Where(Integer X, Integer Y);
// "Your piece 3 moves up to column 3, row 9, and captures ZAM's piece 5. Next move 2. Your
// score 1." The landing cell's value closes the sentence; the mover's score follows when it changed.
std::string MoveSentence(const MoveReport& move, Integer value, Integer score);
// "You Win. Your score 40, ZAM's score 35."
std::string ResultSentence(int winner, Integer player_score, Integer computer_score);

}  // namespace game
