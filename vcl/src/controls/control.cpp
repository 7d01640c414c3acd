// TControl, TGraphicControl, TControlCanvas, TCustomControl and the unit's helper functions.
#include "vcl/controls.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "classes/links.h"
#include "controls/controls_internal.h"
#include "vcl/forms.h"
#include "win32/user.h"
#include "win32/virtualkeys.h"

namespace vcl {

using namespace win32;

namespace detail {

std::unordered_map<HWND, TWinControl*>& ControlWindows() {
    static std::unordered_map<HWND, TWinControl*> windows;
    return windows;
}

TControl*& CaptureControlRef() {
    static TControl* control = nullptr;
    return control;
}

namespace {
std::vector<TControlCanvas*>& CanvasList() {
    static std::vector<TControlCanvas*> list;
    return list;
}
}  // namespace

void RegisterCanvasDC(TControlCanvas* canvas) {
    auto& list = CanvasList();
    if (std::find(list.begin(), list.end(), canvas) == list.end()) list.push_back(canvas);
}

void UnregisterCanvasDC(TControlCanvas* canvas) {
    auto& list = CanvasList();
    list.erase(std::remove(list.begin(), list.end(), canvas), list.end());
}

void FreeDeviceContexts() {
    auto list = CanvasList();
    for (TControlCanvas* canvas : list)
        if (canvas->LockCount() == 0) canvas->FreeHandle();
}

void ControlGoing(TControl* control) {
    if (CaptureControlRef() == control) CaptureControlRef() = nullptr;
    ApplicationForgetControl(control);
    ScreenForgetControl(control);
    DragForgetControl(control);
}

}  // namespace detail

// ---------------------------------------------------------------------------------------------
// Helpers

namespace {

constexpr TIdentMapEntry kCursorIdents[] = {
    {crDefault, "crDefault"},     {crNone, "crNone"},           {crArrow, "crArrow"},
    {crCross, "crCross"},         {crIBeam, "crIBeam"},         {crSizeNESW, "crSizeNESW"},
    {crSizeNS, "crSizeNS"},       {crSizeNWSE, "crSizeNWSE"},   {crSizeWE, "crSizeWE"},
    {crUpArrow, "crUpArrow"},     {crHourGlass, "crHourGlass"}, {crDrag, "crDrag"},
    {crNoDrop, "crNoDrop"},       {crHSplit, "crHSplit"},       {crVSplit, "crVSplit"},
    {crMultiDrag, "crMultiDrag"}, {crSQLWait, "crSQLWait"},     {crNo, "crNo"},
    {crAppStart, "crAppStart"},   {crHelp, "crHelp"},           {crHandPoint, "crHandPoint"},
    {crSizeAll, "crSizeAll"},
};

LPARAM PointToLParam(Integer x, Integer y) {
    return static_cast<LPARAM>(MAKELONG(static_cast<WORD>(x), static_cast<WORD>(y)));
}

bool IsMouseMessage(UINT msg) {
    return msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST;
}

}  // namespace

TIdentMap CursorIdents() {
    return kCursorIdents;
}

bool CursorToIdent(Integer cursor, std::string& ident) {
    for (const auto& entry : kCursorIdents)
        if (entry.value == cursor) {
            ident = std::string(entry.name);
            return true;
        }
    return false;
}

bool IdentToCursor(std::string_view ident, Integer& cursor) {
    for (const auto& entry : kCursorIdents)
        if (SameText(entry.name, ident)) {
            cursor = entry.value;
            return true;
        }
    return false;
}

std::string CursorToString(TCursor cursor) {
    std::string ident;
    if (CursorToIdent(cursor, ident)) return ident;
    return std::to_string(cursor);
}

TCursor StringToCursor(std::string_view text) {
    Integer value = 0;
    if (IdentToCursor(text, value)) return static_cast<TCursor>(value);
    const char* first = text.data();
    const char* last = first + text.size();
    auto [end, error] = std::from_chars(first, last, value);
    if (text.empty() || error != std::errc() || end != last || value < -32768 || value > 32767)
        throw EConvertError(Format("'%s' is not a valid cursor", {std::string(text)}));
    return static_cast<TCursor>(value);
}

TShiftState KeyDataToShiftState(LPARAM keyData) {
    TShiftState shift;
    if (GetKeyState(VK_SHIFT) < 0) shift.Include(ssShift);
    if (GetKeyState(VK_CONTROL) < 0) shift.Include(ssCtrl);
    if (keyData & 0x20000000) shift.Include(ssAlt);
    return shift;
}

TShiftState KeysToShiftState(WPARAM keys) {
    TShiftState shift;
    if (keys & MK_SHIFT) shift.Include(ssShift);
    if (keys & MK_CONTROL) shift.Include(ssCtrl);
    if (keys & MK_LBUTTON) shift.Include(ssLeft);
    if (keys & MK_RBUTTON) shift.Include(ssRight);
    if (keys & MK_MBUTTON) shift.Include(ssMiddle);
    if (GetKeyState(VK_MENU) < 0) shift.Include(ssAlt);
    return shift;
}

TShiftState KeyboardStateToShiftState() {
    TShiftState shift;
    if (GetKeyState(VK_SHIFT) < 0) shift.Include(ssShift);
    if (GetKeyState(VK_CONTROL) < 0) shift.Include(ssCtrl);
    if (GetKeyState(VK_MENU) < 0) shift.Include(ssAlt);
    if (GetKeyState(VK_LBUTTON) < 0) shift.Include(ssLeft);
    if (GetKeyState(VK_RBUTTON) < 0) shift.Include(ssRight);
    if (GetKeyState(VK_MBUTTON) < 0) shift.Include(ssMiddle);
    return shift;
}

bool IsAccel(char32_t character, std::string_view caption) {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        const auto next = static_cast<unsigned char>(caption[i + 1]);
        if (next == '&') {
            ++i;
            continue;
        }
        if (next >= 0x80 || character >= 0x80) return false;
        auto lower = [](char32_t c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
        return lower(next) == lower(character);
    }
    return false;
}

std::string StripHotkey(std::string_view caption) {
    std::string result;
    result.reserve(caption.size());
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&') {
            if (i + 1 < caption.size() && caption[i + 1] == '&') {
                result += '&';
                ++i;
            }
            continue;
        }
        result += caption[i];
    }
    return result;
}

TMenuHooks& MenuHooks() {
    static TMenuHooks hooks;
    return hooks;
}

TControl* GetCaptureControl() {
    TControl* result = FindControl(GetCapture());
    TControl* graphic = detail::CaptureControlRef();
    if (result && graphic && graphic->Parent() == result) return graphic;
    return result;
}

void SetCaptureControl(TControl* control) {
    // Forgotten first: the release below is no loss for a graphic control that gives the capture up.
    TControl* previous = std::exchange(detail::CaptureControlRef(), nullptr);
    ReleaseCapture();
    if (control) {
        if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
            if (windowed->HandleAllocated()) SetCapture(windowed->Handle());
        } else if (TWinControl* parent = control->Parent(); parent && parent->HandleAllocated()) {
            detail::CaptureControlRef() = control;
            SetCapture(parent->Handle());
        }
    }
    // Another control took it: the graphic control that held it hears so, as a window would.
    if (previous && control && previous != control)
        previous->Perform(WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(GetCapture()));
}

TWinControl* FindControl(HWND window) {
    if (!window) return nullptr;
    auto& windows = detail::ControlWindows();
    auto it = windows.find(window);
    return it == windows.end() ? nullptr : it->second;
}

TControl* FindDragTarget(TPoint pos, bool allowDisabled) {
    HWND window = WindowFromPoint(pos);
    TWinControl* windowed = nullptr;
    // A window of another kind inside a control (an inner edit) stands for that control.
    while (window && !(windowed = FindControl(window)))
        window = GetParent(window);
    if (!windowed) return nullptr;
    TControl* child = windowed->ControlAtPos(windowed->ScreenToClient(pos), allowDisabled);
    return child ? child : windowed;
}

TCustomForm* GetParentForm(TControl* control) {
    if (!control) return nullptr;
    while (control->Parent())
        control = control->Parent();
    return dynamic_cast<TCustomForm*>(control);
}

// ---------------------------------------------------------------------------------------------
// TControl

VCL_DEFINE_CLASS(TControl, TComponent)

TControl::TControl(TComponent* owner) : TComponent(owner), font_(std::make_unique<TFont>()) {
    font_->SetOwner(this);
    font_->OnChange = [this](TObject* sender) { FontChanged(sender); };
    windowProc_ = [this](TMessage& message) { WndProc(message); };
}

TControl::~TControl() {
    detail::ControlGoing(this);
    if (parent_) parent_->RemoveControl(this);
}

TComponent* TControl::GetParentComponent() const {
    return parent_;
}

void TControl::SetParentComponent(TComponent* value) {
    if (auto* windowed = dynamic_cast<TWinControl*>(value)) SetParent(windowed);
}

void TControl::SetParent(TWinControl* parent) {
    if (parent_ == parent) return;
    if (parent == this) throw EInvalidOperation("A control cannot have itself as its parent");
    if (auto* self = dynamic_cast<TWinControl*>(this); self && parent && self->ContainsControl(parent))
        throw EInvalidOperation("A control cannot have one of its children as its parent");
    if (parent_) parent_->RemoveControl(this);
    if (parent) {
        parent->InsertControl(this);
        if (!IsLoading()) UpdateAnchorRules();
    }
}

void TControl::SetBounds(Integer left, Integer top, Integer width, Integer height) {
    if (width < 0) width = 0;
    if (height < 0) height = 0;
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    const bool sized = width != width_ || height != height_;
    Invalidate();
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    UpdateAnchorRules();
    Invalidate();
    RequestAlign();
    if (sized && !IsLoading()) Resize();
}

TRect TControl::ClientRect() const {
    return Rect(0, 0, width_, height_);
}

void TControl::SetClientWidth(Integer value) {
    SetWidth(width_ - ClientWidth() + value);
}

void TControl::SetClientHeight(Integer value) {
    SetHeight(height_ - ClientHeight() + value);
}

TPoint TControl::ClientOrigin() const {
    if (!parent_) return Point(left_, top_);
    TPoint origin = parent_->ClientOrigin();
    return Point(origin.x + left_, origin.y + top_);
}

TPoint TControl::ClientToScreen(TPoint point) const {
    const TPoint origin = ClientOrigin();
    return Point(point.x + origin.x, point.y + origin.y);
}

TPoint TControl::ScreenToClient(TPoint point) const {
    const TPoint origin = ClientOrigin();
    return Point(point.x - origin.x, point.y - origin.y);
}

void TControl::SetAlign(TAlign value) {
    if (align_ == value) return;
    const TAlign old = align_;
    align_ = value;
    anchors_ = TAnchors{akLeft, akTop};
    if (!IsLoading() && old != alNone && value == alNone) {
        // Leaving alignment keeps the size the control had before it was aligned.
        UpdateAnchorRules();
    }
    RequestAlign();
}

void TControl::SetAnchors(TAnchors value) {
    if (anchors_ == value) return;
    anchors_ = value;
    if (!IsLoading()) UpdateAnchorRules();
}

void TControl::SetAutoSize(bool value) {
    if (autoSize_ == value) return;
    autoSize_ = value;
    if (value) AdjustSize();
}

bool TControl::CanAutoSize(Integer&, Integer&) {
    return false;
}

void TControl::AdjustSize() {
    if (!autoSize_ || IsLoading()) return;
    Integer width = width_, height = height_;
    if (CanAutoSize(width, height)) SetBounds(left_, top_, width, height);
}

void TControl::SetVisible(bool value) {
    if (visible_ == value) return;
    VisibleChanging();
    visible_ = value;
    Perform(CM_VISIBLECHANGED, value ? 1 : 0, 0);
    RequestAlign();
}

void TControl::Show() {
    if (parent_) parent_->ShowControl(this);
    SetVisible(true);
}

void TControl::Hide() {
    SetVisible(false);
}

void TControl::SetEnabled(bool value) {
    if (enabled_ == value) return;
    enabled_ = value;
    Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::SetText(const TCaption& value) {
    if (GetText() == value) return;
    SetTextValue(value);
    Perform(CM_TEXTCHANGED, 0, 0);
}

TCaption TControl::GetText() const {
    return text_;
}

void TControl::SetTextValue(const TCaption& value) {
    text_ = value;
}

Integer TControl::GetTextLen() const {
    return static_cast<Integer>(GetText().size());
}

void TControl::SetColor(TColor value) {
    if (color_ != value) {
        color_ = value;
        Perform(CM_COLORCHANGED, 0, 0);
    }
    if (!parentColorChanging_) parentColor_ = false;
}

void TControl::SetParentColor(bool value) {
    if (parentColor_ == value) return;
    parentColor_ = value;
    if (parent_ && value && !IsLoading()) Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TControl::SetParentFont(bool value) {
    if (parentFont_ == value) return;
    parentFont_ = value;
    if (parent_ && value && !IsLoading()) Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TControl::FontChanged(TObject*) {
    parentFont_ = false;
    Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::SetCursor(TCursor value) {
    if (cursor_ == value) return;
    cursor_ = value;
    Perform(CM_CURSORCHANGED, 0, 0);
}

void TControl::SetShowHint(bool value) {
    if (showHint_ != value) {
        showHint_ = value;
        Perform(CM_SHOWHINTCHANGED, 0, 0);
    }
    parentShowHint_ = false;
}

void TControl::SetParentShowHint(bool value) {
    if (parentShowHint_ == value) return;
    parentShowHint_ = value;
    if (parent_ && value && !IsLoading()) Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
}

void TControl::SetPopupMenuComponent(TComponent* value) {
    if (value == popupMenu_) return;
    if (value) {
        TClass popupClass = GetClass("TPopupMenu");
        if (!popupClass || !value->InheritsFrom(popupClass))
            throw EInvalidCast(Format("%s is not a popup menu", {std::string(value->ClassName())}));
    }
    ReplaceLink(this, popupMenu_, value);
}

void TControl::Notification(TComponent* component, TOperation operation) {
    if (operation == TOperation::opRemove && component == popupMenu_) popupMenu_ = nullptr;
    TComponent::Notification(component, operation);
}

void TControl::Loaded() {
    TComponent::Loaded();
    if (parent_) {
        if (parentColor_) {
            parentColor_ = false;
            SetParentColor(true);
        }
        if (parentFont_) {
            parentFont_ = false;
            SetParentFont(true);
        }
        if (parentShowHint_) {
            parentShowHint_ = false;
            SetParentShowHint(true);
        }
    }
    UpdateAnchorRules();
    AdjustSize();
}

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
    TMessage message{msg, wParam, lParam, 0};
    if (windowProc_)
        windowProc_(message);
    else
        WndProc(message);
    return message.Result;
}

void TControl::DefaultHandler(TMessage& message) {
    switch (message.Msg) {
        case WM_GETTEXTLENGTH:
            message.Result = GetTextLen();
            break;
        case WM_GETTEXT: {
            auto* buffer = reinterpret_cast<char*>(message.LParam);
            const auto capacity = static_cast<size_t>(message.WParam);
            if (!buffer || capacity == 0) {
                message.Result = 0;
                break;
            }
            const std::string text = GetText();
            const size_t count = std::min(text.size(), capacity - 1);
            std::copy_n(text.data(), count, buffer);
            buffer[count] = '\0';
            message.Result = static_cast<LRESULT>(count);
            break;
        }
        case WM_SETTEXT: {
            const auto* text = reinterpret_cast<const char*>(message.LParam);
            SetTextValue(text ? std::string(text) : std::string());
            message.Result = 1;
            break;
        }
        default:
            message.Result = 0;
    }
}

void TControl::WndProc(TMessage& message) {
    const UINT msg = message.Msg;
    if (IsMouseMessage(msg) && !Designing()) {
        if (msg == WM_MOUSEMOVE && Application) Application->HintMouseMessage(this, message);
    }
    switch (msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            HandleMouseDown(message, mbLeft, msg == WM_LBUTTONDBLCLK ? TShiftState{ssDouble} : TShiftState{});
            return;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
            HandleMouseDown(message, mbRight,
                            msg == WM_RBUTTONDBLCLK ? TShiftState{ssDouble} : TShiftState{});
            return;
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK:
            HandleMouseDown(message, mbMiddle,
                            msg == WM_MBUTTONDBLCLK ? TShiftState{ssDouble} : TShiftState{});
            return;
        case WM_LBUTTONUP:
            HandleMouseUp(message, mbLeft);
            return;
        case WM_RBUTTONUP:
            HandleMouseUp(message, mbRight);
            // The context menu comes with the release: a window's default procedure sends it, a
            // graphic control gets it here.
            if (!dynamic_cast<TWinControl*>(this)) {
                const TPoint screen =
                    ClientToScreen(Point(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)));
                Perform(WM_CONTEXTMENU, 0, PointToLParam(screen.x, screen.y));
            } else {
                DefaultHandler(message);
            }
            return;
        case WM_MBUTTONUP:
            HandleMouseUp(message, mbMiddle);
            return;
        case WM_MOUSEMOVE:
            if (!(controlStyle_.Contains(csNoStdEvents)))
                MouseMove(KeysToShiftState(message.WParam), GET_X_LPARAM(message.LParam),
                          GET_Y_LPARAM(message.LParam));
            message.Result = 0;
            return;
        case WM_MOUSEWHEEL: {
            const TShiftState shift = KeysToShiftState(LOWORD(message.WParam));
            const auto delta = static_cast<int16_t>(HIWORD(message.WParam));
            if (!DoMouseWheel(shift, delta,
                              Point(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam))) &&
                parent_)
                message.Result = parent_->Perform(WM_MOUSEWHEEL, message.WParam, message.LParam);
            else
                message.Result = 1;
            return;
        }
        case WM_CONTEXTMENU:
            HandleContextMenu(message);
            return;
        case WM_CANCELMODE:
        case CM_CANCELMODE:
            if (GetCaptureControl() == this) SetCaptureControl(nullptr);
            controlState_.Exclude(csLButtonDown);
            controlState_.Exclude(csClicked);
            return;
        case CM_HITTEST:
            message.Result = HTCLIENT;
            return;
        case CM_MOUSEENTER:
            if (message.LParam == 0) mouseInControl_ = true;
            if (parent_)
                parent_->Perform(CM_MOUSEENTER, 0,
                                 message.LParam ? message.LParam : reinterpret_cast<LPARAM>(this));
            return;
        case CM_MOUSELEAVE:
            if (message.LParam == 0) mouseInControl_ = false;
            if (parent_)
                parent_->Perform(CM_MOUSELEAVE, 0,
                                 message.LParam ? message.LParam : reinterpret_cast<LPARAM>(this));
            return;
        case CM_VISIBLECHANGED:
        case CM_ENABLEDCHANGED:
        case CM_COLORCHANGED:
        case CM_FONTCHANGED:
        case CM_TEXTCHANGED:
            Invalidate();
            return;
        case CM_PARENTCOLORCHANGED:
            if (parentColor_ && parent_) {
                const ScopedValue changing(parentColorChanging_, true);
                SetColor(message.WParam ? static_cast<TColor>(message.LParam) : parent_->Color());
            }
            return;
        case CM_PARENTFONTCHANGED:
            if (parentFont_ && parent_) {
                const TFont* source =
                    message.WParam ? reinterpret_cast<const TFont*>(message.LParam) : parent_->Font();
                font_->Assign(source);
                parentFont_ = true;
            }
            return;
        case CM_PARENTSHOWHINTCHANGED:
            if (parentShowHint_ && parent_) {
                showHint_ = parent_->ShowHint();
                Perform(CM_SHOWHINTCHANGED, 0, 0);
            }
            return;
        default:
            DefaultHandler(message);
    }
}

void TControl::HandleMouseDown(TMessage& message, TMouseButton button, TShiftState extra) {
    if (message.Msg == WM_LBUTTONDBLCLK) SendCancelMode(this);
    if (button == mbLeft && dragMode_ == dmAutomatic && !Designing() && !extra.Contains(ssDouble)) {
        BeginDrag(false);
        message.Result = 0;
        return;
    }
    if (button == mbLeft) {
        if (controlStyle_.Contains(csCaptureMouse)) SetMouseCapture(true);
        if (controlStyle_.Contains(csClickEvents)) {
            controlState_.Include(csClicked);
            if (extra.Contains(ssDouble) && controlStyle_.Contains(csDoubleClicks)) DblClick();
        }
        controlState_.Include(csLButtonDown);
    }
    if (!controlStyle_.Contains(csNoStdEvents))
        MouseDown(button, KeysToShiftState(message.WParam) + extra, GET_X_LPARAM(message.LParam),
                  GET_Y_LPARAM(message.LParam));
    message.Result = 0;
}

void TControl::HandleMouseUp(TMessage& message, TMouseButton button) {
    const Integer x = GET_X_LPARAM(message.LParam), y = GET_Y_LPARAM(message.LParam);
    if (button == mbLeft) {
        if (controlStyle_.Contains(csCaptureMouse)) SetMouseCapture(false);
        controlState_.Exclude(csLButtonDown);
        if (controlState_.Contains(csClicked)) {
            controlState_.Exclude(csClicked);
            const TRect client = ClientRect();
            if (x >= client.left && x < client.right && y >= client.top && y < client.bottom) Click();
        }
    }
    if (!controlStyle_.Contains(csNoStdEvents)) MouseUp(button, KeysToShiftState(message.WParam), x, y);
    message.Result = 0;
}

void TControl::HandleContextMenu(TMessage& message) {
    message.Result = 0;
    TPoint screen = Point(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam));
    TPoint local = Point(-1, -1);
    if (message.LParam == -1) {
        screen = ClientToScreen(Point(0, 0));
    } else {
        local = ScreenToClient(screen);
    }
    bool handled = false;
    if (OnContextPopup) OnContextPopup(this, local, handled);
    if (handled) {
        message.Result = 1;
        return;
    }
    TComponent* popup = GetPopupMenu();
    if (popup && MenuHooks().popup) {
        SendCancelMode(nullptr);
        MenuHooks().popup(popup, this, screen.x, screen.y);
        message.Result = 1;
        return;
    }
    if (parent_) message.Result = parent_->Perform(WM_CONTEXTMENU, message.WParam, message.LParam);
}

void TControl::SendCancelMode(TControl* sender) {
    TControl* control = this;
    while (control) {
        if (auto* form = dynamic_cast<TCustomForm*>(control))
            form->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(sender));
        control = control->parent_;
    }
}

void TControl::Click() {
    if (OnClick) OnClick(this);
}

void TControl::DblClick() {
    if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) {
    if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, Integer x, Integer y) {
    if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) {
    if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

bool TControl::DoMouseWheel(TShiftState shift, Integer wheelDelta, TPoint mousePos) {
    bool handled = false;
    if (OnMouseWheel) OnMouseWheel(this, shift, wheelDelta, mousePos, handled);
    return handled;
}

void TControl::Resize() {
    if (OnResize) OnResize(this);
}

void TControl::Changed() {
    Perform(CM_CHANGED, 0, reinterpret_cast<LPARAM>(this));
}

void TControl::RequestAlign() {
    if (parent_) parent_->AlignControl(this);
}

void TControl::SetZOrder(bool topMost) {
    if (!parent_) return;
    auto& list = parent_->controls_;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end()) return;
    list.erase(it);
    if (topMost)
        list.push_back(this);
    else
        list.insert(list.begin(), this);
    Invalidate();
}

HDC TControl::GetDeviceContext(HWND& window) {
    if (!parent_) throw EInvalidOperation(Format("Control '%s' has no parent window", {Name()}));
    HDC dc = parent_->GetDeviceContext(window);
    SetViewportOrgEx(dc, left_, top_, nullptr);
    IntersectClipRect(dc, 0, 0, width_, height_);
    return dc;
}

void TControl::Invalidate() {
    if (!parent_ || !parent_->HandleAllocated() || !visible_) return;
    const TRect rect = BoundsRect();
    InvalidateRect(parent_->Handle(), &rect, !controlStyle_.Contains(csOpaque));
}

void TControl::Repaint() {
    if (!parent_ || !parent_->HandleAllocated() || !visible_) return;
    Invalidate();
    parent_->Update();
}

void TControl::Update() {
    if (parent_) parent_->Update();
}

void TControl::PaintTo(HDC dc, Integer x, Integer y) {
    const int saved = SaveDC(dc);
    OffsetViewportOrgEx(dc, x, y, nullptr);
    IntersectClipRect(dc, 0, 0, width_, height_);
    controlState_.Include(csPaintCopy);
    const ScopeExit restore([&] {
        controlState_.Exclude(csPaintCopy);
        RestoreDC(dc, saved);
    });
    Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
}

void TControl::PaintTo(TCanvas* canvas, Integer x, Integer y) {
    if (!canvas) throw EInvalidOperation("PaintTo needs a canvas");
    canvas->Lock();
    const ScopeExit unlock([canvas] { canvas->Unlock(); });
    PaintTo(canvas->Handle(), x, y);
}

bool TControl::MouseCapture() const {
    return GetCaptureControl() == this;
}

void TControl::SetMouseCapture(bool value) {
    if (MouseCapture() == value) return;
    SetCaptureControl(value ? this : nullptr);
}

void TControl::UpdateAnchorRules() {
    if (!parent_ || IsLoading()) return;
    if (anchors_ == TAnchors{akLeft, akTop}) {
        originalParentSize_ = TSize{0, 0};
        return;
    }
    if (anchors_.Contains(akRight))
        anchorRules_.left = anchors_.Contains(akLeft) ? width_ : left_;
    else
        anchorRules_.left = left_ + width_ / 2;
    if (anchors_.Contains(akBottom))
        anchorRules_.top = anchors_.Contains(akTop) ? height_ : top_;
    else
        anchorRules_.top = top_ + height_ / 2;
    const TRect client = parent_->ClientRect();
    originalParentSize_ = TSize{client.right, client.bottom};
}

// ---------------------------------------------------------------------------------------------
// TControlCanvas

VCL_DEFINE_CLASS(TControlCanvas, TCanvas)

TControlCanvas::TControlCanvas() = default;

TControlCanvas::~TControlCanvas() {
    FreeHandle();
}

void TControlCanvas::SetControl(TControl* value) {
    if (control_ == value) return;
    FreeHandle();
    control_ = value;
}

void TControlCanvas::CreateHandle() {
    if (!control_) throw EInvalidOperation("Canvas does not allow drawing");
    if (!deviceContext_) {
        HWND window = nullptr;
        deviceContext_ = control_->GetDeviceContext(window);
        window_ = window;
        detail::RegisterCanvasDC(this);
    }
    SetHandle(deviceContext_);
}

void TControlCanvas::FreeHandle() {
    if (!deviceContext_) return;
    SetHandle(nullptr);
    ReleaseDC(window_, deviceContext_);
    deviceContext_ = nullptr;
    window_ = nullptr;
    detail::UnregisterCanvasDC(this);
}

// ---------------------------------------------------------------------------------------------
// TGraphicControl

VCL_DEFINE_CLASS(TGraphicControl, TControl)

TGraphicControl::TGraphicControl(TComponent* owner)
    : TControl(owner), canvas_(std::make_unique<TControlCanvas>()) {
    canvas_->SetControl(this);
}

TGraphicControl::~TGraphicControl() {
    canvas_->FreeHandle();
}

void TGraphicControl::WndProc(TMessage& message) {
    if (message.Msg == WM_PAINT) {
        if (message.WParam && !IsDestroying()) {
            const TCanvasPaintScope scope(canvas_.get(), reinterpret_cast<HDC>(message.WParam));
            canvas_->Font()->Assign(font_.get());
            Paint();
        }
        message.Result = 0;
        return;
    }
    TControl::WndProc(message);
}

// ---------------------------------------------------------------------------------------------
// TCustomControl

VCL_DEFINE_CLASS(TCustomControl, TWinControl)

TCustomControl::TCustomControl(TComponent* owner)
    : TWinControl(owner), canvas_(std::make_unique<TControlCanvas>()) {
    canvas_->SetControl(this);
}

TCustomControl::~TCustomControl() {
    canvas_->FreeHandle();
}

void TCustomControl::WndProc(TMessage& message) {
    if (message.Msg == WM_PAINT) {
        controlState_.Include(csCustomPaint);
        const ScopeExit painted([this] { controlState_.Exclude(csCustomPaint); });
        TWinControl::WndProc(message);
        return;
    }
    TWinControl::WndProc(message);
}

void TCustomControl::PaintWindow(HDC dc) {
    const TCanvasPaintScope scope(canvas_.get(), dc);
    canvas_->Font()->Assign(font_.get());
    canvas_->Brush()->SetColor(Color());
    Paint();
}

void TCustomControl::DestroyWindowHandle() {
    canvas_->FreeHandle();
    TWinControl::DestroyWindowHandle();
}

}  // namespace vcl
