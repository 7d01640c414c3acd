// The segmented gauge, a windowless progress bar between two bevels with its percentage in 3D text,
// and the 3D panel, a container whose caption is drawn in relief inside two frames.
#pragma once

#include <memory>

#include "lumaro/zylbackgrounds.h"
#include "lumaro/zylenhanced.h"
#include "vcl/extctrls.h"

namespace lumaro {

// ---------------------------------------------------------------------------------------------
// TZylGauge

class TZylGauge : public TZylGraphicControl {
    VCL_DECLARE_CLASS(TZylGauge, TZylGraphicControl)
public:
    explicit TZylGauge(vcl::TComponent* owner);
    ~TZylGauge() override;

    Byte Percentage() const { return percentage_; }
    // Values above 100 become 100. Redraws the bar at once on a gauge on screen; else invalidates.
    void SetPercentage(Byte value);
    TZylKind Kind() const { return kind_; }
    // kVertical fills from the bottom up.
    void SetKind(TZylKind value);
    Byte SegmentWidth() const { return segmentWidth_; }
    void SetSegmentWidth(Byte value);
    Byte SegmentGap() const { return segmentGap_; }
    void SetSegmentGap(Byte value);
    TColor SegmentColor() const { return segmentColor_; }
    void SetSegmentColor(TColor value);
    // The gaps and the empty part of the bar.
    TColor InsideBackColor() const { return insideBackColor_; }
    void SetInsideBackColor(TColor value);
    // The margin between the bevels.
    Byte Borderwidth() const { return borderwidth_; }
    void SetBorderwidth(Byte value);
    TZylPosition PicturePosition() const { return picturePosition_; }
    void SetPicturePosition(TZylPosition value);
    TZylGlyph* Glyph() const { return glyph_.get(); }
    void SetGlyph(TZylGlyph* value);
    TZylFrame* BevelOuter() const { return bevelOuter_.get(); }
    void SetBevelOuter(TZylFrame* value);
    TZylFrame* BevelInner() const { return bevelInner_.get(); }
    void SetBevelInner(TZylFrame* value);
    TZylFont3D* Font3D() const { return font3D_.get(); }
    void SetFont3D(TZylFont3D* value);
    TZylBackground* Background() const { return static_cast<TZylBackground*>(background_.Get()); }
    void SetBackground(TZylBackground* value);

    // The bar's rectangle inside the inner bevel, for the current size and margins.
    vcl::TRect BarRect() const;
    // Draws the bar and its text on the gauge's canvas.
    void UpdateProgress();
    void DefineProperties(vcl::TFiler& filer) override;

    static void Publish(vcl::Published<TZylGauge>& p) {
        p.Property("Percentage", &TZylGauge::Percentage, &TZylGauge::SetPercentage, 0);
        p.Property("Kind", &TZylGauge::Kind, &TZylGauge::SetKind, kHorizontal);
        p.Property("SegmentWidth", &TZylGauge::SegmentWidth, &TZylGauge::SetSegmentWidth, 8);
        p.Property("SegmentGap", &TZylGauge::SegmentGap, &TZylGauge::SetSegmentGap, 2);
        p.Property("SegmentColor", &TZylGauge::SegmentColor, &TZylGauge::SetSegmentColor, vcl::clNavy)
            .TypeName("TColor")
            .Idents(vcl::ColorIdents());
        p.Property("InsideBackColor", &TZylGauge::InsideBackColor, &TZylGauge::SetInsideBackColor,
                   vcl::clWhite)
            .TypeName("TColor")
            .Idents(vcl::ColorIdents());
        p.Property("Borderwidth", &TZylGauge::Borderwidth, &TZylGauge::SetBorderwidth, 6);
        p.Property("PicturePosition", &TZylGauge::PicturePosition, &TZylGauge::SetPicturePosition, pLeft);
        p.Property("Glyph", &TZylGauge::Glyph, &TZylGauge::SetGlyph);
        p.Property("BevelOuter", &TZylGauge::BevelOuter, &TZylGauge::SetBevelOuter);
        p.Property("BevelInner", &TZylGauge::BevelInner, &TZylGauge::SetBevelInner);
        p.Property("Font3D", &TZylGauge::Font3D, &TZylGauge::SetFont3D);
        p.Property("Background", &TZylGauge::Background, &TZylGauge::SetBackground);
        PublishAlign(p);
        PublishFont(p);
        PublishMouseEvents(p);
    }

protected:
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;
    void Paint() override;

private:
    struct Margins {
        Integer left, top, right, bottom;
    };
    // Borderwidth on every side, plus the glyph's width on the PicturePosition side.
    Margins GetMargins() const;
    void DrawGlyph(const Margins& margins);
    // The colour of the bar's line at coordinate `at` of the control.
    TColor SegmentColorAt(Integer at) const;
    template <typename V>
    void StoreAndRepaint(V& field, V value) {
        if (field == value) return;
        field = value;
        Invalidate();
    }

    Byte percentage_ = 0;
    TZylKind kind_ = kHorizontal;
    Byte segmentWidth_ = 8;
    Byte segmentGap_ = 2;
    TColor segmentColor_ = vcl::clNavy;
    TColor insideBackColor_ = vcl::clWhite;
    Byte borderwidth_ = 6;
    TZylPosition picturePosition_ = pLeft;
    std::unique_ptr<TZylGlyph> glyph_;
    std::unique_ptr<TZylFrame> bevelOuter_;
    std::unique_ptr<TZylFrame> bevelInner_;
    std::unique_ptr<TZylFont3D> font3D_;
    TZylBackgroundClient background_{this};
};

// ---------------------------------------------------------------------------------------------
// TZylPanel

class TZylPanel : public vcl::TCustomPanel {
    VCL_DECLARE_CLASS(TZylPanel, vcl::TCustomPanel)
public:
    explicit TZylPanel(vcl::TComponent* owner);
    ~TZylPanel() override;

    TZylFont3D* Font3D() const { return font3D_.get(); }
    void SetFont3D(TZylFont3D* value);
    // Stored and repaints; the size stays as it is.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value) override;
    TZylBackground* Background() const { return static_cast<TZylBackground*>(background_.Get()); }
    void SetBackground(TZylBackground* value);
    // Three one-pixel rings of a dialog's frame outside FrameOuter.
    bool DlgFrame() const { return dlgFrame_; }
    void SetDlgFrame(bool value);
    TZylFrame* FrameInner() const { return frameInner_.get(); }
    void SetFrameInner(TZylFrame* value);
    TZylFrame* FrameOuter() const { return frameOuter_.get(); }
    void SetFrameOuter(TZylFrame* value);
    // The margin between the frames; negative values are refused.
    Integer Borderwidth() const { return borderwidth_; }
    void SetBorderwidth(Integer value);

    static void Publish(vcl::Published<TZylPanel>& p) {
        PublishAlign(p);
        p.Property("Alignment", &TCustomPanel::Alignment, &TCustomPanel::SetAlignment,
                   vcl::TAlignment::taCenter);
        p.Property("AutoSize", &TZylPanel::AutoSize, &TZylPanel::SetAutoSize, false);
        p.Property("Background", &TZylPanel::Background, &TZylPanel::SetBackground);
        p.Property("Borderwidth", &TZylPanel::Borderwidth, &TZylPanel::SetBorderwidth, 0);
        PublishCaption(p);
        PublishColor(p, vcl::clBtnFace);
        PublishCtl3D(p);
        p.Property("DlgFrame", &TZylPanel::DlgFrame, &TZylPanel::SetDlgFrame, false);
        PublishEnabled(p);
        PublishFont(p);
        p.Property("Font3D", &TZylPanel::Font3D, &TZylPanel::SetFont3D);
        p.Property("FrameInner", &TZylPanel::FrameInner, &TZylPanel::SetFrameInner);
        p.Property("FrameOuter", &TZylPanel::FrameOuter, &TZylPanel::SetFrameOuter);
        p.Property("Locked", &TCustomPanel::Locked, &TCustomPanel::SetLocked, false);
        PublishParentColor(p, false);
        PublishParentFont(p);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        PublishShowHint(p);
        PublishTabOrder(p);
        PublishTabStop(p, false);
        PublishVisible(p);
        PublishMouseEvents(p);
        PublishFocusEvents(p);
        PublishOnResize(p);
    }

protected:
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;
    // Children keep clear of the margin and of the frames that are drawn.
    void AlignControls(vcl::TControl* control, vcl::TRect& rect) override;
    void Paint() override;

private:
    std::unique_ptr<TZylFont3D> font3D_;
    std::unique_ptr<TZylFrame> frameInner_;
    std::unique_ptr<TZylFrame> frameOuter_;
    TZylBackgroundClient background_{this};
    bool autoSize_ = false;
    bool dlgFrame_ = false;
    Integer borderwidth_ = 0;
};

}  // namespace lumaro
