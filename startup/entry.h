// The entry module: choosing the game server, then loading the main window.
#pragma once

#include <memory>

namespace platform {
class Desktop;
}

namespace varnok {

class GameBox;

// Shown when neither game server answered the probe.
inline constexpr const char* kNoServerMessage =
    ".您的网络无法连接到我们的服务器,请试下重启（如：路由器、适配器、猫等更新IP）！";

namespace 入口函数 {

// Probes the primary server, then if needed the fallback, and sets the server base; says so in a
// message box when neither answered.
void SelectServer(platform::Desktop& desktop);

// Chooses the server, then loads the main window, which runs its start-up to the end. The
// window is handed to the caller, who keeps it for as long as the program runs.
std::unique_ptr<GameBox> Main(platform::Desktop& desktop);

}  // namespace 入口函数
}  // namespace varnok
