#include "support/real_peers.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <grp.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

#include "support/tempdir.h"

extern char** environ;

namespace zyltest {

namespace fs = std::filesystem;

namespace {

// Starts a program with its standard output thrown away; 0 when it could not be started.
pid_t SpawnQuietly(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const auto& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int result = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return result == 0 ? pid : 0;
}

// Lets the servers' own users pass through the test's private folders.
void OpenForServers(const fs::path& folder) {
    std::error_code ignored;
    fs::permissions(folder, fs::perms::others_exec | fs::perms::group_exec, fs::perm_options::add, ignored);
}

// Whether the process is gone or only a zombie (a daemon reparented to an init that never reaps).
bool ProcessEnded(pid_t pid) {
    if (kill(pid, 0) != 0) return true;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    size_t close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'Z';
}

}  // namespace

int FreeLoopbackPort() {
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

bool LoopbackAccepting(int port) {
    int handle = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool ok = connect(handle, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(handle);
    return ok;
}

bool WaitUntilAccepting(int port, int milliseconds) {
    for (int waited = 0; waited < milliseconds; waited += 10) {
        if (LoopbackAccepting(port)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return LoopbackAccepting(port);
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

std::string FromHex(std::string_view hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
    return bytes;
}

std::string FindProgram(std::initializer_list<const char*> paths) {
    for (const char* path : paths)
        if (access(path, X_OK) == 0) return path;
    return {};
}

// ---------------------------------------------------------------------------------------------
// SmtpSink

SmtpSink::SmtpSink(const fs::path& folder, std::vector<std::string> extraArguments) {
    std::string sink =
        FindProgram({"/usr/sbin/smtp-sink", "/usr/bin/smtp-sink", "/usr/lib/postfix/sbin/smtp-sink"});
    if (sink.empty()) {
        error_ = "smtp-sink is not installed (Debian package postfix)";
        return;
    }
    spool_ = folder / "spool";
    fs::create_directories(spool_);
    std::vector<std::string> arguments = {sink};
    if (geteuid() == 0) {
        passwd* postfix = getpwnam("postfix");
        if (!postfix) {
            error_ = "smtp-sink needs the postfix user to drop privileges to";
            return;
        }
        if (chown(spool_.c_str(), postfix->pw_uid, postfix->pw_gid) != 0) {
            error_ = "cannot hand the spool to the postfix user";
            return;
        }
        OpenForServers(folder);
        arguments.insert(arguments.end(), {"-u", "postfix"});
    }
    port_ = FreeLoopbackPort();
    arguments.insert(arguments.end(), {"-d", (spool_ / "%M.").string()});
    arguments.insert(arguments.end(), extraArguments.begin(), extraArguments.end());
    arguments.insert(arguments.end(), {"-c", "127.0.0.1:" + std::to_string(port_), "10"});
    pid_ = SpawnQuietly(arguments);
    if (pid_ == 0 || !WaitUntilAccepting(port_, 5000)) error_ = "smtp-sink did not start";
}

SmtpSink::~SmtpSink() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

std::string SmtpSink::WaitForMessage(int milliseconds) const {
    for (int waited = 0; waited <= milliseconds; waited += 10) {
        std::error_code ignored;
        for (const auto& entry : fs::directory_iterator(spool_, ignored))
            if (entry.is_regular_file() && entry.file_size() > 0) return entry.path().string();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return {};
}

// ---------------------------------------------------------------------------------------------
// DovecotPop3

DovecotPop3::DovecotPop3(const fs::path& folder, const Options& options) {
    std::string dovecot = FindProgram({"/usr/sbin/dovecot", "/usr/bin/dovecot"});
    if (dovecot.empty() || !fs::exists("/usr/lib/dovecot/pop3")) {
        error_ = "Dovecot's POP3 server is not installed (Debian packages dovecot-core, dovecot-pop3d)";
        return;
    }
    asRoot_ = geteuid() == 0;
    root_ = folder / "dovecot";
    maildir_ = root_ / "mail" / kUser / "Maildir";
    for (const char* sub : {"new", "cur", "tmp"})
        fs::create_directories(maildir_ / sub);
    fs::create_directories(root_ / "run");
    fs::create_directories(root_ / "state");
    OpenForServers(folder);
    OpenForServers(root_);
    WriteTextFile(root_ / "users", std::string(kUser) + ":{PLAIN}" + kPassword + "\n");
    fs::permissions(root_ / "users", fs::perms::others_read, fs::perm_options::add);

    // As root the mail belongs to nobody; otherwise every process runs as the calling user.
    std::string userName = "nobody", groupName = "nogroup", extra;
    if (asRoot_) {
        if (!getpwnam("nobody") || !getgrnam("nogroup")) {
            error_ = "the users nobody and nogroup are missing";
            return;
        }
        passwd* nobody = getpwnam("nobody");
        for (const auto& entry : fs::recursive_directory_iterator(root_ / "mail"))
            [[maybe_unused]] int changed = chown(entry.path().c_str(), nobody->pw_uid, nobody->pw_gid);
        [[maybe_unused]] int changed = chown((root_ / "mail").c_str(), nobody->pw_uid, nobody->pw_gid);
    } else {
        passwd* self = getpwuid(geteuid());
        struct group* own = getgrgid(getegid());
        if (!self || !own) {
            error_ = "cannot name the calling user";
            return;
        }
        userName = self->pw_name;
        groupName = own->gr_name;
        extra = "default_login_user = " + userName + "\ndefault_internal_user = " + userName +
                "\ndefault_internal_group = " + groupName +
                "\nservice anvil {\n  chroot =\n}\nservice pop3-login {\n  chroot =\n}\n" +
                (options.relayPort ? "service submission-login {\n  chroot =\n}\n" : "");
    }
    port_ = FreeLoopbackPort();
    std::string tls = "ssl = no\nauth_mechanisms = plain\n", listeners, protocols = "pop3";
    if (options.tls) {
        if (options.relayPort && !fs::exists("/usr/lib/dovecot/submission")) {
            error_ = "Dovecot's submission server is not installed (Debian package dovecot-submissiond)";
            return;
        }
        const std::string made = RunCommand(
            "openssl req -x509 -newkey rsa:2048 -nodes -keyout '" + (root_ / "key.pem").string() +
            "' -out '" + (root_ / "cert.pem").string() +
            "' -days 30 -subj /CN=localhost -addext subjectAltName=DNS:localhost 2>&1 && echo made");
        if (made.find("made") == std::string::npos) {
            error_ = "openssl could not make a certificate: " + made;
            return;
        }
        fs::permissions(root_ / "key.pem", fs::perms::others_read, fs::perm_options::add);
        tls = "ssl = yes\nssl_cert = <" + (root_ / "cert.pem").string() + "\nssl_key = <" +
              (root_ / "key.pem").string() +
              "\nssl_dh = </usr/share/dovecot/dh.pem\nauth_mechanisms = plain login cram-md5 apop\n";
        pop3sPort_ = FreeLoopbackPort();
        listeners =
            "  inet_listener pop3s {\n    address = 127.0.0.1\n    port = " + std::to_string(pop3sPort_) +
            "\n    ssl = yes\n  }\n";
    }
    std::string submission;
    if (options.tls && options.relayPort) {
        protocols += " submission";
        submissionPort_ = FreeLoopbackPort();
        submissionsPort_ = FreeLoopbackPort();
        submission = "hostname = localhost\nsubmission_relay_host = 127.0.0.1\nsubmission_relay_port = " +
                     std::to_string(options.relayPort) +
                     "\nsubmission_relay_ssl = no\nsubmission_relay_trusted = no\n"
                     "service submission-login {\n  inet_listener submission {\n    address = 127.0.0.1\n"
                     "    port = " +
                     std::to_string(submissionPort_) +
                     "\n  }\n  inet_listener submissions {\n    address = 127.0.0.1\n    port = " +
                     std::to_string(submissionsPort_) + "\n    ssl = yes\n  }\n}\n";
    }
    const std::string r = root_.string();
    WriteTextFile(root_ / "dovecot.conf",
                  "base_dir = " + r +
                      "/run\n"
                      "state_dir = " +
                      r +
                      "/state\n"
                      "instance_name = zyl-pop3-" +
                      std::to_string(port_) +
                      "\n"
                      "log_path = " +
                      r +
                      "/dovecot.log\n"
                      "protocols = " +
                      protocols +
                      "\n"
                      "listen = 127.0.0.1\n" +
                      tls +
                      "disable_plaintext_auth = no\n"
                      "auth_failure_delay = 0\n"
                      "pop3_uidl_format = %08Xu%08Xv\n"
                      "passdb {\n  driver = passwd-file\n  args = scheme=PLAIN username_format=%u " +
                      r +
                      "/users\n}\n"
                      "userdb {\n  driver = static\n  args = uid=" +
                      userName + " gid=" + groupName + " home=" + r +
                      "/mail/%u\n}\n"
                      "mail_location = maildir:" +
                      r +
                      "/mail/%u/Maildir\n"
                      "service pop3-login {\n  inet_listener pop3 {\n    address = 127.0.0.1\n    port = " +
                      std::to_string(port_) + "\n  }\n" + listeners + "}\n" + submission + extra);
    // Dovecot puts itself in the background; the process started here ends at once.
    pid_t starter = SpawnQuietly({dovecot, "-c", (root_ / "dovecot.conf").string()});
    int status = 0;
    if (starter == 0 || waitpid(starter, &status, 0) != starter || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        error_ = "dovecot did not start: " + Log();
        return;
    }
    for (int port : {port_, pop3sPort_, submissionPort_, submissionsPort_})
        if (port && !WaitUntilAccepting(port, 5000)) error_ = "dovecot does not listen: " + Log();
}

DovecotPop3::~DovecotPop3() {
    std::ifstream pidFile(root_ / "run" / "master.pid");
    pid_t master = 0;
    if (!(pidFile >> master) || master <= 0) return;
    kill(master, SIGTERM);
    for (int waited = 0; waited < 5000 && !ProcessEnded(master); waited += 10)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

void DovecotPop3::Deliver(std::string_view text) {
    char name[64];
    std::snprintf(name, sizeof name, "1700000000.M%06dP%d.localhost", ++delivered_,
                  static_cast<int>(getpid()));
    fs::path staged = maildir_ / "tmp" / name;
    WriteTextFile(staged, text);
    if (asRoot_)
        if (passwd* nobody = getpwnam("nobody")) [[maybe_unused]]
            int changed = chown(staged.c_str(), nobody->pw_uid, nobody->pw_gid);
    fs::rename(staged, maildir_ / "new" / name);
}

size_t DovecotPop3::MailboxSize() const {
    size_t count = 0;
    std::error_code ignored;
    for (const char* sub : {"new", "cur"})
        for (const auto& entry : fs::directory_iterator(maildir_ / sub, ignored))
            count += entry.is_regular_file() ? 1 : 0;
    return count;
}

std::string DovecotPop3::Log() const {
    return ReadTextFile(root_ / "dovecot.log");
}

}  // namespace zyltest
