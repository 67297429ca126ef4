#include "platform/window/forms.h"

#include <QCloseEvent>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/window/events.h"
#include "platform/window/pictures.h"
#include "platform/window/qt_keys.h"

namespace platform {

class FormWindow : public QWidget {
public:
    FormWindow(Form& form, Qt::WindowFlags flags) : QWidget(nullptr, flags), form_(form) {}
    Form& form_;

    // The lines drawn on the window, over its colour, kept in one picture: a repaint of a
    // few small spots (the pieces dancing at the end) then copies those spots and draws no line.
    QPixmap drawn;
    std::size_t lines_in_drawn = 0;

protected:
    void paintEvent(QPaintEvent* event) override { form_.Paint(*this, event->region()); }

    void closeEvent(QCloseEvent* event) override {
        form_.CloseRequested();
        // The form has already taken its window down; nothing is left for Qt to do.
        event->ignore();
    }

    void keyPressEvent(QKeyEvent* event) override {
        form_.Form_KeyDown(KeyCodeOf(*event), ShiftStateOf(*event));
    }

    // An image is clicked by a press and a release of the left button over it.
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton)
            form_.pressed_ = form_.ImageAt(event->position().toPoint());
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        Image* pressed = std::exchange(form_.pressed_, nullptr);
        const QPoint at = event->position().toPoint();
        if (event->button() == Qt::LeftButton && pressed && pressed->Visible() &&
            pressed->PixelRect().contains(at) && !childAt(at) && pressed->on_click)
            pressed->on_click();
    }
};

namespace {

Qt::WindowFlags FlagsOf(const WindowSpec& spec) {
    switch (spec.frame) {
    case FrameStyle::FixedSingle: {
        Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if (spec.minimize_button)
            flags |= Qt::WindowMinimizeButtonHint;
        return flags;
    }
    case FrameStyle::FixedToolWindow:
        return Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
    case FrameStyle::None:
        return Qt::Window | Qt::FramelessWindowHint;
    }
    return Qt::Window;
}

QRect ScreenGeometry() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(0, 0, 1024, 768);
}

// The forms place their windows from the primary screen's top-left corner, wherever it lies
// on the desktop; a window larger than the screen keeps its title bar on it.
QPoint OnScreen(QPoint offset) {
    return ScreenGeometry().topLeft() + QPoint(std::max(offset.x(), 0), std::max(offset.y(), 0));
}

}  // namespace

Form::Form(const WindowSpec& window, std::span<const ControlSpec> controls)
    : spec_(window), control_specs_(controls) {}

Form::~Form() {
    if (window_) {
        controls_.clear();
        delete window_;
    }
}

void Form::Show() {
    if (!window_) {
        Load();
        // The load handler may have unloaded or hidden the window again; then it stays so.
        if (!window_ || hidden_while_loading_)
            return;
    }
    window_->show();
    // A window that is shown takes the keyboard, so that its access keys (Alt+S) work at
    // once. A window manager would usually see to that; without one nobody else does.
    window_->activateWindow();
}

void Form::Hide() {
    if (loading_)
        hidden_while_loading_ = true;
    if (window_)
        window_->hide();
}

bool Form::Visible() const {
    return window_ && window_->isVisible();
}

void Form::Load() {
    CreateWindow();
    loading_ = true;
    hidden_while_loading_ = false;
    ControlsCreated();
    Form_Load();
    loading_ = false;
}

void Form::CreateWindow() {
    window_ = new FormWindow(*this, FlagsOf(spec_));
    window_->setWindowTitle(QString::fromUtf8(spec_.caption));
    window_->setObjectName(QString::fromUtf8(spec_.name));
    window_->setAccessibleName(QString::fromUtf8(spec_.accessible_name));
    window_->setFixedSize(TwipsToPixels(spec_.client_width), TwipsToPixels(spec_.client_height));
    if (spec_.icon)
        window_->setWindowIcon(QIcon(LoadPicture(spec_.icon)));
    QPalette palette = window_->palette();
    palette.setColor(QPalette::Window, QColor(spec_.back.r, spec_.back.g, spec_.back.b));
    window_->setPalette(palette);
    // Every repaint covers the window with its picture of colour and lines.
    window_->setAttribute(Qt::WA_OpaquePaintEvent);
    if (spec_.centred) {
        const QRect screen = ScreenGeometry();
        window_->move(OnScreen(screen.center() - screen.topLeft() -
                               QPoint(window_->width() / 2, window_->height() / 2)));
    }

    // The first control of a table lies on top of those after it, so create from the end.
    controls_.clear();
    for (auto it = control_specs_.rbegin(); it != control_specs_.rend(); ++it)
        controls_.push_back(CreateControl(window_, *it));
    std::reverse(controls_.begin(), controls_.end());

    // The control with the lowest tab index comes first in the tab order and takes the focus.
    std::vector<std::pair<int, QWidget*>> tab_order;
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        if (control_specs_[i].tab_index >= 0 && controls_[i]->Widget())
            tab_order.emplace_back(control_specs_[i].tab_index, controls_[i]->Widget());
    }
    std::sort(tab_order.begin(), tab_order.end(), [](auto& a, auto& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < tab_order.size(); ++i)
        QWidget::setTabOrder(tab_order[i - 1].second, tab_order[i].second);
    if (!tab_order.empty())
        tab_order.front().second->setFocus(Qt::OtherFocusReason);
}

void Form::Unload() {
    if (!window_)
        return;
    unloading_ = true;
    Form_QueryUnload(CloseReason::Program);
    unloading_ = false;
    DestroyWindow();
}

void Form::CloseRequested() {
    if (unloading_)
        return;
    Form_QueryUnload(CloseReason::Other);
    // Nobody ended the program: the close goes ahead, which unloads the window.
    DestroyWindow();
}

void Form::DestroyWindow() {
    if (!window_)
        return;
    pressed_ = nullptr;
    controls_.clear();
    lines_.clear();
    window_->hide();
    // The window may be in the middle of handling its own close event: let Qt delete it afterwards.
    window_->deleteLater();
    window_ = nullptr;
}

int Form::Left() const {
    return window_ ? (window_->frameGeometry().x() - ScreenGeometry().x()) * TwipsPerPixel : 0;
}
int Form::Top() const {
    return window_ ? (window_->frameGeometry().y() - ScreenGeometry().y()) * TwipsPerPixel : 0;
}
int Form::Width() const {
    return window_ ? window_->frameGeometry().width() * TwipsPerPixel : spec_.client_width;
}
int Form::Height() const {
    return window_ ? window_->frameGeometry().height() * TwipsPerPixel : spec_.client_height;
}

void Form::Move(int left, int top) {
    if (window_)
        window_->move(OnScreen(QPoint(TwipsToPixels(left), TwipsToPixels(top))));
}

int Form::ScreenWidth() {
    return ScreenGeometry().width() * TwipsPerPixel;
}
int Form::ScreenHeight() {
    return ScreenGeometry().height() * TwipsPerPixel;
}

void Form::DrawLine(int x1, int y1, int x2, int y2, Rgb colour) {
    lines_.push_back(DrawnLine{x1, y1, x2, y2, colour});
    if (window_)
        window_->update();
}

void Form::Paint(FormWindow& surface, const QRegion& spots) {
    // The picture of lines is kept in device pixels and copied pixel for pixel, so that at a
    // fractional scale a repaint puts back exactly what was there, and every line is one
    // device pixel wide, on the pixel where the middle of its window pixel falls.
    const qreal ratio = surface.devicePixelRatioF();
    const QSize pixels = (QSizeF(surface.size()) * ratio).toSize();
    if (surface.drawn.size() != pixels) {
        surface.drawn = QPixmap(pixels);
        surface.drawn.fill(surface.palette().color(QPalette::Window));
        surface.lines_in_drawn = 0;
    }
    const auto device = [ratio](int twips) { return static_cast<int>((TwipsToPixels(twips) + 0.5) * ratio); };
    if (surface.lines_in_drawn < lines_.size()) {
        QPainter painter(&surface.drawn);
        for (std::size_t i = surface.lines_in_drawn; i < lines_.size(); ++i) {
            const DrawnLine& line = lines_[i];
            painter.setPen(QPen(QColor(line.colour.r, line.colour.g, line.colour.b), 1));
            painter.drawLine(device(line.x1), device(line.y1), device(line.x2), device(line.y2));
        }
        surface.lines_in_drawn = lines_.size();
    }
    // Spot by spot: one copy of the whole picture, even clipped, would be shared out among threads.
    QPainter painter(&surface);
    painter.setWorldTransform(QTransform::fromScale(1 / ratio, 1 / ratio));
    for (const QRect& spot : spots) {
        const QRect pixels_of_spot =
            QRectF(QPointF(spot.topLeft()) * ratio, QSizeF(spot.size()) * ratio).toAlignedRect();
        painter.drawPixmap(pixels_of_spot.topLeft(), surface.drawn, pixels_of_spot);
    }
    painter.resetTransform();

    // The windowless controls lie above the lines and below every widget, the first of the table on top.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        const Control& control = **it;
        if (control.Windowless() && control.Visible() && spots.intersects(control.InkRect()))
            control.Paint(painter);
    }
}

Image* Form::ImageAt(QPoint at) const {
    if (!window_ || window_->childAt(at))
        return nullptr;
    for (const auto& control : controls_) {
        auto* image = dynamic_cast<Image*>(control.get());
        if (image && image->Visible() && image->PixelRect().contains(at))
            return image;
    }
    return nullptr;
}

QWidget* Form::Window() const {
    return window_;
}

const Form* Form::Of(const QWidget* window) {
    const auto* form_window = dynamic_cast<const FormWindow*>(window);
    return form_window ? &form_window->form_ : nullptr;
}

bool Form::Exposed() const {
    return window_ && window_->windowHandle() && window_->windowHandle()->isExposed();
}

void Form::WaitUntilExposed(int max_milliseconds) {
    if (!window_ || !window_->isVisible())
        return;
    QElapsedTimer clock;
    clock.start();
    // A timer makes sure the blocking wait wakes up even when no exposure ever comes.
    QTimer wake;
    wake.start(20);
    while (window_ && window_->isVisible() && !Exposed() && clock.elapsed() < max_milliseconds)
        WaitForEvents();
}

Control* Form::FindControl(std::string_view name, int index) const {
    for (const auto& control : controls_) {
        if (control->Name() == name && control->Index() == index)
            return control.get();
    }
    return nullptr;
}

void Form::MissingControl(std::string_view name, int index) const {
    std::fprintf(stderr, "zam: window %s has no control %.*s(%d)\n", spec_.name,
                 static_cast<int>(name.size()), name.data(), index);
    std::abort();
}

}  // namespace platform
