// TZylFileLabel: a file or folder name with its icon, shortened to fit. The name is split at
// Separator; when it does not fit, the folders next to the file's name are kept as far as room
// allows, after the drive when the first part is one ("C:\...\Data\report.txt"), and "..." stands
// for what is left out; a name too long even for that shows its last part alone. An existing
// folder shows the folder picture, an existing file the shell's small icon of its kind; a name that
// exists nowhere shows the background only.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "vcl/graphics.h"
#include "vcl/stdctrls.h"

namespace pellic {

class TZylFileLabel : public vcl::TCustomLabel {
    VCL_DECLARE_CLASS(TZylFileLabel, vcl::TCustomLabel)
public:
    explicit TZylFileLabel(vcl::TComponent* owner);
    ~TZylFileLabel() override;

    const std::string& Filename() const { return filename_; }
    void SetFilename(const std::string& value);
    char Separator() const { return separator_; }
    void SetSeparator(char value);

    void SetBounds(vcl::Integer left, vcl::Integer top, vcl::Integer width, vcl::Integer height) override;
    void WndProc(vcl::TMessage& message) override;

    static void Publish(vcl::Published<TZylFileLabel>& p) {
        PublishAlign(p);
        PublishColor(p, vcl::clWhite);
        p.Property("Filename", &TZylFileLabel::Filename, &TZylFileLabel::SetFilename, std::string());
        PublishFont(p);
        PublishParentFont(p);
        p.Property("Separator", &TZylFileLabel::Separator, &TZylFileLabel::SetSeparator, '\\');
        PublishVisible(p);
        PublishMouseEvents(p);
    }

protected:
    void Paint() override;

private:
    // The caption for the label's width, from the parts of Filename.
    void Shorten();

    std::string filename_;
    char separator_ = '\\';
    std::vector<std::string> parts_;
    bool drive_ = false;
    std::unique_ptr<vcl::TBitmap> folder_;
};

}  // namespace pellic
