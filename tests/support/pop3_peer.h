// A scripted POP3 server on 127.0.0.1 for exact dialogue and faults: it serves a mailbox of
// messages (USER, PASS, STAT, LIST, RETR, TOP, DELE, NOOP, QUIT), or a configured answer for any
// command.
#pragma once

#include <string>
#include <vector>

#include "support/scripted_peer.h"

namespace zyltest {

class Pop3Peer : public ScriptedPeer {
public:
    // Listens on a free port and serves connections one after the other until destroyed.
    Pop3Peer();
    ~Pop3Peer() override;

    // The mailbox, numbered from 1: texts with CR LF line ends, dot-stuffed when they are sent.
    void AddMessage(std::string text);
    // The numbers deleted with DELE, over all connections, in order.
    std::vector<int> Deleted() const;

private:
    void Converse(int handle) override;
    std::string MailboxAnswer(const std::string& verb, const std::string& argument);

    std::vector<std::string> mailbox_;
    std::vector<int> deleted_;
};

}  // namespace zyltest
