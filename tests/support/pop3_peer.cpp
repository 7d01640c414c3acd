#include "support/pop3_peer.h"

#include <cctype>
#include <cstdlib>

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

Pop3Peer::Pop3Peer() : ScriptedPeer("pop3") {
    Start();
}

Pop3Peer::~Pop3Peer() {
    Stop();
}

void Pop3Peer::AddMessage(std::string text) {
    std::lock_guard lock(mutex_);
    mailbox_.push_back(std::move(text));
}

std::vector<int> Pop3Peer::Deleted() const {
    std::lock_guard lock(mutex_);
    return deleted_;
}

std::string Pop3Peer::MailboxAnswer(const std::string& verb, const std::string& argument) {
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

void Pop3Peer::Converse(int handle) {
    if (!Respond(handle, "CONNECT", [this] { return MailboxAnswer("CONNECT", {}); })) return;
    std::string line;
    while (ReadLine(handle, line)) {
        std::string verb = Pop3VerbOf(line);
        std::string argument = line.size() > verb.size() ? line.substr(verb.size() + 1) : std::string();
        bool keepGoing = Respond(handle, verb, [&] { return MailboxAnswer(verb, argument); });
        if (!keepGoing || verb == "QUIT") return;
    }
}

}  // namespace zyltest
