// A TZylSMTPMail talking to the scripted SMTP peer, with every event written to a log.
#pragma once

#include <fstream>
#include <string>
#include <vector>

#include "mail_host_fixture.h"
#include "support/smtp_peer.h"

namespace mailtest {

using namespace postrel;

using mailhosttest::Join;

// The data lines of a received message.
inline std::vector<std::string> DataLines(const std::string& data) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < data.size()) {
        size_t end = data.find("\r\n", start);
        lines.push_back(data.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

class MailTest : public mailhosttest::MailHostTest<TZylSMTPMail, zyltest::SmtpPeer> {
protected:
    void SetUp() override {
        MailHostTest::SetUp();
        mail->SetLineDelay(0);
        mail->SetDateTimeFormat("ddd, d mmm yyyy hh:nn:ss");
        TZylSMTPTimeouts limits;
        limits.Greeting = limits.Helo = limits.MailFrom = limits.RcptTo = limits.DataStart =
            limits.DataBlock = limits.DataEnd = limits.Quit = 10'000;
        mail->SetTimeouts(limits);
        LogEvents(*mail);
    }

    void LogEvents(TZylSMTPMail& target) {
        LogHostEvents(target);
        target.OnBeforeSend = [this](vcl::TObject*) { log.push_back("BeforeSend"); };
        target.OnSuccessSend = [this](vcl::TObject*) { log.push_back("SuccessSend"); };
        target.OnAfterSend = [this](vcl::TObject*) { log.push_back("AfterSend"); };
        target.OnSendProgress = [this](vcl::TObject*, vcl::Word percent) { progress.push_back(percent); };
        target.OnEncodeStart = [this](vcl::TObject*, const std::string& file, vcl::Integer bytes) {
            log.push_back("EncodeStart " + file + " " + std::to_string(bytes));
        };
        target.OnEncodeProgress = [this](vcl::TObject*, vcl::Word percent) {
            encodeProgress.push_back(percent);
        };
        target.OnEncodeEnd = [this](vcl::TObject*) { log.push_back("EncodeEnd"); };
    }

    TZylMessage* AddMessage(const std::string& sendTo = "bob@example.org",
                            std::vector<std::string> text = {"Hello Bob,", "how are you?"}) {
        TZylMessage* message = mail->Messages()->Add();
        message->SetFromMail("ann@example.com");
        message->SetSendTo(sendTo);
        message->SetSubject("Greetings");
        for (const auto& line : text)
            message->Message()->Add(line);
        return message;
    }

    std::string WriteFile(const std::string& name, const std::string& bytes) {
        std::string path = temp.File(name);
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    std::vector<vcl::Word> encodeProgress;
};

}  // namespace mailtest
