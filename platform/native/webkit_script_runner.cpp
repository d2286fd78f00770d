#include "platform/native/webkit_script_runner.h"

#include <memory>

#include "platform/native/webkit_gobject.h"

namespace platform::native {

namespace {

// Shared between the waiting call and WebKit's answer, which may come after the wait gave up.
struct Evaluation {
    bool answered = false;
    ScriptOutcome outcome;
};

using EvaluationHandle = std::shared_ptr<Evaluation>;

void onEvaluated(GObject* source, GAsyncResult* result, gpointer data) {
    // Takes back the handle given to WebKit with the request.
    std::unique_ptr<EvaluationHandle> handle(static_cast<EvaluationHandle*>(data));
    Evaluation& evaluation = **handle;
    GError* rawError = nullptr;
    GObjectRef<JSCValue> value = GObjectRef<JSCValue>::adopt(
        webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, &rawError));
    GErrorPtr error(rawError);
    evaluation.answered = true;
    if (error) {
        // A result that cannot cross to this process (a DOM node, a function) still means the
        // script ran.
        const bool ranAnyway = g_error_matches(error.get(), WEBKIT_JAVASCRIPT_ERROR,
                                               WEBKIT_JAVASCRIPT_ERROR_INVALID_RESULT);
        evaluation.outcome.status =
            ranAnyway ? ScriptOutcome::Status::Done : ScriptOutcome::Status::Failed;
        if (g_error_matches(error.get(), G_IO_ERROR, G_IO_ERROR_CANCELLED)) {
            evaluation.outcome.status = ScriptOutcome::Status::NoAnswer;
        }
        return;
    }
    evaluation.outcome.status = ScriptOutcome::Status::Done;
    if (value && !jsc_value_is_null(value.get()) && !jsc_value_is_undefined(value.get())) {
        GCharPtr text(jsc_value_to_string(value.get()));
        if (text) evaluation.outcome.value = std::string(text.get());
    }
}

gboolean onBoundPassed(gpointer data) {
    *static_cast<bool*>(data) = true;
    return G_SOURCE_REMOVE;
}

}  // namespace

ScriptOutcome runScriptAndWait(WebKitWebView* view, const std::string& script,
                               std::chrono::milliseconds bound) {
    auto evaluation = std::make_shared<Evaluation>();
    GObjectRef<GCancellable> cancellable = GObjectRef<GCancellable>::adopt(g_cancellable_new());
    // The answer may arrive after this call returned; WebKit holds a handle until then.
    auto handle = std::make_unique<EvaluationHandle>(evaluation);
    webkit_web_view_evaluate_javascript(view, script.data(), static_cast<gssize>(script.size()),
                                        nullptr, nullptr, cancellable.get(), &onEvaluated,
                                        handle.release());

    bool boundPassed = false;
    GSource* timeout = g_timeout_source_new(static_cast<guint>(bound.count()));
    g_source_set_callback(timeout, &onBoundPassed, &boundPassed, nullptr);
    AttachedSource timeoutSource(timeout);
    while (!evaluation->answered && !boundPassed) g_main_context_iteration(nullptr, TRUE);
    if (!evaluation->answered) {
        g_cancellable_cancel(cancellable.get());
        return ScriptOutcome{ScriptOutcome::Status::NoAnswer, std::nullopt};
    }
    return evaluation->outcome;
}

}  // namespace platform::native
