// A program copy on a simulated desktop, for the tests of the program itself.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "config/app_config.h"
#include "platform/sim/sim_browser.h"
#include "platform/sim/sim_desktop.h"
#include "platform/sim/sim_world.h"
#include "startup/entry.h"
#include "startup/server_base.h"
#include "window/game_box.h"

namespace varnok::testing {

using platform::sim::HttpResponse;
using platform::sim::SimDesktop;
using platform::sim::SimWorld;

inline const std::string kPrimary = config::kPrimaryServerBase;
inline const std::string kFallback = config::kFallbackServerBase;
inline const std::string kTitle = config::kApplicationTitle;

class SimProgram : public ::testing::Test {
  protected:
    SimProgram() { ServerBase.clear(); }

    platform::Desktop& desk() { return sim.desktop(); }

    // The window, created hidden with all its controls; not loaded.
    GameBox& create() {
        box = std::make_unique<GameBox>(desk());
        return *box;
    }

    // A whole start: the primary answers, Main chooses it and loads the window.
    GameBox& start() {
        world.scriptHttp(kPrimary, HttpResponse::reply(200, "ok"));
        box = 入口函数::Main(desk());
        return *box;
    }

    // Moves the pointer to a point of `control` given in pixels from its top-left corner.
    void pointAt(const platform::forms::Control& control, int dx = 1, int dy = 1) {
        const auto p = screenOrigin(control);
        sim.moveMouse(p.x + dx, p.y + dy);
    }

    // The screen position of a control's top-left corner.
    platform::POINT screenOrigin(const platform::forms::Control& control) {
        if (control.Parent() == nullptr) {
            const auto r = box->windowRect();
            return {r.left, r.top};
        }
        const auto parent = screenOrigin(*control.Parent());
        const auto r = control.pixelRect();
        return {parent.x + r.left, parent.y + r.top};
    }

    // Where the first log entry that starts with `prefix` stands.
    std::optional<std::size_t> logIndex(std::string_view prefix) const {
        const auto& log = world.log();
        for (std::size_t i = 0; i < log.size(); ++i) {
            if (log[i].compare(0, prefix.size(), prefix) == 0) return i;
        }
        return std::nullopt;
    }

    platform::sim::SimBrowser& browser(const std::string& name) { return sim.browser(name); }

    SimWorld world;
    SimDesktop sim{world, "varnok.exe", config::kApplicationTitle};
    std::unique_ptr<GameBox> box;
};

}  // namespace varnok::testing
