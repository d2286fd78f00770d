#include "tests/support/loopback_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <system_error>

namespace test_support {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kMaxRequestHead = 64 * 1024;
constexpr std::size_t kGeneratedChunk = 64 * 1024;

[[noreturn]] void throwErrno(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

const char* reasonPhrase(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 204:
            return "No Content";
        case 301:
            return "Moved Permanently";
        case 302:
            return "Found";
        case 400:
            return "Bad Request";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 500:
            return "Internal Server Error";
        case 503:
            return "Service Unavailable";
        default:
            return "Status";
    }
}

// A TCP socket bound to 127.0.0.1 on a port the kernel picks.
UniqueFd bindLoopback(std::uint16_t& port) {
    UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd) throwErrno("socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        throwErrno("bind");
    }
    socklen_t length = sizeof address;
    if (::getsockname(fd.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throwErrno("getsockname");
    }
    port = ntohs(address.sin_port);
    return fd;
}

std::string loopbackUrl(std::uint16_t port) {
    return "http://127.0.0.1:" + std::to_string(port) + "/";
}

}  // namespace

void UniqueFd::reset() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

Reply Reply::respond(int status, std::string body) {
    Reply reply;
    reply.kind = Kind::kRespond;
    reply.status = status;
    reply.body = std::move(body);
    return reply;
}

Reply Reply::silent() {
    Reply reply;
    reply.kind = Kind::kSilent;
    return reply;
}

Reply Reply::drip(std::string body, std::chrono::milliseconds interval) {
    Reply reply;
    reply.kind = Kind::kDrip;
    reply.body = std::move(body);
    reply.dripInterval = interval;
    return reply;
}

Reply Reply::generated(std::uint64_t size, char fill) {
    Reply reply;
    reply.kind = Kind::kGenerated;
    reply.generatedSize = size;
    reply.fill = fill;
    return reply;
}

Reply Reply::closeImmediately() {
    Reply reply;
    reply.kind = Kind::kCloseImmediately;
    return reply;
}

Reply&& Reply::withHeader(std::string name, std::string value) && {
    headers.emplace_back(std::move(name), std::move(value));
    return std::move(*this);
}

// One accepted client and where its exchange stands.
struct LoopbackHttpServer::Connection {
    enum class Phase { kReadingRequest, kWriting, kSilent };

    UniqueFd fd;
    Phase phase = Phase::kReadingRequest;
    std::string received;

    // Bytes queued for the socket; refilled from the body source below when empty.
    std::string pending;
    std::size_t pendingOffset = 0;

    Reply::Kind kind = Reply::Kind::kRespond;
    std::string dripBody;
    std::size_t dripPosition = 0;
    std::chrono::milliseconds dripInterval{0};
    Clock::time_point nextDrip;
    std::uint64_t generatedLeft = 0;
    char fill = 'x';

    bool closed = false;

    bool hasPending() const { return pendingOffset < pending.size(); }
    bool sourceExhausted() const {
        if (kind == Reply::Kind::kDrip) return dripPosition >= dripBody.size();
        if (kind == Reply::Kind::kGenerated) return generatedLeft == 0;
        return true;
    }
    std::optional<Clock::time_point> dripDue() const {
        if (phase == Phase::kWriting && kind == Reply::Kind::kDrip && !hasPending() &&
            !sourceExhausted()) {
            return nextDrip;
        }
        return std::nullopt;
    }

    void start(const Reply& reply, Clock::time_point now) {
        const std::uint64_t length = reply.kind == Reply::Kind::kGenerated
                                         ? reply.generatedSize
                                         : static_cast<std::uint64_t>(reply.body.size());
        pending = "HTTP/1.1 " + std::to_string(reply.status) + " " + reasonPhrase(reply.status) +
                  "\r\nContent-Length: " + std::to_string(length) + "\r\nConnection: close\r\n";
        for (const auto& [name, value] : reply.headers) pending += name + ": " + value + "\r\n";
        pending += "\r\n";
        pendingOffset = 0;
        kind = reply.kind;
        phase = Phase::kWriting;
        switch (reply.kind) {
            case Reply::Kind::kRespond:
                pending += reply.body;
                break;
            case Reply::Kind::kDrip:
                dripBody = reply.body;
                dripInterval = reply.dripInterval;
                nextDrip = now + dripInterval;
                break;
            case Reply::Kind::kGenerated:
                generatedLeft = reply.generatedSize;
                fill = reply.fill;
                break;
            case Reply::Kind::kSilent:
            case Reply::Kind::kCloseImmediately:
                break;
        }
    }

    // Queues the next piece of the body if one is due.
    void refill(Clock::time_point now) {
        pending.clear();
        pendingOffset = 0;
        if (kind == Reply::Kind::kGenerated && generatedLeft > 0) {
            const auto size =
                static_cast<std::size_t>(std::min<std::uint64_t>(generatedLeft, kGeneratedChunk));
            pending.assign(size, fill);
            generatedLeft -= size;
        } else if (kind == Reply::Kind::kDrip && !sourceExhausted() && now >= nextDrip) {
            pending.push_back(dripBody[dripPosition++]);
            nextDrip = now + dripInterval;
        }
    }

    // Writes as much as the socket takes; closes once the reply is complete or the peer left.
    void pump(Clock::time_point now) {
        while (!closed) {
            if (!hasPending()) {
                if (sourceExhausted()) {
                    closed = true;
                    return;
                }
                refill(now);
                if (!hasPending()) return;  // next drip not due yet
            }
            const ssize_t sent = ::send(fd.get(), pending.data() + pendingOffset,
                                        pending.size() - pendingOffset, MSG_NOSIGNAL);
            if (sent < 0) {
                if (errno == EAGAIN || errno == EWOULDBLOCK) return;
                if (errno == EINTR) continue;
                closed = true;  // client went away
                return;
            }
            pendingOffset += static_cast<std::size_t>(sent);
        }
    }

    // Reads what arrived. Returns the request line once the request head is complete.
    std::optional<RequestLine> readRequest() {
        char buffer[4096];
        for (;;) {
            const ssize_t got = ::recv(fd.get(), buffer, sizeof buffer, 0);
            if (got == 0) {
                closed = true;
                return std::nullopt;
            }
            if (got < 0) {
                if (errno == EINTR) continue;
                if (errno != EAGAIN && errno != EWOULDBLOCK) closed = true;
                break;
            }
            if (phase != Phase::kReadingRequest) continue;  // silent: discard whatever comes
            received.append(buffer, static_cast<std::size_t>(got));
        }
        if (phase != Phase::kReadingRequest || closed) return std::nullopt;
        if (received.find("\r\n\r\n") == std::string::npos) {
            if (received.size() > kMaxRequestHead) closed = true;
            return std::nullopt;
        }
        const std::string line = received.substr(0, received.find("\r\n"));
        const auto firstSpace = line.find(' ');
        const auto secondSpace =
            line.find(' ', firstSpace == std::string::npos ? 0 : firstSpace + 1);
        if (firstSpace == std::string::npos || secondSpace == std::string::npos) {
            closed = true;
            return std::nullopt;
        }
        return RequestLine{line.substr(0, firstSpace),
                           line.substr(firstSpace + 1, secondSpace - firstSpace - 1)};
    }
};

LoopbackHttpServer::LoopbackHttpServer() : defaultReply_(Reply::respond(200, "")) {
    listener_ = bindLoopback(port_);
    if (::listen(listener_.get(), SOMAXCONN) != 0) throwErrno("listen");
    wake_ = UniqueFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!wake_) throwErrno("eventfd");
    thread_ = std::thread([this] { serve(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
    const std::uint64_t one = 1;
    // An eventfd write of 8 bytes cannot be short; a failure would leave join() hanging, so the
    // result is only worth a check in debug builds.
    [[maybe_unused]] const ssize_t written = ::write(wake_.get(), &one, sizeof one);
    thread_.join();
}

void LoopbackHttpServer::setReply(const std::string& target, Reply reply) {
    std::lock_guard lock(mutex_);
    replies_.insert_or_assign(target, std::move(reply));
}

void LoopbackHttpServer::setDefaultReply(Reply reply) {
    std::lock_guard lock(mutex_);
    defaultReply_ = std::move(reply);
}

std::string LoopbackHttpServer::baseUrl() const {
    return loopbackUrl(port_);
}

std::vector<RequestLine> LoopbackHttpServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

Reply LoopbackHttpServer::replyFor(const std::string& target) const {
    std::lock_guard lock(mutex_);
    const auto found = replies_.find(target);
    return found != replies_.end() ? found->second : defaultReply_;
}

void LoopbackHttpServer::recordRequest(RequestLine line) {
    std::lock_guard lock(mutex_);
    requests_.push_back(std::move(line));
}

void LoopbackHttpServer::serve() {
    std::vector<Connection> connections;
    std::vector<pollfd> polled;
    for (;;) {
        // Poll the wake descriptor, the listener and every connection, waiting at most until
        // the next drip byte is due.
        polled.clear();
        polled.push_back({wake_.get(), POLLIN, 0});
        polled.push_back({listener_.get(), POLLIN, 0});
        std::optional<Clock::time_point> wakeAt;
        for (const Connection& connection : connections) {
            short events = POLLIN;
            if (connection.phase == Connection::Phase::kWriting) {
                events = connection.hasPending() ? POLLOUT : 0;
            }
            polled.push_back({connection.fd.get(), events, 0});
            if (const auto due = connection.dripDue()) {
                wakeAt = wakeAt ? std::min(*wakeAt, *due) : *due;
            }
        }
        int timeoutMs = -1;
        if (wakeAt) {
            const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*wakeAt - Clock::now());
            timeoutMs = static_cast<int>(std::max<std::int64_t>(0, wait.count()));
        }
        if (::poll(polled.data(), polled.size(), timeoutMs) < 0 && errno != EINTR) return;
        if (polled[0].revents != 0) return;  // asked to stop

        const auto now = Clock::now();
        for (std::size_t i = 0; i < connections.size(); ++i) {
            Connection& connection = connections[i];
            const short revents = polled[i + 2].revents;
            if (connection.phase == Connection::Phase::kWriting) {
                connection.pump(now);
                continue;
            }
            if (revents == 0) continue;
            const auto request = connection.readRequest();
            if (!request) continue;
            recordRequest(*request);
            const Reply reply = replyFor(request->target);
            switch (reply.kind) {
                case Reply::Kind::kSilent:
                    connection.phase = Connection::Phase::kSilent;
                    break;
                case Reply::Kind::kCloseImmediately:
                    connection.closed = true;
                    break;
                case Reply::Kind::kRespond:
                case Reply::Kind::kDrip:
                case Reply::Kind::kGenerated:
                    connection.start(reply, now);
                    connection.pump(now);
                    break;
            }
        }
        std::erase_if(connections, [](const Connection& c) { return c.closed; });

        if (polled[1].revents != 0) {
            for (;;) {
                UniqueFd client(
                    ::accept4(listener_.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
                if (!client) break;
                Connection connection;
                connection.fd = std::move(client);
                connections.push_back(std::move(connection));
            }
        }
    }
}

RefusingPort::RefusingPort() {
    socket_ = bindLoopback(port_);
}

std::string RefusingPort::baseUrl() const {
    return loopbackUrl(port_);
}

}  // namespace test_support
