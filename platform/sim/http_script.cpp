#include "platform/sim/http_script.h"

namespace platform::sim {

HttpResponse HttpScript::answerFor(const std::string& url) const {
    const HttpResponse* best = nullptr;
    std::size_t bestLength = 0;
    for (const auto& [prefix, response] : byPrefix_) {
        const bool matches = url.compare(0, prefix.size(), prefix) == 0;
        if (matches && (best == nullptr || prefix.size() > bestLength)) {
            best = &response;
            bestLength = prefix.size();
        }
    }
    return best != nullptr ? *best : HttpResponse::refused();
}

}  // namespace platform::sim
