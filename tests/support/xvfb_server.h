// A private X server for the live display's tests and benches: Xvfb on a display number it picks
// itself (-displayfd), stopped by its PID when the object ends.
#pragma once

#include <sys/types.h>

#include <string>

namespace zyltest {

class XvfbServer {
public:
    XvfbServer();
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // False only where no X server can run here at all.
    bool Installed() const { return installed_; }
    // Why the server did not start; empty when it runs.
    const std::string& Error() const { return error_; }
    // The display name (":N") to connect to.
    const std::string& Name() const { return name_; }

private:
    bool installed_ = false;
    pid_t pid_ = -1;
    std::string name_;
    std::string error_;
};

}  // namespace zyltest
