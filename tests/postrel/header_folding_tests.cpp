// Header lines that quote or grow long, sent to the scripted peer and read back by Python's email
// package.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <map>

#include "mail_fixture.h"
#include "support/real_peers.h"

namespace mailtest {
namespace header_folding_tests {

struct ReadBack {
    std::vector<std::array<std::string, 3>> addresses;  // header, display name, address
    std::map<std::string, std::string> headers;
    std::string text;
};

// What Python's email package reads from the data of the peer's first message.
ReadBack ReadWithPython(const zyltest::SmtpPeer& peer, const zyltest::TempDir& temp) {
    ReadBack result;
    if (peer.Messages().empty()) return result;
    // Undo the dot stuffing of the wire.
    std::string data;
    for (const std::string& line : DataLines(peer.Messages()[0]))
        data += (line.rfind("..", 0) == 0 ? line.substr(1) : line) + "\r\n";
    std::string path = temp.File("sent.eml");
    zyltest::WriteTextFile(path, data);
    std::string script = (std::filesystem::path(__FILE__).parent_path() / "../support/mailread.py").string();
    std::string output = zyltest::RunCommand("python3 '" + script + "' '" + path + "'");
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find('\n', start);
        std::string line = output.substr(start, end - start);
        start = end == std::string::npos ? output.size() : end + 1;
        std::vector<std::string> fields;
        for (size_t at = 2; line.size() > 2;) {
            size_t tab = line.find('\t', at);
            fields.push_back(line.substr(at, tab - at));
            if (tab == std::string::npos) break;
            at = tab + 1;
        }
        if (line[0] == 'R' && fields.size() == 3)
            result.addresses.push_back({fields[0], fields[1], fields[2]});
        if (line[0] == 'H' && fields.size() == 2) result.headers.emplace(fields[0], fields[1]);
        if (line[0] == 'T' && fields.size() == 2) result.text = zyltest::FromHex(fields[1]);
    }
    return result;
}

size_t LongestLine(const std::string& data) {
    size_t longest = 0;
    for (const std::string& line : DataLines(data))
        longest = std::max(longest, line.size());
    return longest;
}

using HeaderFolding = MailTest;

TEST_F(HeaderFolding, QuotesAndBackslashesInADisplayNameCannotAddASender) {
    const std::string names[] = {"Ann\" <evil@example.net>, \"Eve", "Back\\slash \\\" both", "Plain Ann"};
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        zyltest::SmtpPeer server;
        mail->SetPort(server.PortText());
        mail->Messages()->Clear();
        AddMessage()->SetFromName(name);
        ASSERT_TRUE(mail->Execute()) << Join(log);
        ReadBack read = ReadWithPython(server, temp);
        std::vector<std::array<std::string, 3>> senders;
        for (const auto& address : read.addresses)
            if (address[0] == "From") senders.push_back(address);
        ASSERT_EQ(senders.size(), 1u);
        EXPECT_EQ(senders[0][1], name);
        EXPECT_EQ(senders[0][2], "ann@example.com");
    }
}

TEST_F(HeaderFolding, ManyRecipientsAreFoldedBetweenAddressesAndAllArrive) {
    std::string to;
    for (int i = 0; i < 60; ++i)
        to += (i ? ", " : "") + std::string("recipient-") + std::to_string(i) + "@example.org";
    // A list written without blanks after its commas folds as well.
    std::string compact = to;
    compact.erase(std::remove(compact.begin(), compact.end(), ' '), compact.end());
    for (const std::string& sendTo : {to, compact}) {
        SCOPED_TRACE(sendTo.substr(0, 40));
        zyltest::SmtpPeer server;
        mail->SetPort(server.PortText());
        mail->Messages()->Clear();
        AddMessage(sendTo);
        ASSERT_TRUE(mail->Execute()) << Join(log);
        ASSERT_EQ(server.Messages().size(), 1u);
        EXPECT_LE(LongestLine(server.Messages()[0]), 79u);
        ReadBack read = ReadWithPython(server, temp);
        std::vector<std::string> recipients;
        for (const auto& address : read.addresses)
            if (address[0] == "To") recipients.push_back(address[2]);
        ASSERT_EQ(recipients.size(), 60u);
        EXPECT_EQ(recipients.front(), "recipient-0@example.org");
        EXPECT_EQ(recipients.back(), "recipient-59@example.org");
        EXPECT_EQ(server.Commands().size(), 60u + 4u);  // HELO, MAIL, 60 RCPT, DATA, QUIT
    }
}

TEST_F(HeaderFolding, LongSubjectsFoldAtBlanksAndUnfoldToTheSameText) {
    std::string subject;
    for (int i = 0; i < 40; ++i)
        subject += "word" + std::to_string(i) + (i % 3 ? " " : "  ");
    subject += "end";
    TZylMessage* message = AddMessage();
    message->SetSubject(subject);
    ASSERT_TRUE(mail->Execute());
    EXPECT_LE(LongestLine(peer.Messages()[0]), 79u);
    EXPECT_EQ(ReadWithPython(peer, temp).headers["Subject"], subject);

    // A word that no fold can shorten is refused before anything is sent.
    zyltest::SmtpPeer server;
    mail->SetPort(server.PortText());
    message->SetSubject("x " + std::string(1000, 'y'));
    EXPECT_FALSE(mail->Execute());
    ASSERT_EQ(exceptions.size(), 1u);
    EXPECT_NE(exceptions[0].find("\"Subject\""), std::string::npos) << exceptions[0];
    EXPECT_TRUE(server.Messages().empty());
}

TEST_F(HeaderFolding, TextLinesTooLongForTheWireGoOutQuotedPrintable) {
    std::string longLine;
    for (int i = 0; i < 300; ++i)
        longLine +=
            "Gr\xC3\xBC\xC3\x9F"
            "e " +
            std::to_string(i) + " = ";
    AddMessage("bob@example.org", {"short line", longLine, ".dot"});
    ASSERT_TRUE(mail->Execute());
    EXPECT_LE(LongestLine(peer.Messages()[0]), 998u);
    const std::string text = ReadWithPython(peer, temp).text;
    const std::string expected = "short line\r\n" + longLine + "\r\n.dot\r\n";
    EXPECT_EQ(text.substr(0, expected.size()), expected);
    EXPECT_EQ(text.find_first_not_of("\r\n", expected.size()), std::string::npos);
}

}  // namespace header_folding_tests
}  // namespace mailtest
