// Window icons and the custom pointer from the program's icon and cursor files.
#include "platform/native/icon_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "native_test_support.h"

namespace {

const std::string kImages = std::string(VARNOK_SOURCE_DIR) + "/window/images/";

class IconFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        SKIP_WITHOUT_DISPLAY();
        native_test::nativeDesktop();
    }
};

TEST_F(IconFiles, EverySizeOfTheIconIsLoaded) {
    const auto images = platform::native::loadIconImages(kImages + "portrait.ico");
    std::vector<int> sizes;
    for (const auto& image : images) {
        EXPECT_EQ(gdk_pixbuf_get_width(image.get()), gdk_pixbuf_get_height(image.get()));
        EXPECT_TRUE(gdk_pixbuf_get_has_alpha(image.get()));
        sizes.push_back(gdk_pixbuf_get_width(image.get()));
    }
    EXPECT_EQ(sizes, (std::vector<int>{48, 32, 16}));
}

TEST_F(IconFiles, CursorKeepsItsHotSpot) {
    const auto cursor = platform::native::readCursorFile(kImages + "hand.cur");
    ASSERT_TRUE(cursor);
    EXPECT_EQ(gdk_pixbuf_get_width(cursor->image.get()), 32);
    EXPECT_EQ(cursor->hotX, 6);
    EXPECT_EQ(cursor->hotY, 0);
    EXPECT_TRUE(platform::native::loadCursorFile(gdk_display_get_default(), kImages + "hand.cur"));
}

TEST_F(IconFiles, UnreadableFilesGiveNothing) {
    const std::string truncated = ::testing::TempDir() + "truncated.ico";
    {
        std::ifstream in(kImages + "portrait.ico", std::ios::binary);
        std::vector<char> head(40);
        in.read(head.data(), static_cast<std::streamsize>(head.size()));
        std::ofstream(truncated, std::ios::binary).write(head.data(), 40);
    }
    EXPECT_TRUE(platform::native::loadIconImages(truncated).empty())
        << "entries pointing past the end are dropped";
    EXPECT_TRUE(platform::native::loadIconImages(kImages + "missing.ico").empty());
    EXPECT_FALSE(
        platform::native::loadCursorFile(gdk_display_get_default(), kImages + "portrait.ico"))
        << "an icon file is not a cursor";
    std::remove(truncated.c_str());
}

}  // namespace
