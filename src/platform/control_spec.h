#pragma once
// The plain data a window and its controls are created from. The layout tables
// in layout/ are arrays of these, in the order the controls are created; all
// positions are in twips relative to the window's client area.

#include <optional>

#include "platform/types.h"

namespace platform {

enum class ControlKind { Timer, CommandButton, PictureBox, Label, Image, Shape, OptionButton, Line };

enum class FrameStyle {
    FixedSingle,      // caption bar with minimize and close, not resizable
    FixedToolWindow,  // small caption bar with a close box only
    None,             // borderless, no caption bar
};

struct WindowSpec {
    const char* name = "";
    const char* caption = "";
    int client_width = 0, client_height = 0;  // twips
    Rgb back{};
    FrameStyle frame = FrameStyle::FixedSingle;
    bool minimize_button = false;
    bool centred = true;
    const char* icon = nullptr;             // picture resource, or none
    const char* accessible_name = nullptr;  // what a screen reader calls the window
};

struct ControlSpec {
    ControlKind kind = ControlKind::Label;
    const char* name = "";
    int index = -1;  // member of a control array when 0 or more
    int left = 0, top = 0, width = 0, height = 0;
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // a line segment's end points
    const char* caption = nullptr;
    std::optional<Rgb> fore{};  // text colour, or the stroke of a line or shape
    std::optional<Rgb> back{};  // background; none means transparent
    double font_points = 0;     // 0: the toolkit's default
    bool bold = false;
    bool serif = false;
    bool centred = false;
    bool visible = true;
    const char* picture = nullptr;  // picture resource shown by an image or picture box
    int interval = 0;               // a timer's interval in milliseconds, 0 stopped
    bool selected = false;          // an option button's initial state
    int tab_index = -1;             // the control with the lowest tab index takes the focus
    bool keeps_focus = false;       // a picture box that Tab does not leave: it takes every key
    // What a screen reader announces.
    const char* accessible_name = nullptr;
    const char* accessible_description = nullptr;
};

}  // namespace platform
