// Labels.
#include "stdctrls/captiontext.h"
#include "vcl/stdctrls_button.h"

namespace vcl {

using namespace win32;
using captiontext::DrawEmbossableText;

namespace {

const bool labelClassesRegistered = [] {
    RegisterClasses({TLabel::StaticClass()});
    return true;
}();

}  // namespace

VCL_DEFINE_CLASS(TCustomLabel, TGraphicControl)

TCustomLabel::TCustomLabel(TComponent* owner) : TGraphicControl(owner) {
    controlStyle_.Include(csOpaque);
    controlStyle_.Include(csReplicatable);
    SetBounds(Left(), Top(), 65, 17);
    // On from the start, but the size changes only with the first caption or font.
    Inherited::SetAutoSize(true);
}

void TCustomLabel::SetAlignment(TAlignment value) {
    if (alignment_ == value) return;
    alignment_ = value;
    Invalidate();
}

void TCustomLabel::SetAutoSize(bool value) {
    if (AutoSize() == value) return;
    Inherited::SetAutoSize(value);
    AdjustBounds();
}

void TCustomLabel::SetFocusControl(TWinControl* value) {
    if (focusControl_ == value) return;
    if (focusControl_) RemoveFreeNotification(focusControl_);
    focusControl_ = value;
    if (value) FreeNotification(value);
}

void TCustomLabel::SetLayout(TTextLayout value) {
    if (layout_ == value) return;
    layout_ = value;
    Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool value) {
    if (showAccelChar_ == value) return;
    showAccelChar_ = value;
    Invalidate();
    AdjustBounds();
}

void TCustomLabel::SetTransparent(bool value) {
    if (transparent_ == value) return;
    transparent_ = value;
    if (value)
        controlStyle_.Exclude(csOpaque);
    else
        controlStyle_.Include(csOpaque);
    Invalidate();
}

void TCustomLabel::SetWordWrap(bool value) {
    if (wordWrap_ == value) return;
    wordWrap_ = value;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::Loaded() {
    Inherited::Loaded();
    AdjustBounds();
}

void TCustomLabel::Notification(TComponent* component, TOperation operation) {
    Inherited::Notification(component, operation);
    if (operation == TOperation::opRemove && component == focusControl_) focusControl_ = nullptr;
}

std::string TCustomLabel::GetLabelText() const {
    return Caption();
}

UINT TCustomLabel::TextFlags() const {
    UINT flags = DT_EXPANDTABS | (wordWrap_ ? DT_WORDBREAK : 0);
    if (alignment_ == TAlignment::taRightJustify)
        flags |= DT_RIGHT;
    else if (alignment_ == TAlignment::taCenter)
        flags |= DT_CENTER;
    return flags;
}

void TCustomLabel::DoDrawText(TRect& rect, UINT flags) {
    std::string text = GetLabelText();
    // An empty caption still measures one line high.
    if ((flags & DT_CALCRECT) && (text.empty() || (showAccelChar_ && text == "&"))) text += ' ';
    if (!showAccelChar_) flags |= DT_NOPREFIX;
    Canvas()->SetFont(Font());
    DrawEmbossableText(Canvas(), text, rect, flags, Enabled());
}

void TCustomLabel::Paint() {
    TCanvas* canvas = Canvas();
    if (!transparent_) {
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(Color());
        canvas->FillRect(ClientRect());
    }
    canvas->Brush()->SetStyle(bsClear);
    TRect rect = ClientRect();
    const UINT flags = TextFlags();
    if (layout_ != tlTop) {
        TRect measured = rect;
        DoDrawText(measured, flags | DT_CALCRECT);
        const Integer spare = Height() - measured.bottom;
        OffsetRect(&rect, 0, layout_ == tlBottom ? spare : spare / 2);
    }
    DoDrawText(rect, flags);
}

void TCustomLabel::AdjustBounds() {
    if (IsLoading() || !AutoSize()) return;
    TRect rect = ClientRect();
    TCanvas* canvas = Canvas();
    canvas->Lock();
    // Measuring needs no window: a memory DC stands in when the canvas has none.
    HDC memoryDC = nullptr;
    if (!canvas->HandleAllocated()) {
        memoryDC = CreateCompatibleDC(nullptr);
        canvas->SetHandle(memoryDC);
    }
    {
        const ScopeExit release([&] {
            if (memoryDC) {
                canvas->SetHandle(nullptr);
                DeleteDC(memoryDC);
            }
            canvas->Unlock();
        });
        DoDrawText(rect, DT_EXPANDTABS | DT_CALCRECT | (wordWrap_ ? DT_WORDBREAK : 0));
    }
    const Integer newWidth = wordWrap_ ? Width() : rect.right;
    Integer x = Left();
    if (alignment_ == TAlignment::taRightJustify) x += Width() - newWidth;
    SetBounds(x, Top(), newWidth, rect.bottom);
}

void TCustomLabel::WndProc(TMessage& message) {
    switch (message.Msg) {
        case CM_TEXTCHANGED:
            Invalidate();
            AdjustBounds();
            return;
        case CM_FONTCHANGED:
            Inherited::WndProc(message);
            AdjustBounds();
            return;
        case CM_DIALOGCHAR:
            if (focusControl_ && Enabled() && showAccelChar_ &&
                IsAccel(static_cast<char32_t>(message.WParam), Caption()) && focusControl_->CanFocus()) {
                focusControl_->SetFocus();
                message.Result = 1;
                return;
            }
            break;
        default:
            break;
    }
    Inherited::WndProc(message);
}

}  // namespace vcl
