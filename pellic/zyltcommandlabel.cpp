#include "pellic/zyltcommandlabel.h"

#include <iterator>

#include "vcl/forms.h"
#include "vcl/sysutils.h"
#include "win32/shell.h"

namespace pellic {

using namespace win32;

VCL_DEFINE_CLASS(TZylCommandLabel, vcl::TCustomLabel)

namespace zyltcommandlabel {

// Indexed by the command; "event" marks the event case and never reaches the shell.
constexpr const char* kPrefixes[] = {"", "mailto:", "http://", "ftp://", "file:", "event"};
constexpr uint8_t kRunUrl = 2;
constexpr uint8_t kRunEvent = 5;

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() &&
           vcl::SameText(std::string_view(text).substr(0, prefix.size()), prefix);
}

}  // namespace zyltcommandlabel

std::string ZylCommandAddress(uint8_t command, const std::string& value) {
    using namespace zyltcommandlabel;
    if (command >= std::size(kPrefixes)) return value;
    const std::string prefix = kPrefixes[command];
    if (StartsWithNoCase(value, prefix)) return value;
    if (command == kRunUrl && StartsWithNoCase(value, "https://")) return value;
    return prefix + value;
}

// ---------------------------------------------------------------------------------------------
// TZylLinkBehaviour

TZylLinkBehaviour::TZylLinkBehaviour(vcl::TCustomLabel* label) : label_(label) {
    vcl::TFont* font = label_->Font();
    font->SetSize(10);
    font->SetColor(0xFF0000);
    font->SetStyle(vcl::TFontStyles{vcl::TFontStyle::fsUnderline});
    // Taken here as well as after loading: a label made by code is never loaded.
    TakeNormalColor();
}

void TZylLinkBehaviour::SetFollowedColor(vcl::TColor value) {
    followedColor_ = value;
    if (visited_ && !inside_) ShowColor(value);
}

void TZylLinkBehaviour::SetMoveOverColor(vcl::TColor value) {
    moveOverColor_ = value;
    if (inside_ && !pressed_) ShowColor(value);
}

void TZylLinkBehaviour::ShowColor(vcl::TColor color) {
    showsNormal_ = color == normalColor_;
    if (label_->Font()->Color() == color) return;
    changingColor_ = true;
    label_->Font()->SetColor(color);
    changingColor_ = false;
}

bool TZylLinkBehaviour::HandleMessage(vcl::TMessage& message, const vcl::TWndMethod& inherited) {
    const bool live = label_->Enabled() && label_->Visible();
    switch (message.Msg) {
        case vcl::CM_FONTCHANGED:
            // A colour given while the link shows its normal look becomes the normal colour.
            if (!changingColor_ && showsNormal_) TakeNormalColor();
            break;
        case vcl::CM_MOUSEENTER: {
            inside_ = true;
            vcl::TCustomForm* form = vcl::GetParentForm(label_);
            if (live && !pressed_ && (!form || form->Active())) ShowColor(moveOverColor_);
            break;
        }
        case vcl::CM_MOUSELEAVE:
            inside_ = false;
            if (!pressed_) ShowColor(visited_ ? followedColor_ : normalColor_);
            break;
        case WM_LBUTTONDOWN:
            if (!live) break;
            pressed_ = true;
            inside_ = true;
            visited_ = true;
            ShowColor(normalColor_);
            inherited(message);
            return true;
        case WM_LBUTTONUP:
            if (!live || !pressed_) break;
            pressed_ = false;
            ShowColor(followedColor_);
            break;
        default:
            break;
    }
    inherited(message);
    return false;
}

void TZylLinkBehaviour::Run(uint8_t command, const std::string& value, const vcl::TNotifyEvent& runEvent) {
    if (command == zyltcommandlabel::kRunEvent) {
        if (runEvent) runEvent(label_);
        return;
    }
    const std::string address = ZylCommandAddress(command, value);
    if (address.empty()) return;
    vcl::TWinControl* parent = label_->Parent();
    HWND owner = parent && parent->HandleAllocated() ? parent->Handle() : nullptr;
    // A launch that fails is not reported: the link simply opens nothing.
    ShellExecute(owner, "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

// ---------------------------------------------------------------------------------------------
// TZylCommandLabel

TZylCommandLabel::TZylCommandLabel(vcl::TComponent* owner) : vcl::TCustomLabel(owner), link_(this) {
    SetCaption("Zyl Homepage");
}

void TZylCommandLabel::Loaded() {
    vcl::TCustomLabel::Loaded();
    link_.TakeNormalColor();
}

void TZylCommandLabel::Click() {
    if (Enabled()) vcl::TCustomLabel::Click();
}

void TZylCommandLabel::WndProc(vcl::TMessage& message) {
    const auto inherited = [this](vcl::TMessage& m) { vcl::TCustomLabel::WndProc(m); };
    if (link_.HandleMessage(message, inherited))
        link_.Run(static_cast<uint8_t>(command_), captionValue_, RunEvent);
}

}  // namespace pellic
