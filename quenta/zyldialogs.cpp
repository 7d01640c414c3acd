#include "quenta/zyldialogs.h"

#include <algorithm>

#include "vcl/buttons.h"
#include "win32/user.h"

namespace quenta {

using vcl::Integer;

void ZylBeep(TZylBeeptype sound) {
    using namespace win32;
    switch (sound) {
        case bNone:
            return;
        case bDefault:
            MessageBeep(MB_OK);
            return;
        case bAsterix:
            MessageBeep(MB_ICONASTERISK);
            return;
        case bExclamation:
            MessageBeep(MB_ICONEXCLAMATION);
            return;
        case bQuestion:
            MessageBeep(MB_ICONQUESTION);
            return;
        case bCriticalStop:
            MessageBeep(MB_ICONHAND);
            return;
    }
}

Integer ZylGlyphCount(const vcl::TBitmap* glyph) {
    if (!glyph || glyph->Empty() || glyph->Height() <= 0) return 1;
    return std::clamp<Integer>(glyph->Width() / glyph->Height(), 1, 4);
}

void ZylWipe(std::string& text) {
    volatile char* bytes = text.data();
    for (size_t i = 0; i < text.size(); ++i)
        bytes[i] = '\0';
    text.clear();
}

win32::HWND ZylDialogOwnerWindow(vcl::TComponent* owner) {
    if (auto* control = dynamic_cast<vcl::TWinControl*>(owner)) return control->Handle();
    if (vcl::TCustomForm* main = vcl::Application->MainForm()) return main->Handle();
    return vcl::Application->Handle();
}

// ---------------------------------------------------------------------------------------------
// TZylDialogComponent and TZylAdvDialogComponent

VCL_DEFINE_CLASS(TZylDialogComponent, vcl::TComponent)

bool TZylDialogComponent::Execute() {
    ZylBeep(sound_);
    return false;
}

VCL_DEFINE_CLASS(TZylAdvDialogComponent, TZylDialogComponent)

void TZylAdvDialogComponent::SetWindowDefaults(const std::string& caption, Integer width, Integer height,
                                               vcl::TPosition position) {
    defaults_ = {caption, width, height, position};
    formCaption_ = caption;
    formWidth_ = width;
    formHeight_ = height;
    position_ = position;
}

void TZylAdvDialogComponent::SetFormProperties(vcl::TCustomForm* form) const {
    form->SetCaption(formCaption_);
    form->SetWidth(formWidth_);
    form->SetHeight(formHeight_);
    form->SetPosition(position_);
    form->SetTop(formTop_);
    form->SetLeft(formLeft_);
    form->SetHelpContext(helpContext_);
    form->SetBorderStyle(borderStyle_);
    // Another border changes the client area without a resize: aligned controls follow it here.
    form->Realign();
}

// ---------------------------------------------------------------------------------------------
// TZylButtonDetails

VCL_DEFINE_CLASS(TZylButtonDetails, vcl::TPersistent)

TZylButtonDetails::TZylButtonDetails(vcl::TComponent* control)
    : control_(control), glyph_(std::make_unique<vcl::TBitmap>()) {}

TZylButtonDetails::~TZylButtonDetails() = default;

void TZylButtonDetails::SetGlyph(const vcl::TBitmap* value) {
    glyph_->Assign(value);
    Changed();
}

void TZylButtonDetails::SetVisible(bool value) {
    visible_ = value;
    Changed();
}

void TZylButtonDetails::SetEnabled(bool value) {
    enabled_ = value;
    Changed();
}

void TZylButtonDetails::SetCaption(const std::string& value) {
    caption_ = value;
    Changed();
}

void TZylButtonDetails::SetHint(const std::string& value) {
    hint_ = value;
    Changed();
}

void TZylButtonDetails::SetShowHint(bool value) {
    showHint_ = value;
    Changed();
}

void TZylButtonDetails::ApplyTo(vcl::TControl* button) const {
    button->SetCaption(caption_);
    if (auto* bitButton = dynamic_cast<vcl::TBitBtn*>(button)) {
        bitButton->SetGlyph(glyph_.get());
        bitButton->SetNumGlyphs(ZylGlyphCount(glyph_.get()));
    } else if (auto* speedButton = dynamic_cast<vcl::TSpeedButton*>(button)) {
        speedButton->SetGlyph(glyph_.get());
        speedButton->SetNumGlyphs(ZylGlyphCount(glyph_.get()));
    }
    button->SetVisible(visible_);
    button->SetEnabled(enabled_);
}

void TZylButtonDetails::Changed() {
    auto* button = dynamic_cast<vcl::TControl*>(control_);
    if (!dynamic_cast<vcl::TBitBtn*>(button) && !dynamic_cast<vcl::TSpeedButton*>(button)) return;
    ApplyTo(button);
    button->SetHint(hint_);
    button->SetShowHint(showHint_);
    button->Invalidate();
}

void TZylButtonDetails::Assign(const vcl::TPersistent* source) {
    const auto* details = dynamic_cast<const TZylButtonDetails*>(source);
    if (!details) {
        TPersistent::Assign(source);
        return;
    }
    glyph_->Assign(details->glyph_.get());
    visible_ = details->visible_;
    enabled_ = details->enabled_;
    confirmOnPress_ = details->confirmOnPress_;
    confirmMessage_ = details->confirmMessage_;
    caption_ = details->caption_;
    hint_ = details->hint_;
    showHint_ = details->showHint_;
    Changed();
}

}  // namespace quenta
