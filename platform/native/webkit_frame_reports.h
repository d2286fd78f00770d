// Reports of frames that finished loading a document. WebKit tells the application about the
// main frame's loads only; for frames, a script runs at the end of every document in every frame
// of the page and posts the frame's address to a message handler in this process.
//
// The script runs in a script world of its own, so that pages neither see the handler nor change
// what the script reads. Pages in separate windows run it too (WebKit shares one script registry
// among related views); it stays quiet there, recognising them by their user agent mark.
#pragma once

#include <webkit2/webkit2.h>

#include <optional>
#include <string>

#include "platform/native/webkit_gobject.h"

namespace platform::native {

// The detailed signal of the content manager that carries one report.
inline constexpr const char* kFrameReportSignal = "script-message-received::varnokFrame";

// A content manager with the reporting script and its handler installed.
GObjectRef<WebKitUserContentManager> newFrameReportingContentManager();

// The frame's address from a report; none when the message is not a well-formed report.
std::optional<std::string> frameReportAddress(WebKitJavascriptResult* message);

}  // namespace platform::native
