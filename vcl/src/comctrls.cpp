// The plain-text rich edit and the status bar.
#include "vcl/comctrls.h"

#include <algorithm>

#include "vcl/forms.h"

namespace vcl {

using namespace win32;

namespace {

const bool registered = [] {
    RegisterClasses({TRichEdit::StaticClass(), TStatusBar::StaticClass(), TStatusPanel::StaticClass()});
    return true;
}();

}  // namespace

// ---------------------------------------------------------------------------------------------
// TTextAttributes

TColor TTextAttributes::Color() const {
    return richEdit_->Font()->Color();
}
void TTextAttributes::SetColor(TColor value) {
    richEdit_->Font()->SetColor(value);
}
std::string TTextAttributes::Name() const {
    return richEdit_->Font()->Name();
}
void TTextAttributes::SetName(const std::string& value) {
    richEdit_->Font()->SetName(value);
}
Integer TTextAttributes::Size() const {
    return richEdit_->Font()->Size();
}
void TTextAttributes::SetSize(Integer value) {
    richEdit_->Font()->SetSize(value);
}
Integer TTextAttributes::Height() const {
    return richEdit_->Font()->Height();
}
void TTextAttributes::SetHeight(Integer value) {
    richEdit_->Font()->SetHeight(value);
}
TFontStyles TTextAttributes::Style() const {
    return richEdit_->Font()->Style();
}
void TTextAttributes::SetStyle(TFontStyles value) {
    richEdit_->Font()->SetStyle(value);
}
TFontPitch TTextAttributes::Pitch() const {
    return richEdit_->Font()->Pitch();
}
void TTextAttributes::SetPitch(TFontPitch value) {
    richEdit_->Font()->SetPitch(value);
}
TFontCharset TTextAttributes::Charset() const {
    return richEdit_->Font()->Charset();
}
void TTextAttributes::SetCharset(TFontCharset value) {
    richEdit_->Font()->SetCharset(value);
}

void TTextAttributes::Assign(const TPersistent* source) {
    if (const auto* font = dynamic_cast<const TFont*>(source)) {
        richEdit_->Font()->Assign(font);
        return;
    }
    if (const auto* attributes = dynamic_cast<const TTextAttributes*>(source)) {
        richEdit_->Font()->Assign(attributes->richEdit_->Font());
        return;
    }
    TPersistent::Assign(source);
}

void TTextAttributes::AssignTo(TPersistent* dest) const {
    if (auto* font = dynamic_cast<TFont*>(dest)) {
        font->Assign(richEdit_->Font());
        return;
    }
    TPersistent::AssignTo(dest);
}

TPersistent* TTextAttributes::GetOwner() const {
    return richEdit_;
}

// ---------------------------------------------------------------------------------------------
// TCustomRichEdit

TCustomRichEdit::TCustomRichEdit(TComponent* owner)
    : TCustomMemo(owner),
      defAttributes_(std::make_unique<TTextAttributes>(this, atDefaultText)),
      selAttributes_(std::make_unique<TTextAttributes>(this, atSelected)) {}

TCustomRichEdit::~TCustomRichEdit() = default;

Integer TCustomRichEdit::FindText(const std::string& text, Integer startPos, Integer length,
                                  bool matchCase) const {
    const std::string& all = engine_.Text();
    if (text.empty() || startPos < 0 || length < 0 || static_cast<size_t>(startPos) > all.size()) return -1;
    const size_t end = std::min(all.size(), static_cast<size_t>(startPos) + static_cast<size_t>(length));
    const std::string haystack = matchCase ? all.substr(0, end) : AnsiLowerCase(all.substr(0, end));
    const std::string needle = matchCase ? text : AnsiLowerCase(text);
    const size_t found = haystack.find(needle, static_cast<size_t>(startPos));
    return found == std::string::npos ? -1 : static_cast<Integer>(found);
}

// ---------------------------------------------------------------------------------------------
// Status panels

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
