#include "support/pop3_peer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <stdexcept>

namespace zyltest {

namespace {

std::string Pop3VerbOf(const std::string& line) {
    std::string verb;
    for (char c : line) {
        if (c == ' ') break;
        verb += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return verb;
}

// Lines beginning with "." get a second one, and the answer ends with the line ".".
std::string Pop3Stuffed(const std::string& text) {
    std::string result;
    result.reserve(text.size() + text.size() / 64 + 8);
    bool lineStart = true;
    for (char c : text) {
        if (lineStart && c == '.') result += '.';
        result += c;
        lineStart = c == '\n';
    }
    if (!lineStart) result += "\r\n";
    return result + ".\r\n";
}

}  // namespace

Pop3Peer::Pop3Peer() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener_ < 0) throw std::runtime_error("pop3 peer: socket failed");
    int one = 1;
    setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_, 8) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("pop3 peer: cannot listen on 127.0.0.1");
    port_ = ntohs(address.sin_port);
    if (pipe2(stopPipe_, O_CLOEXEC) != 0) throw std::runtime_error("pop3 peer: pipe failed");
    thread_ = std::thread([this] { Serve(); });
}

Pop3Peer::~Pop3Peer() {
    char stop = 1;
    [[maybe_unused]] auto written = write(stopPipe_[1], &stop, 1);
    thread_.join();
    close(listener_);
    close(stopPipe_[0]);
    close(stopPipe_[1]);
}

void Pop3Peer::AddMessage(std::string text) {
    std::lock_guard lock(mutex_);
    mailbox_.push_back(std::move(text));
}

void Pop3Peer::SetReply(const std::string& verb, std::string raw, int occurrence) {
    std::lock_guard lock(mutex_);
    rules_[verb][occurrence] = Rule{Action::Reply, std::move(raw)};
}

void Pop3Peer::CloseAt(const std::string& verb, int occurrence, std::string raw) {
    std::lock_guard lock(mutex_);
    rules_[verb][occurrence] = Rule{Action::Close, std::move(raw)};
}

void Pop3Peer::StallAt(const std::string& verb, int occurrence, std::string raw) {
    std::lock_guard lock(mutex_);
    rules_[verb][occurrence] = Rule{Action::Stall, std::move(raw)};
}

std::vector<std::string> Pop3Peer::Commands() const {
    std::lock_guard lock(mutex_);
    return commands_;
}

std::vector<int> Pop3Peer::Deleted() const {
    std::lock_guard lock(mutex_);
    return deleted_;
}

bool Pop3Peer::WaitIdle(int milliseconds) const {
    std::unique_lock lock(mutex_);
    return idle_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return !busy_; });
}

Pop3Peer::Rule Pop3Peer::RuleFor(const std::string& verb) {
    std::lock_guard lock(mutex_);
    int occurrence = counts_[verb]++;
    auto found = rules_.find(verb);
    if (found == rules_.end()) return Rule{};
    auto exact = found->second.find(occurrence);
    if (exact != found->second.end()) return exact->second;
    auto every = found->second.find(-1);
    if (every != found->second.end()) return every->second;
    return Rule{};
}

std::string Pop3Peer::DefaultAnswer(const std::string& verb, const std::string& argument) {
    std::lock_guard lock(mutex_);
    auto message = [&](int& number) -> const std::string* {
        number = std::atoi(argument.c_str());
        if (number < 1 || static_cast<size_t>(number) > mailbox_.size()) return nullptr;
        return &mailbox_[static_cast<size_t>(number) - 1];
    };
    int number = 0;
    if (verb == "CONNECT") return "+OK POP3 peer ready\r\n";
    if (verb == "USER" || verb == "PASS" || verb == "NOOP") return "+OK\r\n";
    if (verb == "STAT") {
        size_t octets = 0;
        for (const auto& text : mailbox_)
            octets += text.size();
        return "+OK " + std::to_string(mailbox_.size()) + " " + std::to_string(octets) + "\r\n";
    }
    if (verb == "LIST") {
        if (const std::string* text = message(number))
            return "+OK " + std::to_string(number) + " " + std::to_string(text->size()) + "\r\n";
        return "-ERR no such message\r\n";
    }
    if (verb == "RETR") {
        if (const std::string* text = message(number))
            return "+OK " + std::to_string(text->size()) + " octets\r\n" + Pop3Stuffed(*text);
        return "-ERR no such message\r\n";
    }
    if (verb == "TOP") {
        if (const std::string* text = message(number)) {
            size_t end = text->find("\r\n\r\n");
            return "+OK\r\n" + Pop3Stuffed(end == std::string::npos ? *text : text->substr(0, end + 4));
        }
        return "-ERR no such message\r\n";
    }
    if (verb == "DELE") {
        if (!message(number)) return "-ERR no such message\r\n";
        deleted_.push_back(number);
        return "+OK message deleted\r\n";
    }
    if (verb == "QUIT") return "+OK bye\r\n";
    return "-ERR unknown command\r\n";
}

void Pop3Peer::Serve() {
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
        Converse(handle);
        close(handle);
        {
            std::lock_guard lock(mutex_);
            busy_ = false;
        }
        idle_.notify_all();
    }
}

bool Pop3Peer::WriteAll(int handle, const std::string& bytes) {
    size_t piece = pieceSize_ ? pieceSize_.load() : bytes.size();
    for (size_t done = 0; done < bytes.size();) {
        size_t size = std::min(piece, bytes.size() - done);
        ssize_t sent = send(handle, bytes.data() + done, size, MSG_NOSIGNAL);
        if (sent <= 0) return false;
        done += static_cast<size_t>(sent);
        // Separate pieces give the client separate reads.
        if (pieceSize_ && done < bytes.size()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

bool Pop3Peer::ReadLine(int handle, std::string& buffer, std::string& line) {
    for (;;) {
        size_t end = buffer.find('\n', consumed_);
        if (end != std::string::npos) {
            line.assign(buffer, consumed_, end - consumed_);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            consumed_ = end + 1;
            return true;
        }
        buffer.erase(0, consumed_);
        consumed_ = 0;
        pollfd entries[2] = {{handle, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
        if (poll(entries, 2, -1) < 0) continue;
        if (entries[1].revents) return false;
        char chunk[4096];
        ssize_t got = recv(handle, chunk, sizeof chunk, 0);
        if (got <= 0) return false;
        buffer.append(chunk, static_cast<size_t>(got));
    }
}

bool Pop3Peer::Respond(int handle, const std::string& verb, const std::string& argument) {
    Rule rule = RuleFor(verb);
    // A rule's own answer replaces the mailbox's, which then does not happen (no deletion).
    const std::string answer =
        rule.action == Action::Reply && rule.raw.empty() ? DefaultAnswer(verb, argument) : rule.raw;
    if (!answer.empty() && !WriteAll(handle, answer)) return false;
    switch (rule.action) {
        case Action::Reply:
            return true;
        case Action::Close:
            return false;
        case Action::Stall: {
            // Hold the connection, reading and dropping, until the client gives up.
            char chunk[4096];
            for (;;) {
                pollfd entries[2] = {{handle, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
                if (poll(entries, 2, -1) < 0) continue;
                if (entries[1].revents) return false;
                if (recv(handle, chunk, sizeof chunk, 0) <= 0) return false;
            }
        }
    }
    return false;
}

void Pop3Peer::Converse(int handle) {
    if (!Respond(handle, "CONNECT", "")) return;
    consumed_ = 0;
    std::string buffer, line;
    while (ReadLine(handle, buffer, line)) {
        {
            std::lock_guard lock(mutex_);
            commands_.push_back(line);
        }
        std::string verb = Pop3VerbOf(line);
        std::string argument = line.size() > verb.size() ? line.substr(verb.size() + 1) : std::string();
        bool keepGoing = Respond(handle, verb, argument);
        if (!keepGoing || verb == "QUIT") return;
    }
}

}  // namespace zyltest
