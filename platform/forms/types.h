// Value types of the forms layer.
#pragma once

#include <cstdint>
#include <string>

namespace platform::forms {

enum class ControlKind { Form, PictureBox, Label, TextBox, CommandButton, Timer, WebBrowser };

// The unit a container measures its children in.
enum class ScaleMode { Twips, Pixels };

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Pointer codes of a control or of the whole application.
namespace pointer {
constexpr int kDefault = 0;
constexpr int kSizeNESW = 6;
constexpr int kSizeNS = 7;
constexpr int kSizeNWSE = 8;
constexpr int kSizeWE = 9;
constexpr int kCustom = 99;  // the control's own cursor file
}  // namespace pointer

// Mouse buttons as event arguments.
namespace button {
constexpr int kLeft = 1;
constexpr int kRight = 2;
constexpr int kMiddle = 4;
}  // namespace button

enum class WindowState { Normal = 0, Minimized = 1, Maximized = 2 };

// A position and size in whole pixels, relative to the container's client area.
struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// A picture file and its size in pixels.
struct Picture {
    std::string path;
    int width = 0;
    int height = 0;
    bool empty() const { return path.empty(); }
};

// Reads a picture's size from its file (PNG, BMP, ICO or CUR; for icons the first entry).
// Raises RuntimeError when the file is missing or unreadable.
Picture LoadPicture(const std::string& path);

// Which property of a control changed, so that its peer can follow.
enum class Property {
    Geometry,
    Visible,
    BackColor,
    ForeColor,
    Caption,
    Text,
    Picture,
    MousePointer,
    Interval,
    ZOrder,
    WindowState,  // forms: maximized, minimized or normal (the rectangle is set already)
    Shown,        // forms: shown or hidden
};

}  // namespace platform::forms
