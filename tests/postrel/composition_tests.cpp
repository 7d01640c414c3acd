#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <regex>
#include <set>

#include "vcl/streaming.h"

#include "mail_fixture.h"
#include "vcl/forms.h"

namespace mailtest {
namespace {

using Composition = MailTest;

// The composed lines of a message, without a server.
std::vector<std::string> Compose(TZylSMTPMail& mail, TZylMessage* message) {
    message->SetDate("Tue, 5 Mar 2024 14:07:09");
    auto lines = mail.InitializeMessage(message);
    std::vector<std::string> result;
    for (int i = 0; i < lines->Count(); ++i)
        result.push_back(lines->Strings(i));
    return result;
}

std::string HeaderValue(const std::vector<std::string>& lines, const std::string& name) {
    for (const auto& line : lines) {
        if (line.empty()) break;
        if (line.rfind(name + ": ", 0) == 0) return line.substr(name.size() + 2);
    }
    return "<absent>";
}

TEST_F(Composition, HeaderLinesComeInTheirOrder) {
    TZylMessage* message = AddMessage("bob@example.org ,carl@example.net");
    message->SetInReplyTo("<older@example.com>");
    message->SetReplyTo("desk@example.com");
    auto lines = Compose(*mail, message);
    std::vector<std::string> names;
    for (const auto& line : lines) {
        if (line.empty()) break;
        names.push_back(line.substr(0, line.find(':')));
    }
    EXPECT_EQ(Join(names),
              "Message-Id|In-Reply-To|Date|From|Reply-To|X-Mailer|To|Subject|MIME-Version|Content-Type|"
              "Content-Transfer-Encoding");
    EXPECT_EQ(HeaderValue(lines, "To"), "bob@example.org ,carl@example.net");
    EXPECT_EQ(HeaderValue(lines, "Date"), "Tue, 5 Mar 2024 14:07:09");
    EXPECT_EQ(HeaderValue(lines, "X-Mailer"), ApplicationTitle() + " - [TZylSMTPMail]");
    EXPECT_EQ(HeaderValue(lines, "MIME-Version"), "1.0");
    EXPECT_EQ(HeaderValue(lines, "Content-Transfer-Encoding"), "8bit");
}

TEST_F(Composition, EmptyReplyHeadersAreAbsentNotEmpty) {
    auto lines = Compose(*mail, AddMessage());
    EXPECT_EQ(HeaderValue(lines, "In-Reply-To"), "<absent>");
    EXPECT_EQ(HeaderValue(lines, "Reply-To"), "<absent>");
}

TEST_F(Composition, FromLineTakesThreeForms) {
    struct Case {
        const char* name;
        const char* mail;
        const char* from;
    } cases[] = {
        {"", "ann@example.com", "ann@example.com"},
        {"Ann", "ann@example.com", "\"Ann\" <ann@example.com>"},
        {"Ann", "ann", "\"Ann\" <ann@127.0.0.1>"},
    };
    for (const Case& c : cases) {
        TZylMessage* message = AddMessage();
        message->SetFromName(c.name);
        message->SetFromMail(c.mail);
        EXPECT_EQ(HeaderValue(Compose(*mail, message), "From"), c.from);
    }
}

TEST_F(Composition, TextIsFollowedByTwoEmptyLinesAndTheSignature) {
    mail->Signature()->Add("-- ");
    mail->Signature()->Add("Ann");
    auto lines = Compose(*mail, AddMessage("bob@example.org", {"first", "second"}));
    auto body = std::find(lines.begin(), lines.end(), "");
    ASSERT_NE(body, lines.end());
    EXPECT_EQ(Join(std::vector<std::string>(body + 1, lines.end())), "first|second|||-- |Ann");
}

TEST_F(Composition, DotsAreStuffedAndLineBreaksInsideLinesMakeLinesOfTheirOwn) {
    mail->Signature()->Add(".sig");
    auto lines =
        Compose(*mail, AddMessage("bob@example.org", {".starts", "mid.dle", "a\r\n.\r\nb", "c\nd\re", ".."}));
    auto body = std::find(lines.begin(), lines.end(), "");
    EXPECT_EQ(Join(std::vector<std::string>(body + 1, lines.end())),
              "..starts|mid.dle|a|..|b|c|d|e|...|||..sig");
}

TEST_F(Composition, EndOfDataInsideATextLineCannotEndTheMessageEarly) {
    AddMessage("bob@example.org", {"before\r\n.\r\nMAIL FROM:<evil@example.org>", "after"});
    ASSERT_TRUE(mail->Execute());
    ASSERT_EQ(peer.Messages().size(), 1u);
    const std::string data = peer.Messages()[0];
    EXPECT_NE(data.find("before\r\n..\r\nMAIL FROM:<evil@example.org>\r\nafter\r\n"), std::string::npos);
    EXPECT_EQ(peer.Commands().size(), 5u);
}

TEST_F(Composition, CharsetLabelDescribesTheTextBytes) {
    struct Case {
        std::string text;
        const char* charset;
    } cases[] = {
        {"plain ascii", "ISO-8859-1"},
        {"Gr\xC3\xBC\xC3\x9F"
         "e",
         "UTF-8"},
        {"caf\xE9 latin-1 byte", "ISO-8859-1"},
        {"\xED\xA0\x80 surrogate", "ISO-8859-1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TZylMessage* message = AddMessage("bob@example.org", {c.text});
        EXPECT_EQ(HeaderValue(Compose(*mail, message), "Content-Type"),
                  std::string("Text/Plain; charset=") + c.charset);
        message->Attachments()->Add(WriteFile("a.txt", "x"));
        auto lines = Compose(*mail, message);
        EXPECT_NE(std::find(lines.begin(), lines.end(),
                            std::string("Content-Type: Text/Plain; charset=") + c.charset),
                  lines.end());
    }
}

TEST_F(Composition, MultipartBodyHasItsPartsInOrder) {
    TZylMessage* message = AddMessage("bob@example.org", {"see attached"});
    message->Attachments()->Add(WriteFile("notes.txt", "abc"));
    message->Attachments()->Add(WriteFile("data.bin", std::string(58, '\0')));
    auto lines = Compose(*mail, message);
    std::string type = HeaderValue(lines, "Content-Type");
    std::smatch match;
    ASSERT_TRUE(
        std::regex_match(type, match, std::regex("multipart/mixed; boundary=\"(---ZYLMAIL[a-y]{12})\"")));
    std::string d = "--" + match[1].str();
    auto body = std::find(lines.begin(), lines.end(), "");
    std::vector<std::string> expected = {d,
                                         "Content-Type: Text/Plain; charset=ISO-8859-1",
                                         "Content-Transfer-Encoding: 8bit",
                                         "",
                                         "see attached",
                                         "",
                                         "",
                                         d,
                                         "Content-Type: text/plain; name=\"notes.txt\"",
                                         "Content-Transfer-Encoding: base64",
                                         "Content-Disposition: inLine; filename=\"notes.txt\"",
                                         "",
                                         "YWJj",
                                         d,
                                         "Content-Type: application/octet-stream; name=\"data.bin\"",
                                         "Content-Transfer-Encoding: base64",
                                         "Content-Disposition: inLine; filename=\"data.bin\"",
                                         "",
                                         std::string(76, 'A'),
                                         "AA==",
                                         "",
                                         d + "--",
                                         ""};
    EXPECT_EQ(Join(std::vector<std::string>(body + 1, lines.end())), Join(expected));
}

TEST_F(Composition, QuotesInAFileNameAreEscaped) {
    TZylMessage* message = AddMessage();
    message->Attachments()->Add(WriteFile("say \"hi\".txt", "x"));
    auto lines = Compose(*mail, message);
    EXPECT_NE(
        std::find(lines.begin(), lines.end(), "Content-Disposition: inLine; filename=\"say \\\"hi\\\".txt\""),
        lines.end());
}

TEST_F(Composition, LineBreaksInHeaderFieldsRaiseBeforeMailFrom) {
    struct Case {
        const char* field;
        std::function<void(TZylMessage*)> spoil;
    } cases[] = {
        {"FromMail", [](TZylMessage* m) { m->SetFromMail("ann@example.com>\r\nRCPT TO:<x@y"); }},
        {"SendTo", [](TZylMessage* m) { m->SetSendTo("bob@example.org\nBcc: x@y"); }},
        {"Subject", [](TZylMessage* m) { m->SetSubject("hi\r\nBcc: x@y"); }},
        {"FromName", [](TZylMessage* m) { m->SetFromName(std::string("An\0n", 4)); }},
        {"ReplyTo", [](TZylMessage* m) { m->SetReplyTo("a@b\rX: y"); }},
        {"InReplyTo", [](TZylMessage* m) { m->SetInReplyTo("<a@b>\n"); }},
        {"file name", [](TZylMessage* m) { m->Attachments()->Add("x.txt")->SetFileName("x\r\n.txt"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        zyltest::SmtpPeer server;
        mail->SetPort(server.PortText());
        mail->Messages()->Clear();
        c.spoil(AddMessage());
        exceptions.clear();
        EXPECT_FALSE(mail->Execute());
        ASSERT_EQ(exceptions.size(), 1u);
        EXPECT_NE(exceptions[0].find("line breaks or NUL"), std::string::npos) << exceptions[0];
        auto commands = server.Commands();
        EXPECT_EQ(commands.size(), 1u);
    }
}

TEST_F(Composition, DateFormatThatBreaksTheLineIsRefused) {
    mail->SetDateTimeFormat("dd'\r\nBcc: x@y'");
    AddMessage();
    EXPECT_FALSE(mail->Execute());
    ASSERT_EQ(exceptions.size(), 1u);
    EXPECT_NE(exceptions[0].find("\"Date\""), std::string::npos);
}

TEST_F(Composition, SendingSetsTheDateFromTheClockAndFormat) {
    TZylMessage* message = AddMessage();
    ASSERT_TRUE(mail->Execute());
    EXPECT_EQ(message->Date(), "Tue, 5 Mar 2024 14:07:09");
    EXPECT_NE(peer.Messages()[0].find("\r\nDate: Tue, 5 Mar 2024 14:07:09\r\n"), std::string::npos);
}

TEST_F(Composition, MessageIdAndBoundaryHaveTheirShapes) {
    EXPECT_TRUE(std::regex_match(mail->CreateUIN(), std::regex("<zylvt98\\.1407\\.05032024[a-y]{8}@[^>]+>")))
        << mail->CreateUIN();
    EXPECT_TRUE(std::regex_match(mail->CreateBounds(), std::regex("---ZYLMAIL[a-y]{12}")));
}

TEST_F(Composition, MessageIdsDifferWithinOneTickInOneProcessAndAcrossProcesses) {
    std::set<std::string> seen;
    for (int i = 0; i < 1000; ++i)
        EXPECT_TRUE(seen.insert(mail->CreateUIN()).second);
    int channel[2];
    ASSERT_EQ(pipe(channel), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::string id = mail->CreateUIN();
        [[maybe_unused]] auto written = write(channel[1], id.data(), id.size());
        _exit(0);
    }
    close(channel[1]);
    std::string parentId = mail->CreateUIN();
    char buffer[512];
    ssize_t size = read(channel[0], buffer, sizeof buffer);
    close(channel[0]);
    waitpid(child, nullptr, 0);
    ASSERT_GT(size, 0);
    EXPECT_NE(std::string(buffer, static_cast<size_t>(size)), parentId);
}

TEST_F(Composition, AttachmentTakesNamePathAndMimeTypeFromTheRegistry) {
    TZylMessage* message = AddMessage();
    std::string path = WriteFile("picture.PNG", "x");
    TZylAttachment* attachment = message->Attachments()->Add(path);
    EXPECT_EQ(attachment->FileName(), "picture.PNG");
    EXPECT_EQ(attachment->PathName(), path);
    EXPECT_EQ(attachment->MimeType(), "image/png");
    EXPECT_EQ(TZylAttachments::GetMimeType("C:\\dir\\README"), "application/octet-stream");
    EXPECT_EQ(TZylAttachments::GetMimeType("archive.unknownext"), "application/octet-stream");
    EXPECT_EQ(TZylAttachments::GetMimeType("trailing."), "application/octet-stream");
}

TEST_F(Composition, MimeTypeFromTheRegistryThatWouldBreakAHeaderIsNotUsed) {
    win32::HKEY key;
    ASSERT_EQ(win32::RegCreateKeyEx(win32::HKEY_CLASSES_ROOT, ".evil", 0, nullptr, 0, win32::KEY_ALL_ACCESS,
                                    nullptr, &key, nullptr),
              win32::ERROR_SUCCESS);
    const char value[] = "text/plain\r\nBcc: x@y";
    win32::RegSetValueEx(key, "Content Type", 0, win32::REG_SZ, reinterpret_cast<const win32::BYTE*>(value),
                         sizeof value);
    win32::RegCloseKey(key);
    EXPECT_EQ(TZylAttachments::GetMimeType("a.evil"), "application/octet-stream");
}

TEST_F(Composition, AttachmentReadFromAFormUsesItsNameAsPathAndLooksItsTypeUpWhenComposing) {
    auto previous = std::filesystem::current_path();
    std::filesystem::current_path(temp.Path());
    WriteFile("stored.txt", "stored bytes");
    TZylMessage* message = AddMessage();
    TZylAttachment* attachment = static_cast<TZylAttachment*>(message->Attachments()->TCollection::Add());
    attachment->SetFileName("stored.txt");
    auto lines = Compose(*mail, message);
    std::filesystem::current_path(previous);
    EXPECT_EQ(attachment->MimeType(), "text/plain");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Content-Type: text/plain; name=\"stored.txt\""),
              lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "c3RvcmVkIGJ5dGVz"), lines.end());
}

TEST_F(Composition, MissingAttachmentFileEndsTheRunWithTheOpenError) {
    TZylMessage* message = AddMessage();
    message->Attachments()->Add(temp.File("absent.txt"));
    EXPECT_FALSE(mail->Execute());
    ASSERT_EQ(exceptions.size(), 1u);
    EXPECT_NE(exceptions[0].find("Cannot open file"), std::string::npos);
    EXPECT_EQ(peer.Commands().size(), 1u);
}

TEST_F(Composition, WithoutAnInstalledHandlerErrorsReachTheApplication) {
    SetExceptionHandler(nullptr);
    vcl::Application->ClearExceptionLog();
    TZylMessage* message = AddMessage();
    message->Attachments()->Add(temp.File("absent.txt"));
    EXPECT_FALSE(mail->Execute());
    ASSERT_EQ(vcl::Application->ExceptionLog().size(), 1u);
    EXPECT_NE(vcl::Application->ExceptionLog()[0].find("Cannot open file"), std::string::npos);
    vcl::Application->ClearExceptionLog();
}

TEST_F(Composition, MessagesAndAttachmentsStreamThroughAForm) {
    TZylMessage* message = AddMessage("bob@example.org", {"line one", "line two"});
    message->Attachments()->Add(WriteFile("a.txt", "x"));
    mail->SetName("Mail1");
    mail->SetProgressStep(5);
    mail->Signature()->Add("sig");
    std::string text = vcl::ComponentToText(mail.get());
    EXPECT_NE(text.find("LineDelay = 0"), std::string::npos) << text;
    EXPECT_EQ(text.find("DesignExecute"), std::string::npos) << text;
    vcl::TComponentPtr<TZylSMTPMail> copy(new TZylSMTPMail(nullptr));
    vcl::ReadComponentText(text, copy.get());
    ASSERT_EQ(copy->Messages()->Count(), 1);
    TZylMessage* read = copy->Messages()->GetZylMessage(0);
    EXPECT_EQ(read->SendTo(), "bob@example.org");
    EXPECT_EQ(read->Message()->Text(), message->Message()->Text());
    ASSERT_EQ(read->Attachments()->Count(), 1);
    EXPECT_EQ(read->Attachments()->GeTZylAttachment(0)->FileName(), "a.txt");
    EXPECT_EQ(read->Attachments()->GeTZylAttachment(0)->PathName(), "");
    EXPECT_EQ(read->DisplayName(), "Outgoing Message");
    EXPECT_EQ(read->Attachments()->GeTZylAttachment(0)->DisplayName(), "Mail Attachment");
    EXPECT_EQ(copy->ProgressStep(), 5);
    EXPECT_EQ(copy->Port(), mail->Port());
    EXPECT_EQ(copy->LineDelay(), 0);
    EXPECT_EQ(copy->DesignExecute(), "(Execute)");
    EXPECT_EQ(copy->Signature()->Text(), mail->Signature()->Text());
}

}  // namespace
}  // namespace mailtest
