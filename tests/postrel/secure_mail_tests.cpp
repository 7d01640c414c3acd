// Mail over TLS with logins, against Dovecot (POP3 with STLS and POP3S, and its submission service
// with STARTTLS and AUTH relaying to the mail sink), with a certificate made for the test.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>

#include "mail_fixture.h"
#include "postrel/zylmailauth.h"
#include "support/real_peers.h"

namespace mailtest {
namespace secure_mail_tests {

namespace fs = std::filesystem;

// RFC 2195 section 2 and RFC 1939 section 7: the examples the logins are defined with.
TEST(MailLogins, AnswersMatchThePublishedExamples) {
    EXPECT_EQ(CramMd5Response("tim", "tanstaaftanstaaf",
                              "PDE4OTYuNjk3MTcwOTUyQHBvc3RvZmZpY2UucmVzdG9uLm1jaS5uZXQ+"),
              "dGltIGI5MTNhNjAyYzdlZGE3YTQ5NWI0ZTZlNzMzNGQzODkw");
    EXPECT_EQ(CramMd5Response("tim", "tanstaafl", "not base64!"), "");
    EXPECT_EQ(ApopDigest("<1896.697170952@dbc.mtview.ca.us>", "tanstaaf"),
              "c4c9334bac560ecc979e58001b3e22fb");
    EXPECT_EQ(ApopStamp("POP3 server ready <1896.697170952@dbc.mtview.ca.us>"),
              "<1896.697170952@dbc.mtview.ca.us>");
    EXPECT_EQ(ApopStamp("Dovecot ready."), "");
    EXPECT_EQ(ApopStamp("ready <no stamp>"), "");
    // "\0tim\0tanstaafl", as Python's base64 writes it.
    EXPECT_EQ(SaslPlainResponse("tim", "tanstaafl"), "AHRpbQB0YW5zdGFhZmw=");
}

TEST(MailLogins, EhloCapabilitiesAreReadWhateverTheirCase) {
    const auto offered = ParseEhloCapabilities({"250-mail.example.org greets you", "250-PIPELINING",
                                                "250-starttls", "250-AUTH PLAIN login",
                                                "250-AUTH=CRAM-MD5 PLAIN", "250-AUTH", "250 8BITMIME"});
    EXPECT_TRUE(offered.StartTls);
    EXPECT_EQ(offered.AuthMechanisms, (std::vector<std::string>{"PLAIN", "LOGIN", "CRAM-MD5"}));
    // The greeting line names no extension, however it reads.
    const auto plain = ParseEhloCapabilities({"250 STARTTLS AUTH PLAIN"});
    EXPECT_FALSE(plain.StartTls);
    EXPECT_TRUE(plain.AuthMechanisms.empty());
}

class SecureMail : public MailTest {
protected:
    void SetUp() override {
        MailTest::SetUp();
        sink_ = std::make_unique<zyltest::SmtpSink>(temp.Path());
        if (!sink_->Error().empty()) GTEST_SKIP() << sink_->Error();
        dovecot_ = std::make_unique<zyltest::DovecotPop3>(temp.Path(),
                                                          zyltest::DovecotPop3::Options{true, sink_->Port()});
        if (!dovecot_->Error().empty()) GTEST_SKIP() << dovecot_->Error();
        mail->SetHost("localhost");
        mail->SetPort(std::to_string(dovecot_->SubmissionPort()));
        mail->SetSecurity(msStartTLS);
        mail->SetTrustedCertificates(dovecot_->CertificateFile());
        mail->SetUsername(zyltest::DovecotPop3::kUser);
        mail->SetPassword(zyltest::DovecotPop3::kPassword);
        mail->OnBeforeSend = [this](vcl::TObject*) { protocol = mail->TlsProtocol(); };
    }
    void TearDown() override {
        dovecot_.reset();
        sink_.reset();
        MailTest::TearDown();
    }

    // Sends one message; the subject the sink received, read by Python's email package ("" for none).
    bool Send(const std::string& subject) {
        AddMessage()->SetSubject(subject);
        return mail->Execute();
    }
    std::string ReceivedSubject() {
        const std::string stored = sink_->WaitForMessage(5000);
        if (stored.empty()) return {};
        const std::string script = (fs::path(__FILE__).parent_path() / "../support/mailread.py").string();
        const std::string output = zyltest::RunCommand("python3 '" + script + "' '" + stored + "'");
        const size_t at = output.find("H Subject\t");
        if (at == std::string::npos) return {};
        const size_t start = at + 10;
        return output.substr(start, output.find('\n', start) - start);
    }

    std::unique_ptr<zyltest::SmtpSink> sink_;
    std::unique_ptr<zyltest::DovecotPop3> dovecot_;
    std::string protocol;
};

TEST_F(SecureMail, SendsWithEachLoginOverStartTlsAndImplicitTls) {
    struct Case {
        TZylMailSecurity security;
        TZylSMTPAuthMethod method;
        std::string subject;
    };
    std::vector<Case> cases;
    for (TZylMailSecurity security : {msStartTLS, msImplicitTLS})
        for (TZylSMTPAuthMethod method : {samPlain, samLogin, samCramMD5, samAutomatic})
            cases.push_back(
                {security, method,
                 std::string(vcl::EnumName(security)) + " " + std::string(vcl::EnumName(method))});
    for (const Case& run : cases) {
        SCOPED_TRACE(run.subject);
        mail->Messages()->Clear();
        mail->SetSecurity(run.security);
        mail->SetAuthMethod(run.method);
        mail->SetPort(std::to_string(run.security == msImplicitTLS ? dovecot_->SubmissionsPort()
                                                                   : dovecot_->SubmissionPort()));
        protocol.clear();
        ASSERT_TRUE(Send(run.subject)) << Join(log);
        EXPECT_TRUE(Errors().empty()) << Join(log);
        EXPECT_EQ(protocol.rfind("TLSv1.", 0), 0u) << protocol;
        EXPECT_EQ(ReceivedSubject(), run.subject);
        for (const auto& entry : fs::directory_iterator(temp.Path() / "spool"))
            fs::remove(entry.path());
    }
    EXPECT_TRUE(mail->Capabilities().Offers("CRAM-MD5"));
}

TEST_F(SecureMail, AWrongPasswordFailsWithTheServersCode) {
    mail->SetAuthMethod(samPlain);
    mail->SetPassword("wrong");
    EXPECT_FALSE(Send("refused"));
    ASSERT_EQ(Errors().size(), 1u) << Join(log);
    EXPECT_EQ(Errors()[0].rfind("Error mail 535 ", 0), 0u) << Errors()[0];
    EXPECT_TRUE(exceptions.empty()) << "nothing is sent after a refused login";
    EXPECT_EQ(sink_->WaitForMessage(300), "");
}

TEST_F(SecureMail, TlsIsNeverDroppedForClearText) {
    // The sink offers no STARTTLS: asking for it ends the run before any mail goes.
    mail->SetHost("127.0.0.1");
    mail->SetPort(std::to_string(sink_->Port()));
    EXPECT_FALSE(Send("clear"));
    ASSERT_EQ(Errors().size(), 1u) << Join(log);
    EXPECT_NE(Errors()[0].find("does not offer STARTTLS"), std::string::npos) << Errors()[0];
    EXPECT_EQ(sink_->WaitForMessage(300), "");
}

TEST_F(SecureMail, CertificatesAreCheckedForTrustAndName) {
    auto attempt = [&](const std::string& host, const std::string& trusted, bool acceptSelfSigned) {
        log.clear();
        mail->Messages()->Clear();
        mail->SetHost(host);
        mail->SetTrustedCertificates(trusted);
        mail->SetAcceptSelfSigned(acceptSelfSigned);
        const bool sent = Send("checked");
        return sent ? std::string("sent") : Join(Errors());
    };
    // Not in the system's store.
    EXPECT_NE(attempt("localhost", "", false).find("self-signed certificate"), std::string::npos);
    // Trusted, but made for another name than the address connected to.
    EXPECT_NE(attempt("127.0.0.1", dovecot_->CertificateFile(), false).find("mismatch"), std::string::npos);
    EXPECT_NE(attempt("127.0.0.1", "", true).find("mismatch"), std::string::npos);
    EXPECT_EQ(attempt("localhost", "", true), "sent");
    EXPECT_EQ(attempt("localhost", dovecot_->CertificateFile(), false), "sent");
}

// A peer that answers the handshake with clear text, and one that never answers: each run ends
// with an error within its limit.
TEST_F(MailTest, ABrokenOrStalledHandshakeEndsTheRun) {
    mail->SetSecurity(msImplicitTLS);
    TZylSMTPTimeouts limits = mail->Timeouts();
    limits.Greeting = 500;
    mail->SetTimeouts(limits);
    AddMessage();
    EXPECT_FALSE(mail->Execute());
    ASSERT_EQ(Errors().size(), 1u) << Join(log);
    EXPECT_NE(Errors()[0].find("TLS handshake failed"), std::string::npos) << Errors()[0];

    // The kernel completes the connection; nobody ever reads from it.
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener, 1), 0);
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    mail->SetPort(std::to_string(ntohs(address.sin_port)));
    log.clear();
    EXPECT_FALSE(mail->Execute());
    close(listener);
    ASSERT_EQ(Errors().size(), 1u) << Join(log);
    EXPECT_NE(Errors()[0].find("did not answer in time"), std::string::npos) << Errors()[0];
}

class SecurePop3 : public SecureMail {};

TEST_F(SecurePop3, RetrievesOverStlsAndPop3sWithEachLogin) {
    vcl::TComponentPtr<TZylPOPMail> pop(new TZylPOPMail(nullptr));
    std::vector<std::string> errors;
    pop->OnError = [&](vcl::TObject*, vcl::Integer code, const std::string& text) {
        errors.push_back(std::to_string(code) + " " + text);
    };
    pop->SetHost("localhost");
    pop->SetTrustedCertificates(dovecot_->CertificateFile());
    pop->SetUsername(zyltest::DovecotPop3::kUser);
    pop->SetPassword(zyltest::DovecotPop3::kPassword);
    pop->SetDeleteOfServer(true);
    struct Case {
        TZylMailSecurity security;
        TZylPOPAuthMethod method;
        std::string subject;
    };
    std::vector<Case> cases;
    for (TZylMailSecurity security : {msStartTLS, msImplicitTLS})
        for (TZylPOPAuthMethod method : {pamUserPass, pamAPOP, pamSaslPlain})
            cases.push_back(
                {security, method,
                 std::string(vcl::EnumName(security)) + " " + std::string(vcl::EnumName(method))});
    for (const Case& run : cases) {
        SCOPED_TRACE(run.subject);
        dovecot_->Deliver(std::string("From: ann@example.com\r\nSubject: ") + run.subject +
                          "\r\n\r\nHello\r\n");
        pop->Messages()->Clear();
        pop->SetSecurity(run.security);
        pop->SetAuthMethod(run.method);
        pop->SetPort(
            std::to_string(run.security == msImplicitTLS ? dovecot_->Pop3sPort() : dovecot_->Port()));
        EXPECT_TRUE(pop->Execute()) << Join(errors) << dovecot_->Log();
        ASSERT_EQ(pop->Messages()->Count(), 1);
        EXPECT_EQ(pop->Messages()->GetZylMessage(0)->Subject(), run.subject);
    }
    // A wrong password is the server's refusal; a greeting without a stamp cannot do APOP.
    pop->SetPassword("wrong");
    pop->SetAuthMethod(pamUserPass);
    EXPECT_FALSE(pop->Execute());
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors.back().rfind(std::to_string(kPOPErrorLogin), 0), 0u) << errors.back();
}

}  // namespace secure_mail_tests
}  // namespace mailtest
