#include "support/smtp_peer.h"

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

std::string VerbOf(const std::string& line) {
    std::string verb;
    for (char c : line) {
        if (c == ' ' || c == ':') break;
        verb += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return verb;
}

}  // namespace

SmtpPeer::SmtpPeer() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener_ < 0) throw std::runtime_error("smtp peer: socket failed");
    int one = 1;
    setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_, 8) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("smtp peer: cannot listen on 127.0.0.1");
    port_ = ntohs(address.sin_port);
    if (pipe2(stopPipe_, O_CLOEXEC) != 0) throw std::runtime_error("smtp peer: pipe failed");
    thread_ = std::thread([this] { Serve(); });
}

SmtpPeer::~SmtpPeer() {
    char stop = 1;
    [[maybe_unused]] auto written = write(stopPipe_[1], &stop, 1);
    thread_.join();
    close(listener_);
    close(stopPipe_[0]);
    close(stopPipe_[1]);
}

void SmtpPeer::SetReply(const std::string& verb, std::string raw, int occurrence) {
    std::lock_guard lock(mutex_);
    rules_[verb][occurrence] = Rule{Action::Reply, std::move(raw)};
}

void SmtpPeer::CloseAt(const std::string& verb, int occurrence) {
    std::lock_guard lock(mutex_);
    rules_[verb][occurrence] = Rule{Action::Close, {}};
}

void SmtpPeer::StallAt(const std::string& verb, int occurrence) {
    std::lock_guard lock(mutex_);
    rules_[verb][occurrence] = Rule{Action::Stall, {}};
}

std::vector<std::string> SmtpPeer::Commands() const {
    std::lock_guard lock(mutex_);
    return commands_;
}

std::vector<std::string> SmtpPeer::Messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
}

std::vector<size_t> SmtpPeer::MessageSizes() const {
    std::lock_guard lock(mutex_);
    return sizes_;
}

bool SmtpPeer::WaitIdle(int milliseconds) const {
    std::unique_lock lock(mutex_);
    return idle_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return !busy_; });
}

SmtpPeer::Rule SmtpPeer::RuleFor(const std::string& verb) {
    std::lock_guard lock(mutex_);
    int occurrence = counts_[verb]++;
    auto found = rules_.find(verb);
    if (found == rules_.end()) return Rule{Action::Reply, {}};
    auto exact = found->second.find(occurrence);
    if (exact != found->second.end()) return exact->second;
    auto every = found->second.find(-1);
    if (every != found->second.end()) return every->second;
    return Rule{Action::Reply, {}};
}

void SmtpPeer::Serve() {
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

bool SmtpPeer::WriteAll(int handle, const std::string& bytes) {
    size_t piece = pieceSize_ ? pieceSize_ : bytes.size();
    for (size_t done = 0; done < bytes.size();) {
        size_t size = std::min(piece, bytes.size() - done);
        ssize_t sent = send(handle, bytes.data() + done, size, MSG_NOSIGNAL);
        if (sent <= 0) return false;
        done += static_cast<size_t>(sent);
        // Separate pieces give the client separate reads.
        if (pieceSize_ && done < bytes.size()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// Reads one line (without CR LF); false when the client closed or the peer is stopping.
bool SmtpPeer::ReadLine(int handle, std::string& buffer, std::string& line) {
    for (;;) {
        size_t end = buffer.find('\n', consumed_);
        if (end != std::string::npos) {
            line.assign(buffer, consumed_, end - consumed_);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            consumed_ = end + 1;
            return true;
        }
        // Taken lines are dropped only when a read needs the room, so a long transfer stays linear.
        buffer.erase(0, consumed_);
        consumed_ = 0;
        pollfd entries[2] = {{handle, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
        if (poll(entries, 2, -1) < 0) continue;
        if (entries[1].revents) return false;
        char chunk[65536];
        ssize_t got = recv(handle, chunk, sizeof chunk, 0);
        if (got <= 0) return false;
        buffer.append(chunk, static_cast<size_t>(got));
    }
}

// Carries out the rule for the verb: true while the conversation goes on.
bool SmtpPeer::Respond(int handle, const std::string& verb, const std::string& defaultReply,
                       std::string* sent) {
    Rule rule = RuleFor(verb);
    switch (rule.action) {
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
        case Action::Reply:
            break;
    }
    const std::string& reply = rule.raw.empty() ? defaultReply : rule.raw;
    if (sent) *sent = reply;
    return WriteAll(handle, reply);
}

void SmtpPeer::Converse(int handle) {
    if (!Respond(handle, "CONNECT", "220 peer.test ESMTP ready\r\n")) return;
    consumed_ = 0;
    std::string buffer, line;
    while (ReadLine(handle, buffer, line)) {
        {
            std::lock_guard lock(mutex_);
            commands_.push_back(line);
        }
        std::string verb = VerbOf(line);
        if (verb == "HELO" || verb == "EHLO") {
            if (!Respond(handle, "HELO", "250 peer.test\r\n")) return;
        } else if (verb == "MAIL") {
            if (!Respond(handle, "MAIL", "250 2.1.0 Ok\r\n")) return;
        } else if (verb == "RCPT") {
            if (!Respond(handle, "RCPT", "250 2.1.5 Ok\r\n")) return;
        } else if (verb == "DATA") {
            std::string reply;
            if (!Respond(handle, "DATA", "354 End data with <CR><LF>.<CR><LF>\r\n", &reply)) return;
            if (reply.compare(0, 3, "354") != 0) continue;
            std::string data;
            size_t size = 0;
            for (;;) {
                if (!ReadLine(handle, buffer, line)) return;
                if (line == ".") break;
                size += line.size() + 2;
                if (keepData_) {
                    data += line;
                    data += "\r\n";
                }
            }
            {
                std::lock_guard lock(mutex_);
                messages_.push_back(std::move(data));
                sizes_.push_back(size);
            }
            if (!Respond(handle, ".", "250 2.0.0 Ok: queued\r\n")) return;
        } else if (verb == "QUIT") {
            Respond(handle, "QUIT", "221 2.0.0 Bye\r\n");
            return;
        } else {
            if (!Respond(handle, verb, "502 5.5.2 Error: command not recognized\r\n")) return;
        }
    }
}

}  // namespace zyltest
