// A TZylPOPMail talking to the scripted POP3 peer, with every event written to a log and notices
// caught by the package's handler.
#pragma once

#include <string>
#include <vector>

#include "mail_host_fixture.h"
#include "postrel/zylmimedecode.h"
#include "support/pop3_peer.h"

namespace pop3test {

using namespace postrel;

using mailhosttest::Join;

inline std::string Lines(const vcl::TStrings& list) {
    std::vector<std::string> lines;
    for (int i = 0; i < list.Count(); ++i)
        lines.push_back(list.Strings(i));
    return Join(lines);
}

inline std::string StreamText(const TZylAttachment& attachment) {
    vcl::TMemoryStream* stream = attachment.Stream();
    if (!stream) return "<no stream>";
    return std::string(static_cast<const char*>(stream->Memory()), static_cast<size_t>(stream->Size()));
}

// A message in the mailbox: header lines, an empty line and the body, joined with CR LF.
inline std::string MailText(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines)
        text += line + "\r\n";
    return text;
}

class Pop3Test : public mailhosttest::MailHostTest<TZylPOPMail, zyltest::Pop3Peer> {
protected:
    void SetUp() override {
        MailHostTest::SetUp();
        SetMessageHandler([this](vcl::TObject*, const std::string& text) { notices.push_back(text); });
        Configure(*mail, peer);
        LogEvents(*mail);
    }

    void TearDown() override {
        MailHostTest::TearDown();
        SetMessageHandler(nullptr);
    }

    static void Configure(TZylPOPMail& target, const zyltest::Pop3Peer& server) {
        target.SetHost("127.0.0.1");
        target.SetPort(server.PortText());
        target.SetUsername("ann");
        target.SetPassword("secret");
        target.SetTimeout(10'000);
        target.SetWaitSlice(5);
    }

    void LogEvents(TZylPOPMail& target) {
        LogHostEvents(target);
        target.BeforeRetrieve = [this](vcl::TObject*, vcl::Word index) {
            log.push_back("BeforeRetrieve " + std::to_string(index));
        };
        target.AfterRetrieve = [this](vcl::TObject*) { log.push_back("AfterRetrieve"); };
        target.OnRetrieveProgress = [this](vcl::TObject*, vcl::Word percent) { progress.push_back(percent); };
        target.OnDelete = [this](vcl::TObject*, vcl::Word index) {
            log.push_back("Delete " + std::to_string(index));
        };
        target.OnDecodeStart = [this](vcl::TObject*, const std::string& file, vcl::Integer lines) {
            log.push_back("DecodeStart " + file + " " + std::to_string(lines));
        };
        target.OnDecodeProgress = [this](vcl::TObject*, vcl::Word percent) {
            decodeProgress.push_back(percent);
        };
        target.OnDecodeEnd = [this](vcl::TObject*) { log.push_back("DecodeEnd"); };
    }

    TZylMessage* Message(int index) const { return mail->Messages()->GetZylMessage(index); }

    std::vector<vcl::Word> decodeProgress;
    std::vector<std::string> notices;
};

}  // namespace pop3test
