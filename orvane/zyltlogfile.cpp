#include "orvane/zyltlogfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>

#include "vcl/sysutils.h"
#include "win32/files.h"

namespace orvane {

namespace logfile {

constexpr std::string_view kLineEnd = "\r\n";

// Writes all of `text` with one call where the system allows it; O_APPEND puts it at the end.
bool WriteAll(int fd, const std::string& text) {
    size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = write(fd, text.data() + written, text.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        written += static_cast<size_t>(n);
    }
    return true;
}

std::string Native(const std::string& name) {
    const std::string native = win32::NativePath(name);
    if (native.empty())
        throw vcl::EInOutError("Invalid file name " + name, static_cast<int>(win32::GetLastError()));
    return native;
}

[[noreturn]] void Fail(const std::string& name) {
    const int error = errno;
    throw vcl::EInOutError("Cannot write the log " + name, error);
}

}  // namespace logfile

VCL_DEFINE_CLASS(TZylLogFile, TZylSystemsComponent)

void TZylLogFile::SetLogFile(const std::string& value) {
    if (value != logFile_) created_.clear();
    logFile_ = value;
}

std::string TZylLogFile::LogLine(const std::string& Text) const {
    std::string line;
    if (logSpecial_) line = special_;
    const vcl::TDateTime now = logTime_ || logDate_ ? vcl::Now() : 0;
    if (logTime_) line += " " + vcl::TimeToStr(now);
    if (logDate_) line += " " + vcl::DateToStr(now);
    return line.empty() ? Text : line + " " + Text;
}

void TZylLogFile::Log(const std::string& Text) {
    if (logFile_.empty()) return;
    const std::string native = logfile::Native(logFile_);
    const std::string line = LogLine(Text) + std::string(logfile::kLineEnd);
    int fd = open(native.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    std::string text = line;
    if (fd < 0 && errno == ENOENT) {
        // Made here: the header and the first line go out together.
        fd = open(native.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            created_ = native;
            if (logHeader_) text = header_ + std::string(logfile::kLineEnd) + line;
        } else if (errno == EEXIST) {
            fd = open(native.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);  // another writer made it first
        }
    }
    if (fd < 0) logfile::Fail(logFile_);
    const bool ok = logfile::WriteAll(fd, text);
    if (close(fd) != 0 || !ok) logfile::Fail(logFile_);
}

bool TZylLogFile::MayClear(const std::string& native) const {
    if (native == created_) return true;
    std::ifstream in(native, std::ios::binary);
    std::string first;
    std::getline(in, first);
    if (!first.empty() && first.back() == '\r') first.pop_back();
    return !header_.empty() && first == header_;
}

bool TZylLogFile::ClearLog() {
    if (logFile_.empty()) return false;
    if (OnClear) OnClear(this);
    const std::string native = logfile::Native(logFile_);
    struct stat info {};
    if (stat(native.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || !MayClear(native)) return false;
    const int fd = open(native.c_str(), O_WRONLY | O_TRUNC | O_APPEND | O_CLOEXEC);
    if (fd < 0) logfile::Fail(logFile_);
    const bool ok = !logHeader_ || logfile::WriteAll(fd, header_ + std::string(logfile::kLineEnd));
    if (close(fd) != 0 || !ok) logfile::Fail(logFile_);
    return true;
}

}  // namespace orvane
