#include "pellic/zyltprintercombo.h"

#include "vcl/classregistration.h"
#include "vcl/printers.h"
#include "win32/resources.h"

namespace pellic {

using vcl::Integer;

namespace zyltprintercombo {

const vcl::TClassRegistration streamingRegistration{TZylPrinterCombo::StaticClass()};

constexpr Integer kRowHeight = 22;
constexpr Integer kPictureLeft = 6;
constexpr Integer kTextIndent = 25;
constexpr const char* kNoPrinters = "(No Printers connected)";

}  // namespace zyltprintercombo

VCL_DEFINE_CLASS(TZylPrinterCombo, vcl::TCustomComboBox)

TZylPrinterCombo::TZylPrinterCombo(vcl::TComponent* owner)
    : vcl::TCustomComboBox(owner), picture_(std::make_unique<vcl::TBitmap>()) {
    if (const win32::HBITMAP handle =
            win32::LoadBitmap(win32::GetModuleHandle("pellic"), "ZYLPRINTERRESOURCE"))
        picture_->SetHandle(handle);
    SetStyle(vcl::csOwnerDrawFixed);
    SetItemHeight(zyltprintercombo::kRowHeight);
    if (auto* windowed = dynamic_cast<vcl::TWinControl*>(owner)) SetParent(windowed);
}

TZylPrinterCombo::~TZylPrinterCombo() = default;

void TZylPrinterCombo::CreateWnd() {
    Inherited::CreateWnd();
    ListPrinters();
}

void TZylPrinterCombo::Loaded() {
    Inherited::Loaded();
    SetItemHeight(zyltprintercombo::kRowHeight);
}

void TZylPrinterCombo::ListPrinters() {
    vcl::TPrinter* printer = vcl::Printer();
    vcl::TStrings* printers = printer->Printers();
    Items()->BeginUpdate();
    Items()->Clear();
    Items()->AddStrings(*printers);
    printersListed_ = Items()->Count() > 0;
    if (!printersListed_) Items()->Add(zyltprintercombo::kNoPrinters);
    Items()->EndUpdate();
    SetItemHeight(zyltprintercombo::kRowHeight);
    if (!printersListed_) {
        SetItemIndex(0);
        disabledForNoPrinters_ = true;
        SetEnabled(false);
        return;
    }
    if (disabledForNoPrinters_) {
        disabledForNoPrinters_ = false;
        SetEnabled(true);
    }
    // A list without a default printer selects nothing.
    Integer current = -1;
    try {
        current = printer->PrinterIndex();
    } catch (const vcl::EPrinter&) {
        current = -1;
    }
    SetItemIndex(current);
}

std::string TZylPrinterCombo::SelectedPrinter() const {
    const Integer index = ItemIndex();
    if (!printersListed_ || index < 0 || index >= Items()->Count()) return std::string();
    return Items()->Strings(index);
}

void TZylPrinterCombo::MakeChosenPrinterCurrent() {
    // By name: the printer's list may have been read again since the rows were filled.
    const std::string chosen = SelectedPrinter();
    if (chosen.empty()) return;
    vcl::TPrinter* printer = vcl::Printer();
    const Integer index = printer->Printers()->IndexOf(chosen);
    if (index >= 0) printer->SetPrinterIndex(index);
}

void TZylPrinterCombo::Select() {
    MakeChosenPrinterCurrent();
    Inherited::Select();
}

void TZylPrinterCombo::Change() {
    MakeChosenPrinterCurrent();
    Inherited::Change();
}

void TZylPrinterCombo::DrawItem(Integer index, vcl::TRect rect, vcl::TOwnerDrawState state) {
    if (OnDrawItem) {
        OnDrawItem(this, index, rect, state);
        return;
    }
    vcl::TCanvas* canvas = Canvas();
    canvas->FillRect(rect);
    if (index < 0 || index >= Items()->Count()) return;
    if (!picture_->Empty()) {
        const Integer width = picture_->Width(), height = picture_->Height();
        const Integer top = rect.top + (ItemHeight() - height) / 2 + 2;
        const Integer left = rect.left + zyltprintercombo::kPictureLeft;
        // The picture's bottom-left pixel is its transparent colour.
        const vcl::TColor transparent = picture_->Canvas()->Pixels(0, height - 1);
        canvas->BrushCopy(vcl::Rect(left, top, left + width, top + height), picture_.get(),
                          vcl::Rect(0, 0, width, height), transparent);
    }
    vcl::TRect textRect = rect;
    textRect.left += zyltprintercombo::kTextIndent;
    if (textRect.left >= textRect.right) return;
    const std::string& name = Items()->Strings(index);
    // One line, centred vertically.
    const Integer top = textRect.top + (textRect.bottom - textRect.top - canvas->TextHeight(name)) / 2;
    canvas->TextRect(textRect, textRect.left, top, name);
}

}  // namespace pellic
