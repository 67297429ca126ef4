#pragma once
// A click as the player's pointer gives it: a left press and release over the middle
// of a control, on its own widget or, for a control its window paints, on the window.

#include <QTest>

#include "platform/window/forms.h"

namespace testing_support {

inline void Click(const platform::Form& form, const platform::Control& control) {
    if (control.Widget())
        QTest::mouseClick(control.Widget(), Qt::LeftButton);
    else
        QTest::mouseClick(form.Window(), Qt::LeftButton, {}, control.PixelRect().center());
}

}  // namespace testing_support
