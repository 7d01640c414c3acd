// The header list: a header over an owner-drawn list box whose lines are drawn in the header's columns.
#include <algorithm>
#include <functional>

#include "lumaro/zylheaders.h"

namespace lumaro {

using namespace vcl;

// The list box of a header list; the list draws on its canvas and hears when its font changes.
class TZylHeaderListBox : public TListBox {
    VCL_CLASS(TZylHeaderListBox, TListBox)
public:
    explicit TZylHeaderListBox(TComponent* owner) : TListBox(owner) {}
    using TCustomListBox::Canvas;

    std::function<void()> OnFontChanged;

    void WndProc(TMessage& message) override {
        TListBox::WndProc(message);
        if (message.Msg == CM_FONTCHANGED && OnFontChanged) OnFontChanged();
    }
};

namespace {

// The line without the blanks and control characters at its ends, the delimiter excepted: a line
// that begins with a tab delimiter keeps its empty first column.
std::string TrimHeaderListLine(std::string_view line, char delimiter) {
    const auto blank = [delimiter](char c) { return c != delimiter && static_cast<unsigned char>(c) <= ' '; };
    size_t first = 0, last = line.size();
    while (first < last && blank(line[first]))
        ++first;
    while (last > first && blank(line[last - 1]))
        --last;
    return std::string(line.substr(first, last - first));
}

std::vector<std::string> SplitHeaderListLine(const std::string& line, char delimiter) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        const size_t end = line.find(delimiter, start);
        parts.push_back(line.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return parts;
        start = end + 1;
    }
}

}  // namespace

VCL_DEFINE_CLASS(TZylHeaderList, vcl::TCustomPanel)

TZylHeaderList::TZylHeaderList(TComponent* owner)
    : TCustomPanel(owner), header_(new TZylHeader(this)), listBox_(new TZylHeaderListBox(this)) {
    // The list never shows a caption of its own, nor holds other controls.
    controlStyle_.Exclude(csSetCaption);
    controlStyle_.Exclude(csAcceptsControls);
    SetCtl3D(false);
    SetBounds(Left(), Top(), 250, 150);

    header_->SetParent(this);
    header_->SetTabStop(false);
    header_->OnSized = [this](TObject*, Integer, Integer) { HeaderSized(); };
    header_->OnSizing = [this](TObject* sender, Integer section, Integer width) {
        if (OnHeaderSizing) OnHeaderSizing(sender, section, width);
    };

    listBox_->SetParent(this);
    listBox_->SetBorderStyle(bsNone);
    listBox_->SetCtl3D(false);
    listBox_->SetColor(clWhite);
    listBox_->OnDrawItem = [this](TWinControl*, Integer index, TRect rect, TOwnerDrawState state) {
        DrawLine(index, rect, state);
    };
    SetListBoxStyle(lbStandard);
    // The lines the list draws itself stay as high as the font's text.
    listBox_->OnFontChanged = [this] {
        if (listBoxStyle_ == lbStandard) SetListBoxStyle(lbStandard);
    };
    RelayListEvents();
    Realign();
}

TZylHeaderList::~TZylHeaderList() = default;

TListBox* TZylHeaderList::ListBox() const {
    return listBox_;
}

void TZylHeaderList::RelayListEvents() {
    listBox_->OnClick = [this](TObject*) {
        if (OnClick) OnClick(this);
    };
    listBox_->OnDblClick = [this](TObject*) {
        if (OnDblClick) OnDblClick(this);
    };
    listBox_->OnMouseDown = [this](TObject*, TMouseButton button, TShiftState shift, Integer x, Integer y) {
        if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
    };
    listBox_->OnMouseMove = [this](TObject*, TShiftState shift, Integer x, Integer y) {
        if (OnMouseMove) OnMouseMove(this, shift, x, y);
    };
    listBox_->OnMouseUp = [this](TObject*, TMouseButton button, TShiftState shift, Integer x, Integer y) {
        if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
    };
    listBox_->OnKeyDown = [this](TObject*, Word& key, TShiftState shift) {
        if (OnKeyDown) OnKeyDown(this, key, shift);
    };
    listBox_->OnKeyPress = [this](TObject*, char32_t& key) {
        if (OnKeyPress) OnKeyPress(this, key);
    };
    listBox_->OnKeyUp = [this](TObject*, Word& key, TShiftState shift) {
        if (OnKeyUp) OnKeyUp(this, key, shift);
    };
    listBox_->OnMeasureItem = [this](TWinControl* control, Integer index, Integer& height) {
        if (OnMeasureItem) OnMeasureItem(control, index, height);
    };
}

// ---------------------------------------------------------------------------------------------
// Forwarded properties

void TZylHeaderList::SetHeaderHeight(Integer value) {
    header_->SetHeight(value);
    Realign();
    Invalidate();
}

void TZylHeaderList::SetHeaderVisible(bool value) {
    header_->SetVisible(value);
    Realign();
    Invalidate();
}

TColor TZylHeaderList::ListColor() const {
    return listBox_->Color();
}
void TZylHeaderList::SetListColor(TColor value) {
    listBox_->SetColor(value);
    listBox_->Invalidate();
}
TCursor TZylHeaderList::ListCursor() const {
    return listBox_->Cursor();
}
void TZylHeaderList::SetListCursor(TCursor value) {
    listBox_->SetCursor(value);
}
TFont* TZylHeaderList::ListFont() const {
    return listBox_->Font();
}
bool TZylHeaderList::IsListFontStored() const {
    return !listBox_->ParentFont();
}
const std::string& TZylHeaderList::ListHint() const {
    return listBox_->Hint();
}
void TZylHeaderList::SetListHint(const std::string& value) {
    listBox_->SetHint(value);
}
TStrings* TZylHeaderList::Items() const {
    return listBox_->Items();
}
void TZylHeaderList::SetItems(const TStrings* value) {
    listBox_->SetItems(value);
}
bool TZylHeaderList::ExtendedSelect() const {
    return listBox_->ExtendedSelect();
}
void TZylHeaderList::SetExtendedSelect(bool value) {
    listBox_->SetExtendedSelect(value);
}
bool TZylHeaderList::MultiSelect() const {
    return listBox_->MultiSelect();
}
void TZylHeaderList::SetMultiSelect(bool value) {
    listBox_->SetMultiSelect(value);
}
bool TZylHeaderList::Sorted() const {
    return listBox_->Sorted();
}
void TZylHeaderList::SetSorted(bool value) {
    listBox_->SetSorted(value);
}
bool TZylHeaderList::ListTabStop() const {
    return listBox_->TabStop();
}
void TZylHeaderList::SetListTabStop(bool value) {
    listBox_->SetTabStop(value);
}
Integer TZylHeaderList::ItemHeight() const {
    return listBox_->ItemHeight();
}
void TZylHeaderList::SetItemHeight(Integer value) {
    listBox_->SetItemHeight(value);
}
Integer TZylHeaderList::ItemIndex() const {
    return listBox_->ItemIndex();
}
void TZylHeaderList::SetItemIndex(Integer value) {
    listBox_->SetItemIndex(value);
}
Integer TZylHeaderList::TopIndex() const {
    return listBox_->TopIndex();
}
void TZylHeaderList::SetTopIndex(Integer value) {
    listBox_->SetTopIndex(value);
}
TCanvas* TZylHeaderList::Canvas() const {
    return listBox_->Canvas();
}

void TZylHeaderList::SetEnabled(bool value) {
    TCustomPanel::SetEnabled(value);
    listBox_->SetEnabled(value);
    header_->SetEnabled(value);
}
bool TZylHeaderList::ListShowHint() const {
    return listBox_->ShowHint();
}
void TZylHeaderList::SetListShowHint(bool value) {
    listBox_->SetShowHint(value);
    header_->SetShowHint(value);
}
bool TZylHeaderList::ListParentShowHint() const {
    return listBox_->ParentShowHint();
}
void TZylHeaderList::SetListParentShowHint(bool value) {
    listBox_->SetParentShowHint(value);
    header_->SetParentShowHint(value);
}

// ---------------------------------------------------------------------------------------------
// Own properties

void TZylHeaderList::SetSelectedColor(TColor value) {
    if (value == selectedColor_) return;
    selectedColor_ = value;
    listBox_->Invalidate();
}

void TZylHeaderList::SetDelimiter(char value) {
    if (value == delimiter_) return;
    delimiter_ = value;
    listBox_->Invalidate();
}

void TZylHeaderList::SetListBoxStyle(TListBoxStyle value) {
    listBoxStyle_ = value;
    if (value != lbStandard) {
        listBox_->SetStyle(value);
        return;
    }
    // The list draws the lines itself, as high as the standard style would make them.
    listBox_->SetStyle(lbStandard);
    const Integer standardHeight = listBox_->ItemHeight();
    listBox_->SetStyle(lbOwnerDrawFixed);
    listBox_->SetItemHeight(standardHeight);
}

// ---------------------------------------------------------------------------------------------
// Lines

Integer TZylHeaderList::AddLine(const std::vector<std::string>& values) {
    std::string line;
    for (size_t i = 0; i < values.size(); ++i) {
        if (i) line += delimiter_;
        line += values[i];
    }
    return listBox_->Items()->Add(line);
}

std::string TZylHeaderList::ItemPart(Integer index, Integer part) const {
    const std::string line = listBox_->Items()->Strings(index);
    if (part < 0) return std::string();
    size_t start = 0;
    for (Integer n = 0; n < part; ++n) {
        const size_t next = line.find(delimiter_, start);
        if (next == std::string::npos) return std::string();
        start = next + 1;
    }
    const size_t end = line.find(delimiter_, start);
    return line.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

Integer TZylHeaderList::ItemAtPos(TPoint pos, bool existing) const {
    return listBox_->ItemAtPos(pos, existing);
}

void TZylHeaderList::Clear() {
    listBox_->Clear();
}

void TZylHeaderList::SetFocus() {
    listBox_->SetFocus();
}

void TZylHeaderList::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) {
    TCustomPanel::GetChildren(
        [&](TComponent* child) {
            if (child != header_ && child != listBox_) proc(child);
        },
        root);
}

void TZylHeaderList::DrawLine(Integer index, TRect rect, TOwnerDrawState state) {
    if (listBoxStyle_ != lbStandard && OnDrawItem) {
        OnDrawItem(listBox_, index, rect, state);
        return;
    }
    TCanvas* canvas = listBox_->Canvas();
    canvas->Brush()->SetStyle(bsSolid);
    if (state.Contains(odSelected)) {
        canvas->Brush()->SetColor(selectedColor_);
        canvas->Font()->SetColor(clHighlightText);
    } else {
        canvas->Brush()->SetColor(listBox_->Color());
        canvas->Font()->SetColor(state.Contains(odDisabled) ? clInactiveCaption : listBox_->Font()->Color());
    }
    canvas->FillRect(rect);
    // The list box draws the focus rectangle of the focused line after this.
    canvas->Brush()->SetStyle(bsClear);

    const std::string line = TrimHeaderListLine(listBox_->Items()->Strings(index), delimiter_);
    if (line.empty()) return;
    const Integer sections = header_->Sections()->Count();
    if (sections == 0) {
        canvas->TextRect(rect, rect.left + 2, rect.top, line);
        return;
    }
    const std::vector<std::string> parts = SplitHeaderListLine(line, delimiter_);
    Integer x = rect.left;
    for (Integer i = 0; i < sections && i < static_cast<Integer>(parts.size()); ++i) {
        const Integer width = header_->GetWidth(i);
        canvas->TextRect(Rect(x, rect.top, x + width, rect.bottom), x + 2, rect.top + 1,
                         parts[static_cast<size_t>(i)]);
        x += width;
    }
}

void TZylHeaderList::HeaderSized() {
    listBox_->Refresh();
    if (OnHeaderSized) OnHeaderSized(header_);
}

// ---------------------------------------------------------------------------------------------
// Layout

void TZylHeaderList::AlignControls(TControl* control, TRect& rect) {
    TCustomPanel::AlignControls(control, rect);
    const Integer shown = header_->Visible() ? 1 : 0;
    const Integer top = (shown ? header_->Height() : 0) + 3;
    const Integer width = std::max(0, Width() - (shown ? 8 : 6));
    listBox_->SetBounds(3 + shown, top, width, std::max(0, Height() - top - shown - 3));
    listBox_->SetVisible(true);
    if (shown) header_->SetBounds(3, 3, width + 2, header_->Height());
}

}  // namespace lumaro
