// Switching off a page's own prompts after each completed navigation.
#pragma once

#include <string>

namespace platform::forms {
class WebBrowser;
}

namespace varnok {

// A navigation whose address holds this is left as it is.
inline constexpr const char* kExclusionFragment = "nohook";
// Pages whose markup holds this lose their alert as well.
inline constexpr const char* kEndMarker = "id=end_";

// Runs the overrides in the browser's top-level page; every failing step is skipped.
void SuppressPageDialogs(platform::forms::WebBrowser& browser, const std::string& URL);

}  // namespace varnok
