// Real servers from Debian's packages on loopback, started for a test in a folder of its own and
// stopped with it: the mail sink of postfix (smtp-sink) and Dovecot's POP3 server. Each reports
// why it could not start, so that a test can skip where the package is missing.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zyltest {

// A port on 127.0.0.1 that nothing listens on at the moment of asking.
int FreeLoopbackPort();
bool LoopbackAccepting(int port);
// Polls until the port accepts, at most the given time: an external server's start, not a test's
// wait.
bool WaitUntilAccepting(int port, int milliseconds);
// What a shell command writes to its standard output.
std::string RunCommand(const std::string& command);
std::string FromHex(std::string_view hex);
// The first of the paths that is an executable file, or empty.
std::string FindProgram(std::initializer_list<const char*> paths);

class SmtpSink {
public:
    // Listens on a free port and stores each message as a file in folder/spool; extra arguments
    // go to smtp-sink (for example {"-r", "RCPT"} to refuse recipients).
    explicit SmtpSink(const std::filesystem::path& folder, std::vector<std::string> extraArguments = {});
    ~SmtpSink();
    SmtpSink(const SmtpSink&) = delete;
    SmtpSink& operator=(const SmtpSink&) = delete;

    // Empty while running; otherwise why the sink could not start.
    const std::string& Error() const { return error_; }
    int Port() const { return port_; }
    // The path of the first message stored whole, or empty when none came within the time.
    std::string WaitForMessage(int milliseconds) const;

private:
    std::filesystem::path spool_;
    std::string error_;
    int port_ = 0;
    pid_t pid_ = 0;
};

class DovecotPop3 {
public:
    static constexpr const char* kUser = "tester";
    static constexpr const char* kPassword = "secret";

    struct Options {
        // TLS with a self-signed certificate for "localhost" (made with openssl): STLS on the POP3
        // port, implicit TLS on the POP3S port, and the APOP and CRAM-MD5 logins besides PLAIN.
        bool tls = false;
        // With TLS: the submission service (STARTTLS and AUTH, and an implicit-TLS port) relaying
        // what it accepts to this SMTP port.
        int relayPort = 0;
    };

    // Configures and starts Dovecot in folder/dovecot (passwd-file user, static userdb, maildir,
    // plain text logins allowed) listening for POP3 on a free port.
    explicit DovecotPop3(const std::filesystem::path& folder) : DovecotPop3(folder, Options{}) {}
    DovecotPop3(const std::filesystem::path& folder, const Options& options);
    ~DovecotPop3();
    DovecotPop3(const DovecotPop3&) = delete;
    DovecotPop3& operator=(const DovecotPop3&) = delete;

    const std::string& Error() const { return error_; }
    int Port() const { return port_; }
    int Pop3sPort() const { return pop3sPort_; }
    int SubmissionPort() const { return submissionPort_; }
    int SubmissionsPort() const { return submissionsPort_; }
    // The server's certificate (PEM), for clients to trust.
    std::string CertificateFile() const { return (root_ / "cert.pem").string(); }
    // Puts a message into the user's mailbox (maildir new/), in the order of calls.
    void Deliver(std::string_view text);
    // The messages the mailbox holds.
    size_t MailboxSize() const;
    // The server's log, for a failing test to show.
    std::string Log() const;

private:
    std::filesystem::path root_;
    std::filesystem::path maildir_;
    std::string error_;
    int port_ = 0;
    int pop3sPort_ = 0;
    int submissionPort_ = 0;
    int submissionsPort_ = 0;
    int delivered_ = 0;
    bool asRoot_ = false;
};

}  // namespace zyltest
