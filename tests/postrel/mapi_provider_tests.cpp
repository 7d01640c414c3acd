// The project's Simple MAPI provider (libmapi32) driven through TZylMapiMail: profiles and the
// address book in the registry, delivery to the real mail sink read back by Python's email, the
// sendmail-style transport, and the compose form of MAPI_DIALOG answered by script.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "postrel/zylmapi.h"
#include "support/real_peers.h"
#include "support/tempdir.h"
#include "vcl/forms.h"
#include "vcl/registry.h"
#include "vcl/stdctrls.h"
#include "win32/kernel.h"
#include "win32/user.h"

namespace mapiprovidertest {

namespace fs = std::filesystem;
using namespace postrel;

class MapiProvider : public ::testing::Test {
protected:
    void SetUp() override {
        win32::testing::ResetPlatform();
        win32::testing::SetRegistryPath(temp.File("registry.sqlite"));
        SetExceptionHandler([this](vcl::TObject*, const std::exception& e) { log.push_back(e.what()); });
        sink = std::make_unique<zyltest::SmtpSink>(temp.Path());
        if (!sink->Error().empty()) GTEST_SKIP() << sink->Error();
        vcl::TRegistry machine;
        machine.SetRootKey(win32::HKEY_LOCAL_MACHINE);
        machine.OpenKey("SOFTWARE\\Microsoft\\Windows Messaging Subsystem", true);
        machine.WriteString("MAPI", "1");
        ResetMapiBinding();
        SetMapiLibrary(ZYL_MAPI_PROVIDER);
        WriteProfile("Office", {{"FromAddress", "ann@example.com"},
                                {"FromName", "Ann Example"},
                                {"SmtpHost", "127.0.0.1"},
                                {"SmtpPort", std::to_string(sink->Port())}});
        mail.reset(new TZylMapiMail(nullptr));
        mail->OnSendError = [this](vcl::TObject*, Integer error, TZylMapiMessage* message) {
            log.push_back("SendError " + std::to_string(error) + " " + message->Subject());
        };
    }
    void TearDown() override {
        mail.reset();
        ResetMapiBinding();
        SetMapiLibrary("");
        win32::testing::SetModalScript(nullptr);
        SetExceptionHandler(nullptr);
        sink.reset();
        win32::testing::ResetPlatform();
    }

    void WriteProfile(const std::string& name, const std::map<std::string, std::string>& values) {
        vcl::TRegistry registry;
        const std::string key = "Software\\Microsoft\\Windows Messaging Subsystem\\Profiles";
        registry.OpenKey(key, true);
        registry.WriteString("DefaultProfile", name);
        registry.CloseKey();
        registry.OpenKey(key + "\\" + name, true);
        for (const auto& [value, data] : values)
            registry.WriteString(value, data);
        registry.CloseKey();
        registry.OpenKey(key + "\\" + name + "\\Addresses", true);
        registry.WriteString("Bob Baker", "SMTP:bob@example.org");
        registry.WriteString("Bea Brown", "bea@example.org");
        registry.WriteString("Carl Clark", "carl@example.net");
    }

    // What Python's email package reads in the one stored message: "H name", "T", "A name" keys.
    std::multimap<std::string, std::string> ReadBack(const std::string& path) {
        const std::string script = (fs::path(__FILE__).parent_path() / "../support/mailread.py").string();
        const std::string output = zyltest::RunCommand("python3 '" + script + "' '" + path + "'");
        std::multimap<std::string, std::string> items;
        size_t start = 0;
        while (start < output.size()) {
            const size_t end = output.find('\n', start);
            const std::string line = output.substr(start, end - start);
            start = end == std::string::npos ? output.size() : end + 1;
            const size_t tab = line.find('\t');
            if (tab == std::string::npos) continue;
            items.emplace(line.substr(0, tab), line.substr(tab + 1));
        }
        return items;
    }

    zyltest::TempDir temp;
    std::unique_ptr<zyltest::SmtpSink> sink;
    vcl::TComponentPtr<TZylMapiMail> mail;
    std::vector<std::string> log;
};

TEST_F(MapiProvider, SendsThroughTheProfilesServerWithCopiesReceiptAndAttachment) {
    std::ofstream(temp.File("report.bin"), std::ios::binary) << std::string("\x00\x01\xFF report", 10);
    TZylMapiMessage* message = mail->Messages()->Add();
    message->SetSubject("Quarterly report");
    message->Message()->Add("Hello Bob,");
    message->Message()->Add(".a line with a dot");
    message->RecipientsTo()->Add("Bob Baker");
    message->RecipientsCC()->Add("[SMTP:dana@example.com]");
    message->RecipientsBC()->Add("Carl");
    message->SetReceipt(true);
    message->Attachments()->Add(temp.File("report.bin"));
    mail->Signature()->Add("-- Ann");
    ASSERT_TRUE(mail->Execute());
    EXPECT_TRUE(log.empty()) << log[0];
    EXPECT_EQ(mail->Messages()->Count(), 0) << "sent, so removed";

    const std::string stored = sink->WaitForMessage(5000);
    ASSERT_FALSE(stored.empty());
    const auto items = ReadBack(stored);
    auto header = [&](const std::string& name) {
        auto found = items.find("H " + name);
        return found == items.end() ? std::string("(none)") : found->second;
    };
    EXPECT_EQ(header("Subject"), "Quarterly report");
    EXPECT_EQ(header("From"), "\"Ann Example\" <ann@example.com>");
    EXPECT_EQ(header("To"), "bob@example.org");
    EXPECT_EQ(header("Cc"), "dana@example.com");
    EXPECT_EQ(header("Bcc"), "(none)");
    EXPECT_EQ(header("Disposition-Notification-To"), "ann@example.com");
    std::string recipients;
    for (auto [it, end] = items.equal_range("H X-Rcpt-Args"); it != end; ++it)
        recipients += it->second + " ";
    EXPECT_NE(recipients.find("carl@example.net"), std::string::npos)
        << "the blind copy went: " << recipients;
    const auto attachment = items.find("A report.bin");
    ASSERT_NE(attachment, items.end());
    EXPECT_EQ(zyltest::FromHex(attachment->second.substr(attachment->second.find('\t') + 1)),
              std::string("\x00\x01\xFF report", 10));
    auto text = items.find("T us-ascii");
    if (text == items.end()) text = items.find("T iso-8859-1");
    ASSERT_NE(text, items.end());
    EXPECT_EQ(zyltest::FromHex(text->second), "Hello Bob,\n.a line with a dot\n-- Ann\n\n");
}

TEST_F(MapiProvider, NamesResolveFromTheAddressBookWithTheResultCodes) {
    const TZylMapiBinding& mapi = MapiBinding();
    ASSERT_TRUE(mapi.available);
    win32::LHANDLE session = 0;
    ASSERT_EQ(mapi.Logon(0, nullptr, nullptr, 0, 0, &session), win32::SUCCESS_SUCCESS)
        << "the default profile";
    auto resolve = [&](std::string name) {
        win32::MapiRecipDesc* found = nullptr;
        const win32::ULONG result = mapi.ResolveName(session, 0, name.data(), 0, 0, &found);
        std::string answer = std::to_string(result);
        if (found) {
            answer += std::string(" ") + found->lpszName + " " + found->lpszAddress;
            EXPECT_EQ(mapi.FreeBuffer(found), win32::SUCCESS_SUCCESS);
            EXPECT_NE(mapi.FreeBuffer(found), win32::SUCCESS_SUCCESS) << "freed once only";
        }
        return answer;
    };
    EXPECT_EQ(resolve("bob baker"), "0 Bob Baker SMTP:bob@example.org");
    EXPECT_EQ(resolve("Carl"), "0 Carl Clark SMTP:carl@example.net");
    EXPECT_EQ(resolve("B"), "21") << "Bob and Bea";
    EXPECT_EQ(resolve("Zoe"), "14");
    EXPECT_EQ(resolve("SMTP:zoe@example.com"), "0 zoe@example.com SMTP:zoe@example.com");
    EXPECT_EQ(mapi.Logoff(session, 0, 0, 0), win32::SUCCESS_SUCCESS);
    EXPECT_EQ(mapi.Logoff(session, 0, 0, 0), win32::MAPI_E_INVALID_SESSION);
    char unknown[] = "Nowhere";
    EXPECT_EQ(mapi.Logon(0, unknown, nullptr, 0, 0, &session), win32::MAPI_E_LOGON_FAILURE);
}

TEST_F(MapiProvider, TheComposeFormLetsTheUserFinishAndTheSendmailTransportDelivers) {
    // Through a program instead of SMTP: tee writes what it reads.
    const std::string copy = temp.File("piped.eml");
    WriteProfile("Office", {{"FromAddress", "ann@example.com"}, {"SendmailCommand", "tee " + copy}});
    TZylMapiMessage* message = mail->Messages()->Add();
    message->SetSubject("Draft");
    message->Message()->Add("Almost done");
    bool shown = false;
    win32::testing::SetModalScript([&](std::string_view) {
        for (int i = 0; i < vcl::Screen->FormCount(); ++i) {
            vcl::TCustomForm* form = vcl::Screen->Forms(i);
            if (form->Name() != "MapiComposeForm") continue;
            shown = true;
            static_cast<vcl::TEdit*>(form->FindComponent("ToEdit"))->SetText("bob@example.org");
            static_cast<vcl::TEdit*>(form->FindComponent("SubjectEdit"))->SetText("Final");
            form->SetModalResult(vcl::mrOk);
        }
    });
    ASSERT_TRUE(mail->Execute());
    EXPECT_TRUE(shown) << "no recipients: the form asks for them";
    EXPECT_TRUE(log.empty()) << log[0];
    const auto items = ReadBack(copy);
    EXPECT_EQ(items.find("H Subject")->second, "Final");
    EXPECT_EQ(items.find("H To")->second, "bob@example.org");

    // Cancelled, the message stays, reported as the user's abort.
    mail->Messages()->Add()->SetSubject("Never");
    win32::testing::SetModalScript([](std::string_view) {
        for (int i = 0; i < vcl::Screen->FormCount(); ++i)
            if (vcl::Screen->Forms(i)->Name() == "MapiComposeForm")
                vcl::Screen->Forms(i)->SetModalResult(vcl::mrCancel);
    });
    ASSERT_TRUE(mail->Execute());
    EXPECT_EQ(log, (std::vector<std::string>{"SendError 1 Never"}));
    EXPECT_EQ(mail->Messages()->Count(), 1);
}

}  // namespace mapiprovidertest
