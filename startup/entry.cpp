#include "startup/entry.h"

#include <exception>

#include "config/app_config.h"
#include "platform/desktop.h"
#include "startup/check_net.h"
#include "startup/server_base.h"
#include "window/game_box.h"

namespace varnok::入口函数 {

namespace {
constexpr const char* kExpectedReply = "ok";

// Runs one step; a step that fails is skipped and the next one runs.
template <typename Step>
void skipOnError(Step step) {
    try {
        step();
    } catch (const std::exception&) {
    }
}
}  // namespace

void SelectServer(platform::Desktop& desktop) {
    skipOnError(
        [&] { ServerBase = CheckNet(desktop, config::kPrimaryServerBase, kExpectedReply); });
    skipOnError([&] {
        if (ServerBase.empty()) {
            ServerBase = CheckNet(desktop, config::kFallbackServerBase, kExpectedReply);
        }
    });
    skipOnError([&] {
        if (ServerBase.empty()) desktop.MessageBoxA(0, kNoServerMessage, nullptr, platform::MB_OK);
    });
}

std::unique_ptr<GameBox> Main(platform::Desktop& desktop) {
    SelectServer(desktop);
    auto window = std::make_unique<GameBox>(desktop);
    window->Load();
    return window;
}

}  // namespace varnok::入口函数
