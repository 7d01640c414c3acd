// The graphics unit: colours, fonts, pens, brushes, the canvas, bitmaps, icons and pictures.
#pragma once

#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>

#include "vcl/objects.h"
#include "vcl/streams.h"
#include "vcl/sysutils.h"
#include "win32/gdi.h"

namespace vcl {

// ---------------------------------------------------------------------------------------------
// Geometry

using TRect = win32::RECT;
using TPoint = win32::POINT;
using TSize = win32::SIZE;

constexpr TRect Rect(Integer left, Integer top, Integer right, Integer bottom) {
    return TRect{left, top, right, bottom};
}
constexpr TRect Bounds(Integer left, Integer top, Integer width, Integer height) {
    return TRect{left, top, left + width, top + height};
}
// `r` moved by (dx, dy).
constexpr TRect Moved(TRect r, Integer dx, Integer dy) {
    return TRect{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}
constexpr TPoint Point(Integer x, Integer y) {
    return TPoint{x, y};
}

// ---------------------------------------------------------------------------------------------
// Colours

using TColor = int32_t;

inline constexpr TColor clSystemColor = static_cast<TColor>(0x80000000u);
inline constexpr TColor clScrollBar = clSystemColor | win32::COLOR_SCROLLBAR;
inline constexpr TColor clBackground = clSystemColor | win32::COLOR_BACKGROUND;
inline constexpr TColor clActiveCaption = clSystemColor | win32::COLOR_ACTIVECAPTION;
inline constexpr TColor clInactiveCaption = clSystemColor | win32::COLOR_INACTIVECAPTION;
inline constexpr TColor clMenu = clSystemColor | win32::COLOR_MENU;
inline constexpr TColor clWindow = clSystemColor | win32::COLOR_WINDOW;
inline constexpr TColor clWindowFrame = clSystemColor | win32::COLOR_WINDOWFRAME;
inline constexpr TColor clMenuText = clSystemColor | win32::COLOR_MENUTEXT;
inline constexpr TColor clWindowText = clSystemColor | win32::COLOR_WINDOWTEXT;
inline constexpr TColor clCaptionText = clSystemColor | win32::COLOR_CAPTIONTEXT;
inline constexpr TColor clActiveBorder = clSystemColor | win32::COLOR_ACTIVEBORDER;
inline constexpr TColor clInactiveBorder = clSystemColor | win32::COLOR_INACTIVEBORDER;
inline constexpr TColor clAppWorkSpace = clSystemColor | win32::COLOR_APPWORKSPACE;
inline constexpr TColor clHighlight = clSystemColor | win32::COLOR_HIGHLIGHT;
inline constexpr TColor clHighlightText = clSystemColor | win32::COLOR_HIGHLIGHTTEXT;
inline constexpr TColor clBtnFace = clSystemColor | win32::COLOR_BTNFACE;
inline constexpr TColor clBtnShadow = clSystemColor | win32::COLOR_BTNSHADOW;
inline constexpr TColor clGrayText = clSystemColor | win32::COLOR_GRAYTEXT;
inline constexpr TColor clBtnText = clSystemColor | win32::COLOR_BTNTEXT;
inline constexpr TColor clInactiveCaptionText = clSystemColor | win32::COLOR_INACTIVECAPTIONTEXT;
inline constexpr TColor clBtnHighlight = clSystemColor | win32::COLOR_BTNHIGHLIGHT;
inline constexpr TColor cl3DDkShadow = clSystemColor | win32::COLOR_3DDKSHADOW;
inline constexpr TColor cl3DLight = clSystemColor | win32::COLOR_3DLIGHT;
inline constexpr TColor clInfoText = clSystemColor | win32::COLOR_INFOTEXT;
inline constexpr TColor clInfoBk = clSystemColor | win32::COLOR_INFOBK;
inline constexpr TColor clHotLight = clSystemColor | win32::COLOR_HOTLIGHT;
inline constexpr TColor clGradientActiveCaption = clSystemColor | win32::COLOR_GRADIENTACTIVECAPTION;
inline constexpr TColor clGradientInactiveCaption = clSystemColor | win32::COLOR_GRADIENTINACTIVECAPTION;
inline constexpr TColor clMenuHighlight = clSystemColor | win32::COLOR_MENUHILIGHT;
inline constexpr TColor clMenuBar = clSystemColor | win32::COLOR_MENUBAR;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clLtGray = 0xC0C0C0;
inline constexpr TColor clDkGray = 0x808080;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clMoneyGreen = 0xC0DCC0;
inline constexpr TColor clSkyBlue = 0xF0CAA6;
inline constexpr TColor clCream = 0xF0FBFF;
inline constexpr TColor clMedGray = 0xA4A0A0;
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;

// Names ("clRed") or "$00BBGGRR" hex; StringToColor raises EConvertError for anything else.
std::string ColorToString(TColor color);
TColor StringToColor(std::string_view text);
bool ColorToIdent(Integer color, std::string& ident);
bool IdentToColor(std::string_view ident, Integer& color);
// For published colour properties: p.Property("Color", ...).Idents(ColorIdents()).
TIdentMap ColorIdents();
// System colours through GetSysColor; clNone and clDefault pass through their low bits.
win32::COLORREF ColorToRGB(TColor color);

// Character sets of fonts are written by name.
TIdentMap CharsetIdents();

// ---------------------------------------------------------------------------------------------
// Graphics objects

class TGraphicsObject : public TPersistent {
    VCL_DECLARE_CLASS(TGraphicsObject, TPersistent)
public:
    TNotifyEvent OnChange;
    // Heard just before the object deletes its handle, which may still be selected into a device
    // context: a canvas takes it out then, since a selected object cannot be deleted.
    TNotifyEvent OnReleasing;
    // The object this one belongs to (a control or canvas), for name paths.
    TPersistent* GetOwner() const override { return owner_; }
    void SetOwner(TPersistent* owner) { owner_ = owner; }
    virtual void Changed();

protected:
    void ReleasingHandle() const;

private:
    TPersistent* owner_ = nullptr;
};

enum class TFontStyle : uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };
VCL_ENUM_NAMES(TFontStyle, "fsBold", "fsItalic", "fsUnderline", "fsStrikeOut")
using TFontStyles = Set<TFontStyle>;
using enum TFontStyle;

enum class TFontPitch : uint8_t { fpDefault, fpVariable, fpFixed };
VCL_ENUM_NAMES(TFontPitch, "fpDefault", "fpVariable", "fpFixed")
using enum TFontPitch;

using TFontCharset = Byte;

class TFont : public TGraphicsObject {
    VCL_DECLARE_CLASS(TFont, TGraphicsObject)
public:
    TFont();
    ~TFont() override;

    // Created on demand from the properties; owned by the font.
    win32::HFONT Handle() const;
    // Takes over the values of a font handle (the handle stays the caller's).
    void SetHandle(win32::HFONT font);

    TFontCharset Charset() const { return charset_; }
    void SetCharset(TFontCharset value);
    TColor Color() const { return color_; }
    void SetColor(TColor value);
    Integer Height() const { return height_; }
    void SetHeight(Integer value);
    const std::string& Name() const { return name_; }
    void SetName(const std::string& value);
    TFontPitch Pitch() const { return pitch_; }
    void SetPitch(TFontPitch value);
    // Points: -Height * 72 / PixelsPerInch, rounded as MulDiv does.
    Integer Size() const;
    void SetSize(Integer value);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles value);
    Integer PixelsPerInch() const { return pixelsPerInch_; }
    void SetPixelsPerInch(Integer value) { pixelsPerInch_ = value; }

    void Assign(const TPersistent* source) override;

    static void Publish(Published<TFont>& p) {
        p.Property("Charset", &TFont::Charset, &TFont::SetCharset).Idents(CharsetIdents());
        p.Property("Color", &TFont::Color, &TFont::SetColor).Idents(ColorIdents());
        p.Property("Height", &TFont::Height, &TFont::SetHeight);
        p.Property("Name", &TFont::Name, &TFont::SetName);
        p.Property("Pitch", &TFont::Pitch, &TFont::SetPitch, fpDefault);
        p.Property("Size", &TFont::Size, &TFont::SetSize).Stored(false);
        p.Property("Style", &TFont::Style, &TFont::SetStyle);
    }

private:
    void FreeHandle() const;

    TFontCharset charset_ = win32::DEFAULT_CHARSET;
    TColor color_ = clWindowText;
    Integer height_ = -11;
    std::string name_ = "MS Sans Serif";
    TFontPitch pitch_ = fpDefault;
    TFontStyles style_;
    Integer pixelsPerInch_ = 96;
    mutable win32::HFONT handle_ = nullptr;
};

enum class TPenStyle : uint8_t { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
VCL_ENUM_NAMES(TPenStyle, "psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear",
               "psInsideFrame")
using enum TPenStyle;

enum class TPenMode : uint8_t {
    pmBlack,
    pmWhite,
    pmNop,
    pmNot,
    pmCopy,
    pmNotCopy,
    pmMergePenNot,
    pmMaskPenNot,
    pmMergeNotPen,
    pmMaskNotPen,
    pmMerge,
    pmNotMerge,
    pmMask,
    pmNotMask,
    pmXor,
    pmNotXor
};
VCL_ENUM_NAMES(TPenMode, "pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy", "pmMergePenNot",
               "pmMaskPenNot", "pmMergeNotPen", "pmMaskNotPen", "pmMerge", "pmNotMerge", "pmMask",
               "pmNotMask", "pmXor", "pmNotXor")
using enum TPenMode;
// The R2_ mix mode of a pen mode.
int PenModeToRop2(TPenMode mode);

class TPen : public TGraphicsObject {
    VCL_DECLARE_CLASS(TPen, TGraphicsObject)
public:
    TPen();
    ~TPen() override;

    win32::HPEN Handle() const;
    TColor Color() const { return color_; }
    void SetColor(TColor value);
    TPenMode Mode() const { return mode_; }
    void SetMode(TPenMode value);
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle value);
    Integer Width() const { return width_; }
    void SetWidth(Integer value);

    void Assign(const TPersistent* source) override;

    static void Publish(Published<TPen>& p) {
        p.Property("Color", &TPen::Color, &TPen::SetColor, clBlack).Idents(ColorIdents());
        p.Property("Mode", &TPen::Mode, &TPen::SetMode, pmCopy);
        p.Property("Style", &TPen::Style, &TPen::SetStyle, psSolid);
        p.Property("Width", &TPen::Width, &TPen::SetWidth, 1);
    }

private:
    void FreeHandle() const;

    TColor color_ = clBlack;
    TPenMode mode_ = pmCopy;
    TPenStyle style_ = psSolid;
    Integer width_ = 1;
    mutable win32::HPEN handle_ = nullptr;
};

enum class TBrushStyle : uint8_t {
    bsSolid,
    bsClear,
    bsHorizontal,
    bsVertical,
    bsFDiagonal,
    bsBDiagonal,
    bsCross,
    bsDiagCross
};
VCL_ENUM_NAMES(TBrushStyle, "bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal", "bsBDiagonal",
               "bsCross", "bsDiagCross")
using enum TBrushStyle;

class TBitmap;

class TBrush : public TGraphicsObject {
    VCL_DECLARE_CLASS(TBrush, TGraphicsObject)
public:
    TBrush();
    ~TBrush() override;

    win32::HBRUSH Handle() const;
    // A pattern bitmap (not owned; the brush copies its pixels when the handle is made).
    TBitmap* Bitmap() const { return bitmap_; }
    void SetBitmap(TBitmap* value);
    TColor Color() const { return color_; }
    void SetColor(TColor value);
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle value);

    void Assign(const TPersistent* source) override;

    static void Publish(Published<TBrush>& p) {
        p.Property("Color", &TBrush::Color, &TBrush::SetColor, clWhite).Idents(ColorIdents());
        p.Property("Style", &TBrush::Style, &TBrush::SetStyle, bsSolid);
    }

private:
    void FreeHandle() const;

    TColor color_ = clWhite;
    TBrushStyle style_ = bsSolid;
    TBitmap* bitmap_ = nullptr;
    mutable win32::HBRUSH handle_ = nullptr;
};

// ---------------------------------------------------------------------------------------------
// Measuring text without a window

// Measures text in one font on a memory DC of its own, so that no window or canvas is needed.
class TextMeasure {
public:
    explicit TextMeasure(const TFont* font);
    ~TextMeasure();
    TextMeasure(const TextMeasure&) = delete;
    TextMeasure& operator=(const TextMeasure&) = delete;

    TSize Extent(std::string_view text) const;  // as GetTextExtentPoint32: the empty text is 0 wide
    Integer Width(std::string_view text) const { return Extent(text).cx; }
    Integer Height() const { return Metrics().tmHeight; }  // the font's cell height
    win32::TEXTMETRIC Metrics() const;
    // The rectangle DrawText would fill with DT_CALCRECT added to `flags`.
    TRect TextRect(std::string_view text, TRect bounds, win32::UINT flags) const;

private:
    win32::HDC dc_;
    win32::HGDIOBJ previousFont_ = nullptr;
};

// ---------------------------------------------------------------------------------------------
// Canvas

class TGraphic;

enum class TFillStyle : uint8_t { fsSurface, fsBorder };
VCL_ENUM_NAMES(TFillStyle, "fsSurface", "fsBorder")

using TCopyMode = Integer;

class TCanvas : public TPersistent {
    VCL_DECLARE_CLASS(TCanvas, TPersistent)
public:
    TCanvas();
    ~TCanvas() override;

    // The DC drawn on; canvases of bitmaps and controls make theirs on demand (CreateHandle).
    win32::HDC Handle();
    void SetHandle(win32::HDC dc);
    bool HandleAllocated() const { return dc_ != nullptr; }

    TFont* Font() const { return font_.get(); }
    void SetFont(const TFont* value) { font_->Assign(value); }
    TPen* Pen() const { return pen_.get(); }
    void SetPen(const TPen* value) { pen_->Assign(value); }
    TBrush* Brush() const { return brush_.get(); }
    void SetBrush(const TBrush* value) { brush_->Assign(value); }
    TPoint PenPos() const { return penPos_; }
    void SetPenPos(TPoint value);
    TCopyMode CopyMode() const { return copyMode_; }
    void SetCopyMode(TCopyMode value) { copyMode_ = value; }
    TRect ClipRect();

    void Arc(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3, Integer x4, Integer y4);
    void Chord(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3, Integer x4,
               Integer y4);
    void Pie(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3, Integer x4, Integer y4);
    void Ellipse(Integer x1, Integer y1, Integer x2, Integer y2);
    void Ellipse(const TRect& rect) { Ellipse(rect.left, rect.top, rect.right, rect.bottom); }
    void Rectangle(Integer x1, Integer y1, Integer x2, Integer y2);
    void Rectangle(const TRect& rect) { Rectangle(rect.left, rect.top, rect.right, rect.bottom); }
    void RoundRect(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3);
    void FillRect(const TRect& rect);
    void FrameRect(const TRect& rect);
    void DrawFocusRect(const TRect& rect);
    void FloodFill(Integer x, Integer y, TColor color, TFillStyle style);
    void MoveTo(Integer x, Integer y);
    void LineTo(Integer x, Integer y);
    void Polygon(std::span<const TPoint> points);
    void Polyline(std::span<const TPoint> points);
    void Draw(Integer x, Integer y, TGraphic* graphic);
    void StretchDraw(const TRect& rect, TGraphic* graphic);
    void CopyRect(const TRect& dest, TCanvas* canvas, const TRect& source);
    // Copies `source` of the bitmap, drawing pixels of `color` in the brush instead.
    void BrushCopy(const TRect& dest, TBitmap* bitmap, const TRect& source, TColor color);
    TColor Pixels(Integer x, Integer y);
    void SetPixels(Integer x, Integer y, TColor color);

    void TextOut(Integer x, Integer y, const std::string& text);
    void TextRect(const TRect& rect, Integer x, Integer y, const std::string& text);
    TSize TextExtent(const std::string& text);
    Integer TextWidth(const std::string& text) { return TextExtent(text).cx; }
    Integer TextHeight(const std::string& text) { return TextExtent(text).cy; }
    // Drops the selected objects so that the next drawing call selects them afresh.
    void Refresh();

    // Canvases shared between threads are locked around drawing.
    void Lock();
    void Unlock();
    bool TryLock();
    Integer LockCount() const { return lockCount_; }

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    virtual void CreateHandle() {}
    virtual void Changing();
    virtual void Changed();
    // Selects what the next call needs; the brush, pen and font are reselected after they change.
    enum State : uint8_t { csHandleValid = 1, csFontValid = 2, csPenValid = 4, csBrushValid = 8 };
    void RequiredState(uint8_t state);
    void DeselectHandles();

private:
    void ObjectChanged(TObject* sender);
    // Selects the device context's own object back in place of `sender`'s handle.
    void ObjectReleasing(TObject* sender);

    win32::HDC dc_ = nullptr;
    uint8_t state_ = 0;
    std::unique_ptr<TFont> font_;
    std::unique_ptr<TPen> pen_;
    std::unique_ptr<TBrush> brush_;
    TPoint penPos_{0, 0};
    TCopyMode copyMode_ = win32::SRCCOPY;
    std::recursive_mutex mutex_;
    Integer lockCount_ = 0;
    win32::HGDIOBJ oldPen_ = nullptr, oldBrush_ = nullptr, oldFont_ = nullptr;
};

// Points a canvas at a device context for one paint: locks the canvas and sets its handle, and undoes
// both when the scope ends, also when painting throws.
class TCanvasPaintScope {
public:
    TCanvasPaintScope(TCanvas* canvas, win32::HDC dc) : canvas_(canvas) {
        canvas_->Lock();
        canvas_->SetHandle(dc);
    }
    ~TCanvasPaintScope() {
        canvas_->SetHandle(nullptr);
        canvas_->Unlock();
    }
    TCanvasPaintScope(const TCanvasPaintScope&) = delete;
    TCanvasPaintScope& operator=(const TCanvasPaintScope&) = delete;

private:
    TCanvas* canvas_;
};

// Draws `width` rings of a three-dimensional frame and shrinks `rect` to what lies inside.
void Frame3D(TCanvas* canvas, TRect& rect, TColor topColor, TColor bottomColor, Integer width);

// ---------------------------------------------------------------------------------------------
// Graphics

VCL_DECLARE_EXCEPTION(EInvalidGraphic, Exception)
VCL_DECLARE_EXCEPTION(EInvalidGraphicOperation, Exception)

class TGraphic : public TPersistent {
    VCL_DECLARE_CLASS(TGraphic, TPersistent)
public:
    virtual Integer Width() const = 0;
    virtual void SetWidth(Integer value) = 0;
    virtual Integer Height() const = 0;
    virtual void SetHeight(Integer value) = 0;
    virtual bool Empty() const = 0;
    bool Transparent() const { return transparent_; }
    virtual void SetTransparent(bool value);
    bool Modified() const { return modified_; }
    void SetModified(bool value);

    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName);
    virtual void LoadFromStream(TStream& stream) = 0;
    virtual void SaveToStream(TStream& stream) = 0;
    // Draws the graphic stretched into `rect` on the canvas.
    virtual void Draw(TCanvas& canvas, const TRect& rect) = 0;
    // The graphic inside a form file's binary data (pictures, bitmap properties).
    virtual void ReadData(TStream& stream) { LoadFromStream(stream); }
    virtual void WriteData(TStream& stream) { SaveToStream(stream); }

    TNotifyEvent OnChange;

protected:
    virtual void Changed();
    bool transparent_ = false;
    bool modified_ = false;
};

enum class TPixelFormat : uint8_t {
    pfDevice,
    pf1bit,
    pf4bit,
    pf8bit,
    pf15bit,
    pf16bit,
    pf24bit,
    pf32bit,
    pfCustom
};
VCL_ENUM_NAMES(TPixelFormat, "pfDevice", "pf1bit", "pf4bit", "pf8bit", "pf15bit", "pf16bit", "pf24bit",
               "pf32bit", "pfCustom")
using enum TPixelFormat;

enum class TTransparentMode : uint8_t { tmAuto, tmFixed };
VCL_ENUM_NAMES(TTransparentMode, "tmAuto", "tmFixed")
using enum TTransparentMode;

class TBitmapCanvas;

// Pixels are kept as a top-down DIB of 1 bit (pf1bit, Monochrome), 3 bytes (pf24bit) or 4 bytes (every
// other format: B, G, R, unused), and ScanLine rows have that layout; PixelFormat decides the depth
// written to files.
class TBitmap : public TGraphic {
    VCL_DECLARE_CLASS(TBitmap, TGraphic)
public:
    TBitmap();
    ~TBitmap() override;

    Integer Width() const override { return width_; }
    void SetWidth(Integer value) override { SetSize(value, height_); }
    Integer Height() const override { return height_; }
    void SetHeight(Integer value) override { SetSize(width_, value); }
    // Keeps the pixels that still fit; new pixels are white. Raises EOutOfResources when too large.
    void SetSize(Integer width, Integer height);
    bool Empty() const override { return width_ == 0 || height_ == 0; }

    TCanvas* Canvas();
    win32::HBITMAP Handle();
    // Takes ownership of a bitmap handle.
    void SetHandle(win32::HBITMAP bitmap);
    // Gives the handle away; the bitmap becomes empty.
    win32::HBITMAP ReleaseHandle();
    bool HandleAllocated() const { return handle_ != nullptr; }
    // A monochrome mask: 1 (white) where the pixel is the transparent colour.
    win32::HBITMAP MaskHandle();
    // Turns the bitmap into its own mask for `transparentColor`.
    void Mask(TColor transparentColor);
    TPixelFormat PixelFormat() const { return pixelFormat_; }
    void SetPixelFormat(TPixelFormat value);
    bool Monochrome() const { return pixelFormat_ == pf1bit; }
    void SetMonochrome(bool value) { SetPixelFormat(value ? pf1bit : pfDevice); }
    // The bottom-left pixel unless TransparentMode is tmFixed.
    TColor TransparentColor();
    void SetTransparentColor(TColor value);
    TTransparentMode TransparentMode() const { return transparentMode_; }
    void SetTransparentMode(TTransparentMode value);
    // Row `row` of the pixels; raises EInvalidGraphicOperation outside the bitmap.
    void* ScanLine(Integer row);
    void Dormant();
    void FreeImage() {}

    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;
    void Draw(TCanvas& canvas, const TRect& rect) override;
    void Assign(const TPersistent* source) override;
    void DefineProperties(TFiler& filer) override;
    // A 32-bit length, then the BMP file.
    void ReadData(TStream& stream) override;
    void WriteData(TStream& stream) override;

private:
    friend class TBitmapCanvas;
    friend class TCanvas;
    void Replace(win32::HBITMAP bitmap);
    void FreeContext();
    win32::HDC Context();

    Integer width_ = 0, height_ = 0;
    TPixelFormat pixelFormat_ = pfDevice;
    TColor transparentColor_ = clDefault;
    TTransparentMode transparentMode_ = tmAuto;
    win32::HBITMAP handle_ = nullptr;
    win32::HBITMAP mask_ = nullptr;
    win32::HDC dc_ = nullptr;
    win32::HGDIOBJ oldBitmap_ = nullptr;
    std::unique_ptr<TBitmapCanvas> canvas_;
};

class TIcon : public TGraphic {
    VCL_DECLARE_CLASS(TIcon, TGraphic)
public:
    TIcon();
    ~TIcon() override;

    Integer Width() const override { return width_; }
    // An icon's size comes from its image; setting it raises EInvalidGraphicOperation.
    void SetWidth(Integer value) override;
    Integer Height() const override { return height_; }
    void SetHeight(Integer value) override;
    bool Empty() const override { return handle_ == nullptr; }

    win32::HICON Handle() const { return handle_; }
    // Takes ownership of the icon.
    void SetHandle(win32::HICON icon);
    win32::HICON ReleaseHandle();

    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;
    void Draw(TCanvas& canvas, const TRect& rect) override;
    void Assign(const TPersistent* source) override;

private:
    win32::HICON handle_ = nullptr;
    Integer width_ = 0, height_ = 0;
};

class TPicture : public TPersistent {
    VCL_DECLARE_CLASS(TPicture, TPersistent)
public:
    TPicture();
    ~TPicture() override;

    TGraphic* Graphic() const { return graphic_.get(); }
    // Takes a copy of the graphic (nullptr empties the picture).
    void SetGraphic(const TGraphic* graphic);
    // The graphic as a bitmap / icon, replacing another kind of graphic with an empty one.
    TBitmap* Bitmap();
    void SetBitmap(const TBitmap* value);
    TIcon* Icon();
    void SetIcon(const TIcon* value);
    Integer Width() const { return graphic_ ? graphic_->Width() : 0; }
    Integer Height() const { return graphic_ ? graphic_->Height() : 0; }

    // By extension: .bmp, .ico, .cur; anything else raises EInvalidGraphic.
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName);
    void Assign(const TPersistent* source) override;
    void DefineProperties(TFiler& filer) override;

    TNotifyEvent OnChange;

private:
    void Adopt(std::unique_ptr<TGraphic> graphic);
    void Changed();

    std::unique_ptr<TGraphic> graphic_;
};

}  // namespace vcl
