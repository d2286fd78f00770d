#include <cstdint>
#include <fstream>
#include <vector>

#include "platform/forms/types.h"
#include "platform/runtime_error.h"

namespace platform::forms {

namespace {

std::uint32_t bigEndian32(const unsigned char* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           p[3];
}

std::int32_t littleEndian32(const unsigned char* p) {
    return static_cast<std::int32_t>(std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) |
                                     (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[3]} << 24));
}

[[noreturn]] void badPicture(const std::string& path) {
    throw RuntimeError(481, "Invalid picture: " + path);
}

}  // namespace

Picture LoadPicture(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw RuntimeError(53, "File not found: " + path);
    std::vector<unsigned char> head(32, 0);
    in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
    if (in.gcount() < 24) badPicture(path);

    Picture picture{path, 0, 0};
    const unsigned char png[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (std::equal(std::begin(png), std::end(png), head.begin())) {
        picture.width = static_cast<int>(bigEndian32(&head[16]));
        picture.height = static_cast<int>(bigEndian32(&head[20]));
    } else if (head[0] == 'B' && head[1] == 'M' && in.gcount() >= 26) {
        picture.width = littleEndian32(&head[18]);
        const std::int32_t h = littleEndian32(&head[22]);
        picture.height = h < 0 ? -h : h;
    } else if (head[0] == 0 && head[1] == 0 && (head[2] == 1 || head[2] == 2) && head[3] == 0) {
        // Icon or cursor directory: the first entry's size, 0 standing for 256.
        picture.width = head[6] == 0 ? 256 : head[6];
        picture.height = head[7] == 0 ? 256 : head[7];
    } else {
        badPicture(path);
    }
    if (picture.width <= 0 || picture.height <= 0) badPicture(path);
    return picture;
}

}  // namespace platform::forms
