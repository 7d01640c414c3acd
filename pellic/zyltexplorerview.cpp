#include "pellic/zyltexplorerview.h"

#include "vcl/classregistration.h"
#include "vcl/fileutils.h"
#include "vcl/sysutils.h"
#include "win32/imagelist.h"
#include "win32/shell.h"

namespace pellic {

namespace zyltexplorerview {

const vcl::TClassRegistration classesRegistered{TZylExplorerView::StaticClass()};

constexpr vcl::Integer kTextOffset = 18;

}  // namespace zyltexplorerview

VCL_DEFINE_CLASS(TZylExplorerView, vcl::TFileListBox)

TZylExplorerView::TZylExplorerView(vcl::TComponent* owner)
    : vcl::TFileListBox(owner), folderBitmap_(std::make_unique<vcl::TBitmap>()) {
    SetStyle(vcl::lbOwnerDrawFixed);
    SetItemHeight(18);
    SetColumns(1);
    SetIntegralHeight(false);
    char windows[win32::MAX_PATH] = {};
    win32::GetWindowsDirectory(windows, sizeof windows);
    win32::SHFILEINFO info{};
    const auto list = reinterpret_cast<win32::HIMAGELIST>(win32::SHGetFileInfo(
        windows, 0, &info, sizeof info, win32::SHGFI_SYSICONINDEX | win32::SHGFI_SMALLICON));
    folderBitmap_->SetSize(16, 16);
    folderBitmap_->Canvas()->Brush()->SetColor(vcl::clWindow);
    folderBitmap_->Canvas()->FillRect(vcl::Rect(0, 0, 16, 16));
    if (list)
        win32::ImageList_Draw(list, info.iIcon, folderBitmap_->Canvas()->Handle(), 0, 0,
                              win32::ILD_TRANSPARENT);
    ReadDirectory();
}

TZylExplorerView::~TZylExplorerView() = default;

void TZylExplorerView::SetCharCase(vcl::TEditCharCase value) {
    if (charCase_ == value) return;
    charCase_ = value;
    ReadDirectory();
}

void TZylExplorerView::ReadFileNames() {
    vcl::TFileListBox::ReadFileNames();
    if (charCase_ == vcl::ecNormal) return;
    vcl::TStrings* items = Items();
    items->BeginUpdate();
    for (vcl::Integer i = 0; i < items->Count(); ++i)
        items->SetStrings(i, charCase_ == vcl::ecLowerCase ? vcl::LowerCase(items->Strings(i))
                                                           : vcl::UpperCase(items->Strings(i)));
    items->EndUpdate();
}

void TZylExplorerView::DrawItem(vcl::Integer index, vcl::TRect rect, vcl::TOwnerDrawState state) {
    if (OnDrawItem) {
        OnDrawItem(this, index, rect, state);
        return;
    }
    vcl::TCanvas* canvas = Canvas();
    canvas->FillRect(rect);
    const std::string text = Items()->Strings(index);
    if (text.find('[') != std::string::npos) {
        canvas->Draw(rect.left, rect.top, folderBitmap_.get());
    } else {
        win32::SHFILEINFO info{};
        const std::string path = vcl::IncludeTrailingBackslash(Directory()) + text;
        const auto list = reinterpret_cast<win32::HIMAGELIST>(
            win32::SHGetFileInfo(path.c_str(), 0, &info, sizeof info,
                                 win32::SHGFI_SYSICONINDEX | win32::SHGFI_SMALLICON | win32::SHGFI_OPENICON));
        if (list)
            win32::ImageList_Draw(list, info.iIcon, canvas->Handle(), rect.left, rect.top,
                                  win32::ILD_TRANSPARENT);
    }
    canvas->TextOut(rect.left + zyltexplorerview::kTextOffset, rect.top + 2, text);
}

}  // namespace pellic
