// A scripted SMTP server on 127.0.0.1 for exact dialogue and faults: it answers every command with
// a default or a configured reply and keeps the data of every message.
#pragma once

#include <string>
#include <vector>

#include "support/scripted_peer.h"

namespace zyltest {

class SmtpPeer : public ScriptedPeer {
public:
    // Listens on a free port and serves connections one after the other until destroyed; "." names
    // the end of the data.
    SmtpPeer();
    ~SmtpPeer() override;

    // Keep only the size of each message's data (for large transfers).
    void SetKeepData(bool keep) { keepData_ = keep; }

    // The data of each message as it arrived (dot-stuffed), the final "." line excluded.
    std::vector<std::string> Messages() const;
    std::vector<size_t> MessageSizes() const;

private:
    void Converse(int handle) override;

    bool keepData_ = true;
    std::vector<std::string> messages_;
    std::vector<size_t> sizes_;
};

}  // namespace zyltest
