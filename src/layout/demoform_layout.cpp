#include "layout/demoform_layout.h"

namespace layout {

// The tables keep a control to a row or two, as the windows are read; the formatter
// would give every field a line of its own.
// clang-format off

using platform::ControlKind;
using platform::ControlSpec;
using platform::Rgb;
using platform::RGB;

namespace {

constexpr auto Black = RGB(0, 0, 0);

// One colour per letter of the name.
constexpr auto LetterT = RGB(0, 255, 255);
constexpr auto LetterA = RGB(0, 255, 0);
constexpr auto LetterR = RGB(255, 255, 255);
constexpr auto LetterN = RGB(255, 0, 0);
constexpr auto LetterI = RGB(255, 0, 255);
constexpr auto LetterX = RGB(255, 255, 0);

constexpr ControlSpec Stroke(int index, int x1, int y1, int x2, int y2, Rgb colour) {
    return {.kind = ControlKind::Line, .name = "Line1", .index = index, .x1 = x1, .y1 = y1, .x2 = x2, .y2 = y2,
            .fore = colour};
}

// A store for one pose of the figure, parked to the right of the visible area.
constexpr ControlSpec Pose(const char* name, int left, int top, int width, int height, const char* picture) {
    return {.kind = ControlKind::Image, .name = name, .left = left, .top = top, .width = width, .height = height,
            .picture = picture};
}

}  // namespace

// The load centres the window itself, so the layout leaves it where it is.
const platform::WindowSpec DemoformWindow{
    .name = "Demoform",
    .caption = "Tarnix",
    .client_width = 3765,
    .client_height = 1380,
    .back = Black,
    .frame = platform::FrameStyle::None,
    .minimize_button = false,
    .centred = false,
    .icon = "icon.png",
};

// The name is written in italic strokes on a baseline at 900, capital height 660 and
// small letters 420 high, leaving the lower right corner to the year label. Every end
// point lies on a whole pixel, so the strokes come out crisp.
const ControlSpec DemoformTable[] = {
    {.kind = ControlKind::Timer, .name = "Timer1", .interval = 0},
    {.kind = ControlKind::Label, .name = "Label1", .left = 3000, .top = 960, .width = 855, .height = 300,
     .caption = "2000", .fore = RGB(0, 255, 0), .back = Black, .font_points = 14.25, .bold = true, .serif = true},
    // T: bar and stem.
    Stroke(1, 1245, 240, 1755, 240, LetterT),
    Stroke(2, 1335, 900, 1500, 240, LetterT),
    // a: top, stem on the right, and a bowl drawn as a wedge pointing left.
    Stroke(3, 1800, 480, 2070, 480, LetterA),
    Stroke(4, 2070, 480, 1965, 900, LetterA),
    Stroke(5, 2025, 645, 1665, 780, LetterA),
    Stroke(6, 1665, 780, 1965, 900, LetterA),
    // r: stem, shoulder and arm.
    Stroke(7, 2055, 900, 2160, 480, LetterR),
    Stroke(8, 2115, 660, 2280, 480, LetterR),
    Stroke(9, 2280, 480, 2400, 480, LetterR),
    // n: stem, shoulder, arch and second stem.
    Stroke(10, 2385, 900, 2490, 480, LetterN),
    Stroke(11, 2445, 660, 2610, 480, LetterN),
    Stroke(12, 2610, 480, 2820, 480, LetterN),
    Stroke(13, 2820, 480, 2715, 900, LetterN),
    // i: stem, top serif, foot and dot.
    Stroke(14, 2865, 900, 2970, 480, LetterI),
    Stroke(15, 2910, 480, 2970, 480, LetterI),
    Stroke(16, 2805, 900, 2925, 900, LetterI),
    Stroke(17, 3000, 390, 3015, 315, LetterI),
    // x: two crossing strokes.
    Stroke(18, 3015, 900, 3450, 480, LetterX),
    Stroke(19, 3120, 480, 3345, 900, LetterX),
    Pose("Image5", 4680, 1440, 870, 1320, "demo_raise.png"),
    Pose("Image4", 5040, 0, 630, 1335, "demo_stand.png"),
    Pose("Image3", 4320, 720, 645, 555, "demo_crouch2.png"),
    Pose("Image2", 4440, 120, 570, 555, "demo_crouch1.png"),
    // The moving figure: no picture until the load gives it one.
    {.kind = ControlKind::Image, .name = "Image1", .left = 120, .top = 240, .width = 612, .height = 972},
};
const std::span<const ControlSpec> DemoformControls{DemoformTable};

// clang-format on

}  // namespace layout
