// A TZylPOPMail talking to the scripted POP3 peer, with every event written to a log, exceptions
// and notices caught by the package's handlers, the manual clock and a registry of its own.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "postrel/zylmimedecode.h"
#include "postrel/zyltiemails.h"
#include "support/pop3_peer.h"
#include "support/tempdir.h"
#include "win32/kernel.h"
#include "win32/registry.h"

namespace pop3test {

using namespace postrel;

inline std::string Join(const std::vector<std::string>& lines, const char* separator = "|") {
    std::string result;
    for (size_t i = 0; i < lines.size(); ++i)
        result += (i ? separator : "") + lines[i];
    return result;
}

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

class Pop3Test : public ::testing::Test {
protected:
    void SetUp() override {
        win32::testing::ResetPlatform();
        win32::testing::UseManualClock(win32::SYSTEMTIME{2024, 3, 0, 5, 14, 7, 9, 0});
        std::ofstream(temp.File("mime.types")) << "text/plain txt\nimage/png png\napplication/pdf pdf\n";
        win32::testing::SetMimeTypesPath(temp.File("mime.types"));
        win32::testing::SetRegistryPath(temp.File("registry.sqlite"));
        SetExceptionHandler(
            [this](vcl::TObject*, const std::exception& e) { exceptions.push_back(e.what()); });
        SetMessageHandler([this](vcl::TObject*, const std::string& text) { notices.push_back(text); });
        mail.reset(new TZylPOPMail(nullptr));
        Configure(*mail, peer);
        LogEvents(*mail);
    }

    void TearDown() override {
        mail.reset();
        SetExceptionHandler(nullptr);
        SetMessageHandler(nullptr);
        win32::testing::SetMimeTypesPath("");
        win32::testing::ResetPlatform();
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

    std::vector<std::string> Errors() const {
        std::vector<std::string> errors;
        for (const auto& entry : log)
            if (entry.rfind("Error ", 0) == 0) errors.push_back(entry);
        return errors;
    }

    TZylMessage* Message(int index) const { return mail->Messages()->GetZylMessage(index); }

    zyltest::TempDir temp;
    zyltest::Pop3Peer peer;
    vcl::TComponentPtr<TZylPOPMail> mail;
    std::vector<std::string> log;
    std::vector<vcl::Word> progress;
    std::vector<vcl::Word> decodeProgress;
    std::vector<std::string> exceptions;
    std::vector<std::string> notices;
};

}  // namespace pop3test
