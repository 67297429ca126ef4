// The landing cell's value rises over the moved piece, brightening, then fading.

#include <cmath>
#include <cstdio>

#include "game/form1.h"
#include "platform/window/events.h"

namespace game {
namespace {

constexpr int StepsPerPass = 21;
constexpr int Rise = 10;         // twips per step
constexpr int Brightening = 20;  // per step
constexpr int StepPause = 20;    // milliseconds per step

}  // namespace

void Form1::PrintMoveValue(Integer XX, Integer YY, Integer V) {
    // The value starts a quarter cell in from the cell's left line and a cell above the piece's top.
    const int left = CellLeft(XX) + CellSize / 4;
    const int top = PieceTop(YY) - CellSize;
    platform::Label& label = lblMV();
    label.SetForeColor(platform::RGB(0, 0, 0));
    char caption[8];
    std::snprintf(caption, sizeof caption, "%X", static_cast<unsigned>(static_cast<std::uint16_t>(V)));
    label.SetCaption(caption);
    label.SetVisible(true);

    int n = 0;
    auto step = [&](int t, int change) {
        label.Move(left, t);
        label.SetForeColor(platform::RGB(static_cast<int>(std::floor(0.9 * n)), n, n));
        n += change;
        // No events are pumped during a move: each step goes to the screen by itself.
        label.Refresh();
        platform::Sleep(StepPause);
    };
    // The middle height is used twice, so the number rests there, white, for two steps.
    const int middle = top - Rise * (StepsPerPass - 1);
    for (int k = 0; k < StepsPerPass; ++k)
        step(top - Rise * k, Brightening);
    for (int k = 0; k < StepsPerPass; ++k)
        step(middle - Rise * k, -Brightening);

    label.SetVisible(false);
    label.Refresh();
}

}  // namespace game
