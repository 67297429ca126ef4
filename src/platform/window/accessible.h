#pragma once
// What a screen reader is told of a control that its window paints itself: the
// window's own interface lists it among its children (see forms.cpp).

#include <QAccessibleInterface>
#include <QPointer>
#include <QWidget>

namespace platform {

class Control;

// A named image is a button (a switch, pressed or not, once made one), a label static
// text named by its caption unless it has a name of its own. Lives as long as its control.
class WindowlessAccessible : public QAccessibleInterface {
public:
    WindowlessAccessible(const Control& control, QWidget& window) : control_(control), window_(&window) {}

    bool isValid() const override { return window_ != nullptr; }
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
    const Control& control_;
    QPointer<QWidget> window_;
};

}  // namespace platform
