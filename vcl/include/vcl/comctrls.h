// Common controls: the plain-text rich edit and the status bar.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "vcl/classes.h"
#include "vcl/stdctrls_edit.h"

namespace vcl {

// ---------------------------------------------------------------------------------------------
// Rich edit (plain text: one set of attributes applies to the whole text)

enum class TAttributeType : uint8_t { atSelected, atDefaultText };
VCL_ENUM_NAMES(TAttributeType, "atSelected", "atDefaultText")
using enum TAttributeType;

class TCustomRichEdit;

// Character attributes of a rich edit; they read and write the control's font.
class TTextAttributes : public TPersistent {
    VCL_DECLARE_CLASS(TTextAttributes, TPersistent)
public:
    TTextAttributes(TCustomRichEdit* richEdit, TAttributeType type) : richEdit_(richEdit), type_(type) {}

    TAttributeType AttributeType() const { return type_; }
    TColor Color() const;
    void SetColor(TColor value);
    std::string Name() const;
    void SetName(const std::string& value);
    Integer Size() const;
    void SetSize(Integer value);
    Integer Height() const;
    void SetHeight(Integer value);
    TFontStyles Style() const;
    void SetStyle(TFontStyles value);
    TFontPitch Pitch() const;
    void SetPitch(TFontPitch value);
    TFontCharset Charset() const;
    void SetCharset(TFontCharset value);

    // From a TFont or other text attributes.
    void Assign(const TPersistent* source) override;
    TPersistent* GetOwner() const override;

protected:
    void AssignTo(TPersistent* dest) const override;

private:
    TCustomRichEdit* richEdit_;
    TAttributeType type_;
};

class TCustomRichEdit : public TCustomMemo {
    VCL_DECLARE_CLASS(TCustomRichEdit, TCustomMemo)
public:
    explicit TCustomRichEdit(TComponent* owner);
    ~TCustomRichEdit() override;

    TTextAttributes* DefAttributes() const { return defAttributes_.get(); }
    void SetDefAttributes(const TTextAttributes* value) { defAttributes_->Assign(value); }
    TTextAttributes* SelAttributes() const { return selAttributes_.get(); }
    void SetSelAttributes(const TTextAttributes* value) { selAttributes_->Assign(value); }
    bool PlainText() const { return plainText_; }
    void SetPlainText(bool value) { plainText_ = value; }
    bool HideScrollBars() const { return hideScrollBars_; }
    void SetHideScrollBars(bool value) { hideScrollBars_ = value; }

    // The position of `text` from startPos within length bytes; -1 when absent.
    Integer FindText(const std::string& text, Integer startPos, Integer length, bool matchCase = true) const;

private:
    std::unique_ptr<TTextAttributes> defAttributes_;
    std::unique_ptr<TTextAttributes> selAttributes_;
    bool plainText_ = false;
    bool hideScrollBars_ = true;
};

class TRichEdit : public TCustomRichEdit {
    VCL_CLASS(TRichEdit, TCustomRichEdit)
public:
    explicit TRichEdit(TComponent* owner) : TCustomRichEdit(owner) {}

    static void Publish(Published<TRichEdit>& p) {
        PublishAlign(p);
        PublishMemoProperties(p);
        PublishAnchors(p);
        p.Property("BorderStyle", &TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle, bsSingle);
        PublishColor(p, clWindow);
        PublishCtl3D(p);
        PublishEnabled(p);
        PublishFont(p);
        p.Property("HideScrollBars", &TCustomRichEdit::HideScrollBars, &TCustomRichEdit::SetHideScrollBars,
                   true);
        p.Property("HideSelection", &TCustomEdit::HideSelection, &TCustomEdit::SetHideSelection, true);
        p.Property("Lines", &TCustomMemo::Lines);
        p.Property("MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength, 0);
        PublishParentColor(p, false);
        PublishParentFont(p);
        PublishParentShowHint(p);
        p.Property("PlainText", &TCustomRichEdit::PlainText, &TCustomRichEdit::SetPlainText, false);
        PublishPopupMenu(p);
        PublishReadOnly(p);
        p.Property("ScrollBars", &TCustomMemo::ScrollBars, &TCustomMemo::SetScrollBars, ssNone);
        PublishShowHint(p);
        PublishTabOrder(p);
        PublishTabStop(p, true);
        PublishVisible(p);
        p.Property("WantReturns", &TCustomMemo::WantReturns, &TCustomMemo::SetWantReturns, true);
        p.Property("WantTabs", &TCustomMemo::WantTabs, &TCustomMemo::SetWantTabs, false);
        p.Property("WordWrap", &TCustomMemo::WordWrap, &TCustomMemo::SetWordWrap, true);
        PublishOnChange(p);
        PublishMouseEvents(p);
        PublishFocusEvents(p);
        PublishKeyEvents(p);
    }
};

// ---------------------------------------------------------------------------------------------
// Status bar

enum class TStatusPanelStyle : uint8_t { psText, psOwnerDraw };
VCL_ENUM_NAMES(TStatusPanelStyle, "psText", "psOwnerDraw")
using enum TStatusPanelStyle;

enum class TStatusPanelBevel : uint8_t { pbNone, pbLowered, pbRaised };
VCL_ENUM_NAMES(TStatusPanelBevel, "pbNone", "pbLowered", "pbRaised")
using enum TStatusPanelBevel;

class TStatusBar;

class TStatusPanel : public TCollectionItem {
    VCL_DECLARE_CLASS(TStatusPanel, TCollectionItem)
public:
    explicit TStatusPanel(TCollection* collection) : TCollectionItem(collection) {}

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    TStatusPanelBevel Bevel() const { return bevel_; }
    void SetBevel(TStatusPanelBevel value);
    TStatusPanelStyle Style() const { return style_; }
    void SetStyle(TStatusPanelStyle value);
    const std::string& Text() const { return text_; }
    void SetText(const std::string& value);
    Integer Width() const { return width_; }
    void SetWidth(Integer value);
    std::string DisplayName() const override;

    static void Publish(Published<TStatusPanel>& p) {
        p.Property("Alignment", &TStatusPanel::Alignment, &TStatusPanel::SetAlignment,
                   TAlignment::taLeftJustify);
        p.Property("Bevel", &TStatusPanel::Bevel, &TStatusPanel::SetBevel, pbLowered);
        p.Property("Style", &TStatusPanel::Style, &TStatusPanel::SetStyle, psText);
        p.Property("Text", &TStatusPanel::Text, &TStatusPanel::SetText);
        p.Property("Width", &TStatusPanel::Width, &TStatusPanel::SetWidth);
    }

private:
    TAlignment alignment_ = TAlignment::taLeftJustify;
    TStatusPanelBevel bevel_ = pbLowered;
    TStatusPanelStyle style_ = psText;
    std::string text_;
    Integer width_ = 50;
};

class TStatusPanels : public TCollection {
    VCL_DECLARE_CLASS(TStatusPanels, TCollection)
public:
    explicit TStatusPanels(TStatusBar* statusBar);

    TStatusPanel* Add() { return static_cast<TStatusPanel*>(TCollection::Add()); }
    // Raises EListError for an index out of range.
    TStatusPanel* Items(int index) const { return static_cast<TStatusPanel*>(TCollection::Items(index)); }
    TPersistent* GetOwner() const override;

protected:
    void Update(TCollectionItem* item) override;

private:
    TStatusBar* statusBar_;
};

using TDrawPanelEvent = std::function<void(TStatusBar* StatusBar, TStatusPanel* Panel, const TRect& Rect)>;

class TStatusBar : public TCustomControl {
    VCL_DECLARE_CLASS(TStatusBar, TCustomControl)
public:
    explicit TStatusBar(TComponent* owner);
    ~TStatusBar() override;

    TStatusPanels* Panels() const { return panels_.get(); }
    void SetPanels(const TStatusPanels* value) { panels_->Assign(value); }
    bool SimplePanel() const { return simplePanel_; }
    void SetSimplePanel(bool value);
    const std::string& SimpleText() const { return simpleText_; }
    void SetSimpleText(const std::string& value);
    bool SizeGrip() const { return sizeGrip_; }
    void SetSizeGrip(bool value);
    bool AutoHint() const { return autoHint_; }
    void SetAutoHint(bool value) { autoHint_ = value; }

    // The rectangle a panel occupies (inside its bevel), client coordinates; raises EListError.
    TRect PanelRect(int index) const;

    TDrawPanelEvent OnDrawPanel;
    TNotifyEvent OnHint;

    static void Publish(Published<TStatusBar>& p) {
        p.Property("Align", &TControl::Align, &TControl::SetAlign, alBottom);
        PublishAnchors(p);
        p.Property("AutoHint", &TStatusBar::AutoHint, &TStatusBar::SetAutoHint, false);
        PublishColor(p, clBtnFace);
        PublishEnabled(p);
        PublishFont(p);
        p.Property("Panels", &TStatusBar::Panels);
        PublishParentColor(p, false);
        PublishParentFont(p, false);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        PublishShowHint(p);
        p.Property("SimplePanel", &TStatusBar::SimplePanel, &TStatusBar::SetSimplePanel, false);
        p.Property("SimpleText", &TStatusBar::SimpleText, &TStatusBar::SetSimpleText);
        p.Property("SizeGrip", &TStatusBar::SizeGrip, &TStatusBar::SetSizeGrip, true);
        PublishVisible(p);
        PublishMouseEvents(p);
        p.Event<TDrawPanelEvent>("OnDrawPanel", &TStatusBar::OnDrawPanel);
        p.Event<TNotifyEvent>("OnHint", &TStatusBar::OnHint);
        PublishOnResize(p);
    }

protected:
    void Paint() override;
    virtual void DrawPanel(TStatusPanel* panel, const TRect& rect);

private:
    void DrawBevel(TRect rect, TStatusPanelBevel bevel);
    void DrawPanelText(const std::string& text, TRect rect, TAlignment alignment);
    bool ShowsSizeGrip() const;

    std::unique_ptr<TStatusPanels> panels_;
    bool simplePanel_ = false;
    std::string simpleText_;
    bool sizeGrip_ = true;
    bool autoHint_ = false;
};

}  // namespace vcl
