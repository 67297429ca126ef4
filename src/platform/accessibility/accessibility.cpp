#include "platform/accessibility/accessibility.h"

#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QPointer>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <deque>
#include <map>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "platform/accessibility/windowless.h"
#include "platform/window/events.h"
#include "platform/window/forms.h"

namespace platform {
namespace {

// The interface of a control a window paints, made when first asked for, and kept for the
// whole run: the next load of the form finds the control of the same name through it. Qt
// deletes it when the application closes. None for a control with nothing to tell.
WindowlessAccessible* Windowless(const Form& form, const Control& control) {
    static std::map<std::tuple<const Form*, std::string, int>, WindowlessAccessible*> made;
    if (control.AccessibleName().isEmpty() && !dynamic_cast<const Label*>(&control))
        return nullptr;
    WindowlessAccessible*& made_for = made[{&form, control.Name(), control.Index()}];
    if (!made_for) {
        made_for = new WindowlessAccessible(form, control.Name(), control.Index());
        QAccessible::registerAccessibleInterface(made_for);
    }
    return made_for;
}

WindowlessAccessible* WindowlessOf(const Control& control) {
    const Form* form = control.Windowless() ? Form::Of(control.Surface()) : nullptr;
    return form ? Windowless(*form, control) : nullptr;
}

void Tell(QAccessibleInterface* accessible, QAccessible::Event what) {
    QAccessibleEvent event(accessible, what);
    QAccessible::updateAccessibility(&event);
}

// A sentence told once on a window: a notification, which a screen reader speaks as it appears.
class Announcement : public QAccessibleInterface {
public:
    Announcement(QWidget* window, QString sentence) : window_(window), sentence_(std::move(sentence)) {}
    bool isValid() const override { return window_ != nullptr; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return window_ ? window_->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override {
        return window_ ? QAccessible::queryAccessibleInterface(window_) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Name ? sentence_ : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override { return {}; }
    QAccessible::Role role() const override { return QAccessible::Notification; }
    QAccessible::State state() const override { return {}; }
    // The window it was told on, while that window lives; the next load of the form has another.
    QWidget* TellingWindow() const { return window_; }

private:
    QPointer<QWidget> window_;
    QString sentence_;
};

// The sentences told on each form, the newest last. The last few are listed on the window;
// older ones stay readable a while longer, for a screen reader that speaks them late.
constexpr std::size_t AnnouncementsListed = 3;
constexpr std::size_t AnnouncementsKept = 32;
std::deque<Announcement*>& Announcements(const Form& form) {
    static std::map<const Form*, std::deque<Announcement*>> told;
    return told[&form];
}

// A screen reader finds the window's controls among its children in the order they were
// created: a widget's own interface, or for a control the window paints, one of its own;
// then the last sentences told.
class AccessibleFormWindow : public QAccessibleWidget {
public:
    AccessibleFormWindow(QWidget* window, const Form& form)
        : QAccessibleWidget(window, QAccessible::Window), form_(form) {}
    int childCount() const override { return static_cast<int>(Children().size()); }
    QAccessibleInterface* child(int index) const override {
        const auto children = Children();
        return index >= 0 && index < static_cast<int>(children.size()) ? children[index] : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const auto children = Children();
        const auto found = std::find(children.begin(), children.end(), child);
        return found == children.end() ? -1 : static_cast<int>(found - children.begin());
    }
    // Widgets lie above the controls the window paints; of each, the last created on top.
    QAccessibleInterface* childAt(int x, int y) const override {
        const auto children = Children();
        for (bool windowless : {false, true}) {
            for (auto it = children.rbegin(); it != children.rend(); ++it) {
                const bool own = (*it)->object() == nullptr;
                if (own == windowless && !(*it)->state().invisible && (*it)->rect().contains(x, y))
                    return *it;
            }
        }
        return nullptr;
    }

private:
    std::vector<QAccessibleInterface*> Children() const {
        std::vector<QAccessibleInterface*> children;
        for (auto it = form_.Controls().rbegin(); it != form_.Controls().rend(); ++it) {
            const Control& control = **it;
            QAccessibleInterface* child = nullptr;
            if (control.Widget())
                child = QAccessible::queryAccessibleInterface(control.Widget());
            else if (control.Windowless())
                child = Windowless(form_, control);
            if (child)
                children.push_back(child);
        }
        const auto& told = Announcements(form_);
        for (auto it = told.end() - std::min(told.size(), AnnouncementsListed); it != told.end(); ++it) {
            if ((*it)->TellingWindow() == form_.Window())
                children.push_back(*it);
        }
        return children;
    }
    const Form& form_;
};

QAccessibleInterface* AccessibleForm(const QString& class_name, QObject* object) {
    auto* window = class_name == QLatin1String("QWidget") ? qobject_cast<QWidget*>(object) : nullptr;
    const Form* form = window ? Form::Of(window) : nullptr;
    return form ? new AccessibleFormWindow(window, *form) : nullptr;
}

// What changed on a control the window paints is told at once; a switch flipped is also
// said, as a screen reader speaks a check box only while it holds the focus.
void Changed(const Control& control, ControlChange change) {
    WindowlessAccessible* accessible = WindowlessOf(control);
    if (!accessible)
        return;
    switch (change) {
    case ControlChange::Text:
        // A hidden label's name tells no caption (windowless.h).
        if (control.Visible())
            Tell(accessible, QAccessible::NameChanged);
        break;
    case ControlChange::Shown:
        Tell(accessible, control.Visible() ? QAccessible::ObjectShow : QAccessible::ObjectHide);
        if (dynamic_cast<const Label*>(&control))
            Tell(accessible, QAccessible::NameChanged);
        break;
    case ControlChange::State: {
        QAccessible::State changed;
        changed.checked = true;
        QAccessibleStateChangeEvent event(accessible, changed);
        QAccessible::updateAccessibility(&event);
        // Said when it flips, not when a new load of the window shows how it was left.
        static std::map<const WindowlessAccessible*, bool> told;
        const bool on = accessible->state().checked;
        const auto was = told.find(accessible);
        if (was != told.end() && was->second != on)
            Announce(*Form::Of(control.Surface()),
                     (control.AccessibleName() + (on ? " on" : " off")).toStdString());
        told[accessible] = on;
        break;
    }
    }
}

// The objects a screen reader's questions are posted to, as calls to be run on this thread.
void AnswerPostedQuestions() {
    const QDBusConnection bus(QStringLiteral("a11y"));
    if (!bus.isConnected())
        return;
    for (const char* path : {"/org/a11y/atspi/accessible/root", "/org/a11y/atspi/cache",
                             "/org/a11y/atspi/registry/deviceeventcontroller"}) {
        if (QObject* answering = bus.objectRegisteredAt(QLatin1String(path)))
            QCoreApplication::sendPostedEvents(answering, QEvent::MetaCall);
    }
}

}  // namespace

void EnableAccessibility() {
    QAccessible::installFactory(AccessibleForm);
    control_changed = Changed;
    Pump().sleep = SleepAnswering;
}

void Announce(const Form& form, const std::string& sentence) {
    if (!form.Window())
        return;
    auto* told = new Announcement(form.Window(), QString::fromStdString(sentence));
    QAccessible::registerAccessibleInterface(told);
    auto& kept = Announcements(form);
    kept.push_back(told);
    Tell(told, QAccessible::ObjectCreated);
    Tell(told, QAccessible::ObjectShow);
    if (kept.size() > AnnouncementsListed)
        Tell(kept[kept.size() - AnnouncementsListed - 1], QAccessible::ObjectDestroyed);  // no longer listed
    if (kept.size() > AnnouncementsKept) {
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(kept.front()));
        kept.pop_front();
    }
}

void Describe(const Control& control, const std::string& where) {
    WindowlessAccessible* accessible = WindowlessOf(control);
    const QString now = QString::fromStdString(where);
    if (!accessible || accessible->text(QAccessible::Description) == now)
        return;
    accessible->Describe(now);
    Tell(accessible, QAccessible::DescriptionChanged);
}

void Choose(const Form& form, const Control* chosen) {
    static std::map<const Form*, WindowlessAccessible*> chosen_on;
    WindowlessAccessible*& was = chosen_on[&form];
    WindowlessAccessible* now = chosen ? WindowlessOf(*chosen) : nullptr;
    if (now == was)
        return;
    if (was) {
        was->Choose(false);
        Tell(was, QAccessible::SelectionRemove);
    }
    was = now;
    if (now) {
        now->Choose(true);
        Tell(now, QAccessible::SelectionAdd);
    }
}

void SleepAnswering(int milliseconds) {
    using Clock = std::chrono::steady_clock;
    if (milliseconds <= 0)
        return;
    if (!QAccessible::isActive()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
        return;
    }
    // In slices, answering between them, so that no question waits for more than a slice.
    constexpr int Slice = 2;
    const auto until = Clock::now() + std::chrono::milliseconds(milliseconds);
    for (int slice = 0; slice < (milliseconds + Slice - 1) / Slice; ++slice) {
        AnswerPostedQuestions();
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now());
        if (left.count() <= 0)
            break;
        std::this_thread::sleep_for(std::min(left, std::chrono::milliseconds(Slice)));
    }
    AnswerPostedQuestions();
}

}  // namespace platform
