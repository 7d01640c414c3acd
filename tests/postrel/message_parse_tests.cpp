#include <gtest/gtest.h>

#include <functional>

#include "pop3_fixture.h"

namespace pop3test {
namespace message_parse_tests {

using MessageParse = Pop3Test;

// A multipart/mixed message around the given parts (each its header lines, an empty line, its body).
std::string Multipart(const std::string& subject, const std::vector<std::vector<std::string>>& parts) {
    std::vector<std::string> lines = {"Subject: " + subject, "MIME-Version: 1.0",
                                      "Content-Type: multipart/mixed; boundary=\"=sep=\"", "", "preamble"};
    for (const auto& part : parts) {
        lines.push_back("--=sep=");
        lines.insert(lines.end(), part.begin(), part.end());
    }
    lines.push_back("--=sep=--");
    lines.push_back("epilogue");
    return MailText(lines);
}

TEST_F(MessageParse, HeaderFieldsAreReadWithTheirEncodingsAndFolding) {
    struct Case {
        std::vector<std::string> header;
        std::function<std::string(const TZylMessage&)> field;
        const char* expected;
    } cases[] = {
        {{"Subject:Hi"}, &TZylMessage::Subject, "Hi"},
        {{"subject: \t Two  blanks  "}, &TZylMessage::Subject, "Two  blanks"},
        {{"Subject: folded", " \tline"}, &TZylMessage::Subject, "folded \tline"},
        {{"Subject: =?utf-8?q?Gr=C3=BC=C3=9Fe?= =?UTF-8?B?IGF1cyBLw7Zsbg==?="},
         &TZylMessage::Subject,
         "Gr\xC3\xBC\xC3\x9F"
         "e aus K\xC3\xB6ln"},
        {{"Subject: =?iso-8859-1?Q?caf=E9_cr=E8me?= and more"},
         &TZylMessage::Subject,
         "caf\xC3\xA9 cr\xC3\xA8me and more"},
        {{"Subject: =?koi8-r?b?5g==?= stays"}, &TZylMessage::Subject, "=?koi8-r?b?5g==?= stays"},
        {{"From: \"Ann Example\" <ann@example.com>"}, &TZylMessage::FromName, "Ann Example"},
        {{"From: \"Ann Example\" <ann@example.com>"}, &TZylMessage::FromMail, "ann@example.com"},
        {{"From: \"Doe, John <x>\" <john@example.com>"}, &TZylMessage::FromMail, "john@example.com"},
        {{"From: \"Doe, John <x>\" <john@example.com>"}, &TZylMessage::FromName, "Doe, John <x>"},
        {{"From: =?utf-8?q?J=C3=B6rg?= <jorg@example.de>"}, &TZylMessage::FromName, "J\xC3\xB6rg"},
        {{"From: ann@example.com"}, &TZylMessage::FromMail, "ann@example.com"},
        {{"From: ann@example.com"}, &TZylMessage::FromName, "ann@example.com"},
        {{"From: ann@example.com (Ann)"}, &TZylMessage::FromName, "Ann"},
        {{"To: Ann <a@example.com>, \"Bob, Jr\" <b@example.org>,", "  c@example.net"},
         &TZylMessage::SendTo,
         "a@example.com,b@example.org,c@example.net"},
        {{"From: <ann@example.com>"}, &TZylMessage::ReplyTo, "ann@example.com"},
        {{"From: <ann@example.com>", "Reply-To: desk@example.com"},
         &TZylMessage::ReplyTo,
         "desk@example.com"},
        {{"Date:   Tue, 5 Mar 2024 14:07:09 +0100 "}, &TZylMessage::Date, "Tue, 5 Mar 2024 14:07:09 +0100"},
        {{"Message-ID: <1@example.com>"}, &TZylMessage::MessageId, "<1@example.com>"},
        {{"In-Reply-To: <0@example.com>"}, &TZylMessage::InReplyTo, "<0@example.com>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Join(c.header));
        std::vector<std::string> lines = c.header;
        lines.insert(lines.end(), {"", "body"});
        TZylMessage* message = mail->ParseMessage(MailText(lines));
        ASSERT_NE(message, nullptr);
        EXPECT_EQ(c.field(*message), c.expected);
        EXPECT_EQ(Lines(*message->Message()), "body");
    }
}

TEST_F(MessageParse, TextIsDecodedAndSplitByLength) {
    struct Case {
        std::vector<std::string> lines;
        const char* expected;
    } cases[] = {
        {{"Subject: x", "", "one", "", "three"}, "one||three"},
        {{"Subject: x", "body right after the header"}, "body right after the header"},
        {{"not a header line", "second"}, "not a header line|second"},
        {{"Content-Type: text/plain; charset=utf-8", "Content-Transfer-Encoding: quoted-printable", "",
          "Gr=C3=BC=C3=9Fe, a soft=", " break"},
         "Gr\xC3\xBC\xC3\x9F"
         "e, a soft break"},
        {{"Content-Type: text/plain; charset=iso-8859-1", "", "caf\xE9"}, "caf\xC3\xA9"},
        {{"Content-Type: text/plain; charset=utf-8", "Content-Transfer-Encoding: base64", "", "bGluZSAx",
          "DQpsaW5lIDI="},
         "line 1|line 2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Join(c.lines));
        TZylMessage* message = mail->ParseMessage(MailText(c.lines));
        ASSERT_NE(message, nullptr);
        EXPECT_EQ(Lines(*message->Message()), c.expected);
        EXPECT_EQ(message->Attachments()->Count(), 0);
    }
    std::string withNul = MailText({"Subject: nul", "", std::string("a\0b", 3), "after"});
    TZylMessage* message = mail->ParseMessage(withNul);
    ASSERT_EQ(message->Message()->Count(), 2);
    EXPECT_EQ(message->Message()->Strings(0), std::string("a\0b", 3));
}

TEST_F(MessageParse, PartsBecomeTextAndAttachmentsWithSafeNames) {
    std::string text = Multipart(
        "Re: report/2024",
        {{"Content-Type: text/plain", "", "Hello,", "see FILENAME=evil.txt and name=x below.", ""},
         {"Content-Type: application/pdf; name=\"../../etc/passwd\"", "Content-Transfer-Encoding: base64", "",
          "JVBERi0x", ""},
         {"Content-Type: application/octet-stream", "Content-Disposition: attachment;",
          "  filename*0*=utf-8''%C3%BC;", "  filename*1=\"ber.txt\"", "Content-Transfer-Encoding: base64", "",
          "", "AQID"},
         {"Content-Type: image/png; name==?utf-8?b?w7wucG5n?=", "Content-Transfer-Encoding: base64", "",
          "iVBO"},
         {"Content-Type: application/octet-stream", "Content-Transfer-Encoding: base64", "", "AAEC"},
         {"Content-Type: text/html", "", "<p>hi</p>"},
         {"Content-Type: application/x-thing; name=\"..\"", "Content-Transfer-Encoding: base64", "", "AAEC"},
         {"Content-Type: text/plain; name=C:\\Windows\\win.ini", "", "[fonts]"},
         {"Content-Type: not a type; name=\"a:b*c?<d>|e.png\"", "Content-Transfer-Encoding: base64", "",
          "AAEC"}});
    TZylMessage* message = mail->ParseMessage(text);
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(Lines(*message->Message()), "Hello,|see FILENAME=evil.txt and name=x below.|");
    struct Expected {
        const char* name;
        const char* type;
        std::string bytes;
    } expected[] = {
        {"passwd", "application/pdf", "%PDF-1"},
        {"\xC3\xBC"
         "ber.txt",
         "application/octet-stream", "\x01\x02\x03"},
        {"\xC3\xBC.png", "image/png", "\x89PN"},
        {"Re report2024", "application/octet-stream", std::string("\0\1\2", 3)},
        {"Re report2024.html", "text/html", "<p>hi</p>"},
        {"_Cosa_", "application/x-thing", std::string("\0\1\2", 3)},
        {"win.ini", "text/plain", "[fonts]"},
        {"abcde.png", "image/png", std::string("\0\1\2", 3)},
    };
    ASSERT_EQ(message->Attachments()->Count(), static_cast<int>(std::size(expected)));
    for (int i = 0; i < message->Attachments()->Count(); ++i) {
        SCOPED_TRACE(i);
        const TZylAttachment& attachment = *message->Attachments()->GeTZylAttachment(i);
        EXPECT_EQ(attachment.FileName(), expected[i].name);
        EXPECT_EQ(attachment.MimeType(), expected[i].type);
        EXPECT_EQ(StreamText(attachment), expected[i].bytes);
    }
}

TEST_F(MessageParse, AttachmentNamesNeverLeaveTheFolder) {
    struct Case {
        const char* name;
        const char* expected;
    } cases[] = {
        {"report.pdf", "report.pdf"},
        {"../../etc/passwd", "passwd"},
        {"..\\..\\boot.ini", "boot.ini"},
        {"..", "_Cosa_"},
        {".", "_Cosa_"},
        {"/", "_Cosa_"},
        {".bashrc", "bashrc"},
        {"a\x01\x1F\x7F"
         "b.txt",
         "ab.txt"},
        {" spaced . ", "spaced"},
        {"x/..", "_Cosa_"},
        {"\"q\".txt", "q.txt"},
        {"", "_Cosa_"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SafeAttachmentName(c.name), c.expected);
    }
    std::string longName = std::string(300, 'a') + ".txt";
    EXPECT_EQ(SafeAttachmentName(longName), std::string(251, 'a') + ".txt");
    // A cut that ends on a blank does not leave it at the end.
    EXPECT_EQ(SafeAttachmentName(std::string(254, 'x') + " " + std::string(10, 'y')), std::string(254, 'x'));
    std::string wide;
    for (int i = 0; i < 200; ++i)
        wide += "\xC3\xBC";
    EXPECT_EQ(SafeAttachmentName(wide).size(), 254u) << "cut between characters";
}

TEST_F(MessageParse, RawAndQuotedPrintablePartsKeepEveryLine) {
    std::string text = Multipart(
        "raw", {{"Content-Type: text/plain; name=a.txt", "", "first", "last"},
                {"Content-Type: text/plain; name=b.txt", "", "first", "last", ""},
                {"Content-Type: text/plain; name=c.txt", "Content-Transfer-Encoding: quoted-printable", "",
                 "caf=E9 =3D soft=", "ly joined   ", "=0D=0Abinary=00"},
                {"Content-Type: text/plain; name=d.txt", "Content-Transfer-Encoding: 8bit", ""}});
    TZylMessage* message = mail->ParseMessage(text);
    ASSERT_EQ(message->Attachments()->Count(), 4);
    EXPECT_EQ(StreamText(*message->Attachments()->GeTZylAttachment(0)), "first\r\nlast");
    EXPECT_EQ(StreamText(*message->Attachments()->GeTZylAttachment(1)), "first\r\nlast\r\n");
    EXPECT_EQ(StreamText(*message->Attachments()->GeTZylAttachment(2)),
              std::string("caf\xE9 = softly joined\r\n\r\nbinary\0", 31));
    EXPECT_EQ(StreamText(*message->Attachments()->GeTZylAttachment(3)), "");
}

TEST_F(MessageParse, NestedPartsAreWalkedAndBrokenStructuresAreFormatErrors) {
    std::string nested = MailText({"Subject: nested",
                                   "Content-Type: multipart/mixed; boundary=outer",
                                   "",
                                   "--outer",
                                   "Content-Type: multipart/alternative; boundary=\"inner\"",
                                   "",
                                   "--inner",
                                   "Content-Type: text/plain; charset=us-ascii",
                                   "",
                                   "plain text",
                                   "--inner",
                                   "Content-Type: text/html",
                                   "",
                                   "<b>html</b>",
                                   "--inner--",
                                   "--outer",
                                   "Content-Type: application/zip; name=z.zip",
                                   "Content-Transfer-Encoding: base64",
                                   "",
                                   "UEsD",
                                   "--outer"});  // no closing delimiter
    TZylMessage* message = mail->ParseMessage(nested);
    EXPECT_EQ(Lines(*message->Message()), "plain text");
    ASSERT_EQ(message->Attachments()->Count(), 2);
    EXPECT_EQ(message->Attachments()->GeTZylAttachment(0)->FileName(), "nested.html");
    EXPECT_EQ(StreamText(*message->Attachments()->GeTZylAttachment(1)), "PK\x03");

    std::string deep = "Subject: deep\r\n";
    for (int i = 0; i < 40; ++i)
        deep += "Content-Type: multipart/mixed; boundary=b" + std::to_string(i) + "\r\n\r\n--b" +
                std::to_string(i) + "\r\n";
    const std::string broken[] = {
        MailText({"Content-Type: multipart/mixed", "", "--x", "text"}),
        MailText({"Content-Type: multipart/mixed; boundary=x", "", "no delimiter at all"}),
        MailText({"Content-Type: multipart/mixed; boundary=x", "", "--x",
                  "Content-Transfer-Encoding: x-uuencode",
                  "Content-Type: application/octet-stream; name=u.bin", "", "begin 644 u.bin", "#0V%T",
                  "~bad~", "end"}),
        deep,
    };
    for (const std::string& text : broken) {
        SCOPED_TRACE(text.substr(0, 60));
        int before = mail->Messages()->Count();
        EXPECT_THROW(mail->ParseMessage(text), EZylMessageFormatError);
        EXPECT_EQ(mail->Messages()->Count(), before) << "the half-made message is removed";
    }
}

TEST_F(MessageParse, UuencodedBlocksNeedARealBeginLine) {
    std::string text =
        MailText({"Subject: uu", "", "Begin 100 push-ups every morning.", "begin 777 all.bin", "#0V%T", "end",
                  "begin 644", "before", "begin 644 cat.txt", "#0V%T", ".!0,V", "`", "end", "after"});
    TZylMessage* message = mail->ParseMessage(text);
    EXPECT_EQ(Lines(*message->Message()),
              "Begin 100 push-ups every morning.|begin 777 all.bin|#0V%T|end|begin 644|before|after");
    ASSERT_EQ(message->Attachments()->Count(), 1);
    const TZylAttachment& cat = *message->Attachments()->GeTZylAttachment(0);
    EXPECT_EQ(cat.FileName(), "cat.txt");
    EXPECT_EQ(cat.MimeType(), "text/plain");
    // "#0V%T" is "Cat" (the classic example); ".!0,V" holds 14 bytes of which 3 are given.
    EXPECT_EQ(StreamText(cat).substr(0, 3), "Cat");
    EXPECT_EQ(StreamText(cat).size(), 3u + 14u);
    EXPECT_EQ(Lines(*cat.EncodedLines()), "begin 644 cat.txt|#0V%T|.!0,V|`");
}

TEST_F(MessageParse, DecodersFireTheirEventsPerLine) {
    std::vector<std::string> lines = {"Subject: events",
                                      "Content-Type: multipart/mixed; boundary=b",
                                      "",
                                      "--b",
                                      "Content-Type: application/octet-stream; name=ten.bin",
                                      "Content-Transfer-Encoding: base64",
                                      ""};
    for (int i = 0; i < 10; ++i)
        lines.push_back("AAAA");
    lines.push_back("--b--");
    mail->SetProgressStep(20);
    TZylMessage* message = mail->ParseMessage(MailText(lines));
    EXPECT_EQ(Join(log), "DecodeStart ten.bin 10|DecodeEnd|AfterRetrieve");
    EXPECT_EQ(decodeProgress, (std::vector<vcl::Word>{20, 40, 60, 80, 100}));
    EXPECT_EQ(StreamText(*message->Attachments()->GeTZylAttachment(0)), std::string(30, '\0'));

    // The public decoders work on an attachment's own lines.
    TZylAttachment* attachment = message->Attachments()->GeTZylAttachment(0);
    auto encoded = std::make_unique<vcl::TStringList>();
    encoded->Add("Zm9v YmFy\tYg");  // blanks skipped, no fill at the end
    attachment->SetEncodedLines(std::move(encoded));
    mail->Base64Decode(attachment);
    EXPECT_EQ(StreamText(*attachment), "foobarb");
    encoded = std::make_unique<vcl::TStringList>();
    encoded->Add("begin 600 x");
    encoded->Add("#0V%T");
    encoded->Add("#0V{T");
    attachment->SetEncodedLines(std::move(encoded));
    EXPECT_THROW(mail->UUDecode(attachment), EZylMessageFormatError);
    EXPECT_EQ(StreamText(*attachment), "Cat") << "what came before the bad line is kept";
}

TEST_F(MessageParse, SaveToFileWritesTheBytesAndRefusesNamesThatAreNoFile) {
    TZylMessage* message =
        mail->ParseMessage(Multipart("save", {{"Content-Type: application/octet-stream; name=x.bin",
                                               "Content-Transfer-Encoding: base64", "", "AP8A/w=="}}));
    TZylAttachment* attachment = message->Attachments()->GeTZylAttachment(0);
    std::string path = temp.File(attachment->FileName());
    attachment->SaveToFile(path);
    EXPECT_EQ(zyltest::ReadTextFile(path), std::string("\0\xFF\0\xFF", 4));
    for (const char* name : {"", ".", ".."}) {
        exceptions.clear();
        attachment->SaveToFile(name);
        EXPECT_EQ(exceptions.size(), 1u) << name;
    }
    TZylAttachment* empty = static_cast<TZylAttachment*>(message->Attachments()->Add());
    EXPECT_THROW(empty->SaveToFile(path), EZylMailError);
}

}  // namespace message_parse_tests
}  // namespace pop3test
