#include "platform/native/webkit_frame_reports.h"

#include <memory>

#include "platform/native/webkit_separate_window.h"

namespace platform::native {

namespace {

constexpr const char* kHandlerName = "varnokFrame";
constexpr const char* kWorldName = "varnok";

struct UserScriptUnref {
    void operator()(WebKitUserScript* s) const { webkit_user_script_unref(s); }
};

void replaceAll(std::string& text, const std::string& placeholder, const std::string& value) {
    for (auto at = text.find(placeholder); at != std::string::npos;
         at = text.find(placeholder, at + value.size())) {
        text.replace(at, placeholder.size(), value);
    }
}

// Posts the address of a frame's document to the handler, from frames of the browser's own page.
std::string reportingScript() {
    std::string script = R"JS((function () {
  if (window === window.top) return;
  if (navigator.userAgent.indexOf('$MARK') >= 0) return;
  window.webkit.messageHandlers.$HANDLER.postMessage({ url: String(location.href) });
})();)JS";
    replaceAll(script, "$MARK", kSeparateWindowAgentMark);
    replaceAll(script, "$HANDLER", kHandlerName);
    return script;
}

}  // namespace

GObjectRef<WebKitUserContentManager> newFrameReportingContentManager() {
    auto manager = GObjectRef<WebKitUserContentManager>::adopt(webkit_user_content_manager_new());
    webkit_user_content_manager_register_script_message_handler_in_world(manager.get(),
                                                                         kHandlerName, kWorldName);
    const std::string source = reportingScript();
    std::unique_ptr<WebKitUserScript, UserScriptUnref> script(webkit_user_script_new_for_world(
        source.c_str(), WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES,
        WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_END, kWorldName, nullptr, nullptr));
    webkit_user_content_manager_add_script(manager.get(), script.get());
    return manager;
}

std::optional<std::string> frameReportAddress(WebKitJavascriptResult* message) {
    JSCValue* report = webkit_javascript_result_get_js_value(message);
    if (report == nullptr || !jsc_value_is_object(report)) return std::nullopt;
    auto url = GObjectRef<JSCValue>::adopt(jsc_value_object_get_property(report, "url"));
    if (!url || !jsc_value_is_string(url.get())) return std::nullopt;
    GCharPtr text(jsc_value_to_string(url.get()));
    if (!text) return std::nullopt;
    return std::string(text.get());
}

}  // namespace platform::native
