// Retrieval from a real POP3 server (Dovecot, from Debian's packages): mail sent by TZylSMTPMail
// through the mail sink comes back with every attachment byte for byte, and messages written by an
// independent composer (Python's email package) are read as that composer meant them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "pop3_fixture.h"
#include "support/real_peers.h"

namespace pop3test {
namespace pop3_real_server_tests {

namespace fs = std::filesystem;

class Pop3RealServer : public Pop3Test {
protected:
    void SetUp() override {
        Pop3Test::SetUp();
        dovecot_ = std::make_unique<zyltest::DovecotPop3>(temp.Path());
        if (!dovecot_->Error().empty()) GTEST_SKIP() << dovecot_->Error();
        mail->SetPort(std::to_string(dovecot_->Port()));
        mail->SetUsername(zyltest::DovecotPop3::kUser);
        mail->SetPassword(zyltest::DovecotPop3::kPassword);
    }
    void TearDown() override {
        dovecot_.reset();
        Pop3Test::TearDown();
    }

    std::string Script(const char* name) const {
        return (fs::path(__FILE__).parent_path() / "../support" / name).string();
    }

    TZylMessage* MessageWithSubject(const std::string& subject) const {
        for (int i = 0; i < mail->Messages()->Count(); ++i)
            if (Message(i)->Subject() == subject) return Message(i);
        return nullptr;
    }

    std::unique_ptr<zyltest::DovecotPop3> dovecot_;
};

TEST_F(Pop3RealServer, SentAttachmentsComeBackByteForByteAndAreSaved) {
    zyltest::SmtpSink sink(temp.Path());
    if (!sink.Error().empty()) GTEST_SKIP() << sink.Error();
    std::mt19937 random(26);
    std::string binary(200'003, '\0');
    for (char& c : binary)
        c = static_cast<char>(random());
    const std::map<std::string, std::string> originals = {
        {"random.bin", binary},
        {"notes.txt", "first line\r\n.second line begins with a dot\r\n"},
        {"empty.dat", ""},
        {"Gr\xC3\xBC\xC3\x9F"
         "e.txt",
         "non-ASCII name"}};
    {
        vcl::TComponentPtr<TZylSMTPMail> sender(new TZylSMTPMail(nullptr));
        sender->SetHost("127.0.0.1");
        sender->SetPort(std::to_string(sink.Port()));
        sender->SetLineDelay(0);
        TZylMessage* message = sender->Messages()->Add();
        message->SetFromMail("ann@example.com");
        message->SetFromName("Ann \"the sender\" Example");
        message->SetSendTo("bob@example.org");
        message->SetSubject("Round trip");
        message->Message()->Add("Hello Bob,");
        message->Message()->Add(".a line with a leading dot");
        for (const auto& [name, bytes] : originals) {
            fs::create_directories(temp.Path() / "out");
            zyltest::WriteTextFile(temp.Path() / "out" / name, bytes);
            message->Attachments()->Add((temp.Path() / "out" / name).string());
        }
        ASSERT_TRUE(sender->Execute());
    }
    std::string stored = sink.WaitForMessage(5000);
    ASSERT_FALSE(stored.empty()) << "the sink stored no message";
    dovecot_->Deliver(zyltest::ReadTextFile(stored));

    mail->SetDeleteOfServer(true);
    mail->SetProgressStep(25);
    ASSERT_TRUE(mail->Execute()) << Join(log) << dovecot_->Log();
    EXPECT_EQ(dovecot_->MailboxSize(), 0u);
    ASSERT_EQ(mail->Messages()->Count(), 1);
    TZylMessage* message = Message(0);
    EXPECT_EQ(message->Subject(), "Round trip");
    EXPECT_EQ(message->FromName(), "Ann \"the sender\" Example");
    EXPECT_EQ(message->FromMail(), "ann@example.com");
    EXPECT_EQ(message->Message()->Strings(1), ".a line with a leading dot");
    EXPECT_EQ(progress.back(), 100);
    ASSERT_EQ(message->Attachments()->Count(), static_cast<int>(originals.size()));
    fs::create_directories(temp.Path() / "in");
    for (int i = 0; i < message->Attachments()->Count(); ++i) {
        TZylAttachment* attachment = message->Attachments()->GeTZylAttachment(i);
        SCOPED_TRACE(attachment->FileName());
        ASSERT_EQ(originals.count(attachment->FileName()), 1u);
        attachment->SaveToFile((temp.Path() / "in" / attachment->FileName()).string());
        EXPECT_TRUE(zyltest::ReadTextFile(temp.Path() / "in" / attachment->FileName()) ==
                    originals.at(attachment->FileName()));
    }
    EXPECT_TRUE(exceptions.empty()) << Join(exceptions);
}

TEST_F(Pop3RealServer, MessagesOfAnIndependentComposerAreReadAsItMeantThem) {
    fs::create_directories(temp.Path() / "composed");
    std::string manifest = zyltest::RunCommand("python3 '" + Script("mailcompose.py") + "' '" +
                                               (temp.Path() / "composed").string() + "'");
    ASSERT_FALSE(manifest.empty());
    struct Composed {
        std::string subject;
        std::vector<std::string> texts;
        std::vector<std::pair<std::string, std::string>> attachments;
    };
    std::vector<Composed> composed;
    std::istringstream lines(manifest);
    for (std::string line; std::getline(lines, line);) {
        if (line.size() < 2) continue;
        std::string value = line.substr(2);
        if (line[0] == 'M') {
            composed.emplace_back();
            dovecot_->Deliver(zyltest::ReadTextFile(temp.Path() / "composed" / value));
        }
        if (line[0] == 'S') composed.back().subject = zyltest::FromHex(value);
        if (line[0] == 'T') composed.back().texts.push_back(zyltest::FromHex(value));
        if (line[0] == 'A') {
            size_t tab = value.find('\t');
            composed.back().attachments.emplace_back(zyltest::FromHex(value.substr(0, tab)),
                                                     zyltest::FromHex(value.substr(tab + 1)));
        }
    }
    ASSERT_EQ(composed.size(), 3u);
    ASSERT_TRUE(mail->Execute()) << Join(log) << dovecot_->Log();
    ASSERT_EQ(mail->Messages()->Count(), 3);
    for (const Composed& expected : composed) {
        SCOPED_TRACE(expected.subject);
        TZylMessage* message = MessageWithSubject(expected.subject);
        ASSERT_NE(message, nullptr);
        std::string text = Lines(*message->Message());
        for (const std::string& wanted : expected.texts)
            EXPECT_NE(text.find(wanted), std::string::npos) << wanted << " in " << text;
        EXPECT_EQ(text.find("begin 644"), std::string::npos) << "a uuencoded block left in the text";
        for (const auto& [name, bytes] : expected.attachments) {
            SCOPED_TRACE(name);
            const TZylAttachment* found = nullptr;
            for (int i = 0; i < message->Attachments()->Count(); ++i)
                if (message->Attachments()->GeTZylAttachment(i)->FileName() == name)
                    found = message->Attachments()->GeTZylAttachment(i);
            ASSERT_NE(found, nullptr);
            EXPECT_TRUE(StreamText(*found) == bytes)
                << StreamText(*found).size() << " bytes, not " << bytes.size();
        }
    }
}

TEST_F(Pop3RealServer, WrongPasswordIsReportedAndNothingIsFetched) {
    dovecot_->Deliver(MailText({"Subject: kept", "", "body"}));
    mail->SetPassword("wrong");
    EXPECT_FALSE(mail->Execute());
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_EQ(Errors()[0].rfind("Error mail 2001 ", 0), 0u) << Errors()[0];
    EXPECT_EQ(Join(notices), "Unable to connect");
    EXPECT_EQ(mail->Messages()->Count(), 0);
    EXPECT_EQ(dovecot_->MailboxSize(), 1u);
}

}  // namespace pop3_real_server_tests
}  // namespace pop3test
