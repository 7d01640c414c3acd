// What the tests of both mail hosts share: the platform reset with the manual clock, MIME types and
// a registry of their own, exceptions caught by the package's handler, the host talking to its
// scripted peer, and the host's common events written to a log.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "postrel/zyltiemails.h"
#include "support/tempdir.h"
#include "win32/kernel.h"
#include "win32/registry.h"

namespace mailhosttest {

inline std::string Join(const std::vector<std::string>& lines, const char* separator = "|") {
    std::string result;
    for (size_t i = 0; i < lines.size(); ++i)
        result += (i ? separator : "") + lines[i];
    return result;
}

template <class Mail, class Peer>
class MailHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        win32::testing::ResetPlatform();
        win32::testing::UseManualClock(win32::SYSTEMTIME{2024, 3, 0, 5, 14, 7, 9, 0});
        std::ofstream(temp.File("mime.types")) << "text/plain txt\nimage/png png\napplication/pdf pdf\n";
        win32::testing::SetMimeTypesPath(temp.File("mime.types"));
        win32::testing::SetRegistryPath(temp.File("registry.sqlite"));
        postrel::SetExceptionHandler(
            [this](vcl::TObject*, const std::exception& e) { exceptions.push_back(e.what()); });
        mail.reset(new Mail(nullptr));
        mail->SetHost("127.0.0.1");
        mail->SetPort(peer.PortText());
        mail->SetWaitSlice(5);
    }

    void TearDown() override {
        mail.reset();
        postrel::SetExceptionHandler(nullptr);
        win32::testing::SetMimeTypesPath("");
        win32::testing::ResetPlatform();
    }

    // Execute, Connect, Disconnect and Error, naming the sender.
    void LogHostEvents(Mail& target) {
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
    }

    std::vector<std::string> Errors() const {
        std::vector<std::string> errors;
        for (const auto& entry : log)
            if (entry.rfind("Error ", 0) == 0) errors.push_back(entry);
        return errors;
    }

    zyltest::TempDir temp;
    Peer peer;
    vcl::TComponentPtr<Mail> mail;
    std::vector<std::string> log;
    std::vector<vcl::Word> progress;
    std::vector<std::string> exceptions;
};

}  // namespace mailhosttest
