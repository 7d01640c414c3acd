#include "pellic/zyltspinedit.h"

#include <string>
#include <utility>

#include "pellic/zyleditmetrics_internal.h"
#include "vcl/classregistration.h"
#include "vcl/forms.h"
#include "win32/gdi.h"
#include "win32/user.h"
#include "win32/virtualkeys.h"

namespace pellic {

using vcl::Int64;
using vcl::Integer;
using vcl::TColor;

namespace zyltspinedit {

const vcl::TClassRegistration streamingRegistration{TZylSpinButton::StaticClass(),
                                                    TZylSpinEdit::StaticClass()};

constexpr Integer kArrowSize = 3;

// An arrow of size n (2..15) with its box at (x, y): apex up, rows 1, 3, 5, ... wide; or apex down,
// rows 2n - 1, 2n - 3, ... wide and a single pixel at the tip.
void DrawArrow(vcl::TCanvas* canvas, Integer x, Integer y, Integer n, bool up, TColor color) {
    if (n < 2 || n > 15) return;
    canvas->Pen()->SetColor(color);
    canvas->Pen()->SetStyle(vcl::psSolid);
    canvas->Pen()->SetWidth(1);
    auto row = [canvas](Integer from, Integer to, Integer rowY) {
        canvas->MoveTo(from, rowY);
        canvas->LineTo(to + 1, rowY);
    };
    if (up) {
        for (Integer k = 0; k < n; ++k)
            row(x + n / 2 - k, x + n / 2 + k, y + k);
        return;
    }
    for (Integer k = 0; k <= n - 2; ++k)
        row(x + k, x + 2 * n - k - 2, y + k);
    row(x + n - 1, x + n - 1, y + n - 1);
}

}  // namespace zyltspinedit

// ---------------------------------------------------------------------------------------------
// TZylCustomSpinButton

VCL_DEFINE_CLASS(TZylCustomSpinButton, vcl::TGraphicControl)
VCL_DEFINE_CLASS(TZylSpinButton, TZylCustomSpinButton)

TZylCustomSpinButton::TZylCustomSpinButton(vcl::TComponent* owner)
    : vcl::TGraphicControl(owner), pictures_(std::make_unique<vcl::TBitmap>()) {
    controlStyle_ = vcl::TControlStyle{vcl::csCaptureMouse, vcl::csDoubleClicks, vcl::csOpaque};
    SetParentColor(false);
    SetColor(vcl::clBtnFace);
    SetBounds(Left(), Top(), 20, 20);
}

TZylCustomSpinButton::~TZylCustomSpinButton() = default;

void TZylCustomSpinButton::SetArrowColor(TColor value) {
    if (arrowColor_ == value) return;
    arrowColor_ = value;
    picturesValid_ = false;
    Invalidate();
}

void TZylCustomSpinButton::SetDown(TZylButtonState value) {
    ShowState(value);
}

void TZylCustomSpinButton::SetAutoRepeat(bool value) {
    autoRepeat_ = value;
    if (!value && repeatTimer_) repeatTimer_->SetEnabled(false);
}

TZylButtonState TZylCustomSpinButton::HalfAt(Integer x, Integer y) const {
    const Int64 w = Width(), h = Height();
    return Int64{y} * w > h * (w - x) ? TZylButtonState::bsBottomDown : TZylButtonState::bsTopDown;
}

TZylButtonState TZylCustomSpinButton::TrackedState(Integer x, Integer y) const {
    if (x < 0 || y < 0 || x >= Width() || y >= Height()) return TZylButtonState::bsUp;
    const TZylButtonState half = HalfAt(x, y);
    return half == pressedHalf_ ? half : TZylButtonState::bsUp;
}

void TZylCustomSpinButton::ShowState(TZylButtonState state) {
    if (state_ == state) return;
    state_ = state;
    Invalidate();
}

void TZylCustomSpinButton::FireClick(TZylButtonState half) {
    if (half == TZylButtonState::bsTopDown && OnTopClick)
        OnTopClick(this);
    else if (half == TZylButtonState::bsBottomDown && OnBottomClick)
        OnBottomClick(this);
}

void TZylCustomSpinButton::MouseDown(vcl::TMouseButton button, vcl::TShiftState shift, Integer x, Integer y) {
    vcl::TGraphicControl::MouseDown(button, shift, x, y);
    if (button != vcl::mbLeft || !Enabled()) return;
    pressedHalf_ = HalfAt(x, y);
    tracking_ = true;
    repeated_ = false;
    ShowState(pressedHalf_);
    if (autoRepeat_) StartRepeating();
}

void TZylCustomSpinButton::MouseMove(vcl::TShiftState shift, Integer x, Integer y) {
    vcl::TGraphicControl::MouseMove(shift, x, y);
    if (tracking_) ShowState(TrackedState(x, y));
}

void TZylCustomSpinButton::MouseUp(vcl::TMouseButton button, vcl::TShiftState shift, Integer x, Integer y) {
    vcl::TGraphicControl::MouseUp(button, shift, x, y);
    if (!tracking_ || button != vcl::mbLeft) return;
    // Judged where the button is released, whether or not a move reported it there.
    const TZylButtonState released = TrackedState(x, y);
    const bool repeated = repeated_;
    StopTracking();
    if (!repeated) FireClick(released);
}

void TZylCustomSpinButton::StopTracking() {
    tracking_ = false;
    if (repeatTimer_) repeatTimer_->SetEnabled(false);
    ShowState(Enabled() ? TZylButtonState::bsUp : TZylButtonState::bsDisabled);
}

void TZylCustomSpinButton::StartRepeating() {
    if (!repeatTimer_) {
        repeatTimer_ = std::make_unique<vcl::TTimer>(nullptr);
        repeatTimer_->SetEnabled(false);
        repeatTimer_->SetOnTimer([this](vcl::TObject*) { RepeatTick(); });
    }
    repeatTimer_->SetEnabled(false);
    repeatTimer_->SetInterval(repeatDelay_);
    repeatTimer_->SetEnabled(true);
}

void TZylCustomSpinButton::RepeatTick() {
    if (!tracking_ || !autoRepeat_) {
        repeatTimer_->SetEnabled(false);
        return;
    }
    repeatTimer_->SetInterval(repeatInterval_);
    // Paused while the pointer is off the pressed half.
    if (state_ != pressedHalf_) return;
    repeated_ = true;
    // Last: the handler may free this button.
    FireClick(pressedHalf_);
}

void TZylCustomSpinButton::WndProc(vcl::TMessage& message) {
    switch (message.Msg) {
        case vcl::CM_ENABLEDCHANGED:
            if (tracking_) StopTracking();
            ShowState(Enabled() ? TZylButtonState::bsUp : TZylButtonState::bsDisabled);
            break;
        case vcl::CM_COLORCHANGED:
        case vcl::CM_SYSCOLORCHANGE:
            picturesValid_ = false;
            break;
        case win32::WM_CAPTURECHANGED:
        case win32::WM_CANCELMODE:
        case vcl::CM_CANCELMODE:
            // The press ends without a click: the capture went to a menu, a dialog or elsewhere.
            if (tracking_) StopTracking();
            break;
        default:
            break;
    }
    vcl::TGraphicControl::WndProc(message);
}

void TZylCustomSpinButton::CreateStates() {
    pictures_->SetSize(4 * Width(), Height());
    for (auto state : {TZylButtonState::bsUp, TZylButtonState::bsTopDown, TZylButtonState::bsBottomDown,
                       TZylButtonState::bsDisabled})
        DrawState(state);
    picturesValid_ = true;
}

void TZylCustomSpinButton::DrawState(TZylButtonState state) {
    using enum TZylButtonState;
    const Integer w = Width(), h = Height();
    vcl::TBitmap frame;
    frame.SetSize(w, h);
    vcl::TCanvas* canvas = frame.Canvas();
    canvas->Brush()->SetStyle(vcl::bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->Pen()->SetStyle(vcl::psSolid);
    canvas->Pen()->SetWidth(1);
    canvas->Pen()->SetColor(vcl::clWhite);
    canvas->Rectangle(0, 0, w, h);
    const win32::HDC dc = canvas->Handle();
    win32::RECT whole{0, 0, w, h};
    win32::DrawEdge(dc, &whole, state == bsTopDown ? win32::EDGE_SUNKEN : win32::EDGE_RAISED,
                    win32::BF_SOFT | win32::BF_TOPLEFT);
    whole = win32::RECT{0, 0, w, h};
    win32::DrawEdge(dc, &whole, state == bsBottomDown ? win32::EDGE_SUNKEN : win32::EDGE_RAISED,
                    win32::BF_BOTTOMRIGHT);
    // The divider: three parallel lines from the left edge to the top edge.
    canvas->Pen()->SetColor(state == bsTopDown ? vcl::clBtnHighlight : vcl::clBtnShadow);
    canvas->MoveTo(0, h - 2);
    canvas->LineTo(w - 2, 0);
    canvas->Pen()->SetColor(vcl::clWindowFrame);
    canvas->MoveTo(0, h - 1);
    canvas->LineTo(w - 1, 0);
    canvas->Pen()->SetColor(state == bsBottomDown ? vcl::clBtnShadow : vcl::clBtnHighlight);
    canvas->MoveTo(0, h);
    canvas->LineTo(w, 0);

    canvas->Brush()->SetStyle(vcl::bsClear);
    const Integer d = state == bsTopDown ? 2 : 1;
    const Integer e = state == bsBottomDown ? 0 : 1;
    const auto upX = static_cast<Integer>(d + vcl::Round(w / 4.0 - 2));
    const auto upY = static_cast<Integer>(d + vcl::Round(h / 4.0 - 2));
    const auto downX = static_cast<Integer>(vcl::Round(3.0 * w / 4.0 - 2) - e);
    const auto downY = static_cast<Integer>(vcl::Round(3.0 * h / 4.0 - 2) - e);
    auto arrows = [&](Integer shift, TColor color) {
        zyltspinedit::DrawArrow(canvas, upX + shift, upY + shift, zyltspinedit::kArrowSize, true, color);
        zyltspinedit::DrawArrow(canvas, downX + shift, downY + shift, zyltspinedit::kArrowSize, false, color);
    };
    if (state == bsDisabled) {
        arrows(1, vcl::clHighlightText);
        arrows(0, vcl::clGrayText);
    } else {
        arrows(0, arrowColor_);
    }
    win32::BitBlt(pictures_->Canvas()->Handle(), static_cast<Integer>(state) * w, 0, w, h, dc, 0, 0,
                  win32::SRCCOPY);
}

void TZylCustomSpinButton::Paint() {
    if (!Enabled() && !Designing()) tracking_ = false;
    const Integer w = Width(), h = Height();
    if (w <= 0 || h <= 0) return;
    if (!picturesValid_ || pictures_->Height() != h || pictures_->Width() != 4 * w) CreateStates();
    win32::BitBlt(Canvas()->Handle(), 0, 0, w, h, pictures_->Canvas()->Handle(),
                  static_cast<Integer>(state_) * w, 0, win32::SRCCOPY);
}

// ---------------------------------------------------------------------------------------------
// TZylSpinEditCore

template <typename Base>
TZylSpinEditCore<Base>::TZylSpinEditCore(vcl::TComponent* owner)
    : Base(owner), holder_(new vcl::TWinControl(nullptr)), button_(new TZylCustomSpinButton(nullptr)) {
    // The component's name never becomes the text at design time.
    this->controlStyle_.Exclude(vcl::csSetCaption);
    holder_->SetParent(this);
    button_->SetParent(holder_.get());
    button_->OnTopClick = [this](vcl::TObject* sender) { UpClick(sender); };
    button_->OnBottomClick = [this](vcl::TObject* sender) { DownClick(sender); };
    this->SetText("0");
    PlaceButton();
}

template <typename Base>
TZylSpinEditCore<Base>::~TZylSpinEditCore() {
    button_.reset();
    holder_.reset();
}

template <typename Base>
Integer TZylSpinEditCore<Base>::Value() {
    const std::string text = this->Text();
    if (text.empty()) {
        this->SetText(vcl::IntToStr(minValue_));
        return minValue_;
    }
    Integer value = 0;
    return vcl::TryStrToInt(text, value) ? value : minValue_;
}

template <typename Base>
Integer TZylSpinEditCore<Base>::StoredValue() const {
    Integer value = 0;
    return vcl::TryStrToInt(this->Text(), value) ? value : minValue_;
}

template <typename Base>
Integer TZylSpinEditCore<Base>::CheckValue(Int64 value) const {
    if (minValue_ != maxValue_) {
        if (value > maxValue_) value = maxValue_;
        if (value < minValue_) value = minValue_;
    }
    return static_cast<Integer>(std::clamp<Int64>(value, INT32_MIN, INT32_MAX));
}

template <typename Base>
void TZylSpinEditCore<Base>::SetValue(Integer value) {
    // A form's limits may come after its value: Loaded checks the value.
    this->SetText(vcl::IntToStr(this->IsLoading() ? value : CheckValue(value)));
}

template <typename Base>
void TZylSpinEditCore<Base>::SetMaxValue(Integer value) {
    if (this->IsLoading()) {
        maxValue_ = value;
        return;
    }
    if (value == maxValue_ || value <= minValue_) return;
    maxValue_ = value;
    if (Value() > maxValue_) SetValue(maxValue_);
}

template <typename Base>
void TZylSpinEditCore<Base>::SetMinValue(Integer value) {
    if (this->IsLoading()) {
        minValue_ = value;
        return;
    }
    if (value == minValue_ || value >= maxValue_) return;
    minValue_ = value;
    if (Value() < minValue_) SetValue(minValue_);
}

template <typename Base>
void TZylSpinEditCore<Base>::Loaded() {
    Base::Loaded();
    // Limits stored the wrong way round are exchanged rather than lost.
    if (maxValue_ < minValue_) std::swap(minValue_, maxValue_);
    if (!IsDataAware()) {
        const Integer value = Value();
        if (CheckValue(value) != value) SetValue(value);
    }
    PlaceButton();
}

template <typename Base>
Integer TZylSpinEditCore<Base>::GetMinHeight() const {
    return editmetrics::MinimumTextHeight(this->Font());
}

template <typename Base>
bool TZylSpinEditCore<Base>::CanStep(bool pageKey) {
    if (!this->ReadOnly()) return true;
    if (!pageKey) win32::MessageBeep(0);
    return false;
}

template <typename Base>
void TZylSpinEditCore<Base>::Step(Int64 delta, bool pageKey) {
    if (!CanStep(pageKey)) return;
    SetValue(CheckValue(Int64{Value()} + delta));
}

template <typename Base>
void TZylSpinEditCore<Base>::UpClick(vcl::TObject*) {
    Step(lineSize_, false);
}

template <typename Base>
void TZylSpinEditCore<Base>::DownClick(vcl::TObject*) {
    Step(-Int64{lineSize_}, false);
}

template <typename Base>
bool TZylSpinEditCore<Base>::IsValidChar(char32_t key) {
    const bool valid = key == '+' || key == '-' || (key >= '0' && key <= '9') || key < 0x20;
    if (!valid) return false;
    // Without cut and paste only the control characters other than Backspace pass.
    return cutandPaste_ || (key < 0x20 && key != 0x08);
}

template <typename Base>
void TZylSpinEditCore<Base>::KeyDown(vcl::Word& key, vcl::TShiftState shift) {
    const vcl::Word pressed = key;
    switch (pressed) {
        case win32::VK_PRIOR:
            Step(multipleLineSize_, true);
            break;
        case win32::VK_NEXT:
            Step(-Int64{multipleLineSize_}, true);
            break;
        case win32::VK_UP:
            UpClick(this);
            break;
        case win32::VK_DOWN:
            DownClick(this);
            break;
        default:
            break;
    }
    Base::KeyDown(key, shift);
    // The step keys do not move the caret as well.
    if (key == pressed && (pressed == win32::VK_PRIOR || pressed == win32::VK_NEXT ||
                           pressed == win32::VK_UP || pressed == win32::VK_DOWN))
        key = 0;
}

template <typename Base>
void TZylSpinEditCore<Base>::SendDialogKey(char32_t key) {
    if (vcl::TCustomForm* form = vcl::GetParentForm(this))
        form->Perform(vcl::CM_DIALOGKEY, key == '\r' ? win32::VK_RETURN : win32::VK_ESCAPE, 0);
}

template <typename Base>
void TZylSpinEditCore<Base>::KeyPress(char32_t& key) {
    if (!IsValidChar(key)) {
        key = 0;
        win32::MessageBeep(0);
    }
    if (key != 0) Base::KeyPress(key);
    if (key == '\r' || key == 0x1B) {
        SendDialogKey(key);
        if (key == '\r') key = 0;
    }
    // Ctrl+Enter is no line break in a one-line number.
    if (key == '\n') key = 0;
}

template <typename Base>
void TZylSpinEditCore<Base>::CorrectValue() {
    // A data-aware edit corrects only what it may write, and leaves an empty (null) field alone.
    if (IsDataAware() && (this->vcl::TCustomEdit::ReadOnly() || this->Text().empty())) return;
    const Integer value = Value();
    if (CheckValue(value) != value) SetValue(value);
}

template <typename Base>
void TZylSpinEditCore<Base>::WndProc(vcl::TMessage& message) {
    switch (message.Msg) {
        case win32::WM_CUT:
        case win32::WM_PASTE:
            if (!cutandPaste_ || this->ReadOnly()) {
                message.Result = 0;
                return;
            }
            break;
        case win32::WM_GETDLGCODE:
            // Enter and Escape come here as characters and go to the form from KeyPress, once.
            Base::WndProc(message);
            message.Result |= vcl::DLGC_WANTALLKEYS;
            return;
        case vcl::CM_EXIT:
            // The data-aware edit writes the corrected value; the plain one lets OnExit run first.
            if (IsDataAware()) {
                CorrectValue();
                Base::WndProc(message);
            } else {
                Base::WndProc(message);
                CorrectValue();
            }
            return;
        case vcl::CM_ENABLEDCHANGED:
            Base::WndProc(message);
            button_->SetEnabled(this->Enabled());
            return;
        default:
            break;
    }
    Base::WndProc(message);
}

template <typename Base>
void TZylSpinEditCore<Base>::CreateParams(vcl::TCreateParams& params) {
    Base::CreateParams(params);
    params.Style |= win32::WS_CLIPCHILDREN;
}

template <typename Base>
void TZylSpinEditCore<Base>::CreateWnd() {
    Base::CreateWnd();
    PlaceButton();
}

template <typename Base>
void TZylSpinEditCore<Base>::Resize() {
    Base::Resize();
    PlaceButton();
}

template <typename Base>
void TZylSpinEditCore<Base>::PlaceButton() {
    if (this->IsLoading() || placing_ || !button_) return;
    const vcl::ScopedValue placing(placing_, true);
    // Sizes again; this placement covers the new size.
    if (const Integer minimum = GetMinHeight(); this->Height() < minimum) this->SetHeight(minimum);
    const vcl::TRect client = this->ClientRect();
    const Integer side = std::max<Integer>(client.bottom - client.top, 0);
    holder_->SetBounds(client.right - side, 0, side, side);
    button_->SetBounds(0, 0, side, side);
    if (!this->HandleAllocated()) return;
    // The text stops short of the button.
    win32::RECT text{0, 0, std::max<Integer>(client.right - side - 2, 0), client.bottom + 1};
    win32::SendMessage(this->Handle(), win32::EM_SETRECTNP, 0, reinterpret_cast<win32::LPARAM>(&text));
}

template class TZylSpinEditCore<vcl::TCustomEdit>;
template class TZylSpinEditCore<vcl::TDBEdit>;

VCL_DEFINE_CLASS(TZylCustomSpinEdit, TZylSpinEditBase)
VCL_DEFINE_CLASS(TZylSpinEdit, TZylCustomSpinEdit)

}  // namespace pellic
