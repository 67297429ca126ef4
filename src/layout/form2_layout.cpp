#include "layout/form2_layout.h"

namespace layout {

// The tables keep a control to a row or two, as the windows are read; the formatter
// would give every field a line of its own.
// clang-format off

using platform::ControlKind;
using platform::ControlSpec;
using platform::RGB;

namespace {

constexpr auto Navy = RGB(0, 0, 128);
constexpr auto Teal = RGB(0, 128, 128);
constexpr auto Yellow = RGB(255, 255, 0);
constexpr double ControlFont = 8.25;
// Small enough for the credit to end before the music icon.
constexpr double CreditFont = 7;

}  // namespace

const platform::WindowSpec Form2Window{
    .name = "Form2",
    .caption = "ZAM - a board game by the ZAM developers",
    .client_width = 4230,
    .client_height = 1320,
    .back = Navy,
    .frame = platform::FrameStyle::FixedToolWindow,
    .minimize_button = false,
    .centred = true,
    .icon = "icon.png",
    .accessible_name = "ZAM title",
};

// The first control of the table lies on top of the ones after it: the music icon
// over the right end of the credit line, so that the whole note shows and takes clicks.
const ControlSpec Form2Table[] = {
    {.kind = ControlKind::PictureBox, .name = "Picture1", .left = 240, .top = 120, .width = 2280, .height = 1080,
     .back = Navy, .picture = "logo.png", .tab_index = 0, .accessible_name = "ZAM"},
    {.kind = ControlKind::Image, .name = "Image1", .left = 3840, .top = 400, .width = 240, .height = 240,
     .picture = "music_note.png", .accessible_name = "Music",
     .accessible_description = "Switches the background music off, or on again"},
    {.kind = ControlKind::Label, .name = "Label1", .left = 2640, .top = 480, .width = 1455, .height = 255,
     .caption = "ZAM developers", .fore = RGB(224, 224, 224), .back = Navy, .font_points = CreditFont,
     .tab_index = 4},
    {.kind = ControlKind::OptionButton, .name = "Option1", .index = 0, .left = 2640, .top = 720, .width = 735,
     .height = 255, .caption = "Easy", .fore = Yellow, .back = Teal, .font_points = ControlFont, .selected = true,
     .tab_index = 1, .accessible_name = "Easy", .accessible_description = "The computer looks less hard for captures"},
    {.kind = ControlKind::OptionButton, .name = "Option1", .index = 1, .left = 3360, .top = 720, .width = 735,
     .height = 255, .caption = "Hard", .fore = Yellow, .back = Teal, .font_points = ControlFont,
     .selected = false, .tab_index = 2, .accessible_name = "Hard",
     .accessible_description = "The computer looks harder for captures"},
    {.kind = ControlKind::CommandButton, .name = "Command1", .left = 2640, .top = 960, .width = 1455, .height = 255,
     .caption = "&S t a r t", .fore = RGB(0, 0, 0), .back = RGB(0, 128, 0), .font_points = ControlFont,
     .tab_index = 3, .accessible_name = "Start", .accessible_description = "Starts a game (Alt+S)"},
};
const std::span<const ControlSpec> Form2Controls{Form2Table};

// clang-format on

}  // namespace layout
