#include <gtest/gtest.h>

#include "mail_fixture.h"

namespace mailtest {
namespace {

using Dialogue = MailTest;

std::string Helo() {
    return "HELO " + vcl::TCustomWinSocket().LocalHost();
}

TEST_F(Dialogue, OneMessageGoesOutInOrderWithItsEvents) {
    AddMessage("bob@example.org, carl@example.net");
    ASSERT_TRUE(mail->Execute());
    EXPECT_EQ(Join(peer.Commands()), Helo() +
                                         "|MAIL FROM:<ann@example.com>|RCPT TO:<bob@example.org>|RCPT "
                                         "TO:<carl@example.net>|DATA|QUIT");
    EXPECT_EQ(Join(log),
              "Execute|Connect TClientSocket|BeforeSend|SuccessSend|AfterSend|Disconnect TClientSocket");
    EXPECT_TRUE(exceptions.empty());
    EXPECT_FALSE(mail->Busy());
    EXPECT_EQ(mail->Socket(), nullptr);
}

TEST_F(Dialogue, RecipientsAreTrimmedAndKeepTheirOrder) {
    AddMessage("  zed@example.org ,  amy@example.org,max@example.org   ");
    ASSERT_TRUE(mail->Execute());
    auto commands = peer.Commands();
    ASSERT_EQ(commands.size(), 7u);
    EXPECT_EQ(commands[2], "RCPT TO:<zed@example.org>");
    EXPECT_EQ(commands[3], "RCPT TO:<amy@example.org>");
    EXPECT_EQ(commands[4], "RCPT TO:<max@example.org>");
}

TEST_F(Dialogue, TrailingCommaSendsAnEmptyRecipientWhoseRefusalStopsTheMessage) {
    peer.SetReply("RCPT", "501 5.1.3 Bad recipient address syntax\r\n", 1);
    AddMessage("bob@example.org,");
    EXPECT_TRUE(mail->Execute());
    EXPECT_EQ(Join(peer.Commands()),
              Helo() + "|MAIL FROM:<ann@example.com>|RCPT TO:<bob@example.org>|RCPT TO:<>");
    EXPECT_EQ(Join(Errors()), "Error mail 501 5.1.3 Bad recipient address syntax");
    EXPECT_EQ(std::count(log.begin(), log.end(), "SuccessSend"), 0);
}

TEST_F(Dialogue, EmptyCollectionStillConnectsGreetsAndQuits) {
    ASSERT_TRUE(mail->Execute());
    EXPECT_EQ(Join(peer.Commands()), Helo() + "|QUIT");
    EXPECT_EQ(Join(log), "Execute|Connect TClientSocket|Disconnect TClientSocket");
}

TEST_F(Dialogue, Greeting421IsReportedAndNoHeloFollows) {
    peer.SetReply("CONNECT", "421 4.3.2 Service not available\r\n");
    EXPECT_TRUE(mail->Execute());
    EXPECT_TRUE(peer.Commands().empty());
    EXPECT_EQ(Join(Errors()), "Error mail 421 4.3.2 Service not available");
}

TEST_F(Dialogue, RepliesOfSeveralLinesAreWholeWhetherInOneReadOrInPieces) {
    struct Case {
        const char* greeting;
        const char* heloReply;
        size_t pieceSize;
    } cases[] = {
        {"220-first line\r\n220 second line\r\n", "250 ok\r\n", 0},
        {"220-one\r\n220-two\r\n220-three\r\n220 four\r\n", "250-a\r\n250-b\r\n250 c\r\n", 0},
        {"220-one\r\n220 two\r\n", "250-a\r\n250-b\r\n250 c\r\n", 1},
        {"220-bare line ends\n220 tolerated\n", "250-x\n250\n", 3},
        {"220 ready\r\n", "250-STARTTLS\r\n250\r\n", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.greeting);
        zyltest::SmtpPeer server;
        server.SetReply("CONNECT", c.greeting);
        server.SetReply("HELO", c.heloReply);
        server.SetPieceSize(c.pieceSize);
        mail->SetPort(server.PortText());
        log.clear();
        EXPECT_TRUE(mail->Execute());
        EXPECT_EQ(Join(server.Commands()), Helo() + "|QUIT");
        EXPECT_TRUE(Errors().empty()) << Join(log);
    }
}

TEST_F(Dialogue, BytesBeyondAReplyAreKeptForTheNext) {
    // The greeting brings a second reply with it; it answers HELO before the peer's own reply.
    peer.SetReply("CONNECT", "220 ready\r\n421 4.7.0 Too busy, closing\r\n");
    AddMessage();
    EXPECT_FALSE(mail->Execute());
    EXPECT_EQ(Join(Errors()), "Error mail 421 4.7.0 Too busy, closing");
    ASSERT_EQ(exceptions.size(), 1u);
    EXPECT_EQ(exceptions[0], "Not Connected");
}

TEST_F(Dialogue, ARefusalAtEachStepIsReportedAndNothingMoreIsSent) {
    struct Case {
        const char* verb;
        const char* reply;
        const char* lastCommand;
        bool result;
    } cases[] = {
        {"HELO", "501 5.5.4 Syntax: HELO hostname\r\n", "HELO", false},
        {"MAIL", "553 5.7.1 Sender address rejected\r\n", "MAIL FROM:<ann@example.com>", true},
        {"RCPT", "550 5.1.1 User unknown\r\n", "RCPT TO:<bob@example.org>", true},
        {"DATA", "554 5.5.1 No valid recipients\r\n", "DATA", true},
        {".", "552 5.3.4 Message too big\r\n", "DATA", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.verb);
        zyltest::SmtpPeer server;
        server.SetReply(c.verb, c.reply);
        mail->SetPort(server.PortText());
        mail->Messages()->Clear();
        AddMessage();
        log.clear();
        exceptions.clear();
        EXPECT_EQ(mail->Execute(), c.result);
        auto commands = server.Commands();
        ASSERT_FALSE(commands.empty());
        EXPECT_EQ(commands.back().substr(0, std::string(c.lastCommand).size()), c.lastCommand);
        std::string reply = c.reply;
        EXPECT_EQ(Join(Errors()),
                  "Error mail " + reply.substr(0, 3) + " " + reply.substr(4, reply.size() - 6));
        EXPECT_EQ(std::count(log.begin(), log.end(), "SuccessSend"), 0);
        EXPECT_EQ(std::count(log.begin(), log.end(), "AfterSend"), 0);
        EXPECT_EQ(exceptions.size(), c.result ? 0u : 1u);
    }
}

TEST_F(Dialogue, ARefusedMessageLeavesTheLaterOnesNotConnected) {
    peer.SetReply("MAIL", "550 no\r\n", 0);
    AddMessage();
    AddMessage();
    EXPECT_FALSE(mail->Execute());
    ASSERT_EQ(exceptions.size(), 1u);
    EXPECT_EQ(exceptions[0], "Not Connected");
    EXPECT_EQ(peer.Connections(), 1);
}

TEST_F(Dialogue, Answer251ToRcptIsSuccess) {
    peer.SetReply("RCPT", "251 2.1.5 User not local; will forward\r\n");
    AddMessage();
    EXPECT_TRUE(mail->Execute());
    EXPECT_EQ(std::count(log.begin(), log.end(), "SuccessSend"), 1);
    EXPECT_TRUE(Errors().empty());
}

TEST_F(Dialogue, QuitNotAnswered221IsReported) {
    peer.SetReply("QUIT", "500 5.5.2 What?\r\n");
    EXPECT_TRUE(mail->Execute());
    EXPECT_EQ(Join(Errors()), "Error mail 500 5.5.2 What?");
}

TEST_F(Dialogue, MissingAddressesRaiseBeforeAnyEnvelope) {
    struct Case {
        const char* from;
        const char* to;
        const char* message;
    } cases[] = {
        {"", "bob@example.org", "\"FromMail\" is not specified"},
        {"ann@example.com", "", "\"SendTo\" is not specified"},
    };
    for (const Case& c : cases) {
        zyltest::SmtpPeer server;
        mail->SetPort(server.PortText());
        mail->Messages()->Clear();
        TZylMessage* message = AddMessage(c.to);
        message->SetFromMail(c.from);
        exceptions.clear();
        EXPECT_FALSE(mail->Execute());
        ASSERT_EQ(exceptions.size(), 1u);
        EXPECT_EQ(exceptions[0], c.message);
        EXPECT_EQ(Join(server.Commands()), Helo());
    }
}

TEST_F(Dialogue, MoreThan256RecipientsAreRefusedBeforeTheEnvelope) {
    std::string many;
    for (int i = 0; i < 257; ++i)
        many += "r" + std::to_string(i) + "@example.org,";
    many.pop_back();
    AddMessage(many);
    EXPECT_FALSE(mail->Execute());
    EXPECT_EQ(Join(peer.Commands()), Helo());
    ASSERT_EQ(exceptions.size(), 1u);
}

TEST_F(Dialogue, PortThatIsNotANumberEndsTheRunWithTheConversionError) {
    mail->SetPort("smtp");
    EXPECT_FALSE(mail->Execute());
    ASSERT_EQ(exceptions.size(), 1u);
    EXPECT_EQ(exceptions[0], "'smtp' is not a valid integer value");
    EXPECT_FALSE(mail->Busy());
}

// ---------------------------------------------------------------------------------------------
// Faults of the connection

TEST_F(Dialogue, PeerClosingEndsTheRunAsAConnectionError) {
    const char* verbs[] = {"CONNECT", "HELO", "MAIL", "RCPT", "DATA", ".", "QUIT"};
    for (const char* verb : verbs) {
        SCOPED_TRACE(verb);
        zyltest::SmtpPeer server;
        server.CloseAt(verb);
        mail->SetPort(server.PortText());
        mail->Messages()->Clear();
        AddMessage();
        log.clear();
        exceptions.clear();
        EXPECT_FALSE(mail->Execute());
        EXPECT_EQ(Join(Errors()),
                  "Error TClientSocket 10054 An existing connection was forcibly closed by the "
                  "remote host");
        ASSERT_EQ(exceptions.size(), 1u);
        EXPECT_NE(exceptions[0].find("(10054), on API 'recv'"), std::string::npos) << exceptions[0];
        EXPECT_FALSE(mail->Busy());
    }
}

TEST_F(Dialogue, StalledServerTimesOutAtEveryStep) {
    TZylSMTPTimeouts limits;
    limits.Greeting = limits.Helo = limits.MailFrom = limits.RcptTo = limits.DataStart = limits.DataEnd =
        limits.Quit = 30;
    mail->SetTimeouts(limits);
    const char* verbs[] = {"CONNECT", "HELO", "MAIL", "RCPT", "DATA", ".", "QUIT"};
    for (const char* verb : verbs) {
        SCOPED_TRACE(verb);
        zyltest::SmtpPeer server;
        server.StallAt(verb);
        mail->SetPort(server.PortText());
        mail->Messages()->Clear();
        AddMessage();
        log.clear();
        exceptions.clear();
        EXPECT_FALSE(mail->Execute());
        EXPECT_EQ(Join(Errors()), "Error TClientSocket 10060 The connection attempt timed out");
        ASSERT_EQ(exceptions.size(), 1u);
    }
}

TEST_F(Dialogue, RefusedConnectionReportsTheSocketErrorNotAStaleReplyCode) {
    AddMessage();
    ASSERT_TRUE(mail->Execute());  // leaves "221" as the last reply
    int closedPort;
    {
        zyltest::SmtpPeer gone;
        closedPort = gone.Port();
    }
    mail->SetPort(std::to_string(closedPort));
    log.clear();
    EXPECT_FALSE(mail->Execute());
    EXPECT_EQ(Join(Errors()),
              "Error TClientSocket 10061 No connection could be made because the target machine "
              "actively refused it");
    ASSERT_EQ(exceptions.size(), 1u);
    EXPECT_NE(exceptions[0].find("(10061), on API 'connect'"), std::string::npos);
}

TEST_F(Dialogue, OverlongReplyIsAConnectionErrorNotAnEndlessRead) {
    peer.SetReply("CONNECT", "220 " + std::string(100'000, 'x') + "\r\n");
    EXPECT_FALSE(mail->Execute());
    EXPECT_EQ(Join(Errors()),
              "Error TClientSocket 10040 A message sent on a datagram socket was larger than the "
              "internal message buffer");
}

TEST_F(Dialogue, EndlessContinuationLinesAreBounded) {
    std::string reply;
    for (int i = 0; i < 1000; ++i)
        reply += "220-more\r\n";
    peer.SetReply("CONNECT", reply);
    EXPECT_FALSE(mail->Execute());
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_NE(Errors()[0].find("10040"), std::string::npos);
}

// ---------------------------------------------------------------------------------------------
// Progress and pacing

TEST_F(Dialogue, SendProgressCountsComposedLines) {
    // Nine header lines, an empty line and two empty lines below the text: 188 text lines make 200.
    struct Case {
        int textLines;
        vcl::Byte step;
        std::vector<vcl::Word> expected;
    } cases[] = {
        {188, 10, {10, 20, 30, 40, 50, 60, 70, 80, 90, 100}},
        {188, 100, {100}},
        {0, 100, {100}},
        {1, 50, {54, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.textLines);
        zyltest::SmtpPeer server;
        mail->SetPort(server.PortText());
        mail->Messages()->Clear();
        std::vector<std::string> text;
        for (int i = 0; i < c.textLines; ++i)
            text.push_back("line " + std::to_string(i));
        AddMessage("bob@example.org", text);
        mail->SetProgressStep(c.step);
        progress.clear();
        ASSERT_TRUE(mail->Execute());
        EXPECT_EQ(progress, c.expected);
        ASSERT_EQ(server.Messages().size(), 1u);
        EXPECT_EQ(DataLines(server.Messages()[0]).size(), static_cast<size_t>(c.textLines) + 13);
    }
}

TEST_F(Dialogue, EveryLineWaitsLineDelayOnTheClock) {
    AddMessage("bob@example.org", {"one", "two", "three"});
    mail->SetLineDelay(40);
    win32::DWORD before = win32::GetTickCount();
    ASSERT_TRUE(mail->Execute());
    EXPECT_EQ(win32::GetTickCount() - before, 40u * 15u);  // 9 header lines, 1 empty, 3 text, 2 empty
    mail->SetLineDelay(0);
    before = win32::GetTickCount();
    ASSERT_TRUE(mail->Execute());
    EXPECT_EQ(win32::GetTickCount() - before, 0u);
}

TEST_F(Dialogue, ProgressStepAndLineDelayRefuseValuesOutOfRange) {
    EXPECT_THROW(mail->SetProgressStep(0), vcl::ERangeError);
    EXPECT_THROW(mail->SetProgressStep(101), vcl::ERangeError);
    EXPECT_THROW(mail->SetLineDelay(-1), vcl::ERangeError);
    EXPECT_EQ(mail->ProgressStep(), 1);
    EXPECT_EQ(mail->LineDelay(), 0);
}

}  // namespace
}  // namespace mailtest
