// A text file copied line by line through an event that may change or drop lines.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "orvane/zylsystem.h"

namespace orvane {

using TZylBeforeWrite =
    std::function<void(vcl::TObject* Sender, std::string& Line, vcl::Integer LineNo, bool& WriteLine)>;

// Copies FileFrom to FileTo through BeforeWrite. The copy is written beside FileTo under a
// temporary name and put in its place only when complete, so a failure leaves the old FileTo
// whole. FileFrom and FileTo naming the same file (under any spelling or through a hard link) is
// refused: writing the target would destroy the input.
class TZylTextReplace : public TZylSystemsComponent {
    VCL_DECLARE_CLASS(TZylTextReplace, TZylSystemsComponent)
public:
    explicit TZylTextReplace(vcl::TComponent* owner);
    ~TZylTextReplace() override;

    const std::string& FileFrom() const { return fileFrom_; }
    void SetFileFrom(const std::string& value) { fileFrom_ = value; }
    const std::string& FileTo() const { return fileTo_; }
    void SetFileTo(const std::string& value) { fileTo_ = value; }
    bool UseNoOfLines() const { return useNoOfLines_; }
    void SetUseNoOfLines(bool value) { useNoOfLines_ = value; }
    vcl::Integer NoOfLinesOnly() const { return noOfLinesOnly_; }
    void SetNoOfLinesOnly(vcl::Integer value) { noOfLinesOnly_ = value; }

    // True when at least one line went through BeforeWrite. Exception "Filename not supplied" for
    // a missing name or the same file twice; EInOutError when a file cannot be read or written.
    bool Execute();
    // Inside BeforeWrite: writes Text as a line of its own before the current one, unless the
    // current line is dropped.
    void AddNewString(const std::string& Text);

    TZylBeforeWrite BeforeWrite;

    static void Publish(vcl::Published<TZylTextReplace>& p) {
        using R = TZylTextReplace;
        p.Property("FileFrom", &R::FileFrom, &R::SetFileFrom, std::string());
        p.Property("FileTo", &R::FileTo, &R::SetFileTo, std::string());
        p.Property("UseNoOfLines", &R::UseNoOfLines, &R::SetUseNoOfLines, false);
        p.Property("NoOfLinesOnly", &R::NoOfLinesOnly, &R::SetNoOfLinesOnly, 0);
        p.Event<TZylBeforeWrite>("BeforeWrite", &R::BeforeWrite);
    }

private:
    struct Run;

    std::string fileFrom_;
    std::string fileTo_;
    bool useNoOfLines_ = false;
    vcl::Integer noOfLinesOnly_ = 0;
    Run* run_ = nullptr;
};

}  // namespace orvane
