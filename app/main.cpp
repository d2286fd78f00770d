// The varnok executable: the real desktop, then the program's own entry.
#include <cstdio>
#include <exception>

#include "config/app_config.h"
#include "platform/native/native_desktop.h"
#include "startup/entry.h"
#include "window/game_box.h"

int main(int argc, char** argv) {
    try {
        platform::native::NativeDesktop native(argc, argv, varnok::config::kApplicationTitle);
        auto window = varnok::入口函数::Main(native.desktop());
        return native.runMessageLoop();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "varnok: %s\n", error.what());
        return 1;
    }
}
