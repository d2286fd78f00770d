// Window icons and pointer shapes from icon (.ico) and cursor (.cur) files.
#pragma once

#include <gtk/gtk.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/native/glib_handles.h"

namespace platform::native {

// Every image of an icon file, one per size (the deepest colour where a size comes twice),
// largest first. Empty when the file cannot be read.
std::vector<GObjectPtr<GdkPixbuf>> loadIconImages(const std::string& path);

// A cursor file's first image and the hot spot its directory gives. None when the file cannot
// be read.
struct CursorImage {
    GObjectPtr<GdkPixbuf> image;
    int hotX = 0;
    int hotY = 0;
};
std::optional<CursorImage> readCursorFile(const std::string& path);

// The pointer shape of a cursor file. None when the file cannot be read.
GObjectPtr<GdkCursor> loadCursorFile(GdkDisplay* display, const std::string& path);

}  // namespace platform::native
