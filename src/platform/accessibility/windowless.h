#pragma once
// What a screen reader is told of a control that its window paints itself.

#include <QAccessibleInterface>
#include <string>
#include <utility>

namespace platform {

class Control;
class Form;

// A named image is a button, a switch a check box; a label is static text named by its
// caption, after its own name when it has one, and whose text is the caption. An image
// that can be clicked offers the click as its action. It finds its control by name in
// whatever the form has loaded, and is not valid while the form has none.
class WindowlessAccessible : public QAccessibleInterface,
                             public QAccessibleActionInterface,
                             public QAccessibleTextInterface {
public:
    WindowlessAccessible(const Form& form, std::string name, int index)
        : form_(form), name_(std::move(name)), index_(index) {}

    bool isValid() const override { return Live() != nullptr; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text kind) const override;
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    // The click, for an image that takes clicks; it runs at the next pump, as a click would.
    QStringList actionNames() const override;
    void doAction(const QString& action) override;
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

    // A label's caption as its text; nothing in it can be selected or edited.
    QString text(int start, int end) const override { return Caption().mid(start, end - start); }
    int characterCount() const override { return static_cast<int>(Caption().size()); }
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* start, int* end) const override;

    // Where the control stands, told in place of its description; none: the layout's.
    void Describe(const QString& where) { where_ = where; }
    // Whether the control is the one chosen on its window.
    void Choose(bool chosen) { chosen_ = chosen; }

private:
    // The control, while its form has it loaded.
    const Control* Live() const;
    QString Caption() const;

    const Form& form_;
    std::string name_;
    int index_;
    QString where_;
    bool chosen_ = false;
};

}  // namespace platform
