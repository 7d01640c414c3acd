// The base of the edits with two small buttons docked inside their right edge: a masked edit that
// owns two speed buttons, each configured through a TZylButtonClass (glyph, caption, hint,
// visibility, keyboard shortcut) and each raising its own click event. EditButton1 is the inner
// button, EditButton2 the one at the edge; a hidden button leaves its room to the text.
//
// A click on a button raises its event (Sender: the edit), then gives the edit the focus. A key
// that equals a button's ShortCutKey does the same and is consumed. Enter and Escape reach the
// form's default and cancel buttons once per key press; Enter and Ctrl+Enter insert nothing.
#pragma once

#include <memory>
#include <string>

#include "vcl/buttons.h"
#include "vcl/mask.h"
#include "vcl/shortcuts.h"

namespace pellic {

class TZylCustomLookupEdit;

// The settings of one speed button that the object wraps but does not own.
class TZylButtonClass : public vcl::TPersistent {
    VCL_DECLARE_CLASS(TZylButtonClass, vcl::TPersistent)
public:
    TZylButtonClass(TZylCustomLookupEdit* edit, vcl::TSpeedButton* button) : edit_(edit), button_(button) {}

    vcl::TSpeedButton* Button() const { return button_; }

    std::string Caption() const { return button_->Caption(); }
    void SetCaption(const std::string& value) { button_->SetCaption(value); }
    // Showing or hiding a button lays the edit's text and buttons out again.
    bool Visible() const { return button_->Visible(); }
    void SetVisible(bool value);
    bool Enabled() const { return button_->Enabled(); }
    void SetEnabled(bool value) { button_->SetEnabled(value); }
    std::string Hint() const { return button_->Hint(); }
    void SetHint(const std::string& value) { button_->SetHint(value); }
    bool ShowHint() const { return button_->ShowHint(); }
    void SetShowHint(bool value) { button_->SetShowHint(value); }
    vcl::TNumGlyphs NumGlyphs() const { return button_->NumGlyphs(); }
    void SetNumGlyphs(vcl::TNumGlyphs value) { button_->SetNumGlyphs(value); }
    vcl::TBitmap* Glyph() const { return button_->Glyph(); }
    void SetGlyph(const vcl::TBitmap* value) { button_->SetGlyph(value); }
    // 0: none.
    vcl::TShortCut ShortCutKey() const { return shortCutKey_; }
    void SetShortCutKey(vcl::TShortCut value) { shortCutKey_ = value; }

    void Assign(const vcl::TPersistent* source) override;
    vcl::TPersistent* GetOwner() const override;

    static void Publish(vcl::Published<TZylButtonClass>& p) {
        p.Property("Caption", &TZylButtonClass::Caption, &TZylButtonClass::SetCaption);
        p.Property("Visible", &TZylButtonClass::Visible, &TZylButtonClass::SetVisible, true);
        p.Property("Enabled", &TZylButtonClass::Enabled, &TZylButtonClass::SetEnabled, true);
        p.Property("Hint", &TZylButtonClass::Hint, &TZylButtonClass::SetHint);
        p.Property("ShowHint", &TZylButtonClass::ShowHint, &TZylButtonClass::SetShowHint, false);
        p.Property("NumGlyphs", &TZylButtonClass::NumGlyphs, &TZylButtonClass::SetNumGlyphs, 1);
        p.Property("Glyph", &TZylButtonClass::Glyph);
        p.Property("ShortCutKey", &TZylButtonClass::ShortCutKey, &TZylButtonClass::SetShortCutKey,
                   vcl::TShortCut{vcl::scNone})
            .TypeName("TShortCut");
    }

private:
    TZylCustomLookupEdit* edit_;
    vcl::TSpeedButton* button_;
    vcl::TShortCut shortCutKey_ = vcl::scNone;
};

class TZylCustomLookupEdit : public vcl::TCustomMaskEdit {
    VCL_DECLARE_CLASS(TZylCustomLookupEdit, vcl::TCustomMaskEdit)
public:
    explicit TZylCustomLookupEdit(vcl::TComponent* owner);
    ~TZylCustomLookupEdit() override;

    TZylButtonClass* EditButton1() const { return editButton1_.get(); }
    void SetEditButton1(const TZylButtonClass* value) { editButton1_->Assign(value); }
    TZylButtonClass* EditButton2() const { return editButton2_.get(); }
    void SetEditButton2(const TZylButtonClass* value) { editButton2_->Assign(value); }
    vcl::TAlignment Alignment() const { return AlignmentValue(); }
    void SetAlignment(vcl::TAlignment value);
    // The smallest height at which the text fits.
    vcl::Integer GetMinHeight() const;

    // Raised by the buttons with the edit as Sender.
    vcl::TNotifyEvent OnButton1Click;
    vcl::TNotifyEvent OnButton2Click;

    void WndProc(vcl::TMessage& message) override;

    template <typename T>
    static void PublishButtons(vcl::Published<T>& p) {
        p.Property("EditButton1", &TZylCustomLookupEdit::EditButton1);
        p.template Event<vcl::TNotifyEvent>("OnButton1Click", &TZylCustomLookupEdit::OnButton1Click);
        p.Property("EditButton2", &TZylCustomLookupEdit::EditButton2);
        p.template Event<vcl::TNotifyEvent>("OnButton2Click", &TZylCustomLookupEdit::OnButton2Click);
    }

protected:
    friend class TZylButtonClass;

    void CreateParams(vcl::TCreateParams& params) override;
    void CreateWnd() override;
    void Resize() override;
    void Loaded() override;
    void KeyDown(vcl::Word& key, vcl::TShiftState shift) override;
    void KeyPress(char32_t& key) override;

    virtual void EditButton1Click(vcl::TObject* Sender);
    virtual void EditButton2Click(vcl::TObject* Sender);
    // Places the visible buttons, the right one at the edge; hidden ones go out of sight.
    void SetButtons();
    // Narrows the text to the room the visible buttons leave.
    void SetEditRect();
    // Both, after the size or a button's visibility changed.
    void LayOut();
    // Loads a strip of a normal and a disabled image compiled into the package.
    static void LoadGlyph(TZylButtonClass& settings, const char* resourceName);

    // The edit's own published properties, shared by the published lookup edits.
    template <typename T>
    static void PublishLookupEditProperties(vcl::Published<T>& p) {
        p.Property("Alignment", &TZylCustomLookupEdit::Alignment, &TZylCustomLookupEdit::SetAlignment,
                   vcl::TAlignment::taLeftJustify);
        PublishAnchors(p);
        p.Property("AutoSelect", &vcl::TCustomEdit::AutoSelect, &vcl::TCustomEdit::SetAutoSelect, true);
        // The buttons keep the height: the edit is made without automatic height.
        p.Property("AutoSize", &vcl::TControl::AutoSize, &vcl::TCustomEdit::SetAutoSize, false);
        p.Property("BorderStyle", &vcl::TCustomEdit::BorderStyle, &vcl::TCustomEdit::SetBorderStyle,
                   vcl::bsSingle);
        p.Property("CharCase", &vcl::TCustomEdit::CharCase, &vcl::TCustomEdit::SetCharCase, vcl::ecNormal);
        PublishColor(p, vcl::clWindow);
        PublishCtl3D(p);
        PublishDragProperties(p);
        p.Property("EditMask", &vcl::TCustomMaskEdit::EditMask, &vcl::TCustomMaskEdit::SetEditMask);
        PublishEnabled(p);
        PublishFont(p);
        PublishHideSelectionMaxLength(p);
        PublishParentColor(p, false);
        PublishParentFont(p);
        PublishParentShowHint(p);
        PublishPasswordChar(p);
        PublishPopupMenu(p);
        PublishReadOnly(p);
        PublishShowHint(p);
        PublishTabOrder(p);
        PublishTabStop(p, true);
        PublishVisible(p);
    }
    template <typename T>
    static void PublishLookupEditEvents(vcl::Published<T>& p) {
        PublishOnChange(p);
        PublishMouseEvents(p);
        PublishDragEvents(p);
        PublishFocusEvents(p);
        PublishKeyEvents(p);
    }

private:
    vcl::TComponentPtr<vcl::TSpeedButton> NewButton(void (TZylCustomLookupEdit::*click)(vcl::TObject*));

    // Parts of the edit (no owner, never written with a form), freed while the edit is whole.
    vcl::TComponentPtr<vcl::TSpeedButton> button1_;
    vcl::TComponentPtr<vcl::TSpeedButton> button2_;
    std::unique_ptr<TZylButtonClass> editButton1_;
    std::unique_ptr<TZylButtonClass> editButton2_;
    bool layingOut_ = false;
};

// The lookup edit: an ellipsis button inside and a drop-down-arrow button at the edge, whose
// clicks are the application's (OnButton1Click, OnButton2Click).
class TZylLookupEdit : public TZylCustomLookupEdit {
    VCL_DECLARE_CLASS(TZylLookupEdit, TZylCustomLookupEdit)
public:
    explicit TZylLookupEdit(vcl::TComponent* owner);

    static void Publish(vcl::Published<TZylLookupEdit>& p) {
        PublishLookupEditProperties(p);
        PublishButtons(p);
        PublishText(p);
        PublishLookupEditEvents(p);
    }
};

}  // namespace pellic
