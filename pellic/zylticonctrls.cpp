#include "pellic/zylticonctrls.h"

#include "vcl/classregistration.h"
#include "vcl/fileutils.h"
#include "win32/files.h"
#include "win32/gdi.h"
#include "win32/messages.h"
#include "win32/shell.h"
#include "win32/user.h"

namespace pellic {

using vcl::Integer;

namespace zylticonctrls {

const vcl::TClassRegistration streamingRegistration{
    {TZylIconCombo::StaticClass(), TZylIconListbox::StaticClass()}};

constexpr win32::UINT kCountIcons = 0xFFFFFFFF;

// ExtractIcon answers 1 for a file that exists but holds no icons: that is no icon handle.
bool IsIcon(win32::HICON icon) {
    return reinterpret_cast<uintptr_t>(icon) > 1;
}

std::string DefaultIconFile() {
    char windows[win32::MAX_PATH] = {};
    win32::GetWindowsDirectory(windows, sizeof windows);
    return vcl::IncludeTrailingBackslash(windows) + "Explorer.exe";
}

// Selects the item at `index` when the list has one, else the first.
template <typename List>
void SelectAfterFill(List* list, Integer index) {
    if (list->Items()->Count() == 0) return;
    list->SetItemIndex(index >= 0 && index < list->Items()->Count() ? index : 0);
}

}  // namespace zylticonctrls

// ---------------------------------------------------------------------------------------------
// TZylIconFile

TZylIconFile::TZylIconFile() : fileName_(zylticonctrls::DefaultIconFile()) {
    Count();
}

void TZylIconFile::SetFileName(const std::string& value) {
    fileName_ = value;
    Count();
}

void TZylIconFile::Count() {
    numberOfIcons_ = -1;
    if (fileName_.empty() || !vcl::FileExists(fileName_)) return;
    const win32::HICON answer = win32::ExtractIcon(nullptr, fileName_.c_str(), zylticonctrls::kCountIcons);
    numberOfIcons_ = static_cast<Integer>(reinterpret_cast<uintptr_t>(answer));
    // A count of 1 is also the answer for a file that holds no icons; its first icon tells which.
    if (numberOfIcons_ == 1) {
        const win32::HICON first = win32::ExtractIcon(nullptr, fileName_.c_str(), 0);
        if (zylticonctrls::IsIcon(first))
            win32::DestroyIcon(first);
        else
            numberOfIcons_ = 0;
    }
}

win32::HICON TZylIconFile::Extract(Integer index) const {
    if (index < 0 || index >= numberOfIcons_) return nullptr;
    const win32::HICON icon = win32::ExtractIcon(nullptr, fileName_.c_str(), static_cast<win32::UINT>(index));
    return zylticonctrls::IsIcon(icon) ? icon : nullptr;
}

void TZylIconFile::List(vcl::TStrings* items) const {
    items->BeginUpdate();
    items->Clear();
    for (Integer i = 0; i < numberOfIcons_; ++i)
        items->Add(vcl::IntToStr(i));
    items->EndUpdate();
}

void TZylIconFile::DrawCentred(vcl::TCanvas* canvas, Integer index, const vcl::TRect& rect) const {
    const win32::HICON handle = Extract(index);
    if (!handle) return;
    vcl::TIcon icon;
    icon.SetHandle(handle);
    // Centred by the icon's width both ways, as icons are square.
    const Integer size = icon.Width();
    canvas->Draw(rect.left + (rect.right - rect.left - size) / 2,
                 rect.top + (rect.bottom - rect.top - size) / 2, &icon);
}

namespace zylticonctrls {

// The selected icon into `icon`; empty when none is selected or the file gives none.
vcl::TIcon* ReadSelectedIcon(const TZylIconFile& file, Integer index, vcl::TIcon* icon) {
    icon->SetHandle(file.Extract(index));
    return icon;
}

// Paints one row; a file that vanished or a broken icon leaves the row empty.
void DrawIconRow(const TZylIconFile& file, vcl::TCanvas* canvas, Integer index, const vcl::TRect& rect) {
    canvas->FillRect(rect);
    try {
        file.DrawCentred(canvas, index, rect);
    } catch (const vcl::Exception&) {
    }
}

}  // namespace zylticonctrls

// ---------------------------------------------------------------------------------------------
// TZylIconListControl

template <typename Base>
TZylIconListControl<Base>::TZylIconListControl(vcl::TComponent* owner)
    : Base(owner), icon_(std::make_unique<vcl::TIcon>()) {}

template <typename Base>
TZylIconListControl<Base>::~TZylIconListControl() = default;

template <typename Base>
void TZylIconListControl<Base>::ShowIcons(Integer index) {
    file_.List(this->Items());
    zylticonctrls::SelectAfterFill(this, index);
}

template <typename Base>
void TZylIconListControl<Base>::Refill(Integer index) {
    file_.SetFileName(file_.FileName());
    ShowIcons(index);
}

template <typename Base>
void TZylIconListControl<Base>::SetFileName(const std::string& value) {
    file_.SetFileName(value);
    ShowIcons(0);
    if (OnFileChange) OnFileChange(this);
}

template <typename Base>
vcl::TIcon* TZylIconListControl<Base>::Icon() {
    return zylticonctrls::ReadSelectedIcon(file_, this->ItemIndex(), icon_.get());
}

template <typename Base>
void TZylIconListControl<Base>::CreateWnd() {
    Base::CreateWnd();
    // The file may have changed since it was read; the selection stays where it can.
    Refill(this->ItemIndex());
}

template <typename Base>
void TZylIconListControl<Base>::DrawItem(Integer index, vcl::TRect rect, vcl::TOwnerDrawState state) {
    if (this->OnDrawItem) {
        this->OnDrawItem(this, index, rect, state);
        return;
    }
    zylticonctrls::DrawIconRow(file_, this->Canvas(), index, rect);
}

template class TZylIconListControl<vcl::TCustomComboBox>;
template class TZylIconListControl<vcl::TCustomListBox>;

// ---------------------------------------------------------------------------------------------
// TZylIconCombo

VCL_DEFINE_CLASS(TZylIconCombo, TZylIconListControl<vcl::TCustomComboBox>)

TZylIconCombo::TZylIconCombo(vcl::TComponent* owner) : TZylIconListControl(owner) {
    SetStyle(vcl::csOwnerDrawFixed);
    SetDropDownCount(5);
    SetItemHeight(win32::GetSystemMetrics(win32::SM_CYICON) + 9);
    SetWidth(win32::GetSystemMetrics(win32::SM_CXVSCROLL) + win32::GetSystemMetrics(win32::SM_CXICON) + 13);
    ShowIcons(0);
}

void TZylIconCombo::CreateParams(vcl::TCreateParams& params) {
    Inherited::CreateParams(params);
    params.Style |= win32::CBS_HASSTRINGS | win32::WS_GROUP;
}

void TZylIconCombo::MeasureItem(Integer index, Integer& height) {
    if (OnMeasureItem) {
        OnMeasureItem(this, index, height);
        return;
    }
    height = win32::GetSystemMetrics(win32::SM_CYICON) + 3;
}

// ---------------------------------------------------------------------------------------------
// TZylIconListbox

VCL_DEFINE_CLASS(TZylIconListbox, TZylIconListControl<vcl::TCustomListBox>)

TZylIconListbox::TZylIconListbox(vcl::TComponent* owner) : TZylIconListControl(owner) {
    SetStyle(vcl::lbOwnerDrawFixed);
    SetItemHeight(win32::GetSystemMetrics(win32::SM_CYICON) + 6);
    SetIntegralHeight(false);
    ShowIcons(0);
    ResetSize();
}

void TZylIconListbox::CreateParams(vcl::TCreateParams& params) {
    Inherited::CreateParams(params);
    params.Style |= win32::WS_DLGFRAME;
}

void TZylIconListbox::SetXIcons(Integer value) {
    if (value <= 0 || value == xIcons_) return;
    xIcons_ = value;
    ResetSize();
}

void TZylIconListbox::SetYIcons(Integer value) {
    if (value <= 0 || value == yIcons_) return;
    yIcons_ = value;
    ResetSize();
}

void TZylIconListbox::ResetSize() {
    const Integer columnWidth = win32::GetSystemMetrics(win32::SM_CXICON) + 6;
    SetColumns(xIcons_);
    SetBounds(Left(), Top(), columnWidth * xIcons_ + 2,
              ItemHeight() * yIcons_ + win32::GetSystemMetrics(win32::SM_CYHSCROLL) + 1);
}

void TZylIconListbox::MeasureItem(Integer index, Integer& height) {
    if (OnMeasureItem) {
        OnMeasureItem(this, index, height);
        return;
    }
    height = win32::GetSystemMetrics(win32::SM_CYICON);
}

}  // namespace pellic
