#include "platform/native/icon_files.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>

namespace platform::native {

namespace {

// An icon or cursor file: a 6-byte header, then 16-byte directory entries.
constexpr std::size_t kHeaderSize = 6;
constexpr std::size_t kEntrySize = 16;

struct DirectoryEntry {
    int width = 0;
    int height = 0;
    int field4 = 0;  // icons: colour planes; cursors: hot spot x
    int field6 = 0;  // icons: bits per pixel; cursors: hot spot y
    std::uint32_t size = 0;
    std::uint32_t offset = 0;
    std::size_t index = 0;  // place in the directory
};

std::uint16_t le16(const std::vector<unsigned char>& d, std::size_t at) {
    return static_cast<std::uint16_t>(d[at] | (d[at + 1] << 8));
}

std::uint32_t le32(const std::vector<unsigned char>& d, std::size_t at) {
    return std::uint32_t{d[at]} | (std::uint32_t{d[at + 1]} << 8) |
           (std::uint32_t{d[at + 2]} << 16) | (std::uint32_t{d[at + 3]} << 24);
}

void putLe32(std::vector<unsigned char>& d, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) d[at + i] = static_cast<unsigned char>(v >> (8 * i));
}

std::vector<unsigned char> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

// The directory of an icon (type 1) or cursor (type 2) file; entries whose image lies outside
// the file are dropped.
std::vector<DirectoryEntry> readDirectory(const std::vector<unsigned char>& file, int type) {
    std::vector<DirectoryEntry> entries;
    if (file.size() < kHeaderSize || le16(file, 0) != 0 || le16(file, 2) != type) return entries;
    const std::size_t count = le16(file, 4);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = kHeaderSize + i * kEntrySize;
        if (at + kEntrySize > file.size()) break;
        DirectoryEntry e;
        e.width = file[at] == 0 ? 256 : file[at];
        e.height = file[at + 1] == 0 ? 256 : file[at + 1];
        e.field4 = le16(file, at + 4);
        e.field6 = le16(file, at + 6);
        e.size = le32(file, at + 8);
        e.offset = le32(file, at + 12);
        e.index = i;
        if (e.size == 0 || e.offset > file.size() || e.size > file.size() - e.offset) continue;
        entries.push_back(e);
    }
    return entries;
}

// Decodes one entry by handing the image loader a file that holds only that entry: given a
// whole file, the loader picks one image of its own choosing.
GObjectPtr<GdkPixbuf> decodeEntry(const std::vector<unsigned char>& file, int type,
                                  const DirectoryEntry& entry) {
    std::vector<unsigned char> single(kHeaderSize + kEntrySize);
    single[2] = static_cast<unsigned char>(type);
    single[4] = 1;
    const std::size_t from = kHeaderSize + entry.index * kEntrySize;
    std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(from), kEntrySize,
                single.begin() + kHeaderSize);
    putLe32(single, kHeaderSize + 12, static_cast<std::uint32_t>(kHeaderSize + kEntrySize));
    single.insert(single.end(), file.begin() + entry.offset,
                  file.begin() + entry.offset + entry.size);

    auto loader = adoptObject(gdk_pixbuf_loader_new_with_type("ico", nullptr));
    if (!loader) return nullptr;
    GError* error = nullptr;
    const bool written =
        gdk_pixbuf_loader_write(loader.get(), single.data(), single.size(), &error);
    if (error != nullptr) g_clear_error(&error);
    const bool closed = gdk_pixbuf_loader_close(loader.get(), &error);
    if (error != nullptr) g_clear_error(&error);
    if (!written || !closed) return nullptr;
    GdkPixbuf* pixbuf = gdk_pixbuf_loader_get_pixbuf(loader.get());
    if (pixbuf == nullptr) return nullptr;
    return GObjectPtr<GdkPixbuf>(GDK_PIXBUF(g_object_ref(pixbuf)));
}

}  // namespace

std::vector<GObjectPtr<GdkPixbuf>> loadIconImages(const std::string& path) {
    const std::vector<unsigned char> file = readFile(path);
    // Per size, the entry with the most bits per pixel.
    std::map<int, DirectoryEntry, std::greater<>> best;
    for (const DirectoryEntry& e : readDirectory(file, 1)) {
        auto found = best.find(e.width);
        if (found == best.end() || e.field6 > found->second.field6) best[e.width] = e;
    }
    std::vector<GObjectPtr<GdkPixbuf>> images;
    for (const auto& [width, entry] : best) {
        if (auto pixbuf = decodeEntry(file, 1, entry)) images.push_back(std::move(pixbuf));
    }
    return images;
}

std::optional<CursorImage> readCursorFile(const std::string& path) {
    const std::vector<unsigned char> file = readFile(path);
    const std::vector<DirectoryEntry> entries = readDirectory(file, 2);
    if (entries.empty()) return std::nullopt;
    const DirectoryEntry& first = entries.front();
    auto pixbuf = decodeEntry(file, 2, first);
    if (!pixbuf) return std::nullopt;
    CursorImage cursor;
    cursor.hotX = std::clamp(first.field4, 0, gdk_pixbuf_get_width(pixbuf.get()) - 1);
    cursor.hotY = std::clamp(first.field6, 0, gdk_pixbuf_get_height(pixbuf.get()) - 1);
    cursor.image = std::move(pixbuf);
    return cursor;
}

GObjectPtr<GdkCursor> loadCursorFile(GdkDisplay* display, const std::string& path) {
    auto cursor = readCursorFile(path);
    if (!cursor || display == nullptr) return nullptr;
    return adoptObject(
        gdk_cursor_new_from_pixbuf(display, cursor->image.get(), cursor->hotX, cursor->hotY));
}

}  // namespace platform::native
