// A TZylSMTPMail talking to the scripted peer, with every event written to a log, exceptions
// caught by the package's handler, the manual clock and a registry of its own.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "postrel/zyltiemails.h"
#include "support/smtp_peer.h"
#include "support/tempdir.h"
#include "win32/kernel.h"
#include "win32/registry.h"

namespace mailtest {

using namespace postrel;

inline std::string Join(const std::vector<std::string>& lines, const char* separator = "|") {
    std::string result;
    for (size_t i = 0; i < lines.size(); ++i)
        result += (i ? separator : "") + lines[i];
    return result;
}

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

class MailTest : public ::testing::Test {
protected:
    void SetUp() override {
        win32::testing::ResetPlatform();
        win32::testing::UseManualClock(win32::SYSTEMTIME{2024, 3, 0, 5, 14, 7, 9, 0});
        std::ofstream(temp.File("mime.types")) << "text/plain txt\nimage/png png\n";
        win32::testing::SetMimeTypesPath(temp.File("mime.types"));
        win32::testing::SetRegistryPath(temp.File("registry.sqlite"));
        SetExceptionHandler(
            [this](vcl::TObject*, const std::exception& e) { exceptions.push_back(e.what()); });
        mail.reset(new TZylSMTPMail(nullptr));
        mail->SetHost("127.0.0.1");
        mail->SetPort(peer.PortText());
        mail->SetLineDelay(0);
        mail->SetDateTimeFormat("ddd, d mmm yyyy hh:nn:ss");
        TZylSMTPTimeouts limits;
        limits.Greeting = limits.Helo = limits.MailFrom = limits.RcptTo = limits.DataStart =
            limits.DataBlock = limits.DataEnd = limits.Quit = 10'000;
        mail->SetTimeouts(limits);
        mail->SetWaitSlice(5);
        LogEvents(*mail);
    }

    void TearDown() override {
        mail.reset();
        SetExceptionHandler(nullptr);
        win32::testing::SetMimeTypesPath("");
        win32::testing::ResetPlatform();
    }

    void LogEvents(TZylSMTPMail& target) {
        auto name = [this](vcl::TObject* sender) {
            return sender == mail.get() ? std::string("mail")
                                        : std::string(sender ? sender->ClassName() : "nil");
        };
        target.OnExecute = [this](vcl::TObject*) { log.push_back("Execute"); };
        target.OnConnect = [this, name](vcl::TObject* s) { log.push_back("Connect " + name(s)); };
        target.OnDisconnect = [this, name](vcl::TObject* s) { log.push_back("Disconnect " + name(s)); };
        target.OnError = [this, name](vcl::TObject* s, vcl::Integer error, const std::string& text) {
            log.push_back("Error " + name(s) + " " + std::to_string(error) + " " + text);
        };
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

    // The log without the encode and connection events, for the dialogue.
    std::vector<std::string> Errors() const {
        std::vector<std::string> errors;
        for (const auto& entry : log)
            if (entry.rfind("Error ", 0) == 0) errors.push_back(entry);
        return errors;
    }

    zyltest::TempDir temp;
    zyltest::SmtpPeer peer;
    vcl::TComponentPtr<TZylSMTPMail> mail;
    std::vector<std::string> log;
    std::vector<vcl::Word> progress;
    std::vector<vcl::Word> encodeProgress;
    std::vector<std::string> exceptions;
};

}  // namespace mailtest
