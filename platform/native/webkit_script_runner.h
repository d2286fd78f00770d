// Runs a script in a web view's top-level page and waits for it: WebKit evaluates scripts in the
// web process and answers asynchronously, while the program expects a script to have run when the
// call returns. The wait is a nested main loop, bounded so that a page that never answers (one
// stopped in a dialog of its own, a hung web process) cannot hold the program for good.
#pragma once

#include <webkit2/webkit2.h>

#include <chrono>
#include <optional>
#include <string>

namespace platform::native {

struct ScriptOutcome {
    enum class Status {
        Done,      // the script ran; `value` holds its result as text, if it has one
        Failed,    // the script raised an exception or could not be compiled
        NoAnswer,  // no answer within the bound; the evaluation was cancelled
    };
    Status status = Status::NoAnswer;
    // The result as text; none for null, undefined, or a result WebKit cannot hand over.
    std::optional<std::string> value;
};

inline constexpr std::chrono::milliseconds kScriptAnswerBound{2000};

// Evaluates `script` in the page's own script world of `view`'s main frame, so that functions it
// declares replace the page's own. Events keep being dispatched while it waits.
ScriptOutcome runScriptAndWait(WebKitWebView* view, const std::string& script,
                               std::chrono::milliseconds bound = kScriptAnswerBound);

}  // namespace platform::native
