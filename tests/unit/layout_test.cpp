#include "sim_program.h"

namespace varnok::testing {
namespace {

using platform::forms::Control;

struct Place {
    const char* name;
    float left, top, width, height;
};

class LayoutTest : public SimProgram {
  protected:
    // The window at a size in twips, laid out.
    GameBox& laidOutAt(float width, float height) {
        GameBox& window = create();
        window.Load();
        window.setWidth(width);
        window.setHeight(height);
        window.调整大小();
        return window;
    }

    static void expectPlaces(GameBox& window, std::initializer_list<Place> places) {
        for (const Place& p : places) {
            SCOPED_TRACE(p.name);
            Control* c = window.Find(p.name);
            EXPECT_FLOAT_EQ(c->Left(), p.left);
            EXPECT_FLOAT_EQ(c->Top(), p.top);
            EXPECT_FLOAT_EQ(c->Width(), p.width);
            EXPECT_FLOAT_EQ(c->Height(), p.height);
        }
    }
};

TEST_F(LayoutTest, StartUpSize) {
    GameBox& window = laidOutAt(17985, 11955);
    expectPlaces(window, {
                             {"标题栏框", 0, 0, 17985, 390},
                             {"UrlBox", 30, 390, 17925, 390},
                             {"内容框", 30, 780, 17925, 11145},
                             {"网页内框", 0, 0, 1195, 743},
                             {"WebBrowser1", -2, -2, 1217, 747},
                             {"关闭按钮1", 1199 - 38 - 5, 2, 38, 21},
                             {"最大化按钮", 1156 - 37, 2, 37, 21},
                             {"恢复按钮", 1156 - 37, 2, 37, 21},
                             {"最小化按钮", 1119 - 37, 2, 37, 21},
                         });
    const platform::forms::Rgb frame{66, 68, 73};
    EXPECT_EQ(window.BackColor(), frame);
    EXPECT_EQ(window.标题栏框.BackColor(), frame);
    // In pixels: the strip and the frame are inset two pixels, the browser overhangs its frame.
    EXPECT_EQ(window.UrlBox.pixelRect(), (platform::forms::PixelRect{2, 26, 1195, 26}));
    EXPECT_EQ(window.内容框.pixelRect(), (platform::forms::PixelRect{2, 52, 1195, 743}));
    EXPECT_EQ(window.WebBrowser1.pixelRect(), (platform::forms::PixelRect{-2, -2, 1217, 747}));
}

TEST_F(LayoutTest, LayingOutTwiceChangesNothing) {
    GameBox& window = laidOutAt(17985, 11955);
    std::vector<platform::forms::PixelRect> once;
    for (Control* c : window.AllControls()) once.push_back(c->pixelRect());
    window.调整大小();
    std::size_t i = 0;
    for (Control* c : window.AllControls()) EXPECT_EQ(c->pixelRect(), once[i++]) << c->Name();
}

TEST_F(LayoutTest, MinimizeButtonStaysBesideTheHiddenMaximizeButton) {
    GameBox& window = laidOutAt(17985, 11955);
    window.最大化按钮.setVisible(false);
    window.setWidth(15000);
    window.调整大小();
    EXPECT_FLOAT_EQ(window.关闭按钮1.Left(), 1000 - 38 - 5);
    EXPECT_FLOAT_EQ(window.最小化按钮.Left(), window.最大化按钮.Left() - 37);
}

// Below 54 pixels of height or 4 of width the sizes would be negative: they stop at zero.
TEST_F(LayoutTest, TinyWindowsLayOutWithoutFailing) {
    const struct {
        float width, height;
    } sizes[] = {{45, 750}, {17985, 795}, {0, 0}, {15, 15}, {60, 810}};
    for (const auto& s : sizes) {
        SCOPED_TRACE(std::to_string(s.width) + "x" + std::to_string(s.height));
        box.reset();
        GameBox& window = laidOutAt(s.width, s.height);
        EXPECT_FALSE(sim.fatalError().has_value());
        for (Control* c : window.AllControls()) {
            EXPECT_GE(c->Width(), 0) << c->Name();
            EXPECT_GE(c->Height(), 0) << c->Name();
        }
        EXPECT_FLOAT_EQ(window.内容框.Height(), std::max(0.0f, s.height - 390 - 390 - 30));
    }
}

TEST_F(LayoutTest, ConversionIsFixedAtFifteenTwipsPerPixel) {
    world.setTwipsPerPixel(12);
    GameBox& window = laidOutAt(12000, 9000);
    // 11940 twips of content width make 796 frame pixels, whatever the screen's own factor.
    EXPECT_FLOAT_EQ(window.网页内框.Width(), 11940.0f / 15);
}

}  // namespace
}  // namespace varnok::testing
