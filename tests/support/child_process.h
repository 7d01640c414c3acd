// A program started as a second or third process of a test: arguments and environment of its own,
// its standard input and output joined to the test by pipes, and bounded waits for its lines and
// its end, so that a fault in the child fails the test instead of hanging it.
#pragma once

#include <sys/types.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zyltest {

class ChildProcess {
public:
    // Starts `program` with `arguments`; `environment` entries are added to (or replace) the test's
    // own environment. Raises std::runtime_error when the program cannot be started.
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                 const std::map<std::string, std::string>& environment = {});
    // Kills a child still running and reaps it.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t Pid() const { return pid_; }
    // The next line the child wrote (without its line break); nullopt when it ended or was silent
    // for `milliseconds`.
    std::optional<std::string> ReadLine(int milliseconds = 10000);
    // Reads lines until one equals `line`; false when the child ended or `milliseconds` passed.
    bool WaitForLine(const std::string& line, int milliseconds = 10000);
    void WriteLine(const std::string& line);
    // The exit code, -signal for a child ended by a signal, nullopt when it still runs after
    // `milliseconds`.
    std::optional<int> Wait(int milliseconds = 10000);
    void Kill(int signal);

private:
    pid_t pid_ = -1;
    int input_ = -1;   // the child's standard input
    int output_ = -1;  // the child's standard output
    std::string buffered_;
    std::optional<int> exitCode_;
};

}  // namespace zyltest
