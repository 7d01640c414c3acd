// A round trip through a real SMTP server (the mail sink of Debian's postfix package), read back by
// an independent MIME parser (Python's email package).
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>

#include "mail_fixture.h"
#include "support/real_peers.h"

namespace mailtest {
namespace {

namespace fs = std::filesystem;

using zyltest::FromHex;
using zyltest::RunCommand;

class RealServer : public MailTest {
protected:
    void SetUp() override {
        MailTest::SetUp();
        StartSink({});
    }
    void TearDown() override {
        sink_.reset();
        MailTest::TearDown();
    }

    void StartSink(std::vector<std::string> arguments) {
        sink_.reset();
        sink_ = std::make_unique<zyltest::SmtpSink>(temp.Path(), std::move(arguments));
        if (!sink_->Error().empty()) GTEST_SKIP() << sink_->Error();
        mail->SetPort(std::to_string(sink_->Port()));
    }

    // The one message the sink stored, once it is complete.
    std::string StoredMessage() { return sink_->WaitForMessage(5000); }

    std::unique_ptr<zyltest::SmtpSink> sink_;
};

TEST_F(RealServer, MessageWithAttachmentsComesBackWhole) {
    std::mt19937 random(5);
    std::string binary(100'003, '\0');
    for (char& c : binary)
        c = static_cast<char>(random());
    std::string notes = "first line\r\nsecond line\r\n";
    TZylMessage* message =
        AddMessage("bob@example.org, carl@example.net", {"Hello Bob,", ".a line with a leading dot", ".",
                                                         "Gr\xC3\xBC\xC3\x9F"
                                                         "e aus K\xC3\xB6ln",
                                                         "end"});
    message->SetFromName("Ann Example");
    message->SetSubject("Round trip");
    message->SetReplyTo("desk@example.com");
    mail->Signature()->Add("-- ");
    mail->Signature()->Add("Ann");
    message->Attachments()->Add(WriteFile("random.bin", binary));
    message->Attachments()->Add(WriteFile("notes.txt", notes));
    message->Attachments()->Add(WriteFile("empty.dat", ""));
    ASSERT_TRUE(mail->Execute()) << Join(log);
    EXPECT_TRUE(Errors().empty()) << Join(log);

    std::string stored = StoredMessage();
    ASSERT_FALSE(stored.empty()) << "the sink stored no message";
    std::string script = (fs::path(__FILE__).parent_path() / "../support/mailread.py").string();
    std::string output = RunCommand("python3 '" + script + "' '" + stored + "'");
    ASSERT_FALSE(output.empty());

    std::multimap<std::string, std::string> headers;
    std::string text, charset;
    std::vector<std::vector<std::string>> attachments;
    std::vector<std::string> defects;
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find('\n', start);
        std::string line = output.substr(start, end - start);
        start = end + 1;
        if (line.size() < 2) continue;
        std::vector<std::string> fields;
        size_t fieldStart = 2;
        for (;;) {
            size_t tab = line.find('\t', fieldStart);
            fields.push_back(line.substr(fieldStart, tab - fieldStart));
            if (tab == std::string::npos) break;
            fieldStart = tab + 1;
        }
        if (line[0] == 'H') headers.emplace(fields[0], fields.size() > 1 ? fields[1] : "");
        if (line[0] == 'D') defects.push_back(fields[0]);
        if (line[0] == 'T') {
            charset = fields[0];
            text = FromHex(fields[1]);
        }
        if (line[0] == 'A')
            attachments.push_back({fields[0], fields[1], FromHex(fields.size() > 2 ? fields[2] : "")});
    }
    EXPECT_TRUE(defects.empty()) << Join(defects);
    EXPECT_EQ(headers.find("Subject")->second, "Round trip");
    EXPECT_EQ(headers.find("From")->second, "\"Ann Example\" <ann@example.com>");
    EXPECT_EQ(headers.find("To")->second, "bob@example.org, carl@example.net");
    EXPECT_EQ(headers.find("Reply-To")->second, "desk@example.com");
    EXPECT_EQ(headers.find("Message-Id")->second.rfind("<zylvt98.", 0), 0u);
    EXPECT_NE(headers.find("X-Rcpt-Args"), headers.end());
    EXPECT_EQ(charset, "utf-8");
    std::string plain;
    for (char c : text)
        if (c != '\r') plain += c;
    EXPECT_EQ(plain,
              "Hello Bob,\n.a line with a leading dot\n.\nGr\xC3\xBC\xC3\x9F"
              "e aus K\xC3\xB6ln\nend\n\n\n-- \nAnn");
    ASSERT_EQ(attachments.size(), 3u);
    EXPECT_EQ(attachments[0][0], "random.bin");
    EXPECT_EQ(attachments[0][1], "application/octet-stream");
    EXPECT_TRUE(attachments[0][2] == binary);
    EXPECT_EQ(attachments[1][0], "notes.txt");
    EXPECT_EQ(attachments[1][1], "text/plain");
    EXPECT_EQ(attachments[1][2], notes);
    EXPECT_EQ(attachments[2][0], "empty.dat");
    EXPECT_EQ(attachments[2][2], "");
}

TEST_F(RealServer, RefusedRecipientComesBackAsOnError) {
    // A second sink that refuses RCPT.
    StartSink({"-r", "RCPT"});
    if (IsSkipped()) return;
    AddMessage();
    EXPECT_TRUE(mail->Execute());
    ASSERT_EQ(Errors().size(), 1u) << Join(log);
    // The sink refuses with a temporary or a permanent failure, as configured.
    EXPECT_TRUE(Errors()[0].rfind("Error mail 4", 0) == 0 || Errors()[0].rfind("Error mail 5", 0) == 0)
        << Errors()[0];
    EXPECT_EQ(std::count(log.begin(), log.end(), "SuccessSend"), 0);
}

}  // namespace
}  // namespace mailtest
