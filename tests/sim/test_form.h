// A small window for the simulated desktop's tests: 400x300 pixels with a title strip, a label
// on it, a label that sticks out of the strip, a hidden label over the body and a timer.
//
//   form pixels   0..40   Bar (picture box, children in pixels)
//                          BarLabel at (10,5) 100x20; Overhang at (350,10) 100x50, clipped
//                 40..260  Body (picture box); Hidden label over (0,100) 400x50, invisible
//                 260..300 the form itself
#pragma once

#include <string>

#include "platform/desktop.h"
#include "platform/forms/form.h"

namespace platform::sim::test {

using forms::ControlKind;

class TestForm : public forms::Form {
  public:
    explicit TestForm(Desktop& desktop, std::string name = "TestForm")
        : Form(desktop, std::move(name)) {
        setWidth(400 * 15);
        setHeight(300 * 15);
        ticker.Move(0, 0, 400 * 15, 300 * 15);  // covers the form, yet never takes the mouse
        bar.Move(0, 0, 400 * 15, 40 * 15);
        barLabel.Move(10, 5, 100, 20);
        overhang.Move(350, 10, 100, 50);
        hidden.Move(0, 100 * 15, 400 * 15, 50 * 15);
        hidden.setVisible(false);
        body.Move(0, 40 * 15, 400 * 15, 220 * 15);
    }

    // Children are stacked in creation order, the first topmost.
    forms::Timer ticker{*this, "Ticker"};
    forms::Control bar{*this, ControlKind::PictureBox, "Bar"};
    forms::Control barLabel{bar, ControlKind::Label, "BarLabel"};
    forms::Control overhang{bar, ControlKind::Label, "Overhang"};
    forms::Control hidden{*this, ControlKind::Label, "Hidden"};
    forms::Control body{*this, ControlKind::PictureBox, "Body"};
};

}  // namespace platform::sim::test
