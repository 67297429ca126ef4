#pragma once
// The controls a window is built from, their geometry in twips as the game set it. Picture
// boxes and buttons are Qt widgets; the window paints the others itself, below every widget.

#include <QFont>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/control_spec.h"
#include "platform/types.h"
#include "platform/window/pictures.h"

class QPainter;

namespace platform {

int TwipsToPixels(int twips);
QColor ToQColor(Rgb colour);
// The font a control's spec asks for, its size in pixels at 96 dots per inch.
QFont FontOf(const ControlSpec& spec);

class Control {
public:
    explicit Control(const ControlSpec& spec);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& Name() const { return name_; }
    int Index() const { return index_; }

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    void SetTop(int twips);
    void Move(int left, int top);

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    // Gives a widget the keyboard focus.
    void SetFocus();

    // Puts the control's current look on screen at once, without pumping events:
    // repaints the window over where the control was last shown and where it is now.
    void Refresh();

    // The Qt widget standing for this control; none for a timer or a windowless control.
    QWidget* Widget() const { return widget_; }
    // The pixels of its window that the control covers.
    virtual QRect PixelRect() const;

    // What a screen reader says of the control.
    const QString& AccessibleName() const { return accessible_name_; }
    const QString& AccessibleDescription() const { return accessible_description_; }

    // A windowless control paints itself on its window, within InkRect.
    bool Windowless() const { return surface_ != nullptr; }
    QWidget* Surface() const { return surface_; }
    virtual QRect InkRect() const { return PixelRect(); }
    virtual void Paint(QPainter&) const {}

protected:
    Control(const ControlSpec& spec, QWidget* surface);  // windowless, on that window
    void Attach(QWidget* widget);
    // Repaints where a windowless control was shown and where it shows now.
    void Repaint(const QRect& was);
    QRect Shown() const { return visible_ ? InkRect() : QRect(); }

    int left_;
    int top_;
    int width_;
    int height_;

private:
    void Place();
    std::string name_;
    int index_;
    bool visible_;
    QString accessible_name_;
    QString accessible_description_;
    QPointer<QWidget> widget_;
    QWidget* surface_ = nullptr;
    QRect last_shown_;
};

// What a screen reader may want to hear of: a control's text, state or visibility changed.
enum class ControlChange { Text, State, Shown };
// Told of every such change, when a screen reader's layer has asked to be.
inline void (*control_changed)(const Control&, ControlChange) = nullptr;

class Label : public Control {
public:
    Label(QWidget* parent, const ControlSpec& spec);
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    Rgb ForeColor() const { return fore_; }
    void SetForeColor(Rgb colour);
    // Text is never cut off: a caption wider than the label spills over its right
    // edge (or both edges when centred), as the layout's fonts were narrower than ours.
    QRect PixelRect() const override;
    void Paint(QPainter& painter) const override;

private:
    const QPixmap& CaptionPicture(QSize size, qreal ratio) const;
    QFont font_;
    bool centred_;
    std::string caption_;
    Rgb fore_;
    std::optional<Rgb> back_;
    mutable int text_pixels_ = -1;  // the caption's width, once measured
    mutable QPixmap picture_;       // kept: the result banner jitters on every frame at the end
    mutable bool picture_stale_ = true;
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
    std::optional<bool> Toggle() const { return toggle_; }
    // Only the pixels that show: a move then repaints less of the window where it leaves.
    QRect InkRect() const override { return ink_.translated(PixelRect().topLeft()); }
    void Paint(QPainter& painter) const override;

    std::function<void()> on_click;

private:
    Picture picture_;
    QRect ink_;  // the pixels of the picture that show, from its top left corner
    bool auto_size_ = false;
    std::optional<bool> toggle_;
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
    std::function<void()> on_click;
};

// One of a group of exclusive choices; the buttons of one window form one group.
class OptionButton : public Control {
public:
    OptionButton(QWidget* parent, const ControlSpec& spec);
    bool Value() const;
};

// A straight one-pixel line segment between two points.
class LineSegment : public Control {
public:
    LineSegment(QWidget* parent, const ControlSpec& spec);
    QRect PixelRect() const override;
    void Paint(QPainter& painter) const override;

private:
    QPoint from_, to_;  // pixels
    Rgb colour_;
};

// An outlined rectangle that lets clicks through to what lies below it.
class Shape : public Control {
public:
    Shape(QWidget* parent, const ControlSpec& spec);
    void Paint(QPainter& painter) const override;

private:
    Rgb colour_;
};

// Ticks while window events are pumped; an interval of 0 stops it.
class Timer : public Control {
public:
    explicit Timer(const ControlSpec& spec);
    int Interval() const { return interval_; }
    void SetInterval(int milliseconds);

    std::function<void()> on_timer;

private:
    int interval_ = 0;
    QTimer timer_;
};

std::unique_ptr<Control> CreateControl(QWidget* parent, const ControlSpec& spec);

}  // namespace platform
