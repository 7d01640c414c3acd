#include "support/smtp_peer.h"

#include <cctype>

namespace zyltest {

namespace {

std::string SmtpVerbOf(const std::string& line) {
    std::string verb;
    for (char c : line) {
        if (c == ' ' || c == ':') break;
        verb += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return verb;
}

auto Say(const char* reply) {
    return [reply] { return std::string(reply); };
}

}  // namespace

SmtpPeer::SmtpPeer() : ScriptedPeer("smtp") {
    Start();
}

SmtpPeer::~SmtpPeer() {
    Stop();
}

std::vector<std::string> SmtpPeer::Messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
}

std::vector<size_t> SmtpPeer::MessageSizes() const {
    std::lock_guard lock(mutex_);
    return sizes_;
}

void SmtpPeer::Converse(int handle) {
    if (!Respond(handle, "CONNECT", Say("220 peer.test ESMTP ready\r\n"))) return;
    std::string line;
    while (ReadLine(handle, line)) {
        std::string verb = SmtpVerbOf(line);
        if (verb == "HELO" || verb == "EHLO") {
            if (!Respond(handle, "HELO", Say("250 peer.test\r\n"))) return;
        } else if (verb == "MAIL") {
            if (!Respond(handle, "MAIL", Say("250 2.1.0 Ok\r\n"))) return;
        } else if (verb == "RCPT") {
            if (!Respond(handle, "RCPT", Say("250 2.1.5 Ok\r\n"))) return;
        } else if (verb == "DATA") {
            std::string reply;
            if (!Respond(handle, "DATA", Say("354 End data with <CR><LF>.<CR><LF>\r\n"), &reply)) return;
            if (reply.compare(0, 3, "354") != 0) continue;
            std::string data;
            size_t size = 0;
            for (;;) {
                if (!ReadLine(handle, line, false)) return;
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
            if (!Respond(handle, ".", Say("250 2.0.0 Ok: queued\r\n"))) return;
        } else if (verb == "QUIT") {
            Respond(handle, "QUIT", Say("221 2.0.0 Bye\r\n"));
            return;
        } else {
            if (!Respond(handle, verb, Say("502 5.5.2 Error: command not recognized\r\n"))) return;
        }
    }
}

}  // namespace zyltest
