// Colours, fonts, pens, brushes and the canvas.
#include "vcl/graphics.h"

#include <cstring>

#include "vcl/sysutils.h"

namespace vcl {

using namespace win32;

// ---------------------------------------------------------------------------------------------
// Colours

namespace {

constexpr TIdentMapEntry kColors[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clActiveBorder, "clActiveBorder"},
    {clActiveCaption, "clActiveCaption"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clBackground, "clBackground"},
    {clBtnFace, "clBtnFace"},
    {clBtnHighlight, "clBtnHighlight"},
    {clBtnShadow, "clBtnShadow"},
    {clBtnText, "clBtnText"},
    {clCaptionText, "clCaptionText"},
    {clDefault, "clDefault"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clGrayText, "clGrayText"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clHotLight, "clHotLight"},
    {clInactiveBorder, "clInactiveBorder"},
    {clInactiveCaption, "clInactiveCaption"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clInfoBk, "clInfoBk"},
    {clInfoText, "clInfoText"},
    {clMenu, "clMenu"},
    {clMenuBar, "clMenuBar"},
    {clMenuHighlight, "clMenuHighlight"},
    {clMenuText, "clMenuText"},
    {clNone, "clNone"},
    {clScrollBar, "clScrollBar"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clWindowText, "clWindowText"},
};

constexpr TIdentMapEntry kCharsets[] = {
    {ANSI_CHARSET, "ANSI_CHARSET"},
    {DEFAULT_CHARSET, "DEFAULT_CHARSET"},
    {SYMBOL_CHARSET, "SYMBOL_CHARSET"},
    {MAC_CHARSET, "MAC_CHARSET"},
    {SHIFTJIS_CHARSET, "SHIFTJIS_CHARSET"},
    {HANGEUL_CHARSET, "HANGEUL_CHARSET"},
    {JOHAB_CHARSET, "JOHAB_CHARSET"},
    {GB2312_CHARSET, "GB2312_CHARSET"},
    {CHINESEBIG5_CHARSET, "CHINESEBIG5_CHARSET"},
    {GREEK_CHARSET, "GREEK_CHARSET"},
    {TURKISH_CHARSET, "TURKISH_CHARSET"},
    {VIETNAMESE_CHARSET, "VIETNAMESE_CHARSET"},
    {HEBREW_CHARSET, "HEBREW_CHARSET"},
    {ARABIC_CHARSET, "ARABIC_CHARSET"},
    {BALTIC_CHARSET, "BALTIC_CHARSET"},
    {RUSSIAN_CHARSET, "RUSSIAN_CHARSET"},
    {THAI_CHARSET, "THAI_CHARSET"},
    {EASTEUROPE_CHARSET, "EASTEUROPE_CHARSET"},
    {OEM_CHARSET, "OEM_CHARSET"},
};

bool SameIdent(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (std::tolower(x) != std::tolower(y)) return false;
    }
    return true;
}

}  // namespace

TIdentMap ColorIdents() {
    return kColors;
}
TIdentMap CharsetIdents() {
    return kCharsets;
}

bool ColorToIdent(Integer color, std::string& ident) {
    for (const TIdentMapEntry& e : kColors)
        if (e.value == color) {
            ident = std::string(e.name);
            return true;
        }
    return false;
}

bool IdentToColor(std::string_view ident, Integer& color) {
    for (const TIdentMapEntry& e : kColors)
        if (SameIdent(e.name, ident)) {
            color = e.value;
            return true;
        }
    return false;
}

std::string ColorToString(TColor color) {
    std::string ident;
    if (ColorToIdent(color, ident)) return ident;
    static const char kHex[] = "0123456789ABCDEF";
    std::string out = "$";
    for (int shift = 28; shift >= 0; shift -= 4)
        out += kHex[(static_cast<uint32_t>(color) >> shift) & 15];
    return out;
}

TColor StringToColor(std::string_view text) {
    Integer color;
    if (IdentToColor(text, color)) return color;
    std::string_view digits = text;
    int base = 10;
    if (!digits.empty() && digits.front() == '$') {
        digits.remove_prefix(1);
        base = 16;
    } else if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        digits.remove_prefix(2);
        base = 16;
    }
    bool negative = base == 10 && !digits.empty() && digits.front() == '-';
    if (negative) digits.remove_prefix(1);
    if (digits.empty() || digits.size() > (base == 16 ? 8u : 10u))
        throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
    int64_t value = 0;
    for (char ch : digits) {
        unsigned char c = static_cast<unsigned char>(ch);
        int d = std::isdigit(c)                    ? c - '0'
                : (base == 16 && std::isxdigit(c)) ? std::toupper(c) - 'A' + 10
                                                   : -1;
        if (d < 0) throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
        value = value * base + d;
    }
    if (negative) value = -value;
    if (value > 0xFFFFFFFFLL || value < INT32_MIN)
        throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
    return static_cast<TColor>(static_cast<uint32_t>(value));
}

COLORREF ColorToRGB(TColor color) {
    if (color < 0) return GetSysColor(color & 0xFF);
    return static_cast<COLORREF>(color) & 0x00FFFFFF;
}

// ---------------------------------------------------------------------------------------------
// Graphics objects

VCL_DEFINE_CLASS(TGraphicsObject, TPersistent)

void TGraphicsObject::Changed() {
    if (OnChange) OnChange(this);
}

void TGraphicsObject::ReleasingHandle() const {
    if (OnReleasing) OnReleasing(const_cast<TGraphicsObject*>(this));
}

VCL_DEFINE_CLASS(TFont, TGraphicsObject)

TFont::TFont() = default;
TFont::~TFont() {
    FreeHandle();
}

void TFont::FreeHandle() const {
    if (!handle_) return;
    ReleasingHandle();
    DeleteObject(handle_);
    handle_ = nullptr;
}

HFONT TFont::Handle() const {
    if (!handle_) {
        LOGFONT lf{};
        lf.lfHeight = height_;
        lf.lfWeight = style_.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = style_.Contains(fsItalic);
        lf.lfUnderline = style_.Contains(fsUnderline);
        lf.lfStrikeOut = style_.Contains(fsStrikeOut);
        lf.lfCharSet = charset_;
        lf.lfPitchAndFamily = pitch_ == fpFixed      ? FIXED_PITCH
                              : pitch_ == fpVariable ? VARIABLE_PITCH
                                                     : DEFAULT_PITCH;
        std::strncpy(lf.lfFaceName, name_.c_str(), LF_FACESIZE - 1);
        handle_ = CreateFontIndirect(&lf);
    }
    return handle_;
}

void TFont::SetHandle(HFONT font) {
    LOGFONT lf{};
    if (!font || GetObject(font, sizeof lf, &lf) != static_cast<int>(sizeof lf)) return;
    FreeHandle();
    height_ = lf.lfHeight;
    name_ = lf.lfFaceName;
    charset_ = lf.lfCharSet;
    TFontStyles style;
    if (lf.lfWeight >= FW_BOLD) style.Include(fsBold);
    if (lf.lfItalic) style.Include(fsItalic);
    if (lf.lfUnderline) style.Include(fsUnderline);
    if (lf.lfStrikeOut) style.Include(fsStrikeOut);
    style_ = style;
    BYTE pitch = lf.lfPitchAndFamily & 3;
    pitch_ = pitch == FIXED_PITCH ? fpFixed : pitch == VARIABLE_PITCH ? fpVariable : fpDefault;
    Changed();
}

#define ZYL_FONT_SETTER(Setter, Type, field) \
    void TFont::Setter(Type value) {         \
        if (field == value) return;          \
        field = value;                       \
        FreeHandle();                        \
        Changed();                           \
    }
ZYL_FONT_SETTER(SetCharset, TFontCharset, charset_)
ZYL_FONT_SETTER(SetHeight, Integer, height_)
ZYL_FONT_SETTER(SetName, const std::string&, name_)
ZYL_FONT_SETTER(SetPitch, TFontPitch, pitch_)
ZYL_FONT_SETTER(SetStyle, TFontStyles, style_)
#undef ZYL_FONT_SETTER

void TFont::SetColor(TColor value) {
    if (color_ == value) return;
    color_ = value;
    Changed();
}

Integer TFont::Size() const {
    return -MulDiv(height_, 72, pixelsPerInch_);
}
void TFont::SetSize(Integer value) {
    SetHeight(-MulDiv(value, pixelsPerInch_, 72));
}

void TFont::Assign(const TPersistent* source) {
    if (auto* font = dynamic_cast<const TFont*>(source)) {
        if (font == this) return;
        FreeHandle();
        charset_ = font->charset_;
        color_ = font->color_;
        // The size in points is kept across resolutions.
        height_ = font->pixelsPerInch_ == pixelsPerInch_ ? font->height_
                                                         : -MulDiv(font->Size(), pixelsPerInch_, 72);
        name_ = font->name_;
        pitch_ = font->pitch_;
        style_ = font->style_;
        Changed();
        return;
    }
    TGraphicsObject::Assign(source);
}

int PenModeToRop2(TPenMode mode) {
    static constexpr int kRop2[] = {R2_BLACK,       R2_WHITE,      R2_NOP,         R2_NOT,
                                    R2_COPYPEN,     R2_NOTCOPYPEN, R2_MERGEPENNOT, R2_MASKPENNOT,
                                    R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,    R2_NOTMERGEPEN,
                                    R2_MASKPEN,     R2_NOTMASKPEN, R2_XORPEN,      R2_NOTXORPEN};
    return kRop2[static_cast<size_t>(mode) & 15];
}

VCL_DEFINE_CLASS(TPen, TGraphicsObject)

TPen::TPen() = default;
TPen::~TPen() {
    FreeHandle();
}

void TPen::FreeHandle() const {
    if (!handle_) return;
    ReleasingHandle();
    DeleteObject(handle_);
    handle_ = nullptr;
}

HPEN TPen::Handle() const {
    if (!handle_) {
        static constexpr UINT kStyles[] = {PS_SOLID,      PS_DASH, PS_DOT,        PS_DASHDOT,
                                           PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
        handle_ =
            CreatePen(static_cast<int>(kStyles[static_cast<size_t>(style_)]), width_, ColorToRGB(color_));
    }
    return handle_;
}

void TPen::SetColor(TColor value) {
    if (color_ == value) return;
    color_ = value;
    FreeHandle();
    Changed();
}
void TPen::SetMode(TPenMode value) {
    if (mode_ == value) return;
    mode_ = value;
    Changed();
}
void TPen::SetStyle(TPenStyle value) {
    if (style_ == value) return;
    style_ = value;
    FreeHandle();
    Changed();
}
void TPen::SetWidth(Integer value) {
    if (value < 0 || width_ == value) return;
    width_ = value;
    FreeHandle();
    Changed();
}

void TPen::Assign(const TPersistent* source) {
    if (auto* pen = dynamic_cast<const TPen*>(source)) {
        if (pen == this) return;
        FreeHandle();
        color_ = pen->color_;
        mode_ = pen->mode_;
        style_ = pen->style_;
        width_ = pen->width_;
        Changed();
        return;
    }
    TGraphicsObject::Assign(source);
}

VCL_DEFINE_CLASS(TBrush, TGraphicsObject)

TBrush::TBrush() = default;
TBrush::~TBrush() {
    FreeHandle();
}

void TBrush::FreeHandle() const {
    if (!handle_) return;
    ReleasingHandle();
    DeleteObject(handle_);
    handle_ = nullptr;
}

HBRUSH TBrush::Handle() const {
    if (!handle_) {
        if (bitmap_ && !bitmap_->Empty()) {
            handle_ = CreatePatternBrush(bitmap_->Handle());
        } else if (style_ == bsSolid) {
            handle_ = CreateSolidBrush(ColorToRGB(color_));
        } else if (style_ == bsClear) {
            LOGBRUSH lb{BS_NULL, 0, 0};
            handle_ = CreateBrushIndirect(&lb);
        } else {
            handle_ = CreateHatchBrush(static_cast<int>(style_) - static_cast<int>(bsHorizontal),
                                       ColorToRGB(color_));
        }
    }
    return handle_;
}

void TBrush::SetBitmap(TBitmap* value) {
    bitmap_ = value;
    FreeHandle();
    Changed();
}
void TBrush::SetColor(TColor value) {
    if (color_ == value) return;
    color_ = value;
    if (style_ == bsClear) style_ = bsSolid;
    FreeHandle();
    Changed();
}
void TBrush::SetStyle(TBrushStyle value) {
    if (style_ == value) return;
    style_ = value;
    FreeHandle();
    Changed();
}

void TBrush::Assign(const TPersistent* source) {
    if (auto* brush = dynamic_cast<const TBrush*>(source)) {
        if (brush == this) return;
        FreeHandle();
        color_ = brush->color_;
        style_ = brush->style_;
        bitmap_ = brush->bitmap_;
        Changed();
        return;
    }
    TGraphicsObject::Assign(source);
}

// ---------------------------------------------------------------------------------------------
// Canvas

VCL_DEFINE_CLASS(TCanvas, TPersistent)

TCanvas::TCanvas()
    : font_(std::make_unique<TFont>()), pen_(std::make_unique<TPen>()), brush_(std::make_unique<TBrush>()) {
    for (TGraphicsObject* o :
         {static_cast<TGraphicsObject*>(font_.get()), static_cast<TGraphicsObject*>(pen_.get()),
          static_cast<TGraphicsObject*>(brush_.get())}) {
        o->SetOwner(this);
        o->OnChange = [this](TObject* sender) { ObjectChanged(sender); };
        o->OnReleasing = [this](TObject* sender) { ObjectReleasing(sender); };
    }
}

TCanvas::~TCanvas() {
    DeselectHandles();
    font_->OnReleasing = pen_->OnReleasing = brush_->OnReleasing = nullptr;
}

void TCanvas::ObjectChanged(TObject* sender) {
    if (sender == font_.get()) state_ &= ~csFontValid;
    if (sender == pen_.get()) state_ &= ~csPenValid;
    if (sender == brush_.get()) state_ &= ~csBrushValid;
}

HDC TCanvas::Handle() {
    if (!dc_) CreateHandle();
    return dc_;
}

void TCanvas::SetHandle(HDC dc) {
    if (dc_ == dc) return;
    DeselectHandles();
    dc_ = dc;
    state_ = dc ? csHandleValid : 0;
}

void TCanvas::DeselectHandles() {
    if (dc_) {
        if (oldPen_) SelectObject(dc_, oldPen_);
        if (oldBrush_) SelectObject(dc_, oldBrush_);
        if (oldFont_) SelectObject(dc_, oldFont_);
    }
    oldPen_ = oldBrush_ = oldFont_ = nullptr;
    state_ &= csHandleValid;
}

void TCanvas::ObjectReleasing(TObject* sender) {
    auto restore = [this](HGDIOBJ& old, uint8_t valid) {
        if (dc_ && old) SelectObject(dc_, old);
        old = nullptr;
        state_ &= ~valid;
    };
    if (sender == font_.get()) restore(oldFont_, csFontValid);
    if (sender == pen_.get()) restore(oldPen_, csPenValid);
    if (sender == brush_.get()) restore(oldBrush_, csBrushValid);
}

void TCanvas::Refresh() {
    DeselectHandles();
}

void TCanvas::RequiredState(uint8_t state) {
    if (!dc_) {
        CreateHandle();
        if (!dc_) throw EInvalidOperation("Canvas does not allow drawing");
        state_ |= csHandleValid;
    }
    if ((state & csFontValid) && !(state_ & csFontValid)) {
        HGDIOBJ old = SelectObject(dc_, font_->Handle());
        if (!oldFont_) oldFont_ = old;
        SetTextColor(dc_, ColorToRGB(font_->Color()));
        state_ |= csFontValid;
    }
    if ((state & csPenValid) && !(state_ & csPenValid)) {
        HGDIOBJ old = SelectObject(dc_, pen_->Handle());
        if (!oldPen_) oldPen_ = old;
        SetROP2(dc_, PenModeToRop2(pen_->Mode()));
        state_ |= csPenValid;
    }
    if ((state & csBrushValid) && !(state_ & csBrushValid)) {
        HGDIOBJ old = SelectObject(dc_, brush_->Handle());
        if (!oldBrush_) oldBrush_ = old;
        SetBkColor(dc_, ColorToRGB(brush_->Color()));
        SetBkMode(dc_, brush_->Style() == bsSolid ? OPAQUE : TRANSPARENT);
        state_ |= csBrushValid;
    }
}

void TCanvas::Changing() {
    if (OnChanging) OnChanging(this);
}
void TCanvas::Changed() {
    if (OnChange) OnChange(this);
}

void TCanvas::SetPenPos(TPoint value) {
    MoveTo(value.x, value.y);
}

TRect TCanvas::ClipRect() {
    RequiredState(csHandleValid);
    RECT r{};
    GetClipBox(dc_, &r);
    return r;
}

void TCanvas::Arc(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3, Integer x4,
                  Integer y4) {
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    win32::Arc(dc_, x1, y1, x2, y2, x3, y3, x4, y4);
    Changed();
}
void TCanvas::Chord(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3, Integer x4,
                    Integer y4) {
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    win32::Chord(dc_, x1, y1, x2, y2, x3, y3, x4, y4);
    Changed();
}
void TCanvas::Pie(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3, Integer x4,
                  Integer y4) {
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    win32::Pie(dc_, x1, y1, x2, y2, x3, y3, x4, y4);
    Changed();
}
void TCanvas::Ellipse(Integer x1, Integer y1, Integer x2, Integer y2) {
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    win32::Ellipse(dc_, x1, y1, x2, y2);
    Changed();
}
void TCanvas::Rectangle(Integer x1, Integer y1, Integer x2, Integer y2) {
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    win32::Rectangle(dc_, x1, y1, x2, y2);
    Changed();
}
void TCanvas::RoundRect(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3) {
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    win32::RoundRect(dc_, x1, y1, x2, y2, x3, y3);
    Changed();
}
void TCanvas::FillRect(const TRect& rect) {
    Changing();
    RequiredState(csHandleValid | csBrushValid);
    win32::FillRect(dc_, &rect, brush_->Handle());
    Changed();
}
void TCanvas::FrameRect(const TRect& rect) {
    Changing();
    RequiredState(csHandleValid | csBrushValid);
    win32::FrameRect(dc_, &rect, brush_->Handle());
    Changed();
}
void TCanvas::DrawFocusRect(const TRect& rect) {
    Changing();
    RequiredState(csHandleValid | csBrushValid);
    win32::DrawFocusRect(dc_, &rect);
    Changed();
}
void TCanvas::FloodFill(Integer x, Integer y, TColor color, TFillStyle style) {
    Changing();
    RequiredState(csHandleValid | csBrushValid);
    ExtFloodFill(dc_, x, y, ColorToRGB(color),
                 style == TFillStyle::fsSurface ? FLOODFILLSURFACE : FLOODFILLBORDER);
    Changed();
}
void TCanvas::MoveTo(Integer x, Integer y) {
    RequiredState(csHandleValid);
    MoveToEx(dc_, x, y, nullptr);
    penPos_ = TPoint{x, y};
}
void TCanvas::LineTo(Integer x, Integer y) {
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    win32::LineTo(dc_, x, y);
    penPos_ = TPoint{x, y};
    Changed();
}
void TCanvas::Polygon(std::span<const TPoint> points) {
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    win32::Polygon(dc_, points.data(), static_cast<int>(points.size()));
    Changed();
}
void TCanvas::Polyline(std::span<const TPoint> points) {
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    win32::Polyline(dc_, points.data(), static_cast<int>(points.size()));
    Changed();
}

void TCanvas::Draw(Integer x, Integer y, TGraphic* graphic) {
    if (!graphic || graphic->Empty()) return;
    Changing();
    RequiredState(csHandleValid);
    graphic->Draw(*this, Bounds(x, y, graphic->Width(), graphic->Height()));
    Changed();
}

void TCanvas::StretchDraw(const TRect& rect, TGraphic* graphic) {
    if (!graphic || graphic->Empty()) return;
    Changing();
    RequiredState(csHandleValid);
    graphic->Draw(*this, rect);
    Changed();
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* canvas, const TRect& source) {
    if (!canvas) return;
    Changing();
    RequiredState(csHandleValid | csFontValid | csBrushValid);
    canvas->RequiredState(csHandleValid | csBrushValid);
    StretchBlt(dc_, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, canvas->dc_,
               source.left, source.top, source.right - source.left, source.bottom - source.top,
               static_cast<DWORD>(copyMode_));
    Changed();
}

void TCanvas::BrushCopy(const TRect& dest, TBitmap* bitmap, const TRect& source, TColor color) {
    if (!bitmap || bitmap->Empty()) return;
    Changing();
    RequiredState(csHandleValid | csBrushValid);
    int w = dest.right - dest.left, h = dest.bottom - dest.top;
    int sw = source.right - source.left, sh = source.bottom - source.top;
    HDC src = bitmap->Context();
    // A mask that is white where the bitmap has `color`.
    HDC maskDC = CreateCompatibleDC(nullptr);
    HBITMAP mask = CreateBitmap(sw, sh, 1, 1, nullptr);
    HGDIOBJ oldMask = SelectObject(maskDC, mask);
    COLORREF oldBk = SetBkColor(src, ColorToRGB(color));
    BitBlt(maskDC, 0, 0, sw, sh, src, source.left, source.top, SRCCOPY);
    SetBkColor(src, oldBk);
    // The bitmap where the mask is black, the brush where it is white.
    COLORREF oldText = SetTextColor(dc_, RGB(0, 0, 0));
    COLORREF oldDestBk = SetBkColor(dc_, RGB(255, 255, 255));
    StretchBlt(dc_, dest.left, dest.top, w, h, src, source.left, source.top, sw, sh, SRCCOPY);
    StretchBlt(dc_, dest.left, dest.top, w, h, maskDC, 0, 0, sw, sh, 0x00E20746);
    SetTextColor(dc_, oldText);
    SetBkColor(dc_, oldDestBk);
    SelectObject(maskDC, oldMask);
    DeleteObject(mask);
    DeleteDC(maskDC);
    Changed();
}

TColor TCanvas::Pixels(Integer x, Integer y) {
    RequiredState(csHandleValid);
    COLORREF c = GetPixel(dc_, x, y);
    return c == CLR_INVALID ? static_cast<TColor>(-1) : static_cast<TColor>(c);
}

void TCanvas::SetPixels(Integer x, Integer y, TColor color) {
    Changing();
    RequiredState(csHandleValid | csPenValid);
    SetPixel(dc_, x, y, ColorToRGB(color));
    Changed();
}

void TCanvas::TextOut(Integer x, Integer y, const std::string& text) {
    Changing();
    RequiredState(csHandleValid | csFontValid | csBrushValid);
    ExtTextOut(dc_, x, y, 0, nullptr, text.data(), static_cast<UINT>(text.size()), nullptr);
    SIZE extent{};
    GetTextExtentPoint32(dc_, text.data(), static_cast<int>(text.size()), &extent);
    MoveTo(x + extent.cx, y);
    Changed();
}

void TCanvas::TextRect(const TRect& rect, Integer x, Integer y, const std::string& text) {
    Changing();
    RequiredState(csHandleValid | csFontValid | csBrushValid);
    UINT options = ETO_CLIPPED | (brush_->Style() != bsClear ? ETO_OPAQUE : 0);
    ExtTextOut(dc_, x, y, options, &rect, text.data(), static_cast<UINT>(text.size()), nullptr);
    Changed();
}

TSize TCanvas::TextExtent(const std::string& text) {
    RequiredState(csHandleValid | csFontValid);
    SIZE size{0, 0};
    GetTextExtentPoint32(dc_, text.data(), static_cast<int>(text.size()), &size);
    return size;
}

void TCanvas::Lock() {
    mutex_.lock();
    ++lockCount_;
}

void TCanvas::Unlock() {
    --lockCount_;
    mutex_.unlock();
}

bool TCanvas::TryLock() {
    if (!mutex_.try_lock()) return false;
    ++lockCount_;
    return true;
}

void Frame3D(TCanvas* canvas, TRect& rect, TColor topColor, TColor bottomColor, Integer width) {
    if (!canvas) return;
    canvas->Pen()->SetWidth(1);
    --rect.bottom;
    --rect.right;
    while (width-- > 0) {
        // Top and left first; the bottom-right pass owns the two far corners.
        canvas->Pen()->SetColor(topColor);
        TPoint topLeftPath[3] = {{rect.left, rect.bottom}, {rect.left, rect.top}, {rect.right, rect.top}};
        canvas->Polyline(topLeftPath);
        canvas->Pen()->SetColor(bottomColor);
        TPoint bottomRightPath[3] = {
            {rect.right, rect.top}, {rect.right, rect.bottom}, {rect.left - 1, rect.bottom}};
        canvas->Polyline(bottomRightPath);
        InflateRect(&rect, -1, -1);
    }
    ++rect.bottom;
    ++rect.right;
}

}  // namespace vcl
