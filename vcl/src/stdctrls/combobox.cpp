// TCustomComboBox: the edit part or selection field, the button, the drop-down list as a popup
// window tracked with the mouse captured, the CB_* messages and the CBN_* notifications.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <string_view>
#include <utility>

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

size_t CodePointCount(std::string_view text) {
    size_t n = 0;
    for (char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    return n;
}

// The longest prefix of `text` with at most `count` code points.
std::string_view FirstCodePoints(std::string_view text, size_t count) {
    size_t n = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            if (n == count) return text.substr(0, i);
            ++n;
        }
    }
    return text;
}

// CB_* messages the list answers as it answers the matching LB_* message.
constexpr std::pair<UINT, UINT> kForwardedToList[] = {
    {CB_ADDSTRING, LB_ADDSTRING},     {CB_INSERTSTRING, LB_INSERTSTRING},
    {CB_GETLBTEXT, LB_GETTEXT},       {CB_GETLBTEXTLEN, LB_GETTEXTLEN},
    {CB_GETITEMDATA, LB_GETITEMDATA}, {CB_SETITEMDATA, LB_SETITEMDATA},
    {CB_FINDSTRING, LB_FINDSTRING},   {CB_FINDSTRINGEXACT, LB_FINDSTRINGEXACT},
    {CB_SETTOPINDEX, LB_SETTOPINDEX},
};

// The LB_* message a CB_* message is forwarded as; 0 for one the combo box answers itself.
UINT ListMessageFor(UINT comboMessage) {
    const auto* found = std::ranges::find(kForwardedToList, comboMessage, &std::pair<UINT, UINT>::first);
    return found != std::ranges::end(kForwardedToList) ? found->second : 0;
}

// An item index in wParam: -1 is meaningful, so the low 32 bits are read as signed.
Integer IndexArgument(WPARAM wParam) {
    return static_cast<Integer>(static_cast<int>(wParam));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The list of a combo box

class TComboListBox : public TCustomListBox {
    VCL_CLASS(TComboListBox, TCustomListBox)
public:
    explicit TComboListBox(TCustomComboBox* combo) : TCustomListBox(nullptr), combo_(combo) {
        SetTabStop(false);
        SetIntegralHeight(false);
    }

    bool CanFocus() const override { return false; }
    Integer hot_ = -1;

    void WndProc(TMessage& message) override {
        const UINT msg = message.Msg;
        if (combo_->droppedDown_ && combo_->style_ != csSimple &&
            ((msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST && msg != WM_MOUSEWHEEL) ||
             msg == WM_CAPTURECHANGED)) {
            combo_->ListMouseTracking(message);
            return;
        }
        if (msg == WM_MOUSEACTIVATE) {
            message.Result = MA_NOACTIVATE;
            return;
        }
        TCustomListBox::WndProc(message);
    }

protected:
    void CreateParams(TCreateParams& params) override {
        TCustomListBox::CreateParams(params);
        params.Style &= ~(WS_TABSTOP | LBS_NOTIFY);
        if (combo_->style_ == csSimple) {
            params.WndParent = combo_->Handle();
        } else {
            params.Style = (params.Style & ~(WS_CHILD | WS_VISIBLE)) | WS_POPUP | WS_BORDER | WS_CLIPSIBLINGS;
            params.ExStyle = (params.ExStyle & ~WS_EX_CLIENTEDGE) | WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
            params.WndParent = combo_->HandleAllocated() ? combo_->Handle() : nullptr;
        }
    }
    void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override {
        if (combo_->CanFocus() && !combo_->Focused()) combo_->SetFocus();
        TCustomListBox::MouseDown(button, shift, x, y);
    }
    void DrawItem(Integer index, TRect rect, TOwnerDrawState state) override {
        TCanvas* canvas = combo_->Canvas();
        static_cast<TControlCanvas*>(canvas)->FreeHandle();
        const TCanvasPaintScope scope(canvas, Canvas()->Handle());
        canvas->Font()->Assign(Canvas()->Font());
        canvas->Brush()->Assign(Canvas()->Brush());
        combo_->DrawItem(index, rect, state);
    }
    void MeasureItem(Integer index, Integer& height) override { combo_->MeasureItem(index, height); }
    void SelectionChangedByUser() override {
        // The list part of a simple combo box: a click or key there chooses the item.
        combo_->ChangeSelection(curSel_, true);
    }
    void NotifyParent(Word code) override {
        if (code == LBN_DBLCLK) combo_->NotifyParent(CBN_DBLCLK);
    }
    Integer HighlightIndex() const override { return combo_->droppedDown_ && hot_ >= 0 ? hot_ : curSel_; }

private:
    friend class TCustomComboBox;
    TCustomComboBox* combo_;
};

// ---------------------------------------------------------------------------------------------
// Construction and properties

VCL_DEFINE_CLASS(TCustomComboBox, TCustomControl)

TCustomComboBox::TCustomComboBox(TComponent* owner) : TCustomControl(owner) {
    // Made here, after every member it reads is initialised.
    list_ = std::make_unique<TComboListBox>(this);
    controlStyle_ = TControlStyle{csCaptureMouse, csSetCaption, csDoubleClicks, csFixedHeight, csOpaque};
    edit_.SetMeasure([this](std::string_view character) { return TextWidthOf(character); });
    SetTabStop(true);
    SetParentColor(false);
    SetColor(clWindow);
    SetBounds(0, 0, 145, EditHeight());
}

TCustomComboBox::~TCustomComboBox() {
    if (droppedDown_ && list_->HandleAllocated()) ShowWindow(list_->Handle(), SW_HIDE);
    droppedDown_ = false;
}

TStrings* TCustomComboBox::Items() const {
    return list_->Items();
}

void TCustomComboBox::SetItems(const TStrings* value) {
    list_->Items()->Assign(value);
}

void TCustomComboBox::Clear() {
    Perform(CB_RESETCONTENT, 0, 0);
}

TCustomListBox* TCustomComboBox::ListBox() const {
    return list_.get();
}

Integer TCustomComboBox::ItemIndex() const {
    return IsLoading() ? pendingItemIndex_ : list_->curSel_;
}

void TCustomComboBox::SetItemIndex(Integer value) {
    if (IsLoading()) {
        pendingItemIndex_ = value;
        return;
    }
    if (value != list_->curSel_) ChangeSelection(value, false);
}

void TCustomComboBox::Loaded() {
    TCustomControl::Loaded();
    list_->RemeasureAll();
    if (pendingItemIndex_ >= 0) {
        // The items arrive after ItemIndex; the text read from the form stays for the edit styles.
        const std::string text = edit_.Text();
        ChangeSelection(pendingItemIndex_, false);
        if (HasEdit() && !text.empty()) SetEditTextInternal(text);
    }
    pendingItemIndex_ = -1;
}

void TCustomComboBox::SetStyle(TComboBoxStyle value) {
    if (style_ == value) return;
    if (droppedDown_) CloseList(false);
    list_->DestroyHandle();
    if (list_->Parent()) list_->SetParent(nullptr);
    style_ = value;
    list_->style_ = value == csOwnerDrawFixed      ? lbOwnerDrawFixed
                    : value == csOwnerDrawVariable ? lbOwnerDrawVariable
                                                   : lbStandard;
    list_->RemeasureAll();
    if (!HasEdit())
        SetEditTextInternal(list_->curSel_ >= 0 ? Items()->Strings(list_->curSel_) : std::string());
    if (style_ != csSimple) SetBounds(Left(), Top(), Width(), EditHeight());
    RecreateWnd();
    PlaceList();
    Invalidate();
}

bool TCustomComboBox::Sorted() const {
    return list_->Sorted();
}

void TCustomComboBox::SetSorted(bool value) {
    const std::string selected = list_->curSel_ >= 0 ? Items()->Strings(list_->curSel_) : std::string();
    const bool hadSelection = list_->curSel_ >= 0;
    list_->SetSorted(value);
    if (hadSelection) list_->SetCurSelInternal(list_->FindString(-1, selected, true));
}

Integer TCustomComboBox::ItemHeight() const {
    return list_->ItemHeight();
}

void TCustomComboBox::SetItemHeight(Integer value) {
    list_->SetItemHeight(value);
    if (style_ != csSimple) SetBounds(Left(), Top(), Width(), EditHeight());
    Invalidate();
}

void TCustomComboBox::SetMaxLength(Integer value) {
    maxLength_ = std::max(0, value);
}

void TCustomComboBox::SetDropDownCount(Integer value) {
    dropDownCount_ = std::max(1, value);
}

void TCustomComboBox::SetDroppedDown(bool value) {
    if (value == droppedDown_ || style_ == csSimple) return;
    if (value)
        OpenList();
    else
        CloseList(true);
}

void TCustomComboBox::SetSelStart(Integer value) {
    const size_t pos = static_cast<size_t>(std::max(0, value));
    edit_.Select(pos, pos);
    UpdateCaret();
    Invalidate();
}

void TCustomComboBox::SetSelLength(Integer value) {
    edit_.Select(edit_.SelStart(), edit_.SelStart() + static_cast<size_t>(std::max(0, value)));
    UpdateCaret();
    Invalidate();
}

std::string TCustomComboBox::SelText() const {
    return edit_.SelText();
}

void TCustomComboBox::SetSelText(const std::string& value) {
    if (!HasEdit()) return;
    EditInsert(value, false);
}

void TCustomComboBox::SelectAll() {
    edit_.Select(0, edit_.Text().size());
    UpdateCaret();
    Invalidate();
}

bool TCustomComboBox::Focused() const {
    return HandleAllocated() && GetFocus() == const_cast<TCustomComboBox*>(this)->Handle();
}

TCaption TCustomComboBox::GetText() const {
    return edit_.Text();
}

void TCustomComboBox::SetTextValue(const TCaption& value) {
    if (!HasEdit() && !IsLoading()) {
        ChangeSelection(list_->FindString(-1, value, true), false);
        return;
    }
    SetEditTextInternal(value);
}

void TCustomComboBox::SetEditTextInternal(const std::string& text) {
    edit_.SetText(text);
    if (Focused() && HasEdit()) edit_.Select(0, edit_.Text().size());
    UpdateCaret();
    Invalidate();
}

// ---------------------------------------------------------------------------------------------
// Window and geometry

void TCustomComboBox::CreateParams(TCreateParams& params) {
    TCustomControl::CreateParams(params);
    params.Style |= CBS_HASSTRINGS | WS_CLIPCHILDREN;
    switch (style_) {
        case csSimple:
            params.Style |= CBS_SIMPLE;
            break;
        case csDropDown:
            params.Style |= CBS_DROPDOWN;
            break;
        case csDropDownList:
            params.Style |= CBS_DROPDOWNLIST;
            break;
        case csOwnerDrawFixed:
            params.Style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED;
            break;
        case csOwnerDrawVariable:
            params.Style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE;
            break;
    }
    if (list_ && list_->Sorted()) params.Style |= CBS_SORT;
    if (style_ != csSimple) params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomComboBox::CreateHandleDone() {
    TCustomControl::CreateHandleDone();
    PlaceList();
}

void TCustomComboBox::DestroyWnd() {
    if (droppedDown_) CloseList(false);
    list_->DestroyHandle();
    if (list_->Parent()) list_->SetParent(nullptr);
    TCustomControl::DestroyWnd();
}

Integer TCustomComboBox::EditHeight() const {
    // The selection field holds one row with a pixel above and below, inside the sunken edge.
    const Integer field = selectionFieldHeight_ > 0 ? selectionFieldHeight_ : list_->ItemHeight();
    return field + 8;
}

TRect TCustomComboBox::ButtonRect() const {
    if (style_ == csSimple) return Rect(0, 0, 0, 0);
    const TRect client = ClientRect();
    const Integer width = GetSystemMetrics(SM_CXVSCROLL);
    return Rect(std::max(0, client.right - width), 0, client.right, client.bottom);
}

TRect TCustomComboBox::EditRect() const {
    if (style_ == csSimple) {
        TRect rect = Rect(0, 0, ClientWidth(), EditHeight());
        InflateRect(&rect, -2, -2);
        return rect;
    }
    const TRect client = ClientRect();
    return Rect(0, 0, ButtonRect().left, client.bottom);
}

void TCustomComboBox::SetBounds(Integer left, Integer top, Integer width, Integer height) {
    if (style_ != csSimple && list_) height = EditHeight();
    TCustomControl::SetBounds(left, top, width, height);
    PlaceList();
}

void TCustomComboBox::PlaceList() {
    if (!list_ || !HandleAllocated() || style_ != csSimple) return;
    if (list_->Parent() != this) list_->SetParent(this);
    list_->SetBounds(0, EditHeight(), Width(), std::max(0, Height() - EditHeight()));
}

// ---------------------------------------------------------------------------------------------
// Selection and notifications

void TCustomComboBox::NotifyParent(Word code) {
    if (!HandleAllocated()) return;
    const HWND parentWindow = GetParent(Handle());
    if (!parentWindow) return;
    const auto id = static_cast<WORD>(GetWindowLong(Handle(), GWL_ID));
    SendMessage(parentWindow, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(Handle()));
}

void TCustomComboBox::ChangeSelection(Integer index, bool notify) {
    if (index < 0 || index >= list_->Count()) index = -1;
    const bool changed = index != list_->curSel_;
    list_->SetCurSelInternal(index);
    list_->hot_ = index;
    SetEditTextInternal(index >= 0 ? list_->entries_[static_cast<size_t>(index)].text : std::string());
    if (notify && changed) NotifyParent(CBN_SELCHANGE);
}

Integer TCustomComboBox::TypeAheadFrom(Integer start, std::string_view letter) const {
    return list_->FindString(start, letter, false);
}

void TCustomComboBox::OpenList() {
    if (droppedDown_ || style_ == csSimple || !CanFocus()) return;
    NotifyParent(CBN_DROPDOWN);
    indexBeforeDrop_ = list_->curSel_;
    textBeforeDrop_ = edit_.Text();
    list_->SetParentFont(false);
    list_->Font()->Assign(Font());
    list_->SetColor(Color());
    if (IsOwnerDraw()) list_->SetItemHeight(list_->itemHeight_);
    list_->hot_ = list_->curSel_ >= 0 ? list_->curSel_ : list_->FindString(-1, edit_.Text(), true);

    RECT screen{};
    GetWindowRect(Handle(), &screen);
    Integer rows = std::clamp(list_->Count(), 1, dropDownCount_);
    Integer height = 0;
    for (Integer i = 0; i < rows; ++i)
        height += list_->Count() > 0 ? list_->RowHeight(i) : list_->ItemHeight();
    height += 2;  // the border
    const Integer width = std::max<Integer>(screen.right - screen.left, droppedWidth_);
    Integer top = screen.bottom;
    if (top + height > Screen->Height() && screen.top - height >= 0) top = screen.top - height;
    list_->HandleNeeded();
    list_->SetBounds(screen.left, top, width, height);
    if (list_->hot_ >= 0) list_->ScrollIntoView(list_->hot_);
    droppedDown_ = true;
    SetWindowPos(list_->Handle(), HWND_TOPMOST, screen.left, top, width, height,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    list_->UpdateScrollBar();
    list_->Invalidate();
    SetCapture(list_->Handle());
    Invalidate();
}

void TCustomComboBox::CloseList(bool accept) {
    if (!droppedDown_) return;
    droppedDown_ = false;
    trackingFromButton_ = mouseSelecting_ = false;
    if (list_->HandleAllocated()) {
        if (GetCapture() == list_->Handle()) ReleaseCapture();
        ShowWindow(list_->Handle(), SW_HIDE);
    }
    Invalidate();
    if (accept) {
        const Integer chosen = list_->hot_ >= 0 ? list_->hot_ : list_->curSel_;
        NotifyParent(CBN_SELENDOK);
        NotifyParent(CBN_CLOSEUP);
        if (chosen != list_->curSel_) ChangeSelection(chosen, true);
    } else {
        NotifyParent(CBN_SELENDCANCEL);
        if (list_->curSel_ != indexBeforeDrop_) ChangeSelection(indexBeforeDrop_, true);
        if (HasEdit() && edit_.Text() != textBeforeDrop_) SetEditTextInternal(textBeforeDrop_);
        NotifyParent(CBN_CLOSEUP);
    }
    list_->hot_ = list_->curSel_;
}

void TCustomComboBox::ListMouseTracking(TMessage& message) {
    message.Result = 0;
    if (message.Msg == WM_CAPTURECHANGED) {
        if (reinterpret_cast<HWND>(message.LParam) != list_->Handle()) CloseList(false);
        return;
    }
    const TPoint pos = Point(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam));
    const TRect client = list_->ClientRect();
    const bool inClient = pos.x >= 0 && pos.x < client.right && pos.y >= 0 && pos.y < client.bottom;
    auto hotAt = [&] {
        bool outside = false;
        const Integer index = list_->ItemFromPoint(pos, outside);
        if (!outside && index != list_->hot_) {
            list_->InvalidateItem(list_->hot_);
            list_->hot_ = index;
            list_->InvalidateItem(index);
        }
        return outside ? -1 : index;
    };
    switch (message.Msg) {
        case WM_MOUSEMOVE:
            if (inClient) hotAt();
            return;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            if (inClient) {
                mouseSelecting_ = true;
                hotAt();
                return;
            }
            RECT window{};
            GetWindowRect(list_->Handle(), &window);
            POINT screenPos = pos;
            win32::ClientToScreen(list_->Handle(), &screenPos);
            if (PtInRect(&window, screenPos)) {
                // The scroll bar beside the rows: arrows scroll a row, the track a page.
                const Integer arrow = GetSystemMetrics(SM_CYVSCROLL);
                const Integer y = screenPos.y - window.top;
                const Integer h = window.bottom - window.top;
                const Word code = y < arrow        ? SB_LINEUP
                                  : y >= h - arrow ? SB_LINEDOWN
                                  : y < h / 2      ? SB_PAGEUP
                                                   : SB_PAGEDOWN;
                list_->HandleScroll(code, 0);
                return;
            }
            CloseList(false);
            return;
        }
        case WM_LBUTTONUP: {
            if ((mouseSelecting_ || trackingFromButton_) && inClient && hotAt() >= 0) {
                CloseList(true);
                return;
            }
            mouseSelecting_ = trackingFromButton_ = false;
            return;
        }
        default:
            return;
    }
}

void TCustomComboBox::Change() {
    if (OnChange) OnChange(this);
}

void TCustomComboBox::Select() {
    if (OnSelect)
        OnSelect(this);
    else
        Change();
}

void TCustomComboBox::DropDown() {
    if (OnDropDown) OnDropDown(this);
}

void TCustomComboBox::CloseUp() {
    if (OnCloseUp) OnCloseUp(this);
}

void TCustomComboBox::DrawItem(Integer index, TRect rect, TOwnerDrawState state) {
    if (IsOwnerDraw() && OnDrawItem) {
        OnDrawItem(this, index, rect, state);
        return;
    }
    TCanvas* canvas = Canvas();
    canvas->FillRect(rect);
    if (index >= 0 && index < list_->Count()) {
        const std::string& text = list_->entries_[static_cast<size_t>(index)].text;
        canvas->TextRect(rect, rect.left + 2,
                         rect.top + std::max(0, (rect.bottom - rect.top - canvas->TextHeight(text)) / 2),
                         text);
    }
}

void TCustomComboBox::MeasureItem(Integer index, Integer& height) {
    if (OnMeasureItem) OnMeasureItem(this, index, height);
}

// ---------------------------------------------------------------------------------------------
// The edit part

Integer TCustomComboBox::TextWidthOf(std::string_view text) const {
    if (text.empty()) return 0;
    return TextMeasure(font_.get()).Width(text);
}

void TCustomComboBox::UpdateCaret() {
    if (!HasEdit() || !Focused()) return;
    const TRect rect = EditRect();
    SetCaretPos(rect.left + 2 + edit_.XOfPos(edit_.Caret()), rect.top + 2);
}

void TCustomComboBox::EditInsert(const std::string& text, bool typing) {
    std::string_view insert = text;
    if (maxLength_ > 0) {
        const size_t kept = CodePointCount(edit_.Text()) - CodePointCount(edit_.SelText());
        const size_t room =
            kept >= static_cast<size_t>(maxLength_) ? 0 : static_cast<size_t>(maxLength_) - kept;
        insert = FirstCodePoints(insert, room);
        if (insert.empty() && !text.empty() && edit_.SelText().empty()) {
            MessageBeep(0);
            return;
        }
    }
    const std::string before = edit_.Text();
    edit_.ReplaceSelection(insert, typing);
    if (edit_.Text() != before) EditChanged();
    UpdateCaret();
    Invalidate();
}

void TCustomComboBox::EditChanged() {
    // Typing leaves the list's selection on the item the text names, if any.
    list_->SetCurSelInternal(list_->FindString(-1, edit_.Text(), true));
    list_->hot_ = list_->curSel_;
    NotifyParent(CBN_EDITUPDATE);
    NotifyParent(CBN_EDITCHANGE);
}

void TCustomComboBox::EditKey(Word key, TShiftState shift) {
    const bool extend = shift.Contains(ssShift);
    const size_t caret = edit_.Caret();
    size_t target = caret;
    switch (key) {
        case VK_LEFT:
            target = shift.Contains(ssCtrl) ? edit_.PrevWord(caret) : edit_.PrevChar(caret);
            break;
        case VK_RIGHT:
            target = shift.Contains(ssCtrl) ? edit_.NextWord(caret) : edit_.NextChar(caret);
            break;
        case VK_HOME:
            target = 0;
            break;
        case VK_END:
            target = edit_.Text().size();
            break;
        case VK_DELETE:
            if (edit_.SelText().empty()) edit_.Select(caret, edit_.NextChar(caret));
            EditInsert(std::string(), false);
            return;
        default:
            return;
    }
    if (!extend && (key == VK_LEFT || key == VK_RIGHT) && !edit_.SelText().empty() && !shift.Contains(ssCtrl))
        target = key == VK_LEFT ? edit_.SelStart() : edit_.SelEnd();
    edit_.Select(extend ? edit_.Anchor() : target, target);
    UpdateCaret();
    Invalidate();
}

void TCustomComboBox::CopyToClipboard() {
    const std::string text = edit_.SelText();
    if (text.empty() || !OpenClipboard(HandleAllocated() ? Handle() : nullptr)) return;
    EmptyClipboard();
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
        if (auto* data = static_cast<char*>(GlobalLock(memory))) {
            std::memcpy(data, text.data(), text.size());
            data[text.size()] = '\0';
            GlobalUnlock(memory);
            if (!SetClipboardData(CF_TEXT, memory)) GlobalFree(memory);
        } else {
            GlobalFree(memory);
        }
    }
    CloseClipboard();
}

void TCustomComboBox::PasteFromClipboard() {
    if (!OpenClipboard(HandleAllocated() ? Handle() : nullptr)) return;
    std::string text;
    if (HANDLE memory = GetClipboardData(CF_TEXT)) {
        const size_t size = GlobalSize(memory);
        if (const auto* data = static_cast<const char*>(GlobalLock(memory))) {
            text.assign(data, strnlen(data, size));
            GlobalUnlock(memory);
        }
    }
    CloseClipboard();
    // One line only: the text stops at the first line break.
    const size_t lineEnd = text.find_first_of("\r\n");
    if (lineEnd != std::string::npos) text.resize(lineEnd);
    if (!text.empty()) EditInsert(text, false);
}

// ---------------------------------------------------------------------------------------------
// Keyboard and mouse

void TCustomComboBox::KeyDown(Word& key, TShiftState shift) {
    TCustomControl::KeyDown(key, shift);
    if (key == 0) return;
    const bool alt = shift.Contains(ssAlt);
    if ((key == VK_F4 && !alt) || (alt && (key == VK_DOWN || key == VK_UP))) {
        if (style_ != csSimple) {
            if (droppedDown_)
                CloseList(true);
            else
                OpenList();
        }
        key = 0;
        return;
    }
    if (droppedDown_ && (key == VK_ESCAPE || key == VK_RETURN)) {
        CloseList(key == VK_RETURN);
        key = 0;
        return;
    }
    if (extendedUI_ && !droppedDown_ && key == VK_DOWN && style_ != csSimple) {
        OpenList();
        key = 0;
        return;
    }
    const bool listKeys = !HasEdit() || droppedDown_;
    const Integer count = list_->Count();
    const Integer current = droppedDown_ && list_->hot_ >= 0 ? list_->hot_ : list_->curSel_;
    const Integer page = std::max(1, dropDownCount_ - 1);
    Integer target = -2;
    switch (key) {
        case VK_UP:
            target = current - 1;
            break;
        case VK_DOWN:
            target = current + 1;
            break;
        case VK_LEFT:
            if (listKeys) target = current - 1;
            break;
        case VK_RIGHT:
            if (listKeys) target = current + 1;
            break;
        case VK_PRIOR:
            target = current - page;
            break;
        case VK_NEXT:
            target = current + page;
            break;
        case VK_HOME:
            if (listKeys) target = 0;
            break;
        case VK_END:
            if (listKeys) target = count - 1;
            break;
        default:
            break;
    }
    if (target != -2) {
        key = 0;
        if (count == 0) return;
        target = std::clamp(target, 0, count - 1);
        ChangeSelection(target, true);
        return;
    }
    if (HasEdit()) {
        EditKey(key, shift);
        if (key == VK_LEFT || key == VK_RIGHT || key == VK_HOME || key == VK_END || key == VK_DELETE) key = 0;
    }
}

void TCustomComboBox::KeyPress(char32_t& key) {
    TCustomControl::KeyPress(key);
    if (key == 0) return;
    if (!HasEdit()) {
        if (key >= 0x20 && key != 0x7F) {
            const Integer found = TypeAheadFrom(list_->curSel_, win32::Utf8(key));
            if (found >= 0) ChangeSelection(found, true);
        }
        return;
    }
    switch (key) {
        case 0x01:
            SelectAll();
            return;  // Ctrl+A
        case 0x03:
            CopyToClipboard();
            return;  // Ctrl+C
        case 0x16:
            PasteFromClipboard();
            return;
        case 0x18:  // Ctrl+X
            CopyToClipboard();
            EditInsert(std::string(), false);
            return;
        case 0x08:  // Backspace
            if (edit_.SelText().empty()) edit_.Select(edit_.PrevChar(edit_.Caret()), edit_.Caret());
            EditInsert(std::string(), false);
            return;
        default:
            break;
    }
    if (key >= 0x20 && key != 0x7F) EditInsert(win32::Utf8(key), true);
}

void TCustomComboBox::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) {
    if (button == mbLeft) {
        if (CanFocus() && !Focused()) SetFocus();
        const TRect buttonRect = ButtonRect();
        const bool onButton =
            x >= buttonRect.left && x < buttonRect.right && y >= buttonRect.top && y < buttonRect.bottom;
        if (style_ != csSimple && (onButton || !HasEdit())) {
            SetMouseCapture(false);
            OpenList();
            trackingFromButton_ = droppedDown_;
        } else if (HasEdit()) {
            const TRect edit = EditRect();
            if (y >= edit.top && y < edit.bottom) {
                const size_t pos = edit_.PosAtX(0, x - edit.left - 2);
                if (shift.Contains(ssDouble))
                    SelectAll();
                else
                    edit_.Select(shift.Contains(ssShift) ? edit_.Anchor() : pos, pos);
                UpdateCaret();
                Invalidate();
            }
        }
    }
    TCustomControl::MouseDown(button, shift, x, y);
}

// ---------------------------------------------------------------------------------------------
// Messages

void TCustomComboBox::WndProc(TMessage& message) {
    const WPARAM wParam = message.WParam;
    const LPARAM lParam = message.LParam;
    if (const UINT listMessage = ListMessageFor(message.Msg)) {
        message.Result = list_->Perform(listMessage, wParam, lParam);
        return;
    }
    switch (message.Msg) {
        case CB_DELETESTRING:
            message.Result = DeleteListItem(wParam, lParam);
            return;
        case CB_RESETCONTENT:
            message.Result = ClearItemsAndText();
            return;
        case CB_GETCOUNT:
            message.Result = list_->Count();
            return;
        case CB_GETCURSEL:
            message.Result = SelectionOrError();
            return;
        case CB_SETCURSEL:
            ChangeSelection(IndexArgument(wParam), false);
            message.Result = SelectionOrError();
            return;
        case CB_SELECTSTRING:
            message.Result = SelectItemStartingWith(IndexArgument(wParam), detail::MessageText(lParam));
            return;
        case CB_GETTOPINDEX:
            message.Result = list_->TopIndex();
            return;
        case CB_SHOWDROPDOWN:
            message.Result = ShowDropDown(wParam != 0);
            return;
        case CB_GETDROPPEDSTATE:
            message.Result = droppedDown_ ? TRUE : FALSE;
            return;
        case CB_GETEDITSEL:
            message.Result =
                ReportEditSelection(reinterpret_cast<DWORD*>(wParam), reinterpret_cast<DWORD*>(lParam));
            return;
        case CB_SETEDITSEL:
            message.Result = SetEditSelection(lParam);
            return;
        case CB_LIMITTEXT:
            message.Result = LimitEditText(wParam);
            return;
        case CB_GETITEMHEIGHT:
            message.Result = ItemHeightFor(wParam, lParam);
            return;
        case CB_SETITEMHEIGHT:
            message.Result = SetItemHeightFor(wParam, lParam);
            return;
        case CB_GETDROPPEDCONTROLRECT:
            message.Result = GetDroppedControlRect(reinterpret_cast<RECT*>(lParam));
            return;
        case CB_SETEXTENDEDUI:
            extendedUI_ = wParam != 0;
            message.Result = CB_OKAY;
            return;
        case CB_GETEXTENDEDUI:
            message.Result = extendedUI_ ? TRUE : FALSE;
            return;
        case CB_GETDROPPEDWIDTH:
            message.Result = EffectiveDroppedWidth();
            return;
        case CB_SETDROPPEDWIDTH:
            droppedWidth_ = static_cast<Integer>(std::min<WPARAM>(wParam, 0x7FFF));
            message.Result = EffectiveDroppedWidth();
            return;
        case WM_GETTEXTLENGTH:
            message.Result = static_cast<LRESULT>(edit_.Text().size());
            return;
        case WM_GETTEXT:
            message.Result = CopyTextTo(reinterpret_cast<char*>(lParam), wParam);
            return;
        case WM_SETTEXT:
            message.Result = HandleSetText(detail::MessageText(lParam));
            return;
        case WM_GETDLGCODE:
            message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | (droppedDown_ ? DLGC_WANTALLKEYS : 0);
            return;
        case WM_SETFOCUS:
            Inherited::WndProc(message);
            StartEditingOnFocus();
            return;
        case WM_KILLFOCUS:
            Inherited::WndProc(message);
            EndEditingOnFocusLoss();
            return;
        case WM_SIZE:
            Inherited::WndProc(message);
            PlaceList();
            return;
        case CM_FONTCHANGED:
            Inherited::WndProc(message);
            FollowFont();
            return;
        case CM_CANCELMODE:
            if (droppedDown_ && reinterpret_cast<TControl*>(lParam) != this) CloseList(false);
            break;
        case CN_COMMAND:
            FireNotificationEvent(HIWORD(wParam));
            message.Result = 0;
            return;
        default:
            break;
    }
    Inherited::WndProc(message);
}

LRESULT TCustomComboBox::DeleteListItem(WPARAM wParam, LPARAM lParam) {
    const bool wasSelected = IndexArgument(wParam) == list_->curSel_;
    const LRESULT result = list_->Perform(LB_DELETESTRING, wParam, lParam);
    // The selection field shows nothing once its item is gone; an edit part keeps what it holds.
    if (wasSelected && result != CB_ERR && !HasEdit()) SetEditTextInternal(std::string());
    return result;
}

LRESULT TCustomComboBox::ClearItemsAndText() {
    list_->ResetContent();
    SetEditTextInternal(std::string());
    return CB_OKAY;
}

LRESULT TCustomComboBox::SelectionOrError() const {
    return list_->curSel_ >= 0 ? list_->curSel_ : CB_ERR;
}

LRESULT TCustomComboBox::SelectItemStartingWith(Integer start, std::string_view prefix) {
    const Integer found = list_->FindString(start, prefix, false);
    if (found < 0) return CB_ERR;
    ChangeSelection(found, false);
    return found;
}

LRESULT TCustomComboBox::ShowDropDown(bool show) {
    if (show)
        OpenList();
    else
        CloseList(true);
    return TRUE;
}

LRESULT TCustomComboBox::ReportEditSelection(DWORD* start, DWORD* end) const {
    if (!HasEdit()) return CB_ERR;
    const auto first = static_cast<DWORD>(edit_.SelStart()), last = static_cast<DWORD>(edit_.SelEnd());
    if (start) *start = first;
    if (end) *end = last;
    return static_cast<LRESULT>(MAKELONG(static_cast<WORD>(first), static_cast<WORD>(last)));
}

LRESULT TCustomComboBox::SetEditSelection(LPARAM range) {
    if (!HasEdit()) return CB_ERR;
    const auto start = static_cast<SHORT>(LOWORD(static_cast<DWORD_PTR>(range)));
    const auto end = static_cast<SHORT>(HIWORD(static_cast<DWORD_PTR>(range)));
    const size_t length = edit_.Text().size();
    if (start < 0) {
        edit_.Select(edit_.Caret(), edit_.Caret());
    } else {
        const size_t last = end < 0 ? length : std::min(length, static_cast<size_t>(end));
        edit_.Select(std::min(length, static_cast<size_t>(start)), last);
    }
    UpdateCaret();
    Invalidate();
    return TRUE;
}

LRESULT TCustomComboBox::LimitEditText(WPARAM limit) {
    if (!HasEdit()) return CB_ERR;
    maxLength_ = static_cast<Integer>(std::min<WPARAM>(limit, 0x7FFFFFFE));
    return TRUE;
}

LRESULT TCustomComboBox::ItemHeightFor(WPARAM wParam, LPARAM lParam) {
    // Index -1 names the selection field.
    if (IndexArgument(wParam) == -1) return EditHeight() - 8;
    return list_->Perform(LB_GETITEMHEIGHT, wParam, lParam);
}

LRESULT TCustomComboBox::SetItemHeightFor(WPARAM wParam, LPARAM lParam) {
    const auto height = static_cast<Integer>(LOWORD(static_cast<DWORD_PTR>(lParam)));
    if (height <= 0 || height > 255) return CB_ERR;
    if (IndexArgument(wParam) != -1) return list_->Perform(LB_SETITEMHEIGHT, wParam, lParam);
    selectionFieldHeight_ = height;
    if (style_ != csSimple) SetBounds(Left(), Top(), Width(), EditHeight());
    Invalidate();
    return CB_OKAY;
}

LRESULT TCustomComboBox::GetDroppedControlRect(RECT* rect) {
    if (!rect) return CB_ERR;
    if (droppedDown_) {
        GetWindowRect(list_->Handle(), rect);
        return TRUE;
    }
    // Where the list would drop: below the control, as many rows as it would show.
    GetWindowRect(Handle(), rect);
    const Integer rows = std::clamp(list_->Count(), 1, dropDownCount_);
    rect->top = rect->bottom;
    rect->bottom = rect->top + rows * list_->ItemHeight() + 2;
    rect->right = rect->left + std::max<Integer>(rect->right - rect->left, droppedWidth_);
    return TRUE;
}

Integer TCustomComboBox::EffectiveDroppedWidth() const {
    return std::max(Width(), droppedWidth_);
}

LRESULT TCustomComboBox::CopyTextTo(char* buffer, WPARAM size) const {
    if (!buffer || size == 0) return 0;
    const size_t count = std::min(edit_.Text().size(), static_cast<size_t>(size) - 1);
    std::memcpy(buffer, edit_.Text().data(), count);
    buffer[count] = '\0';
    return static_cast<LRESULT>(count);
}

LRESULT TCustomComboBox::HandleSetText(std::string_view text) {
    const std::string value(text);
    if (HasEdit()) {
        SetEditTextInternal(value);
        return TRUE;
    }
    // Without an edit part the text must name an item.
    const Integer found = list_->FindString(-1, value, true);
    if (found < 0) return CB_ERR;
    ChangeSelection(found, false);
    return TRUE;
}

void TCustomComboBox::StartEditingOnFocus() {
    if (HasEdit()) {
        CreateCaret(Handle(), nullptr, 1, std::max(1, EditRect().bottom - EditRect().top - 4));
        edit_.Select(0, edit_.Text().size());
        UpdateCaret();
        ShowCaret(Handle());
    }
    Invalidate();
    NotifyParent(CBN_SETFOCUS);
}

void TCustomComboBox::EndEditingOnFocusLoss() {
    if (droppedDown_) CloseList(false);
    if (HasEdit()) DestroyCaret();
    Invalidate();
    NotifyParent(CBN_KILLFOCUS);
}

void TCustomComboBox::FollowFont() {
    list_->SetParentFont(false);
    list_->Font()->Assign(Font());
    edit_.Invalidate();
    if (style_ != csSimple) SetBounds(Left(), Top(), Width(), EditHeight());
}

void TCustomComboBox::FireNotificationEvent(Word code) {
    switch (code) {
        case CBN_DROPDOWN:
            DropDown();
            break;
        case CBN_CLOSEUP:
            CloseUp();
            break;
        case CBN_EDITCHANGE:
            Change();
            break;
        case CBN_SELCHANGE:
            Click();
            Select();
            break;
        case CBN_DBLCLK:
            DblClick();
            break;
        default:
            break;
    }
}

// ---------------------------------------------------------------------------------------------
// Painting

void TCustomComboBox::Paint() {
    TCanvas* canvas = Canvas();
    const TRect client = ClientRect();
    canvas->Brush()->SetColor(Enabled() ? Color() : clBtnFace);
    canvas->FillRect(client);
    if (style_ != csSimple) {
        RECT button = ButtonRect();
        UINT state = DFCS_SCROLLCOMBOBOX;
        if (droppedDown_) state |= DFCS_PUSHED | DFCS_FLAT;
        if (!Enabled()) state |= DFCS_INACTIVE;
        DrawFrameControl(canvas->Handle(), &button, DFC_SCROLL, state);
    } else {
        RECT frame = Rect(0, 0, client.right, EditHeight());
        DrawEdge(canvas->Handle(), &frame, EDGE_SUNKEN, BF_RECT);
    }
    if (HasEdit())
        PaintEdit(canvas, EditRect());
    else
        PaintSelectionField(canvas, EditRect());
}

void TCustomComboBox::PaintSelectionField(TCanvas* canvas, const TRect& area) {
    TRect rect = area;
    InflateRect(&rect, -1, -1);
    TOwnerDrawState state{odComboBoxEdit};
    const bool focused = Focused() && !droppedDown_;
    if (focused) state += TOwnerDrawState{odSelected, odFocused};
    if (!Enabled()) state.Include(odDisabled);
    canvas->Font()->Assign(Font());
    canvas->Brush()->SetColor(Enabled() ? Color() : clBtnFace);
    if (state.Contains(odSelected)) {
        canvas->Brush()->SetColor(clHighlight);
        canvas->Font()->SetColor(clHighlightText);
    } else if (!Enabled()) {
        canvas->Font()->SetColor(clGrayText);
    }
    DrawItem(list_->curSel_, rect, state);
    if (focused) canvas->DrawFocusRect(rect);
}

void TCustomComboBox::PaintEdit(TCanvas* canvas, const TRect& rect) {
    const HDC dc = canvas->Handle();
    canvas->Font()->Assign(Font());
    if (!Enabled()) canvas->Font()->SetColor(clGrayText);
    canvas->Brush()->SetColor(Enabled() ? Color() : clBtnFace);
    canvas->FillRect(rect);
    const std::string& text = edit_.Text();
    const Integer x = rect.left + 2, y = rect.top + 2;
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
    canvas->TextOut(x, y, text);
    if (Focused() && edit_.SelEnd() > edit_.SelStart()) {
        const Integer from = x + edit_.XOfPos(edit_.SelStart());
        const Integer to = x + edit_.XOfPos(edit_.SelEnd());
        canvas->Brush()->SetColor(clHighlight);
        canvas->Font()->SetColor(clHighlightText);
        const TRect selection = Rect(from, y, to, y + canvas->TextHeight("Wg"));
        canvas->TextRect(selection, from, y, edit_.SelText());
    }
    RestoreDC(dc, saved);
}

}  // namespace vcl

namespace vcl {
namespace {
const bool comboboxClassesRegistered = [] {
    RegisterClasses({TListBox::StaticClass(), TComboBox::StaticClass()});
    return true;
}();
}  // namespace
}  // namespace vcl
