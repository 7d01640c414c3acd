// Push buttons, check boxes and radio buttons.
#include <algorithm>

#include "stdctrls/captiontext.h"
#include "vcl/forms.h"
#include "vcl/stdctrls_button.h"
#include "win32/menu.h"
#include "win32/virtualkeys.h"

namespace vcl {

using namespace win32;
using captiontext::DrawEmbossableText;

namespace {

const bool buttonsClassesRegistered = [] {
    RegisterClasses({TButton::StaticClass(), TCheckBox::StaticClass(), TRadioButton::StaticClass()});
    return true;
}();

constexpr Integer kCheckBoxSize = 13;
constexpr Integer kCheckCaptionGap = 4;

// Every default button of the form, so that the one whose frame depends on the focus repaints.
void InvalidateDefaultButtons(TWinControl* form) {
    std::vector<TWinControl*> controls;
    form->GetTabOrderList(controls);
    for (TWinControl* control : controls)
        if (auto* button = dynamic_cast<TButton*>(control); button && button->Default()) button->Invalidate();
}

// The windowed children of `parent` in tab order.
std::vector<TWinControl*> WindowedChildren(TWinControl* parent) {
    std::vector<TWinControl*> controls;
    parent->GetTabOrderList(controls);
    std::erase_if(controls, [parent](const TWinControl* control) { return control->Parent() != parent; });
    return controls;
}
}  // namespace

// ---------------------------------------------------------------------------------------------
// TButtonControl

VCL_DEFINE_CLASS(TButtonControl, TWinControl)

TButtonControl::TButtonControl(TComponent* owner)
    : TWinControl(owner), canvas_(std::make_unique<TControlCanvas>()) {
    canvas_->SetControl(this);
    // The press is the button's own: no click from the core's mouse handling.
    controlStyle_ = TControlStyle{csCaptureMouse, csSetCaption, csDoubleClicks};
}

TButtonControl::~TButtonControl() {
    canvas_->FreeHandle();
}

void TButtonControl::SetWordWrap(bool value) {
    if (wordWrap_ == value) return;
    wordWrap_ = value;
    Invalidate();
}

void TButtonControl::CreateParams(TCreateParams& params) {
    Inherited::CreateParams(params);
    params.Style |= ButtonStyle();
}

void TButtonControl::PaintWindow(HDC dc) {
    if (OwnerDrawn()) {
        RequestOwnerDraw(dc);
        return;
    }
    const TCanvasPaintScope scope(canvas_.get(), dc);
    canvas_->Font()->Assign(Font());
    canvas_->Brush()->SetColor(Color());
    Paint();
}

void TButtonControl::RequestOwnerDraw(HDC dc) {
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_BUTTON;
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState =
        (Pressed() ? ODS_SELECTED : 0) | (Focused() ? ODS_FOCUS : 0) | (Enabled() ? 0 : ODS_DISABLED);
    item.hDC = dc;
    item.rcItem = ClientRect();
    const auto itemParam = reinterpret_cast<LPARAM>(&item);
    if (HandleAllocated()) {
        item.hwndItem = Handle();
        item.CtlID = static_cast<UINT>(GetWindowLong(item.hwndItem, GWL_ID));
        if (const HWND parentWindow = GetParent(item.hwndItem)) {
            SendMessage(parentWindow, WM_DRAWITEM, item.CtlID, itemParam);
            // A parent the framework did not make does not hand the request back.
            if (FindControl(parentWindow)) return;
        }
    }
    Perform(CN_DRAWITEM, item.CtlID, itemParam);
}

void TButtonControl::SetImage(TMessage& message) {
    message.Result = 0;
    if (message.WParam != IMAGE_BITMAP) return;
    const HBITMAP previous = image_;
    image_ = reinterpret_cast<HBITMAP>(message.LParam);
    message.Result = reinterpret_cast<LRESULT>(previous);
    // The same image again (its pixels redrawn by its owner while painting) asks for no new paint.
    if (image_ != previous) Invalidate();
}

void TButtonControl::DestroyWindowHandle() {
    canvas_->FreeHandle();
    Inherited::DestroyWindowHandle();
}

bool TButtonControl::Inside(Integer x, Integer y) const {
    return x >= 0 && y >= 0 && x < Width() && y < Height();
}

void TButtonControl::SetPressed(bool value) {
    if (pressed_ == value) return;
    pressed_ = value;
    Invalidate();
}

void TButtonControl::BeginMousePress(Integer x, Integer y) {
    if (!Enabled()) return;
    if (!Focused() && CanFocus()) SetFocus();
    mouseTracking_ = true;
    SetPressed(Inside(x, y));
}

void TButtonControl::TrackMouse(Integer x, Integer y) {
    if (mouseTracking_ && !spaceDown_) SetPressed(Inside(x, y));
}

void TButtonControl::EndMousePress(Integer x, Integer y) {
    if (!mouseTracking_) return;
    mouseTracking_ = false;
    if (spaceDown_) return;
    const bool completed = pressed_ && Inside(x, y);
    SetPressed(false);
    if (completed) PressCompleted();
}

void TButtonControl::KeyDown(Word& key, TShiftState shift) {
    Inherited::KeyDown(key, shift);
    if (key == VK_SPACE && !mouseTracking_ && Enabled()) {
        spaceDown_ = true;
        SetPressed(true);
    }
}

void TButtonControl::KeyUp(Word& key, TShiftState shift) {
    Inherited::KeyUp(key, shift);
    if (key == VK_SPACE && spaceDown_) {
        spaceDown_ = false;
        const bool completed = pressed_;
        SetPressed(false);
        if (completed) PressCompleted();
    }
}

void TButtonControl::PressCompleted() {
    if (HandleAllocated()) {
        const HWND parentWindow = GetParent(Handle());
        if (parentWindow) {
            const auto id = static_cast<WORD>(GetWindowLong(Handle(), GWL_ID));
            SendMessage(parentWindow, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                        reinterpret_cast<LPARAM>(Handle()));
            if (FindControl(parentWindow)) return;
        }
    }
    ButtonClicked();
}

void TButtonControl::DrawCaption(TRect& rect, UINT flags) {
    canvas_->Font()->Assign(Font());
    DrawEmbossableText(canvas_.get(), Caption(), rect, flags, Enabled());
}

TRect TButtonControl::DrawContent(const TRect& area, DWORD style, UINT textFlags) {
    // A check box lays its caption against the box; a push-like one centres it.
    const bool pushLike = (style & BS_PUSHLIKE) != 0;
    const DWORD horizontal = (style & BS_CENTER) ? (style & BS_CENTER) : (pushLike ? BS_CENTER : BS_LEFT);
    const DWORD vertical = (style & BS_VCENTER) ? (style & BS_VCENTER) : BS_VCENTER;
    auto place = [&](TSize size) {
        const Integer x = horizontal == BS_LEFT    ? area.left
                          : horizontal == BS_RIGHT ? area.right - size.cx
                                                   : area.left + (area.right - area.left - size.cx) / 2;
        const Integer y = vertical == BS_TOP      ? area.top
                          : vertical == BS_BOTTOM ? area.bottom - size.cy
                                                  : area.top + (area.bottom - area.top - size.cy) / 2;
        return Bounds(x, y, size.cx, size.cy);
    };
    TRect placed{};
    BITMAP bitmap{};
    if ((style & BS_BITMAP) && image_ && GetObject(image_, sizeof bitmap, &bitmap) == sizeof bitmap) {
        // The image is drawn as given, enabled or not: its owner chooses how a disabled one looks.
        placed = place(TSize{bitmap.bmWidth, bitmap.bmHeight});
        const HDC dc = canvas_->Handle();
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
        DrawState(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(image_), 0, placed.left, placed.top,
                  bitmap.bmWidth, bitmap.bmHeight, DST_BITMAP);
        RestoreDC(dc, saved);
    } else {
        if (style & BS_MULTILINE) textFlags = (textFlags & ~DT_SINGLELINE) | DT_WORDBREAK;
        TRect measured = area;
        DrawCaption(measured, textFlags | DT_LEFT | DT_CALCRECT);
        placed = place(TSize{std::min(measured.right - measured.left, area.right - area.left),
                             measured.bottom - measured.top});
        const UINT alignment = horizontal == BS_LEFT    ? DT_LEFT
                               : horizontal == BS_RIGHT ? DT_RIGHT
                                                        : DT_CENTER;
        TRect drawn = placed;
        DrawCaption(drawn, textFlags | alignment);
        if (Caption().empty()) return TRect{};
    }
    IntersectRect(&placed, &placed, &area);
    return placed;
}

void TButtonControl::PaintPushLike(bool down, DWORD style) {
    TCanvas* canvas = canvas_.get();
    const TRect client = ClientRect();
    TRect face = client;
    UINT state = DFCS_BUTTONPUSH;
    if (down || Pressed()) state |= DFCS_PUSHED;
    if (!Enabled()) state |= DFCS_INACTIVE;
    DrawFrameControl(canvas->Handle(), &face, DFC_BUTTON, state);
    TRect area = client;
    InflateRect(&area, -2, -2);
    if (state & DFCS_PUSHED) OffsetRect(&area, 1, 1);
    DrawContent(area, style, DT_SINGLELINE);
    if (Focused()) {
        TRect focus = client;
        InflateRect(&focus, -4, -4);
        canvas->Brush()->SetColor(clBtnFace);
        canvas->DrawFocusRect(focus);
    }
}

void TButtonControl::PaintCheckControl(UINT frameState) {
    const DWORD style = ButtonStyle();
    if (style & BS_PUSHLIKE) {
        PaintPushLike((frameState & DFCS_CHECKED) != 0, style);
        return;
    }
    const bool captionLeft = (style & BS_LEFTTEXT) != 0;
    TCanvas* canvas = canvas_.get();
    const TRect client = ClientRect();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(client);

    const Integer boxTop = (client.bottom - kCheckBoxSize) / 2;
    const Integer boxLeft = captionLeft ? client.right - kCheckBoxSize : 0;
    TRect box = Bounds(boxLeft, boxTop, kCheckBoxSize, kCheckBoxSize);
    if (!Enabled()) frameState |= DFCS_INACTIVE;
    if (Pressed()) frameState |= DFCS_PUSHED;
    DrawFrameControl(canvas->Handle(), &box, DFC_BUTTON, frameState);

    const TRect area = captionLeft
                           ? Rect(0, 0, client.right - kCheckBoxSize - kCheckCaptionGap, client.bottom)
                           : Rect(kCheckBoxSize + kCheckCaptionGap, 0, client.right, client.bottom);
    const TRect content = DrawContent(area, style, wordWrap_ ? DT_WORDBREAK : DT_SINGLELINE);
    if (Focused() && !IsRectEmpty(&content)) {
        TRect focus = content;
        InflateRect(&focus, 1, 1);
        IntersectRect(&focus, &focus, &client);
        canvas->Brush()->SetColor(Color());
        canvas->DrawFocusRect(focus);
    }
}

void TButtonControl::WndProc(TMessage& message) {
    switch (message.Msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            BeginMousePress(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam));
            break;
        case WM_MOUSEMOVE:
            TrackMouse(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam));
            break;
        case WM_LBUTTONUP:
            EndMousePress(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam));
            break;
        case WM_CANCELMODE:
        case CM_CANCELMODE:
        case WM_KILLFOCUS:
            // A press in progress ends without a click.
            mouseTracking_ = false;
            spaceDown_ = false;
            SetPressed(false);
            Invalidate();
            break;
        case WM_SETFOCUS:
            Invalidate();
            break;
        case WM_GETDLGCODE:
            message.Result = DLGC_BUTTON;
            return;
        case CN_COMMAND:
            if (HIWORD(static_cast<DWORD_PTR>(message.WParam)) == BN_CLICKED) ButtonClicked();
            message.Result = 0;
            return;
        case BM_CLICK:
            if (Enabled()) PressCompleted();
            message.Result = 0;
            return;
        case BM_GETCHECK:
            message.Result = CheckValue();
            return;
        case BM_SETCHECK: {
            // The platform's message changes the state without a click.
            const ScopedValue quiet(clicksDisabled_, true);
            SetCheckValue(message.WParam);
            message.Result = 0;
            return;
        }
        case BM_GETSTATE:
            message.Result = CheckValue() | (Pressed() ? BST_PUSHED : 0) | (Focused() ? BST_FOCUS : 0);
            return;
        case BM_SETSTATE:
            if (stateHighlight_ != (message.WParam != 0)) {
                stateHighlight_ = message.WParam != 0;
                Invalidate();
            }
            message.Result = 0;
            return;
        case BM_SETSTYLE:
            if (message.LParam) Invalidate();
            message.Result = 0;
            return;
        case BM_GETIMAGE:
            message.Result = message.WParam == IMAGE_BITMAP ? reinterpret_cast<LRESULT>(image_) : 0;
            return;
        case BM_SETIMAGE:
            SetImage(message);
            return;
        default:
            break;
    }
    Inherited::WndProc(message);
}

// ---------------------------------------------------------------------------------------------
// TButton

VCL_DEFINE_CLASS(TButton, TButtonControl)

TButton::TButton(TComponent* owner) : TButtonControl(owner) {
    SetBounds(Left(), Top(), 75, 25);
    SetTabStop(true);
}

void TButton::SetDefault(bool value) {
    if (default_ == value) return;
    default_ = value;
    Invalidate();
}

bool TButton::Active() const {
    if (Focused()) return true;
    TCustomForm* form = GetParentForm(const_cast<TButton*>(this));
    TWinControl* focused = form ? form->ActiveControl() : nullptr;
    if (focused && dynamic_cast<TButton*>(focused)) return focused == this;
    return default_;
}

void TButton::Click() {
    if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(modalResult_);
    Inherited::Click();
}

void TButton::UpdateDefaultLook(TControl* focused) {
    const bool look = dynamic_cast<TButton*>(focused) ? focused == this : default_;
    if (defaultLook_ == look) return;
    defaultLook_ = look;
    Invalidate();
}

void TButton::WndProc(TMessage& message) {
    switch (message.Msg) {
        case CM_DIALOGKEY: {
            const auto key = static_cast<Word>(message.WParam);
            if (((key == VK_RETURN && Active()) || (key == VK_ESCAPE && cancel_)) &&
                KeyDataToShiftState(message.LParam).Empty() && CanFocus()) {
                Click();
                message.Result = 1;
                return;
            }
            break;
        }
        case CM_DIALOGCHAR:
            if (IsAccel(static_cast<char32_t>(message.WParam), Caption()) && CanFocus()) {
                Click();
                message.Result = 1;
                return;
            }
            break;
        case CM_FOCUSCHANGED:
            UpdateDefaultLook(reinterpret_cast<TControl*>(message.LParam));
            break;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            if (TCustomForm* form = GetParentForm(this)) InvalidateDefaultButtons(form);
            break;
        case WM_GETDLGCODE:
            message.Result = DLGC_BUTTON | (Active() ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
            return;
        case BM_SETSTYLE:
            defaultLook_ = (message.WParam & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
            break;
        default:
            break;
    }
    Inherited::WndProc(message);
}

void TButton::Paint() {
    TCanvas* canvas = Canvas();
    const HDC dc = canvas->Handle();
    TRect rect = ClientRect();
    const bool framed = defaultLook_ || Active();
    const bool down = Pressed();
    if (framed) {
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(clWindowFrame);
        canvas->FrameRect(rect);
        InflateRect(&rect, -1, -1);
    }
    if (down && framed) {
        // The pressed default button: a flat shadow ring inside the black frame.
        canvas->Brush()->SetColor(clBtnShadow);
        canvas->FrameRect(rect);
        InflateRect(&rect, -1, -1);
        canvas->Brush()->SetColor(clBtnFace);
        canvas->FillRect(rect);
    } else {
        UINT state = DFCS_BUTTONPUSH;
        if (down) state |= DFCS_PUSHED;
        if (!Enabled()) state |= DFCS_INACTIVE;
        DrawFrameControl(dc, &rect, DFC_BUTTON, state);
    }

    TRect text = ClientRect();
    InflateRect(&text, -4, -4);
    if (down) OffsetRect(&text, 1, 1);
    UINT flags = DT_CENTER;
    if (WordWrap()) {
        TRect measured = text;
        DrawCaption(measured, DT_CENTER | DT_WORDBREAK | DT_CALCRECT);
        const Integer spare = (text.bottom - text.top) - (measured.bottom - measured.top);
        text.top += spare / 2;
        flags |= DT_WORDBREAK;
    } else {
        flags |= DT_SINGLELINE | DT_VCENTER;
    }
    DrawCaption(text, flags);

    if (Focused()) {
        TRect focus = ClientRect();
        InflateRect(&focus, -4, -4);
        canvas->Brush()->SetColor(clBtnFace);
        canvas->DrawFocusRect(focus);
    }
}

// ---------------------------------------------------------------------------------------------
// TCustomCheckBox

VCL_DEFINE_CLASS(TCustomCheckBox, TButtonControl)

TCustomCheckBox::TCustomCheckBox(TComponent* owner) : TButtonControl(owner) {
    SetBounds(Left(), Top(), 97, 17);
    SetTabStop(true);
}

void TCustomCheckBox::SetAlignment(TLeftRight value) {
    if (alignment_ == value) return;
    alignment_ = value;
    Invalidate();
}

void TCustomCheckBox::SetState(TCheckBoxState value) {
    if (state_ == value) return;
    state_ = value;
    Invalidate();
    if (!ClicksDisabled()) Click();
}

void TCustomCheckBox::Toggle() {
    switch (state_) {
        case cbUnchecked:
            SetState(cbChecked);
            break;
        case cbChecked:
            SetState(allowGrayed_ ? cbGrayed : cbUnchecked);
            break;
        case cbGrayed:
            SetState(cbUnchecked);
            break;
    }
}

LRESULT TCustomCheckBox::CheckValue() const {
    switch (state_) {
        case cbChecked:
            return BST_CHECKED;
        case cbGrayed:
            return BST_INDETERMINATE;
        default:
            return BST_UNCHECKED;
    }
}

void TCustomCheckBox::SetCheckValue(WPARAM value) {
    if (value == static_cast<WPARAM>(BST_CHECKED))
        SetState(cbChecked);
    else if (value == static_cast<WPARAM>(BST_INDETERMINATE))
        SetState(cbGrayed);
    else
        SetState(cbUnchecked);
}

DWORD TCustomCheckBox::ButtonStyle() const {
    return BS_3STATE | (alignment_ == TLeftRight::taLeftJustify ? BS_LEFTTEXT : 0);
}

void TCustomCheckBox::WndProc(TMessage& message) {
    if (message.Msg == CM_DIALOGCHAR) {
        if (IsAccel(static_cast<char32_t>(message.WParam), Caption()) && CanFocus()) {
            SetFocus();
            if (Focused()) Toggle();
            message.Result = 1;
            return;
        }
    }
    Inherited::WndProc(message);
}

void TCustomCheckBox::Paint() {
    UINT state = DFCS_BUTTONCHECK;
    if (state_ == cbChecked) state |= DFCS_CHECKED;
    if (state_ == cbGrayed) state |= DFCS_BUTTON3STATE | DFCS_CHECKED;
    PaintCheckControl(state);
}

// ---------------------------------------------------------------------------------------------
// TRadioButton

VCL_DEFINE_CLASS(TRadioButton, TButtonControl)

TRadioButton::TRadioButton(TComponent* owner) : TButtonControl(owner) {
    SetBounds(Left(), Top(), 113, 17);
}

void TRadioButton::SetAlignment(TLeftRight value) {
    if (alignment_ == value) return;
    alignment_ = value;
    Invalidate();
}

void TRadioButton::SetChecked(bool value) {
    if (checked_ == value) return;
    checked_ = value;
    SetTabStop(value);
    Invalidate();
    if (value) {
        TurnSiblingsOff();
        if (!ClicksDisabled()) Click();
    }
}

void TRadioButton::SetCheckValue(WPARAM value) {
    // The platform's message sets this button alone; its siblings keep their state.
    const bool checked = value == static_cast<WPARAM>(BST_CHECKED);
    if (checked_ == checked) return;
    checked_ = checked;
    SetTabStop(checked);
    Invalidate();
}

DWORD TRadioButton::ButtonStyle() const {
    return BS_RADIOBUTTON | (alignment_ == TLeftRight::taLeftJustify ? BS_LEFTTEXT : 0);
}

void TRadioButton::TurnSiblingsOff() {
    TWinControl* parent = Parent();
    if (!parent) return;
    for (TWinControl* control : WindowedChildren(parent))
        if (auto* sibling = dynamic_cast<TRadioButton*>(control); sibling && sibling != this)
            sibling->SetChecked(false);
}

TRadioButton* TRadioButton::SiblingInDirection(bool goForward) const {
    TWinControl* parent = Parent();
    if (!parent) return nullptr;
    std::vector<TRadioButton*> group;
    for (TWinControl* control : WindowedChildren(parent))
        if (auto* sibling = dynamic_cast<TRadioButton*>(control);
            sibling && (sibling == this || sibling->CanFocus()))
            group.push_back(sibling);
    if (group.size() < 2) return nullptr;
    const auto count = static_cast<Integer>(group.size());
    const auto self = static_cast<Integer>(std::find(group.begin(), group.end(), this) - group.begin());
    const Integer next = goForward ? (self + 1) % count : (self - 1 + count) % count;
    return group[static_cast<size_t>(next)];
}

void TRadioButton::KeyDown(Word& key, TShiftState shift) {
    Inherited::KeyDown(key, shift);
    if (!shift.Empty()) return;
    if (key == VK_LEFT || key == VK_UP || key == VK_RIGHT || key == VK_DOWN) {
        if (TRadioButton* next = SiblingInDirection(key == VK_RIGHT || key == VK_DOWN)) {
            next->SetFocus();
            next->SetChecked(true);
        }
        key = 0;
    }
}

void TRadioButton::WndProc(TMessage& message) {
    switch (message.Msg) {
        case WM_GETDLGCODE:
            message.Result = DLGC_BUTTON | DLGC_RADIOBUTTON | DLGC_WANTARROWS;
            return;
        case CM_DIALOGCHAR:
            if (IsAccel(static_cast<char32_t>(message.WParam), Caption()) && CanFocus()) {
                SetFocus();
                if (Focused()) SetChecked(true);
                message.Result = 1;
                return;
            }
            break;
        default:
            break;
    }
    Inherited::WndProc(message);
}

void TRadioButton::Paint() {
    PaintCheckControl(DFCS_BUTTONRADIO | (checked_ ? DFCS_CHECKED : 0));
}

}  // namespace vcl
