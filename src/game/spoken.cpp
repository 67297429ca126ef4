#include "game/spoken.h"

namespace game {
namespace {

constexpr const char* DirectionWords[] = {"up", "right", "down", "left"};

std::string Owner(int side, bool capital) {
    if (side == PlayerSide)
        return capital ? "Your" : "your";
    return "ZAM's";
}

}  // namespace

std::string PieceName(int side, int piece) {
    return Owner(side, true) + " piece " + std::to_string(piece + 1);
}

std::string Where(Integer X, Integer Y) {
    return "column " + std::to_string(X + 1) + ", row " + std::to_string(Y + 1);
}

std::string MoveSentence(const MoveReport& move, Integer value, Integer score) {
    const int other = 1 - move.side;
    std::string sentence = PieceName(move.side, move.piece) + " moves " + DirectionWords[move.direction & 3] +
                           " to " + Where(move.to.x, move.to.y);
    for (int k = 0; k < move.captures; ++k)
        sentence += (k == 0 ? ", and captures " : " and ") + Owner(other, false) + " piece " +
                    std::to_string(move.captured[k] + 1);
    if (move.far_row)
        sentence += (move.captures ? ", then reaches " : ", and reaches ") + Owner(other, false) +
                    " home row for 5 points and leaves the board. Move value ";
    else
        sentence += ". Next move ";
    sentence += std::to_string(value) + ".";
    if (move.captures || move.far_row)
        sentence += " " + Owner(move.side, true) + " score " + std::to_string(score) + ".";
    return sentence;
}

std::string ResultSentence(int winner, Integer player_score, Integer computer_score) {
    return std::string(winner == PlayerSide ? "You Win." : "You Lose.") + " Your score " +
           std::to_string(player_score) + ", ZAM's score " + std::to_string(computer_score) + ".";
}

}  // namespace game
