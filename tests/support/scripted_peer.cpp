#include "support/scripted_peer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

namespace zyltest {

ScriptedPeer::ScriptedPeer(const char* name) : name_(name) {
    auto fail = [this](const char* what) { throw std::runtime_error(std::string(name_) + " peer: " + what); };
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener_ < 0) fail("socket failed");
    int one = 1;
    setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_, 8) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(listener_);
        fail("cannot listen on 127.0.0.1");
    }
    port_ = ntohs(address.sin_port);
    if (pipe2(stopPipe_, O_CLOEXEC) != 0) {
        close(listener_);
        fail("pipe failed");
    }
}

ScriptedPeer::~ScriptedPeer() {
    Stop();
    close(listener_);
    close(stopPipe_[0]);
    close(stopPipe_[1]);
}

void ScriptedPeer::Start() {
    thread_ = std::thread([this] { Serve(); });
}

void ScriptedPeer::Stop() {
    if (!thread_.joinable()) return;
    char stop = 1;
    [[maybe_unused]] auto written = write(stopPipe_[1], &stop, 1);
    thread_.join();
}

void ScriptedPeer::SetReply(const std::string& verb, std::string raw, int occurrence) {
    std::lock_guard lock(mutex_);
    rules_[verb][occurrence] = Rule{Action::Reply, std::move(raw)};
}

void ScriptedPeer::CloseAt(const std::string& verb, int occurrence, std::string raw) {
    std::lock_guard lock(mutex_);
    rules_[verb][occurrence] = Rule{Action::Close, std::move(raw)};
}

void ScriptedPeer::StallAt(const std::string& verb, int occurrence, std::string raw) {
    std::lock_guard lock(mutex_);
    rules_[verb][occurrence] = Rule{Action::Stall, std::move(raw)};
}

std::vector<std::string> ScriptedPeer::Commands() const {
    std::lock_guard lock(mutex_);
    return commands_;
}

bool ScriptedPeer::WaitIdle(int milliseconds) const {
    std::unique_lock lock(mutex_);
    return idle_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return !busy_; });
}

ScriptedPeer::Rule ScriptedPeer::RuleFor(const std::string& verb) {
    std::lock_guard lock(mutex_);
    int occurrence = counts_[verb]++;
    auto found = rules_.find(verb);
    if (found == rules_.end()) return {};
    auto exact = found->second.find(occurrence);
    if (exact != found->second.end()) return exact->second;
    auto every = found->second.find(-1);
    if (every != found->second.end()) return every->second;
    return {};
}

void ScriptedPeer::Serve() {
    for (;;) {
        pollfd entries[2] = {{listener_, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
        if (poll(entries, 2, -1) < 0) continue;
        if (entries[1].revents) return;
        if (!(entries[0].revents & POLLIN)) continue;
        int handle = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (handle < 0) continue;
        {
            std::lock_guard lock(mutex_);
            busy_ = true;
        }
        ++connections_;
        int one = 1;
        setsockopt(handle, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        buffer_.clear();
        consumed_ = 0;
        Converse(handle);
        close(handle);
        {
            std::lock_guard lock(mutex_);
            busy_ = false;
        }
        idle_.notify_all();
    }
}

bool ScriptedPeer::WriteAll(int handle, const std::string& bytes) {
    size_t pieceSize = pieceSize_;
    size_t piece = pieceSize ? pieceSize : bytes.size();
    for (size_t done = 0; done < bytes.size();) {
        size_t size = std::min(piece, bytes.size() - done);
        ssize_t sent = send(handle, bytes.data() + done, size, MSG_NOSIGNAL);
        if (sent <= 0) return false;
        done += static_cast<size_t>(sent);
        // Separate pieces give the client separate reads.
        if (pieceSize && done < bytes.size()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

bool ScriptedPeer::ReadLine(int handle, std::string& line, bool command) {
    for (;;) {
        size_t end = buffer_.find('\n', consumed_);
        if (end != std::string::npos) {
            line.assign(buffer_, consumed_, end - consumed_);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            consumed_ = end + 1;
            if (command) {
                std::lock_guard lock(mutex_);
                commands_.push_back(line);
            }
            return true;
        }
        // Taken lines are dropped only when a read needs the room, so a long transfer stays linear.
        buffer_.erase(0, consumed_);
        consumed_ = 0;
        pollfd entries[2] = {{handle, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
        if (poll(entries, 2, -1) < 0) continue;
        if (entries[1].revents) return false;
        char chunk[65536];
        ssize_t got = recv(handle, chunk, sizeof chunk, 0);
        if (got <= 0) return false;
        buffer_.append(chunk, static_cast<size_t>(got));
    }
}

// Holds the connection, reading and dropping, until the client gives up or the peer stops.
bool ScriptedPeer::Hold(int handle) {
    char chunk[4096];
    for (;;) {
        pollfd entries[2] = {{handle, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
        if (poll(entries, 2, -1) < 0) continue;
        if (entries[1].revents) return false;
        if (recv(handle, chunk, sizeof chunk, 0) <= 0) return false;
    }
}

bool ScriptedPeer::Respond(int handle, const std::string& verb, const std::function<std::string()>& ownAnswer,
                           std::string* written) {
    Rule rule = RuleFor(verb);
    // A rule's own answer replaces the peer's, whose side effects then do not happen.
    const std::string answer = rule.action == Action::Reply && rule.raw.empty() ? ownAnswer() : rule.raw;
    if (written) *written = answer;
    if (!answer.empty() && !WriteAll(handle, answer)) return false;
    switch (rule.action) {
        case Action::Reply:
            return true;
        case Action::Close:
            return false;
        case Action::Stall:
            return Hold(handle);
    }
    return false;
}

}  // namespace zyltest
