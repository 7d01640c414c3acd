// TZylMapiMail and TZylQuickMail against a recording Simple MAPI provider: the binding and its
// unavailable paths, logon and logoff, the recipient table, the message records handed over, and
// what a run removes from its collection.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "postrel/zylmapi.h"
#include "support/mapi_recorder.h"
#include "support/tempdir.h"
#include "vcl/registry.h"
#include "win32/kernel.h"

namespace mapitest {

using namespace postrel;
using zyltest::MapiRecorder;

class MapiTest : public ::testing::Test {
protected:
    void SetUp() override {
        win32::testing::ResetPlatform();
        win32::testing::SetRegistryPath(temp.File("registry.sqlite"));
        SetExceptionHandler([this](vcl::TObject*, const std::exception& e) { log.push_back(e.what()); });
        Configure(true);
        UseProvider(ZYL_MAPI_RECORDER);
        mail.reset(new TZylMapiMail(nullptr));
        mail->SetDeleteAfterSend(false);
        mail->OnLogonSuccess = [this](vcl::TObject*) { log.push_back("LogonSuccess"); };
        mail->OnLogonFailure = [this](vcl::TObject*, Integer error) {
            log.push_back("LogonFailure " + std::to_string(error));
        };
        mail->OnLogoffSuccess = [this](vcl::TObject*) { log.push_back("LogoffSuccess"); };
        mail->OnSendError = [this](vcl::TObject*, Integer error, TZylMapiMessage* message) {
            log.push_back("SendError " + std::to_string(error) + " " + message->Subject());
        };
        mail->AfterSendMail = [this](vcl::TObject*, TZylMapiMessage* message) {
            log.push_back("Sent " + message->Subject());
        };
        mail->OnMapiNotAvailable = [this](vcl::TObject*) { log.push_back("NotAvailable"); };
    }
    void TearDown() override {
        mail.reset();
        ResetMapiBinding();
        SetMapiLibrary("");
        if (library) dlclose(library);
        SetExceptionHandler(nullptr);
        win32::testing::ResetPlatform();
    }

    // The machine's word that a messaging system is set up.
    void Configure(bool configured) {
        vcl::TRegistry registry;
        registry.SetRootKey(win32::HKEY_LOCAL_MACHINE);
        registry.OpenKey("SOFTWARE\\Microsoft\\Windows Messaging Subsystem", true);
        registry.WriteString("MAPI", configured ? "1" : "0");
        ResetMapiBinding();
    }
    void UseProvider(const char* path) {
        ResetMapiBinding();
        SetMapiLibrary(path);
        if (library) dlclose(library);
        library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        recorder = reinterpret_cast<ZylMapiRecorderFunction>(dlsym(library, "ZylMapiRecorder"))();
        recorder->Reset();
    }
    TZylMapiMessage* AddMessage(const std::string& subject, std::vector<std::string> to) {
        TZylMapiMessage* message = mail->Messages()->Add();
        message->SetSubject(subject);
        message->Message()->Add("Hello,");
        for (const auto& line : to)
            message->RecipientsTo()->Add(line);
        return message;
    }
    std::string Join(const std::vector<std::string>& lines) const {
        std::string joined;
        for (const auto& line : lines)
            joined += (joined.empty() ? "" : "|") + line;
        return joined;
    }

    zyltest::TempDir temp;
    vcl::TComponentPtr<TZylMapiMail> mail;
    void* library = nullptr;
    MapiRecorder* recorder = nullptr;
    std::vector<std::string> log;
};

TEST_F(MapiTest, WithoutAProviderEveryPathSaysSoAndNothingIsCalled) {
    TZylQuickMail quick(nullptr);
    auto expectUnavailable = [&](const char* why) {
        SCOPED_TRACE(why);
        log.clear();
        EXPECT_FALSE(mail->MAPIAvail());
        EXPECT_FALSE(mail->Execute());
        EXPECT_EQ(Join(log), "NotAvailable");
        EXPECT_FALSE(quick.Execute());
        EXPECT_EQ(quick.ErrorNo(), "2");
    };
    Configure(false);
    expectUnavailable("not configured");
    Configure(true);
    SetMapiLibrary(temp.File("missing.so"));
    expectUnavailable("no library");
    UseProvider(ZYL_MAPI_RECORDER_PARTIAL);
    expectUnavailable("an entry point missing");
    EXPECT_TRUE(recorder->calls.empty());

    // While designing, the two causes are told apart.
    mail->SetDesigning(true);
    EXPECT_THROW(mail->Logon(), TZylExceptdllerror);
    Configure(false);
    EXPECT_THROW(mail->Logon(), TZylExceptunavailable);
}

TEST_F(MapiTest, LogonTakesTheDefaultProfileRetriesWithTheDialogAndLogsOff) {
    vcl::TRegistry registry;
    registry.OpenKey("Software\\Microsoft\\Windows Messaging Subsystem\\Profiles", true);
    registry.WriteString("DefaultProfile", "Office");
    mail->SetPassword("pw");
    mail->SetNewSession(true);
    recorder->logonResults = {win32::MAPI_E_LOGON_FAILURE};
    mail->BeforeLogon = [this](vcl::TObject*) { log.push_back("BeforeLogon"); };
    EXPECT_EQ(mail->Logon(), 0);
    EXPECT_EQ(mail->Profile(), "Office");
    EXPECT_EQ(Join(recorder->calls), "Logon Office|pw|2|Logon (none)|(none)|3");
    EXPECT_EQ(mail->Session(), 100u);
    // An open session is kept: no second logon, but BeforeLogon still fires.
    EXPECT_EQ(mail->Logon(), 0);
    EXPECT_EQ(recorder->calls.size(), 2u);
    EXPECT_EQ(mail->Logoff(), 0);
    EXPECT_EQ(mail->Session(), 0u);
    EXPECT_EQ(Join(log), "BeforeLogon|LogonSuccess|BeforeLogon|LogoffSuccess");

    // Without the default profile the messaging system may ask; refused twice is a failure.
    log.clear();
    mail->SetDefaultProfile(false);
    recorder->logonResults = {win32::MAPI_E_LOGON_FAILURE, win32::MAPI_USER_ABORT};
    EXPECT_FALSE(mail->Execute());
    EXPECT_EQ(Join(log), "BeforeLogon|LogonFailure 1");
    EXPECT_EQ(mail->LogonFlags(), win32::MAPI_LOGON_UI | win32::MAPI_NEW_SESSION);
}

TEST_F(MapiTest, RecipientsAreResolvedClassedAndCompactedAndTheirBuffersFreedOnce) {
    recorder->names = {{"Bob", {0, "Bob Baker", "SMTP:bob@example.org"}},
                       {"[SMTP:carl@example.net]", {0, "carl@example.net", "SMTP:carl@example.net"}},
                       {"Dana", {win32::MAPI_E_AMBIGUOUS_RECIPIENT, "", ""}},
                       {"[FAX:555]", {0, "[FAX:555]", "FAX:555"}}};
    recorder->dialogNames = {{"Dana", {0, "Dana Dean", "SMTP:dana@example.com"}}};
    TZylMapiMessage* message = AddMessage("Report", {"Bob", "", "Nobody"});
    message->RecipientsCC()->Add("[SMTP:carl@example.net]");
    message->RecipientsCC()->Add("Dana");
    message->RecipientsBC()->Add("[FAX:555]");
    message->SetReceipt(true);
    message->Attachments()->Add(temp.File("a.txt"));
    std::ofstream(temp.File("a.txt")) << "a";
    mail->Signature()->Add("-- Ann");
    ASSERT_TRUE(mail->Execute()) << Join(log);
    ASSERT_EQ(recorder->sent.size(), 1u);
    const MapiRecorder::Sent& sent = recorder->sent[0];
    // "Nobody" is not found, even in the dialog: it leaves no gap.
    ASSERT_EQ(sent.recipients.size(), 4u);
    auto recipient = [&](size_t i) {
        const auto& r = sent.recipients[i];
        return std::to_string(r.recipientClass) + " " + r.name + " " + r.address;
    };
    EXPECT_EQ(recipient(0), "1 Bob Baker SMTP:bob@example.org");
    EXPECT_EQ(recipient(1), "2 SMTP:carl@example.net SMTP:carl@example.net") << "literal, still CC";
    EXPECT_EQ(recipient(2), "2 Dana Dean SMTP:dana@example.com") << "picked in the dialog";
    EXPECT_EQ(recipient(3), "3 [FAX:555] FAX:555") << "the resolved name holds brackets: not literal";
    EXPECT_EQ(sent.flags, 0u);
    EXPECT_EQ(sent.messageFlags, win32::MAPI_RECEIPT_REQUESTED);
    EXPECT_EQ(sent.note, " \rHello,\r\n-- Ann\r\n");
    EXPECT_EQ(sent.files, (std::vector<std::string>{temp.File("a.txt") + "|a.txt"}));
    EXPECT_EQ(recorder->buffersOut, 0);
    EXPECT_EQ(recorder->buffersFreed, 4);
    EXPECT_EQ(recorder->badFrees, 0);
}

TEST_F(MapiTest, OneRefusedMessageNeverStopsTheOthersAndOnlyAcceptedOnesAreRemoved) {
    recorder->names = {{"Bob", {0, "Bob", "SMTP:bob@example.org"}}};
    mail->SetDeleteAfterSend(true);
    std::vector<std::string> deleted;
    mail->OnDeleteMail = [&](vcl::TObject* sender, TZylMapiMessage* message) {
        EXPECT_EQ(sender, mail->Messages());
        deleted.push_back(message->Subject());
    };
    AddMessage("first", {"Bob"});
    TZylMapiMessage* crowded = AddMessage("crowded", {});
    for (int i = 0; i < 1000; ++i)
        crowded->RecipientsTo()->Add("Bob");
    AddMessage("missing file", {"Bob"})->Attachments()->Add(temp.File("gone.pdf"));
    AddMessage("nobody", {});
    TZylMapiMessage* fax = AddMessage("fax", {});
    fax->SetSendMethod(ccFax);
    fax->SetFaxTo("Office");
    fax->SetFaxNumber("+49 221 555");
    AddMessage("no number", {})->SetSendMethod(ccFax);
    ASSERT_TRUE(mail->Execute());
    EXPECT_EQ(Join(log),
              "LogonSuccess|Sent first|SendError 10 crowded|SendError 11 missing file|Sent nobody|Sent fax|"
              "SendError 25 no number|LogoffSuccess");
    EXPECT_EQ(deleted, (std::vector<std::string>{"first", "nobody", "fax"}));
    ASSERT_EQ(mail->Messages()->Count(), 3);
    EXPECT_EQ(mail->Messages()->GetZylMapiMessage(0)->Subject(), "crowded");
    EXPECT_EQ(mail->Messages()->GetZylMapiMessage(2)->Subject(), "no number");
    // A message without recipients goes to the messaging system's dialog; a fax to its number.
    ASSERT_EQ(recorder->sent.size(), 4u);
    EXPECT_EQ(recorder->sent[2].flags, win32::MAPI_DIALOG);
    EXPECT_EQ(recorder->sent[3].recipients.size(), 1u);
    EXPECT_EQ(recorder->sent[3].recipients[0].address, "Fax:+49 221 555");
    EXPECT_EQ(recorder->buffersOut, 0);
}

TEST_F(MapiTest, QuickMailReportsTheProvidersAnswer) {
    TZylQuickMail quick(nullptr);
    EXPECT_EQ(quick.ToName(), TZylQuickMail::kPresetName);
    quick.SetToName("Bob");
    quick.SetToEmailorFaxAddress("bob@example.org");
    quick.SetSubject("Hi");
    quick.TextToSend()->Add("Hello");
    int errors = 0;
    quick.OnError = [&](vcl::TObject*) { ++errors; };
    EXPECT_TRUE(quick.Execute());
    EXPECT_EQ(quick.ErrorNo(), "0");
    ASSERT_EQ(recorder->sent.size(), 1u);
    EXPECT_EQ(recorder->sent[0].recipients[0].address, "smtp:bob@example.org");
    EXPECT_EQ(recorder->sent[0].flags, win32::MAPI_LOGON_UI);
    EXPECT_EQ(recorder->sent[0].session, 0u);
    recorder->sendResult = [](const MapiRecorder::Sent&) { return win32::MAPI_USER_ABORT; };
    EXPECT_FALSE(quick.Execute());
    EXPECT_EQ(quick.ErrorNo(), "1");
    EXPECT_EQ(errors, 1);
}

}  // namespace mapitest
