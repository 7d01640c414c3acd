// A round trip through a real SMTP server (the mail sink of Debian's postfix package), read back by
// an independent MIME parser (Python's email package).
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <thread>

#include "mail_fixture.h"

extern char** environ;

namespace mailtest {
namespace {

namespace fs = std::filesystem;

std::string FindSink() {
    for (const char* path : {"/usr/sbin/smtp-sink", "/usr/bin/smtp-sink", "/usr/lib/postfix/sbin/smtp-sink"})
        if (access(path, X_OK) == 0) return path;
    return {};
}

int FreePort() {
    int handle = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(handle, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(handle, reinterpret_cast<sockaddr*>(&address), &length);
    close(handle);
    return ntohs(address.sin_port);
}

bool Accepting(int port) {
    int handle = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool ok = connect(handle, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(handle);
    return ok;
}

std::string RunCommand(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return output;
    char buffer[65536];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, got);
    pclose(pipe);
    return output;
}

std::string FromHex(const std::string& hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

class RealServer : public MailTest {
protected:
    void SetUp() override {
        MailTest::SetUp();
        sink_ = FindSink();
        if (sink_.empty()) GTEST_SKIP() << "smtp-sink is not installed (Debian package postfix)";
        spool_ = temp.Path() / "spool";
        fs::create_directory(spool_);
        std::vector<std::string> arguments = {sink_};
        if (geteuid() == 0) {
            passwd* postfix = getpwnam("postfix");
            if (!postfix) GTEST_SKIP() << "smtp-sink needs the postfix user to drop privileges to";
            ASSERT_EQ(chown(spool_.c_str(), postfix->pw_uid, postfix->pw_gid), 0);
            // The sink's user must pass through the test's private directory to reach its spool.
            fs::permissions(temp.Path(), fs::perms::others_exec, fs::perm_options::add);
            arguments.insert(arguments.end(), {"-u", "postfix"});
        }
        port_ = FreePort();
        arguments.insert(arguments.end(),
                         {"-d", (spool_ / "%M.").string(), "-c", "127.0.0.1:" + std::to_string(port_), "10"});
        std::vector<char*> argv;
        for (auto& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        ASSERT_EQ(Spawn(argv), 0);
        // The external server needs a moment to listen; this is its start, not a test's wait.
        for (int attempt = 0; attempt < 500 && !Accepting(port_); ++attempt)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_TRUE(Accepting(port_)) << "smtp-sink did not start";
        mail->SetPort(std::to_string(port_));
    }
    void TearDown() override {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        MailTest::TearDown();
    }

    // Starts the sink with its running counter sent to /dev/null.
    int Spawn(std::vector<char*>& argv) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        int result = posix_spawn(&pid_, sink_.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        return result;
    }

    // The one message the sink stored, once it is complete.
    std::string StoredMessage() {
        for (int attempt = 0; attempt < 500; ++attempt) {
            for (const auto& entry : fs::directory_iterator(spool_))
                if (entry.is_regular_file() && entry.file_size() > 0) return entry.path().string();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return {};
    }

    std::string sink_;
    fs::path spool_;
    int port_ = 0;
    pid_t pid_ = 0;
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
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = 0;
    // A second sink that refuses RCPT.
    std::vector<std::string> arguments = {sink_};
    if (geteuid() == 0) arguments.insert(arguments.end(), {"-u", "postfix"});
    arguments.insert(arguments.end(), {"-r", "RCPT", "-c", "127.0.0.1:" + std::to_string(port_), "10"});
    std::vector<char*> argv;
    for (auto& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    ASSERT_EQ(Spawn(argv), 0);
    for (int attempt = 0; attempt < 500 && !Accepting(port_); ++attempt)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
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
