// Shared fills: one non-visual background component paints gradients, textures, hatch patterns or a
// flat colour behind any number of linked controls and inside the letters of their captions.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "lumaro/zylenhanced.h"
#include "vcl/stringlist.h"

namespace lumaro {

// ---------------------------------------------------------------------------------------------
// Enumerations

enum class TZylFillStyle : uint8_t {
    Circle,
    Horizontal,
    Vertical,
    LeftBottom,
    RoundMiddle,
    SquareMiddle,
    Spectral,
    DoppelFlash,
    Singleflash,
    MiddleHBar,
    MiddleVBar,
    VerticalDoppelBar,
    HorizontalDoppelBar
};
VCL_ENUM_NAMES(TZylFillStyle, "Circle", "Horizontal", "Vertical", "LeftBottom", "RoundMiddle", "SquareMiddle",
               "Spectral", "DoppelFlash", "Singleflash", "MiddleHBar", "MiddleVBar", "VerticalDoppelBar",
               "HorizontalDoppelBar")

enum class TZylImageStyle : uint8_t { isTile, isCenter, isStretched };
VCL_ENUM_NAMES(TZylImageStyle, "isTile", "isCenter", "isStretched")
using enum TZylImageStyle;

enum class TZylBackStyle : uint8_t {
    bGradient,
    bTexture,
    bSolidcolor,
    bBrushFillUseCurrent,
    bBrushFillSolidColor
};
VCL_ENUM_NAMES(TZylBackStyle, "bGradient", "bTexture", "bSolidcolor", "bBrushFillUseCurrent",
               "bBrushFillSolidColor")
using enum TZylBackStyle;

// ---------------------------------------------------------------------------------------------
// TZylGradient

// A gradient through BeginColor, any number of colours in between and EndColor, in one of
// thirteen shapes, ColorCount steps per pair of neighbouring colours.
class TZylGradient : public vcl::TGraphicsObject {
    VCL_DECLARE_CLASS(TZylGradient, vcl::TGraphicsObject)
public:
    explicit TZylGradient(vcl::TPersistent* owner = nullptr);
    ~TZylGradient() override;

    TColor BeginColor() const { return beginColor_; }
    void SetBeginColor(TColor value);
    TColor EndColor() const { return endColor_; }
    void SetEndColor(TColor value);
    TZylFillStyle FillStyle() const { return fillStyle_; }
    void SetFillStyle(TZylFillStyle value);
    Integer ColorCount() const { return colorCount_; }
    // Only 2..255 are taken; any other value leaves the old one, yet still signals.
    void SetColorCount(Integer value);
    // One colour per line in colour text form ("clRed", "$00FF8000", a decimal number).
    vcl::TStrings* ColorsInBetween() const { return colorsInBetween_.get(); }
    void SetColorsInBetween(const vcl::TStrings* value);

    // Paints the gradient from BeginColor through the lines of `colors` to EndColor (reversed ends
    // when not `forward`) over (0, 0, width, height) of `dc`. `color` is covered entirely.
    void MultiDraw(win32::HDC dc, Integer width, Integer height, const vcl::TStrings* colors, TColor color,
                   bool forward) const;
    void Assign(const vcl::TPersistent* source) override;

    static void Publish(vcl::Published<TZylGradient>& p) {
        p.Property("BeginColor", &TZylGradient::BeginColor, &TZylGradient::SetBeginColor)
            .TypeName("TColor")
            .Idents(vcl::ColorIdents());
        p.Property("EndColor", &TZylGradient::EndColor, &TZylGradient::SetEndColor)
            .TypeName("TColor")
            .Idents(vcl::ColorIdents());
        p.Property("FillStyle", &TZylGradient::FillStyle, &TZylGradient::SetFillStyle,
                   TZylFillStyle::Horizontal);
        p.Property("ColorCount", &TZylGradient::ColorCount, &TZylGradient::SetColorCount, 32);
        p.Property("ColorsInBetween", &TZylGradient::ColorsInBetween, &TZylGradient::SetColorsInBetween);
    }

private:
    TColor beginColor_ = vcl::clSilver;
    TColor endColor_ = vcl::clGray;
    TZylFillStyle fillStyle_ = TZylFillStyle::Horizontal;
    Integer colorCount_ = 32;
    std::unique_ptr<vcl::TStringList> colorsInBetween_;
};

// ---------------------------------------------------------------------------------------------
// TZylTexture

// An image tiled, centred or stretched over the area, optionally with one colour replaced.
class TZylTexture : public vcl::TGraphicsObject {
    VCL_DECLARE_CLASS(TZylTexture, vcl::TGraphicsObject)
public:
    explicit TZylTexture(vcl::TPersistent* owner = nullptr);
    ~TZylTexture() override;

    vcl::TBitmap* Image() const { return image_.get(); }
    // Copies the bitmap.
    void SetImage(vcl::TBitmap* value);
    TZylImageStyle ImageStyle() const { return imageStyle_; }
    void SetImageStyle(TZylImageStyle value);
    // clNone draws the image unchanged.
    TColor TransparentColor() const { return transparentColor_; }
    void SetTransparentColor(TColor value);
    // What the pixels of TransparentColor become.
    TColor TransparentBackground() const { return transparentBackground_; }
    void SetTransparentBackground(TColor value);

    // Paints the image over (0, 0, width, height) of `dc`; `color` surrounds a centred image.
    // An empty image paints nothing.
    void Draw(win32::HDC dc, Integer width, Integer height, TColor color) const;
    void Assign(const vcl::TPersistent* source) override;

    static void Publish(vcl::Published<TZylTexture>& p) {
        p.Property("Image", &TZylTexture::Image, &TZylTexture::SetImage);
        p.Property("ImageStyle", &TZylTexture::ImageStyle, &TZylTexture::SetImageStyle, isTile);
        p.Property("TransparentColor", &TZylTexture::TransparentColor, &TZylTexture::SetTransparentColor,
                   vcl::clNone)
            .TypeName("TColor")
            .Idents(vcl::ColorIdents());
        p.Property("TransparentBackground", &TZylTexture::TransparentBackground,
                   &TZylTexture::SetTransparentBackground, vcl::clBtnFace)
            .TypeName("TColor")
            .Idents(vcl::ColorIdents());
    }

private:
    std::unique_ptr<vcl::TBitmap> image_;
    TZylImageStyle imageStyle_ = isTile;
    TColor transparentColor_ = vcl::clNone;
    TColor transparentBackground_ = vcl::clBtnFace;
};

// ---------------------------------------------------------------------------------------------
// TZylBrushFill

// A hatch or solid brush for the brush-fill background styles.
class TZylBrushFill : public vcl::TGraphicsObject {
    VCL_DECLARE_CLASS(TZylBrushFill, vcl::TGraphicsObject)
public:
    explicit TZylBrushFill(vcl::TPersistent* owner = nullptr);

    vcl::TBrushStyle BrushStyle() const { return brushStyle_; }
    void SetBrushStyle(vcl::TBrushStyle value);
    TColor BrushColor() const { return brushColor_; }
    void SetBrushColor(TColor value);
    void Assign(const vcl::TPersistent* source) override;

    static void Publish(vcl::Published<TZylBrushFill>& p) {
        p.Property("BrushStyle", &TZylBrushFill::BrushStyle, &TZylBrushFill::SetBrushStyle, vcl::bsSolid);
        p.Property("BrushColor", &TZylBrushFill::BrushColor, &TZylBrushFill::SetBrushColor, vcl::clBtnFace)
            .TypeName("TColor")
            .Idents(vcl::ColorIdents());
    }

private:
    vcl::TBrushStyle brushStyle_ = vcl::bsSolid;
    TColor brushColor_ = vcl::clBtnFace;
};

// ---------------------------------------------------------------------------------------------
// TZylBackground

// The shared fill. Controls link to it through their Background (or FontBackground) property; any
// change repaints them all, in the order they linked, and then raises OnChanged.
class TZylBackground : public TZylBackgroundLink {
    VCL_DECLARE_CLASS(TZylBackground, TZylBackgroundLink)
public:
    explicit TZylBackground(vcl::TComponent* owner);
    ~TZylBackground() override;

    TZylTexture* Texture() const { return texture_.get(); }
    void SetTexture(TZylTexture* value);
    TZylGradient* Gradient() const { return gradient_.get(); }
    void SetGradient(TZylGradient* value);
    TZylBrushFill* BrushFill() const { return brushFill_.get(); }
    void SetBrushFill(TZylBrushFill* value);
    TColor SolidColor() const { return solidColor_; }
    void SetSolidColor(TColor value);
    TZylBackStyle BackgroundStyle() const { return backgroundStyle_; }
    void SetBackgroundStyle(TZylBackStyle value);

    // Sender is the background.
    vcl::TNotifyEvent OnChanged;

    // The linked controls, in the order they linked (not owned).
    const std::vector<vcl::TControl*>& Clients() const { return clients_; }
    void AddItem(vcl::TControl* control) override;
    void RemoveItem(vcl::TControl* control) override;

    // Paints the fill over (0, 0, width, height) of `dc`; `forward` runs a gradient from
    // BeginColor to EndColor, else the other way.
    void Draw(win32::HDC dc, Integer width, Integer height, bool forward) override;
    // Puts the fill behind what `canvas` shows in (0, 0, width, height): the pixels of
    // `transparentColor` let the fill through.
    void DrawTrans(vcl::TCanvas* canvas, Integer width, Integer height, bool forward,
                   TColor transparentColor);
    // Draws `text` with the 3D effect of `font3D` at `rect` of `canvas`, the letters filled with
    // this background.
    void Write(TZylFont3D* font3D, vcl::TFont* font, vcl::TCanvas* canvas, const vcl::TRect& rect,
               const std::string& text, win32::UINT format);

    static void Publish(vcl::Published<TZylBackground>& p) {
        p.Property("Texture", &TZylBackground::Texture, &TZylBackground::SetTexture);
        p.Property("Gradient", &TZylBackground::Gradient, &TZylBackground::SetGradient);
        p.Property("BrushFill", &TZylBackground::BrushFill, &TZylBackground::SetBrushFill);
        p.Event("OnChanged", &TZylBackground::OnChanged);
        p.Property("SolidColor", &TZylBackground::SolidColor, &TZylBackground::SetSolidColor, vcl::clBtnFace)
            .TypeName("TColor")
            .Idents(vcl::ColorIdents());
        p.Property("BackgroundStyle", &TZylBackground::BackgroundStyle, &TZylBackground::SetBackgroundStyle,
                   bGradient);
    }

private:
    // Repaints the clients in link order, then raises OnChanged.
    void Changed(vcl::TObject* sender);

    std::unique_ptr<TZylTexture> texture_;
    std::unique_ptr<TZylGradient> gradient_;
    std::unique_ptr<TZylBrushFill> brushFill_;
    TColor solidColor_ = vcl::clBtnFace;
    TZylBackStyle backgroundStyle_ = bGradient;
    std::vector<vcl::TControl*> clients_;
};

// ---------------------------------------------------------------------------------------------
// TZylFillBackground

// A plain rectangle painted by a linked background; without one it shows nothing.
class TZylFillBackground : public TZylGraphicControl {
    VCL_DECLARE_CLASS(TZylFillBackground, TZylGraphicControl)
public:
    explicit TZylFillBackground(vcl::TComponent* owner);

    // Stored and repaints; the size stays as it is.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value) override;
    TZylBackground* Background() const { return static_cast<TZylBackground*>(background_.Get()); }
    void SetBackground(TZylBackground* value);

    static void Publish(vcl::Published<TZylFillBackground>& p) {
        p.Property("AutoSize", &TZylFillBackground::AutoSize, &TZylFillBackground::SetAutoSize, false);
        p.Property("Background", &TZylFillBackground::Background, &TZylFillBackground::SetBackground);
        vcl::TControl::PublishAlign(p);
        vcl::TControl::PublishEnabled(p);
        vcl::TControl::PublishParentShowHint(p);
        vcl::TControl::PublishPopupMenu(p);
        vcl::TControl::PublishShowHint(p);
        vcl::TControl::PublishVisible(p);
        vcl::TControl::PublishMouseEvents(p);
    }

protected:
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;
    void Paint() override;

private:
    bool autoSize_ = false;
    TZylBackgroundClient background_{this};
};

// ---------------------------------------------------------------------------------------------
// TZylScreenCanvas

// A canvas on the whole screen, opened on first use and closed with EndPaint.
class TZylScreenCanvas : public vcl::TComponent {
    VCL_DECLARE_CLASS(TZylScreenCanvas, vcl::TComponent)
public:
    explicit TZylScreenCanvas(vcl::TComponent* owner);
    ~TZylScreenCanvas() override;

    // Repaint every window after EndPaint.
    bool AutoRestore() const { return autoRestore_; }
    void SetAutoRestore(bool value) { autoRestore_ = value; }
    // Begins painting when needed.
    vcl::TCanvas* Canvas();
    bool Active() const { return canvas_ != nullptr; }
    Integer Width() const;
    Integer Height() const;

    void BeginPaint();
    // Does nothing when not painting.
    void EndPaint();
    // Makes every window repaint.
    void RestoreScreen();

    static void Publish(vcl::Published<TZylScreenCanvas>& p) {
        p.Property("AutoRestore", &TZylScreenCanvas::AutoRestore, &TZylScreenCanvas::SetAutoRestore, false);
    }

private:
    bool autoRestore_ = false;
    std::unique_ptr<vcl::TCanvas> canvas_;
    win32::HDC dc_ = nullptr;
};

}  // namespace lumaro
