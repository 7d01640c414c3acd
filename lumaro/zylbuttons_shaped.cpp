// The windowless shaped buttons: the arrow, the round button and the office button with its lamp.
#include <algorithm>
#include <cstdlib>

#include "lumaro/zylbuttons.h"
#include "lumaro/zylbuttons_internal.h"

namespace lumaro {

using namespace vcl;
using zylbuttons::HalfRounded;

namespace zylbuttons_shaped {

// Below these sizes a face has no inside to paint (the triangle is inset by 2, the office button's
// rounded face by 3 on each side).
constexpr Integer kArrowMinimum = 5;
constexpr Integer kRoundMinimum = 3;
constexpr Integer kOfficeMinimum = 7;

// The pale yellow of an office button without a background.
constexpr TColor kOfficeFace = 0xA4FFFF;

std::unique_ptr<TBitmap> NewBitmap(Integer width, Integer height) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(pf32bit);
    bitmap->SetSize(width, height);
    return bitmap;
}

void SetPen(TCanvas* canvas, TColor color, Integer width = 1) {
    canvas->Pen()->SetStyle(psSolid);
    canvas->Pen()->SetMode(pmCopy);
    canvas->Pen()->SetColor(color);
    canvas->Pen()->SetWidth(width);
}

bool IsCancelMessage(win32::UINT msg) {
    return msg == win32::WM_CANCELMODE || msg == CM_CANCELMODE || msg == win32::WM_CAPTURECHANGED;
}

}  // namespace zylbuttons_shaped

using namespace zylbuttons_shaped;

// ---------------------------------------------------------------------------------------------
// TZylArrowButton

VCL_DEFINE_CLASS(TZylArrowButton, TZylGraphicControl)

TZylArrowButton::TZylArrowButton(TComponent* owner)
    : TZylGraphicControl(owner), glyph_(std::make_unique<TZylGlyph>(this)) {
    controlStyle_ = TControlStyle{csCaptureMouse, csClickEvents};
    glyph_->OnChange = [this](TObject*) { Invalidate(); };
    SetBounds(Left(), Top(), 52, 28);
}

TZylArrowButton::~TZylArrowButton() {
    if (region_) win32::DeleteObject(region_);
}

void TZylArrowButton::SetButtonType(TZylDirection value) {
    if (buttonType_ == value) return;
    buttonType_ = value;
    Invalidate();
}

void TZylArrowButton::SetButtonRaise(TZylButtonRaise value) {
    if (value < 1 || value > 4 || value == buttonRaise_) return;
    buttonRaise_ = value;
    Invalidate();
}

void TZylArrowButton::SetGlyph(TZylGlyph* value) {
    if (value && value != glyph_.get()) glyph_->Assign(value);
}

void TZylArrowButton::SetBackground(TZylBackground* value) {
    if (background_.Set(value)) Invalidate();
}

void TZylArrowButton::Notification(TComponent* component, TOperation operation) {
    if (operation == TOperation::opRemove && background_.Drop(component)) Invalidate();
    Inherited::Notification(component, operation);
}

std::array<TPoint, 3> TZylArrowButton::Corners() const {
    const Integer w = Width(), h = Height();
    switch (buttonType_) {
        case dRight:
            return {TPoint{2, 2}, TPoint{w - 2, h / 2}, TPoint{2, h - 2}};
        case dLeft:
            return {TPoint{w - 2, 2}, TPoint{w - 2, h - 2}, TPoint{2, h / 2}};
        case dDown:
            return {TPoint{w - 2, 2}, TPoint{w / 2, h - 2}, TPoint{2, 2}};
        default:
            return {TPoint{w / 2, 2}, TPoint{w - 2, h - 2}, TPoint{2, h - 2}};
    }
}

win32::HRGN TZylArrowButton::TriangleRegion() {
    // Below the smallest size the corners cross over: no triangle, and a point is never in it.
    if (Width() < kArrowMinimum || Height() < kArrowMinimum) return nullptr;
    const std::array<TPoint, 3> corners = Corners();
    const bool same = std::equal(corners.begin(), corners.end(), regionCorners_.begin(),
                                 [](const TPoint& a, const TPoint& b) { return a.x == b.x && a.y == b.y; });
    if (region_ && same) return region_;
    if (region_) win32::DeleteObject(region_);
    region_ = win32::CreatePolygonRgn(corners.data(), 3, win32::ALTERNATE);
    regionCorners_ = corners;
    return region_;
}

bool TZylArrowButton::InTriangle(Integer x, Integer y) {
    const win32::HRGN region = TriangleRegion();
    return region && win32::PtInRegion(region, x, y);
}

TPoint TZylArrowButton::GlyphPlace() const {
    const Integer w = Width(), h = Height();
    const Integer gw = glyph_->Width(), gh = glyph_->Height();
    switch (buttonType_) {
        case dRight:
            return TPoint{buttonRaise_ + 2, HalfRounded(h - gh) + 1};
        case dLeft:
            return TPoint{w - gw - buttonRaise_ + 1, HalfRounded(h - gh) + 1};
        case dDown:
            return TPoint{HalfRounded(w - gw) + 1, buttonRaise_ + 2};
        default:
            return TPoint{HalfRounded(w - gw) + 1, h - gh - buttonRaise_};
    }
}

void TZylArrowButton::Paint() {
    const Integer w = Width(), h = Height();
    if (w < kArrowMinimum || h < kArrowMinimum) return;
    const win32::HRGN region = TriangleRegion();
    if (!region) return;
    TCanvas* canvas = Canvas();
    const win32::HDC dc = canvas->Handle();

    // The shadow: the triangle's outline two pixels down and right, then the face over it.
    const win32::HBRUSH black = win32::CreateSolidBrush(ColorToRGB(clBlack));
    const win32::HBRUSH white = win32::CreateSolidBrush(ColorToRGB(clWhite));
    win32::OffsetRgn(region, 2, 2);
    win32::FrameRgn(dc, region, black, 1, 1);
    win32::OffsetRgn(region, -2, -2);
    win32::FillRgn(dc, region, white);
    win32::DeleteObject(black);
    win32::DeleteObject(white);

    if (TZylBackground* background = Background()) background->DrawTrans(canvas, w, h, true, clWhite);
    const TPoint glyph = GlyphPlace();
    glyph_->Draw(canvas, glyph.x, glyph.y, Enabled(), false, false);
    DrawBevel();
}

void TZylArrowButton::DrawBevel() {
    TCanvas* canvas = Canvas();
    const std::array<TPoint, 3> c = Corners();
    auto sides = [&](TColor color) {
        SetPen(canvas, color, buttonRaise_);
        canvas->MoveTo(c[0].x, c[0].y);
        canvas->LineTo(c[1].x, c[1].y);
        canvas->LineTo(c[2].x, c[2].y);
    };
    auto base = [&](TColor color) {
        SetPen(canvas, color, buttonRaise_);
        canvas->MoveTo(c[0].x, c[0].y);
        canvas->LineTo(c[2].x, c[2].y);
    };
    if (pressed_) {
        base(clBtnShadow);
        sides(clBtnHighlight);
    } else {
        sides(clBtnShadow);
        base(clBtnHighlight);
    }
}

void TZylArrowButton::SetPressed(bool value) {
    if (pressed_ == value) return;
    pressed_ = value;
    Invalidate();
}

void TZylArrowButton::WndProc(TMessage& message) {
    switch (message.Msg) {
        case win32::WM_LBUTTONDOWN:
        case win32::WM_LBUTTONDBLCLK:
            // Outside the triangle the press does not exist, not even for OnMouseDown.
            if (!InTriangle(win32::GET_X_LPARAM(message.LParam), win32::GET_Y_LPARAM(message.LParam))) {
                message.Result = 0;
                return;
            }
            SetPressed(true);
            break;
        case win32::WM_LBUTTONUP:
            SetPressed(false);
            break;
        default:
            if (IsCancelMessage(message.Msg)) {
                // A press that lost the mouse ends without a click.
                controlState_.Exclude(csClicked);
                SetPressed(false);
            }
            break;
    }
    Inherited::WndProc(message);
}

// ---------------------------------------------------------------------------------------------
// TZylRoundButton

VCL_DEFINE_CLASS(TZylRoundButton, TZylGraphicControl)

TZylRoundButton::TZylRoundButton(TComponent* owner)
    : TZylGraphicControl(owner), glyph_(std::make_unique<TZylGlyph>(this)) {
    // The click is the button's own (OnClick is its event, not the framework's).
    controlStyle_ = TControlStyle{csCaptureMouse};
    glyph_->OnChange = [this](TObject*) { Invalidate(); };
    SetBounds(Left(), Top(), 25, 25);
}

void TZylRoundButton::SetButtonType(TZylButtonType value) {
    if (buttonType_ == value) return;
    buttonType_ = value;
    Invalidate();
}

void TZylRoundButton::SetGlyph(TZylGlyph* value) {
    if (value && value != glyph_.get()) glyph_->Assign(value);
}

void TZylRoundButton::SetUnUsedColor(TColor value) {
    if (unUsedColor_ == value) return;
    unUsedColor_ = value;
    Invalidate();
}

void TZylRoundButton::SetBackground(TZylBackground* value) {
    if (background_.Set(value)) Invalidate();
}

void TZylRoundButton::Notification(TComponent* component, TOperation operation) {
    if (operation == TOperation::opRemove && background_.Drop(component)) Invalidate();
    Inherited::Notification(component, operation);
}

bool TZylRoundButton::InCircle(Integer x, Integer y) const {
    const int64_t radius = Width() / 2;
    if (radius < 1) return false;
    const int64_t dx = std::llabs(static_cast<int64_t>(x) - radius);
    const int64_t dy = std::llabs(static_cast<int64_t>(y) - Height() / 2);
    if (dx > radius || dy > radius) return false;
    // round(sqrt(n)) <= r - 1 holds exactly when n <= r * r - r: sqrt(n) is never halfway between
    // two integers for a whole n, so the test needs no floating point.
    return dx * dx + dy * dy <= radius * radius - radius;
}

void TZylRoundButton::SetPressed(bool value) {
    if (pressed_ == value) return;
    pressed_ = value;
    Invalidate();
}

void TZylRoundButton::BeginPress(Integer x, Integer y) {
    if (!Enabled() || !InCircle(x, y)) return;
    held_ = true;
    SetPressed(true);
}

void TZylRoundButton::TrackPress(Integer x, Integer y) {
    if (held_) SetPressed(InCircle(x, y));
}

bool TZylRoundButton::EndPress(Integer x, Integer y) {
    const bool click = held_ && Enabled() && InCircle(x, y);
    held_ = false;
    SetPressed(false);
    return click;
}

void TZylRoundButton::CancelPress() {
    held_ = false;
    SetPressed(false);
}

void TZylRoundButton::WndProc(TMessage& message) {
    const Integer x = win32::GET_X_LPARAM(message.LParam), y = win32::GET_Y_LPARAM(message.LParam);
    switch (message.Msg) {
        case win32::WM_LBUTTONDOWN:
        case win32::WM_LBUTTONDBLCLK:
            BeginPress(x, y);
            break;
        case win32::WM_MOUSEMOVE:
            TrackPress(x, y);
            break;
        case win32::WM_LBUTTONUP: {
            const bool click = EndPress(x, y);
            // OnMouseUp and the release of the mouse first: the click is the last thing the
            // button does, since its handler may free it.
            TNotifyEvent onClick = click ? OnClick : TNotifyEvent{};
            Inherited::WndProc(message);
            if (onClick) onClick(this);
            return;
        }
        case CM_MOUSEENTER:
            Inherited::WndProc(message);
            if (message.LParam == 0 && OnMouseEnter) OnMouseEnter(this);
            return;
        case CM_MOUSELEAVE:
            Inherited::WndProc(message);
            if (message.LParam == 0 && OnMouseExit) OnMouseExit(this);
            return;
        default:
            if (IsCancelMessage(message.Msg)) CancelPress();
            break;
    }
    Inherited::WndProc(message);
}

void TZylRoundButton::Paint() {
    const Integer w = Width(), h = Height();
    if (w < kRoundMinimum || h < kRoundMinimum) return;
    TCanvas* canvas = Canvas();

    // Under: what lies below the control; face: the background, or the button face without one.
    auto under = NewBitmap(w, h);
    win32::BitBlt(under->Canvas()->Handle(), 0, 0, w, h, canvas->Handle(), 0, 0, win32::SRCCOPY);
    auto face = NewBitmap(w, h);
    face->Canvas()->Brush()->SetColor(clBtnFace);
    face->Canvas()->FillRect(Rect(0, 0, w, h));
    if (TZylBackground* background = Background()) background->Draw(face->Canvas()->Handle(), w, h, true);

    // The disc is marked in UnUsedColor on the copy of what is under; drawn over the face with that
    // colour left out, the disc shows the face and the corners what was there.
    const Integer fifthX = w / 5, fifthY = h / 5;
    TCanvas* mark = under->Canvas();
    mark->Brush()->SetStyle(bsSolid);
    mark->Brush()->SetColor(unUsedColor_);
    if (buttonType_ == btNormal) {
        SetPen(mark, clBlack);
        mark->Ellipse(0, 0, w - 1, h - 1);
    } else {
        SetPen(mark, unUsedColor_);
        mark->Ellipse(1, 1, w - 2, h - 2);
        SetPen(mark, clBtnShadow);
        mark->Arc(0, 0, w - 1, h - 1, 4 * fifthX, fifthY, fifthX, 4 * fifthY);
        SetPen(mark, clBtnHighlight);
        mark->Arc(0, 0, w - 1, h - 1, fifthX, 4 * fifthY, 4 * fifthX, fifthY);
    }
    ZylDrawTransparentBitmap(face->Canvas(), under.get(), 0, 0, unUsedColor_);
    win32::BitBlt(canvas->Handle(), 0, 0, w, h, face->Canvas()->Handle(), 0, 0, win32::SRCCOPY);

    // The bevel: light on the upper left half, dark on the lower right, the other way while pressed.
    SetPen(canvas, pressed_ ? clBtnShadow : clBtnHighlight);
    canvas->Arc(1, 1, w - 2, h - 2, 4 * fifthX, fifthY, fifthX, 4 * fifthY);
    SetPen(canvas, pressed_ ? clBtnHighlight : clBtnShadow);
    canvas->Arc(1, 1, w - 2, h - 2, fifthX, 4 * fifthY, 4 * fifthX, fifthY);

    glyph_->Draw(canvas, HalfRounded(w - glyph_->Width()), HalfRounded(h - glyph_->Height()) - 1, Enabled(),
                 pressed_, false);
}

// ---------------------------------------------------------------------------------------------
// TZylOfficeButton

VCL_DEFINE_CLASS(TZylOfficeButton, TZylGraphicControl)

TZylOfficeButton::TZylOfficeButton(TComponent* owner)
    : TZylGraphicControl(owner), font3D_(std::make_unique<TZylFont3D>(this)) {
    controlStyle_ = TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    SetBounds(Left(), Top(), 130, 25);
}

void TZylOfficeButton::SetBorderColor(TColor value) {
    if (borderColor_ == value) return;
    borderColor_ = value;
    Invalidate();
}

void TZylOfficeButton::SetLedNormal(TColor value) {
    if (ledNormal_ == value) return;
    ledNormal_ = value;
    Invalidate();
}

void TZylOfficeButton::SetLedIn(TColor value) {
    if (ledIn_ == value) return;
    ledIn_ = value;
    Invalidate();
}

void TZylOfficeButton::SetLedOut(TColor value) {
    if (ledOut_ == value) return;
    ledOut_ = value;
    Invalidate();
}

void TZylOfficeButton::SetRoundSize(Integer value) {
    if (roundSize_ == value) return;
    roundSize_ = value;
    Invalidate();
}

void TZylOfficeButton::SetFont3D(TZylFont3D* value) {
    if (value && value != font3D_.get()) font3D_->Assign(value);
}

void TZylOfficeButton::SetBackground(TZylBackground* value) {
    if (background_.Set(value)) Invalidate();
}

void TZylOfficeButton::Notification(TComponent* component, TOperation operation) {
    if (operation == TOperation::opRemove && background_.Drop(component)) Invalidate();
    Inherited::Notification(component, operation);
}

TColor TZylOfficeButton::LedColor() const {
    if (!hot_) return ledNormal_;
    return down_ ? ledIn_ : ledOut_;
}

void TZylOfficeButton::SetState(bool hot, bool down, Integer offset) {
    if (hot_ == hot && down_ == down && offset_ == offset) return;
    hot_ = hot;
    down_ = down;
    offset_ = offset;
    Repaint();
}

void TZylOfficeButton::WndProc(TMessage& message) {
    switch (message.Msg) {
        case CM_MOUSEENTER:
            if (message.LParam == 0) SetState(true, down_, down_ ? 1 : 0);
            break;
        case CM_MOUSELEAVE:
            if (message.LParam == 0) SetState(false, down_, 0);
            break;
        case win32::WM_LBUTTONDOWN:
        case win32::WM_LBUTTONDBLCLK:
            SetState(hot_, true, 1);
            break;
        case win32::WM_LBUTTONUP:
            SetState(hot_, false, 0);
            break;
        default:
            if (IsCancelMessage(message.Msg)) SetState(hot_, false, 0);
            break;
    }
    Inherited::WndProc(message);
}

void TZylOfficeButton::DrawLed(TCanvas* canvas, Integer x, Integer y) const {
    const TColor color = LedColor();
    SetPen(canvas, color);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(color);
    canvas->Ellipse(x + 1, y + 1, x + 11, y + 11);
    // A rim of single pixels, light above and left, dark below and right, and a gleam.
    static constexpr TPoint kSilverRim[] = {{8, 2}, {4, 1}, {5, 1}, {6, 1}, {7, 1}, {3, 2},
                                            {2, 3}, {1, 4}, {1, 5}, {1, 6}, {1, 7}, {2, 8}};
    static constexpr TPoint kGrayRim[] = {{9, 3}, {10, 4}, {10, 5}, {10, 6}, {10, 7}, {9, 8},
                                          {8, 9}, {4, 10}, {5, 10}, {6, 10}, {7, 10}, {3, 9}};
    static constexpr TPoint kGleam[] = {{4, 3}, {3, 4}, {4, 4}, {5, 4}, {4, 5}};
    for (const TPoint& p : kSilverRim)
        canvas->SetPixels(x + p.x, y + p.y, clSilver);
    for (const TPoint& p : kGrayRim)
        canvas->SetPixels(x + p.x, y + p.y, clGray);
    for (const TPoint& p : kGleam)
        canvas->SetPixels(x + p.x, y + p.y, clSilver);
}

void TZylOfficeButton::Paint() {
    const Integer w = Width(), h = Height();
    if (w < kOfficeMinimum || h < kOfficeMinimum) return;
    const Integer corner = std::max(roundSize_, 0);
    TCanvas* canvas = Canvas();

    // The face; a gradient runs backwards while the button is held down under the mouse.
    auto face = NewBitmap(w, h);
    TCanvas* faceCanvas = face->Canvas();
    if (TZylBackground* background = Background()) {
        background->Draw(faceCanvas->Handle(), w, h, !(down_ && hot_));
    } else {
        faceCanvas->Brush()->SetColor(kOfficeFace);
        faceCanvas->FillRect(Rect(0, 0, w, h));
    }

    // The mask is white outside the rounded face, which it turns white on the face.
    auto mask = NewBitmap(w, h);
    TCanvas* maskCanvas = mask->Canvas();
    maskCanvas->Brush()->SetColor(clWhite);
    maskCanvas->FillRect(Rect(0, 0, w, h));
    SetPen(maskCanvas, clRed);
    maskCanvas->Brush()->SetColor(clRed);
    maskCanvas->RoundRect(3, 3, w - 3, h - 3, corner, corner);

    faceCanvas->Brush()->SetStyle(bsClear);
    SetPen(faceCanvas, down_ ? clBtnFace : clBtnHighlight);
    faceCanvas->RoundRect(2, 2, w - 3, h - 3, corner, corner);
    SetPen(faceCanvas, down_ ? clBtnHighlight : clBtnFace);
    faceCanvas->RoundRect(3, 3, w - 1, h - 1, corner, corner);
    ZylDrawTransparentBitmap(faceCanvas, mask.get(), 0, 0, clRed);

    // Composed over what is under the control, the colour of the face's corner left out.
    auto composed = NewBitmap(w, h);
    TCanvas* out = composed->Canvas();
    win32::BitBlt(out->Handle(), 0, 0, w, h, canvas->Handle(), 0, 0, win32::SRCCOPY);
    ZylDrawTransparentBitmap(out, face.get(), 0, 0, faceCanvas->Pixels(0, 0));

    const Integer d = offset_;
    DrawLed(out, 7 + d, (h - 10) / 2 + d);

    const std::string caption = Caption();
    out->Font()->Assign(Font());
    const TSize text = out->TextExtent(caption);
    const Integer e = font3D_->Offset() + font3D_->Repetitionwidth();
    const Integer left = (w - text.cx) / 2 + 7 + d, top = (h - text.cy) / 2 + d;
    out->Brush()->SetStyle(bsClear);
    font3D_->Write(Font(), out->Handle(), Rect(left - e, top - e, left + text.cx + e, top + text.cy + e),
                   caption, win32::DT_CENTER | win32::DT_VCENTER | win32::DT_SINGLELINE, Enabled());

    out->Brush()->SetStyle(bsClear);
    SetPen(out, hot_ ? clBtnHighlight : borderColor_);
    out->RoundRect(2, 2, w - 2, h - 2, corner, corner);
    win32::BitBlt(canvas->Handle(), 0, 0, w, h, out->Handle(), 0, 0, win32::SRCCOPY);
}

}  // namespace lumaro
