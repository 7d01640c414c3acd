// The mail package in the form designer: its palette page, the "Mail Messages" window driven
// through the designer host, and the property editors around it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "postrel/zylmaileditors.h"
#include "support/real_peers.h"
#include "support/tempdir.h"
#include "vcl/designhost.h"
#include "win32/files.h"
#include "win32/kernel.h"

namespace maileditorstest {

using namespace vcl;
using namespace postrel;

class MailEditors : public ::testing::Test {
protected:
    void SetUp() override {
        win32::testing::ResetPlatform();
        win32::testing::SetRegistryPath(temp.File("registry.sqlite"));
        SetMessageHandler([this](TObject*, const std::string& text) { notices.push_back(text); });
        host = std::make_unique<TDesignerHost>();
        host->LoadPackage("postrel");
        host->NewForm(TForm::StaticClass(), "Designed");
    }
    void TearDown() override {
        host.reset();
        SetMessageHandler(nullptr);
        win32::testing::ResetPlatform();
    }
    // Answers the next file dialog with a name and OK.
    void AnswerFileDialog(const char* loop, const std::string& name) {
        host->AnswerModal(loop, [name](TCustomForm& dialog) {
            static_cast<TCustomEdit*>(dialog.FindComponent("FileNameEdit"))->SetText(name);
            static_cast<TButton*>(dialog.FindComponent("OK"))->Click();
        });
    }
    std::vector<std::string> Entries(TListBox* list) const {
        std::vector<std::string> entries;
        for (int i = 0; i < list->Items()->Count(); ++i)
            entries.push_back(list->Items()->Strings(i));
        return entries;
    }

    zyltest::TempDir temp;
    std::unique_ptr<TDesignerHost> host;
    std::vector<std::string> notices;
};

TEST_F(MailEditors, TheComponentsSitOnTheirPageAndOpenTheWindow) {
    std::vector<std::string> page;
    for (const TPalettePage& entry : Palette())
        if (entry.name == "Zyl EMail")
            for (TClass cls : entry.classes)
                page.emplace_back(cls->name);
    EXPECT_EQ(page,
              (std::vector<std::string>{"TZylQuickMail", "TZylMapiMail", "TZylPOPMail", "TZylSMTPMail"}));

    auto* smtp = static_cast<TZylSMTPMail*>(host->DropComponent("TZylSMTPMail"));
    EXPECT_EQ(host->Verbs(smtp), (std::vector<std::string>{"Configure Mail ..."}));
    EXPECT_EQ(host->GetProperty(smtp, "DesignExecute"), "(Execute Test)");
    // Attachments are edited in the window only.
    smtp->Messages()->Add();
    host->EditProperty(smtp->Messages()->GetZylMessage(0), "Attachments");
    EXPECT_EQ(notices,
              (std::vector<std::string>{"Attachments are configured using the Messages Design Editor"}));

    host->EditComponent(smtp);
    TInetMailConfig* window = OpenInetMailConfig();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Caption(), "Mail Messages");
    EXPECT_EQ(window->ClientWidth(), 235);
    EXPECT_EQ(window->ClientHeight(), 324);
    EXPECT_EQ(Entries(window->MessageList), (std::vector<std::string>{"Outgoing Message"}));
    EXPECT_TRUE(window->AddMessageButton->Enabled());
    EXPECT_TRUE(window->ExecuteButton->Visible());
    EXPECT_FALSE(window->SaveAttachmentButton->Visible());
    EXPECT_EQ(host->GetSelections(), (std::vector<TPersistent*>{smtp->Messages()->GetZylMessage(0)}));

    // A POP3 component reuses the window: no adding, but saving.
    auto* pop = static_cast<TZylPOPMail*>(host->DropComponent("TZylPOPMail"));
    host->ExecuteVerb(pop, "Configure Mail ...");
    EXPECT_EQ(OpenInetMailConfig(), window);
    EXPECT_TRUE(window->MessageList->Items()->Count() == 0);
    EXPECT_FALSE(window->AddMessageButton->Enabled());
    EXPECT_FALSE(window->ExecuteButton->Visible());
    EXPECT_TRUE(window->SaveAttachmentButton->Visible());
    window->AddMessage();
    EXPECT_EQ(pop->Messages()->Count(), 0);

    // Deleting the component lets go of its window.
    host->DeleteComponent(pop);
    EXPECT_EQ(OpenInetMailConfig(), nullptr);
}

TEST_F(MailEditors, MessagesAndAttachmentsAreAddedAndDeletedThroughTheWindow) {
    auto* mapi = static_cast<TZylMapiMail*>(host->DropComponent("TZylMapiMail"));
    host->EditProperty(mapi, "Messages");
    TMapiMailConfig* window = OpenMapiMailConfig();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->SpeedButton4, nullptr) << "the twin has one select button";
    EXPECT_FALSE(window->ExecuteButton->Enabled());
    window->AddMessageButton->Click();
    window->AddMessageButton->Click();
    ASSERT_EQ(mapi->Messages()->Count(), 2);
    EXPECT_TRUE(window->ExecuteButton->Enabled());
    EXPECT_EQ(host->GetSelections(), (std::vector<TPersistent*>{mapi->Messages()->GetZylMapiMessage(1)}));

    const std::string file = temp.File("report.pdf");
    std::ofstream(file) << "pdf";
    AnswerFileDialog("OpenDlg", file);
    window->AddAttachmentButton->Click();
    ASSERT_EQ(mapi->Messages()->GetZylMapiMessage(1)->Attachments()->Count(), 1);
    // The file dialogs speak drive paths.
    EXPECT_EQ(Entries(window->AttachmentList), (std::vector<std::string>{win32::WindowsPath(file)}));
    EXPECT_NE(host->FormText().find("report.pdf"), std::string::npos);

    window->DeleteAttachmentButton->Click();
    EXPECT_EQ(mapi->Messages()->GetZylMapiMessage(1)->Attachments()->Count(), 0);
    EXPECT_TRUE(window->AttachmentList->Items()->Count() == 0);
    window->DeleteMessageButton->Click();
    window->DeleteMessageButton->Click();
    EXPECT_EQ(mapi->Messages()->Count(), 0);
    EXPECT_FALSE(window->ExecuteButton->Enabled());
    EXPECT_EQ(host->GetSelections(), (std::vector<TPersistent*>{mapi})) << "nothing freed stays selected";

    // Closing the form frees the window.
    host->CloseForm();
    EXPECT_EQ(OpenMapiMailConfig(), nullptr);
}

TEST_F(MailEditors, AMessageMadeInTheWindowIsSentToTheSinkByTheTestButton) {
    zyltest::SmtpSink sink(temp.Path());
    if (!sink.Error().empty()) GTEST_SKIP() << sink.Error();
    auto* smtp = static_cast<TZylSMTPMail*>(host->DropComponent("TZylSMTPMail"));
    host->SetProperty(smtp, "Host", "127.0.0.1");
    host->SetProperty(smtp, "Port", std::to_string(sink.Port()));
    host->SetProperty(smtp, "LineDelay", "0");
    host->ExecuteVerb(smtp, "Configure Mail ...");
    TInetMailConfig* window = OpenInetMailConfig();
    ASSERT_NE(window, nullptr);
    window->AddMessageButton->Click();
    // The inspector edits the message the window selected.
    host->SetSelectionProperty("FromMail", "ann@example.com");
    host->SetSelectionProperty("SendTo", "bob@example.org");
    host->SetSelectionProperty("Subject", "From the designer");
    window->ExecuteButton->Click();
    const std::string stored = sink.WaitForMessage(5000);
    ASSERT_FALSE(stored.empty());
    std::ifstream in(stored);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("Subject: From the designer"), std::string::npos);
}

TEST_F(MailEditors, AReceivedAttachmentIsSavedOnlyWhenTheDialogIsConfirmed) {
    auto* pop = static_cast<TZylPOPMail*>(host->DropComponent("TZylPOPMail"));
    TZylMessage* message = pop->ParseMessage(
        "From: ann@example.com\r\nSubject: Files\r\nMIME-Version: 1.0\r\n"
        "Content-Type: multipart/mixed; boundary=\"b\"\r\n\r\n--b\r\nContent-Type: text/plain\r\n\r\nHi\r\n"
        "--b\r\nContent-Type: text/plain; name=\"notes.txt\"\r\nContent-Transfer-Encoding: base64\r\n"
        "Content-Disposition: attachment; filename=\"notes.txt\"\r\n\r\naGVsbG8=\r\n--b--\r\n");
    ASSERT_NE(message, nullptr);
    host->EditComponent(pop);
    TInetMailConfig* window = OpenInetMailConfig();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Entries(window->AttachmentList), (std::vector<std::string>{"notes.txt"}));
    window->SelectAttachment(0);

    host->AnswerModal("SaveDlg", [](TCustomForm& dialog) {
        static_cast<TButton*>(dialog.FindComponent("Cancel"))->Click();
    });
    window->SaveAttachmentButton->Click();
    const std::string target = temp.File("saved.txt");
    EXPECT_FALSE(std::filesystem::exists(target));
    AnswerFileDialog("SaveDlg", target);
    window->SaveAttachmentButton->Click();
    std::ifstream in(target);
    std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(saved, "hello");
}

}  // namespace maileditorstest
