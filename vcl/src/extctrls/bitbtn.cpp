// The bitmap button and the stock glyphs of its kinds.
#include <algorithm>

#include "vcl/buttons.h"
#include "vcl/forms.h"

namespace vcl {

using namespace win32;

namespace {

constexpr Integer kStockSize = 18;
constexpr TColor kStockTransparent = clFuchsia;

bool IsDefaultKind(TBitBtnKind kind) {
    return kind == bkOK || kind == bkYes;
}

bool IsCancelKind(TBitBtnKind kind) {
    return kind == bkCancel || kind == bkNo;
}

void SetPen(TCanvas* canvas, TColor color, Integer width) {
    canvas->Pen()->SetStyle(psSolid);
    canvas->Pen()->SetColor(color);
    canvas->Pen()->SetWidth(width);
}

void Path(TCanvas* canvas, std::initializer_list<TPoint> points) {
    canvas->Polyline(std::span<const TPoint>(points.begin(), points.size()));
}

void Filled(TCanvas* canvas, TColor color, std::initializer_list<TPoint> points) {
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(color);
    SetPen(canvas, color, 1);
    canvas->Polygon(std::span<const TPoint>(points.begin(), points.size()));
}

// The up image of a kind, drawn on an 18 x 18 area at the canvas origin.
void DrawStockImage(TBitBtnKind kind, TCanvas* canvas) {
    switch (kind) {
        case bkOK:
        case bkYes:
            SetPen(canvas, clGreen, 3);
            Path(canvas, {{3, 9}, {7, 13}, {15, 4}});
            break;
        case bkAll:
            SetPen(canvas, clGreen, 2);
            Path(canvas, {{1, 9}, {4, 12}, {9, 5}});
            Path(canvas, {{8, 9}, {11, 12}, {16, 5}});
            break;
        case bkCancel:
            SetPen(canvas, clRed, 3);
            Path(canvas, {{4, 4}, {14, 14}});
            Path(canvas, {{14, 4}, {4, 14}});
            break;
        case bkNo:
            SetPen(canvas, clRed, 2);
            canvas->Brush()->SetStyle(bsClear);
            canvas->Ellipse(2, 2, 16, 16);
            Path(canvas, {{5, 13}, {13, 5}});
            break;
        case bkAbort:
            canvas->Brush()->SetStyle(bsSolid);
            canvas->Brush()->SetColor(clRed);
            SetPen(canvas, clMaroon, 1);
            canvas->Ellipse(1, 1, 17, 17);
            SetPen(canvas, clWhite, 2);
            Path(canvas, {{6, 6}, {12, 12}});
            Path(canvas, {{12, 6}, {6, 12}});
            break;
        case bkHelp:
            SetPen(canvas, clNavy, 2);
            canvas->Arc(4, 1, 14, 10, 9, 10, 4, 5);
            Path(canvas, {{9, 9}, {9, 12}});
            canvas->Brush()->SetStyle(bsSolid);
            canvas->Brush()->SetColor(clNavy);
            canvas->FillRect(Rect(8, 14, 11, 17));
            break;
        case bkRetry:
            SetPen(canvas, clGreen, 2);
            canvas->Arc(3, 3, 15, 15, 9, 3, 15, 9);
            Filled(canvas, clGreen, {{12, 9}, {17, 9}, {15, 5}});
            break;
        case bkIgnore:
            SetPen(canvas, clTeal, 2);
            Path(canvas, {{2, 15}, {16, 15}});
            canvas->Arc(3, 4, 15, 16, 15, 10, 3, 10);
            Filled(canvas, clTeal, {{12, 9}, {17, 9}, {15, 12}});
            break;
        case bkClose:
            canvas->Brush()->SetStyle(bsSolid);
            canvas->Brush()->SetColor(clTeal);
            SetPen(canvas, clBlack, 1);
            canvas->Rectangle(4, 2, 14, 17);
            canvas->Brush()->SetColor(clYellow);
            canvas->FillRect(Rect(10, 9, 12, 11));
            break;
        case bkCustom:
            break;
    }
}

}  // namespace

const char* BitBtnCaption(TBitBtnKind kind) {
    switch (kind) {
        case bkOK:
            return "OK";
        case bkCancel:
            return "Cancel";
        case bkHelp:
            return "&Help";
        case bkYes:
            return "&Yes";
        case bkNo:
            return "&No";
        case bkClose:
            return "&Close";
        case bkAbort:
            return "Abort";
        case bkRetry:
            return "&Retry";
        case bkIgnore:
            return "&Ignore";
        case bkAll:
            return "&All";
        case bkCustom:
            break;
    }
    return "";
}

TModalResult BitBtnModalResult(TBitBtnKind kind) {
    switch (kind) {
        case bkOK:
            return mrOk;
        case bkCancel:
            return mrCancel;
        case bkYes:
            return mrYes;
        case bkNo:
            return mrNo;
        case bkAbort:
            return mrAbort;
        case bkRetry:
            return mrRetry;
        case bkIgnore:
            return mrIgnore;
        case bkAll:
            return mrAll;
        case bkHelp:
        case bkClose:
        case bkCustom:
            break;
    }
    return mrNone;
}

void DrawStockGlyph(TBitBtnKind kind, TBitmap& strip) {
    strip.SetPixelFormat(pf32bit);
    strip.SetSize(kStockSize * 2, kStockSize);
    TCanvas* canvas = strip.Canvas();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(kStockTransparent);
    canvas->FillRect(Rect(0, 0, kStockSize * 2, kStockSize));
    DrawStockImage(kind, canvas);
    // The disabled image is the painter's own embossing of the up image.
    TBitmap up;
    up.SetPixelFormat(pf32bit);
    up.SetSize(kStockSize, kStockSize);
    BitBlt(up.Canvas()->Handle(), 0, 0, kStockSize, kStockSize, canvas->Handle(), 0, 0, SRCCOPY);
    TButtonGlyph emboss;
    emboss.SetGlyph(&up);
    const HDC dc = canvas->Handle();
    BitBlt(dc, kStockSize, 0, kStockSize, kStockSize, emboss.StateMask(bsDisabled)->Canvas()->Handle(), 0, 0,
           SRCAND);
    BitBlt(dc, kStockSize, 0, kStockSize, kStockSize, emboss.StateImage(bsDisabled)->Canvas()->Handle(), 0, 0,
           SRCPAINT);
}

// ---------------------------------------------------------------------------------------------
// TBitBtn

VCL_DEFINE_CLASS(TBitBtn, TButton)

TBitBtn::TBitBtn(TComponent* owner) : TButton(owner) {
    glyph_.OnChange = [this] { Invalidate(); };
}

TBitBtn::~TBitBtn() {
    glyph_.OnChange = nullptr;
}

TBitBtnKind TBitBtn::Kind() const {
    if (kind_ == bkCustom) return bkCustom;
    if (Default() != IsDefaultKind(kind_) || Cancel() != IsCancelKind(kind_) ||
        ModalResult() != BitBtnModalResult(kind_) || modifiedGlyph_)
        return bkCustom;
    return kind_;
}

void TBitBtn::SetKind(TBitBtnKind value) {
    if (value == Kind()) return;
    if (value != bkCustom) {
        SetDefault(IsDefaultKind(value));
        SetCancel(IsCancelKind(value));
        // A form file may have set its own caption or result before the kind.
        if (!IsLoading() || Caption().empty()) SetCaption(BitBtnCaption(value));
        if (!IsLoading() || ModalResult() == mrNone) SetModalResult(BitBtnModalResult(value));
        LoadStockGlyph(value);
    }
    kind_ = value;
    Invalidate();
}

void TBitBtn::LoadStockGlyph(TBitBtnKind kind) {
    TBitmap strip;
    DrawStockGlyph(kind, strip);
    glyph_.SetGlyph(&strip);
    glyph_.SetNumGlyphs(2);
    modifiedGlyph_ = false;
}

void TBitBtn::SetGlyph(const TBitmap* value) {
    glyph_.SetGlyph(value);
    modifiedGlyph_ = true;
    Invalidate();
}

void TBitBtn::SetLayout(TButtonLayout value) {
    if (layout_ == value) return;
    layout_ = value;
    Invalidate();
}

void TBitBtn::SetMargin(Integer value) {
    if (value < -1) value = -1;
    if (margin_ == value) return;
    margin_ = value;
    Invalidate();
}

void TBitBtn::SetSpacing(Integer value) {
    if (spacing_ == value) return;
    spacing_ = value;
    Invalidate();
}

bool TBitBtn::IsCustomCaption() const {
    return Caption() != BitBtnCaption(Kind());
}

TButtonState TBitBtn::State() const {
    if (!Enabled()) return bsDisabled;
    return Pressed() ? bsDown : bsUp;
}

void TBitBtn::Click() {
    switch (Kind()) {
        case bkClose:
            if (TCustomForm* form = GetParentForm(this)) {
                form->Close();
                return;
            }
            break;
        case bkHelp: {
            TControl* control = this;
            while (control && control->HelpContext() == 0)
                control = control->Parent();
            if (control && Application) {
                Application->HelpContext(control->HelpContext());
                return;
            }
            break;
        }
        default:
            break;
    }
    TButton::Click();
}

void TBitBtn::Paint() {
    TCanvas* canvas = Canvas();
    const HDC dc = canvas->Handle();
    const TButtonState state = State();
    const bool down = state == bsDown;
    const bool framed = ButtonStyle() == BS_DEFPUSHBUTTON || Active();
    TRect rect = ClientRect();
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
        UINT flags = DFCS_BUTTONPUSH | DFCS_ADJUSTRECT;
        if (down) flags |= DFCS_PUSHED;
        DrawFrameControl(dc, &rect, DFC_BUTTON, flags);
    }
    canvas->Font()->Assign(Font());
    const TPoint offset = down ? Point(1, 1) : Point(0, 0);
    glyph_.Draw(canvas, rect, offset, Caption(), layout_, margin_, spacing_, state);
    if (Focused()) {
        TRect focus = ClientRect();
        InflateRect(&focus, -4, -4);
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(clBtnFace);
        SetTextColor(dc, ColorToRGB(clWindowText));
        canvas->DrawFocusRect(focus);
    }
}

namespace {
const bool bitbtnClassesRegistered = [] {
    RegisterClass<TBitBtn>();
    return true;
}();
}  // namespace

}  // namespace vcl
