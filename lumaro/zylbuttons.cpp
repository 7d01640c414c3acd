// The owner-drawn push button: its face, default and cancel keys, accelerators and modal result.
#include "lumaro/zylbuttons.h"

#include <algorithm>

#include "lumaro/zylbuttons_internal.h"
#include "vcl/forms.h"
#include "win32/menu.h"
#include "win32/virtualkeys.h"

namespace lumaro {

using namespace vcl;
using win32::UINT;

// ---------------------------------------------------------------------------------------------
// TZylButton

VCL_DEFINE_CLASS(TZylButton, vcl::TButtonControl)

TZylButton::TZylButton(TComponent* owner)
    : TButtonControl(owner),
      font3D_(std::make_unique<TZylFont3D>(this)),
      glyph_(std::make_unique<TZylGlyph>(this)),
      drawCanvas_(std::make_unique<TCanvas>()) {
    controlStyle_.Include(csSetCaption);
    controlStyle_.Include(csOpaque);
    controlStyle_.Include(csDoubleClicks);
    glyph_->OnChange = [this](TObject*) { Invalidate(); };
    SetBounds(Left(), Top(), 75, 25);
    SetTabStop(true);
}

TZylButton::~TZylButton() = default;

void TZylButton::SetDefault(bool value) {
    default_ = value;
    if (!HandleAllocated()) return;
    if (TCustomForm* form = GetParentForm(this))
        form->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<win32::LPARAM>(form->ActiveControl()));
    else
        FocusChanged(nullptr);
}

void TZylButton::SetFont3D(TZylFont3D* value) {
    if (value && value != font3D_.get()) font3D_->Assign(value);
}

void TZylButton::SetGlyph(TZylGlyph* value) {
    if (value && value != glyph_.get()) glyph_->Assign(value);
}

void TZylButton::SetButtonSunk(bool value) {
    if (buttonSunk_ == value) return;
    buttonSunk_ = value;
    if (HandleAllocated()) RecreateWnd();
}

void TZylButton::SetBackground(TZylBackground* value) {
    if (background_.Set(value)) Invalidate();
}

UINT TZylButton::CaptionFlags() const {
    using namespace win32;
    return WordWrap() ? DT_WORDBREAK | DT_VCENTER | DT_CENTER
                      : DT_END_ELLIPSIS | DT_SINGLELINE | DT_VCENTER | DT_CENTER;
}

void TZylButton::Click() {
    if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(modalResult_);
    Inherited::Click();
}

void TZylButton::CreateWnd() {
    Inherited::CreateWnd();
    activeDefault_ = default_;
}

void TZylButton::Notification(TComponent* component, TOperation operation) {
    if (operation == TOperation::opRemove && background_.Drop(component)) Invalidate();
    Inherited::Notification(component, operation);
}

void TZylButton::FocusChanged(TControl* focused) {
    // Without a focused TZylButton (or without any focus) the Default button answers Enter.
    activeDefault_ = dynamic_cast<TZylButton*>(focused) ? focused == this : default_;
}

bool TZylButton::HandleDialogKey(TMessage& message) {
    const auto key = static_cast<Word>(message.WParam);
    const bool wanted = (key == win32::VK_RETURN && activeDefault_) || (key == win32::VK_ESCAPE && cancel_);
    if (!wanted || !KeyDataToShiftState(message.LParam).Empty() || !CanFocus()) return false;
    Click();
    message.Result = 1;
    return true;
}

void TZylButton::WndProc(TMessage& message) {
    switch (message.Msg) {
        case CN_DRAWITEM:
            DrawItem(*reinterpret_cast<const win32::DRAWITEMSTRUCT*>(message.LParam));
            message.Result = 1;
            return;
        case CN_MEASUREITEM: {
            auto* measure = reinterpret_cast<win32::MEASUREITEMSTRUCT*>(message.LParam);
            measure->itemWidth = static_cast<UINT>(std::max(Width(), 0));
            measure->itemHeight = static_cast<UINT>(std::max(Height(), 0));
            message.Result = 1;
            return;
        }
        case win32::WM_ERASEBKGND:
            // The face covers the whole client area.
            DefaultHandler(message);
            return;
        case win32::WM_GETDLGCODE:
            message.Result = DLGC_BUTTON | (activeDefault_ ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
            return;
        case CM_DIALOGKEY:
            if (HandleDialogKey(message)) return;
            break;
        case CM_DIALOGCHAR:
            if (IsAccel(static_cast<char32_t>(message.WParam), Caption()) && CanFocus()) {
                Click();
                message.Result = 1;
                return;
            }
            break;
        case CM_FOCUSCHANGED:
            FocusChanged(reinterpret_cast<TControl*>(message.LParam));
            break;
        case CM_ENABLEDCHANGED:
            Inherited::WndProc(message);
            Repaint();
            return;
        default:
            break;
    }
    Inherited::WndProc(message);
}

void TZylButton::DrawItem(const win32::DRAWITEMSTRUCT& item) {
    const Integer width = Width(), height = Height();
    if (width <= 0 || height <= 0 || !item.hDC) return;
    const TCanvasPaintScope scope(drawCanvas_.get(), item.hDC);
    TCanvas* canvas = drawCanvas_.get();
    const win32::HDC dc = item.hDC;
    const bool enabled = Enabled();
    const bool selected = (item.itemState & win32::ODS_SELECTED) != 0;
    const TRect client = Rect(0, 0, width, height);

    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(clBtnFace);
    canvas->FillRect(client);
    if (TZylBackground* background = Background()) background->Draw(dc, width, height, true);

    // A pressed face moves one pixel down and right.
    TRect rect = client;
    Integer pressOffset = 0;
    if (selected && enabled) {
        win32::OffsetRect(&rect, 1, 1);
        pressOffset = 1;
    }
    win32::InflateRect(&rect, -3, -3);

    // The glyph is centred without a caption, else at the left with the caption right of it.
    const std::string caption = Caption();
    const Integer glyphWidth = glyph_->Width(), glyphHeight = glyph_->Height();
    const Integer glyphX = caption.empty() ? zylbuttons::HalfRounded(width - glyphWidth) + 1 : rect.left + 1;
    const Integer glyphY = zylbuttons::HalfRounded(height - glyphHeight) + pressOffset;
    glyph_->Draw(canvas, glyphX + 2, glyphY, enabled, selected, false);
    rect.left += glyphWidth + 2;

    if (!caption.empty()) {
        if (enabled)
            font3D_->Write(Font(), dc, rect, caption, CaptionFlags(), true);
        else
            ZylDrawDisabledText(Font(), canvas, rect, caption, CaptionFlags());
    }

    const UINT edge = enabled && selected ? win32::EDGE_SUNKEN : win32::EDGE_RAISED;
    TRect border = client;
    win32::DrawEdge(dc, &border, edge, win32::BF_SOFT | win32::BF_TOPLEFT);
    border = client;
    win32::DrawEdge(dc, &border, edge, win32::BF_SOFT | win32::BF_BOTTOMRIGHT);

    if ((item.itemState & win32::ODS_FOCUS) && enabled) {
        canvas->Pen()->SetColor(clWindowFrame);
        canvas->Pen()->SetStyle(psSolid);
        canvas->Pen()->SetWidth(1);
        canvas->Brush()->SetStyle(bsClear);
        canvas->Rectangle(2, 2, width - 2, height - 2);
    }
}

}  // namespace lumaro
