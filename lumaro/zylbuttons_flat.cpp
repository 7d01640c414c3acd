// The flat tool button: hover tracking by mouse capture, groups of buttons that stay down, the
// drop-down menu and the accelerator played as a press and a release.
#include "lumaro/zylbuttons.h"
#include "lumaro/zylbuttons_internal.h"
#include "vcl/forms.h"

namespace lumaro {

using namespace vcl;
using zylbuttons::HalfRounded;

namespace zylbuttons_flat {

// DT_END_ELLIPSIS | DT_SINGLELINE | DT_VCENTER | DT_CENTER: one line, centred, cut with "...".
constexpr win32::UINT kCaptionFlags =
    win32::DT_END_ELLIPSIS | win32::DT_SINGLELINE | win32::DT_VCENTER | win32::DT_CENTER;
// The room a drop-down arrow takes at the right.
constexpr Integer kMenuArrowRoom = 7;

win32::LPARAM PointParam(Integer x, Integer y) {
    return win32::MAKELPARAM(static_cast<win32::WORD>(x), static_cast<win32::WORD>(y));
}

}  // namespace zylbuttons_flat

using namespace zylbuttons_flat;

VCL_DEFINE_CLASS(TZylIEButton, TZylGraphicControl)

TZylIEButton::TZylIEButton(TComponent* owner)
    : TZylGraphicControl(owner),
      glyph_(std::make_unique<TZylGlyph>(this)),
      font3D_(std::make_unique<TZylFont3D>(this)) {
    // The button takes and lets go of the mouse and makes its clicks itself.
    controlStyle_ = TControlStyle{csSetCaption, csDoubleClicks};
    glyph_->OnChange = [this](TObject*) { Invalidate(); };
    SetBounds(Left(), Top(), 80, 21);
}

TZylIEButton::~TZylIEButton() {
    *alive_ = false;
    if (MouseCapture()) SetMouseCapture(false);
}

// ---------------------------------------------------------------------------------------------
// Properties

void TZylIEButton::SetAllowAllUp(bool value) {
    allowAllUp_ = value;
    if (groupIndex_ != 0) ForEachInGroup([value](TZylIEButton* other) { other->allowAllUp_ = value; });
}

void TZylIEButton::SetGlyph(TZylGlyph* value) {
    if (value && value != glyph_.get()) glyph_->Assign(value);
}

void TZylIEButton::SetDesignTimeFrame(bool value) {
    if (designTimeFrame_ == value) return;
    designTimeFrame_ = value;
    Invalidate();
}

void TZylIEButton::SetGroupIndex(Integer value) {
    if (groupIndex_ == value) return;
    groupIndex_ = value;
    if (value == 0 && down_) {
        down_ = false;
        Invalidate();
    }
}

void TZylIEButton::SetDown(bool value) {
    if (groupIndex_ == 0 || down_ == value) return;
    down_ = value;
    Invalidate();
    if (value) ReleaseOthersInGroup();
}

void TZylIEButton::SetDropDownMenu(TPopupMenu* value) {
    if (dropDownMenu_ == value) return;
    if (dropDownMenu_) dropDownMenu_->RemoveFreeNotification(this);
    dropDownMenu_ = value;
    if (value) value->FreeNotification(this);
    Invalidate();
}

void TZylIEButton::SetLayout(TZylPosition value) {
    if (layout_ == value) return;
    layout_ = value;
    Invalidate();
}

void TZylIEButton::SetOptions(TZylButtonOptions value) {
    if (options_ == value) return;
    options_ = value;
    Invalidate();
}

void TZylIEButton::SetBevelLooks(TZylButtonKind value) {
    if (bevelLooks_ == value) return;
    bevelLooks_ = value;
    Invalidate();
}

void TZylIEButton::SetFont3D(TZylFont3D* value) {
    if (value && value != font3D_.get()) font3D_->Assign(value);
}

void TZylIEButton::SetEnabled(bool value) {
    Inherited::SetEnabled(value);
    StopTracking();
    if (groupIndex_ == 0 && down_) {
        down_ = false;
        Invalidate();
    }
}

void TZylIEButton::Notification(TComponent* component, TOperation operation) {
    if (operation == TOperation::opRemove && component == dropDownMenu_) {
        dropDownMenu_ = nullptr;
        Invalidate();
    }
    Inherited::Notification(component, operation);
}

// ---------------------------------------------------------------------------------------------
// Groups

template <typename F>
void TZylIEButton::ForEachInGroup(F&& visit) {
    TWinControl* parent = Parent();
    if (!parent) return;
    for (Integer i = 0; i < parent->ControlCount(); ++i)
        if (auto* other = dynamic_cast<TZylIEButton*>(parent->Controls(i));
            other && other != this && other->groupIndex_ == groupIndex_)
            visit(other);
}

void TZylIEButton::ReleaseOthersInGroup() {
    ForEachInGroup([](TZylIEButton* other) {
        if (!other->down_) return;
        other->down_ = false;
        other->Invalidate();
    });
}

// ---------------------------------------------------------------------------------------------
// Mouse and keyboard

void TZylIEButton::SetHot(bool value) {
    if (hot_ == value) return;
    hot_ = value;
    // A down button looks the same hot or not.
    if (!down_) Invalidate();
}

void TZylIEButton::TrackHover(Integer x, Integer y) {
    TCustomForm* form = GetParentForm(this);
    const bool mayBeHot = Enabled() && Visible() && (!form || form->Active());
    if (!MouseCapture()) {
        // The capture tells when the mouse leaves.
        SetMouseCapture(true);
        if (mayBeHot) SetHot(true);
        return;
    }
    if (x < 0 || y < 0 || x > Width() || y > Height()) {
        SetHot(false);
        if (!pressing_) SetMouseCapture(false);
    } else if (mayBeHot) {
        SetHot(true);
    }
}

void TZylIEButton::BeginPress() {
    if (!Enabled() || !Visible()) return;
    pressing_ = true;
    hot_ = true;
    if (!MouseCapture()) SetMouseCapture(true);
    Invalidate();
    if (TPopupMenu* menu = dropDownMenu_) {
        // The menu takes the mouse: given up here, the button stays pressed while the menu is open.
        SetMouseCapture(false);
        const std::shared_ptr<bool> alive = alive_;
        const TPoint corner = ClientToScreen(Point(0, Height()));
        menu->Popup(corner.x, corner.y);
        if (!*alive) return;
        pressing_ = false;
        hot_ = false;
        Invalidate();
    }
}

void TZylIEButton::EndPress() {
    // Every release ends pressing and lets the mouse go.
    const bool wasPressing = pressing_;
    pressing_ = false;
    if (MouseCapture()) SetMouseCapture(false);
    if (!wasPressing) return;
    if (!Enabled() || !Visible()) {
        Invalidate();
        return;
    }
    if (hot_ && groupIndex_ != 0) {
        if (!down_) {
            ReleaseOthersInGroup();
            down_ = true;
        } else if (allowAllUp_) {
            down_ = false;
        }
    }
    const bool clicked = hot_;
    hot_ = false;
    Invalidate();
    if (clicked && !dropDownMenu_) Click();
}

void TZylIEButton::StopTracking() {
    const bool changed = hot_ || pressing_;
    hot_ = false;
    pressing_ = false;
    if (MouseCapture()) SetMouseCapture(false);
    if (changed) Invalidate();
}

void TZylIEButton::PlayAccelerator() {
    // An accelerator that arrives while messages are pumped below is played after this one.
    if (playingAccelerator_) {
        ++pendingAccelerators_;
        return;
    }
    const std::shared_ptr<bool> alive = alive_;
    struct EndOfPlay {
        const std::shared_ptr<bool>& alive;
        TZylIEButton* button;
        ~EndOfPlay() {
            if (!*alive) return;
            button->playingAccelerator_ = false;
            button->pendingAccelerators_ = 0;
        }
    } endOfPlay{alive, this};
    playingAccelerator_ = true;

    for (bool again = true; again;) {
        hot_ = true;
        Repaint();
        const win32::LPARAM centre = PointParam(Width() / 2, Height() / 2);
        Perform(win32::WM_LBUTTONDOWN, win32::MK_LBUTTON, centre);
        if (!*alive) return;
        if (Application) Application->ProcessMessages();
        if (!*alive) return;
        Perform(win32::WM_LBUTTONUP, 0, centre);
        if (!*alive) return;
        again = pendingAccelerators_ > 0;
        if (again) --pendingAccelerators_;
    }

    win32::POINT cursor{};
    win32::GetCursorPos(&cursor);
    const TPoint local = ScreenToClient(cursor);
    if (local.x < 0 || local.y < 0 || local.x > Width() || local.y > Height()) SetHot(false);
}

void TZylIEButton::WndProc(TMessage& message) {
    const std::shared_ptr<bool> alive = alive_;
    switch (message.Msg) {
        case win32::WM_MOUSEMOVE:
            TrackHover(win32::GET_X_LPARAM(message.LParam), win32::GET_Y_LPARAM(message.LParam));
            break;
        case win32::WM_LBUTTONDOWN:
        case win32::WM_LBUTTONDBLCLK:
            BeginPress();
            if (!*alive) return;
            break;
        case win32::WM_LBUTTONUP:
            EndPress();
            if (!*alive) return;
            break;
        case win32::WM_RBUTTONUP:
            // The framework's right-click handling (the context menu) does not run.
            message.Result = 0;
            return;
        case CM_DIALOGCHAR:
            if (Enabled() && Visible() && IsAccel(static_cast<char32_t>(message.WParam), Caption())) {
                message.Result = 1;
                PlayAccelerator();
                return;
            }
            break;
        case win32::WM_CANCELMODE:
        case CM_CANCELMODE:
        case win32::WM_CAPTURECHANGED:
            StopTracking();
            break;
        case CM_VISIBLECHANGED:
            if (!Visible()) StopTracking();
            break;
        default:
            break;
    }
    Inherited::WndProc(message);
}

// ---------------------------------------------------------------------------------------------
// Painting

bool TZylIEButton::ShowsMenuArrow() const {
    return options_.Contains(opMenuArrow) && dropDownMenu_;
}

void TZylIEButton::DrawMenuArrow(TCanvas* canvas) const {
    // Rows of 7, 5, 3 and 1 pixels, each one lower and one further right.
    const Integer left = Width() - 13, top = HalfRounded(Height()) - 3;
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Font()->Color());
    for (Integer row = 0; row < 4; ++row)
        canvas->FillRect(Rect(left + row, top + row, left + 7 - row, top + row + 1));
}

void TZylIEButton::DrawGlyphAndCaption(TCanvas* canvas, Integer arrowRoom) {
    const Integer w = Width(), h = Height();
    const Integer gw = glyph_->Width(), gh = glyph_->Height();
    Integer gx = HalfRounded(w) - HalfRounded(gw);
    Integer gy = HalfRounded(h) - HalfRounded(gh);
    const std::string caption = Caption();
    if (!caption.empty() && !options_.Contains(opBitmapOnly)) {
        TRect text{};
        switch (layout_) {
            case pLeft:
                text = Rect(gw + 6, 4, w - arrowRoom - 4, h - 4);
                gx = 6;
                break;
            case pRight:
                text = Rect(4, 4, w - gw - arrowRoom - 6, h - 4);
                gx = w - gw - arrowRoom - 6;
                break;
            case pTop:
                text = Rect(4, gh + 6, w - arrowRoom - 4, h - 4);
                gy = 6 + (pressing_ ? 1 : 0);
                break;
            case pBottom:
                text = Rect(4, 4, w - arrowRoom - 4, h - gh - 8);
                gy = h - gh - 7 - (pressing_ ? 0 : 1);
                break;
        }
        font3D_->Write(Font(), canvas->Handle(), text, caption, kCaptionFlags, Enabled());
    }
    if ((layout_ == pLeft || layout_ == pRight) && pressing_) ++gy;
    glyph_->Draw(canvas, gx, gy, Enabled(), false, !hot_ && options_.Contains(opMonoDisplay));
}

void TZylIEButton::Paint() {
    const Integer w = Width(), h = Height();
    if (w <= 0 || h <= 0) return;
    TCanvas* canvas = Canvas();
    const bool sunk = (pressing_ && hot_) || down_;
    if (Designing() && designTimeFrame_) {
        canvas->Pen()->SetStyle(psSolid);
        canvas->Pen()->SetColor(clBlack);
        canvas->Pen()->SetWidth(1);
        canvas->Brush()->SetStyle(bsClear);
        canvas->Rectangle(0, 0, w, h);
    }
    const bool arrow = ShowsMenuArrow();
    if (arrow) DrawMenuArrow(canvas);
    canvas->Brush()->SetStyle(bsClear);
    if (glyph_->Bitmap()->Empty() || options_.Contains(opTextonly)) {
        const Integer p = sunk ? 1 : 0;
        font3D_->Write(Font(), canvas->Handle(), Rect(4, 4 + p, w - 4, h - 4 + p), Caption(), kCaptionFlags,
                       Enabled());
    } else {
        DrawGlyphAndCaption(canvas, arrow ? kMenuArrowRoom : 0);
    }
    if (!Enabled()) return;
    const Integer kind = static_cast<Integer>(bevelLooks_) + 1;
    if (sunk)
        ZylDrawButtonFrame(canvas, w, h, kind, true);
    else if (hot_)
        ZylDrawButtonFrame(canvas, w, h, kind, false);
}

}  // namespace lumaro
