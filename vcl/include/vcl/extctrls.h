// Extra controls: panels, bevels, images, shapes, paint boxes, timers and radio groups.
#pragma once

#include <memory>
#include <string>

#include "vcl/classes.h"
#include "vcl/controls.h"
#include "vcl/stdctrls_button.h"

namespace vcl {

// ---------------------------------------------------------------------------------------------
// Enumerations

enum class TBevelCut : uint8_t { bvNone, bvLowered, bvRaised, bvSpace };
VCL_ENUM_NAMES(TBevelCut, "bvNone", "bvLowered", "bvRaised", "bvSpace")
using enum TBevelCut;
using TPanelBevel = TBevelCut;

enum class TBevelShape : uint8_t {
    bsBox,
    bsFrame,
    bsTopLine,
    bsBottomLine,
    bsLeftLine,
    bsRightLine,
    bsSpacer
};
VCL_ENUM_NAMES(TBevelShape, "bsBox", "bsFrame", "bsTopLine", "bsBottomLine", "bsLeftLine", "bsRightLine",
               "bsSpacer")
using enum TBevelShape;

enum class TBevelStyle : uint8_t { bsLowered, bsRaised };
VCL_ENUM_NAMES(TBevelStyle, "bsLowered", "bsRaised")
using enum TBevelStyle;

enum class TShapeType : uint8_t { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };
VCL_ENUM_NAMES(TShapeType, "stRectangle", "stSquare", "stRoundRect", "stRoundSquare", "stEllipse", "stCircle")
using enum TShapeType;

using TBevelWidth = Integer;

// ---------------------------------------------------------------------------------------------
// Panels

class TCustomPanel : public TCustomControl {
    VCL_DECLARE_CLASS(TCustomPanel, TCustomControl)
public:
    explicit TCustomPanel(TComponent* owner);

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    TPanelBevel BevelInner() const { return bevelInner_; }
    void SetBevelInner(TPanelBevel value);
    TPanelBevel BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TPanelBevel value);
    // At least 1.
    TBevelWidth BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(TBevelWidth value);
    // bsNone or bsSingle (a sunken client edge, or a flat line without Ctl3D).
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle value);
    // Whether the whole panel is repainted when it is resized (the window class redraw styles).
    bool FullRepaint() const { return fullRepaint_; }
    void SetFullRepaint(bool value);
    bool Locked() const { return locked_; }
    void SetLocked(bool value) { locked_ = value; }

    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void AdjustClientRect(TRect& rect) const override;
    void Paint() override;
    // The width of the bevels inside the border width.
    Integer BevelSize() const;

private:
    void BevelChanged();

    TAlignment alignment_ = TAlignment::taCenter;
    TPanelBevel bevelInner_ = bvNone;
    TPanelBevel bevelOuter_ = bvRaised;
    TBevelWidth bevelWidth_ = 1;
    TBorderStyle borderStyle_ = bsNone;
    bool fullRepaint_ = true;
    bool locked_ = false;
};

class TPanel : public TCustomPanel {
    VCL_CLASS(TPanel, TCustomPanel)
public:
    explicit TPanel(TComponent* owner) : TCustomPanel(owner) {}

    static void Publish(Published<TPanel>& p) {
        PublishAlign(p);
        p.Property("Alignment", &TCustomPanel::Alignment, &TCustomPanel::SetAlignment, TAlignment::taCenter);
        PublishAnchors(p);
        p.Property("BevelInner", &TCustomPanel::BevelInner, &TCustomPanel::SetBevelInner, bvNone);
        p.Property("BevelOuter", &TCustomPanel::BevelOuter, &TCustomPanel::SetBevelOuter, bvRaised);
        p.Property("BevelWidth", &TCustomPanel::BevelWidth, &TCustomPanel::SetBevelWidth, 1);
        p.Property("BorderWidth", &TWinControl::BorderWidth, &TWinControl::SetBorderWidth, 0);
        p.Property("BorderStyle", &TCustomPanel::BorderStyle, &TCustomPanel::SetBorderStyle, bsNone);
        PublishCaption(p);
        PublishColor(p, clBtnFace);
        PublishCtl3D(p);
        PublishDragProperties(p);
        PublishEnabled(p);
        p.Property("FullRepaint", &TCustomPanel::FullRepaint, &TCustomPanel::SetFullRepaint, true);
        PublishFont(p);
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
        PublishDragEvents(p);
        PublishFocusEvents(p);
        PublishOnResize(p);
    }
};

// ---------------------------------------------------------------------------------------------
// Bevels

class TBevel : public TGraphicControl {
    VCL_DECLARE_CLASS(TBevel, TGraphicControl)
public:
    explicit TBevel(TComponent* owner);

    TBevelShape Shape() const { return shape_; }
    void SetShape(TBevelShape value);
    TBevelStyle Style() const { return style_; }
    void SetStyle(TBevelStyle value);

    static void Publish(Published<TBevel>& p) {
        PublishAlign(p);
        PublishAnchors(p);
        PublishParentShowHint(p);
        p.Property("Shape", &TBevel::Shape, &TBevel::SetShape, bsBox);
        PublishShowHint(p);
        p.Property("Style", &TBevel::Style, &TBevel::SetStyle, bsLowered);
        PublishVisible(p);
    }

protected:
    void Paint() override;

private:
    TBevelShape shape_ = bsBox;
    TBevelStyle style_ = bsLowered;
};

// ---------------------------------------------------------------------------------------------
// Images

class TImage : public TGraphicControl {
    VCL_DECLARE_CLASS(TImage, TGraphicControl)
public:
    explicit TImage(TComponent* owner);
    ~TImage() override;

    // Drawing on the image: the picture becomes a bitmap of the control's size when it is empty.
    // Raises EInvalidOperation when the picture holds another kind of graphic.
    TCanvas* Canvas();
    TPicture* Picture() const { return picture_.get(); }
    void SetPicture(const TPicture* value) { picture_->Assign(value); }
    bool Center() const { return center_; }
    void SetCenter(bool value);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    void SetAutoSize(bool value) override;

    static void Publish(Published<TImage>& p) {
        PublishAlign(p);
        PublishAnchors(p);
        p.Property("AutoSize", &TControl::AutoSize, &TImage::SetAutoSize, false);
        p.Property("Center", &TImage::Center, &TImage::SetCenter, false);
        PublishParentShowHint(p);
        p.Property("Picture", &TImage::Picture);
        PublishPopupMenu(p);
        PublishShowHint(p);
        p.Property("Stretch", &TImage::Stretch, &TImage::SetStretch, false);
        p.Property("Transparent", &TImage::Transparent, &TImage::SetTransparent, false);
        PublishVisible(p);
        PublishMouseEvents(p);
        PublishDragEvents(p);
    }

protected:
    void Paint() override;
    bool CanAutoSize(Integer& newWidth, Integer& newHeight) override;
    // Where the picture is drawn in client coordinates.
    TRect DestRect() const;

private:
    void PictureChanged(TObject* sender);

    std::unique_ptr<TPicture> picture_;
    bool center_ = false;
    bool stretch_ = false;
    bool transparent_ = false;
    bool drawing_ = false;
};

// ---------------------------------------------------------------------------------------------
// Shapes

class TShape : public TGraphicControl {
    VCL_DECLARE_CLASS(TShape, TGraphicControl)
public:
    explicit TShape(TComponent* owner);
    ~TShape() override;

    TBrush* Brush() const { return brush_.get(); }
    void SetBrush(const TBrush* value) { brush_->Assign(value); }
    TPen* Pen() const { return pen_.get(); }
    void SetPen(const TPen* value) { pen_->Assign(value); }
    TShapeType Shape() const { return shape_; }
    void SetShape(TShapeType value);

    static void Publish(Published<TShape>& p) {
        PublishAlign(p);
        PublishAnchors(p);
        p.Property("Brush", &TShape::Brush);
        PublishDragProperties(p);
        PublishEnabled(p);
        PublishParentShowHint(p);
        p.Property("Pen", &TShape::Pen);
        p.Property("Shape", &TShape::Shape, &TShape::SetShape, stRectangle);
        PublishShowHint(p);
        PublishVisible(p);
        p.template Event<TMouseEvent>("OnMouseDown", &TControl::OnMouseDown);
        p.template Event<TMouseMoveEvent>("OnMouseMove", &TControl::OnMouseMove);
        p.template Event<TMouseEvent>("OnMouseUp", &TControl::OnMouseUp);
    }

protected:
    void Paint() override;

private:
    void StyleChanged(TObject* sender);

    std::unique_ptr<TPen> pen_;
    std::unique_ptr<TBrush> brush_;
    TShapeType shape_ = stRectangle;
};

// ---------------------------------------------------------------------------------------------
// Paint boxes

class TPaintBox : public TGraphicControl {
    VCL_DECLARE_CLASS(TPaintBox, TGraphicControl)
public:
    explicit TPaintBox(TComponent* owner);

    // Called from Paint with Canvas ready (font and brush colour from the control).
    TNotifyEvent OnPaint;

    static void Publish(Published<TPaintBox>& p) {
        PublishAlign(p);
        PublishAnchors(p);
        PublishColor(p, clBtnFace);
        PublishFont(p);
        PublishParentColor(p, true);
        PublishParentFont(p);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        PublishShowHint(p);
        PublishVisible(p);
        PublishMouseEvents(p);
        PublishDragEvents(p);
        p.Event("OnPaint", &TPaintBox::OnPaint);
    }

protected:
    void Paint() override;
};

// ---------------------------------------------------------------------------------------------
// Timers

// A timer on a hidden window of its own. The platform timer runs only while Enabled, Interval > 0 and a
// handler is set; Enabled, Interval and SetOnTimer restart it. Exceptions from OnTimer go to
// Application->HandleException.
class TTimer : public TComponent {
    VCL_DECLARE_CLASS(TTimer, TComponent)
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    Cardinal Interval() const { return interval_; }
    void SetInterval(Cardinal value);
    // Assigns OnTimer and starts or stops the platform timer to match. (Assigning the member
    // directly takes effect with the next change of Enabled or Interval, or Loaded.)
    void SetOnTimer(TNotifyEvent handler);
    // Whether the platform timer is running now.
    bool Active() const { return active_; }

    TNotifyEvent OnTimer;

    static void Publish(Published<TTimer>& p) {
        p.Property("Enabled", &TTimer::Enabled, &TTimer::SetEnabled, true);
        p.Property("Interval", &TTimer::Interval, &TTimer::SetInterval, Cardinal{1000});
        p.Event("OnTimer", &TTimer::OnTimer);
    }

protected:
    void Loaded() override;
    virtual void Timer();

private:
    void UpdateTimer();
    void StopTimer();
    void WndProc(TMessage& message);

    bool enabled_ = true;
    Cardinal interval_ = 1000;
    bool active_ = false;
    win32::HWND window_ = nullptr;
    win32::WNDPROC windowProc_ = nullptr;
};

// ---------------------------------------------------------------------------------------------
// Radio groups

// A group box of radio buttons, one per line of Items, laid out in Columns in the client area.
class TCustomRadioGroup : public TCustomGroupBox {
    VCL_DECLARE_CLASS(TCustomRadioGroup, TCustomGroupBox)
public:
    explicit TCustomRadioGroup(TComponent* owner);
    ~TCustomRadioGroup() override;

    TStrings* Items() const { return items_.get(); }
    void SetItems(const TStrings* value) { items_->Assign(value); }
    // -1 for none; raises EListError "List index out of bounds (%d)" outside -1 .. Items->Count - 1.
    Integer ItemIndex() const { return itemIndex_; }
    void SetItemIndex(Integer value);
    // 1 .. 16.
    Integer Columns() const { return columns_; }
    void SetColumns(Integer value);
    // The radio button of an item (raises EListError outside the list).
    TRadioButton* Buttons(Integer index) const;
    Integer ButtonCount() const { return static_cast<Integer>(buttons_.size()); }
    void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override;
    void WndProc(TMessage& message) override;

protected:
    void Loaded() override;
    void Resize() override;
    // Positions the buttons: columns of equal width, rows of equal height.
    void ArrangeButtons();

private:
    void ItemsChanged(TObject* sender);
    void UpdateButtons();
    void ButtonClicked(TObject* sender);

    std::unique_ptr<TStringList> items_;
    std::vector<TRadioButton*> buttons_;
    Integer itemIndex_ = -1;
    Integer columns_ = 1;
    bool updating_ = false;
};

class TRadioGroup : public TCustomRadioGroup {
    VCL_CLASS(TRadioGroup, TCustomRadioGroup)
public:
    explicit TRadioGroup(TComponent* owner) : TCustomRadioGroup(owner) {}

    static void Publish(Published<TRadioGroup>& p) {
        PublishAlign(p);
        PublishAnchors(p);
        PublishCaption(p);
        PublishColor(p, clBtnFace);
        p.Property("Columns", &TCustomRadioGroup::Columns, &TCustomRadioGroup::SetColumns, 1);
        PublishCtl3D(p);
        PublishDragProperties(p);
        PublishEnabled(p);
        PublishFont(p);
        p.Property("ItemIndex", &TCustomRadioGroup::ItemIndex, &TCustomRadioGroup::SetItemIndex, -1);
        p.Property("Items", &TCustomRadioGroup::Items);
        PublishParentColor(p, true);
        PublishParentFont(p);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        PublishShowHint(p);
        PublishTabOrder(p);
        PublishTabStop(p, false);
        PublishVisible(p);
        p.template Event<TNotifyEvent>("OnClick", &TControl::OnClick);
        PublishFocusEvents(p);
    }
};

}  // namespace vcl
