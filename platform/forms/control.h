// A control of a form: its settings as the program sees them, the events it raises, and the peer
// through which a desktop implementation shows it. Geometry is kept as single-precision values in
// the container's unit; the peer gets whole pixels.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms/types.h"

namespace platform {
class Desktop;
}

namespace platform::forms {

class Control;
class Form;

// What a desktop implementation does for one control.
class ControlPeer {
  public:
    virtual ~ControlPeer() = default;
    // A setting of the control changed; read the new value from the control.
    virtual void update(Property what) = 0;
};

class Control {
  public:
    // A control belongs to a form; `parent` is the form itself or one of its picture boxes.
    Control(Control& parent, ControlKind kind, std::string name);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& Name() const { return name_; }
    ControlKind Kind() const { return kind_; }
    Control* Parent() const { return parent_; }
    Form& OwnerForm() const { return *form_; }
    Desktop& desktop() const;

    // Geometry in the parent's unit. Negative sizes raise "Invalid property value".
    float Left() const { return left_; }
    float Top() const { return top_; }
    virtual float Width() const { return width_; }
    virtual float Height() const { return height_; }
    void setLeft(float v);
    void setTop(float v);
    virtual void setWidth(float v);
    virtual void setHeight(float v);
    void Move(float left, float top);
    void Move(float left, float top, float width, float height);
    // The place in whole pixels inside the parent's client area.
    PixelRect pixelRect() const;

    // The unit this control measures its children in (forms: twips, picture boxes: pixels).
    ScaleMode ScaleModeOfChildren() const { return childScale_; }
    void setScaleModeOfChildren(ScaleMode m) { childScale_ = m; }

    Rgb BackColor() const { return backColor_; }
    void setBackColor(Rgb c);
    Rgb ForeColor() const { return foreColor_; }
    void setForeColor(Rgb c);
    bool TransparentBackground() const { return transparent_; }
    void setTransparentBackground(bool t) { transparent_ = t; }

    // Caption of labels, buttons and forms; the text of a text box.
    const std::string& Caption() const { return caption_; }
    void setCaption(const std::string& c);
    const std::string& Text() const { return caption_; }
    void setText(const std::string& t);
    // The desktop writes what the user typed without echoing it back to the peer.
    void userEdited(const std::string& t) { caption_ = t; }

    // Shows the picture; with autoSize the control takes the picture's size.
    const Picture& picture() const { return picture_; }
    void setPicture(const Picture& p, bool autoSize);

    // Labels that fit themselves to their caption.
    bool AutoSize() const { return autoSize_; }
    void setAutoSize(bool a) { autoSize_ = a; }

    int MousePointer() const { return mousePointer_; }
    const Picture& MouseIcon() const { return mouseIcon_; }
    void setMousePointer(int code, const Picture& icon = {});

    bool Visible() const { return visible_; }
    void setVisible(bool v);

    int TabIndex() const { return tabIndex_; }
    void setTabIndex(int i) { tabIndex_ = i; }

    // Children in stacking order, the topmost first.
    const std::vector<Control*>& Children() const { return children_; }

    ControlPeer* peer() const { return peer_.get(); }
    void attachPeer(std::unique_ptr<ControlPeer> p) { peer_ = std::move(p); }

    // Event slots; a handler left empty means the event is not handled.
    std::function<void()> Click;
    std::function<void()> DblClick;
    std::function<void(int button, int shift, float x, float y)> MouseDown;

    // Called by the desktop when the event happens; runs the handler, if any.
    void fireClick();
    void fireDblClick();
    void fireMouseDown(int button, int shift, float x, float y);

  protected:
    // The root form's constructor.
    Control(Form& self, Desktop& desktop, std::string name);
    void notify(Property what);
    float toPixels(float v) const;  // a value in this control's parent's unit

  private:
    void checkSize(float v) const;

    Desktop* desktop_ = nullptr;
    Form* form_ = nullptr;
    Control* parent_ = nullptr;
    ControlKind kind_;
    std::string name_;
    float left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    ScaleMode childScale_ = ScaleMode::Pixels;
    Rgb backColor_{255, 255, 255};
    Rgb foreColor_{0, 0, 0};
    bool transparent_ = false;
    std::string caption_;
    Picture picture_;
    bool autoSize_ = false;
    int mousePointer_ = pointer::kDefault;
    Picture mouseIcon_;
    bool visible_ = true;
    int tabIndex_ = 0;
    std::vector<Control*> children_;
    std::unique_ptr<ControlPeer> peer_;
};

// A timer control: raises Timer every Interval milliseconds once its form is loaded.
class Timer : public Control {
  public:
    Timer(Control& parent, std::string name)
        : Control(parent, ControlKind::Timer, std::move(name)) {}
    int Interval() const { return interval_; }
    void setInterval(int ms);
    std::function<void()> OnTimer;
    void fireTimer();

  private:
    int interval_ = 0;
};

}  // namespace platform::forms
