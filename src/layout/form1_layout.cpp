#include "layout/form1_layout.h"

namespace layout {

// The tables keep a control to a row or two, as the windows are read; the formatter
// would give every field a line of its own.
// clang-format off

using platform::ControlKind;
using platform::ControlSpec;
using platform::RGB;

namespace {

constexpr auto Black = RGB(0, 0, 0);
constexpr auto White = RGB(255, 255, 255);
constexpr auto Rust = RGB(192, 64, 0);
constexpr auto PlayerGreen = RGB(0, 192, 0);
constexpr auto ComputerCyan = RGB(0, 192, 192);
constexpr double ScoreFont = 11.25;

// A screen reader tells the pieces apart by side and number, counting from 1.
constexpr const char* PieceNames[32] = {
    "Your piece 1",   "Your piece 2",   "Your piece 3",   "Your piece 4",   "Your piece 5",   "Your piece 6",
    "Your piece 7",   "Your piece 8",   "Your piece 9",   "Your piece 10",  "Your piece 11",  "Your piece 12",
    "Your piece 13",  "Your piece 14",  "Your piece 15",  "Your piece 16",  "ZAM's piece 1",  "ZAM's piece 2",
    "ZAM's piece 3",  "ZAM's piece 4",  "ZAM's piece 5",  "ZAM's piece 6",  "ZAM's piece 7",  "ZAM's piece 8",
    "ZAM's piece 9",  "ZAM's piece 10", "ZAM's piece 11", "ZAM's piece 12", "ZAM's piece 13", "ZAM's piece 14",
    "ZAM's piece 15", "ZAM's piece 16",
};

// A piece image before set-up: hidden, without a picture, parked off the board.
constexpr ControlSpec Piece(int index) {
    return {.kind = ControlKind::Image, .name = "Image1", .index = index, .left = 7200, .top = 5640,
            .width = 450, .height = 600, .visible = false,
            .accessible_name = PieceNames[index],
            .accessible_description = index < 16 ? "Click to choose this piece, then give a direction" : ""};
}

}  // namespace

const platform::WindowSpec Form1Window{
    .name = "Form1",
    .caption = "ZAM - a board game by the ZAM developers",
    .client_width = 9165,
    .client_height = 6015,
    .back = Black,
    .frame = platform::FrameStyle::FixedSingle,
    .minimize_button = true,
    .centred = true,
    .icon = "icon.png",
    .accessible_name = "ZAM game board",
};

// The first control of the table lies on top of the ones after it: the result
// banner over the pieces, the selection marker over the piece it frames.
const ControlSpec Form1Table[] = {
    // The music keeper: the turn loop starts it once the game tune is named.
    {.kind = ControlKind::Timer, .name = "Timer1", .interval = 0},
    {.kind = ControlKind::CommandButton, .name = "Command1", .left = 8160, .top = 5520, .width = 855, .height = 375,
     .caption = "&O K", .fore = Black, .back = Rust, .visible = false, .accessible_name = "OK",
     .accessible_description = "Closes the result and goes back to the title"},
    {.kind = ControlKind::PictureBox, .name = "Picture1", .left = 6720, .top = 240, .width = 2250, .height = 1050,
     .back = Black, .picture = "logo.png", .tab_index = 0, .keeps_focus = true, .accessible_name = "ZAM",
     .accessible_description = "Arrow keys move the chosen piece"},
    {.kind = ControlKind::Label, .name = "lblWinorLose", .left = 1440, .top = 2520, .width = 3615, .height = 735,
     .caption = "You Win.", .fore = RGB(192, 192, 0), .font_points = 36, .centred = true, .visible = false,
     .accessible_name = "Result"},
    {.kind = ControlKind::Label, .name = "lblMV", .left = 8160, .top = 3720, .width = 375, .height = 495,
     .caption = "0", .fore = White, .back = Black, .font_points = 24, .visible = false,
     .accessible_name = "Move value of the landing cell"},
    {.kind = ControlKind::Image, .name = "Image2", .index = 3, .left = 7440, .top = 4800, .width = 240,
     .height = 240, .picture = "arrow_left.png",
     .accessible_name = "Move left"},
    {.kind = ControlKind::Image, .name = "Image2", .index = 2, .left = 7680, .top = 5040, .width = 240,
     .height = 240, .picture = "arrow_down.png",
     .accessible_name = "Move down"},
    {.kind = ControlKind::Image, .name = "Image2", .index = 1, .left = 7920, .top = 4800, .width = 240,
     .height = 240, .picture = "arrow_right.png",
     .accessible_name = "Move right"},
    {.kind = ControlKind::Image, .name = "Image2", .index = 0, .left = 7680, .top = 4560, .width = 240,
     .height = 240, .picture = "arrow_up.png",
     .accessible_name = "Move up"},
    {.kind = ControlKind::Shape, .name = "Shape1", .left = 7200, .top = 5640, .width = 375, .height = 615,
     .fore = Rust, .visible = false},
    Piece(0), Piece(1), Piece(2), Piece(3), Piece(4), Piece(5), Piece(6), Piece(7),
    Piece(8), Piece(9), Piece(10), Piece(11), Piece(12), Piece(13), Piece(14), Piece(15),
    Piece(16), Piece(17), Piece(18), Piece(19), Piece(20), Piece(21), Piece(22), Piece(23),
    Piece(24), Piece(25), Piece(26), Piece(27), Piece(28), Piece(29), Piece(30), Piece(31),
    {.kind = ControlKind::Label, .name = "lblScore", .index = 3, .left = 7680, .top = 3240, .width = 1095,
     .height = 255, .caption = "Score : 0", .fore = ComputerCyan, .back = Black, .font_points = ScoreFont,
     .accessible_name = "ZAM"},
    {.kind = ControlKind::Label, .name = "lblScore", .index = 2, .left = 7680, .top = 2880, .width = 1095,
     .height = 255, .caption = "ZAM", .fore = ComputerCyan, .back = Black, .font_points = ScoreFont},
    {.kind = ControlKind::Label, .name = "lblScore", .index = 1, .left = 7680, .top = 2400, .width = 1095,
     .height = 255, .caption = "Score : 0", .fore = PlayerGreen, .back = Black, .font_points = ScoreFont,
     .accessible_name = "You"},
    {.kind = ControlKind::Label, .name = "lblScore", .index = 0, .left = 7680, .top = 2040, .width = 1095,
     .height = 255, .caption = "You", .fore = PlayerGreen, .back = Black, .font_points = ScoreFont},
    {.kind = ControlKind::Image, .name = "Image0", .index = 1, .left = 7080, .top = 2880, .width = 450,
     .height = 600, .picture = "piece_computer.png"},
    {.kind = ControlKind::Image, .name = "Image0", .index = 0, .left = 7080, .top = 2040, .width = 450,
     .height = 600, .picture = "piece_player.png"},
};
const std::span<const ControlSpec> Form1Controls{Form1Table};

// clang-format on

}  // namespace layout
