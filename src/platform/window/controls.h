#pragma once
// The controls a window is built from. Each keeps its geometry in twips exactly
// as the game set it and rounds to pixels only when it places its Qt widget.

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "platform/types.h"
#include "platform/window/control_spec.h"
#include "platform/window/pictures.h"

class QPainter;

namespace platform {

int TwipsToPixels(int twips);

class Control {
public:
    Control(const ControlSpec& spec);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& Name() const { return name_; }
    int Index() const { return index_; }

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetTop(int twips);
    void Move(int left, int top);

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);

    // What a screen reader announces for the control.
    void SetAccessibleName(const std::string& name, const std::string& description);

    // Puts the control's current look on screen at once, without pumping events:
    // repaints the window over where the control was last shown and where it is now.
    void Refresh();

    // The Qt widget standing for this control; none for a timer.
    QWidget* Widget() const { return widget_; }

    // The window draws the control on its own surface, below all of its widgets, and the
    // control's widget stays hidden and unmoved, taking no clicks. A move then costs the
    // window only the two spots the control leaves and reaches; a widget's move costs far
    // more. Images and labels can be drawn so.
    void SetDrawnByWindow(bool on);
    bool DrawnByWindow() const { return drawn_by_window_; }
    // The pixels of the window that the control's drawing there can change, and the drawing.
    virtual QRect DrawnRect() const { return PixelGeometry(); }
    virtual void DrawOnWindow(QPainter&) const {}

protected:
    // Takes the widget that shows this control and places it as the spec says.
    void Attach(QWidget* widget);
    void Place();
    virtual QRect PixelGeometry() const;

    // Puts the look of a control the window draws on the window's surface where it now is;
    // after a change of look, over where it was drawn before too.
    void RedrawOnWindow();
    void RedrawLookOnWindow(const QRect& was);

    int left_;
    int top_;
    int width_;
    int height_;

private:
    bool drawn_by_window_ = false;
    std::string name_;
    int index_;
    bool visible_;
    QPointer<QWidget> widget_;
    QRect last_shown_;
    QRect drawn_at_;  // where the window last drew it
};

class Label : public Control {
public:
    Label(QWidget* parent, const ControlSpec& spec);
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    Rgb ForeColor() const { return fore_; }
    void SetForeColor(Rgb colour);
    void DrawOnWindow(QPainter& painter) const override;

private:
    // Text is never cut off: a caption wider than the label spills over its right
    // edge (or both edges when centred), as the layout's fonts were narrower than ours.
    QRect PixelGeometry() const override;
    void ApplyColours();
    bool centred_;
    mutable int text_pixels_ = -1;  // the caption's width, once measured
    std::string caption_;
    Rgb fore_;
    std::optional<Rgb> back_;
};

// A picture at its natural size; clickable.
class Image : public Control {
public:
    Image(QWidget* parent, const ControlSpec& spec);
    const Picture& GetPicture() const { return picture_; }
    void SetPicture(const Picture& picture);
    // Takes the natural size of each picture it is given.
    void SetAutoSize(bool on) { auto_size_ = on; }
    // Makes the image a switch for a screen reader, pressed or not; its picture stays as it is.
    void SetToggle(bool checked);
    QRect DrawnRect() const override;
    void DrawOnWindow(QPainter& painter) const override;

    std::function<void()> on_click;

private:
    Picture picture_;
    QRect ink_;  // the pixels of the picture that show, from its top left corner
    bool auto_size_ = false;
};

// A framed picture that can hold the keyboard focus and reports key presses.
class PictureBox : public Control {
public:
    PictureBox(QWidget* parent, const ControlSpec& spec);
    const Picture& GetPicture() const { return picture_; }

    std::function<void(int key_code, int shift)> on_key_down;

private:
    Picture picture_;
};

class CommandButton : public Control {
public:
    CommandButton(QWidget* parent, const ControlSpec& spec);
    const std::string& Caption() const { return caption_; }
    // Presses the button as a click would.
    void Click();

    std::function<void()> on_click;

private:
    std::string caption_;
};

// One of a group of exclusive choices; the buttons of one window form one group.
class OptionButton : public Control {
public:
    OptionButton(QWidget* parent, const ControlSpec& spec);
    const std::string& Caption() const { return caption_; }
    bool Value() const;

private:
    std::string caption_;
};

// A straight one-pixel line segment between two points.
class LineSegment : public Control {
public:
    LineSegment(QWidget* parent, const ControlSpec& spec);
    int X1() const { return x1_; }
    int Y1() const { return y1_; }
    int X2() const { return x2_; }
    int Y2() const { return y2_; }

private:
    QRect PixelGeometry() const override;
    int x1_, y1_, x2_, y2_;
};

// An outlined rectangle that lets clicks through to what lies below it.
class Shape : public Control {
public:
    Shape(QWidget* parent, const ControlSpec& spec);
};

// Ticks while window events are pumped; an interval of 0 stops it.
class Timer : public Control {
public:
    explicit Timer(const ControlSpec& spec);
    ~Timer() override;
    int Interval() const { return interval_; }
    void SetInterval(int milliseconds);

    std::function<void()> on_timer;

private:
    int interval_ = 0;
    std::unique_ptr<QTimer> timer_;
};

std::unique_ptr<Control> CreateControl(QWidget* parent, const ControlSpec& spec);

}  // namespace platform
