#include "pellic/zyltdbcommandlabel.h"

namespace pellic {

VCL_DEFINE_CLASS(TZylDBCommandLabel, vcl::TDBText)

TZylDBCommandLabel::TZylDBCommandLabel(vcl::TComponent* owner) : vcl::TDBText(owner), link_(this) {
    SetCursor(vcl::crHandPoint);
    // Shown until a field gives the text.
    SetCaption(TZylCommandLabel::kDefaultAddress);
}

void TZylDBCommandLabel::Loaded() {
    vcl::TDBText::Loaded();
    link_.TakeNormalColor();
}

void TZylDBCommandLabel::Click() {
    if (Enabled()) vcl::TDBText::Click();
}

void TZylDBCommandLabel::WndProc(vcl::TMessage& message) {
    const auto inherited = [this](vcl::TMessage& m) { vcl::TDBText::WndProc(m); };
    // The caption is the field's display text while a field is linked.
    if (link_.HandleMessage(message, inherited))
        link_.Run(static_cast<uint8_t>(command_), Caption(), RunEvent);
}

}  // namespace pellic
