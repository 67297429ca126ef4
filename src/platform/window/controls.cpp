#include "platform/window/controls.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/window/qt_keys.h"
#include "platform/window/spots.h"

namespace platform {

int TwipsToPixels(int twips) {
    return static_cast<int>(std::lround(twips / static_cast<double>(TwipsPerPixel)));
}

// Reports a click on itself: a press and a release of the left button over it.
// A class of its own, so that a screen reader can be told a named one is a button.
class ClickableWidget : public QWidget {
    Q_OBJECT
public:
    explicit ClickableWidget(QWidget* parent);
    std::function<void()> clicked;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && clicked)
            clicked();
    }
};

namespace {

// A named picture that answers clicks is a button to a screen reader; one made a
// switch is announced as pressed or not, which it looks up each time it is asked.
class AccessibleClickableWidget : public QAccessibleWidget {
public:
    explicit AccessibleClickableWidget(QWidget* widget) : QAccessibleWidget(widget, QAccessible::Button) {}
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        if (widget()->property("zamToggle").toBool()) {
            s.checkable = true;
            s.checked = widget()->property("zamChecked").toBool();
        }
        return s;
    }
};

QAccessibleInterface* AccessibleClickable(const QString& class_name, QObject* object) {
    if (class_name == QLatin1String(ClickableWidget::staticMetaObject.className()) &&
        object->property("zamClickable").toBool())
        return new AccessibleClickableWidget(static_cast<QWidget*>(object));
    return nullptr;
}

}  // namespace

ClickableWidget::ClickableWidget(QWidget* parent) : QWidget(parent) {
    static const bool installed = (QAccessible::installFactory(AccessibleClickable), true);
    (void)installed;
}

namespace {

QColor ToQColor(Rgb c) {
    return QColor(c.r, c.g, c.b);
}

QString ColourCss(Rgb c) {
    return QStringLiteral("rgb(%1,%2,%3)").arg(c.r).arg(c.g).arg(c.b);
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

class ImageWidget : public ClickableWidget {
public:
    using ClickableWidget::ClickableWidget;
    Picture picture;

protected:
    void paintEvent(QPaintEvent*) override {
        if (picture.isNull())
            return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.drawPixmap(QRect(QPoint(0, 0), picture.size() / picture.devicePixelRatio()), picture);
    }
};

// A dotted frame just inside a control's edge: it has the keyboard focus.
void DrawFocusFrame(QWidget& widget, const QColor& colour) {
    QPainter painter(&widget);
    painter.setPen(QPen(colour, 1, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(widget.rect().adjusted(0, 0, -1, -1));
}

class PictureBoxWidget : public ImageWidget {
public:
    using ImageWidget::ImageWidget;
    std::function<void(int, int)> key_down;
    bool keeps_focus = false;

protected:
    void paintEvent(QPaintEvent* event) override {
        ImageWidget::paintEvent(event);
        // The game window's box always holds the focus; elsewhere the player walks it with Tab.
        if (hasFocus() && !keeps_focus)
            DrawFocusFrame(*this, QColor(224, 224, 224));
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (key_down)
            key_down(KeyCodeOf(event->key()), ShiftStateOf(event->modifiers()));
    }
    void mousePressEvent(QMouseEvent* event) override {
        setFocus(Qt::MouseFocusReason);
        ImageWidget::mousePressEvent(event);
    }
    void focusInEvent(QFocusEvent* event) override {
        ImageWidget::focusInEvent(event);
        update();
    }
    void focusOutEvent(QFocusEvent* event) override {
        ImageWidget::focusOutEvent(event);
        update();
    }
    // On the game window every key, Tab too, belongs to the game.
    bool focusNextPrevChild(bool next) override {
        return keeps_focus ? false : ImageWidget::focusNextPrevChild(next);
    }
};

// An option button that is a tab stop of its own, as the layout's tab order has it, and
// that is chosen when the keyboard brings the focus to it; the arrow keys move the
// choice within the group.
class OptionWidget : public QRadioButton {
public:
    using QRadioButton::QRadioButton;

protected:
    void focusInEvent(QFocusEvent* event) override {
        QRadioButton::focusInEvent(event);
        // Qt leaves only the focused button of a group in the tab chain; keep them all.
        for (auto* sibling : parentWidget()->findChildren<OptionWidget*>(Qt::FindDirectChildrenOnly))
            sibling->setFocusPolicy(Qt::StrongFocus);
        if ((event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason) &&
            !isChecked())
            click();
    }
    void paintEvent(QPaintEvent* event) override {
        QRadioButton::paintEvent(event);
        if (hasFocus())
            DrawFocusFrame(*this, palette().color(QPalette::WindowText));
    }
};

// A label keeps its painted caption as a picture: the result banner jitters on every
// frame of the end's dance, and laying out its text anew each time would be wasted.
class LabelWidget : public QLabel {
public:
    using QLabel::QLabel;

    // The caption as painted on a label of the given size, over nothing.
    const QPixmap& CaptionPicture(QSize size) {
        const qreal ratio = devicePixelRatioF();
        const QSize pixels = (QSizeF(size) * ratio).toSize();
        if (picture_.size() != pixels || picture_text_ != text() || picture_stale_) {
            picture_ = QPixmap(pixels);
            picture_.setDevicePixelRatio(ratio);
            picture_.fill(Qt::transparent);
            // As a plain-text label without a frame or margin draws itself; its background is filled apart.
            QPainter painter(&picture_);
            painter.setFont(font());
            style()->drawItemText(&painter, QRect(QPoint(0, 0), size), static_cast<int>(alignment()),
                                  palette(), isEnabled(), text(), foregroundRole());
            picture_text_ = text();
            picture_stale_ = false;
        }
        return picture_;
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.drawPixmap(0, 0, CaptionPicture(size()));
    }
    void changeEvent(QEvent* event) override {
        picture_stale_ = true;
        QLabel::changeEvent(event);
    }

private:
    QPixmap picture_;
    QString picture_text_;
    bool picture_stale_ = true;
};

class LineWidget : public QWidget {
public:
    using QWidget::QWidget;
    QPoint from, to;
    QColor colour;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(QPen(colour, 1));
        painter.drawLine(from, to);
    }
};

class ShapeWidget : public QWidget {
public:
    using QWidget::QWidget;
    QColor colour;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(QPen(colour, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
};

}  // namespace

// ---- Control ---------------------------------------------------------------

Control::Control(const ControlSpec& spec)
    : left_(spec.left), top_(spec.top), width_(spec.width), height_(spec.height), name_(spec.name),
      index_(spec.index), visible_(spec.visible) {}

// The widget goes with the control: the next load builds a fresh one from the layout.
Control::~Control() {
    delete widget_.data();
}

void Control::Attach(QWidget* widget) {
    widget_ = widget;
    Place();
    widget_->setVisible(visible_);
}

void Control::SetAccessibleName(const std::string& name, const std::string& description) {
    if (!widget_)
        return;
    widget_->setAccessibleName(QString::fromStdString(name));
    widget_->setAccessibleDescription(QString::fromStdString(description));
}

QRect Control::PixelGeometry() const {
    return QRect(TwipsToPixels(left_), TwipsToPixels(top_), TwipsToPixels(width_), TwipsToPixels(height_));
}

void Control::Place() {
    if (!widget_)
        return;
    // The hidden widget of a control the window draws is placed only when it shows again.
    if (drawn_by_window_)
        RedrawOnWindow();
    else
        widget_->setGeometry(PixelGeometry());
}

void Control::SetDrawnByWindow(bool on) {
    drawn_by_window_ = on;
    if (widget_) {
        Place();
        widget_->setVisible(visible_ && !on);
    }
    RedrawOnWindow();
}

void Control::RedrawOnWindow() {
    QWidget* window = widget_ ? widget_->parentWidget() : nullptr;
    if (!window)
        return;
    const QRect now = drawn_by_window_ && visible_ ? DrawnRect() : QRect();
    if (now == drawn_at_)
        return;
    RedrawSpot(*window, drawn_at_);
    RedrawSpot(*window, now);
    drawn_at_ = now;
}

void Control::RedrawLookOnWindow(const QRect& was) {
    QWidget* window = widget_ ? widget_->parentWidget() : nullptr;
    if (window && drawn_by_window_ && visible_)
        RedrawSpot(*window, was.united(DrawnRect()));
}

void Control::SetTop(int twips) {
    Move(left_, twips);
}

void Control::Move(int left, int top) {
    left_ = left;
    top_ = top;
    Place();
}

void Control::SetVisible(bool visible) {
    visible_ = visible;
    if (widget_)
        widget_->setVisible(visible && !drawn_by_window_);
    RedrawOnWindow();
}

void Control::Refresh() {
    if (!widget_ || !widget_->parentWidget())
        return;
    QRect now = widget_->isVisible() ? widget_->geometry() : QRect();
    QRect area = last_shown_.united(now);
    last_shown_ = now;
    if (!area.isEmpty())
        widget_->parentWidget()->repaint(area);
}

// ---- Label -----------------------------------------------------------------

Label::Label(QWidget* parent, const ControlSpec& spec)
    : Control(spec), centred_(spec.centred), caption_(spec.caption ? spec.caption : ""),
      fore_(spec.fore.value_or(Rgb{})), back_(spec.back) {
    auto* label = new LabelWidget(QString::fromStdString(caption_), parent);
    label->setFont(FontOf(spec));
    label->setWordWrap(false);
    label->setAlignment((spec.centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
    label->setTextFormat(Qt::PlainText);
    Attach(label);
    ApplyColours();
}

void Label::SetCaption(const std::string& caption) {
    const QRect was = DrawnRect();
    caption_ = caption;
    text_pixels_ = -1;
    if (auto* label = static_cast<QLabel*>(Widget())) {
        label->setText(QString::fromStdString(caption));
        Place();
        RedrawLookOnWindow(was);
    }
}

QRect Label::PixelGeometry() const {
    QRect box = Control::PixelGeometry();
    auto* label = static_cast<QLabel*>(Widget());
    if (!label)
        return box;
    // Measured once a caption: the end animation moves the result banner at every pass, far
    // more often than its caption changes.
    if (text_pixels_ < 0)
        text_pixels_ = label->fontMetrics().horizontalAdvance(label->text()) + 2;
    const int text = text_pixels_;
    if (text > box.width()) {
        int extra = text - box.width();
        box.setWidth(text);
        if (centred_)
            box.translate(-extra / 2, 0);
    }
    return box;
}

void Label::SetForeColor(Rgb colour) {
    fore_ = colour;
    ApplyColours();
    RedrawLookOnWindow(DrawnRect());
}

void Label::ApplyColours() {
    QWidget* label = Widget();
    if (!label)
        return;
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, ToQColor(fore_));
    if (back_)
        palette.setColor(QPalette::Window, ToQColor(*back_));
    label->setPalette(palette);
    label->setAutoFillBackground(back_.has_value());
}

void Label::DrawOnWindow(QPainter& painter) const {
    auto* label = static_cast<LabelWidget*>(Widget());
    if (!label)
        return;
    const QRect box = PixelGeometry();
    if (back_)
        painter.fillRect(box, ToQColor(*back_));
    painter.drawPixmap(box.topLeft(), label->CaptionPicture(box.size()));
}

// ---- Image -----------------------------------------------------------------

Image::Image(QWidget* parent, const ControlSpec& spec)
    : Control(spec), picture_(LoadPicture(spec.picture)), ink_(InkOf(picture_)) {
    auto* image = new ImageWidget(parent);
    image->picture = picture_;
    image->clicked = [this] {
        if (on_click)
            on_click();
    };
    Attach(image);
}

void Image::SetToggle(bool checked) {
    QWidget* widget = Widget();
    if (!widget)
        return;
    widget->setProperty("zamToggle", true);
    widget->setProperty("zamChecked", checked);
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(widget, changed);
    QAccessible::updateAccessibility(&event);
}

QRect Image::DrawnRect() const {
    // Only the pixels that show: a move then repaints less of the window where it leaves.
    return ink_.translated(PixelGeometry().topLeft());
}

void Image::DrawOnWindow(QPainter& painter) const {
    if (ink_.isEmpty())
        return;
    const qreal ratio = picture_.devicePixelRatio();
    const QRectF source(QPointF(ink_.topLeft()) * ratio, QSizeF(ink_.size()) * ratio);
    painter.drawPixmap(QRectF(DrawnRect()), picture_, source.intersected(QRectF(picture_.rect())));
}

void Image::SetPicture(const Picture& picture) {
    const QRect was = DrawnRect();
    picture_ = picture;
    ink_ = InkOf(picture);
    if (auto* image = static_cast<ImageWidget*>(Widget())) {
        image->picture = picture;
        image->update();
        RedrawLookOnWindow(was);
    }
    if (auto_size_ && !picture.isNull()) {
        QSize size = picture.size() / picture.devicePixelRatio();
        width_ = size.width() * TwipsPerPixel;
        height_ = size.height() * TwipsPerPixel;
        Place();
    }
}

// ---- PictureBox ------------------------------------------------------------

PictureBox::PictureBox(QWidget* parent, const ControlSpec& spec)
    : Control(spec), picture_(LoadPicture(spec.picture)) {
    auto* box = new PictureBoxWidget(parent);
    box->picture = picture_;
    box->keeps_focus = spec.keeps_focus;
    box->setFocusPolicy(Qt::StrongFocus);
    box->setAutoFillBackground(true);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Window, ToQColor(spec.back.value_or(Rgb{})));
    box->setPalette(palette);
    box->key_down = [this](int key, int shift) {
        if (on_key_down)
            on_key_down(key, shift);
    };
    Attach(box);
}

// ---- CommandButton ---------------------------------------------------------

CommandButton::CommandButton(QWidget* parent, const ControlSpec& spec)
    : Control(spec), caption_(spec.caption ? spec.caption : "") {
    auto* button = new QPushButton(QString::fromStdString(caption_), parent);
    button->setFont(FontOf(spec));
    if (spec.back) {
        button->setStyleSheet(
            QStringLiteral("QPushButton { background-color: %1; color: %2; border: 1px solid %3; }"
                           "QPushButton:pressed { border: 2px inset %3; }"
                           "QPushButton:focus { border: 1px dashed rgb(255,255,255); }")
                .arg(ColourCss(*spec.back), ColourCss(spec.fore.value_or(Rgb{})),
                     ColourCss(RGB(spec.back->r + 64, spec.back->g + 64, spec.back->b + 64))));
    }
    button->setFocusPolicy(Qt::TabFocus);
    QObject::connect(button, &QPushButton::clicked, button, [this] {
        if (on_click)
            on_click();
    });
    Attach(button);
}

void CommandButton::Click() {
    if (auto* button = static_cast<QPushButton*>(Widget()))
        button->click();
}

// ---- OptionButton ----------------------------------------------------------

OptionButton::OptionButton(QWidget* parent, const ControlSpec& spec)
    : Control(spec), caption_(spec.caption ? spec.caption : "") {
    auto* button = new OptionWidget(QString::fromStdString(caption_), parent);
    button->setFont(FontOf(spec));
    button->setChecked(spec.selected);
    button->setAutoFillBackground(spec.back.has_value());
    QPalette palette = button->palette();
    // A button fills its background with the Button role, not Window: set both.
    if (spec.back) {
        palette.setColor(QPalette::Window, ToQColor(*spec.back));
        palette.setColor(QPalette::Button, ToQColor(*spec.back));
    }
    palette.setColor(QPalette::WindowText, ToQColor(spec.fore.value_or(Rgb{})));
    button->setPalette(palette);
    Attach(button);
}

bool OptionButton::Value() const {
    auto* button = static_cast<QRadioButton*>(Widget());
    return button && button->isChecked();
}

// ---- LineSegment -----------------------------------------------------------

LineSegment::LineSegment(QWidget* parent, const ControlSpec& spec)
    : Control(spec), x1_(spec.x1), y1_(spec.y1), x2_(spec.x2), y2_(spec.y2) {
    left_ = std::min(x1_, x2_);
    top_ = std::min(y1_, y2_);
    width_ = std::abs(x2_ - x1_);
    height_ = std::abs(y2_ - y1_);
    auto* line = new LineWidget(parent);
    line->setAttribute(Qt::WA_TransparentForMouseEvents);
    QRect box = PixelGeometry();
    line->from = QPoint(TwipsToPixels(x1_), TwipsToPixels(y1_)) - box.topLeft();
    line->to = QPoint(TwipsToPixels(x2_), TwipsToPixels(y2_)) - box.topLeft();
    line->colour = ToQColor(spec.fore.value_or(Rgb{}));
    Attach(line);
}

QRect LineSegment::PixelGeometry() const {
    QPoint a(TwipsToPixels(x1_), TwipsToPixels(y1_));
    QPoint b(TwipsToPixels(x2_), TwipsToPixels(y2_));
    return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                 QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
}

// ---- Shape -----------------------------------------------------------------

Shape::Shape(QWidget* parent, const ControlSpec& spec) : Control(spec) {
    auto* shape = new ShapeWidget(parent);
    shape->setAttribute(Qt::WA_TransparentForMouseEvents);
    shape->colour = ToQColor(spec.fore.value_or(Rgb{}));
    Attach(shape);
}

// ---- Timer -----------------------------------------------------------------

Timer::Timer(const ControlSpec& spec) : Control(spec), timer_(std::make_unique<QTimer>()) {
    // Qt's default coarse timers may tick 5 % late; the music keeper's promise of a
    // restart within its interval needs the interval kept.
    timer_->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer_.get(), &QTimer::timeout, timer_.get(), [this] {
        if (on_timer)
            on_timer();
    });
    SetInterval(spec.interval);
}

Timer::~Timer() {
    timer_->stop();
}

void Timer::SetInterval(int milliseconds) {
    interval_ = milliseconds;
    if (milliseconds > 0)
        timer_->start(milliseconds);
    else
        timer_->stop();
}

// ---- Factory ---------------------------------------------------------------

namespace {
std::unique_ptr<Control> CreateWidget(QWidget* parent, const ControlSpec& spec) {
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
}  // namespace

std::unique_ptr<Control> CreateControl(QWidget* parent, const ControlSpec& spec) {
    std::unique_ptr<Control> control = CreateWidget(parent, spec);
    if (control && spec.accessible_name) {
        // A named picture is one the player clicks: the pieces, the direction buttons, the music switch.
        if (spec.kind == ControlKind::Image)
            control->Widget()->setProperty("zamClickable", true);
        control->SetAccessibleName(spec.accessible_name,
                                   spec.accessible_description ? spec.accessible_description : "");
    }
    return control;
}

}  // namespace platform

#include "controls.moc"
