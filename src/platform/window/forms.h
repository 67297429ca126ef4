#pragma once
// A form is one window that lives for the whole run. Showing it loads it first
// when needed: its controls are created from its layout table and its load
// handler runs to the end, then the window appears. Unloading destroys the
// window and its controls but keeps the form object and its variables, so the
// next showing starts again from the layout.

#include <QWidget>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "platform/control_spec.h"
#include "platform/types.h"
#include "platform/window/controls.h"

namespace platform {

enum class CloseReason {
    Program,  // the program's own code unloads the window
    Other,    // the close box, the system menu, the session ending, ...
};

// A straight line drawn on a window's own surface, in twips.
struct DrawnLine {
    int x1, y1, x2, y2;
    Rgb colour;
};

class FormWindow;

class Form {
public:
    Form(const WindowSpec& window, std::span<const ControlSpec> controls);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    void Show();
    void Hide();
    bool Visible() const;
    bool Loaded() const { return window_ != nullptr; }
    void Unload();

    // The window's outer position and size, in twips.
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void Move(int left, int top);
    static int ScreenWidth();
    static int ScreenHeight();

    // Draws on the window's surface; what is drawn stays until the window is unloaded.
    void DrawLine(int x1, int y1, int x2, int y2, Rgb colour);

    // The Qt window of a loaded form, else none.
    QWidget* Window() const;
    // Whether the window system has put the window on screen, so that drawing reaches it.
    bool Exposed() const;
    // Pumps events until the window is on screen, for at most max_milliseconds: drawing
    // done before then, without pumping, would never reach the screen.
    void WaitUntilExposed(int max_milliseconds = 2000);

    // The form whose window this is, if it is one.
    static const Form* Of(const QWidget* window);
    // The loaded form's controls, the first of its table first.
    const std::vector<std::unique_ptr<Control>>& Controls() const { return controls_; }

    // A control of the loaded form by name and array index (-1 for a plain control); none if absent.
    Control* FindControl(std::string_view name, int index = -1) const;

protected:
    virtual void Form_Load() {}
    virtual void Form_QueryUnload(CloseReason) {}
    virtual void Form_KeyDown(int /*key_code*/, int /*shift*/) {}
    // Runs once the controls exist, before the load handler: hook up handlers here.
    virtual void ControlsCreated() {}

    // A control of the given kind; a missing one is a bug in the form: reported, and the program stops.
    template <class T> T& Get(std::string_view name, int index = -1) const {
        T* control = dynamic_cast<T*>(FindControl(name, index));
        if (!control)
            MissingControl(name, index);
        return *control;
    }

private:
    friend class FormWindow;
    [[noreturn]] void MissingControl(std::string_view name, int index) const;
    void Load();
    void CreateWindow();
    void DestroyWindow();
    void CloseRequested();
    void Paint(FormWindow& surface, const QRegion& spots);
    // The topmost visible image at a pixel of the window, if no widget lies there.
    Image* ImageAt(QPoint at) const;

    const WindowSpec& spec_;
    std::span<const ControlSpec> control_specs_;
    FormWindow* window_ = nullptr;
    std::vector<std::unique_ptr<Control>> controls_;
    std::vector<DrawnLine> lines_;
    Image* pressed_ = nullptr;  // the image a left press fell on, until its release
    bool loading_ = false;
    bool hidden_while_loading_ = false;
    bool unloading_ = false;
};

}  // namespace platform
