// The image scroller: a windowless marquee that moves a tiled picture, or a line of 3D text, through
// the control on the package's thread timer and wraps it around seamlessly.
#pragma once

#include <memory>
#include <string>

#include "lumaro/zylenhanced.h"

namespace lumaro {

class TZylImageScroller : public TZylGraphicControl {
    VCL_DECLARE_CLASS(TZylImageScroller, TZylGraphicControl)
public:
    explicit TZylImageScroller(vcl::TComponent* owner);
    ~TZylImageScroller() override;

    vcl::TBitmap* Bitmap() const { return bitmap_.get(); }
    // Copies the picture (nullptr empties it) and rebuilds the scroll surface.
    void SetBitmap(vcl::TBitmap* value);
    const std::string& Text() const { return text_; }
    // Scrolled when there is no picture.
    void SetText(const std::string& value);
    bool Scrolling() const { return scrolling_; }
    void SetScrolling(bool value);
    TZylKind ScrollDirection() const { return scrollDirection_; }
    // A change starts again from offset 0.
    void SetScrollDirection(TZylKind value);
    Integer ScrollInterval() const { return scrollInterval_; }
    // Milliseconds per step, clamped to 1 .. 65535 (the timer counts in 16 bits).
    void SetScrollInterval(Integer value);
    Byte ScrollStep() const { return scrollStep_; }
    void SetScrollStep(Byte value);
    bool ScrollInverse() const { return scrollInverse_; }
    void SetScrollInverse(bool value);
    bool ParentCenter() const { return parentCenter_; }
    // Setting it centres the control in its parent once, in each direction it fits.
    void SetParentCenter(bool value);
    bool TextToCenter() const { return textToCenter_; }
    void SetTextToCenter(bool value);
    Integer TextWindowLeft() const { return textWindowLeft_; }
    // A value >= 0 places the text there and turns TextToCenter off; negative values are ignored.
    void SetTextWindowLeft(Integer value);
    Integer TextWindowTop() const { return textWindowTop_; }
    void SetTextWindowTop(Integer value);
    TZylFont3D* Font3D() const { return font3D_.get(); }
    void SetFont3D(TZylFont3D* value);

    // The timer that paces the steps.
    TZylTimer32* Timer() const { return timer_.get(); }
    // Where the visible part of the scroll surface begins.
    Integer OffsetX() const { return offsetX_; }
    Integer OffsetY() const { return offsetY_; }
    // The wrap lengths: the tiled picture, or the text picture of the control's size.
    Integer SurfaceWidth() const { return surface_->Width(); }
    Integer SurfaceHeight() const { return surface_->Height(); }
    // One timer step: moves the offset by ScrollStep, wraps it and repaints at once.
    void MoveImage();

    void WndProc(vcl::TMessage& message) override;

    static void Publish(vcl::Published<TZylImageScroller>& p) {
        PublishAlign(p);
        // Sizes the control to the picture (not while aligned).
        p.Property("AutoSize", &TControl::AutoSize, &TControl::SetAutoSize, false);
        p.Property("Bitmap", &TZylImageScroller::Bitmap, &TZylImageScroller::SetBitmap);
        PublishColor(p, vcl::clWindow);
        PublishFont(p);
        p.Property("Font3D", &TZylImageScroller::Font3D, &TZylImageScroller::SetFont3D);
        p.Property("ParentCenter", &TZylImageScroller::ParentCenter, &TZylImageScroller::SetParentCenter,
                   false);
        PublishParentColor(p, true);
        PublishParentFont(p);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        p.Property("ScrollDirection", &TZylImageScroller::ScrollDirection,
                   &TZylImageScroller::SetScrollDirection, kHorizontal);
        p.Property("ScrollInterval", &TZylImageScroller::ScrollInterval,
                   &TZylImageScroller::SetScrollInterval, 50);
        p.Property("ScrollInverse", &TZylImageScroller::ScrollInverse, &TZylImageScroller::SetScrollInverse,
                   false);
        p.Property("ScrollStep", &TZylImageScroller::ScrollStep, &TZylImageScroller::SetScrollStep, 1);
        p.Property("Scrolling", &TZylImageScroller::Scrolling, &TZylImageScroller::SetScrolling, false);
        PublishShowHint(p);
        p.Property("Text", &TZylImageScroller::Text, &TZylImageScroller::SetText, std::string());
        p.Property("TextToCenter", &TZylImageScroller::TextToCenter, &TZylImageScroller::SetTextToCenter,
                   true);
        p.Property("TextWindowLeft", &TZylImageScroller::TextWindowLeft,
                   &TZylImageScroller::SetTextWindowLeft, 10);
        p.Property("TextWindowTop", &TZylImageScroller::TextWindowTop, &TZylImageScroller::SetTextWindowTop,
                   10);
        PublishVisible(p);
        PublishMouseEvents(p);
        PublishDragProperties(p);
        PublishDragEvents(p);
    }

protected:
    void Loaded() override;
    void Paint() override;
    void Resize() override;
    bool CanAutoSize(Integer& newWidth, Integer& newHeight) override;

private:
    bool UsesPicture() const { return !bitmap_->Empty(); }
    // Rebuilds whichever surface is in use and repaints.
    void RebuildSurface();
    void BuildPictureSurface();
    void BuildTextSurface();
    void CenterTextWindow();
    void ResetOffsets();

    std::unique_ptr<vcl::TBitmap> bitmap_;
    std::unique_ptr<TZylFont3D> font3D_;
    vcl::TComponentPtr<TZylTimer32> timer_;
    // The tiled picture or the text picture; its size is the wrap length in each direction.
    std::unique_ptr<vcl::TBitmap> surface_;
    std::string text_;
    bool scrolling_ = false;
    TZylKind scrollDirection_ = kHorizontal;
    Integer scrollInterval_ = 50;
    Byte scrollStep_ = 1;
    bool scrollInverse_ = false;
    bool parentCenter_ = false;
    bool textToCenter_ = true;
    Integer textWindowLeft_ = 10;
    Integer textWindowTop_ = 10;
    Integer offsetX_ = 0;
    Integer offsetY_ = 0;
};

}  // namespace lumaro
