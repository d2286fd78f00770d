// A top-level window of the program: borderless, measured in twips, with its controls.
// The window rectangle (screen pixels) and the window state are kept here; the desktop's window
// follows them through the form's peer and reports changes the user or the system made.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/forms/control.h"
#include "platform/win_types.h"

namespace platform::forms {

class Form : public Control {
  public:
    Form(Desktop& desktop, std::string name);
    ~Form() override;

    HWND hWnd() const { return hwnd_; }

    // The window's size in twips. Setting one keeps the top-left corner.
    float Width() const override;
    float Height() const override;
    void setWidth(float twips) override;
    void setHeight(float twips) override;
    // The client area in twips; a borderless window's client area is the whole window.
    float ScaleWidth() const { return Width(); }
    float ScaleHeight() const { return Height(); }

    // The window rectangle in screen pixels; right and bottom lie just outside.
    RECT windowRect() const { return rect_; }

    WindowState windowState() const { return state_; }
    // The state a minimized window returns to when the desktop brings it back.
    WindowState stateBeforeMinimize() const { return stateBeforeMinimize_; }
    // Takes effect before it returns: maximizing asks the window procedure for the bounds.
    void setWindowState(WindowState s);

    // The window icon (an icon file with several sizes).
    const std::string& IconPath() const { return iconPath_; }
    void setIconPath(const std::string& p) { iconPath_ = p; }
    // The picture drawn unscaled at the top-left corner of the client area.
    const Picture& BackgroundPicture() const { return picture(); }

    // Creates the desktop's window and the controls' peers (hidden), starts the timers and
    // raises Load. Loading a loaded form does nothing.
    void Load();
    bool Loaded() const { return loaded_; }
    // Shows the window, not modal; the first time centred on the screen.
    void Show();
    bool Shown() const { return shown_; }
    // Destroys the desktop's window; the controls stay as objects.
    void Unload();

    // Every control of the form, in creation order.
    const std::vector<Control*>& AllControls() const { return all_; }
    Control* Find(const std::string& name) const;

    std::function<void()> OnLoad;

    // Called by the desktop when the user or the system moved, sized or changed the window.
    void systemMoved(const RECT& r);
    void systemChangedState(WindowState s, const RECT& r);

  private:
    friend class Control;
    void registerControl(Control& c) { all_.push_back(&c); }
    void unregisterControl(Control& c);
    void applyRect(const RECT& r);

    HWND hwnd_ = 0;
    RECT rect_{0, 0, 0, 0};
    RECT normalRect_{0, 0, 0, 0};  // where restoring puts the window
    WindowState state_ = WindowState::Normal;
    WindowState stateBeforeMinimize_ = WindowState::Normal;
    std::string iconPath_;
    bool loaded_ = false;
    bool shown_ = false;
    bool everShown_ = false;
    std::vector<Control*> all_;
};

}  // namespace platform::forms
