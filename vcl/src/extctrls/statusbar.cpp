// The status bar and its panels.
#include "vcl/comctrls.h"

#include <algorithm>

#include "vcl/forms.h"

namespace vcl {

using namespace win32;

namespace {

const bool statusbarClassesRegistered = [] {
    RegisterClasses({TStatusBar::StaticClass(), TStatusPanel::StaticClass()});
    return true;
}();

}  // namespace

// ---------------------------------------------------------------------------------------------
// Status panels

VCL_DEFINE_CLASS(TStatusPanel, TCollectionItem)

void TStatusPanel::SetAlignment(TAlignment value) {
    if (alignment_ == value) return;
    alignment_ = value;
    Changed(false);
}

void TStatusPanel::SetBevel(TStatusPanelBevel value) {
    if (bevel_ == value) return;
    bevel_ = value;
    Changed(false);
}

void TStatusPanel::SetStyle(TStatusPanelStyle value) {
    if (style_ == value) return;
    style_ = value;
    Changed(false);
}

void TStatusPanel::SetText(const std::string& value) {
    if (text_ == value) return;
    text_ = value;
    Changed(false);
}

void TStatusPanel::SetWidth(Integer value) {
    value = std::max<Integer>(value, 0);
    if (width_ == value) return;
    width_ = value;
    Changed(true);
}

std::string TStatusPanel::DisplayName() const {
    return text_.empty() ? TCollectionItem::DisplayName() : text_;
}

VCL_DEFINE_CLASS(TStatusPanels, TCollection)

TStatusPanels::TStatusPanels(TStatusBar* statusBar)
    : TCollection(TStatusPanel::StaticClass()), statusBar_(statusBar) {
    SetPropName("Panels");
}

TPersistent* TStatusPanels::GetOwner() const {
    return statusBar_;
}

void TStatusPanels::Update(TCollectionItem* item) {
    TCollection::Update(item);
    statusBar_->Invalidate();
}

// ---------------------------------------------------------------------------------------------
// TStatusBar

VCL_DEFINE_CLASS(TStatusBar, TCustomControl)

TStatusBar::TStatusBar(TComponent* owner)
    : TCustomControl(owner), panels_(std::make_unique<TStatusPanels>(this)) {
    controlStyle_ = TControlStyle{csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque};
    SetColor(clBtnFace);
    SetBounds(0, 0, 150, 19);
    SetAlign(alBottom);
}

TStatusBar::~TStatusBar() = default;

void TStatusBar::SetSimplePanel(bool value) {
    if (simplePanel_ == value) return;
    simplePanel_ = value;
    Invalidate();
}

void TStatusBar::SetSimpleText(const std::string& value) {
    if (simpleText_ == value) return;
    simpleText_ = value;
    if (simplePanel_) Invalidate();
}

void TStatusBar::SetSizeGrip(bool value) {
    if (sizeGrip_ == value) return;
    sizeGrip_ = value;
    Invalidate();
}

bool TStatusBar::ShowsSizeGrip() const {
    // The grip belongs to a bar that sits on the bottom edge of a resizable form.
    if (!sizeGrip_) return false;
    const TCustomForm* form = GetParentForm(const_cast<TStatusBar*>(this));
    return !form || form->BorderStyle() == bsSizeable || form->BorderStyle() == bsSizeToolWin;
}

TRect TStatusBar::PanelRect(int index) const {
    // Validates the index the way the collection does.
    (void)panels_->Items(index);
    const TRect client = ClientRect();
    const Integer gripWidth = ShowsSizeGrip() ? client.bottom : 0;
    Integer left = 0;
    for (int i = 0; i < index; ++i)
        left += panels_->Items(i)->Width();
    // The last panel runs to the right edge.
    Integer right =
        index == panels_->Count() - 1 ? client.right - gripWidth : left + panels_->Items(index)->Width();
    right = std::max(right, left);
    return TRect{left, 2, std::max(left, right - 2), client.bottom};
}

void TStatusBar::DrawBevel(TRect rect, TStatusPanelBevel bevel) {
    if (bevel == pbNone) return;
    const HDC dc = Canvas()->Handle();
    DrawEdge(dc, &rect, bevel == pbLowered ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
}

void TStatusBar::DrawPanelText(const std::string& text, TRect rect, TAlignment alignment) {
    TCanvas* canvas = Canvas();
    canvas->Font()->Assign(Font());
    canvas->Brush()->SetStyle(bsClear);
    static constexpr UINT kAlign[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    rect.left += 2;
    rect.right -= 2;
    const HDC dc = canvas->Handle();
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(Font()->Color()));
    DrawText(
        dc, text.data(), static_cast<int>(text.size()), &rect,
        kAlign[static_cast<size_t>(alignment)] | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    canvas->Brush()->SetStyle(bsSolid);
}

void TStatusBar::DrawPanel(TStatusPanel* panel, const TRect& rect) {
    if (OnDrawPanel) {
        OnDrawPanel(this, panel, rect);
        return;
    }
    TCanvas* canvas = Canvas();
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(rect);
}

void TStatusBar::Paint() {
    TCanvas* canvas = Canvas();
    const TRect client = ClientRect();
    canvas->Brush()->SetColor(Color());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(client);
    const Integer gripWidth = ShowsSizeGrip() ? client.bottom : 0;
    if (simplePanel_) {
        const TRect rect{0, 2, std::max<Integer>(0, client.right - gripWidth), client.bottom};
        DrawBevel(rect, pbLowered);
        DrawPanelText(simpleText_, TRect{rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1},
                      TAlignment::taLeftJustify);
    } else {
        for (int i = 0; i < panels_->Count(); ++i) {
            TStatusPanel* panel = panels_->Items(i);
            const TRect rect = PanelRect(i);
            if (rect.right <= rect.left) continue;
            DrawBevel(rect, panel->Bevel());
            const TRect inner{rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1};
            if (panel->Style() == psOwnerDraw)
                DrawPanel(panel, inner);
            else
                DrawPanelText(panel->Text(), inner, panel->Alignment());
        }
    }
    if (gripWidth > 0) {
        RECT grip{client.right - gripWidth, client.top, client.right, client.bottom};
        DrawFrameControl(canvas->Handle(), &grip, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
    }
}

}  // namespace vcl
