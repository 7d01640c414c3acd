#include <gtest/gtest.h>

#include "mail_fixture.h"
#include "win32/user.h"

namespace mailtest {
namespace {

using Reentrancy = MailTest;

// Frees the component from inside the named event; the run must end without touching it again.
TEST_F(Reentrancy, HandlerThatFreesTheComponentEndsTheRunSafely) {
    const char* events[] = {"OnExecute",     "OnConnect",        "OnBeforeSend", "OnSendProgress",
                            "OnEncodeStart", "OnEncodeProgress", "OnEncodeEnd",  "OnSuccessSend",
                            "OnAfterSend",   "OnDisconnect",     "OnError"};
    for (const char* event : events) {
        SCOPED_TRACE(event);
        zyltest::SmtpPeer server;
        server.SetReply("QUIT", "500 refused\r\n");  // gives OnError a reason to fire
        auto* doomed = new TZylSMTPMail(nullptr);
        doomed->SetHost("127.0.0.1");
        doomed->SetPort(server.PortText());
        doomed->SetLineDelay(0);
        TZylMessage* message = doomed->Messages()->Add();
        message->SetFromMail("ann@example.com");
        message->SetSendTo("bob@example.org");
        message->Message()->Add("text");
        message->Attachments()->Add(WriteFile("a.bin", std::string(3000, 'a')));
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
        if (name == "OnBeforeSend") doomed->OnBeforeSend = destroy;
        if (name == "OnSendProgress")
            doomed->OnSendProgress = [&](vcl::TObject* s, vcl::Word) { destroy(s); };
        if (name == "OnEncodeStart")
            doomed->OnEncodeStart = [&](vcl::TObject* s, const std::string&, vcl::Integer) { destroy(s); };
        if (name == "OnEncodeProgress")
            doomed->OnEncodeProgress = [&](vcl::TObject* s, vcl::Word) { destroy(s); };
        if (name == "OnEncodeEnd") doomed->OnEncodeEnd = destroy;
        if (name == "OnSuccessSend") doomed->OnSuccessSend = destroy;
        if (name == "OnAfterSend") doomed->OnAfterSend = destroy;
        if (name == "OnDisconnect") doomed->OnDisconnect = destroy;
        if (name == "OnError")
            doomed->OnError = [&](vcl::TObject* s, vcl::Integer, const std::string&) { destroy(s); };
        EXPECT_FALSE(doomed->Execute());
        EXPECT_TRUE(freed);
        EXPECT_TRUE(server.WaitIdle(5000));
    }
}

TEST_F(Reentrancy, ExceptionHandlerThatFreesTheComponentEndsTheRunSafely) {
    auto* doomed = new TZylSMTPMail(nullptr);
    doomed->SetPort("not a number");
    SetExceptionHandler([&](vcl::TObject* sender, const std::exception&) {
        EXPECT_EQ(sender, doomed);
        doomed->Free();
    });
    EXPECT_FALSE(doomed->Execute());
}

TEST_F(Reentrancy, NestedExecuteStartsNoSecondRun) {
    AddMessage();
    int nestedResults = 0;
    mail->OnBeforeSend = [&](vcl::TObject*) {
        log.push_back("BeforeSend");
        nestedResults += mail->Execute() ? 1 : 0;
    };
    EXPECT_TRUE(mail->Execute());
    EXPECT_EQ(nestedResults, 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "Execute"), 2);
    EXPECT_EQ(peer.Connections(), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "SuccessSend"), 1);
}

TEST_F(Reentrancy, NestedExecuteFromTheErrorRoutineKeepsTheRunWhole) {
    peer.SetReply("MAIL", "550 no\r\n", 0);
    AddMessage();
    bool nested = false;
    mail->OnError = [&](vcl::TObject*, vcl::Integer error, const std::string&) {
        log.push_back("Error " + std::to_string(error));
        nested = mail->Execute();
    };
    EXPECT_TRUE(mail->Execute());
    EXPECT_TRUE(nested);
    EXPECT_EQ(peer.Connections(), 1);
    EXPECT_FALSE(mail->Busy());
}

TEST_F(Reentrancy, HandlersThatDeleteMessagesDoNotPullThemFromUnderTheSender) {
    AddMessage("first@example.org");
    TZylMessage* second = AddMessage("second@example.org");
    second->Attachments()->Add(WriteFile("b.bin", std::string(5000, 'b')));
    second->Attachments()->Add(WriteFile("c.bin", std::string(10, 'c')));
    AddMessage("third@example.org");
    mail->OnEncodeProgress = [&](vcl::TObject*, vcl::Word) {
        // The message being composed and the one after it go away in the middle of encoding.
        while (mail->Messages()->Count() > 1)
            mail->Messages()->Delete(1);
    };
    mail->OnAfterSend = [&](vcl::TObject*) { log.push_back("AfterSend"); };
    bool result = mail->Execute();
    EXPECT_FALSE(result);  // the message whose second attachment vanished cannot be composed
    ASSERT_EQ(exceptions.size(), 1u);
    EXPECT_EQ(exceptions[0], "An attachment was removed while the message was composed");
    EXPECT_EQ(std::count(log.begin(), log.end(), "AfterSend"), 1);
    EXPECT_EQ(mail->Messages()->Count(), 1);
}

TEST_F(Reentrancy, DeletingTheMessageAfterItsCompositionStillSendsIt) {
    AddMessage("first@example.org");
    AddMessage("second@example.org");
    mail->OnBeforeSend = [&](vcl::TObject*) { mail->Messages()->Delete(0); };
    EXPECT_TRUE(mail->Execute());
    EXPECT_EQ(peer.Messages().size(), 2u);
    EXPECT_EQ(mail->Messages()->Count(), 0);
}

TEST_F(Reentrancy, ClosingTheConnectionFromAHandlerEndsTheRunAsAConnectionError) {
    AddMessage();
    mail->OnBeforeSend = [&](vcl::TObject*) { mail->Socket()->Close(); };
    EXPECT_FALSE(mail->Execute());
    ASSERT_EQ(exceptions.size(), 1u);
    EXPECT_NE(exceptions[0].find("10057"), std::string::npos) << exceptions[0];
}

TEST_F(Reentrancy, WindowMessagesAreDispatchedWhileSending) {
    static int delivered = 0;
    delivered = 0;
    win32::WNDCLASS cls{};
    cls.lpfnWndProc = [](win32::HWND hwnd, win32::UINT message, win32::WPARAM wp,
                         win32::LPARAM lp) -> win32::LRESULT {
        if (message == win32::WM_USER) ++delivered;
        return win32::DefWindowProc(hwnd, message, wp, lp);
    };
    cls.lpszClassName = "MailPumpProbe";
    ASSERT_NE(win32::RegisterClass(&cls), 0);
    win32::HWND window =
        win32::CreateWindowEx(0, "MailPumpProbe", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    AddMessage();
    mail->OnBeforeSend = [&](vcl::TObject*) { win32::PostMessage(window, win32::WM_USER, 0, 0); };
    EXPECT_TRUE(mail->Execute());
    EXPECT_EQ(delivered, 1);
}

}  // namespace
}  // namespace mailtest
