// TCustomListBox: item storage, the LB_* messages, geometry and scrolling, selection by mouse and
// keyboard, and painting of standard and owner-drawn rows.
#include <algorithm>
#include <cstring>

#include "controls/controls_internal.h"
#include "vcl/forms.h"
#include "vcl/stdctrls_list.h"
#include "win32/gdi.h"
#include "win32/menu.h"
#include "win32/user.h"
#include "win32/utf8.h"
#include "win32/virtualkeys.h"

using namespace win32;

namespace vcl {

namespace {

constexpr UINT_PTR kAutoScrollTimer = 1;
constexpr UINT kAutoScrollInterval = 100;
constexpr Integer kMaxItemHeight = 255;

unsigned char FoldCase(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

int CompareNoCase(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const unsigned char ca = FoldCase(static_cast<unsigned char>(a[i]));
        const unsigned char cb = FoldCase(static_cast<unsigned char>(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && CompareNoCase(text.substr(0, prefix.size()), prefix) == 0;
}

}  // namespace

TOwnerDrawState OwnerDrawStateFromBits(UINT itemState) {
    SetBits bits;
    bits.words[0] = itemState & 0x1FFF;
    return TOwnerDrawState::FromBits(bits);
}

UINT OwnerDrawStateToBits(TOwnerDrawState state) {
    return static_cast<UINT>(state.Bits().words[0] & 0x1FFF);
}

// ---------------------------------------------------------------------------------------------
// The Items of a list box: a view of the control's own entries.

class TListBoxStrings : public TStrings {
    VCL_CLASS(TListBoxStrings, TStrings)
public:
    explicit TListBoxStrings(TCustomListBox* listBox) : listBox_(listBox) {}

    int Add(const std::string& s) override { return listBox_->AddEntry(s, 0); }
    void Insert(int index, const std::string& s) override {
        if (index < 0 || index > listBox_->Count()) Error("List index out of bounds (%d)", index);
        listBox_->InsertEntry(index, s, 0);
    }
    void Delete(int index) override {
        CheckIndex(index);
        listBox_->DeleteEntry(index);
    }
    void Clear() override { listBox_->ResetContent(); }

protected:
    std::string Get(int index) const override {
        CheckIndex(index);
        return listBox_->entries_[static_cast<size_t>(index)].text;
    }
    int GetCount() const override { return listBox_->Count(); }
    void Put(int index, const std::string& s) override {
        CheckIndex(index);
        listBox_->entries_[static_cast<size_t>(index)].text = s;
        if (listBox_->style_ == lbOwnerDrawVariable) listBox_->MeasureEntry(index);
        listBox_->InvalidateItem(index);
    }
    TObject* GetObject(int index) const override {
        CheckIndex(index);
        return reinterpret_cast<TObject*>(listBox_->entries_[static_cast<size_t>(index)].data);
    }
    void PutObject(int index, TObject* object) override {
        CheckIndex(index);
        listBox_->entries_[static_cast<size_t>(index)].data = reinterpret_cast<LPARAM>(object);
    }
    void SetUpdateState(bool updating) override {
        listBox_->updating_ = updating;
        if (!updating) {
            listBox_->UpdateScrollBar();
            listBox_->Invalidate();
        }
    }

private:
    void CheckIndex(int index) const {
        if (index < 0 || index >= listBox_->Count()) Error("List index out of bounds (%d)", index);
    }

    TCustomListBox* listBox_;
};

// ---------------------------------------------------------------------------------------------
// Construction

VCL_DEFINE_CLASS(TCustomListBox, TWinControl)

TCustomListBox::TCustomListBox(TComponent* owner)
    : TWinControl(owner),
      items_(std::make_unique<TListBoxStrings>(this)),
      canvas_(std::make_unique<TControlCanvas>()) {
    canvas_->SetControl(this);
    controlStyle_ = TControlStyle{csSetCaption, csDoubleClicks, csCaptureMouse, csOpaque};
    SetBounds(0, 0, 121, 97);
    SetTabStop(true);
    SetParentColor(false);
    SetColor(clWindow);
}

TCustomListBox::~TCustomListBox() {
    canvas_->FreeHandle();
}

void TCustomListBox::SetItems(const TStrings* value) {
    items_->Assign(value);
}

void TCustomListBox::Clear() {
    ResetContent();
}

void TCustomListBox::Loaded() {
    TWinControl::Loaded();
    RemeasureAll();
    UpdateScrollBar();
}

void TCustomListBox::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.Style |= WS_VSCROLL | LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT;
    if (sorted_) params.Style |= LBS_SORT;
    if (multiSelect_) params.Style |= extendedSelect_ ? LBS_EXTENDEDSEL : LBS_MULTIPLESEL;
    if (style_ == lbOwnerDrawFixed) params.Style |= LBS_OWNERDRAWFIXED;
    if (style_ == lbOwnerDrawVariable) params.Style |= LBS_OWNERDRAWVARIABLE;
    if (columns_ > 0) params.Style = (params.Style & ~WS_VSCROLL) | WS_HSCROLL | LBS_MULTICOLUMN;
    if (borderStyle_ != bsNone) {
        if (Ctl3D())
            params.ExStyle |= WS_EX_CLIENTEDGE;
        else
            params.Style |= WS_BORDER;
    }
    params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TCustomListBox::CreateHandleDone() {
    TWinControl::CreateHandleDone();
    SetTopIndexInternal(topIndex_);
    UpdateScrollBar();
}

// ---------------------------------------------------------------------------------------------
// Items

Integer TCustomListBox::SortedPosition(const std::string& text) const {
    auto it =
        std::upper_bound(entries_.begin(), entries_.end(), text,
                         [](const std::string& s, const Entry& e) { return CompareNoCase(s, e.text) < 0; });
    return static_cast<Integer>(it - entries_.begin());
}

Integer TCustomListBox::AddEntry(const std::string& text, LPARAM data) {
    return InsertEntry(sorted_ ? SortedPosition(text) : Count(), text, data);
}

Integer TCustomListBox::InsertEntry(Integer index, const std::string& text, LPARAM data) {
    Entry entry;
    entry.text = text;
    entry.data = data;
    entries_.insert(entries_.begin() + index, std::move(entry));
    // Indexes at or after the new row move down with their rows.
    if (curSel_ >= index) ++curSel_;
    if (caret_ >= index && Count() > 1) ++caret_;
    if (anchor_ >= index) ++anchor_;
    MeasureEntry(index);
    if (!updating_) {
        UpdateScrollBar();
        Invalidate();
    }
    return index;
}

void TCustomListBox::DeleteEntry(Integer index) {
    entries_.erase(entries_.begin() + index);
    auto shift = [index](Integer& value) {
        if (value == index)
            value = -1;
        else if (value > index)
            --value;
    };
    shift(curSel_);
    shift(anchor_);
    if (caret_ > index || caret_ >= Count()) --caret_;
    if (topIndex_ > LastTopIndex()) topIndex_ = LastTopIndex();
    if (!updating_) {
        UpdateScrollBar();
        Invalidate();
    }
}

void TCustomListBox::ResetContent() {
    entries_.clear();
    curSel_ = caret_ = anchor_ = -1;
    topIndex_ = 0;
    UpdateScrollBar();
    Invalidate();
}

Integer TCustomListBox::MeasureEntry(Integer index) {
    Entry& entry = entries_[static_cast<size_t>(index)];
    Integer height = style_ == lbStandard ? StandardItemHeight() : itemHeight_;
    if (style_ == lbOwnerDrawVariable && !IsLoading()) {
        MEASUREITEMSTRUCT measure{ODT_LISTBOX,
                                  0,
                                  static_cast<UINT>(index),
                                  static_cast<UINT>(ClientWidth()),
                                  static_cast<UINT>(height),
                                  static_cast<ULONG_PTR>(entry.data)};
        const HWND parentWindow = HandleAllocated() ? GetParent(Handle()) : nullptr;
        if (parentWindow && !FindControl(parentWindow)) {
            measure.CtlID = static_cast<UINT>(GetWindowLong(Handle(), GWL_ID));
            SendMessage(parentWindow, WM_MEASUREITEM, measure.CtlID, reinterpret_cast<LPARAM>(&measure));
        } else {
            Perform(CN_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
        }
        height = std::clamp(static_cast<Integer>(measure.itemHeight), 1, kMaxItemHeight);
    }
    entry.height = height;
    return height;
}

void TCustomListBox::RemeasureAll() {
    for (Integer i = 0; i < Count(); ++i)
        MeasureEntry(i);
}

// ---------------------------------------------------------------------------------------------
// Properties

Integer TCustomListBox::ItemIndex() const {
    if (multiSelect_) return Count() == 0 ? -1 : std::clamp(caret_, 0, Count() - 1);
    return curSel_;
}

void TCustomListBox::SetItemIndex(Integer value) {
    if (ItemIndex() == value) return;
    if (multiSelect_)
        Perform(LB_SETCARETINDEX, static_cast<WPARAM>(value), 0);
    else
        Perform(LB_SETCURSEL, static_cast<WPARAM>(value), 0);
}

bool TCustomListBox::Selected(Integer index) const {
    if (index < 0 || index >= Count()) throw EListError(Format("List index out of bounds (%d)", {index}));
    return multiSelect_ ? entries_[static_cast<size_t>(index)].selected : curSel_ == index;
}

void TCustomListBox::SetSelected(Integer index, bool value) {
    if (index < 0 || index >= Count()) throw EListError(Format("List index out of bounds (%d)", {index}));
    if (multiSelect_) {
        if (entries_[static_cast<size_t>(index)].selected != value) {
            entries_[static_cast<size_t>(index)].selected = value;
            InvalidateItem(index);
        }
    } else if (value) {
        SetCurSelInternal(index);
    } else if (curSel_ == index) {
        SetCurSelInternal(-1);
    }
}

Integer TCustomListBox::SelCount() const {
    if (!multiSelect_) return -1;
    return static_cast<Integer>(
        std::count_if(entries_.begin(), entries_.end(), [](const Entry& e) { return e.selected; }));
}

void TCustomListBox::SetTopIndex(Integer value) {
    if (value != topIndex_) SetTopIndexInternal(value);
}

void TCustomListBox::SetStyle(TListBoxStyle value) {
    if (style_ == value) return;
    style_ = value;
    RemeasureAll();
    RecreateWnd();
    Invalidate();
}

Integer TCustomListBox::ItemHeight() const {
    return style_ == lbStandard ? StandardItemHeight() : itemHeight_;
}

void TCustomListBox::SetItemHeight(Integer value) {
    if (value <= 0 || value > kMaxItemHeight || value == itemHeight_) return;
    itemHeight_ = value;
    if (style_ != lbStandard) {
        RemeasureAll();
        SetTopIndexInternal(topIndex_);
        UpdateScrollBar();
        Invalidate();
    }
}

void TCustomListBox::SetMultiSelect(bool value) {
    if (multiSelect_ == value) return;
    multiSelect_ = value;
    // The selection carries over between the two kinds of list.
    if (value) {
        for (Entry& entry : entries_)
            entry.selected = false;
        if (curSel_ >= 0) entries_[static_cast<size_t>(curSel_)].selected = true;
        anchor_ = caret_;
    } else {
        curSel_ = -1;
        for (Integer i = 0; i < Count(); ++i)
            if (entries_[static_cast<size_t>(i)].selected && curSel_ < 0) curSel_ = i;
        for (Entry& entry : entries_)
            entry.selected = false;
    }
    RecreateWnd();
    Invalidate();
}

void TCustomListBox::SetExtendedSelect(bool value) {
    if (extendedSelect_ == value) return;
    extendedSelect_ = value;
    RecreateWnd();
}

void TCustomListBox::SetSorted(bool value) {
    if (sorted_ == value) return;
    sorted_ = value;
    if (value) {
        std::stable_sort(entries_.begin(), entries_.end(),
                         [](const Entry& a, const Entry& b) { return CompareNoCase(a.text, b.text) < 0; });
        curSel_ = caret_ = anchor_ = -1;
        if (multiSelect_) {
            for (Entry& entry : entries_)
                entry.selected = false;
        }
        Invalidate();
    }
    RecreateWnd();
}

void TCustomListBox::SetColumns(Integer value) {
    value = std::max(0, value);
    if (columns_ == value) return;
    columns_ = value;
    topIndex_ = 0;
    RecreateWnd();
    Invalidate();
}

void TCustomListBox::SetIntegralHeight(bool value) {
    if (integralHeight_ == value) return;
    integralHeight_ = value;
    SetBounds(Left(), Top(), Width(), Height());
}

void TCustomListBox::SetBorderStyle(TBorderStyle value) {
    if (value != bsNone) value = bsSingle;
    if (borderStyle_ == value) return;
    borderStyle_ = value;
    RecreateWnd();
}

void TCustomListBox::SetBounds(Integer left, Integer top, Integer width, Integer height) {
    if (integralHeight_ && style_ != lbOwnerDrawVariable && columns_ == 0 && !IsLoading()) {
        TCreateParams params;
        CreateParams(params);
        RECT frame{0, 0, 0, 0};
        AdjustWindowRectEx(&frame, params.Style & ~(WS_VSCROLL | WS_HSCROLL), FALSE, params.ExStyle);
        const Integer border = frame.bottom - frame.top;
        const Integer row = ItemHeight();
        const Integer rows = (height - border) / row;
        if (rows >= 1) height = border + rows * row;
    }
    TWinControl::SetBounds(left, top, width, height);
}

// ---------------------------------------------------------------------------------------------
// Geometry

Integer TCustomListBox::StandardItemHeight() const {
    if (standardHeight_ > 0 && standardHeightFont_ == font_->Handle()) return standardHeight_;
    // A font that cannot be measured gets the height of the default font's rows.
    const Integer textHeight = TextMeasure(font_.get()).Height();
    standardHeight_ = textHeight > 0 ? std::min(textHeight, kMaxItemHeight) : 13;
    standardHeightFont_ = font_->Handle();
    return standardHeight_;
}

Integer TCustomListBox::RowHeight(Integer index) const {
    if (style_ == lbOwnerDrawVariable && index >= 0 && index < Count()) {
        const Integer height = entries_[static_cast<size_t>(index)].height;
        return height > 0 ? height : itemHeight_;
    }
    return ItemHeight();
}

Integer TCustomListBox::RowsPerColumn() const {
    return std::max(1, ClientHeight() / ItemHeight());
}

Integer TCustomListBox::ColumnWidth() const {
    return std::max(1, columns_ > 0 ? ClientWidth() / columns_ : ClientWidth());
}

Integer TCustomListBox::FullyVisibleRows() const {
    const Integer clientHeight = ClientHeight();
    if (style_ != lbOwnerDrawVariable) return std::max(1, clientHeight / ItemHeight());
    Integer rows = 0, y = 0;
    for (Integer i = topIndex_; i < Count(); ++i) {
        y += RowHeight(i);
        if (y > clientHeight) break;
        ++rows;
    }
    return std::max(1, rows);
}

Integer TCustomListBox::LastTopIndex() const {
    const Integer count = Count();
    if (count == 0) return 0;
    if (columns_ > 0) {
        const Integer rows = RowsPerColumn();
        const Integer totalColumns = (count + rows - 1) / rows;
        const Integer visibleColumns = std::max(1, ClientWidth() / ColumnWidth());
        return std::max(0, totalColumns - visibleColumns) * rows;
    }
    if (style_ != lbOwnerDrawVariable) return std::max(0, count - std::max(1, ClientHeight() / ItemHeight()));
    Integer y = 0, top = count;
    while (top > 0 && y + RowHeight(top - 1) <= ClientHeight()) {
        y += RowHeight(top - 1);
        --top;
    }
    return std::min(top, count - 1);
}

TRect TCustomListBox::ItemRect(Integer index) const {
    if (index < 0 || index > Count()) throw EListError(Format("List index out of bounds (%d)", {index}));
    if (columns_ > 0) {
        const Integer rows = RowsPerColumn();
        const Integer width = ColumnWidth();
        const Integer column = index / rows - topIndex_ / rows;
        const Integer y = (index % rows) * ItemHeight();
        return Rect(column * width, y, column * width + width, y + ItemHeight());
    }
    Integer y = 0;
    if (style_ != lbOwnerDrawVariable) {
        y = (index - topIndex_) * ItemHeight();
    } else if (index >= topIndex_) {
        for (Integer i = topIndex_; i < index; ++i)
            y += RowHeight(i);
    } else {
        for (Integer i = index; i < topIndex_; ++i)
            y -= RowHeight(i);
    }
    return Rect(0, y, ClientWidth(), y + RowHeight(index));
}

Integer TCustomListBox::ItemFromPoint(TPoint pos, bool& outside) const {
    const TRect client = ClientRect();
    outside = pos.x < 0 || pos.x >= client.right || pos.y < 0 || pos.y >= client.bottom;
    const Integer count = Count();
    if (count == 0) {
        outside = true;
        return 0;
    }
    Integer index = 0;
    if (columns_ > 0) {
        const Integer rows = RowsPerColumn();
        const Integer column = std::max(0, pos.x) / ColumnWidth();
        const Integer row = std::clamp(pos.y / ItemHeight(), 0, rows - 1);
        index = topIndex_ + column * rows + row;
    } else if (pos.y < 0) {
        index = std::max(0, topIndex_ - 1);
    } else {
        Integer y = 0;
        index = topIndex_;
        while (index < count && y + RowHeight(index) <= pos.y) {
            y += RowHeight(index);
            ++index;
        }
    }
    if (index >= count) {
        outside = true;
        index = count - 1;
    }
    return index;
}

Integer TCustomListBox::ItemAtPos(TPoint pos, bool existing) const {
    const TRect client = ClientRect();
    if (pos.x >= 0 && pos.x < client.right && pos.y >= 0 && pos.y < client.bottom) {
        for (Integer i = topIndex_; i < Count(); ++i) {
            const TRect r = ItemRect(i);
            if (r.top >= client.bottom && columns_ == 0) break;
            if (pos.x >= r.left && pos.x < r.right && pos.y >= r.top && pos.y < r.bottom) return i;
        }
    }
    return existing ? -1 : Count();
}

void TCustomListBox::SetTopIndexInternal(Integer value) {
    Integer top = std::clamp(value, 0, LastTopIndex());
    if (columns_ > 0) top -= top % RowsPerColumn();
    if (top == topIndex_) return;
    topIndex_ = top;
    UpdateScrollBar();
    Invalidate();
}

void TCustomListBox::ScrollIntoView(Integer index) {
    if (index < 0 || index >= Count()) return;
    if (columns_ > 0) {
        const Integer rows = RowsPerColumn();
        const Integer visibleColumns = std::max(1, ClientWidth() / ColumnWidth());
        const Integer column = index / rows, topColumn = topIndex_ / rows;
        if (column < topColumn)
            SetTopIndexInternal(column * rows);
        else if (column >= topColumn + visibleColumns)
            SetTopIndexInternal((column - visibleColumns + 1) * rows);
        return;
    }
    if (index < topIndex_) {
        SetTopIndexInternal(index);
        return;
    }
    const Integer clientHeight = ClientHeight();
    Integer newTop = topIndex_;
    auto bottomOf = [&](Integer top) {
        Integer y = 0;
        for (Integer i = top; i <= index; ++i)
            y += RowHeight(i);
        return y;
    };
    while (newTop < index && bottomOf(newTop) > clientHeight)
        ++newTop;
    SetTopIndexInternal(newTop);
}

void TCustomListBox::UpdateScrollBar() {
    if (!HandleAllocated() || updatingScrollBar_) return;
    // Showing or hiding the bar resizes the client area, and WM_SIZE comes back here.
    const ScopedValue updating(updatingScrollBar_, true);
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    if (columns_ > 0) {
        const Integer rows = RowsPerColumn();
        info.nMax = std::max(0, (Count() + rows - 1) / rows - 1);
        info.nPage = static_cast<UINT>(std::max(1, ClientWidth() / ColumnWidth()));
        info.nPos = topIndex_ / rows;
        SetScrollInfo(Handle(), SB_HORZ, &info, TRUE);
    } else {
        info.nMax = std::max(0, Count() - 1);
        info.nPage = static_cast<UINT>(FullyVisibleRows());
        info.nPos = topIndex_;
        SetScrollInfo(Handle(), SB_VERT, &info, TRUE);
    }
}

void TCustomListBox::HandleScroll(Word code, Integer thumb) {
    const Integer step = columns_ > 0 ? RowsPerColumn() : 1;
    const Integer page = columns_ > 0 ? std::max(1, ClientWidth() / ColumnWidth()) * step
                                      : std::max(1, FullyVisibleRows() - 1);
    switch (code) {
        case SB_LINEUP:
            SetTopIndexInternal(topIndex_ - step);
            break;
        case SB_LINEDOWN:
            SetTopIndexInternal(topIndex_ + step);
            break;
        case SB_PAGEUP:
            SetTopIndexInternal(topIndex_ - page);
            break;
        case SB_PAGEDOWN:
            SetTopIndexInternal(topIndex_ + page);
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            SetTopIndexInternal(thumb * step);
            break;
        case SB_TOP:
            SetTopIndexInternal(0);
            break;
        case SB_BOTTOM:
            SetTopIndexInternal(LastTopIndex());
            break;
        default:
            break;
    }
}

void TCustomListBox::InvalidateItem(Integer index) {
    if (!HandleAllocated() || index < 0 || index >= Count()) return;
    const RECT rect = ItemRect(index);
    InvalidateRect(Handle(), &rect, FALSE);
}

// ---------------------------------------------------------------------------------------------
// Selection

void TCustomListBox::SetCurSelInternal(Integer index) {
    if (index < -1 || index >= Count()) index = -1;
    if (curSel_ == index) return;
    InvalidateItem(curSel_);
    InvalidateItem(caret_);
    curSel_ = index;
    if (index >= 0) caret_ = index;
    InvalidateItem(index);
    ScrollIntoView(index);
}

bool TCustomListBox::SelectRange(Integer first, Integer last, bool select) {
    if (first > last) std::swap(first, last);
    first = std::max(first, 0);
    last = std::min(last, Count() - 1);
    bool changed = false;
    for (Integer i = first; i <= last; ++i) {
        Entry& entry = entries_[static_cast<size_t>(i)];
        if (entry.selected != select) {
            entry.selected = select;
            changed = true;
            InvalidateItem(i);
        }
    }
    return changed;
}

void TCustomListBox::SelectByUser(Integer index, TShiftState shift, bool fromMouse) {
    if (index < 0 || index >= Count()) return;
    bool changed = false;
    const Integer oldCaret = caret_;
    if (!multiSelect_) {
        changed = curSel_ != index;
        SetCurSelInternal(index);
        caret_ = index;
    } else if (!extendedSelect_) {
        // A simple multiple-selection list toggles with the mouse; keys only move the caret.
        if (fromMouse) {
            Entry& entry = entries_[static_cast<size_t>(index)];
            entry.selected = !entry.selected;
            changed = true;
        }
        caret_ = index;
    } else if (shift.Contains(ssShift)) {
        if (anchor_ < 0) anchor_ = std::max(0, caret_);
        if (!shift.Contains(ssCtrl)) {
            std::vector<bool> before;
            for (const Entry& entry : entries_)
                before.push_back(entry.selected);
            for (Entry& entry : entries_)
                entry.selected = false;
            SelectRange(anchor_, index, true);
            for (Integer i = 0; i < Count(); ++i)
                if (before[static_cast<size_t>(i)] != entries_[static_cast<size_t>(i)].selected) {
                    changed = true;
                    InvalidateItem(i);
                }
        } else {
            changed = SelectRange(anchor_, index, true);
        }
        caret_ = index;
    } else if (shift.Contains(ssCtrl)) {
        if (fromMouse) {
            Entry& entry = entries_[static_cast<size_t>(index)];
            entry.selected = !entry.selected;
            trackSelectState_ = entry.selected;
            changed = true;
            anchor_ = index;
        }
        caret_ = index;
    } else {
        for (Integer i = 0; i < Count(); ++i) {
            Entry& entry = entries_[static_cast<size_t>(i)];
            const bool want = i == index;
            if (entry.selected != want) {
                entry.selected = want;
                changed = true;
                InvalidateItem(i);
            }
        }
        anchor_ = caret_ = index;
    }
    InvalidateItem(oldCaret);
    InvalidateItem(index);
    ScrollIntoView(index);
    if (changed) SelectionChangedByUser();
}

void TCustomListBox::SelectionChangedByUser() {
    NotifyParent(LBN_SELCHANGE);
}

void TCustomListBox::NotifyParent(Word code) {
    if (!HandleAllocated()) return;
    const HWND parentWindow = GetParent(Handle());
    if (!parentWindow) return;
    const auto id = static_cast<WORD>(GetWindowLong(Handle(), GWL_ID));
    SendMessage(parentWindow, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(Handle()));
}

Integer TCustomListBox::FindString(Integer start, std::string_view text, bool exact) const {
    const Integer count = Count();
    if (count == 0) return -1;
    if (start < 0 || start >= count) start = -1;
    for (Integer n = 1; n <= count; ++n) {
        const Integer i = (start + n) % count;
        const std::string& item = entries_[static_cast<size_t>(i)].text;
        if (exact ? CompareNoCase(item, text) == 0 : StartsWithNoCase(item, text)) return i;
    }
    return -1;
}

// ---------------------------------------------------------------------------------------------
// Messages

LRESULT TCustomListBox::HandleListMessage(TMessage& message, bool& handled) {
    handled = true;
    const WPARAM wParam = message.WParam;
    const LPARAM lParam = message.LParam;
    const auto index = static_cast<Integer>(static_cast<int>(wParam));
    const bool valid = index >= 0 && index < Count();
    switch (message.Msg) {
        case LB_ADDSTRING:
            return AddEntry(std::string(detail::MessageText(lParam)), 0);
        case LB_INSERTSTRING: {
            if (index < -1 || index > Count()) return LB_ERR;
            return InsertEntry(index == -1 ? Count() : index, std::string(detail::MessageText(lParam)), 0);
        }
        case LB_DELETESTRING:
            if (!valid) return LB_ERR;
            DeleteEntry(index);
            return Count();
        case LB_RESETCONTENT:
            ResetContent();
            return LB_OKAY;
        case LB_GETCOUNT:
            return Count();
        case LB_SETCURSEL:
            if (multiSelect_) return LB_ERR;
            SetCurSelInternal(valid ? index : -1);
            return valid ? index : LB_ERR;
        case LB_GETCURSEL:
            if (multiSelect_) return Count() == 0 ? LB_ERR : ItemIndex();
            return curSel_ >= 0 ? curSel_ : LB_ERR;
        case LB_SETSEL: {
            if (!multiSelect_) return LB_ERR;
            const auto item = static_cast<Integer>(lParam);
            if (item == -1) {
                SelectRange(0, Count() - 1, wParam != 0);
                return LB_OKAY;
            }
            if (item < 0 || item >= Count()) return LB_ERR;
            SelectRange(item, item, wParam != 0);
            InvalidateItem(caret_);
            caret_ = item;
            anchor_ = item;
            InvalidateItem(item);
            return LB_OKAY;
        }
        case LB_GETSEL:
            if (!valid) return LB_ERR;
            return Selected(index) ? 1 : 0;
        case LB_GETSELCOUNT:
            return multiSelect_ ? SelCount() : LB_ERR;
        case LB_GETSELITEMS: {
            if (!multiSelect_) return LB_ERR;
            auto* buffer = reinterpret_cast<int*>(lParam);
            const auto max = static_cast<Integer>(static_cast<int>(wParam));
            if (!buffer && max > 0) return LB_ERR;
            Integer n = 0;
            for (Integer i = 0; i < Count() && n < max; ++i)
                if (entries_[static_cast<size_t>(i)].selected) buffer[n++] = i;
            return n;
        }
        case LB_SELITEMRANGE: {
            if (!multiSelect_) return LB_ERR;
            SelectRange(LOWORD(static_cast<DWORD_PTR>(lParam)), HIWORD(static_cast<DWORD_PTR>(lParam)),
                        wParam != 0);
            return LB_OKAY;
        }
        case LB_SELITEMRANGEEX: {
            if (!multiSelect_) return LB_ERR;
            const auto first = index, last = static_cast<Integer>(lParam);
            if (first <= last)
                SelectRange(first, last, true);
            else
                SelectRange(last, first, false);
            return LB_OKAY;
        }
        case LB_GETTEXT: {
            if (!valid) return LB_ERR;
            const std::string& text = entries_[static_cast<size_t>(index)].text;
            if (auto* buffer = reinterpret_cast<char*>(lParam)) {
                std::memcpy(buffer, text.data(), text.size());
                buffer[text.size()] = '\0';
            }
            return static_cast<LRESULT>(text.size());
        }
        case LB_GETTEXTLEN:
            return valid ? static_cast<LRESULT>(entries_[static_cast<size_t>(index)].text.size()) : LB_ERR;
        case LB_GETITEMDATA:
            return valid ? entries_[static_cast<size_t>(index)].data : LB_ERR;
        case LB_SETITEMDATA:
            if (!valid) return LB_ERR;
            entries_[static_cast<size_t>(index)].data = lParam;
            return LB_OKAY;
        case LB_FINDSTRING:
        case LB_FINDSTRINGEXACT: {
            const Integer found = FindString(index, std::string(detail::MessageText(lParam)),
                                             message.Msg == LB_FINDSTRINGEXACT);
            return found >= 0 ? found : LB_ERR;
        }
        case LB_SELECTSTRING: {
            if (multiSelect_) return LB_ERR;
            const Integer found = FindString(index, std::string(detail::MessageText(lParam)), false);
            if (found < 0) return LB_ERR;
            SetCurSelInternal(found);
            return found;
        }
        case LB_GETTOPINDEX:
            return topIndex_;
        case LB_SETTOPINDEX:
            if (!valid && !(index == 0 && Count() == 0)) return LB_ERR;
            SetTopIndexInternal(index);
            return LB_OKAY;
        case LB_GETITEMRECT: {
            if (!(valid || (index == 0 && Count() == 0))) return LB_ERR;
            auto* rect = reinterpret_cast<RECT*>(lParam);
            if (!rect) return LB_ERR;
            *rect = ItemRect(index);
            return 1;
        }
        case LB_ITEMFROMPOINT: {
            bool outside = false;
            const Integer item = ItemFromPoint(Point(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)), outside);
            return MAKELRESULT(static_cast<WORD>(item), outside ? 1 : 0);
        }
        case LB_GETITEMHEIGHT:
            if (style_ == lbOwnerDrawVariable) return valid ? RowHeight(index) : LB_ERR;
            return ItemHeight();
        case LB_SETITEMHEIGHT: {
            const auto height = static_cast<Integer>(LOWORD(static_cast<DWORD_PTR>(lParam)));
            if (height <= 0 || height > kMaxItemHeight) return LB_ERR;
            if (style_ == lbOwnerDrawVariable) {
                if (!valid) return LB_ERR;
                entries_[static_cast<size_t>(index)].height = height;
            } else if (style_ == lbStandard) {
                standardHeight_ = height;
                standardHeightFont_ = font_->Handle();
            } else {
                itemHeight_ = height;
            }
            SetTopIndexInternal(topIndex_);
            UpdateScrollBar();
            Invalidate();
            return LB_OKAY;
        }
        case LB_GETCARETINDEX:
            return Count() == 0 ? 0 : std::clamp(caret_, 0, Count() - 1);
        case LB_SETCARETINDEX:
            if (!valid) return LB_ERR;
            InvalidateItem(caret_);
            caret_ = index;
            if (!multiSelect_) SetCurSelInternal(index);
            InvalidateItem(index);
            ScrollIntoView(index);
            return LB_OKAY;
        case LB_GETANCHORINDEX:
            return anchor_;
        case LB_SETANCHORINDEX:
            if (!valid) return LB_ERR;
            anchor_ = index;
            return LB_OKAY;
        case LB_SETCOLUMNWIDTH:
            Invalidate();
            return LB_OKAY;
        case LB_INITSTORAGE:
            if (index < 0) return LB_ERRSPACE;
            entries_.reserve(entries_.size() + static_cast<size_t>(std::min(index, 1 << 20)));
            return static_cast<LRESULT>(entries_.capacity());
        default:
            handled = false;
            return 0;
    }
}

void TCustomListBox::WndProc(TMessage& message) {
    bool handled = false;
    const LRESULT result = HandleListMessage(message, handled);
    if (handled) {
        message.Result = result;
        return;
    }
    switch (message.Msg) {
        case WM_GETDLGCODE:
            message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
            return;
        case WM_SETFOCUS:
            Inherited::WndProc(message);
            ShowFocusChange(LBN_SETFOCUS);
            return;
        case WM_KILLFOCUS:
            Inherited::WndProc(message);
            ShowFocusChange(LBN_KILLFOCUS);
            return;
        case WM_VSCROLL:
            ScrollByBar(SB_VERT, LOWORD(message.WParam));
            message.Result = 0;
            return;
        case WM_HSCROLL:
            ScrollByBar(SB_HORZ, LOWORD(message.WParam));
            message.Result = 0;
            return;
        case WM_MOUSEWHEEL:
            if (ScrollByWheel(GET_WHEEL_DELTA_WPARAM(message.WParam))) {
                message.Result = 0;
                return;
            }
            break;
        case WM_SIZE:
            Inherited::WndProc(message);
            FitToNewSize();
            return;
        case WM_TIMER:
            if (message.WParam == kAutoScrollTimer) {
                AutoScrollTick();
                message.Result = 0;
                return;
            }
            break;
        case WM_CAPTURECHANGED:
            if (reinterpret_cast<HWND>(message.LParam) != WindowHandleOrNull()) StopTracking();
            break;
        case CM_FONTCHANGED:
            Inherited::WndProc(message);
            FollowFont();
            return;
        case CN_COMMAND:
            FireNotificationEvent(HIWORD(message.WParam));
            message.Result = 0;
            return;
        case CN_DRAWITEM:
            DrawItemOnCanvas(message);
            return;
        case CN_MEASUREITEM:
            MeasureItemFor(message);
            return;
        default:
            break;
    }
    Inherited::WndProc(message);
}

void TCustomListBox::ShowFocusChange(Word notification) {
    // Without a caret the focus rectangle is on the first row.
    InvalidateItem(caret_ < 0 ? 0 : caret_);
    NotifyParent(notification);
}

void TCustomListBox::ScrollByBar(int bar, Word code) {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_TRACKPOS;
    GetScrollInfo(Handle(), bar, &info);
    HandleScroll(code, info.nTrackPos);
}

bool TCustomListBox::ScrollByWheel(SHORT delta) {
    // Columns scroll sideways, which the wheel does not do.
    if (columns_ != 0 || delta == 0) return false;
    SetTopIndexInternal(topIndex_ - (delta / 120) * 3);
    return true;
}

void TCustomListBox::FitToNewSize() {
    if (!updatingScrollBar_) {
        SetTopIndexInternal(topIndex_);
        UpdateScrollBar();
    }
    Invalidate();
}

void TCustomListBox::AutoScrollTick() {
    if (!tracking_)
        StopAutoScroll();
    else
        MouseMove(trackShift_, lastMouse_.x, lastMouse_.y);
}

void TCustomListBox::StopTracking() {
    if (!tracking_) return;
    tracking_ = false;
    StopAutoScroll();
}

void TCustomListBox::FollowFont() {
    standardHeight_ = 0;
    RemeasureAll();
    SetTopIndexInternal(topIndex_);
    UpdateScrollBar();
    SetBounds(Left(), Top(), Width(), Height());
}

void TCustomListBox::FireNotificationEvent(Word code) {
    switch (code) {
        case LBN_SELCHANGE:
            Click();
            break;
        case LBN_DBLCLK:
            DblClick();
            break;
        default:
            break;
    }
}

void TCustomListBox::DrawItemOnCanvas(TMessage& message) {
    const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam);
    if (!draw) return;
    const TOwnerDrawState state = OwnerDrawStateFromBits(draw->itemState);
    const TCanvasPaintScope scope(canvas_.get(), draw->hDC);
    canvas_->Font()->Assign(font_.get());
    canvas_->Brush()->SetColor(Color());
    if (state.Contains(odSelected)) {
        canvas_->Brush()->SetColor(clHighlight);
        canvas_->Font()->SetColor(clHighlightText);
    } else if (state.Contains(odDisabled)) {
        canvas_->Font()->SetColor(clGrayText);
    }
    const TRect rect = draw->rcItem;
    if (static_cast<int>(draw->itemID) >= 0)
        DrawItem(static_cast<Integer>(draw->itemID), rect, state);
    else
        canvas_->FillRect(rect);
    if (state.Contains(odFocused)) DrawFocusRect(draw->hDC, &draw->rcItem);
    message.Result = 1;
}

void TCustomListBox::MeasureItemFor(TMessage& message) {
    auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam);
    if (!measure) return;
    Integer height = static_cast<Integer>(measure->itemHeight);
    MeasureItem(static_cast<Integer>(measure->itemID), height);
    measure->itemHeight = static_cast<UINT>(std::max(0, height));
    message.Result = 1;
}

HWND TCustomListBox::WindowHandleOrNull() const {
    return HandleAllocated() ? const_cast<TCustomListBox*>(this)->Handle() : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Painting

void TCustomListBox::PaintWindow(HDC dc) {
    const TRect client = ClientRect();
    const bool focused = HandleAllocated() && GetFocus() == Handle();
    // The list is opaque, so nothing erased the off-screen picture: rows cover only their own part.
    EraseBackground(dc, client);
    if (Count() == 0) {
        // An empty list still shows where the focus is.
        if (focused) {
            RECT rect = Rect(0, 0, columns_ > 0 ? ColumnWidth() : client.right, ItemHeight());
            DrawFocusRect(dc, &rect);
        }
        return;
    }
    for (Integer i = topIndex_; i < Count(); ++i) {
        const TRect rect = ItemRect(i);
        if (columns_ == 0 && rect.top >= client.bottom) break;
        if (columns_ > 0 && rect.left >= client.right) break;
        PaintRow(dc, i, rect);
    }
}

void TCustomListBox::PaintRow(HDC dc, Integer index, const TRect& rect) {
    TOwnerDrawState state;
    if (multiSelect_ ? entries_[static_cast<size_t>(index)].selected : HighlightIndex() == index)
        state.Include(odSelected);
    const bool focused = HandleAllocated() && GetFocus() == Handle();
    if (focused && index == std::max(caret_, 0)) state.Include(odFocused);
    if (!Enabled()) state.Include(odDisabled);
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_LISTBOX;
    draw.itemID = static_cast<UINT>(index);
    draw.itemAction = ODA_DRAWENTIRE;
    draw.itemState = OwnerDrawStateToBits(state);
    draw.hwndItem = HandleAllocated() ? Handle() : nullptr;
    draw.hDC = dc;
    draw.rcItem = rect;
    draw.itemData = static_cast<ULONG_PTR>(entries_[static_cast<size_t>(index)].data);
    const HWND parentWindow = HandleAllocated() ? GetParent(Handle()) : nullptr;
    if (IsOwnerDraw() && parentWindow && !FindControl(parentWindow)) {
        draw.CtlID = static_cast<UINT>(GetWindowLong(Handle(), GWL_ID));
        SendMessage(parentWindow, WM_DRAWITEM, draw.CtlID, reinterpret_cast<LPARAM>(&draw));
    } else {
        Perform(CN_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
    }
}

void TCustomListBox::DrawItem(Integer index, TRect rect, TOwnerDrawState state) {
    if (OnDrawItem) {
        OnDrawItem(this, index, rect, state);
        return;
    }
    canvas_->FillRect(rect);
    if (index >= 0 && index < Count()) {
        const std::string& text = entries_[static_cast<size_t>(index)].text;
        canvas_->TextRect(rect, rect.left + 2,
                          rect.top + std::max(0, (rect.bottom - rect.top - canvas_->TextHeight(text)) / 2),
                          text);
    }
}

void TCustomListBox::MeasureItem(Integer index, Integer& height) {
    if (OnMeasureItem) OnMeasureItem(this, index, height);
}

// ---------------------------------------------------------------------------------------------
// Keyboard and mouse

void TCustomListBox::KeyDown(Word& key, TShiftState shift) {
    TWinControl::KeyDown(key, shift);
    if (key == 0 || Count() == 0) return;
    const Integer count = Count();
    const Integer current = multiSelect_ ? std::clamp(caret_, 0, count - 1) : curSel_;
    const Integer rows = columns_ > 0 ? RowsPerColumn() : 1;
    const Integer page = columns_ > 0 ? rows * std::max(1, ClientWidth() / ColumnWidth())
                                      : std::max(1, FullyVisibleRows() - 1);
    Integer target = -2;
    switch (key) {
        case VK_UP:
            target = current < 0 ? 0 : current - 1;
            break;
        case VK_DOWN:
            target = current < 0 ? 0 : current + 1;
            break;
        case VK_LEFT:
            target = current < 0 ? 0 : current - rows;
            break;
        case VK_RIGHT:
            target = current < 0 ? 0 : current + rows;
            break;
        case VK_PRIOR:
            target = current < 0 ? 0 : current - page;
            break;
        case VK_NEXT:
            target = current < 0 ? 0 : current + page;
            break;
        case VK_HOME:
            target = 0;
            break;
        case VK_END:
            target = count - 1;
            break;
        case VK_SPACE:
            if (multiSelect_) {
                const Integer item = std::clamp(caret_, 0, count - 1);
                if (!extendedSelect_ || shift.Contains(ssCtrl)) {
                    Entry& entry = entries_[static_cast<size_t>(item)];
                    entry.selected = !entry.selected;
                    anchor_ = item;
                    InvalidateItem(item);
                    SelectionChangedByUser();
                } else {
                    SelectByUser(item, shift, false);
                }
                key = 0;
            }
            return;
        default:
            return;
    }
    target = std::clamp(target, 0, count - 1);
    key = 0;
    MoveCaretByUser(target, shift);
}

void TCustomListBox::MoveCaretByUser(Integer index, TShiftState shift) {
    if (IsExtended() && shift.Contains(ssCtrl) && !shift.Contains(ssShift)) {
        // Ctrl moves the focus rectangle of an extended list without selecting.
        InvalidateItem(caret_);
        caret_ = index;
        InvalidateItem(caret_);
        ScrollIntoView(index);
        return;
    }
    SelectByUser(index, shift, false);
}

void TCustomListBox::KeyPress(char32_t& key) {
    TWinControl::KeyPress(key);
    if (key < 0x20 || key == 0x7F || Count() == 0) return;
    const std::string letter = win32::Utf8(key);
    const Integer start = multiSelect_ ? caret_ : curSel_;
    const Integer found = FindString(start, letter, false);
    if (found >= 0) MoveCaretByUser(found, TShiftState{});
}

void TCustomListBox::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) {
    if (button == mbLeft) {
        if (CanFocus() && !Focused()) SetFocus();
        bool outside = false;
        const Integer index = ItemFromPoint(Point(x, y), outside);
        if (Count() > 0) {
            tracking_ = true;
            trackShift_ = shift - TShiftState{ssDouble};
            trackSelectState_ = true;
            SelectByUser(index, trackShift_, true);
            if (shift.Contains(ssDouble)) NotifyParent(LBN_DBLCLK);
        }
    }
    TWinControl::MouseDown(button, shift, x, y);
}

void TCustomListBox::MouseMove(TShiftState shift, Integer x, Integer y) {
    if (tracking_) {
        lastMouse_ = Point(x, y);
        const TRect client = ClientRect();
        Integer index = -1;
        const bool above = columns_ == 0 ? y < 0 : x < 0;
        const bool below = columns_ == 0 ? y >= client.bottom : x >= client.right;
        if (above || below) {
            // Outside the list the selection moves on one row per tick while the button is held.
            const Integer step = columns_ > 0 ? RowsPerColumn() : 1;
            const Integer edge = multiSelect_ ? std::clamp(caret_, 0, Count() - 1) : std::max(curSel_, 0);
            index = std::clamp(edge + (above ? -step : step), 0, Count() - 1);
            if (!autoScrollTimer_ && HandleAllocated()) {
                SetTimer(Handle(), kAutoScrollTimer, kAutoScrollInterval, nullptr);
                autoScrollTimer_ = true;
            }
        } else {
            StopAutoScroll();
            bool outside = false;
            index = ItemFromPoint(Point(x, y), outside);
        }
        if (!multiSelect_) {
            SelectByUser(index, TShiftState{}, false);
        } else if (extendedSelect_ && index != caret_) {
            if (trackShift_.Contains(ssCtrl) && !trackShift_.Contains(ssShift)) {
                const bool changed = SelectRange(anchor_, index, trackSelectState_);
                InvalidateItem(caret_);
                caret_ = index;
                InvalidateItem(caret_);
                ScrollIntoView(index);
                if (changed) SelectionChangedByUser();
            } else {
                SelectByUser(index, TShiftState{ssShift}, false);
            }
        }
    }
    TWinControl::MouseMove(shift, x, y);
}

void TCustomListBox::MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) {
    if (button == mbLeft) StopTracking();
    TWinControl::MouseUp(button, shift, x, y);
}

void TCustomListBox::StopAutoScroll() {
    if (autoScrollTimer_ && HandleAllocated()) KillTimer(Handle(), kAutoScrollTimer);
    autoScrollTimer_ = false;
}

}  // namespace vcl
