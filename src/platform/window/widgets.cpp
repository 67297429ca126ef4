// The controls that are Qt widgets of their own: they take the keyboard focus.

#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>

#include "platform/window/controls.h"
#include "platform/window/qt_keys.h"

namespace platform {
namespace {

QString ColourCss(Rgb c) {
    return QStringLiteral("rgb(%1,%2,%3)").arg(c.r).arg(c.g).arg(c.b);
}

// A dotted frame just inside a control's edge: it has the keyboard focus.
void DrawFocusFrame(QWidget& widget, const QColor& colour) {
    QPainter painter(&widget);
    painter.setPen(QPen(colour, 1, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(widget.rect().adjusted(0, 0, -1, -1));
}

class PictureBoxWidget : public QWidget {
public:
    using QWidget::QWidget;
    Picture picture;
    std::function<void(int, int)> key_down;
    bool keeps_focus = false;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        if (!picture.isNull())
            painter.drawPixmap(QRect(QPoint(0, 0), picture.size() / picture.devicePixelRatio()), picture);
        painter.end();
        // The game window's box always holds the focus; elsewhere the player walks it with Tab.
        if (hasFocus() && !keeps_focus)
            DrawFocusFrame(*this, QColor(224, 224, 224));
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (key_down)
            key_down(KeyCodeOf(*event), ShiftStateOf(*event));
    }
    void mousePressEvent(QMouseEvent*) override { setFocus(Qt::MouseFocusReason); }
    // On the game window every key, Tab too, belongs to the game.
    bool focusNextPrevChild(bool next) override {
        return keeps_focus ? false : QWidget::focusNextPrevChild(next);
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

}  // namespace

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

CommandButton::CommandButton(QWidget* parent, const ControlSpec& spec) : Control(spec) {
    auto* button = new QPushButton(QString::fromUtf8(spec.caption), parent);
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
    // Return presses the button that has the focus, as Space does.
    button->setAutoDefault(true);
    QObject::connect(button, &QPushButton::clicked, button, [this] {
        if (on_click)
            on_click();
    });
    Attach(button);
}

// ---- OptionButton ----------------------------------------------------------

OptionButton::OptionButton(QWidget* parent, const ControlSpec& spec) : Control(spec) {
    auto* button = new OptionWidget(QString::fromUtf8(spec.caption), parent);
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

}  // namespace platform
