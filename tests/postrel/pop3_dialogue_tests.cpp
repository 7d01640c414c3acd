#include <gtest/gtest.h>

#include <algorithm>

#include "pop3_fixture.h"

namespace pop3test {
namespace pop3_dialogue_tests {

using Pop3Dialogue = Pop3Test;

const std::string kFirst = MailText({"From: \"Ann Example\" <ann@example.com>", "To: bob@example.org",
                                     "Subject: First", "", "Hello Bob,", "see you."});
const std::string kSecond = MailText({"From: carl@example.net", "Subject: Second", "", "Short."});

TEST_F(Pop3Dialogue, OneRunLogsInRetrievesEveryMessageAndQuits) {
    peer.AddMessage(kFirst);
    peer.AddMessage(kSecond);
    EXPECT_TRUE(mail->Execute());
    EXPECT_EQ(Join(peer.Commands()), "USER ann|PASS secret|STAT|RETR 1|RETR 2|QUIT");
    EXPECT_EQ(Join(log),
              "Execute|Connect TClientSocket|BeforeRetrieve 1|AfterRetrieve|BeforeRetrieve 2|AfterRetrieve|"
              "Disconnect TClientSocket");
    ASSERT_EQ(mail->Messages()->Count(), 2);
    EXPECT_EQ(Message(0)->Subject(), "First");
    EXPECT_EQ(Message(0)->FromName(), "Ann Example");
    EXPECT_EQ(Message(0)->FromMail(), "ann@example.com");
    EXPECT_EQ(Lines(*Message(0)->Message()), "Hello Bob,|see you.");
    EXPECT_EQ(Message(1)->Subject(), "Second");
    EXPECT_EQ(mail->MessageCount(), 2);
    EXPECT_EQ(mail->SessionState(), TZylMailSessionState::Transaction);
    EXPECT_TRUE(exceptions.empty()) << Join(exceptions);
    EXPECT_FALSE(mail->Busy());
    EXPECT_EQ(mail->Socket(), nullptr);
}

TEST_F(Pop3Dialogue, PublishedPropertiesKeepTheirDefaultsAndRetrievedMessagesAreNotStored) {
    vcl::TComponentPtr<TZylPOPMail> fresh(new TZylPOPMail(nullptr));
    EXPECT_EQ(fresh->Port(), "110");
    EXPECT_FALSE(fresh->DeleteOfServer());
    EXPECT_EQ(fresh->MaxMessageSize(), TZylPOPMail::kDefaultMaxMessageSize);
    const vcl::TPropInfo* messages = TZylPOPMail::StaticClass()->FindProperty("Messages");
    ASSERT_NE(messages, nullptr);
    fresh->Messages()->Add();
    EXPECT_FALSE(messages->IsStored(fresh.get()));
    EXPECT_THROW(fresh->SetMaxMessageSize(0), vcl::ERangeError);
}

TEST_F(Pop3Dialogue, DeleteOfServerDeletesEachRetrievedMessageAndANewConnectionStartsAfresh) {
    peer.AddMessage(kFirst);
    peer.AddMessage(kSecond);
    mail->SetDeleteOfServer(true);
    EXPECT_TRUE(mail->Execute());
    EXPECT_EQ(Join(peer.Commands()), "USER ann|PASS secret|STAT|RETR 1|DELE 1|RETR 2|DELE 2|QUIT");
    EXPECT_EQ(std::count(log.begin(), log.end(), "Delete 1") + std::count(log.begin(), log.end(), "Delete 2"),
              2);
    EXPECT_EQ(Lines(*mail->DeletedMessages()), "1|2");
    // The scripted mailbox keeps its messages, so a second run on a new connection sees them again.
    EXPECT_TRUE(mail->Execute());
    EXPECT_EQ(mail->Messages()->Count(), 4);
    EXPECT_EQ(peer.Deleted(), (std::vector<int>{1, 2, 1, 2}));
}

TEST_F(Pop3Dialogue, EachRefusalIsReportedWithItsCodeAndMakesTheRunFail) {
    struct Case {
        const char* verb;
        const char* commands;
        vcl::Integer code;
        const char* exception;  // what ends the run afterwards, if anything
        bool notice;
    } cases[] = {
        {"CONNECT", "", 2000, "Invalid Operation. User not connected", false},
        {"USER", "USER ann", 2001, "", true},
        {"PASS", "USER ann|PASS secret", 2001, "", true},
        {"STAT", "USER ann|PASS secret|STAT", 2006, "", false},
        {"RETR", "USER ann|PASS secret|STAT|RETR 1", 2004, "Not Connected", false},
        {"DELE", "USER ann|PASS secret|STAT|RETR 1|DELE 1", 2003, "Not Connected", false},
        {"QUIT", "USER ann|PASS secret|STAT|RETR 1|DELE 1|RETR 2|DELE 2|QUIT", 2002, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.verb);
        zyltest::Pop3Peer server;
        server.AddMessage(kFirst);
        server.AddMessage(kSecond);
        server.SetReply(c.verb, "-ERR refused here\r\n");
        Configure(*mail, server);
        mail->SetDeleteOfServer(true);
        log.clear();
        exceptions.clear();
        notices.clear();
        EXPECT_FALSE(mail->Execute());
        EXPECT_EQ(Join(server.Commands()), c.commands);
        EXPECT_EQ(Join(Errors()), "Error mail " + std::to_string(c.code) + " refused here");
        EXPECT_EQ(Join(exceptions), c.exception);
        EXPECT_EQ(notices.size(), c.notice ? 1u : 0u);
        if (c.notice) {
            EXPECT_EQ(notices[0], "Unable to connect");
        }
        EXPECT_FALSE(mail->Connected());
    }
}

TEST_F(Pop3Dialogue, TopGivesTheHeaderLinesAndItsRefusalIsReported) {
    peer.AddMessage(
        MailText({"Subject: One", "Content-Type: multipart/mixed; boundary=b", "", "--b", "", "body"}));
    peer.SetReply("TOP", "-ERR no TOP\r\n", 1);
    mail->Connect();
    ASSERT_TRUE(mail->Login());
    std::string headers;
    ASSERT_TRUE(mail->RetrieveHeaders(1, headers));
    EXPECT_EQ(headers, "Subject: One\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n");
    EXPECT_EQ(mail->ParseHeaders(headers)->Subject(), "One") << "the header of a multipart message alone";
    EXPECT_FALSE(mail->RetrieveHeaders(1, headers));
    EXPECT_EQ(Join(Errors()), "Error mail 2005 no TOP");
    EXPECT_THROW(mail->RetrieveHeaders(1, headers), EZylMailError);
}

TEST_F(Pop3Dialogue, CommandsWithoutAConnectionRaise) {
    std::string headers;
    EXPECT_THROW(mail->RetrieveMessage(1), EZylMailError);
    EXPECT_THROW(mail->DeleteMessage(1), EZylMailError);
    EXPECT_THROW(mail->RetrieveHeaders(1, headers), EZylMailError);
    try {
        mail->Login();
        FAIL();
    } catch (const EZylMailError& e) {
        EXPECT_STREQ(e.what(), "Invalid Operation. User not connected");
    }
}

TEST_F(Pop3Dialogue, CredentialsThatWouldEndTheCommandLineAreRefused) {
    mail->SetPassword("secret\r\nDELE 1");
    EXPECT_FALSE(mail->Execute());
    EXPECT_TRUE(peer.Commands().empty()) << Join(peer.Commands());
    ASSERT_EQ(exceptions.size(), 1u);
}

// ---------------------------------------------------------------------------------------------
// Reading

TEST_F(Pop3Dialogue, AnswersSplitAtEveryBytePositionGiveTheSameMessage) {
    const std::string text = MailText({"Subject: Pieces", "", ".starts with a dot", "..", ".", "end"});
    for (size_t piece : {1u, 2u, 3u, 4u, 5u, 7u, 11u}) {
        SCOPED_TRACE(piece);
        zyltest::Pop3Peer server;
        server.AddMessage(text);
        server.SetPieceSize(piece);
        Configure(*mail, server);
        mail->Messages()->Clear();
        ASSERT_TRUE(mail->Execute()) << Join(log);
        ASSERT_EQ(mail->Messages()->Count(), 1);
        EXPECT_EQ(Message(0)->Subject(), "Pieces");
        EXPECT_EQ(Lines(*Message(0)->Message()), ".starts with a dot|..|.|end");
    }
}

TEST_F(Pop3Dialogue, StatusLinesAreReadWholeWhateverTheirLength) {
    peer.SetReply("CONNECT", "+OK " + std::string(3000, 'g') + "\r\n");
    peer.AddMessage(kSecond);
    EXPECT_TRUE(mail->Execute()) << Join(log);
    EXPECT_EQ(mail->Messages()->Count(), 1);

    zyltest::Pop3Peer endless;
    endless.SetReply("CONNECT", "+OK " + std::string(10'000, 'g') + "\r\n");
    Configure(*mail, endless);
    log.clear();
    EXPECT_FALSE(mail->Execute());
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_NE(Errors()[0].find(" 10040 "), std::string::npos) << Errors()[0];
}

TEST_F(Pop3Dialogue, RetrieveProgressClimbsToOneHundredOnceAndNeverBeyond) {
    std::vector<std::string> lines = {"Subject: Progress", ""};
    for (int i = 0; i < 400; ++i)
        lines.push_back("line " + std::to_string(i) + " of the text that makes the message long enough");
    struct Case {
        const char* retrStatus;  // empty: the peer's own, with the size
        size_t piece;
        vcl::Byte step;
    } cases[] = {{"", 4000, 10}, {"", 1000, 1}, {"+OK\r\n", 4000, 10}, {"+OK many octets\r\n", 4000, 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.retrStatus) + std::to_string(c.piece));
        zyltest::Pop3Peer server;
        std::string text = MailText(lines);
        server.AddMessage(text);
        if (*c.retrStatus) server.SetReply("RETR", c.retrStatus + text + ".\r\n");
        server.SetPieceSize(c.piece);
        Configure(*mail, server);
        mail->SetProgressStep(c.step);
        progress.clear();
        ASSERT_TRUE(mail->Execute()) << Join(log);
        ASSERT_FALSE(progress.empty());
        EXPECT_EQ(progress.back(), 100);
        EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
        EXPECT_EQ(std::adjacent_find(progress.begin(), progress.end()), progress.end())
            << "a repeated percentage";
        EXPECT_LE(progress.size(), 100u / c.step + 1);
        EXPECT_EQ(mail->LastRetrievePercent(), 100);
        EXPECT_EQ(Message(0)->Message()->Count(), 400);
    }
}

// ---------------------------------------------------------------------------------------------
// Faults of the connection and of messages

TEST_F(Pop3Dialogue, PeerClosingEndsTheRunAsAConnectionError) {
    struct Case {
        const char* verb;
        const char* partial;
    } cases[] = {{"CONNECT", ""},
                 {"USER", ""},
                 {"PASS", ""},
                 {"STAT", ""},
                 {"RETR", ""},
                 {"RETR", "+OK 200 octets\r\nSubject: cut\r\n\r\nhalf a mess"},
                 {"RETR", "+OK 200 octets\r\nSubject: cut\r\n\r\nall but the end\r\n"},
                 {"DELE", ""},
                 {"QUIT", ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.verb) + " " + c.partial);
        zyltest::Pop3Peer server;
        server.AddMessage(kFirst);
        server.CloseAt(c.verb, -1, c.partial);
        Configure(*mail, server);
        mail->SetDeleteOfServer(true);
        mail->Messages()->Clear();
        log.clear();
        exceptions.clear();
        EXPECT_FALSE(mail->Execute());
        EXPECT_EQ(Join(Errors()),
                  "Error TClientSocket 10054 An existing connection was forcibly closed by the remote host");
        ASSERT_EQ(exceptions.size(), 1u);
        EXPECT_NE(exceptions[0].find("(10054), on API 'recv'"), std::string::npos) << exceptions[0];
        // Nothing cut short is kept, and nothing is deleted that did not arrive whole.
        EXPECT_EQ(mail->Messages()->Count(),
                  std::string(c.verb) == "DELE" || std::string(c.verb) == "QUIT" ? 1 : 0);
        EXPECT_TRUE(server.Deleted().empty() || std::string(c.verb) == "QUIT");
    }
}

TEST_F(Pop3Dialogue, StalledServerTimesOutAtEveryStep) {
    mail->SetTimeout(30);
    for (const char* verb : {"CONNECT", "USER", "PASS", "STAT", "RETR", "QUIT"}) {
        SCOPED_TRACE(verb);
        zyltest::Pop3Peer server;
        server.AddMessage(kFirst);
        server.StallAt(verb, -1, std::string(verb) == "RETR" ? "+OK 99 octets\r\nSubject: slow\r\n" : "");
        Configure(*mail, server);
        mail->SetTimeout(30);
        log.clear();
        exceptions.clear();
        EXPECT_FALSE(mail->Execute());
        EXPECT_EQ(Join(Errors()), "Error TClientSocket 10060 The connection attempt timed out");
        ASSERT_EQ(exceptions.size(), 1u);
    }
}

TEST_F(Pop3Dialogue, MessageOverTheSizeLimitIsPassedOverAndKeptOnTheServer) {
    std::vector<std::string> big = {"Subject: Big", ""};
    for (int i = 0; i < 200; ++i)
        big.push_back("...................................................................." +
                      std::to_string(i));
    peer.AddMessage(MailText(big));
    peer.AddMessage(kSecond);
    // The announced size is within the limit, the text is not: the limit holds for what arrives.
    peer.SetReply("RETR", "+OK 500 octets\r\n" + MailText(big) + ".\r\n", 0);
    mail->SetMaxMessageSize(4000);
    mail->SetDeleteOfServer(true);
    EXPECT_FALSE(mail->Execute());
    EXPECT_EQ(Join(peer.Commands()), "USER ann|PASS secret|STAT|RETR 1|RETR 2|DELE 2|QUIT");
    EXPECT_EQ(Join(Errors()), "Error mail 2007 Message 1 is larger than the limit of 4000 bytes");
    ASSERT_EQ(mail->Messages()->Count(), 1);
    EXPECT_EQ(Message(0)->Subject(), "Second");
    EXPECT_TRUE(exceptions.empty());
}

TEST_F(Pop3Dialogue, AnswerWithoutEndIsBoundedEvenWhenPassedOver) {
    std::string flood = "+OK 10 octets\r\n";
    for (int i = 0; i < 40'000; ++i)
        flood += "an answer that never ends and fills memory unless it is bounded\r\n";
    peer.AddMessage(kFirst);
    peer.StallAt("RETR", -1, flood);
    mail->SetMaxMessageSize(1000);
    EXPECT_FALSE(mail->Execute());
    EXPECT_EQ(mail->Messages()->Count(), 0);
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_NE(Errors()[0].find(" 10040 "), std::string::npos) << Errors()[0];
}

TEST_F(Pop3Dialogue, PoisonMessageIsReportedKeptOnTheServerAndTheRunGoesOn) {
    peer.AddMessage(MailText({"Subject: Poison", "Content-Type: multipart/mixed", "", "no boundary"}));
    peer.AddMessage(kSecond);
    mail->SetDeleteOfServer(true);
    EXPECT_FALSE(mail->Execute());
    EXPECT_EQ(Join(peer.Commands()), "USER ann|PASS secret|STAT|RETR 1|RETR 2|DELE 2|QUIT");
    EXPECT_EQ(Join(Errors()), "Error mail 2008 Message 1: Message Format Error");
    ASSERT_EQ(mail->Messages()->Count(), 1);
    EXPECT_EQ(Message(0)->Subject(), "Second");
    EXPECT_EQ(peer.Deleted(), std::vector<int>{2});
}

// ---------------------------------------------------------------------------------------------
// Handlers during a run

TEST_F(Pop3Dialogue, HandlerThatFreesTheComponentEndsTheRunSafely) {
    const char* events[] = {"OnExecute",     "OnConnect",        "BeforeRetrieve", "OnRetrieveProgress",
                            "OnDecodeStart", "OnDecodeProgress", "OnDecodeEnd",    "AfterRetrieve",
                            "OnDelete",      "OnDisconnect",     "OnError"};
    const std::string withAttachment = MailText(
        {"Subject: A", "Content-Type: multipart/mixed; boundary=b", "", "--b", "Content-Type: text/plain", "",
         "text", "--b", "Content-Type: application/octet-stream; name=x.bin",
         "Content-Transfer-Encoding: base64", "", "AAECAwQF", "--b--"});
    for (const char* event : events) {
        SCOPED_TRACE(event);
        zyltest::Pop3Peer server;
        server.AddMessage(withAttachment);
        server.SetReply("QUIT", "-ERR refused\r\n");  // gives OnError a reason to fire
        auto* doomed = new TZylPOPMail(nullptr);
        Configure(*doomed, server);
        doomed->SetDeleteOfServer(true);
        bool freed = false;
        auto destroy = [&](vcl::TObject*) {
            if (!freed) {
                freed = true;
                doomed->Free();
            }
        };
        std::string name = event;
        if (name == "OnExecute") doomed->OnExecute = destroy;
        if (name == "OnConnect") doomed->OnConnect = destroy;
        if (name == "BeforeRetrieve")
            doomed->BeforeRetrieve = [&](vcl::TObject* s, vcl::Word) { destroy(s); };
        if (name == "OnRetrieveProgress")
            doomed->OnRetrieveProgress = [&](vcl::TObject* s, vcl::Word) { destroy(s); };
        if (name == "OnDecodeStart")
            doomed->OnDecodeStart = [&](vcl::TObject* s, const std::string&, vcl::Integer) { destroy(s); };
        if (name == "OnDecodeProgress")
            doomed->OnDecodeProgress = [&](vcl::TObject* s, vcl::Word) { destroy(s); };
        if (name == "OnDecodeEnd") doomed->OnDecodeEnd = destroy;
        if (name == "AfterRetrieve") doomed->AfterRetrieve = destroy;
        if (name == "OnDelete") doomed->OnDelete = [&](vcl::TObject* s, vcl::Word) { destroy(s); };
        if (name == "OnDisconnect") doomed->OnDisconnect = destroy;
        if (name == "OnError")
            doomed->OnError = [&](vcl::TObject* s, vcl::Integer, const std::string&) { destroy(s); };
        EXPECT_FALSE(doomed->Execute());
        EXPECT_TRUE(freed);
        EXPECT_TRUE(server.WaitIdle(5000));
    }
}

TEST_F(Pop3Dialogue, HandlerThatDeletesTheMessageWhileItIsDecodedKeepsItOnTheServer) {
    peer.AddMessage(MailText({"Subject: A", "Content-Type: multipart/mixed; boundary=b", "", "--b",
                              "Content-Type: application/octet-stream; name=x.bin",
                              "Content-Transfer-Encoding: base64", "", "AAECAwQF", "--b--"}));
    mail->SetDeleteOfServer(true);
    mail->OnDecodeStart = [&](vcl::TObject*, const std::string&, vcl::Integer) { mail->Messages()->Clear(); };
    EXPECT_TRUE(mail->Execute());
    EXPECT_EQ(mail->Messages()->Count(), 0);
    EXPECT_TRUE(peer.Deleted().empty());
}

TEST_F(Pop3Dialogue, NestedExecuteStartsNoSecondRun) {
    peer.AddMessage(kFirst);
    int nested = 0;
    mail->AfterRetrieve = [&](vcl::TObject*) { nested += mail->Execute() ? 1 : 0; };
    EXPECT_TRUE(mail->Execute());
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(peer.Connections(), 1);
    EXPECT_EQ(mail->Messages()->Count(), 1);
}

}  // namespace pop3_dialogue_tests
}  // namespace pop3test
