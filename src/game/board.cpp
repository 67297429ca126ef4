// Setting up a game and the board primitives every turn uses.

#include "game/form1.h"
#include "sound/tx_midi.h"

namespace game {

namespace {
constexpr platform::Rgb GridColour = platform::RGB(0, 100, 150);
}  // namespace

void Form1::Init() {
    // The title music ends as the board is set up; the game tune follows at the music keeper's first tick.
    sound::StopMidi();

    for (int n = 0; n < PiecesPerSide; ++n) {
        Image1(n).SetPicture(Image0(PlayerSide).GetPicture());
        Image1(n + PiecesPerSide).SetPicture(Image0(ComputerSide).GetPicture());
    }

    game::Init(*this, *this);
    DescribePieces();

    DrawLines();
}

void Form1::Locate(Integer X, Integer Y, Integer Mode, Integer Param) {
    if (Mode < MarkerMode) {
        platform::Image& image = Image1(PiecesPerSide * Mode + Param);
        if (X < 0) {
            image.SetVisible(false);
            return;
        }
        image.Move(PieceLeft(X), PieceTop(Y));
        image.SetVisible(true);
        return;
    }
    if (Param == ShowMarker) {
        Shape1().Move(CellLeft(X) + MarkerInset, PieceTop(Y));
        Shape1().SetVisible(true);
    } else {
        Shape1().SetVisible(false);
    }
}

Integer GameState::Kcheck(Integer X, Integer Y) const {
    // Every piece is examined; off-board pieces stand at (-1, -1), which nobody asks about.
    Integer total = CellEmpty;
    for (int n = 0; n < PiecesPerSide; ++n) {
        if (PieceX(n, PlayerSide) == X && PieceY(n, PlayerSide) == Y)
            total += CellPlayer;
        if (PieceX(n, ComputerSide) == X && PieceY(n, ComputerSide) == Y)
            total += CellComputer;
    }
    return total;
}

void Form1::DrawLines() {
    const int right = CellLeft(Columns);
    const int bottom = CellTop(Rows);
    for (int k = 0; k <= Rows; ++k)
        DrawLine(BoardLeft, CellTop(k), right, CellTop(k), GridColour);
    for (int k = 0; k <= Columns; ++k)
        DrawLine(CellLeft(k), BoardTop, CellLeft(k), bottom, GridColour);
}

}  // namespace game
