#pragma once
// What a screen reader is told of a control that its window paints itself.

#include <QAccessibleInterface>
#include <string>
#include <utility>

namespace platform {

class Control;
class Form;

// A named image is a button (a switch, pressed or not, once made one), a label static
// text named by its caption unless it has a name of its own. It finds its control by name
// in whatever the form has loaded, and is not valid while the form has none.
class WindowlessAccessible : public QAccessibleInterface {
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

private:
    // The control, while its form has it loaded.
    const Control* Live() const;

    const Form& form_;
    std::string name_;
    int index_;
};

}  // namespace platform
