// The speech-bubble hints: the TZylHint settings component and the TZylNewHint bubble window.
#include "lumaro/zylhints.h"

#include <algorithm>
#include <array>
#include <optional>

#include "win32/gdi.h"
#include "win32/user.h"

namespace lumaro {

using namespace vcl;
using win32::HDC;
using win32::HRGN;

namespace {

// The TZylHint instances alive: one at most (main thread only).
int hintInstanceCount = 0;

// What a bubble adds around the framework's text rectangle: room for the shadow beside it and for
// the tail above (down directions) or below it.
constexpr Integer kBubbleExtraWidth = 16;
constexpr Integer kUpExtraHeight = 20;
constexpr Integer kDownExtraHeight = 29;

bool BubbleOpensDown(TZylDirectionB direction) {
    return direction == dDownRight || direction == dDownLeft;
}

Integer BubbleExtraHeight(TZylDirectionB direction) {
    return BubbleOpensDown(direction) ? kDownExtraHeight : kUpExtraHeight;
}

// A region that frees itself.
class BubbleRegion {
public:
    explicit BubbleRegion(HRGN region) : region_(region) {}
    ~BubbleRegion() {
        if (region_) win32::DeleteObject(region_);
    }
    BubbleRegion(const BubbleRegion&) = delete;
    BubbleRegion& operator=(const BubbleRegion&) = delete;
    HRGN get() const { return region_; }

private:
    HRGN region_;
};

// Draws with one pen colour and one solid brush colour on a DC, putting the DC's own back after.
class BubblePen {
public:
    BubblePen(HDC dc, TColor brushColor) : dc_(dc), brush_(win32::CreateSolidBrush(ColorToRGB(brushColor))) {
        previousBrush_ = win32::SelectObject(dc_, brush_);
        previousPen_ = win32::SelectObject(dc_, win32::GetStockObject(win32::BLACK_PEN));
    }
    ~BubblePen() {
        win32::SelectObject(dc_, previousBrush_);
        win32::SelectObject(dc_, previousPen_);
        win32::DeleteObject(brush_);
        if (pen_) win32::DeleteObject(pen_);
    }
    BubblePen(const BubblePen&) = delete;
    BubblePen& operator=(const BubblePen&) = delete;

    void UsePen(TColor color) {
        const win32::HPEN next = win32::CreatePen(win32::PS_SOLID, 1, ColorToRGB(color));
        win32::SelectObject(dc_, next);
        if (pen_) win32::DeleteObject(pen_);
        pen_ = next;
    }
    void Box(const TRect& r, bool rounded) {
        if (rounded)
            win32::RoundRect(dc_, r.left, r.top, r.right, r.bottom, 9, 9);
        else
            win32::Rectangle(dc_, r.left, r.top, r.right, r.bottom);
    }
    void Line(TPoint from, TPoint to) {
        win32::MoveToEx(dc_, from.x, from.y, nullptr);
        win32::LineTo(dc_, to.x, to.y);
    }
    void Triangle(const std::array<TPoint, 3>& corners) {
        const win32::POINT points[] = {
            {corners[0].x, corners[0].y}, {corners[1].x, corners[1].y}, {corners[2].x, corners[2].y}};
        win32::Polygon(dc_, points, 3);
    }

private:
    HDC dc_;
    win32::HBRUSH brush_;
    win32::HPEN pen_ = nullptr;
    win32::HGDIOBJ previousBrush_ = nullptr;
    win32::HGDIOBJ previousPen_ = nullptr;
};

// The tail's base points and tip for a bubble of width x height.
std::array<TPoint, 3> TailCorners(TZylDirectionB direction, Integer width, Integer height) {
    switch (direction) {
        case dUpRight:
            return {Point(10, height - 15), Point(20, height - 15), Point(0, height)};
        case dUpLeft:
            return {Point(width - 26, height - 15), Point(width - 16, height - 15), Point(width - 6, height)};
        case dDownRight:
            return {Point(10, 15), Point(20, 15), Point(0, 0)};
        case dDownLeft:
            break;
    }
    return {Point(width - 26, 15), Point(width - 16, 15), Point(width - 6, 0)};
}

// Where the shadow falls: the right and bottom bands of the body's shadow, and under an upward
// tail the tail's shadow.
HRGN ShadowRegion(TZylDirectionB direction, bool speechbubble, Integer width, Integer height) {
    const bool down = BubbleOpensDown(direction);
    const TRect body = down ? Rect(10, 23, width, height - 2) : Rect(10, 8, width, height - 9);
    const HRGN region = speechbubble
                            ? win32::CreateRoundRectRgn(body.left, body.top, body.right, body.bottom, 8, 8)
                            : win32::CreateRectRgn(body.left, body.top, body.right, body.bottom);
    const BubbleRegion rightBand(win32::CreateRectRgn(width - 14, 0, width + 1, height));
    const BubbleRegion bottomBand(down ? win32::CreateRectRgn(0, height - 8, width, height - 1)
                                       : win32::CreateRectRgn(0, height - 14, width, height - 8));
    const BubbleRegion bands(win32::CreateRectRgn(0, 0, 0, 0));
    win32::CombineRgn(bands.get(), rightBand.get(), bottomBand.get(), win32::RGN_OR);
    win32::CombineRgn(region, region, bands.get(), win32::RGN_AND);
    if (speechbubble && !down) {
        const win32::POINT tail[3] = {
            direction == dUpRight ? win32::POINT{12, height - 15} : win32::POINT{width - 33, height - 15},
            direction == dUpRight ? win32::POINT{25, height - 15} : win32::POINT{width - 11, height - 15},
            direction == dUpRight ? win32::POINT{12, height} : win32::POINT{width - 6, height}};
        const BubbleRegion tailShadow(win32::CreatePolygonRgn(tail, 3, win32::WINDING));
        win32::CombineRgn(region, region, tailShadow.get(), win32::RGN_OR);
    }
    return region;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TZylHint

VCL_DEFINE_CLASS(TZylHint, vcl::TComponent)

TZylHint::InstanceClaim::InstanceClaim() {
    if (++hintInstanceCount > 1) {
        --hintInstanceCount;
        throw TZylDuplicateError(
            "You can have one and ONLY ONE\r\nTZylHint Component\r\n, in a project and it must "
            "be on the Mainform");
    }
}

TZylHint::InstanceClaim::~InstanceClaim() {
    --hintInstanceCount;
}

namespace {

// The designer's form while designing; at run time the main form once there is one.
TComponent* HintOwner(TComponent* owner) {
    if ((owner && owner->Designing()) || !Application || !Application->MainForm()) return owner;
    return Application->MainForm();
}

}  // namespace

TZylHint::TZylHint(TComponent* owner)
    : TComponent(HintOwner(owner)),
      font3D_(std::make_unique<TZylFont3D>(this)),
      hintFont_(std::make_unique<TFont>()) {
    hintFont_->OnChange = [this](TObject*) {
        if (!AtRunTime()) return;
        Application->SetShowHint(!Application->ShowHint());
        Application->SetShowHint(!Application->ShowHint());
        SetHintWindowFont();
    };
    if (!AtRunTime()) return;
    previousHintWindowClass_ = Application->HintWindowClass();
    previousHintColor_ = Application->HintColor();
    InstallHintWindow();
    Application->SetHintPause(hintPauseTime_);
    SetHintWindowFont();
}

TZylHint::~TZylHint() {
    if (background_) background_->RemoveFreeNotification(this);
    // The bubbles go with their settings: the application gets its own hint window back.
    if (AtRunTime() && Application && Application->HintWindowClass() == TZylNewHint::StaticClass() &&
        previousHintWindowClass_) {
        Application->SetHintWindowClass(previousHintWindowClass_);
        Application->SetHintColor(previousHintColor_);
    }
}

void TZylHint::SetFont3D(TZylFont3D* value) {
    if (value) font3D_->Assign(value);
}

void TZylHint::SetHintFont(const TFont* value) {
    // The font's change handler brings the hint window up to date.
    if (value) hintFont_->Assign(value);
}

void TZylHint::SetHintPauseTime(Integer value) {
    if (value == hintPauseTime_) return;
    // Stored while designing too, so that the form keeps it.
    hintPauseTime_ = value;
    if (AtRunTime()) Application->SetHintPause(value);
}

void TZylHint::SetBackground(TZylBackground* value) {
    if (value == background_) return;
    if (background_) background_->RemoveFreeNotification(this);
    background_ = value;
    if (value) value->FreeNotification(this);
}

void TZylHint::Loaded() {
    TComponent::Loaded();
    if (!AtRunTime()) return;
    InstallHintWindow();
    Application->SetHintPause(hintPauseTime_);
    SetHintWindowFont();
}

void TZylHint::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == background_) background_ = nullptr;
}

void TZylHint::InstallHintWindow() {
    Application->SetHintWindowClass(TZylNewHint::StaticClass());
    // Turning hints off and on again drops a hint window of the old class.
    Application->SetShowHint(!Application->ShowHint());
    Application->SetShowHint(!Application->ShowHint());
}

void TZylHint::SetHintWindowFont() {
    if (!AtRunTime()) return;
    for (Integer i = 0; i < Application->ComponentCount(); ++i)
        if (auto* window = dynamic_cast<TZylNewHint*>(Application->Components(i))) {
            window->Font()->Assign(hintFont_.get());
            window->Canvas()->Font()->Assign(hintFont_.get());
            return;
        }
}

// ---------------------------------------------------------------------------------------------
// TZylNewHint

VCL_DEFINE_CLASS(TZylNewHint, vcl::THintWindow)

TZylNewHint::TZylNewHint(TComponent* owner) : THintWindow(owner) {
    controlStyle_.Exclude(csOpaque);
    if (Designing()) return;
    Canvas()->Brush()->SetStyle(bsClear);
    Canvas()->Brush()->SetColor(clBackground);
    Application->SetHintColor(clBackground);
}

TZylNewHint::~TZylNewHint() = default;

void TZylNewHint::CreateParams(TCreateParams& params) {
    THintWindow::CreateParams(params);
    params.Style &= ~win32::WS_BORDER;
    params.WindowClass.style |= win32::CS_SAVEBITS;
}

TZylHint* TZylNewHint::FindHint() {
    TCustomForm* mainForm = Application ? Application->MainForm() : nullptr;
    if (!mainForm) return nullptr;
    for (Integer i = 0; i < mainForm->ComponentCount(); ++i)
        if (auto* hint = dynamic_cast<TZylHint*>(mainForm->Components(i))) return hint;
    return nullptr;
}

TRect TZylNewHint::CalcHintRect(Integer maxWidth, const std::string& hint, void* data) {
    if (TZylHint* settings = Designing() ? nullptr : FindHint()) Font()->Assign(settings->HintFont());
    return THintWindow::CalcHintRect(maxWidth, hint, data);
}

TZylNewHint::Placement TZylNewHint::Place(TZylHint* hint, const TRect& text, TPoint pointer) {
    TZylDirectionB direction = hint->HintDirection();
    // The handler's choice holds for this hint only.
    if (hint->OnSelectHintDirection) hint->OnSelectHintDirection(FindDragTarget(pointer, true), direction);

    const Integer width = text.right - text.left + kBubbleExtraWidth;
    const Integer textHeight = text.bottom - text.top;
    const Integer screenWidth = win32::GetSystemMetrics(win32::SM_CXSCREEN);
    const Integer screenHeight = win32::GetSystemMetrics(win32::SM_CYSCREEN);

    // One try: the place the direction gives, and the direction to try instead when it does not fit.
    struct Try {
        TPoint at;
        std::optional<TZylDirectionB> instead;
    };
    const auto attempt = [&](TZylDirectionB d) -> Try {
        const Integer height = textHeight + BubbleExtraHeight(d);
        const bool right = d == dUpRight || d == dDownRight;
        const Integer x = right ? pointer.x : pointer.x - width + 6;
        const bool fitsAcross = right ? pointer.x + width <= screenWidth : x >= 0;
        if (BubbleOpensDown(d)) {
            const Integer y = pointer.y + 15;
            if (!fitsAcross) return {Point(x, y), d == dDownRight ? dDownLeft : dDownRight};
            if (y + height > screenHeight) return {Point(x, y), d == dDownRight ? dUpRight : dUpLeft};
            return {Point(x, y), std::nullopt};
        }
        const Integer y = pointer.y - 5 - height;
        if (!fitsAcross) return {Point(x, y), d == dUpRight ? dUpLeft : dUpRight};
        if (y < 0) return {Point(x, y), d == dUpRight ? dDownRight : dDownLeft};
        return {Point(x, y), std::nullopt};
    };

    std::array<bool, 4> tried{};
    while (true) {
        tried[static_cast<size_t>(direction)] = true;
        const Try result = attempt(direction);
        const TSize size{width, textHeight + BubbleExtraHeight(direction)};
        if (!result.instead) return {direction, result.at, size};
        if (tried[static_cast<size_t>(*result.instead)]) {
            // It fits nowhere: the last try, pushed onto the screen.
            const TPoint at = Point(std::clamp(result.at.x, 0, std::max(0, screenWidth - size.cx)),
                                    std::clamp(result.at.y, 0, std::max(0, screenHeight - size.cy)));
            return {direction, at, size};
        }
        direction = *result.instead;
    }
}

void TZylNewHint::ActivateHint(TRect rect, const std::string& hint) {
    TZylHint* settings = Designing() ? nullptr : FindHint();
    if (!settings) {
        SetColor(clInfoBk);
        THintWindow::ActivateHint(rect, hint);
        return;
    }
    SetCaption(hint);
    win32::POINT pointer{};
    win32::GetCursorPos(&pointer);
    const Placement place = Place(settings, rect, Point(pointer.x, pointer.y));
    direction_ = place.direction;
    const TRect bounds = Bounds(place.topLeft.x, place.topLeft.y, place.size.cx, place.size.cy);
    // The capture has to see what is under the bubble, not a bubble shown before.
    if (HandleAllocated() && win32::IsWindowVisible(Handle())) win32::ShowWindow(Handle(), win32::SW_HIDE);
    CaptureScreen(bounds);
    ShowAt(bounds);
    // Until the bubble is painted the window shows what it covers.
    const win32::HWND window = Handle();
    const HDC dc = win32::GetDC(window);
    win32::BitBlt(dc, 0, 0, place.size.cx, place.size.cy, capture_->Canvas()->Handle(), 0, 0, win32::SRCCOPY);
    win32::ReleaseDC(window, dc);
}

void TZylNewHint::CaptureScreen(const TRect& bounds) {
    if (!capture_) {
        capture_ = std::make_unique<TBitmap>();
        capture_->SetPixelFormat(pf32bit);
    }
    const Integer width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
    capture_->SetSize(width, height);
    const HDC screen = win32::GetDC(nullptr);
    win32::BitBlt(capture_->Canvas()->Handle(), 0, 0, width, height, screen, bounds.left, bounds.top,
                  win32::SRCCOPY);
    win32::ReleaseDC(nullptr, screen);
}

void TZylNewHint::Paint() {
    TZylHint* settings = Designing() ? nullptr : FindHint();
    if (!settings || !capture_ || capture_->Width() != Width() || capture_->Height() != Height()) {
        THintWindow::Paint();
        return;
    }
    PaintBubble(settings);
}

void TZylNewHint::PaintBubble(TZylHint* hint) {
    const Integer width = Width(), height = Height();
    const bool down = BubbleOpensDown(direction_);
    const bool rounded = hint->Speechbubble();
    const TColor inside = hint->UnUsedHintColor();

    TBitmap face;
    face.SetPixelFormat(pf32bit);
    face.SetSize(width, height);
    if (TZylBackground* background = hint->Background())
        background->Draw(face.Canvas()->Handle(), width, height, true);

    // The outline, shadow and tail are drawn on a copy of the screen; the inside colour lets the face
    // through when the copy is laid over it.
    TBitmap work;
    work.SetPixelFormat(pf32bit);
    work.SetSize(width, height);
    const HDC workDC = work.Canvas()->Handle();
    win32::BitBlt(workDC, 0, 0, width, height, capture_->Canvas()->Handle(), 0, 0, win32::SRCCOPY);

    if (hint->Shadow()) {
        const BubbleRegion shadow(ShadowRegion(direction_, rounded, width, height));
        const win32::COLORREF dot = ColorToRGB(hint->HintShadowColor());
        for (Integer y = 0; y < height; ++y)
            for (Integer x = y & 1; x < width; x += 2)
                if (win32::PtInRegion(shadow.get(), x, y)) win32::SetPixelV(workDC, x, y, dot);
    }

    BubblePen pen(workDC, inside);
    const Integer top = down ? 15 : 0;
    const Integer bottom = down ? height - 8 : height - 14;
    pen.UsePen(clBlack);
    pen.Box(Rect(1, top, width - 6, bottom), rounded);
    pen.UsePen(clWhite);
    pen.Box(Rect(0, top, width - 7, bottom - 1), rounded);
    pen.UsePen(inside);
    pen.Box(Rect(1, top + 1, width - 7, bottom - 1), rounded);

    if (rounded) {
        const auto tail = TailCorners(direction_, width, height);
        pen.Line(tail[0], tail[1]);
        pen.Triangle(tail);
        pen.UsePen(clBlack);
        pen.Line(tail[1], tail[2]);
        pen.UsePen(clWhite);
        pen.Line(tail[2], tail[0]);
    }

    win32::TransparentBlt(face.Canvas()->Handle(), 0, 0, width, height, workDC, 0, 0, width, height,
                          ColorToRGB(inside));

    TRect text = ClientRect();
    text.left += 8;
    text.top += down ? 18 : 3;
    const Integer offset = hint->Font3D()->Offset();
    OffsetRect(&text, -offset, -offset);
    hint->Font3D()->Write(hint->HintFont(), face.Canvas()->Handle(), text, Caption(),
                          win32::DT_WORDBREAK | win32::DT_NOPREFIX, Enabled());

    win32::BitBlt(Canvas()->Handle(), 0, 0, width, height, face.Canvas()->Handle(), 0, 0, win32::SRCCOPY);
}

}  // namespace lumaro
