// A scripted HTTP/1.1 server on 127.0.0.1 for tests that drive a real HTTP client.
//
// The server listens on an ephemeral port and serves every connection from one background
// thread. Each request is answered with the reply scripted for its exact target (path plus
// query), or with the default reply. Every reply closes the connection after it is written.
// The destructor stops the thread promptly, even while clients are connected or waiting on a
// silent or dripping reply.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace test_support {

// Owns a file descriptor and closes it once.
class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            reset();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    void reset();

  private:
    int fd_ = -1;
};

// What the server does with a request.
struct Reply {
    enum class Kind {
        kRespond,           // status line, headers and the whole body at once
        kSilent,            // read the request, never answer, keep the connection open
        kDrip,              // headers at once, then the body one byte per interval
        kGenerated,         // a body of `generatedSize` copies of `fill`, produced as sent
        kCloseImmediately,  // read the request and close without a byte of reply
    };

    Kind kind = Kind::kRespond;
    int status = 200;
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;  // extra response headers
    std::chrono::milliseconds dripInterval{0};
    std::uint64_t generatedSize = 0;
    char fill = 'x';

    static Reply respond(int status, std::string body);
    static Reply silent();
    static Reply drip(std::string body, std::chrono::milliseconds interval);
    static Reply generated(std::uint64_t size, char fill = 'x');
    static Reply closeImmediately();

    Reply&& withHeader(std::string name, std::string value) &&;
};

// One request as it arrived: the method and the request target exactly as sent.
struct RequestLine {
    std::string method;
    std::string target;
    friend bool operator==(const RequestLine&, const RequestLine&) = default;
};

class LoopbackHttpServer {
  public:
    // Starts listening and serving; the default reply is 200 with an empty body.
    LoopbackHttpServer();
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    // Scripts the reply for requests whose target equals `target` (e.g. "/status?x=1").
    void setReply(const std::string& target, Reply reply);
    void setDefaultReply(Reply reply);

    std::uint16_t port() const { return port_; }
    // "http://127.0.0.1:<port>/"
    std::string baseUrl() const;
    // Every request received so far, in arrival order.
    std::vector<RequestLine> requests() const;

  private:
    struct Connection;

    void serve();
    Reply replyFor(const std::string& target) const;
    void recordRequest(RequestLine line);

    UniqueFd listener_;
    UniqueFd wake_;  // eventfd: written once to stop the server thread
    std::uint16_t port_ = 0;

    mutable std::mutex mutex_;
    std::map<std::string, Reply> replies_;
    Reply defaultReply_;
    std::vector<RequestLine> requests_;

    std::thread thread_;  // last: started after everything it uses exists
};

// A loopback port on which connections are refused. The port stays bound (without listening)
// for the lifetime of this object, so no other socket can take it in the meantime.
class RefusingPort {
  public:
    RefusingPort();
    std::uint16_t port() const { return port_; }
    // "http://127.0.0.1:<port>/"
    std::string baseUrl() const;

  private:
    UniqueFd socket_;
    std::uint16_t port_ = 0;
};

}  // namespace test_support
