// A server that stops answering: the wait hook hears of the wait and gives
// it up, and the open or the read ends at once with its reason, long before
// the stall limit.
#include "remote/RemoteFile.h"
#include "segy/ByteSource.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

// Listens on 127.0.0.1 and reads every request; when `answerFirst`, the
// very first request gets the first megabyte of a 10 MB file, `delayMs`
// after it came, and nothing else is ever answered.
class StalledServer {
public:
    explicit StalledServer(bool answerFirst, int delayMs = 0)
        : answerFirst_(answerFirst), delay_(delayMs) {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (listener_ < 0 ||
            ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            ::listen(listener_, 64) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return;
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~StalledServer() {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        for (const int fd : connections_)
            ::close(fd);
        if (listener_ >= 0)
            ::close(listener_);
    }
    StalledServer(const StalledServer&) = delete;
    StalledServer& operator=(const StalledServer&) = delete;

    std::string Address(const std::string& name) const {
        return "http://127.0.0.1:" + std::to_string(port_) + "/" + name;
    }

private:
    void Serve() {
        std::vector<std::string> requests;
        int waiting = -1; // the connection whose request is to be answered
        auto due = std::chrono::steady_clock::now();
        while (!stop_) {
            if (waiting >= 0 && std::chrono::steady_clock::now() >= due) {
                Answer(waiting);
                waiting = -1;
            }
            std::vector<pollfd> fds{{listener_, POLLIN, 0}};
            for (const int fd : connections_)
                fds.push_back({fd, POLLIN, 0});
            if (::poll(fds.data(), fds.size(), 50) <= 0)
                continue;
            if (fds[0].revents & POLLIN) {
                connections_.push_back(::accept(listener_, nullptr, nullptr));
                requests.emplace_back();
            }
            for (size_t k = 1; k < fds.size(); ++k) {
                if (!(fds[k].revents & POLLIN))
                    continue;
                char buffer[4096];
                const ssize_t got = ::read(fds[k].fd, buffer, sizeof buffer);
                if (got <= 0)
                    continue;
                requests[k - 1].append(buffer, static_cast<size_t>(got));
                if (answerFirst_ && !answered_ &&
                    requests[k - 1].find("\r\n\r\n") != std::string::npos) {
                    answered_ = true;
                    waiting = fds[k].fd;
                    due = std::chrono::steady_clock::now() + std::chrono::milliseconds(delay_);
                }
            }
        }
    }

    static void Answer(int fd) {
        const std::string head = "HTTP/1.1 206 Partial Content\r\n"
                                 "Content-Range: bytes 0-1048575/10000000\r\n"
                                 "Content-Length: 1048576\r\n\r\n";
        const std::string answer = head + std::string(1048576, '\x40');
        for (size_t sent = 0; sent < answer.size();) {
            const ssize_t n = ::write(fd, answer.data() + sent, answer.size() - sent);
            if (n <= 0)
                break;
            sent += static_cast<size_t>(n);
        }
    }

    const bool answerFirst_;
    const int delay_;
    int listener_ = -1;
    int port_ = 0;
    bool answered_ = false;
    std::vector<int> connections_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// A wait hook that gives a wait up after a third of a second, and counts.
struct GivingUp {
    GivingUp() {
        segy::SetLocationWaitHook([this](const std::string& location, double waited) {
            shown = location;
            if (waited < 0)
                ++ended;
            return waited < 0.3;
        });
    }
    ~GivingUp() { segy::SetLocationWaitHook(nullptr); }
    std::string shown;
    int ended = 0;
};

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(StalledServer, AnOpenThatWaitsIsGivenUpThroughTheWaitHook) {
    // Opened to read a block, and to be read through (a request for the
    // whole file).
    for (const bool readThrough : {false, true}) {
        StalledServer server(false);
        GivingUp hook;
        if (readThrough)
            remote::ExpectReadThrough(server.Address("silent.sgy"));
        std::string reason;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(remote::OpenLocation(server.Address("silent.sgy"), reason), nullptr);
        // The stall limit is 20 s; libcurl looks at the cancel once a second.
        EXPECT_LT(SecondsSince(start), 5.0);
        EXPECT_NE(reason.find("Opening it was cancelled."), std::string::npos) << reason;
        EXPECT_EQ(hook.shown, server.Address("silent.sgy"));
        EXPECT_EQ(hook.ended, 1);
    }
}

TEST(StalledServer, AnOpenGivenUpStaysGivenUpWhenItsAnswerComesMeanwhile) {
    // The answer comes after the user gave up but before the transfer
    // looked: the user is taken at their word.
    StalledServer server(true, 500);
    GivingUp hook;
    std::string reason;
    EXPECT_EQ(remote::OpenLocation(server.Address("late.sgy"), reason), nullptr);
    EXPECT_NE(reason.find("Opening it was cancelled."), std::string::npos) << reason;
}

TEST(StalledServer, AListingThatWaitsIsGivenUpAndSaysSo) {
    StalledServer server(false);
    const std::string endpoint = server.Address("");
    ::setenv("AWS_ENDPOINT_URL", endpoint.c_str(), 1);
    GivingUp hook;
    std::vector<std::string> names;
    std::string reason;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(remote::ListBesideLocation("s3://bucket/line.sgy", names, reason));
    ::unsetenv("AWS_ENDPOINT_URL");
    EXPECT_LT(SecondsSince(start), 5.0);
    EXPECT_EQ(reason, "Listing it was cancelled.");
    EXPECT_EQ(hook.ended, 1);
}

TEST(StalledServer, AReadThatWaitsIsGivenUpAndSaysSo) {
    // The server answers a request for the whole file, too, with the first
    // block alone: the open has what it needs, and later reads ask anew.
    for (const bool readThrough : {false, true}) {
        StalledServer server(true);
        if (readThrough)
            remote::ExpectReadThrough(server.Address("stalls.sgy"));
        std::string reason;
        const auto file = remote::OpenLocation(server.Address("stalls.sgy"), reason);
        ASSERT_NE(file, nullptr) << reason;
        EXPECT_EQ(file->Size(), 10000000);
        char bytes[100];
        EXPECT_EQ(file->ReadAt(bytes, 100, 0), 100); // the first block came with the open
        GivingUp hook;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(file->ReadAt(bytes, 100, 5000000), 0);
        EXPECT_LT(SecondsSince(start), 5.0);
        EXPECT_NE(file->Failure().find("Reading it was cancelled."), std::string::npos)
            << file->Failure();
        EXPECT_EQ(hook.ended, 1);
    }
}

} // namespace
