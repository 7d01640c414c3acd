// TCustomEdit: the framework-painted edit control on the shared editing engine.
#include <algorithm>
#include <climits>

#include "controls/controls_internal.h"
#include "vcl/clipbrd.h"
#include "vcl/forms.h"
#include "vcl/stdctrls_edit.h"
#include "win32/user.h"
#include "win32/utf8.h"
#include "win32/virtualkeys.h"

namespace vcl {

using namespace win32;

namespace {

constexpr Integer kNoLimit = 0x7FFFFFFE;

LRESULT PackPoint(Integer x, Integer y) {
    return static_cast<LRESULT>(MAKELONG(static_cast<WORD>(x), static_cast<WORD>(y)));
}

TPoint PointArgument(LPARAM lParam) {
    return Point(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
}

}  // namespace

VCL_DEFINE_CLASS(TCustomEdit, TWinControl)

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
    controlStyle_ = TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks, csFixedHeight};
    SetBounds(0, 0, 121, 25);
    SetTabStop(true);
    SetColor(clWindow);
    engine_.SetMeasure([this](std::string_view character) { return MeasureCharacter(character); });
    TControl::SetAutoSize(true);
    AdjustSize();
}

TCustomEdit::~TCustomEdit() {
    FreeMeasureContext();
}

// ---------------------------------------------------------------------------------------------
// Measuring

int TCustomEdit::MeasureCharacter(std::string_view character) const {
    std::string_view shown = character;
    char password[1] = {passwordChar_};
    if (passwordChar_) shown = std::string_view(password, 1);
    uint32_t key = 0;
    for (unsigned char c : shown)
        key = (key << 8) | c;
    key ^= static_cast<uint32_t>(shown.size()) << 29;
    if (auto it = advanceCache_.find(key); it != advanceCache_.end()) return it->second;
    if (!measureDC_) measureDC_ = CreateCompatibleDC(nullptr);
    SIZE size{0, 0};
    if (measureDC_) {
        const HGDIOBJ old = SelectObject(measureDC_, Font()->Handle());
        GetTextExtentPoint32(measureDC_, shown.data(), static_cast<int>(shown.size()), &size);
        SelectObject(measureDC_, old);
    }
    advanceCache_.emplace(key, size.cx);
    return size.cx;
}

void TCustomEdit::FreeMeasureContext() const {
    if (measureDC_) DeleteDC(measureDC_);
    measureDC_ = nullptr;
    advanceCache_.clear();
    lineHeight_ = 0;
}

Integer TCustomEdit::LineHeight() const {
    if (lineHeight_ == 0) {
        if (!measureDC_) measureDC_ = CreateCompatibleDC(nullptr);
        TEXTMETRIC metrics{};
        if (measureDC_) {
            const HGDIOBJ old = SelectObject(measureDC_, Font()->Handle());
            GetTextMetrics(measureDC_, &metrics);
            SelectObject(measureDC_, old);
        }
        lineHeight_ = std::max<Integer>(metrics.tmHeight, 1);
    }
    return lineHeight_;
}

// ---------------------------------------------------------------------------------------------
// Properties

void TCustomEdit::SetAutoSize(bool value) {
    if (AutoSize() == value) return;
    TControl::SetAutoSize(value);
    AdjustSize();
}

bool TCustomEdit::CanAutoSize(Integer& newWidth, Integer& newHeight) {
    (void)newWidth;
    if (IsMultiLine() || IsLoading()) return false;
    Integer frame = 0;
    if (borderStyle_ != bsNone) frame = Ctl3D() ? 8 : 6;
    newHeight = LineHeight() + frame;
    return true;
}

void TCustomEdit::SetBorderStyle(TBorderStyle value) {
    if (value != bsNone) value = bsSingle;
    if (borderStyle_ == value) return;
    borderStyle_ = value;
    RecreateWnd();
    AdjustSize();
}

void TCustomEdit::SetCharCase(TEditCharCase value) {
    if (charCase_ == value) return;
    charCase_ = value;
    ApplyCharCaseToText();
}

void TCustomEdit::ApplyCharCaseToText() {
    if (charCase_ == ecNormal) return;
    const std::string converted = FilterInsert(engine_.Text());
    if (converted == engine_.Text()) return;
    const size_t anchor = engine_.Anchor(), caret = engine_.Caret();
    SetTextValue(converted);
    engine_.Select(anchor, caret);
    SelectionChanged();
}

void TCustomEdit::SetHideSelection(bool value) {
    if (hideSelection_ == value) return;
    hideSelection_ = value;
    Invalidate();
}

void TCustomEdit::SetMaxLength(Integer value) {
    maxLength_ = std::max<Integer>(value, 0);
}

void TCustomEdit::SetPasswordChar(char value) {
    if (passwordChar_ == value) return;
    passwordChar_ = value;
    advanceCache_.clear();
    engine_.Invalidate();
    SelectionChanged();
    Invalidate();
}

void TCustomEdit::SetReadOnly(bool value) {
    readOnly_ = value;
}

void TCustomEdit::SetSelStart(Integer value) {
    const size_t pos = static_cast<size_t>(std::max<Integer>(value, 0));
    engine_.Select(pos, pos);
    SelectionChanged();
}

void TCustomEdit::SetSelLength(Integer value) {
    const size_t start = engine_.SelStart();
    const size_t end = value < 0 ? (static_cast<size_t>(-static_cast<Int64>(value)) > start
                                        ? 0
                                        : start - static_cast<size_t>(-static_cast<Int64>(value)))
                                 : start + static_cast<size_t>(value);
    engine_.Select(start, end);
    SelectionChanged();
}

void TCustomEdit::SetSelText(const std::string& value) {
    ReplaceAndNotify(FilterInsert(value), false, true);
}

void TCustomEdit::SelectAll() {
    engine_.Select(0, engine_.Text().size());
    SelectionChanged();
}

void TCustomEdit::ClearSelection() {
    if (engine_.SelStart() != engine_.SelEnd()) ReplaceAndNotify("", false, false);
}

void TCustomEdit::Clear() {
    SetText("");
}

void TCustomEdit::CopyToClipboard() {
    if (passwordChar_ || engine_.SelStart() == engine_.SelEnd()) return;
    Clipboard()->SetAsText(engine_.SelText());
}

void TCustomEdit::CutToClipboard() {
    if (passwordChar_ || readOnly_ || engine_.SelStart() == engine_.SelEnd()) return;
    Clipboard()->SetAsText(engine_.SelText());
    ReplaceAndNotify("", false, false);
}

void TCustomEdit::PasteFromClipboard() {
    if (!Clipboard()->HasFormat(CF_TEXT)) return;
    std::string text = Clipboard()->AsText();
    if (!IsMultiLine()) {
        // A single line takes the clipboard's first line.
        const size_t stop = text.find_first_of("\r\n");
        if (stop != std::string::npos) text.resize(stop);
    }
    UserReplace(text, false);
}

void TCustomEdit::Undo() {
    if (!engine_.CanUndo() || readOnly_) return;
    engine_.Undo();
    modified_ = true;
    SelectionChanged();
    NotifyParent(EN_UPDATE);
    NotifyParent(EN_CHANGE);
    Change();
}

Integer TCustomEdit::GetSelTextBuf(char* buffer, Integer bufSize) const {
    if (!buffer || bufSize <= 0) return 0;
    const std::string text = engine_.SelText();
    const size_t count = std::min(text.size(), static_cast<size_t>(bufSize - 1));
    std::copy_n(text.data(), count, buffer);
    buffer[count] = '\0';
    return static_cast<Integer>(count);
}

// ---------------------------------------------------------------------------------------------
// Text

TCaption TCustomEdit::GetText() const {
    return engine_.Text();
}

void TCustomEdit::SetTextValue(const TCaption& value) {
    std::string text = FilterInsert(value);
    if (text == engine_.Text()) return;
    engine_.SetText(std::move(text));
    modified_ = false;
    firstLine_ = 0;
    scrollX_ = 0;
    SelectionChanged();
    Invalidate();
    if (!IsMultiLine()) {
        NotifyParent(EN_UPDATE);
        NotifyParent(EN_CHANGE);
    }
    if (!IsLoading()) Change();
}

void TCustomEdit::Change() {
    Changed();
    if (OnChange) OnChange(this);
}

std::string TCustomEdit::FilterInsert(std::string_view text) const {
    switch (charCase_) {
        case ecUpperCase:
            return AnsiUpperCase(text);
        case ecLowerCase:
            return AnsiLowerCase(text);
        default:
            return std::string(text);
    }
}

bool TCustomEdit::UserReplace(std::string_view text, bool typing) {
    if (readOnly_) {
        MessageBeep(0);
        return false;
    }
    const size_t before = engine_.Text().size();
    const size_t selection = engine_.SelEnd() - engine_.SelStart();
    std::string filtered = FilterInsert(text);
    if (filtered.empty() && selection == 0) return false;
    ReplaceAndNotify(filtered, typing, true);
    return engine_.Text().size() != before || selection != 0 || !filtered.empty();
}

void TCustomEdit::ReplaceAndNotify(std::string_view text, bool typing, bool enforceLimit) {
    std::string insert(text);
    if (enforceLimit && maxLength_ > 0) {
        const size_t kept = engine_.Text().size() - (engine_.SelEnd() - engine_.SelStart());
        const size_t room =
            kept >= static_cast<size_t>(maxLength_) ? 0 : static_cast<size_t>(maxLength_) - kept;
        if (insert.size() > room) {
            // Cut at a character boundary of the inserted text.
            size_t cut = room;
            while (cut > 0 && (static_cast<unsigned char>(insert[cut]) & 0xC0) == 0x80)
                --cut;
            insert.resize(cut);
            NotifyParent(EN_MAXTEXT);
            if (insert.empty() && engine_.SelStart() == engine_.SelEnd()) return;
        }
    }
    if (insert.empty() && engine_.SelStart() == engine_.SelEnd()) return;
    engine_.ReplaceSelection(insert, typing);
    modified_ = true;
    desiredX_ = -1;
    SelectionChanged();
    NotifyParent(EN_UPDATE);
    Invalidate();
    NotifyParent(EN_CHANGE);
    Change();
}

void TCustomEdit::NotifyParent(WORD code) {
    if (!HandleAllocated()) return;
    const HWND window = Handle();
    const HWND parent = GetParent(window);
    if (!parent) return;
    const auto id = static_cast<WORD>(GetWindowLong(window, GWL_ID));
    SendMessage(parent, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(window));
}

// ---------------------------------------------------------------------------------------------
// Geometry and scrolling

TRect TCustomEdit::FormatRect() const {
    if (customRect_) return formatRect_;
    const TRect client = ClientRect();
    TRect rect{client.left + leftMargin_, client.top, client.right - rightMargin_, client.bottom};
    if (!IsMultiLine()) {
        rect.top += 1;
        rect.bottom = std::max(rect.top, rect.bottom - 1);
    }
    if (rect.right < rect.left) rect.right = rect.left;
    return rect;
}

Integer TCustomEdit::VisibleLineCount() const {
    const TRect rect = FormatRect();
    return std::max<Integer>((rect.bottom - rect.top) / LineHeight(), 1);
}

Integer TCustomEdit::AlignmentOffset(const TEditLine& line) const {
    // A single line that is wider than the rectangle scrolls instead (scrollX_).
    if (alignment_ == TAlignment::taLeftJustify) return 0;
    const TRect rect = FormatRect();
    const Integer width = engine_.XOfPos(line.End()) - (line.length ? engine_.XOfPos(line.start) : 0);
    const Integer room = (rect.right - rect.left) - width;
    if (room <= 0) return 0;
    return alignment_ == TAlignment::taRightJustify ? room - 1 : room / 2;
}

TPoint TCustomEdit::PosToPoint(size_t pos) const {
    const TRect rect = FormatRect();
    const int line = engine_.LineFromPos(pos);
    const TEditLine& info = engine_.Lines()[static_cast<size_t>(line)];
    return Point(rect.left + AlignmentOffset(info) + engine_.XOfPos(pos) - scrollX_,
                 rect.top + (line - firstLine_) * LineHeight());
}

size_t TCustomEdit::PointToPos(TPoint point) const {
    const TRect rect = FormatRect();
    Integer line = firstLine_ + (point.y - rect.top) / LineHeight();
    if (point.y < rect.top) line = firstLine_ - 1 - (rect.top - point.y - 1) / LineHeight();
    line = std::clamp<Integer>(line, 0, engine_.LineCount() - 1);
    const TEditLine& info = engine_.Lines()[static_cast<size_t>(line)];
    return engine_.PosAtX(line, point.x - rect.left - AlignmentOffset(info) + scrollX_);
}

void TCustomEdit::ScrollCaretIntoView() {
    const TRect rect = FormatRect();
    const Integer width = rect.right - rect.left;
    const size_t caret = engine_.Caret();
    if (IsMultiLine()) {
        const Integer line = engine_.LineFromPos(caret);
        const Integer visible = VisibleLineCount();
        if (line < firstLine_) firstLine_ = line;
        if (line >= firstLine_ + visible) firstLine_ = line - visible + 1;
    }
    if (IsMultiLine() && wordWrap_) {
        scrollX_ = 0;
        return;
    }
    const Integer x = engine_.XOfPos(caret);
    if (x < scrollX_) scrollX_ = x;
    if (x >= scrollX_ + width) scrollX_ = x - width + 1;
    // Text that got shorter pulls the view back so that no blank space shows on the right.
    const Integer extent = IsMultiLine() ? engine_.MaxLineWidth() : engine_.XOfPos(engine_.Text().size());
    if (scrollX_ > 0 && extent - scrollX_ < width - 1)
        scrollX_ = std::max<Integer>(0, std::max(extent, x) - width + 1);
    scrollX_ = std::max<Integer>(scrollX_, 0);
}

bool TCustomEdit::ScrollBy(Integer lines, Integer pixels) {
    const Integer oldLine = firstLine_, oldX = scrollX_;
    if (IsMultiLine()) {
        const Integer lastFirst = std::max<Integer>(0, engine_.LineCount() - 1);
        firstLine_ = std::clamp<Integer>(firstLine_ + lines, 0, lastFirst);
    }
    if (!(IsMultiLine() && wordWrap_)) {
        const Integer width = FormatRect().right - FormatRect().left;
        const Integer extent = IsMultiLine() ? engine_.MaxLineWidth() : engine_.XOfPos(engine_.Text().size());
        scrollX_ = std::clamp<Integer>(scrollX_ + pixels, 0, std::max<Integer>(0, extent - width + 1));
    }
    if (oldLine == firstLine_ && oldX == scrollX_) return false;
    if (oldLine != firstLine_) NotifyParent(EN_VSCROLL);
    if (oldX != scrollX_) NotifyParent(EN_HSCROLL);
    UpdateScrollBars();
    Invalidate();
    UpdateCaret();
    return true;
}

void TCustomEdit::UpdateScrollBars() {
    if (!HandleAllocated() || !IsMultiLine()) return;
    const HWND window = Handle();
    if (scrollBars_ == ssVertical || scrollBars_ == ssBoth) {
        SCROLLINFO info{sizeof(SCROLLINFO),
                        SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL,
                        0,
                        std::max<Integer>(engine_.LineCount() - 1, 0),
                        static_cast<UINT>(VisibleLineCount()),
                        firstLine_,
                        0};
        SetScrollInfo(window, SB_VERT, &info, TRUE);
    }
    if ((scrollBars_ == ssHorizontal || scrollBars_ == ssBoth) && !wordWrap_) {
        const TRect rect = FormatRect();
        SCROLLINFO info{sizeof(SCROLLINFO),
                        SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL,
                        0,
                        std::max<Integer>(engine_.MaxLineWidth(), 0),
                        static_cast<UINT>(rect.right - rect.left),
                        scrollX_,
                        0};
        SetScrollInfo(window, SB_HORZ, &info, TRUE);
    }
}

void TCustomEdit::SelectionChanged() {
    const Integer oldLine = firstLine_, oldX = scrollX_;
    ScrollCaretIntoView();
    if (oldLine != firstLine_ || oldX != scrollX_) UpdateScrollBars();
    Invalidate();
    UpdateCaret();
}

void TCustomEdit::UpdateCaret() {
    if (!HandleAllocated() || !Focused()) return;
    const TPoint point = PosToPoint(engine_.Caret());
    SetCaretPos(point.x, point.y);
}

void TCustomEdit::MoveCaret(size_t pos, bool extend) {
    engine_.Select(extend ? engine_.Anchor() : pos, pos);
    SelectionChanged();
}

void TCustomEdit::RelayoutWidth() {
    if (IsMultiLine() && wordWrap_) {
        const TRect rect = FormatRect();
        engine_.SetWrapWidth(std::max<Integer>(rect.right - rect.left, 1));
    } else {
        engine_.SetWrapWidth(0);
    }
}

void TCustomEdit::Resize() {
    customRect_ = false;
    RelayoutWidth();
    ScrollCaretIntoView();
    UpdateScrollBars();
    TWinControl::Resize();
}

// ---------------------------------------------------------------------------------------------
// Multi-line settings

void TCustomEdit::SetMultiLine(bool value) {
    engine_.SetMultiLine(value);
    RelayoutWidth();
}

void TCustomEdit::SetWordWrapValue(bool value) {
    if (wordWrap_ == value) return;
    wordWrap_ = value;
    RelayoutWidth();
    if (wordWrap_) scrollX_ = 0;
    RecreateWnd();
    SelectionChanged();
}

void TCustomEdit::SetScrollBarsValue(TScrollStyle value) {
    if (scrollBars_ == value) return;
    scrollBars_ = value;
    RecreateWnd();
    RelayoutWidth();
    UpdateScrollBars();
}

void TCustomEdit::SetAlignmentValue(TAlignment value) {
    if (alignment_ == value) return;
    alignment_ = value;
    Invalidate();
    UpdateCaret();
}

// ---------------------------------------------------------------------------------------------
// Window

void TCustomEdit::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.Style |= ES_AUTOHSCROLL | ES_AUTOVSCROLL;
    if (IsMultiLine()) {
        params.Style |= ES_MULTILINE;
        if (wordWrap_) params.Style &= ~ES_AUTOHSCROLL;
        if (scrollBars_ == ssVertical || scrollBars_ == ssBoth) params.Style |= WS_VSCROLL;
        if ((scrollBars_ == ssHorizontal || scrollBars_ == ssBoth) && !wordWrap_) params.Style |= WS_HSCROLL;
    }
    static constexpr DWORD kAlignStyles[] = {ES_LEFT, ES_RIGHT, ES_CENTER};
    params.Style |= kAlignStyles[static_cast<size_t>(alignment_)];
    if (borderStyle_ != bsNone) {
        if (Ctl3D())
            params.ExStyle |= WS_EX_CLIENTEDGE;
        else
            params.Style |= WS_BORDER;
    }
    if (!hideSelection_) params.Style |= ES_NOHIDESEL;
    if (oemConvert_) params.Style |= ES_OEMCONVERT;
    if (readOnly_) params.Style |= ES_READONLY;
    if (passwordChar_) params.Style |= ES_PASSWORD;
    if (charCase_ == ecUpperCase) params.Style |= ES_UPPERCASE;
    if (charCase_ == ecLowerCase) params.Style |= ES_LOWERCASE;
    params.WindowClass.hCursor = LoadCursor(nullptr, IDC_IBEAM);
    params.Caption.clear();
}

void TCustomEdit::CreateHandleDone() {
    RelayoutWidth();
    UpdateScrollBars();
}

void TCustomEdit::Loaded() {
    TWinControl::Loaded();
    modified_ = false;
    ApplyCharCaseToText();
    AdjustSize();
}

void TCustomEdit::DoEnter() {
    // Entering by keyboard selects everything; a click places the caret instead.
    if (autoSelect_ && !controlState_.Contains(csLButtonDown) && !IsMultiLine()) SelectAll();
    TWinControl::DoEnter();
}

void TCustomEdit::PaintWindow(HDC dc) {
    const TRect rect = FormatRect();
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
    SelectObject(dc, Font()->Handle());
    SetBkMode(dc, TRANSPARENT);
    const bool showSelection = Focused() || !hideSelection_;
    const size_t selStart = engine_.SelStart(), selEnd = engine_.SelEnd();
    const COLORREF textColor = ColorToRGB(Enabled() ? Font()->Color() : clGrayText);
    const auto& lines = engine_.Lines();
    const Integer lineHeight = LineHeight();
    const Integer visible = VisibleLineCount() + 1;
    const std::string& text = engine_.Text();
    std::string shown;
    for (Integer i = firstLine_; i < engine_.LineCount() && i < firstLine_ + visible; ++i) {
        const TEditLine& line = lines[static_cast<size_t>(i)];
        const Integer y = rect.top + (i - firstLine_) * lineHeight;
        const Integer x0 = rect.left + AlignmentOffset(line) - scrollX_;
        // Draws [from, to) of the line in the given colours.
        auto drawRun = [&](size_t from, size_t to, bool selected) {
            if (from >= to) return;
            const Integer left = x0 + engine_.XOfPos(from);
            const Integer right = x0 + (to == line.End() ? engine_.XOfPos(line.End()) : engine_.XOfPos(to));
            if (selected) {
                const RECT band{left, y, right, y + lineHeight};
                const HBRUSH brush = CreateSolidBrush(ColorToRGB(clHighlight));
                FillRect(dc, &band, brush);
                DeleteObject(brush);
                SetTextColor(dc, ColorToRGB(clHighlightText));
            } else {
                SetTextColor(dc, textColor);
            }
            if (passwordChar_) {
                shown.clear();
                for (size_t pos = from; pos < to; pos = engine_.NextChar(pos))
                    shown.push_back(passwordChar_);
            } else {
                shown.assign(text, from, to - from);
            }
            TextOut(dc, left, y, shown.data(), static_cast<int>(shown.size()));
        };
        if (showSelection && selStart < selEnd && selStart < line.End() && selEnd > line.start) {
            const size_t a = std::max(selStart, line.start), b = std::min(selEnd, line.End());
            drawRun(line.start, a, false);
            drawRun(a, b, true);
            drawRun(b, line.End(), false);
        } else {
            drawRun(line.start, line.End(), false);
        }
    }
    RestoreDC(dc, saved);
}

// ---------------------------------------------------------------------------------------------
// Mouse

void TCustomEdit::MouseSelect(TPoint point, bool extend) {
    const size_t pos = PointToPos(point);
    if (wordSelecting_) {
        size_t start = 0, end = 0;
        engine_.WordAt(pos, start, end);
        if (pos < wordAnchorStart_)
            engine_.Select(wordAnchorEnd_, start);
        else
            engine_.Select(wordAnchorStart_, std::max(end, wordAnchorEnd_));
    } else {
        engine_.Select(extend ? engine_.Anchor() : pos, pos);
    }
    desiredX_ = -1;
    SelectionChanged();
}

// ---------------------------------------------------------------------------------------------
// Messages

void TCustomEdit::WndProc(TMessage& message) {
    // A graphic child (an embedded button) takes the mouse over it before the text does.
    if (message.Msg >= WM_MOUSEFIRST && message.Msg <= WM_MOUSELAST && message.Msg != WM_MOUSEWHEEL &&
        message.Msg != WM_MOUSEHWHEEL && IsControlMouseMsg(message))
        return;
    switch (message.Msg) {
        case WM_SETTEXT:
            SetText(std::string(detail::MessageText(message.LParam)));
            message.Result = TRUE;
            return;
        case WM_GETTEXT:
        case WM_GETTEXTLENGTH:
            TControl::DefaultHandler(message);
            return;
        case WM_GETDLGCODE:
            message.Result = DialogCode();
            return;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            BeginMouseSelection(PointArgument(message.LParam), message.Msg == WM_LBUTTONDBLCLK,
                                (message.WParam & MK_SHIFT) != 0);
            break;
        case WM_MOUSEMOVE:
            if (mouseSelecting_ && (message.WParam & MK_LBUTTON))
                MouseSelect(PointArgument(message.LParam), true);
            break;
        case WM_LBUTTONUP:
            mouseSelecting_ = false;
            wordSelecting_ = false;
            break;
        case WM_SETFOCUS:
            Inherited::WndProc(message);
            ShowFocus();
            return;
        case WM_KILLFOCUS:
            Inherited::WndProc(message);
            HideFocus();
            return;
        case WM_HSCROLL:
        case WM_VSCROLL:
            HandleScrollMessage(message, message.Msg == WM_VSCROLL);
            return;
        case WM_CUT:
            CutToClipboard();
            return;
        case WM_COPY:
            CopyToClipboard();
            return;
        case WM_PASTE:
            PasteFromClipboard();
            return;
        case WM_CLEAR:
            if (!readOnly_) ClearSelection();
            return;
        case WM_UNDO:
        case EM_UNDO:
            message.Result = engine_.CanUndo() ? TRUE : FALSE;
            Undo();
            return;
        case CN_COMMAND:
            // Change already ran where the text changed.
            message.Result = 0;
            return;
        case CM_FONTCHANGED:
            ForgetFontMeasurements();
            Inherited::WndProc(message);
            FitToFont();
            return;
        case CM_ENABLEDCHANGED:
        case CM_CTL3DCHANGED:
            Inherited::WndProc(message);
            AdjustSize();
            return;
        default:
            if (message.Msg >= EM_GETSEL && message.Msg <= EM_CHARFROMPOS) {
                HandleEditMessage(message);
                return;
            }
            break;
    }
    Inherited::WndProc(message);
}

LRESULT TCustomEdit::DialogCode() const {
    LRESULT code = DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL;
    if (IsMultiLine()) {
        code |= DLGC_WANTALLKEYS;
        if (wantTabs_) code |= DLGC_WANTTAB;
        if (!wantReturns_) code &= ~DLGC_WANTALLKEYS;
    }
    return code;
}

void TCustomEdit::BeginMouseSelection(TPoint point, bool byWord, bool extend) {
    if (!Focused() && Enabled() && (CanFocus() || (!Parent() && ParentWindow()))) {
        // Focus from a click places the caret instead of selecting everything (DoEnter).
        controlState_.Include(csLButtonDown);
        SetFocus();
        controlState_.Exclude(csLButtonDown);
    }
    mouseSelecting_ = true;
    wordSelecting_ = byWord;
    if (!byWord) {
        MouseSelect(point, extend);
        return;
    }
    size_t start = 0, end = 0;
    engine_.WordAt(PointToPos(point), start, end);
    wordAnchorStart_ = start;
    wordAnchorEnd_ = end;
    engine_.Select(start, end);
    SelectionChanged();
}

void TCustomEdit::ShowLineCaret() {
    CreateCaret(Handle(), nullptr, 1, LineHeight());
    UpdateCaret();
    ShowCaret(Handle());
}

void TCustomEdit::ShowFocus() {
    if (!HandleAllocated()) return;
    ShowLineCaret();
    Invalidate();
    NotifyParent(EN_SETFOCUS);
}

void TCustomEdit::HideFocus() {
    mouseSelecting_ = false;
    DestroyCaret();
    Invalidate();
    NotifyParent(EN_KILLFOCUS);
}

void TCustomEdit::ForgetFontMeasurements() {
    FreeMeasureContext();
    engine_.Invalidate();
    RelayoutWidth();
}

void TCustomEdit::FitToFont() {
    AdjustSize();
    // The caret takes the height of the new lines.
    if (HandleAllocated() && Focused()) ShowLineCaret();
}

void TCustomEdit::DefaultHandler(TMessage& message) {
    switch (message.Msg) {
        case WM_KEYDOWN:
            EditKeyDown(static_cast<Word>(message.WParam), KeyDataToShiftState(message.LParam));
            message.Result = 0;
            return;
        case WM_CHAR:
            TypeCharacter(static_cast<char32_t>(message.WParam));
            message.Result = 0;
            return;
        default:
            TWinControl::DefaultHandler(message);
    }
}

bool TCustomEdit::TypeCharacter(char32_t character) {
    if (character == '\r') {
        if (!IsMultiLine() || !wantReturns_) return false;
        return UserReplace("\r\n", true);
    }
    if (character == '\t') {
        if (!IsMultiLine() || !wantTabs_) return false;
        return UserReplace("\t", true);
    }
    if (character == 0x08) {
        if (readOnly_) return false;
        if (engine_.SelStart() == engine_.SelEnd()) {
            const size_t caret = engine_.Caret();
            if (caret == 0) return false;
            engine_.Select(caret, engine_.PrevChar(caret));
        }
        ReplaceAndNotify("", false, false);
        return true;
    }
    if (character < 0x20 || character == 0x7F || character > 0x10FFFF ||
        (character >= 0xD800 && character <= 0xDFFF))
        return false;
    return UserReplace(win32::Utf8(character), true);
}

void TCustomEdit::EditKeyDown(Word key, TShiftState shift) {
    const bool ctrl = shift.Contains(ssCtrl);
    const bool extend = shift.Contains(ssShift);
    const size_t caret = engine_.Caret();
    const bool multi = IsMultiLine();
    // Vertical moves keep the x where they started.
    auto moveVertical = [&](Integer lines) {
        const Integer line = engine_.LineFromPos(caret);
        if (desiredX_ < 0) desiredX_ = PosToPoint(caret).x;
        const Integer target = std::clamp<Integer>(line + lines, 0, engine_.LineCount() - 1);
        const Integer keepX = desiredX_;
        const TRect rect = FormatRect();
        const TEditLine& info = engine_.Lines()[static_cast<size_t>(target)];
        const size_t pos = engine_.PosAtX(target, keepX - rect.left - AlignmentOffset(info) + scrollX_);
        if (lines != 0 && (target - line) != 0) {
            const Integer delta = target - line;
            if (std::abs(lines) > 1) ScrollBy(delta, 0);
        }
        MoveCaret(pos, extend);
        desiredX_ = keepX;
    };
    switch (key) {
        case VK_LEFT:
            desiredX_ = -1;
            if (!extend && engine_.SelStart() != engine_.SelEnd() && !ctrl)
                MoveCaret(engine_.SelStart(), false);
            else
                MoveCaret(ctrl ? engine_.PrevWord(caret) : engine_.PrevChar(caret), extend);
            return;
        case VK_RIGHT:
            desiredX_ = -1;
            if (!extend && engine_.SelStart() != engine_.SelEnd() && !ctrl)
                MoveCaret(engine_.SelEnd(), false);
            else
                MoveCaret(ctrl ? engine_.NextWord(caret) : engine_.NextChar(caret), extend);
            return;
        case VK_UP:
            if (multi)
                moveVertical(-1);
            else {
                desiredX_ = -1;
                MoveCaret(engine_.PrevChar(caret), extend);
            }
            return;
        case VK_DOWN:
            if (multi)
                moveVertical(1);
            else {
                desiredX_ = -1;
                MoveCaret(engine_.NextChar(caret), extend);
            }
            return;
        case VK_PRIOR:
            if (multi) moveVertical(-VisibleLineCount());
            return;
        case VK_NEXT:
            if (multi) moveVertical(VisibleLineCount());
            return;
        case VK_HOME: {
            desiredX_ = -1;
            if (ctrl || !multi) {
                MoveCaret(0, extend);
            } else {
                MoveCaret(engine_.Lines()[static_cast<size_t>(engine_.LineFromPos(caret))].start, extend);
            }
            return;
        }
        case VK_END: {
            desiredX_ = -1;
            if (ctrl || !multi) {
                MoveCaret(engine_.Text().size(), extend);
            } else {
                const Integer line = engine_.LineFromPos(caret);
                const TEditLine& info = engine_.Lines()[static_cast<size_t>(line)];
                size_t end = info.End();
                // The end of a wrapped line is the start of the next: stay before its blank.
                if (info.breakLength == 0 && line + 1 < engine_.LineCount() && end > info.start)
                    end = engine_.PrevChar(end);
                MoveCaret(end, extend);
            }
            return;
        }
        case VK_DELETE:
            if (extend) {
                Perform(WM_CUT, 0, 0);
                return;
            }
            if (readOnly_) return;
            desiredX_ = -1;
            if (engine_.SelStart() == engine_.SelEnd()) {
                if (caret >= engine_.Text().size()) return;
                engine_.Select(caret, ctrl ? engine_.NextWord(caret) : engine_.NextChar(caret));
            }
            ReplaceAndNotify("", false, false);
            return;
        case VK_INSERT:
            if (ctrl)
                Perform(WM_COPY, 0, 0);
            else if (extend)
                Perform(WM_PASTE, 0, 0);
            return;
        default:
            break;
    }
    // The clipboard keys send the messages, as the native edit does, so that a control that takes
    // over WM_CUT, WM_PASTE or WM_UNDO hears the keys too.
    if (ctrl && !extend && !shift.Contains(ssAlt)) {
        switch (key) {
            case 'C':
                Perform(WM_COPY, 0, 0);
                return;
            case 'X':
                Perform(WM_CUT, 0, 0);
                return;
            case 'V':
                Perform(WM_PASTE, 0, 0);
                return;
            case 'Z':
                Perform(WM_UNDO, 0, 0);
                return;
            default:
                break;
        }
    }
}

void TCustomEdit::HandleScrollMessage(TMessage& message, bool vertical) {
    message.Result = 0;
    if (!IsMultiLine()) return;
    const WORD code = LOWORD(message.WParam);
    const Integer page = vertical ? VisibleLineCount() : (FormatRect().right - FormatRect().left);
    const Integer line = vertical ? 1 : std::max<Integer>(LineHeight() / 2, 1);
    Integer delta = 0;
    switch (code) {
        case SB_LINEUP:
            delta = -line;
            break;
        case SB_LINEDOWN:
            delta = line;
            break;
        case SB_PAGEUP:
            delta = -page;
            break;
        case SB_PAGEDOWN:
            delta = page;
            break;
        case SB_TOP:
            delta = -INT_MAX / 2;
            break;
        case SB_BOTTOM:
            delta = INT_MAX / 2;
            break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK: {
            const Integer target = static_cast<int16_t>(HIWORD(message.WParam));
            delta = target - (vertical ? firstLine_ : scrollX_);
            break;
        }
        default:
            return;
    }
    if (vertical)
        ScrollBy(delta, 0);
    else
        ScrollBy(0, delta);
}

void TCustomEdit::HandleEditMessage(TMessage& message) {
    const WPARAM wParam = message.WParam;
    const LPARAM lParam = message.LParam;
    LRESULT& result = message.Result;
    result = 0;
    switch (message.Msg) {
        case EM_GETSEL:
            result = ReportSelection(reinterpret_cast<DWORD*>(wParam), reinterpret_cast<DWORD*>(lParam));
            return;
        case EM_SETSEL:
            SetSelectionRange(static_cast<int32_t>(wParam), static_cast<int32_t>(lParam));
            return;
        case EM_REPLACESEL:
            ReplaceAndNotify(FilterInsert(detail::MessageText(lParam)), false, true);
            // wParam says whether the replacement can be undone.
            if (wParam == 0) engine_.EmptyUndoBuffer();
            return;
        case EM_GETMODIFY:
            result = modified_ ? TRUE : FALSE;
            return;
        case EM_SETMODIFY:
            modified_ = wParam != 0;
            return;
        case EM_CANUNDO:
            result = engine_.CanUndo() ? TRUE : FALSE;
            return;
        case EM_EMPTYUNDOBUFFER:
            engine_.EmptyUndoBuffer();
            return;
        case EM_SETREADONLY:
            SetReadOnly(wParam != 0);
            result = TRUE;
            return;
        case EM_SETPASSWORDCHAR:
            if (!IsMultiLine()) SetPasswordChar(static_cast<char>(wParam & 0xFF));
            return;
        case EM_GETPASSWORDCHAR:
            result = static_cast<unsigned char>(passwordChar_);
            return;
        case EM_LIMITTEXT: {
            const auto limit = static_cast<ULONG_PTR>(wParam);
            maxLength_ =
                (limit == 0 || limit >= static_cast<ULONG_PTR>(kNoLimit)) ? 0 : static_cast<Integer>(limit);
            return;
        }
        case EM_GETLIMITTEXT:
            result = maxLength_ ? maxLength_ : kNoLimit;
            return;
        case EM_GETLINECOUNT:
            result = engine_.LineCount();
            return;
        case EM_GETFIRSTVISIBLELINE:
            result = IsMultiLine() ? firstLine_ : static_cast<LRESULT>(engine_.PosAtX(0, scrollX_));
            return;
        case EM_LINEFROMCHAR:
            result = LineFromCharacter(static_cast<LONG_PTR>(wParam));
            return;
        case EM_LINEINDEX:
            result = LineStartOf(static_cast<Integer>(static_cast<LONG_PTR>(wParam)));
            return;
        case EM_LINELENGTH:
            result = LineLengthAt(static_cast<LONG_PTR>(wParam));
            return;
        case EM_GETLINE:
            result = CopyLine(static_cast<LONG_PTR>(wParam), reinterpret_cast<char*>(lParam));
            return;
        case EM_GETRECT:
            if (auto* rect = reinterpret_cast<RECT*>(lParam)) *rect = FormatRect();
            return;
        case EM_SETRECT:
        case EM_SETRECTNP:
            SetFormatRect(reinterpret_cast<const RECT*>(lParam), wParam == 1);
            if (message.Msg == EM_SETRECT) Invalidate();
            return;
        case EM_SETMARGINS:
            SetMargins(wParam, LOWORD(static_cast<DWORD_PTR>(lParam)),
                       HIWORD(static_cast<DWORD_PTR>(lParam)));
            return;
        case EM_GETMARGINS:
            result = PackPoint(leftMargin_, rightMargin_);
            return;
        case EM_POSFROMCHAR:
            result = PositionOfCharacter(static_cast<size_t>(static_cast<ULONG_PTR>(wParam)));
            return;
        case EM_CHARFROMPOS:
            result = CharacterAtPoint(PointArgument(lParam));
            return;
        case EM_SCROLLCARET:
            ScrollToCaret();
            result = TRUE;
            return;
        case EM_LINESCROLL:
            if (!IsMultiLine()) return;
            ScrollBy(static_cast<Integer>(static_cast<LONG_PTR>(lParam)),
                     static_cast<Integer>(static_cast<LONG_PTR>(wParam)) * AverageCharacterWidth());
            result = TRUE;
            return;
        case EM_SCROLL:
            result = ScrollByCommand(LOWORD(wParam));
            return;
        case EM_GETTHUMB:
            result = IsMultiLine() ? firstLine_ : 0;
            return;
        default:
            return;
    }
}

LRESULT TCustomEdit::ReportSelection(DWORD* start, DWORD* end) const {
    const auto first = static_cast<DWORD>(engine_.SelStart());
    const auto last = static_cast<DWORD>(engine_.SelEnd());
    if (start) *start = first;
    if (end) *end = last;
    // The packed answer cannot hold more than 16 bits of either end.
    return static_cast<LRESULT>(MAKELONG(static_cast<WORD>(std::min<DWORD>(first, 0xFFFF)),
                                         static_cast<WORD>(std::min<DWORD>(last, 0xFFFF))));
}

void TCustomEdit::SetSelectionRange(Int64 start, Int64 end) {
    desiredX_ = -1;
    if (start < 0) {
        // -1 removes the selection, leaving the caret where it is.
        engine_.Select(engine_.Caret(), engine_.Caret());
    } else if (end < 0) {
        engine_.Select(static_cast<size_t>(start), engine_.Text().size());
    } else {
        // The caret goes to the end given second.
        engine_.Select(static_cast<size_t>(start), static_cast<size_t>(end));
    }
    SelectionChanged();
}

Integer TCustomEdit::LineFromCharacter(Int64 index) const {
    // -1: the line of the selection's start.
    if (index < 0) return engine_.LineFromPos(engine_.SelStart());
    return engine_.LineFromPos(engine_.Snap(static_cast<size_t>(index)));
}

LRESULT TCustomEdit::LineStartOf(Integer line) const {
    // -1: the caret's line.
    if (line < 0) line = engine_.LineFromPos(engine_.Caret());
    if (line >= engine_.LineCount()) return -1;
    return static_cast<LRESULT>(engine_.Lines()[static_cast<size_t>(line)].start);
}

LRESULT TCustomEdit::LineLengthAt(Int64 index) const {
    if (index >= 0) {
        const Integer line = engine_.LineFromPos(engine_.Snap(static_cast<size_t>(index)));
        return static_cast<LRESULT>(engine_.Lines()[static_cast<size_t>(line)].length);
    }
    // -1: the unselected rest of the lines the selection touches.
    const Integer firstLine = engine_.LineFromPos(engine_.SelStart());
    const Integer lastLine = engine_.LineFromPos(engine_.SelEnd());
    const TEditLine& first = engine_.Lines()[static_cast<size_t>(firstLine)];
    const TEditLine& last = engine_.Lines()[static_cast<size_t>(lastLine)];
    return static_cast<LRESULT>((engine_.SelStart() - first.start) +
                                (last.End() - std::min(engine_.SelEnd(), last.End())));
}

LRESULT TCustomEdit::CopyLine(Int64 line, char* buffer) const {
    if (!buffer || line < 0 || line >= engine_.LineCount()) return 0;
    // The first WORD of the buffer holds its size; the copy has no terminating NUL.
    WORD capacity = 0;
    std::copy_n(buffer, sizeof(WORD), reinterpret_cast<char*>(&capacity));
    const TEditLine& info = engine_.Lines()[static_cast<size_t>(line)];
    const size_t count = std::min<size_t>(info.length, capacity);
    std::copy_n(engine_.Text().data() + info.start, count, buffer);
    return static_cast<LRESULT>(count);
}

void TCustomEdit::SetFormatRect(const RECT* rect, bool relative) {
    if (!rect) {
        customRect_ = false;
    } else {
        TRect value = *rect;
        if (relative) {
            const TRect current = FormatRect();
            value = TRect{current.left + rect->left, current.top + rect->top, current.right + rect->right,
                          current.bottom + rect->bottom};
        }
        if (value.right < value.left) value.right = value.left;
        if (value.bottom < value.top) value.bottom = value.top;
        formatRect_ = value;
        customRect_ = true;
    }
    RelayoutWidth();
    ScrollCaretIntoView();
    UpdateCaret();
}

void TCustomEdit::SetMargins(WPARAM which, WORD left, WORD right) {
    // Font information gives a margin of a third of the average character width.
    const Integer fontMargin = std::max<Integer>(MeasureCharacter("x") / 3, 1);
    if (which & EC_LEFTMARGIN) leftMargin_ = left == EC_USEFONTINFO ? fontMargin : left;
    if (which & EC_RIGHTMARGIN) rightMargin_ = right == EC_USEFONTINFO ? fontMargin : right;
    customRect_ = false;
    RelayoutWidth();
    SelectionChanged();
}

LRESULT TCustomEdit::PositionOfCharacter(size_t index) const {
    if (index > engine_.Text().size()) return -1;
    const TPoint point = PosToPoint(engine_.Snap(index));
    return PackPoint(point.x, point.y);
}

LRESULT TCustomEdit::CharacterAtPoint(TPoint point) const {
    const size_t pos = PointToPos(point);
    return PackPoint(static_cast<Integer>(std::min<size_t>(pos, 0xFFFF)), engine_.LineFromPos(pos));
}

void TCustomEdit::ScrollToCaret() {
    ScrollCaretIntoView();
    UpdateScrollBars();
    Invalidate();
    UpdateCaret();
}

Integer TCustomEdit::AverageCharacterWidth() const {
    return std::max<Integer>(MeasureCharacter("x"), 1);
}

LRESULT TCustomEdit::ScrollByCommand(WORD command) {
    if (!IsMultiLine()) return 0;
    Integer delta = 0;
    switch (command) {
        case SB_LINEUP:
            delta = -1;
            break;
        case SB_LINEDOWN:
            delta = 1;
            break;
        case SB_PAGEUP:
            delta = -VisibleLineCount();
            break;
        case SB_PAGEDOWN:
            delta = VisibleLineCount();
            break;
        default:
            return 0;
    }
    const Integer before = firstLine_;
    ScrollBy(delta, 0);
    // The lines scrolled, and TRUE for a command that was understood.
    return static_cast<LRESULT>(MAKELONG(static_cast<WORD>(firstLine_ - before), TRUE));
}

}  // namespace vcl
