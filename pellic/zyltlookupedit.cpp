#include "pellic/zyltlookupedit.h"

#include <algorithm>

#include "pellic/zyleditmetrics_internal.h"
#include "vcl/classregistration.h"
#include "vcl/forms.h"
#include "vcl/graphics.h"
#include "win32/resources.h"
#include "win32/user.h"
#include "win32/virtualkeys.h"

namespace pellic {

using vcl::Integer;

namespace zyltlookupedit {
const vcl::TClassRegistration streamingRegistration{TZylButtonClass::StaticClass()};
const vcl::TClassRegistration classesRegistered{TZylLookupEdit::StaticClass()};
}  // namespace zyltlookupedit

// ---------------------------------------------------------------------------------------------
// TZylButtonClass

VCL_DEFINE_CLASS(TZylButtonClass, vcl::TPersistent)

void TZylButtonClass::SetVisible(bool value) {
    if (button_->Visible() == value) return;
    button_->SetVisible(value);
    if (edit_) edit_->LayOut();
}

void TZylButtonClass::Assign(const vcl::TPersistent* source) {
    const auto* other = dynamic_cast<const TZylButtonClass*>(source);
    if (!other) {
        vcl::TPersistent::Assign(source);
        return;
    }
    SetCaption(other->Caption());
    SetEnabled(other->Enabled());
    SetHint(other->Hint());
    SetShowHint(other->ShowHint());
    // The glyph first: a strip of square images sets its own number of images.
    SetGlyph(other->Glyph());
    SetNumGlyphs(other->NumGlyphs());
    SetShortCutKey(other->ShortCutKey());
    SetVisible(other->Visible());
}

vcl::TPersistent* TZylButtonClass::GetOwner() const {
    return edit_;
}

// ---------------------------------------------------------------------------------------------
// TZylCustomLookupEdit

VCL_DEFINE_CLASS(TZylCustomLookupEdit, vcl::TCustomMaskEdit)

TZylCustomLookupEdit::TZylCustomLookupEdit(vcl::TComponent* owner)
    : vcl::TCustomMaskEdit(owner),
      button1_(NewButton(&TZylCustomLookupEdit::EditButton1Click)),
      button2_(NewButton(&TZylCustomLookupEdit::EditButton2Click)),
      editButton1_(std::make_unique<TZylButtonClass>(this, button1_.get())),
      editButton2_(std::make_unique<TZylButtonClass>(this, button2_.get())) {
    controlStyle_.Include(vcl::csReplicatable);
    SetAutoSize(false);
    LayOut();
}

TZylCustomLookupEdit::~TZylCustomLookupEdit() {
    button1_->OnClick = nullptr;
    button2_->OnClick = nullptr;
    editButton1_.reset();
    editButton2_.reset();
    button1_.reset();
    button2_.reset();
}

vcl::TComponentPtr<vcl::TSpeedButton> TZylCustomLookupEdit::NewButton(
    void (TZylCustomLookupEdit::*click)(vcl::TObject*)) {
    vcl::TComponentPtr<vcl::TSpeedButton> button(new vcl::TSpeedButton(nullptr));
    button->SetCursor(vcl::crArrow);
    button->SetParent(this);
    button->OnClick = [this, click](vcl::TObject*) { (this->*click)(this); };
    return button;
}

void TZylCustomLookupEdit::SetAlignment(vcl::TAlignment value) {
    if (value == AlignmentValue()) return;
    SetAlignmentValue(value);
    if (HandleAllocated()) RecreateWnd();
}

Integer TZylCustomLookupEdit::GetMinHeight() const {
    return editmetrics::MinimumTextHeight(Font()) + 1;
}

void TZylCustomLookupEdit::EditButton1Click(vcl::TObject*) {
    if (OnButton1Click) OnButton1Click(this);
    if (CanFocus()) SetFocus();
}

void TZylCustomLookupEdit::EditButton2Click(vcl::TObject*) {
    if (OnButton2Click) OnButton2Click(this);
    if (CanFocus()) SetFocus();
}

void TZylCustomLookupEdit::SetButtons() {
    const vcl::TRect client = ClientRect();
    const Integer side = std::max<Integer>(client.bottom - client.top, 0);
    Integer right = client.right;
    for (vcl::TSpeedButton* button : {button2_.get(), button1_.get()}) {
        if (button->Visible()) {
            right -= side;
            button->SetBounds(right, 0, side, side);
        } else {
            button->SetBounds(Width() + 1, 0, 0, 0);
        }
    }
}

void TZylCustomLookupEdit::SetEditRect() {
    if (!HandleAllocated()) return;
    const vcl::TRect client = ClientRect();
    Integer width = client.right;
    for (vcl::TSpeedButton* button : {button1_.get(), button2_.get()})
        if (button->Visible()) width -= button->Width();
    win32::RECT text{0, 0, std::max<Integer>(width, 0), client.bottom + 1};
    win32::SendMessage(Handle(), win32::EM_SETRECTNP, 0, reinterpret_cast<win32::LPARAM>(&text));
}

void TZylCustomLookupEdit::LayOut() {
    if (IsLoading() || layingOut_ || !button2_) return;
    const vcl::ScopedValue layingOut(layingOut_, true);
    // Sizes again; this layout covers the new size.
    if (const Integer minimum = GetMinHeight(); Height() < minimum) SetHeight(minimum);
    SetButtons();
    SetEditRect();
}

void TZylCustomLookupEdit::LoadGlyph(TZylButtonClass& settings, const char* resourceName) {
    const win32::HBITMAP handle = win32::LoadBitmap(win32::GetModuleHandle("pellic"), resourceName);
    if (!handle) return;
    vcl::TBitmap glyph;
    glyph.SetHandle(handle);
    settings.SetGlyph(&glyph);
    settings.SetNumGlyphs(2);
}

void TZylCustomLookupEdit::CreateParams(vcl::TCreateParams& params) {
    vcl::TCustomMaskEdit::CreateParams(params);
    // The framework's edit narrows a single line's formatting rectangle: no ES_MULTILINE needed,
    // so Ctrl+Enter can never break the line.
    params.Style |= win32::WS_CLIPCHILDREN;
}

void TZylCustomLookupEdit::CreateWnd() {
    vcl::TCustomMaskEdit::CreateWnd();
    LayOut();
}

void TZylCustomLookupEdit::Resize() {
    vcl::TCustomMaskEdit::Resize();
    LayOut();
}

void TZylCustomLookupEdit::Loaded() {
    vcl::TCustomMaskEdit::Loaded();
    LayOut();
}

void TZylCustomLookupEdit::KeyDown(vcl::Word& key, vcl::TShiftState shift) {
    vcl::TCustomMaskEdit::KeyDown(key, shift);
    auto viaShortCut = [&](const TZylButtonClass& settings,
                           void (TZylCustomLookupEdit::*click)(vcl::TObject*)) {
        if (key == 0 || settings.ShortCutKey() == vcl::scNone || !settings.Enabled()) return;
        if (settings.ShortCutKey() != vcl::ShortCut(key, shift)) return;
        key = 0;
        (this->*click)(this);
    };
    viaShortCut(*editButton2_, &TZylCustomLookupEdit::EditButton2Click);
    viaShortCut(*editButton1_, &TZylCustomLookupEdit::EditButton1Click);
}

void TZylCustomLookupEdit::KeyPress(char32_t& key) {
    vcl::TCustomMaskEdit::KeyPress(key);
    if (key == '\r' || key == 0x1B) {
        if (vcl::TCustomForm* form = vcl::GetParentForm(this))
            form->Perform(vcl::CM_DIALOGKEY, key == '\r' ? win32::VK_RETURN : win32::VK_ESCAPE, 0);
        if (key == '\r') key = 0;
    }
    if (key == '\n') key = 0;
}

void TZylCustomLookupEdit::WndProc(vcl::TMessage& message) {
    switch (message.Msg) {
        case win32::WM_GETDLGCODE:
            // Enter and Escape come here as characters and go to the form from KeyPress, once.
            vcl::TCustomMaskEdit::WndProc(message);
            message.Result |= vcl::DLGC_WANTALLKEYS;
            return;
        case vcl::CM_ENABLEDCHANGED:
            vcl::TCustomMaskEdit::WndProc(message);
            editButton1_->SetEnabled(Enabled());
            editButton2_->SetEnabled(Enabled());
            return;
        default:
            break;
    }
    vcl::TCustomMaskEdit::WndProc(message);
}

// ---------------------------------------------------------------------------------------------
// TZylLookupEdit

VCL_DEFINE_CLASS(TZylLookupEdit, TZylCustomLookupEdit)

TZylLookupEdit::TZylLookupEdit(vcl::TComponent* owner) : TZylCustomLookupEdit(owner) {
    LoadGlyph(*EditButton1(), "ZYLLOOKUPEDITB1");
    LoadGlyph(*EditButton2(), "ZYLLOOKUPEDITB2");
}

}  // namespace pellic
