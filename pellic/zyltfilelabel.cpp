#include "pellic/zyltfilelabel.h"

#include "win32/files.h"
#include "win32/resources.h"
#include "win32/shell.h"

namespace pellic {

using namespace win32;

VCL_DEFINE_CLASS(TZylFileLabel, vcl::TCustomLabel)

namespace {
// The picture's place: (1, 1), 16 pixels wide, the caption 3 pixels after it.
constexpr int kPicture = 16;
constexpr int kCaptionLeft = kPicture + 3;
}  // namespace

TZylFileLabel::TZylFileLabel(vcl::TComponent* owner) : vcl::TCustomLabel(owner), folder_(new vcl::TBitmap()) {
    SetAutoSize(false);
    SetWordWrap(false);
    SetTransparent(true);
    SetColor(vcl::clWhite);
    Font()->SetStyle(Font()->Style() + vcl::TFontStyles{vcl::fsBold});
    folder_->SetHandle(LoadBitmap(GetModuleHandle("pellic"), "ZYLFOLDER"));
    folder_->SetTransparent(true);
    vcl::TCustomLabel::SetBounds(Left(), Top(), 150, 19);
}

TZylFileLabel::~TZylFileLabel() = default;

void TZylFileLabel::SetFilename(const std::string& value) {
    if (filename_ == value) return;
    filename_ = value;
    parts_.clear();
    for (size_t start = 0;;) {
        const size_t end = filename_.find(separator_, start);
        parts_.push_back(filename_.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    drive_ = parts_.front().size() > 1 && parts_.front().back() == ':';
    Shorten();
}

void TZylFileLabel::SetSeparator(char value) {
    if (separator_ == value) return;
    separator_ = value;
    // The same name split at the new separator.
    const std::string name = std::move(filename_);
    filename_.clear();
    SetFilename(name);
}

void TZylFileLabel::SetBounds(vcl::Integer left, vcl::Integer top, vcl::Integer width, vcl::Integer height) {
    vcl::TCustomLabel::SetBounds(left, top, width, height);
    Shorten();
}

void TZylFileLabel::WndProc(vcl::TMessage& message) {
    vcl::TCustomLabel::WndProc(message);
    if (message.Msg == vcl::CM_FONTCHANGED) Shorten();
}

void TZylFileLabel::Shorten() {
    if (filename_.empty()) {
        SetCaption("");
        return;
    }
    // Measured on a bitmap of its own: the label may have no parent yet.
    vcl::TBitmap measure;
    measure.Canvas()->Font()->Assign(Font());
    const auto fits = [&](const std::string& text) {
        return measure.Canvas()->TextWidth(text) <= Width() - kCaptionLeft;
    };
    if (fits(filename_)) {
        SetCaption(filename_);
        return;
    }
    const std::string& last = parts_.back();
    const std::string dots = std::string("...") + separator_;
    if (!fits(dots + last)) {
        SetCaption(last);
        return;
    }
    const std::string head = drive_ ? parts_.front() + separator_ : std::string();
    if (!fits(head + dots + last)) {
        SetCaption(dots + last);
        return;
    }
    // The folders nearest the file's name, as many as fit.
    std::string middle;
    for (size_t i = parts_.size() - 1; i-- > 1;) {
        const std::string longer = parts_[i] + separator_ + middle;
        if (!fits(head + dots + longer + last)) break;
        middle = longer;
    }
    SetCaption(head + dots + middle + last);
}

void TZylFileLabel::Paint() {
    vcl::TCanvas* canvas = Canvas();
    canvas->Brush()->SetColor(Color());
    canvas->Brush()->SetStyle(vcl::bsSolid);
    canvas->FillRect(ClientRect());
    if (filename_.empty()) return;
    const DWORD attributes = GetFileAttributes(filename_.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        canvas->Draw(1, 1, folder_.get());
    } else {
        SHFILEINFO info{};
        SHGetFileInfo(filename_.c_str(), 0, &info, sizeof info,
                      SHGFI_ICON | SHGFI_SMALLICON | SHGFI_OPENICON);
        if (!info.hIcon) return;
        DrawIconEx(canvas->Handle(), 1, 1, info.hIcon, kPicture, kPicture, 0, nullptr, DI_NORMAL);
        DestroyIcon(info.hIcon);
    }
    canvas->Brush()->SetStyle(vcl::bsClear);
    canvas->Font()->Assign(Font());
    canvas->TextOut(kCaptionLeft, 1, Caption());
}

}  // namespace pellic
