// Windowless captions drawn in relief: a static label, a label showing a dataset field and a label
// showing a file path shortened in the middle to fit. Each owns a 3D text effect and a frame, and may
// link shared backgrounds for the area behind the text and for the inside of the letters.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "lumaro/zylbackgrounds.h"
#include "lumaro/zylenhanced.h"
#include "vcl/db.h"
#include "vcl/stdctrls.h"

namespace lumaro {

// ---------------------------------------------------------------------------------------------
// TZylCustomLabel

// What the three labels share: the owned Font3D and Frame, the two background links and the
// painting sequence (background, text, frame). Descendants choose the background order, the DrawText
// flags and the rectangle the text is laid out in.
class TZylCustomLabel : public vcl::TCustomLabel {
    VCL_DECLARE_CLASS(TZylCustomLabel, vcl::TCustomLabel)
public:
    explicit TZylCustomLabel(vcl::TComponent* owner);

    TZylFont3D* Font3D() const { return font3D_.get(); }
    // Copies the values of `value` (nullptr is ignored) and repaints.
    void SetFont3D(TZylFont3D* value);
    TZylFrame* Frame() const { return frame_.get(); }
    // Copies the values of `value` (nullptr is ignored) and repaints.
    void SetFrame(TZylFrame* value);
    // Painted behind the text unless the label is transparent.
    TZylBackground* Background() const { return static_cast<TZylBackground*>(background_.Get()); }
    void SetBackground(TZylBackground* value);
    // When set, the letters are filled with it.
    TZylBackground* FontBackground() const { return static_cast<TZylBackground*>(fontBackground_.Get()); }
    void SetFontBackground(TZylBackground* value);

    void DefineProperties(vcl::TFiler& filer) override;

protected:
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;
    void Paint() override;
    // Draws the text in `rect` with `flags` through FontBackground or Font3D; with DT_CALCRECT it only
    // measures. The ampersand always marks an accelerator here, whatever ShowAccelChar says.
    void DoDrawText(vcl::TRect& rect, win32::UINT flags) override;

    // Step one of painting, only for an opaque label.
    virtual void PaintBackground();
    // The DrawText flags of the caption.
    virtual win32::UINT CaptionFlags() const;
    // Where the caption is laid out, inside the client rectangle.
    virtual vcl::TRect CaptionRect() const = 0;

    // Fills the client rectangle with Color.
    void FillWithColor();
    // Lets Background paint the client rectangle; false when none is linked.
    bool DrawLinkedBackground();
    // DT_LEFT, DT_RIGHT or DT_CENTER for Alignment.
    win32::UINT AlignmentFlags() const;

private:
    std::unique_ptr<TZylFont3D> font3D_;
    std::unique_ptr<TZylFrame> frame_;
    TZylBackgroundClient background_{this};
    TZylBackgroundClient fontBackground_{this};
};

// ---------------------------------------------------------------------------------------------
// TZylLabel

// A static caption in relief, inside a frame, over an optional background.
class TZylLabel : public TZylCustomLabel {
    VCL_DECLARE_CLASS(TZylLabel, TZylCustomLabel)
public:
    explicit TZylLabel(vcl::TComponent* owner);

    static void Publish(vcl::Published<TZylLabel>& p) {
        PublishAlign(p);
        p.Property("Alignment", &TCustomLabel::Alignment, &TCustomLabel::SetAlignment,
                   vcl::TAlignment::taLeftJustify);
        p.Property("Background", &TZylCustomLabel::Background, &TZylCustomLabel::SetBackground);
        PublishCaption(p);
        PublishColor(p, vcl::clWindow);
        PublishEnabled(p);
        p.Property("FocusControl", &TCustomLabel::FocusControl, &TCustomLabel::SetFocusControl);
        PublishFont(p);
        p.Property("Font3D", &TZylCustomLabel::Font3D, &TZylCustomLabel::SetFont3D);
        p.Property("FontBackground", &TZylCustomLabel::FontBackground, &TZylCustomLabel::SetFontBackground);
        p.Property("Frame", &TZylCustomLabel::Frame, &TZylCustomLabel::SetFrame);
        PublishParentColor(p, true);
        PublishParentFont(p);
        p.Property("ShowAccelChar", &TCustomLabel::ShowAccelChar, &TCustomLabel::SetShowAccelChar, true);
        PublishShowHint(p);
        p.Property("Transparent", &TCustomLabel::Transparent, &TCustomLabel::SetTransparent, false);
        PublishVisible(p);
        p.Property("WordWrap", &TCustomLabel::WordWrap, &TCustomLabel::SetWordWrap, false);
        PublishMouseEvents(p);
    }

protected:
    vcl::TRect CaptionRect() const override;
};

// ---------------------------------------------------------------------------------------------
// TZylDBLabel

// Shows the display text of one field of a dataset; its 3D look and frame are not written with the
// form, so a reloaded form shows the defaults.
class TZylDBLabel : public TZylCustomLabel {
    VCL_DECLARE_CLASS(TZylDBLabel, TZylCustomLabel)
public:
    explicit TZylDBLabel(vcl::TComponent* owner);
    ~TZylDBLabel() override;

    vcl::TDataSource* DataSource() const { return dataLink_->DataSource(); }
    void SetDataSource(vcl::TDataSource* value);
    const std::string& DataField() const { return dataLink_->FieldName(); }
    void SetDataField(const std::string& value);
    vcl::TField* Field() const { return dataLink_->Field(); }
    vcl::TFieldDataLink* DataLink() const { return dataLink_.get(); }

    void SetAutoSize(bool value) override;
    // Answers CM_GETDATALINK with the field link.
    void WndProc(vcl::TMessage& message) override;

    static void Publish(vcl::Published<TZylDBLabel>& p) {
        PublishAlign(p);
        p.Property("Alignment", &TCustomLabel::Alignment, &TCustomLabel::SetAlignment,
                   vcl::TAlignment::taLeftJustify);
        p.Property("Background", &TZylCustomLabel::Background, &TZylCustomLabel::SetBackground);
        PublishCaption(p);
        PublishColor(p, vcl::clWindow);
        p.Property("DataField", &TZylDBLabel::DataField, &TZylDBLabel::SetDataField);
        p.Property("DataSource", &TZylDBLabel::DataSource, &TZylDBLabel::SetDataSource);
        PublishEnabled(p);
        p.Property("FocusControl", &TCustomLabel::FocusControl, &TCustomLabel::SetFocusControl);
        PublishFont(p);
        p.Property("Font3D", &TZylCustomLabel::Font3D, &TZylCustomLabel::SetFont3D).Stored(false);
        p.Property("FontBackground", &TZylCustomLabel::FontBackground, &TZylCustomLabel::SetFontBackground);
        p.Property("Frame", &TZylCustomLabel::Frame, &TZylCustomLabel::SetFrame).Stored(false);
        p.Property("ShowAccelChar", &TCustomLabel::ShowAccelChar, &TCustomLabel::SetShowAccelChar, false);
        PublishShowHint(p);
        p.Property("Transparent", &TCustomLabel::Transparent, &TCustomLabel::SetTransparent, false);
        PublishVisible(p);
        p.Property("WordWrap", &TCustomLabel::WordWrap, &TCustomLabel::SetWordWrap, false);
        PublishMouseEvents(p);
    }

protected:
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;
    void Loaded() override;
    void Paint() override;
    win32::UINT CaptionFlags() const override;
    vcl::TRect CaptionRect() const override;

private:
    void DataChange();
    // The field's display text; without a field the component's name while designed, else empty.
    std::string FieldText() const;

    std::unique_ptr<vcl::TFieldDataLink> dataLink_;
};

// ---------------------------------------------------------------------------------------------
// TZylFileLabel3D

// Shows a file path; a path wider than the label loses directories from its middle ("C:\...\b\f.txt"),
// keeping the drive and the file name.
class TZylFileLabel3D : public TZylCustomLabel {
    VCL_DECLARE_CLASS(TZylFileLabel3D, TZylCustomLabel)
public:
    explicit TZylFileLabel3D(vcl::TComponent* owner);

    const std::string& Filename() const { return filename_; }
    void SetFilename(const std::string& value);
    char Separator() const { return separator_; }
    void SetSeparator(char value);
    // The path cut at every Separator, left to right.
    const std::vector<std::string>& Parts() const { return parts_; }
    // The first part names a drive ("C:").
    bool HasDrive() const { return drive_; }

    void SetBounds(vcl::Integer left, vcl::Integer top, vcl::Integer width, vcl::Integer height) override;
    void WndProc(vcl::TMessage& message) override;

    static void Publish(vcl::Published<TZylFileLabel3D>& p) {
        PublishAlign(p);
        p.Property("Alignment", &TCustomLabel::Alignment, &TCustomLabel::SetAlignment,
                   vcl::TAlignment::taLeftJustify);
        p.Property("Background", &TZylCustomLabel::Background, &TZylCustomLabel::SetBackground);
        PublishColor(p, vcl::clWindow);
        PublishEnabled(p);
        p.Property("Filename", &TZylFileLabel3D::Filename, &TZylFileLabel3D::SetFilename);
        p.Property("FocusControl", &TCustomLabel::FocusControl, &TCustomLabel::SetFocusControl);
        PublishFont(p);
        p.Property("Font3D", &TZylCustomLabel::Font3D, &TZylCustomLabel::SetFont3D);
        p.Property("FontBackground", &TZylCustomLabel::FontBackground, &TZylCustomLabel::SetFontBackground);
        p.Property("Frame", &TZylCustomLabel::Frame, &TZylCustomLabel::SetFrame);
        PublishParentColor(p, true);
        PublishParentFont(p);
        p.Property("Separator", &TZylFileLabel3D::Separator, &TZylFileLabel3D::SetSeparator, '\\');
        p.Property("ShowAccelChar", &TCustomLabel::ShowAccelChar, &TCustomLabel::SetShowAccelChar, true);
        PublishShowHint(p);
        p.Property("Transparent", &TCustomLabel::Transparent, &TCustomLabel::SetTransparent, false);
        PublishVisible(p);
        PublishMouseEvents(p);
    }

protected:
    void Loaded() override;
    void PaintBackground() override;
    vcl::TRect CaptionRect() const override;

private:
    void SplitPath();
    // Sets the caption to the path, shortened to the control's width when it does not fit.
    void ShortenPath();

    std::string filename_;
    char separator_ = '\\';
    std::vector<std::string> parts_;
    bool drive_ = false;
};

}  // namespace lumaro
