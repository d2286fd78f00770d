#include "window/window_pictures.h"

#include "config/app_config.h"

namespace varnok::pictures {

std::string path(const char* fileName) {
    return std::string(config::kImageDirectory) + "/" + fileName;
}

}  // namespace varnok::pictures
