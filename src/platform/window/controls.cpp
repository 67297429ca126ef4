#include "platform/window/controls.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace platform {

int TwipsToPixels(int twips) {
    return static_cast<int>(std::lround(twips / static_cast<double>(TwipsPerPixel)));
}

QColor ToQColor(Rgb c) {
    return QColor(c.r, c.g, c.b);
}

// Point sizes are turned into pixels at 96 dots per inch, the same scale as the
// twips, so that text keeps its place in the layout whatever the screen reports.
// The layouts were measured for narrow fonts: Liberation's have those metrics, so
// every caption fits its box (wider fonts cut the year label off at the demo's edge).
QFont FontOf(const ControlSpec& spec) {
    QFont font(spec.serif ? QStringLiteral("Liberation Serif") : QStringLiteral("Liberation Sans"));
    if (spec.font_points > 0)
        font.setPixelSize(static_cast<int>(std::lround(spec.font_points * 96.0 / 72.0)));
    else
        font.setPixelSize(12);
    font.setBold(spec.bold);
    return font;
}

// ---- Control ---------------------------------------------------------------

Control::Control(const ControlSpec& spec)
    : left_(spec.left), top_(spec.top), width_(spec.width), height_(spec.height), name_(spec.name),
      index_(spec.index), visible_(spec.visible), accessible_name_(QString::fromUtf8(spec.accessible_name)),
      accessible_description_(QString::fromUtf8(spec.accessible_description)) {}

Control::Control(const ControlSpec& spec, QWidget* surface) : Control(spec) {
    surface_ = surface;
}

// The widget goes with the control: the next load builds a fresh one from the layout.
Control::~Control() {
    delete widget_.data();
}

void Control::Attach(QWidget* widget) {
    widget_ = widget;
    widget_->setAccessibleName(accessible_name_);
    widget_->setAccessibleDescription(accessible_description_);
    Place();
    widget_->setVisible(visible_);
}

QRect Control::PixelRect() const {
    return QRect(TwipsToPixels(left_), TwipsToPixels(top_), TwipsToPixels(width_), TwipsToPixels(height_));
}

void Control::Place() {
    if (widget_)
        widget_->setGeometry(PixelRect());
}

// At a fractional scale a window pixel's edge falls inside a device pixel, and what a control
// paints may reach one further than the region Qt repaints for it: a margin of one covers it.
// At a whole scale the edges meet, and the margin would only repaint more.
static QRect WithMargin(const QRect& rect, const QWidget& surface) {
    const qreal ratio = surface.devicePixelRatioF();
    return rect.isEmpty() || ratio == std::floor(ratio) ? rect : rect.adjusted(-1, -1, 1, 1);
}

void Control::Repaint(const QRect& was) {
    if (!surface_)
        return;
    const QRect now = Shown();
    surface_->update(WithMargin(was, *surface_));
    if (now != was)
        surface_->update(WithMargin(now, *surface_));
}

void Control::SetTop(int twips) {
    Move(left_, twips);
}

void Control::Move(int left, int top) {
    const QRect was = Shown();
    left_ = left;
    top_ = top;
    Place();
    Repaint(was);
}

void Control::SetVisible(bool visible) {
    if (visible == visible_)
        return;
    const QRect was = Shown();
    visible_ = visible;
    if (widget_)
        widget_->setVisible(visible);
    Repaint(was);
    if (control_changed)
        control_changed(*this, ControlChange::Shown);
}

void Control::SetFocus() {
    if (widget_)
        widget_->setFocus(Qt::OtherFocusReason);
}

void Control::Refresh() {
    // Only a control its window paints has a look of its own to put there; a widget paints itself.
    if (!surface_)
        return;
    const QRect area = WithMargin(last_shown_.united(Shown()), *surface_);
    last_shown_ = Shown();
    if (!area.isEmpty())
        surface_->repaint(area);
}

// ---- Label -----------------------------------------------------------------

Label::Label(QWidget* parent, const ControlSpec& spec)
    : Control(spec, parent), font_(FontOf(spec)), centred_(spec.centred),
      caption_(spec.caption ? spec.caption : ""), fore_(spec.fore.value_or(Rgb{})), back_(spec.back) {}

void Label::SetCaption(const std::string& caption) {
    const QRect was = Shown();
    caption_ = caption;
    text_pixels_ = -1;
    picture_stale_ = true;
    Repaint(was);
    if (control_changed)
        control_changed(*this, ControlChange::Text);
}

void Label::SetForeColor(Rgb colour) {
    fore_ = colour;
    picture_stale_ = true;
    Repaint(Shown());
}

QRect Label::PixelRect() const {
    QRect box = Control::PixelRect();
    // Measured once a caption: the end animation moves the result banner at every pass, far
    // more often than its caption changes.
    if (text_pixels_ < 0)
        text_pixels_ = QFontMetrics(font_).horizontalAdvance(QString::fromStdString(caption_)) + 2;
    if (text_pixels_ > box.width()) {
        const int extra = text_pixels_ - box.width();
        box.setWidth(text_pixels_);
        if (centred_)
            box.translate(-extra / 2, 0);
    }
    return box;
}

const QPixmap& Label::CaptionPicture(QSize size, qreal ratio) const {
    const QSize pixels = (QSizeF(size) * ratio).toSize();
    if (picture_.size() == pixels && picture_.devicePixelRatio() == ratio && !picture_stale_)
        return picture_;
    picture_ = QPixmap(pixels);
    picture_.setDevicePixelRatio(ratio);
    picture_.fill(Qt::transparent);
    QPainter painter(&picture_);
    painter.setFont(font_);
    painter.setPen(ToQColor(fore_));
    painter.drawText(QRect(QPoint(0, 0), size), (centred_ ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop,
                     QString::fromStdString(caption_));
    picture_stale_ = false;
    return picture_;
}

void Label::Paint(QPainter& painter) const {
    const QRect box = PixelRect();
    if (back_)
        painter.fillRect(box, ToQColor(*back_));
    painter.drawPixmap(box.topLeft(), CaptionPicture(box.size(), painter.device()->devicePixelRatioF()));
}

// ---- Image -----------------------------------------------------------------

Image::Image(QWidget* parent, const ControlSpec& spec)
    : Control(spec, parent), picture_(LoadPicture(spec.picture)), ink_(InkOf(picture_)) {}

void Image::SetToggle(bool checked) {
    toggle_ = checked;
    if (control_changed)
        control_changed(*this, ControlChange::State);
}

void Image::Paint(QPainter& painter) const {
    const QRect ink = InkRect();
    if (ink.isEmpty())
        return;
    const qreal ratio = picture_.devicePixelRatio();
    const QPointF from = QPointF(ink.topLeft() - PixelRect().topLeft()) * ratio;
    painter.drawPixmap(QRectF(ink), picture_, QRectF(from, QSizeF(ink.size()) * ratio));
}

void Image::SetPicture(const Picture& picture) {
    const QRect was = Shown();
    picture_ = picture;
    ink_ = InkOf(picture);
    if (auto_size_ && !picture.isNull()) {
        const QSize size = picture.size() / picture.devicePixelRatio();
        width_ = size.width() * TwipsPerPixel;
        height_ = size.height() * TwipsPerPixel;
    }
    Repaint(was);
}

// ---- LineSegment and Shape -------------------------------------------------

LineSegment::LineSegment(QWidget* parent, const ControlSpec& spec)
    : Control(spec, parent), from_(TwipsToPixels(spec.x1), TwipsToPixels(spec.y1)),
      to_(TwipsToPixels(spec.x2), TwipsToPixels(spec.y2)), colour_(spec.fore.value_or(Rgb{})) {}

QRect LineSegment::PixelRect() const {
    return QRect(QPoint(std::min(from_.x(), to_.x()), std::min(from_.y(), to_.y())),
                 QPoint(std::max(from_.x(), to_.x()), std::max(from_.y(), to_.y())));
}

void LineSegment::Paint(QPainter& painter) const {
    painter.setPen(QPen(ToQColor(colour_), 1));
    painter.drawLine(from_, to_);
}

Shape::Shape(QWidget* parent, const ControlSpec& spec)
    : Control(spec, parent), colour_(spec.fore.value_or(Rgb{})) {}

void Shape::Paint(QPainter& painter) const {
    // A 2-pixel outline just inside the box.
    painter.setPen(QPen(ToQColor(colour_), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(PixelRect()).adjusted(1, 1, -1, -1));
}

// ---- Timer -----------------------------------------------------------------

Timer::Timer(const ControlSpec& spec) : Control(spec) {
    // Qt's default coarse timers may tick 5 % late; the music keeper's promise of a
    // restart within its interval needs the interval kept.
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] {
        if (on_timer)
            on_timer();
    });
    SetInterval(spec.interval);
}

void Timer::SetInterval(int milliseconds) {
    interval_ = milliseconds;
    if (milliseconds > 0)
        timer_.start(milliseconds);
    else
        timer_.stop();
}

// ---- Factory ---------------------------------------------------------------

std::unique_ptr<Control> CreateControl(QWidget* parent, const ControlSpec& spec) {
    switch (spec.kind) {
    case ControlKind::Timer:
        return std::make_unique<Timer>(spec);
    case ControlKind::CommandButton:
        return std::make_unique<CommandButton>(parent, spec);
    case ControlKind::PictureBox:
        return std::make_unique<PictureBox>(parent, spec);
    case ControlKind::Label:
        return std::make_unique<Label>(parent, spec);
    case ControlKind::Image:
        return std::make_unique<Image>(parent, spec);
    case ControlKind::Shape:
        return std::make_unique<Shape>(parent, spec);
    case ControlKind::OptionButton:
        return std::make_unique<OptionButton>(parent, spec);
    case ControlKind::Line:
        return std::make_unique<LineSegment>(parent, spec);
    }
    return nullptr;
}

}  // namespace platform
