// The window manager side of the native desktop under a real window manager: move and size
// loops driven by X input, the panel and desktop windows, the pointer, and message boxes.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "native_test_support.h"
#include "platform/desktop.h"
#include "platform/forms/form.h"
#include "platform/native/gtk_peer.h"

namespace {

using namespace std::chrono_literals;
using native_test::frameOf;
using native_test::pumpUntil;
using platform::RECT;
using platform::forms::Form;

constexpr int kTwips = 15;

std::string describe(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

class UnderWindowManager : public ::testing::Test {
  protected:
    void SetUp() override {
        SKIP_WITHOUT_DISPLAY();
        if (!native_test::windowManagerRunning()) GTEST_SKIP() << "no window manager runs";
        desktop_ = &native_test::nativeDesktop().desktop();
    }
    void TearDown() override {
        form_.reset();
        if (desktop_ != nullptr) desktop_->DoEvents();
    }

    // A shown 600 x 400 form whose presses start the loop for `hitTest`, the way the
    // program's title bar and edges do.
    void showForm(platform::WPARAM hitTest) {
        form_ = std::make_unique<Form>(*desktop_, "Loop");
        form_->setWidth(600 * kTwips);
        form_->setHeight(400 * kTwips);
        form_->MouseDown = [this, hitTest](int, int, float, float) {
            desktop_->ReleaseCapture();
            desktop_->SendMessageA(form_->hWnd(), platform::WM_NCLBUTTONDOWN, hitTest, 0);
        };
        form_->Show();
        ASSERT_TRUE(pumpUntil([&] { return frameOf(window()) == form_->windowRect(); }))
            << describe(frameOf(window())) << " for " << describe(form_->windowRect());
    }

    GtkWidget* window() {
        return dynamic_cast<platform::native::GtkWidgetHolder*>(form_->peer())->widget();
    }

    // Presses at (x, y) inside the window, drags by (dx, dy) in steps and lets go.
    void drag(int x, int y, int dx, int dy) {
        const RECT r = form_->windowRect();
        const int fromX = r.left + x;
        const int fromY = r.top + y;
        std::vector<std::string> input{
            "mousemove", std::to_string(fromX), std::to_string(fromY), "mousedown", "1", "sleep",
            "0.3"};
        for (int step = 1; step <= 5; ++step) {
            input.insert(input.end(), {"mousemove", std::to_string(fromX + dx * step / 5),
                                       std::to_string(fromY + dy * step / 5), "sleep", "0.1"});
        }
        input.insert(input.end(), {"sleep", "0.3", "mouseup", "1"});
        ASSERT_TRUE(native_test::runXdotool(input));
        native_test::pumpFor(300ms);
    }

    platform::Desktop* desktop_ = nullptr;
    std::unique_ptr<Form> form_;
};

TEST_F(UnderWindowManager, MoveLoopFollowsThePointer) {
    showForm(platform::HTCAPTION);
    const RECT before = form_->windowRect();
    drag(300, 10, 100, 50);
    const RECT moved{before.left + 100, before.top + 50, before.right + 100, before.bottom + 50};
    EXPECT_EQ(describe(form_->windowRect()), describe(moved));
    EXPECT_EQ(describe(frameOf(window())), describe(moved));
}

// A window procedure that limits the size and leaves everything else to the one before it.
platform::WNDPROC procedureBefore = nullptr;
platform::LRESULT limitTrackSize(platform::HWND window, platform::UINT message,
                                 platform::WPARAM wParam, platform::LPARAM lParam) {
    if (message == platform::WM_GETMINMAXINFO) {
        auto* info = reinterpret_cast<platform::MINMAXINFO*>(lParam);
        info->ptMaxTrackSize = platform::POINT{700, 450};
        return 0;
    }
    return platform::Desktop::CallWindowProcA(procedureBefore, window, message, wParam, lParam);
}

TEST_F(UnderWindowManager, SizeLoopKeepsWithinTheTrackSize) {
    showForm(platform::HTBOTTOMRIGHT);
    procedureBefore = reinterpret_cast<platform::WNDPROC>(desktop_->SetWindowLongA(
        form_->hWnd(), platform::GWL_WNDPROC, reinterpret_cast<std::intptr_t>(&limitTrackSize)));
    // Sized by the program first: the loop starts from the window as it is now.
    form_->setWidth(500 * kTwips);
    form_->setHeight(380 * kTwips);
    const RECT before = form_->windowRect();
    ASSERT_TRUE(pumpUntil([&] { return frameOf(window()) == before; }));
    drag(497, 377, 100, 100);
    const RECT sized{before.left, before.top, before.left + 600, before.top + 450};
    EXPECT_EQ(describe(form_->windowRect()), describe(sized));
    EXPECT_EQ(describe(frameOf(window())), describe(sized));
}

TEST_F(UnderWindowManager, FindsThePanelAndTheDesktop) {
    platform::Desktop& d = *desktop_;
    RECT screen{};
    ASSERT_EQ(d.GetWindowRect(d.GetDesktopWindow(), &screen), native_test::kTrue);
    const platform::POINT size = d.backend().screenSizePixels();
    EXPECT_EQ(screen, (RECT{0, 0, size.x, size.y}));
    EXPECT_EQ(d.FindWindowA("Shell_TrayWnd", nullptr), 0u) << "no panel yet";
    EXPECT_EQ(d.FindWindowA("SomethingElse", nullptr), 0u);

    GtkWidget* panel = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_type_hint(GTK_WINDOW(panel), GDK_WINDOW_TYPE_HINT_DOCK);
    gtk_window_move(GTK_WINDOW(panel), 0, size.y - 40);
    gtk_window_set_default_size(GTK_WINDOW(panel), size.x, 40);
    gtk_widget_show_all(panel);
    platform::HWND found = 0;
    EXPECT_TRUE(pumpUntil([&] { return (found = d.FindWindowA("Shell_TrayWnd", nullptr)) != 0; }));
    EXPECT_EQ(found, native_test::xidOf(panel));
    RECT rect{};
    EXPECT_EQ(d.GetWindowRect(found, &rect), native_test::kTrue);
    EXPECT_EQ(describe(rect), describe(frameOf(panel)));
    gtk_widget_destroy(panel);
    EXPECT_TRUE(pumpUntil([&] { return d.FindWindowA("Shell_TrayWnd", nullptr) == 0; }));
    EXPECT_EQ(d.GetWindowRect(found, &rect), native_test::kFalse) << "a window that is gone";
}

TEST_F(UnderWindowManager, CursorPositionIsInRootPixels) {
    ASSERT_TRUE(native_test::runXdotool({"mousemove", "123", "456"}));
    platform::POINT at{};
    ASSERT_EQ(desktop_->GetCursorPos(&at), native_test::kTrue);
    EXPECT_EQ(at, (platform::POINT{123, 456}));
}

TEST_F(UnderWindowManager, MessageBoxesAnswerFromTheKeyboard) {
    struct Case {
        const char* key;
        platform::UINT style;
        int answer;
    };
    const Case cases[] = {
        {"Return", platform::MB_YESNO, platform::IDYES},
        {"Escape", platform::MB_YESNO, platform::IDNO},
        {"Return", platform::MB_OK, platform::IDOK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        const std::string caption = std::string("Varnok question ") + c.key;
        // Waits for the box to appear, then presses the key where the window manager put the
        // focus (a key sent to the found window would be a synthetic event).
        native_test::BackgroundProcess answer(
            {"sh", "-c",
             "xdotool search --sync --name \"$0\" >/dev/null && sleep 0.3 && xdotool key $1",
             caption, c.key});
        EXPECT_EQ(desktop_->MessageBoxA(0, "Go on?", &caption, c.style), c.answer);
        EXPECT_TRUE(answer.finish());
    }
}

}  // namespace
