// Buttons with glyphs: the speed button (a graphic control for tool bars, with groups of buttons that
// stay down) and the bitmap button (a push button with a glyph and stock kinds), and the glyph strip
// painter they share.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "vcl/controls.h"
#include "vcl/stdctrls_button.h"

namespace vcl {

enum class TButtonLayout : uint8_t { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
VCL_ENUM_NAMES(TButtonLayout, "blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom")
using enum TButtonLayout;

// Also the order of the images in a glyph strip.
enum class TButtonState : uint8_t { bsUp, bsDisabled, bsDown, bsExclusive };
VCL_ENUM_NAMES(TButtonState, "bsUp", "bsDisabled", "bsDown", "bsExclusive")
using enum TButtonState;

enum class TBitBtnKind : uint8_t {
    bkCustom,
    bkOK,
    bkCancel,
    bkHelp,
    bkYes,
    bkNo,
    bkClose,
    bkAbort,
    bkRetry,
    bkIgnore,
    bkAll
};
VCL_ENUM_NAMES(TBitBtnKind, "bkCustom", "bkOK", "bkCancel", "bkHelp", "bkYes", "bkNo", "bkClose", "bkAbort",
               "bkRetry", "bkIgnore", "bkAll")
using enum TBitBtnKind;

// 1 .. 4 images in a glyph strip.
using TNumGlyphs = Integer;

// ---------------------------------------------------------------------------------------------
// Glyph strips

// Where a button's glyph and caption go inside `client`. Margin is the distance of the glyph from
// the edge it is laid against (-1: the pair is centred); Spacing the distance between glyph and
// caption (-1: spread evenly, with the margin when that is -1 too). Either part may be empty (size 0),
// and then there is no spacing.
struct TButtonLayoutResult {
    TPoint glyphPos;
    TRect textBounds;
};
TButtonLayoutResult CalcButtonLayout(const TRect& client, TSize glyphSize, TSize textSize,
                                     TButtonLayout layout, Integer margin, Integer spacing);

// A strip of NumGlyphs images of equal width: up, disabled, down, exclusive. A state without its own
// image uses the up image, except disabled, which is the up image embossed in the 3D colours. The
// colour of the strip's bottom-left pixel is transparent. Images are prepared once per glyph.
class TButtonGlyph {
public:
    TButtonGlyph();
    ~TButtonGlyph();
    TButtonGlyph(const TButtonGlyph&) = delete;
    TButtonGlyph& operator=(const TButtonGlyph&) = delete;

    TBitmap* Glyph() const { return glyph_.get(); }
    // Copies the bitmap (nullptr empties it); a strip of 1 to 4 square images sets NumGlyphs.
    void SetGlyph(const TBitmap* value);
    TNumGlyphs NumGlyphs() const { return numGlyphs_; }
    // Clamped to 1 .. 4.
    void SetNumGlyphs(TNumGlyphs value);
    // The size of one image; 0 x 0 without a glyph.
    TSize ImageSize() const;
    // The image a state shows (black where nothing is drawn) and its mask (black where the image is
    // drawn, white elsewhere); nullptr without a glyph.
    TBitmap* StateImage(TButtonState state);
    TBitmap* StateMask(TButtonState state);
    // The embossed image is made of system colours: it is made again after they change.
    void SysColorsChanged() { ClearImages(); }

    // Draws the glyph and the caption (with & accelerators) on `canvas` in `client` moved by `offset`;
    // a disabled caption is embossed. Returns the caption's rectangle.
    TRect Draw(TCanvas* canvas, const TRect& client, TPoint offset, const std::string& caption,
               TButtonLayout layout, Integer margin, Integer spacing, TButtonState state);

    // After the glyph or NumGlyphs changed.
    std::function<void()> OnChange;

private:
    struct Prepared {
        std::unique_ptr<TBitmap> image;
        std::unique_ptr<TBitmap> mask;
    };
    void GlyphChanged();
    void ClearImages();
    Prepared& Prepare(TButtonState state);

    std::unique_ptr<TBitmap> glyph_;
    TNumGlyphs numGlyphs_ = 1;
    std::array<Prepared, 4> images_;
    bool settingGlyph_ = false;
};

// ---------------------------------------------------------------------------------------------
// Speed buttons

class TSpeedButton : public TGraphicControl {
    VCL_DECLARE_CLASS(TSpeedButton, TGraphicControl)
public:
    explicit TSpeedButton(TComponent* owner);
    ~TSpeedButton() override;

    // With AllowAllUp the down button of a group can be raised by clicking it; shared by the group.
    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool value);
    // Buttons of one parent with the same non-zero GroupIndex: at most one is down.
    Integer GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(Integer value);
    // Only a grouped button stays down; raising the group's last one needs AllowAllUp.
    bool Down() const { return down_; }
    void SetDown(bool value);
    // No frame until the mouse is over the button.
    bool Flat() const { return flat_; }
    void SetFlat(bool value);
    TBitmap* Glyph() const { return glyph_.Glyph(); }
    void SetGlyph(const TBitmap* value) { glyph_.SetGlyph(value); }
    TNumGlyphs NumGlyphs() const { return glyph_.NumGlyphs(); }
    void SetNumGlyphs(TNumGlyphs value) { glyph_.SetNumGlyphs(value); }
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout value);
    // -1 centres glyph and caption together.
    Integer Margin() const { return margin_; }
    void SetMargin(Integer value);
    Integer Spacing() const { return spacing_; }
    void SetSpacing(Integer value);
    // A flat button leaves its background to the parent.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    // The look now: pressed by the mouse, down in its group, disabled or up.
    TButtonState State() const { return state_; }

    void Click() override;
    void WndProc(TMessage& message) override;

    static void Publish(Published<TSpeedButton>& p) {
        PublishAlign(p);
        p.Property("AllowAllUp", &TSpeedButton::AllowAllUp, &TSpeedButton::SetAllowAllUp, false);
        PublishAnchors(p);
        p.Property("GroupIndex", &TSpeedButton::GroupIndex, &TSpeedButton::SetGroupIndex, 0);
        p.Property("Down", &TSpeedButton::Down, &TSpeedButton::SetDown, false);
        PublishCaption(p);
        PublishDragProperties(p);
        PublishEnabled(p);
        p.Property("Flat", &TSpeedButton::Flat, &TSpeedButton::SetFlat, false);
        PublishFont(p);
        p.Property("Glyph", &TSpeedButton::Glyph);
        p.Property("Layout", &TSpeedButton::Layout, &TSpeedButton::SetLayout, blGlyphLeft);
        p.Property("Margin", &TSpeedButton::Margin, &TSpeedButton::SetMargin, -1);
        p.Property("NumGlyphs", &TSpeedButton::NumGlyphs, &TSpeedButton::SetNumGlyphs, 1);
        PublishParentFont(p);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        PublishShowHint(p);
        p.Property("Spacing", &TSpeedButton::Spacing, &TSpeedButton::SetSpacing, 4);
        p.Property("Transparent", &TSpeedButton::Transparent, &TSpeedButton::SetTransparent, true);
        PublishVisible(p);
        PublishMouseEvents(p);
        PublishDragEvents(p);
    }

protected:
    void Loaded() override;
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
    void MouseMove(TShiftState shift, Integer x, Integer y) override;
    void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) override;

private:
    // Tells the other buttons of the group that this one went down (and the group's AllowAllUp).
    void UpdateExclusive();
    void ButtonPressed(TSpeedButton* sender);
    void MouseEnter();
    void MouseLeave();
    TBitmap* PatternBitmap();

    TButtonGlyph glyph_;
    std::unique_ptr<TBitmap> pattern_;
    TButtonState state_ = bsUp;
    Integer groupIndex_ = 0;
    TButtonLayout layout_ = blGlyphLeft;
    Integer margin_ = -1;
    Integer spacing_ = 4;
    bool allowAllUp_ = false;
    bool down_ = false;
    bool dragging_ = false;
    bool flat_ = false;
    bool transparent_ = true;
    bool mouseInside_ = false;
};

// ---------------------------------------------------------------------------------------------
// Bitmap buttons

// A push button with a glyph. A stock Kind sets the glyph, caption, ModalResult, Default and Cancel;
// changing any of those by hand makes the button bkCustom again. bkClose closes the parent form and
// bkHelp opens the help of the nearest HelpContext instead of the usual Click.
class TBitBtn : public TButton {
    VCL_DECLARE_CLASS(TBitBtn, TButton)
public:
    explicit TBitBtn(TComponent* owner);
    ~TBitBtn() override;

    TBitBtnKind Kind() const;
    void SetKind(TBitBtnKind value);
    TBitmap* Glyph() const { return glyph_.Glyph(); }
    void SetGlyph(const TBitmap* value);
    TNumGlyphs NumGlyphs() const { return glyph_.NumGlyphs(); }
    void SetNumGlyphs(TNumGlyphs value) { glyph_.SetNumGlyphs(value); }
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout value);
    Integer Margin() const { return margin_; }
    void SetMargin(Integer value);
    Integer Spacing() const { return spacing_; }
    void SetSpacing(Integer value);
    // The state the glyph is drawn in now.
    TButtonState State() const;

    void Click() override;

    static void Publish(Published<TBitBtn>& p) {
        p.Property("Cancel", &TButton::Cancel, &TButton::SetCancel, false).Stored(&TBitBtn::IsCustom);
        p.Property("Caption", &TControl::Caption, &TControl::SetCaption)
            .TypeName("TCaption")
            .Stored(&TBitBtn::IsCustomCaption);
        p.Property("Default", &TButton::Default, &TButton::SetDefault, false).Stored(&TBitBtn::IsCustom);
        p.Property("Glyph", &TBitBtn::Glyph).Stored(&TBitBtn::IsCustom);
        p.Property("Kind", &TBitBtn::Kind, &TBitBtn::SetKind, bkCustom);
        p.Property("Layout", &TBitBtn::Layout, &TBitBtn::SetLayout, blGlyphLeft);
        p.Property("Margin", &TBitBtn::Margin, &TBitBtn::SetMargin, -1);
        p.Property("ModalResult", &TButton::ModalResult, &TButton::SetModalResult, mrNone)
            .Stored(&TBitBtn::IsCustom);
        p.Property("NumGlyphs", &TBitBtn::NumGlyphs, &TBitBtn::SetNumGlyphs, 1).Stored(&TBitBtn::IsCustom);
        p.Property("Spacing", &TBitBtn::Spacing, &TBitBtn::SetSpacing, 4);
    }

    bool IsCustom() const { return Kind() == bkCustom; }
    bool IsCustomCaption() const;

protected:
    void Paint() override;

private:
    void LoadStockGlyph(TBitBtnKind kind);

    TButtonGlyph glyph_;
    TBitBtnKind kind_ = bkCustom;
    TButtonLayout layout_ = blGlyphLeft;
    Integer margin_ = -1;
    Integer spacing_ = 4;
    bool modifiedGlyph_ = false;
};

// The caption, modal result and stock glyph (a strip of two 18 x 18 images) of a bitmap button kind.
const char* BitBtnCaption(TBitBtnKind kind);
TModalResult BitBtnModalResult(TBitBtnKind kind);
void DrawStockGlyph(TBitBtnKind kind, TBitmap& strip);

}  // namespace vcl
