// Forms on the native desktop: where windows and controls land, window states, stacking and
// painting, and the mouse events real X input produces.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "native_test_support.h"
#include "platform/desktop.h"
#include "platform/forms/form.h"
#include "platform/native/gtk_peer.h"

namespace {

using namespace std::chrono_literals;
using native_test::frameOf;
using native_test::placeInToplevel;
using native_test::pumpUntil;
using platform::RECT;
using platform::forms::Control;
using platform::forms::ControlKind;
using platform::forms::Form;
using platform::forms::Rgb;
using platform::forms::ScaleMode;
using platform::forms::WindowState;

constexpr int kTwips = 15;

GtkWidget* widgetOf(Control& control) {
    auto* holder = dynamic_cast<platform::native::GtkWidgetHolder*>(control.peer());
    return holder != nullptr ? holder->widget() : nullptr;
}

bool sameRect(const GdkRectangle& a, const GdkRectangle& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

std::string describe(const GdkRectangle& r) {
    return std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.width) + "x" +
           std::to_string(r.height);
}

std::string describe(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

Rgb pixelAt(GtkWidget* toplevel, int x, int y) {
    GdkPixbuf* shot = gdk_pixbuf_get_from_window(gtk_widget_get_window(toplevel), x, y, 1, 1);
    if (shot == nullptr) return Rgb{1, 2, 3};
    const guchar* p = gdk_pixbuf_read_pixels(shot);
    const Rgb colour{p[0], p[1], p[2]};
    g_object_unref(shot);
    return colour;
}

// A shown form of 600 x 400 pixels, its window on screen where the form says.
class ShownForm : public ::testing::Test {
  protected:
    void SetUp() override {
        SKIP_WITHOUT_DISPLAY();
        desktop_ = &native_test::nativeDesktop().desktop();
        form_ = std::make_unique<Form>(*desktop_, "TestForm");
        form_->setWidth(600 * kTwips);
        form_->setHeight(400 * kTwips);
        form_->setBackColor(Rgb{255, 0, 0});
    }
    void TearDown() override {
        controls_.clear();
        form_.reset();
        if (desktop_ != nullptr) desktop_->DoEvents();
    }

    Control& add(Control& parent, ControlKind kind, float left, float top, float width,
                 float height) {
        controls_.push_back(
            std::make_unique<Control>(parent, kind, "C" + std::to_string(controls_.size())));
        controls_.back()->Move(left, top, width, height);
        return *controls_.back();
    }

    // Shows the form and waits until its window stands at the form's rectangle.
    void show() {
        form_->Show();
        GtkWidget* window = widgetOf(*form_);
        ASSERT_NE(window, nullptr);
        const bool placed = pumpUntil([&] {
            return gtk_widget_get_mapped(window) && frameOf(window) == form_->windowRect();
        });
        ASSERT_TRUE(placed) << "window at " << describe(frameOf(window)) << ", form says "
                            << describe(form_->windowRect());
    }

    GtkWidget* window() { return widgetOf(*form_); }

    platform::Desktop* desktop_ = nullptr;
    std::unique_ptr<Form> form_;
    std::vector<std::unique_ptr<Control>> controls_;
};

TEST_F(ShownForm, ControlsStandAtTheirWholePixelPlaces) {
    Control& box = add(*form_, ControlKind::PictureBox, 300, 450, 1500, 757);  // twips
    box.setScaleModeOfChildren(ScaleMode::Pixels);
    Control& inner = add(box, ControlKind::PictureBox, 5, 6, 40, 20);  // pixels
    Control& hidden = add(*form_, ControlKind::CommandButton, 0, 0, 600, 300);
    hidden.setVisible(false);
    Control& text = add(box, ControlKind::TextBox, 2, 28, 90, 20);
    show();

    {
        const RECT r = form_->windowRect();
        const platform::POINT screen = desktop_->backend().screenSizePixels();
        EXPECT_EQ(r.left, (screen.x - 600) / 2) << "first shown centred on the screen";
        EXPECT_EQ(r.top, (screen.y - 400) / 2);
        EXPECT_EQ(r.right - r.left, 600);
        EXPECT_EQ(r.bottom - r.top, 400);
    }
    ASSERT_TRUE(pumpUntil([&] { return gtk_widget_get_mapped(widgetOf(inner)); }));
    EXPECT_EQ(describe(placeInToplevel(widgetOf(box))), describe(GdkRectangle{20, 30, 100, 50}));
    EXPECT_EQ(describe(placeInToplevel(widgetOf(inner))), describe(GdkRectangle{25, 36, 40, 20}));
    GtkAllocation entry{};
    gtk_widget_get_allocation(widgetOf(text), &entry);
    EXPECT_EQ(entry.width, 90) << "the text box keeps the size it is given";
    EXPECT_EQ(entry.height, 20);
    EXPECT_FALSE(gtk_widget_get_mapped(widgetOf(hidden)))
        << "showing the form shows no hidden control";

    box.Move(0, 0, 750, 750);
    inner.setVisible(false);
    EXPECT_TRUE(pumpUntil([&] {
        return sameRect(placeInToplevel(widgetOf(box)), GdkRectangle{0, 0, 50, 50}) &&
               !gtk_widget_get_mapped(widgetOf(inner));
    })) << describe(placeInToplevel(widgetOf(box)));
}

TEST_F(ShownForm, SettingTheSizeMovesTheWindow) {
    show();
    const RECT before = form_->windowRect();
    form_->setWidth(500 * kTwips);
    form_->setHeight(300 * kTwips);
    const RECT wanted{before.left, before.top, before.left + 500, before.top + 300};
    EXPECT_EQ(form_->windowRect(), wanted) << "the form has the new size at once";
    EXPECT_TRUE(pumpUntil([&] { return frameOf(window()) == wanted; }))
        << describe(frameOf(window()));
    native_test::pumpFor(200ms);
    EXPECT_EQ(form_->windowRect(), wanted) << "the window's own reports leave the form as it is";
}

platform::LRESULT limitMaximizedBounds(platform::HWND, platform::UINT message, platform::WPARAM,
                                       platform::LPARAM lParam) {
    if (message == platform::WM_GETMINMAXINFO) {
        auto* info = reinterpret_cast<platform::MINMAXINFO*>(lParam);
        info->ptMaxPosition = platform::POINT{10, 20};
        info->ptMaxSize = platform::POINT{800, 600};
    }
    return 0;
}

TEST_F(ShownForm, MaximizingUsesTheWindowProcedureBounds) {
    show();
    const RECT normal = form_->windowRect();
    desktop_->SetWindowLongA(form_->hWnd(), platform::GWL_WNDPROC,
                             reinterpret_cast<std::intptr_t>(&limitMaximizedBounds));

    form_->setWindowState(WindowState::Maximized);
    const RECT maximized{10, 20, 810, 620};
    EXPECT_EQ(form_->windowRect(), maximized);
    EXPECT_TRUE(pumpUntil([&] { return frameOf(window()) == maximized; }))
        << describe(frameOf(window()));

    form_->setWindowState(WindowState::Normal);
    EXPECT_TRUE(pumpUntil([&] { return frameOf(window()) == normal; }))
        << describe(frameOf(window()));
    EXPECT_EQ(form_->windowState(), WindowState::Normal);
}

TEST_F(ShownForm, FirstChildLiesOnTopAndColoursArePainted) {
    form_->setScaleModeOfChildren(ScaleMode::Pixels);
    Control& top = add(*form_, ControlKind::PictureBox, 10, 10, 50, 50);
    top.setBackColor(Rgb{0, 0, 255});
    Control& below = add(*form_, ControlKind::PictureBox, 30, 30, 50, 50);
    below.setBackColor(Rgb{0, 255, 0});
    Control& label = add(below, ControlKind::Label, 35, 35, 10, 10);
    label.setTransparentBackground(true);
    label.setCaption(" ");
    show();

    struct Probe {
        int x;
        int y;
        Rgb colour;
        const char* what;
    };
    const Probe probes[] = {
        {40, 40, Rgb{0, 0, 255}, "where both lie, the first child"},
        {70, 70, Rgb{0, 255, 0}, "the second child"},
        {5, 5, Rgb{255, 0, 0}, "the form's own colour"},
        {68, 68, Rgb{0, 255, 0}, "through a transparent label"},
    };
    for (const Probe& p : probes) {
        SCOPED_TRACE(p.what);
        EXPECT_TRUE(pumpUntil([&] { return pixelAt(window(), p.x, p.y) == p.colour; }, 1500ms));
    }
}

// A strip with controls of its own, moved up against the bar above it after it was made (as a
// layout pass does): the strip paints its own area and not the bar's.
TEST_F(ShownForm, MovedSurfacePaintsOnlyItsOwnArea) {
    Control& strip = add(*form_, ControlKind::PictureBox, 0, 840, 9000, 420);
    strip.setScaleModeOfChildren(ScaleMode::Pixels);
    strip.setBackColor(Rgb{128, 128, 128});
    add(strip, ControlKind::Label, 24, 6, 89, 16).setCaption("Address");
    add(strip, ControlKind::TextBox, 112, 4, 300, 20);
    add(strip, ControlKind::CommandButton, 420, 3, 65, 20).setCaption("Go");
    Control& bar = add(*form_, ControlKind::PictureBox, 0, 0, 9000, 645);
    bar.setBackColor(Rgb{66, 68, 73});
    form_->Load();
    bar.setHeight(390);
    strip.setTop(390);
    strip.setHeight(390);
    show();

    EXPECT_TRUE(pumpUntil(
        [&] {
            return pixelAt(window(), 300, 10) == (Rgb{66, 68, 73});
        },
        1500ms))
        << "the bar above the strip";
    EXPECT_TRUE(pumpUntil(
        [&] {
            return pixelAt(window(), 560, 30) == (Rgb{128, 128, 128});
        },
        1500ms))
        << "the strip itself";
}

TEST_F(ShownForm, FittedLabelTakesItsCaptionsSizeInTheDefaultFont) {
    Control& bar = add(*form_, ControlKind::PictureBox, 0, 0, 9000, 600);
    bar.setScaleModeOfChildren(ScaleMode::Pixels);
    Control& title = add(bar, ControlKind::Label, 40, 7, 96, 12);
    title.setAutoSize(true);
    title.setCaption("客服中心");
    Control& twipsLabel = add(*form_, ControlKind::Label, 0, 900, 3000, 300);
    twipsLabel.setAutoSize(true);
    twipsLabel.setCaption("充值");
    show();
    // About 12 pixels a character: each Chinese character is as wide as the font is high.
    EXPECT_NEAR(title.Width(), 48, 2) << "in the title bar's pixels";
    EXPECT_NEAR(title.Height(), 15, 3);
    EXPECT_NEAR(twipsLabel.Width(), 24 * kTwips, 2 * kTwips) << "in the form's twips";
    EXPECT_EQ(gtk_widget_get_allocated_width(widgetOf(title)), static_cast<int>(title.Width()))
        << "the label stands at the size it reports";
}

TEST_F(ShownForm, ApplicationPointerCoversEveryWindowAndGivesThemBack) {
    Control& button = add(*form_, ControlKind::PictureBox, 300, 300, 600, 300);
    button.setMousePointer(
        platform::forms::pointer::kCustom,
        platform::forms::LoadPicture(std::string(VARNOK_SOURCE_DIR) + "/window/images/hand.cur"));
    Control& text = add(*form_, ControlKind::TextBox, 300, 900, 1500, 300);
    show();
    ASSERT_TRUE(pumpUntil([&] { return gtk_widget_get_mapped(widgetOf(text)); }));

    // Every GDK window of the form with the shape it shows now.
    auto shapes = [&] {
        std::vector<std::pair<GdkWindow*, GdkCursor*>> all;
        std::vector<GdkWindow*> pending{gtk_widget_get_window(window())};
        while (!pending.empty()) {
            GdkWindow* w = pending.back();
            pending.pop_back();
            all.emplace_back(w, gdk_window_get_cursor(w));
            for (GList* c = gdk_window_peek_children(w); c != nullptr; c = c->next)
                pending.push_back(static_cast<GdkWindow*>(c->data));
        }
        return all;
    };
    const auto own = shapes();
    const GdkWindow* buttonWindow = gtk_layout_get_bin_window(GTK_LAYOUT(widgetOf(button)));
    GdkCursor* hand = gdk_window_get_cursor(const_cast<GdkWindow*>(buttonWindow));
    EXPECT_NE(hand, nullptr) << "the custom pointer from the cursor file";

    desktop_->setScreenMousePointer(platform::forms::pointer::kSizeNS);
    const auto covered = shapes();
    ASSERT_FALSE(covered.empty());
    GdkCursor* sizing = covered.front().second;
    ASSERT_NE(sizing, nullptr);
    for (const auto& [w, cursor] : covered) EXPECT_EQ(cursor, sizing);

    desktop_->setScreenMousePointer(platform::forms::pointer::kDefault);
    EXPECT_EQ(shapes(), own) << "each window has its own shape back";
}

// What each control saw of the mouse.
struct MouseLog {
    std::vector<std::string> events;
    void watch(Control& c, const std::string& name) {
        c.MouseDown = [this, name](int button, int shift, float x, float y) {
            events.push_back(name + " down " + std::to_string(button) + " " +
                             std::to_string(shift) + " " + std::to_string(static_cast<int>(x)) +
                             "," + std::to_string(static_cast<int>(y)));
        };
        c.Click = [this, name] { events.push_back(name + " click"); };
        c.DblClick = [this, name] { events.push_back(name + " dblclick"); };
    }
};

TEST_F(ShownForm, MouseInputReachesTheControlUnderThePointer) {
    Control& bar = add(*form_, ControlKind::PictureBox, 1500, 1500, 3000, 1500);  // 100,100 200x100
    bar.setScaleModeOfChildren(ScaleMode::Pixels);
    Control& title = add(bar, ControlKind::Label, 10, 10, 60, 20);
    title.setCaption("Title");
    title.setTransparentBackground(true);
    MouseLog log;
    log.watch(*form_, "form");
    log.watch(bar, "bar");
    log.watch(title, "title");
    show();

    const RECT r = form_->windowRect();
    auto at = [&](int x, int y) {
        return std::vector<std::string>{"mousemove", std::to_string(r.left + x),
                                        std::to_string(r.top + y)};
    };
    struct Case {
        const char* what;
        std::vector<std::string> input;
        std::vector<std::string> expected;
    };
    auto join = [](std::vector<std::string> a, const std::vector<std::string>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    const Case cases[] = {
        {"a click on the picture box, in its pixels",
         join(at(150, 160), {"click", "1"}),
         {"bar down 1 0 50,60", "bar click"}},
        {"the form's own surface, in twips",
         join(at(2, 3), {"click", "1"}),
         {"form down 1 0 30,45", "form click"}},
        {"the right button with shift",
         join(at(150, 160), {"keydown", "shift", "click", "3", "keyup", "shift"}),
         {"bar down 2 1 50,60"}},
        {"a press on the label stays with the label",
         join(at(115, 115), {"click", "1"}),
         {"title down 1 0 5,5", "title click"}},
        {"a double-click",
         join(at(150, 160), {"click", "--repeat", "2", "--delay", "80", "1"}),
         {"bar down 1 0 50,60", "bar click", "bar dblclick"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        log.events.clear();
        ASSERT_TRUE(native_test::runXdotool(c.input));
        pumpUntil([&] { return log.events.size() >= c.expected.size(); }, 1500ms);
        native_test::pumpFor(100ms);
        EXPECT_EQ(log.events, c.expected);
        native_test::pumpFor(400ms);  // the next click is not part of a double-click
    }
}

}  // namespace
