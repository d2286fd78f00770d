#include "platform/native/curl_http_request.h"

#include <algorithm>
#include <climits>
#include <mutex>
#include <string_view>

#include "platform/runtime_error.h"

namespace platform::native {

namespace {

using std::chrono::milliseconds;

// Longest single wait in the transfer loop, so phase changes are re-examined regularly even
// when libcurl has no timer of its own pending.
constexpr milliseconds kMaxPollWait{1000};

// libcurl treats a zero connect time-out as its built-in default of five minutes, so "no
// limit" is spelled as the longest value that stays clear of overflow anywhere (about 24 days).
constexpr long kNoConnectLimitMs = INT_MAX;

CURLcode initialiseCurlOnce() {
    static std::once_flag once;
    static CURLcode result = CURLE_OK;
    std::call_once(once, [] { result = curl_global_init(CURL_GLOBAL_DEFAULT); });
    return result;
}

std::string lowercase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    });
    return text;
}

// Names under the reserved top-level domain "invalid" never resolve, so they are answered here
// without asking the system resolver (and without a query leaving the machine).
bool isReservedInvalidName(const std::string& host) {
    std::string name = lowercase(host);
    if (!name.empty() && name.back() == '.') name.pop_back();
    return name == "invalid" || (name.size() > 8 && name.ends_with(".invalid"));
}

// Splits the URL with libcurl's own parser so Open rejects what the transfer would reject.
struct ParsedUrl {
    std::string scheme;
    std::string host;
};

std::optional<ParsedUrl> parseUrl(const std::string& url) {
    struct UrlDeleter {
        void operator()(CURLU* handle) const { curl_url_cleanup(handle); }
    };
    std::unique_ptr<CURLU, UrlDeleter> handle(curl_url());
    if (!handle) return std::nullopt;
    // No CURLU_GUESS_SCHEME: a URL without a scheme is rejected rather than guessed at.
    if (curl_url_set(handle.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) {
        return std::nullopt;
    }
    auto part = [&](CURLUPart which) -> std::optional<std::string> {
        struct TextDeleter {
            void operator()(char* text) const { curl_free(text); }
        };
        char* raw = nullptr;
        const CURLUcode code = curl_url_get(handle.get(), which, &raw, 0);
        const std::unique_ptr<char, TextDeleter> text(raw);
        if (code != CURLUE_OK || !text) return std::nullopt;
        return std::string(text.get());
    };
    auto scheme = part(CURLUPART_SCHEME);
    auto host = part(CURLUPART_HOST);
    if (!scheme || !host || host->empty()) return std::nullopt;
    return ParsedUrl{lowercase(*scheme), *host};
}

void check(CURLcode code, const char* option) {
    if (code != CURLE_OK) {
        throw RuntimeError(err::kAutomationError, std::string("libcurl rejected ") + option + ": " +
                                                      curl_easy_strerror(code));
    }
}

}  // namespace

CurlHttpRequest::CurlHttpRequest() {
    if (const CURLcode init = initialiseCurlOnce(); init != CURLE_OK) {
        throw RuntimeError(err::kCannotCreateObject,
                           std::string("Cannot create the HTTP request object: libcurl failed to "
                                       "initialise: ") +
                               curl_easy_strerror(init));
    }
    multi_.reset(curl_multi_init());
    easy_.reset(curl_easy_init());
    if (!multi_ || !easy_) {
        throw RuntimeError(err::kCannotCreateObject,
                           "Cannot create the HTTP request object: libcurl could not allocate a "
                           "transfer");
    }
}

CurlHttpRequest::~CurlHttpRequest() {
    detach();
}

void CurlHttpRequest::requireNotInFlight(const char* call) const {
    if (state_ == State::kInFlight) {
        throw RuntimeError(err::kInvalidProcedureCall,
                           std::string(call) + " cannot be called while a request is in progress");
    }
}

void CurlHttpRequest::setTimeouts(std::int16_t resolveMs, std::int16_t connectMs,
                                  std::int16_t sendMs, std::int16_t receiveMs) {
    requireNotInFlight("setTimeouts");
    resolveMs_ = std::max<int>(resolveMs, 0);
    connectMs_ = std::max<int>(connectMs, 0);
    sendMs_ = std::max<int>(sendMs, 0);
    receiveMs_ = std::max<int>(receiveMs, 0);
}

void CurlHttpRequest::limitResponse(std::size_t maxBytes, const std::string& stopWhenFound) {
    requireNotInFlight("limitResponse");
    maxBytes_ = maxBytes;
    marker_ = stopWhenFound;
}

void CurlHttpRequest::Open(const std::string& method, const std::string& url, bool async) {
    if (method != "GET") {
        throw RuntimeError(err::kInvalidPropertyValue,
                           "Unsupported HTTP method \"" + method + "\": only GET is supported");
    }
    const auto parsed = parseUrl(url);
    if (!parsed) throw RuntimeError(err::kInvalidPropertyValue, "Invalid URL \"" + url + "\"");
    if (parsed->scheme != "http" && parsed->scheme != "https") {
        throw RuntimeError(err::kInvalidPropertyValue,
                           "Unsupported URL scheme in \"" + url + "\": use http or https");
    }

    // Opening again abandons whatever the previous exchange left behind.
    detach();
    state_ = State::kOpened;
    url_ = url;
    host_ = parsed->host;
    async_ = async;
    body_.clear();
    body_.shrink_to_fit();
    failure_.clear();
}

void CurlHttpRequest::send() {
    switch (state_) {
        case State::kClosed:
            throw RuntimeError(err::kInvalidProcedureCall, "send called before Open");
        case State::kInFlight:
        case State::kCompleted:
        case State::kFailed:
            throw RuntimeError(err::kInvalidProcedureCall,
                               "send called twice; call Open to start another request");
        case State::kOpened:
            break;
    }

    body_.clear();
    stoppedByLimit_ = false;
    errorText_.fill('\0');
    resolvedAt_.reset();
    connectedAt_.reset();
    lastDataAt_.reset();
    pendingFailure_.reset();

    if (isReservedInvalidName(host_)) {
        pendingFailure_ = "Could not resolve host name \"" + host_ + "\"";
    } else {
        configureTransfer();
        if (curl_multi_add_handle(multi_.get(), easy_.get()) != CURLM_OK) {
            throw RuntimeError(err::kAutomationError, "libcurl could not start the request");
        }
        attached_ = true;
    }
    startedAt_ = Clock::now();
    state_ = State::kInFlight;

    if (!async_) {
        runToEnd();
    } else if (attached_) {
        // Start resolving and connecting; this does not wait for the network.
        int running = 0;
        curl_multi_perform(multi_.get(), &running);
    }
}

bool CurlHttpRequest::waitForResponse() {
    switch (state_) {
        case State::kClosed:
        case State::kOpened:
            throw RuntimeError(err::kInvalidProcedureCall, "waitForResponse called before send");
        case State::kInFlight:
            runToEnd();
            return true;
        case State::kCompleted:
            return true;
        case State::kFailed:
            throw RuntimeError(err::kHttpFailure, failure_);
    }
    return true;
}

std::vector<std::uint8_t> CurlHttpRequest::responseBody() {
    switch (state_) {
        case State::kCompleted:
            return body_;
        case State::kFailed:
            throw RuntimeError(err::kHttpFailure, failure_);
        case State::kClosed:
        case State::kOpened:
        case State::kInFlight:
            break;
    }
    throw RuntimeError(err::kInvalidProcedureCall,
                       "responseBody called before the request completed");
}

void CurlHttpRequest::configureTransfer() {
    CURL* handle = easy_.get();
    curl_easy_reset(handle);

    check(curl_easy_setopt(handle, CURLOPT_URL, url_.c_str()), "CURLOPT_URL");
    check(curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L), "CURLOPT_HTTPGET");
    check(curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https"), "CURLOPT_PROTOCOLS_STR");
    check(curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 0L), "CURLOPT_FOLLOWLOCATION");
    // An empty proxy name disables proxies, including those named in the environment.
    check(curl_easy_setopt(handle, CURLOPT_PROXY, ""), "CURLOPT_PROXY");
    check(curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L), "CURLOPT_NOSIGNAL");
    // Abandoning a transfer mid-resolution must not wait for the system resolver to give up.
    check(curl_easy_setopt(handle, CURLOPT_QUICK_EXIT, 1L), "CURLOPT_QUICK_EXIT");
    check(curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorText_.data()), "CURLOPT_ERRORBUFFER");

    check(curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &CurlHttpRequest::onBody),
          "CURLOPT_WRITEFUNCTION");
    check(curl_easy_setopt(handle, CURLOPT_WRITEDATA, this), "CURLOPT_WRITEDATA");
    check(curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, &CurlHttpRequest::onHeader),
          "CURLOPT_HEADERFUNCTION");
    check(curl_easy_setopt(handle, CURLOPT_HEADERDATA, this), "CURLOPT_HEADERDATA");
    check(curl_easy_setopt(handle, CURLOPT_SOCKOPTFUNCTION, &CurlHttpRequest::onSocketOption),
          "CURLOPT_SOCKOPTFUNCTION");
    check(curl_easy_setopt(handle, CURLOPT_SOCKOPTDATA, this), "CURLOPT_SOCKOPTDATA");
    check(curl_easy_setopt(handle, CURLOPT_PREREQFUNCTION, &CurlHttpRequest::onConnected),
          "CURLOPT_PREREQFUNCTION");
    check(curl_easy_setopt(handle, CURLOPT_PREREQDATA, this), "CURLOPT_PREREQDATA");

    // The resolve, connect and receive limits are watched phase by phase in runToEnd. libcurl
    // enforces the same bounds as a backstop: resolving plus connecting within their sum, and
    // the overall cap.
    const long connectLimit = resolveMs_ > 0 && connectMs_ > 0
                                  ? static_cast<long>(resolveMs_) + connectMs_
                                  : kNoConnectLimitMs;
    check(curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, connectLimit),
          "CURLOPT_CONNECTTIMEOUT_MS");
    const bool allLimited = resolveMs_ > 0 && connectMs_ > 0 && sendMs_ > 0 && receiveMs_ > 0;
    const long overallLimit =
        allLimited ? static_cast<long>(resolveMs_) + connectMs_ + sendMs_ + receiveMs_ : 0L;
    check(curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, overallLimit), "CURLOPT_TIMEOUT_MS");
}

std::optional<CurlHttpRequest::Deadline> CurlHttpRequest::phaseDeadline() const {
    if (!connectedAt_) {
        if (!resolvedAt_) {
            if (resolveMs_ <= 0) return std::nullopt;
            return Deadline{startedAt_ + milliseconds(resolveMs_),
                            "resolving \"" + host_ + "\" took longer than " +
                                std::to_string(resolveMs_) + " ms"};
        }
        if (connectMs_ <= 0) return std::nullopt;
        return Deadline{*resolvedAt_ + milliseconds(connectMs_),
                        "no connection within " + std::to_string(connectMs_) + " ms"};
    }
    if (receiveMs_ <= 0) return std::nullopt;
    if (!lastDataAt_) {
        // The request goes out the moment the connection stands (a GET without a body is sent
        // in one write), so the wait for the reply's first byte is the receive time-out's.
        return Deadline{*connectedAt_ + milliseconds(receiveMs_),
                        "no reply within " + std::to_string(receiveMs_) + " ms of sending"};
    }
    return Deadline{*lastDataAt_ + milliseconds(receiveMs_),
                    "no data received for " + std::to_string(receiveMs_) + " ms"};
}

void CurlHttpRequest::runToEnd() {
    if (pendingFailure_) fail(*pendingFailure_);
    for (;;) {
        int running = 0;
        if (const CURLMcode code = curl_multi_perform(multi_.get(), &running); code != CURLM_OK) {
            fail(std::string("libcurl failed: ") + curl_multi_strerror(code));
        }
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi_.get(), &queued)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == easy_.get()) {
                finish(message->data.result);
                return;
            }
        }

        const auto now = Clock::now();
        milliseconds wait = kMaxPollWait;
        if (const auto deadline = phaseDeadline()) {
            if (now >= deadline->at) fail(deadline->what);
            wait = std::min(wait, std::chrono::ceil<milliseconds>(deadline->at - now));
        }
        if (const CURLMcode code =
                curl_multi_poll(multi_.get(), nullptr, 0, static_cast<int>(wait.count()), nullptr);
            code != CURLM_OK) {
            fail(std::string("libcurl failed: ") + curl_multi_strerror(code));
        }
    }
}

void CurlHttpRequest::finish(CURLcode result) {
    detach();
    // Stopping the reply on purpose surfaces from libcurl as a write error; it is a success.
    if (result == CURLE_OK || (result == CURLE_WRITE_ERROR && stoppedByLimit_)) {
        state_ = State::kCompleted;
        return;
    }
    std::string reason = curl_easy_strerror(result);
    if (errorText_[0] != '\0') reason += std::string(" (") + errorText_.data() + ")";
    fail(reason);
}

void CurlHttpRequest::fail(const std::string& reason) {
    detach();
    state_ = State::kFailed;
    body_.clear();
    failure_ = "HTTP request GET " + url_ + " failed: " + reason;
    throw RuntimeError(err::kHttpFailure, failure_);
}

void CurlHttpRequest::detach() {
    if (attached_) {
        curl_multi_remove_handle(multi_.get(), easy_.get());
        attached_ = false;
    }
}

std::size_t CurlHttpRequest::storeBody(const char* data, std::size_t length) {
    const std::size_t before = body_.size();
    std::size_t take = length;
    if (maxBytes_ > 0) take = std::min(take, maxBytes_ - before);
    body_.insert(body_.end(), data, data + take);

    if (!marker_.empty() && body_.size() >= marker_.size()) {
        // Only the new bytes, plus enough of the old ones for a marker straddling the seam.
        const std::size_t from = before >= marker_.size() - 1 ? before - (marker_.size() - 1) : 0;
        const std::string_view window(reinterpret_cast<const char*>(body_.data()) + from,
                                      body_.size() - from);
        if (const auto at = window.find(marker_); at != std::string_view::npos) {
            // The reply ends with the marker, however the bytes were split into reads.
            body_.resize(from + at + marker_.size());
            stoppedByLimit_ = true;
        }
    }
    if (maxBytes_ > 0 && body_.size() >= maxBytes_) stoppedByLimit_ = true;

    // Any count other than `length` makes libcurl end the transfer.
    return stoppedByLimit_ ? 0 : length;
}

std::size_t CurlHttpRequest::onBody(char* data, std::size_t size, std::size_t count, void* self) {
    auto& request = *static_cast<CurlHttpRequest*>(self);
    const std::size_t length = size * count;
    request.lastDataAt_ = Clock::now();
    if (request.stoppedByLimit_) return 0;
    return request.storeBody(data, length);
}

std::size_t CurlHttpRequest::onHeader(char* /*data*/, std::size_t size, std::size_t count,
                                      void* self) {
    static_cast<CurlHttpRequest*>(self)->lastDataAt_ = Clock::now();
    return size * count;
}

int CurlHttpRequest::onSocketOption(void* self, curl_socket_t /*socket*/,
                                    curlsocktype /*purpose*/) {
    auto& request = *static_cast<CurlHttpRequest*>(self);
    if (!request.resolvedAt_) request.resolvedAt_ = Clock::now();
    return CURL_SOCKOPT_OK;
}

int CurlHttpRequest::onConnected(void* self, char* /*remoteIp*/, char* /*localIp*/,
                                 int /*remotePort*/, int /*localPort*/) {
    static_cast<CurlHttpRequest*>(self)->connectedAt_ = Clock::now();
    return CURL_PREREQFUNC_OK;
}

std::unique_ptr<platform::HttpRequest> makeCurlHttpRequest() {
    return std::make_unique<CurlHttpRequest>();
}

}  // namespace platform::native
