#include "orvane/zylttextreplace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "vcl/forms.h"
#include "vcl/sysutils.h"
#include "win32/files.h"

namespace orvane {

namespace textreplace {

std::string Native(const std::string& name) {
    const std::string native = win32::NativePath(name);
    if (native.empty())
        throw vcl::EInOutError("Invalid file name " + name, static_cast<int>(win32::GetLastError()));
    return native;
}

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return std::filesystem::exists(b, error) && std::filesystem::equivalent(a, b, error) && !error;
}

}  // namespace textreplace

struct TZylTextReplace::Run {
    std::ofstream out;
    bool writeLine = true;
};

VCL_DEFINE_CLASS(TZylTextReplace, TZylSystemsComponent)

TZylTextReplace::TZylTextReplace(vcl::TComponent* owner) : TZylSystemsComponent(owner) {}

TZylTextReplace::~TZylTextReplace() = default;

void TZylTextReplace::AddNewString(const std::string& Text) {
    if (run_ && run_->writeLine) run_->out << Text << "\r\n";
}

bool TZylTextReplace::Execute() {
    if (fileTo_.empty() || fileFrom_.empty()) throw Exception("Filename not supplied");
    const std::string from = textreplace::Native(fileFrom_), to = textreplace::Native(fileTo_);
    if (textreplace::SameFile(from, to)) throw Exception("Source and target are the same file: " + fileFrom_);
    std::ifstream in(from, std::ios::binary);
    if (!in) throw vcl::EInOutError("Cannot open " + fileFrom_, ENOENT);

    std::string scratch = to + ".XXXXXX";
    const int fd = mkstemp(scratch.data());
    if (fd < 0) throw vcl::EInOutError("Cannot create " + fileTo_, errno);
    close(fd);
    bool kept = false;
    const vcl::ScopeExit cleanUp([&] {
        if (!kept) unlink(scratch.c_str());
    });
    Run run;
    run.out.open(scratch, std::ios::binary | std::ios::trunc);
    if (!run.out) throw vcl::EInOutError("Cannot create " + fileTo_, errno);
    run_ = &run;
    const vcl::ScopeExit finished([this] { run_ = nullptr; });

    vcl::Integer lineNo = 1;
    bool processed = false;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        run.writeLine = true;
        vcl::Application->ProcessMessages();
        if (useNoOfLines_ && lineNo > noOfLinesOnly_) continue;
        processed = true;
        if (BeforeWrite) BeforeWrite(this, line, lineNo, run.writeLine);
        if (run.writeLine) run.out << line << "\r\n";
        ++lineNo;
    }
    if (in.bad()) throw vcl::EInOutError("Cannot read " + fileFrom_, EIO);
    run.out.flush();
    if (!run.out) throw vcl::EInOutError("Cannot write " + fileTo_, EIO);
    run.out.close();
    // The old target's permissions carry over to the new one.
    struct stat old {};
    if (stat(to.c_str(), &old) == 0)
        chmod(scratch.c_str(), old.st_mode & 07777);
    else
        chmod(scratch.c_str(), 0644);
    if (rename(scratch.c_str(), to.c_str()) != 0) throw vcl::EInOutError("Cannot write " + fileTo_, errno);
    kept = true;
    return processed;
}

}  // namespace orvane
