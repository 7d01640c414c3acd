#include "support/xvfb_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zyltest {

XvfbServer::XvfbServer() {
    std::string program;
    for (const char* candidate : {"/usr/bin/Xvfb", "/usr/local/bin/Xvfb"})
        if (access(candidate, X_OK) == 0) {
            program = candidate;
            break;
        }
    if (program.empty()) return;
    installed_ = true;
    int fds[2];
    if (pipe(fds) != 0) {
        error_ = "pipe failed";
        return;
    }
    pid_ = fork();
    if (pid_ == 0) {
        setsid();
        const int devnull = open("/dev/null", O_RDWR);
        dup2(devnull, 0);
        dup2(devnull, 1);
        dup2(devnull, 2);
        // The server keeps no descriptor of ours (a lock held by a build, say) past our end.
        dup2(fds[1], 3);
        close_range(4, ~0U, 0);
        execl(program.c_str(), "Xvfb", "-displayfd", "3", "-screen", "0", "1024x768x24", "-dpi", "96",
              "-nolisten", "tcp", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    pollfd wait{fds[0], POLLIN, 0};
    char c = 0;
    while (poll(&wait, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(fds[0]);
    if (number.empty())
        error_ = "Xvfb did not start";
    else
        name_ = ":" + number;
}

XvfbServer::~XvfbServer() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
}

}  // namespace zyltest
