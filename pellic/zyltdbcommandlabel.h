// TZylDBCommandLabel: the command label whose address is its field's text.
#pragma once

#include <cstdint>

#include "pellic/zyltcommandlabel.h"
#include "vcl/dbctrls.h"

namespace pellic {

enum class TZylDBCommand : uint8_t { runNothing, runMAIL, runURL, runFTP, runFILE, runEVENT };
VCL_ENUM_NAMES(TZylDBCommand, "runNothing", "runMAIL", "runURL", "runFTP", "runFILE", "runEVENT")

class TZylDBCommandLabel : public vcl::TDBText {
    VCL_DECLARE_CLASS(TZylDBCommandLabel, vcl::TDBText)
public:
    explicit TZylDBCommandLabel(vcl::TComponent* owner);

    TZylDBCommand Command() const { return command_; }
    void SetCommand(TZylDBCommand value) { command_ = value; }
    vcl::TColor FollowedColor() const { return link_.FollowedColor(); }
    void SetFollowedColor(vcl::TColor value) { link_.SetFollowedColor(value); }
    vcl::TColor MoveOverColor() const { return link_.MoveOverColor(); }
    void SetMoveOverColor(vcl::TColor value) { link_.SetMoveOverColor(value); }
    bool Visited() const { return link_.Visited(); }

    vcl::TNotifyEvent RunEvent;

    void WndProc(vcl::TMessage& message) override;

    static void Publish(vcl::Published<TZylDBCommandLabel>& p) {
        p.Property("Command", &TZylDBCommandLabel::Command, &TZylDBCommandLabel::SetCommand,
                   TZylDBCommand::runURL);
        p.Property("FollowedColor", &TZylDBCommandLabel::FollowedColor, &TZylDBCommandLabel::SetFollowedColor,
                   vcl::TColor{0x800080})
            .TypeName("TColor")
            .Idents(vcl::ColorIdents());
        p.Property("MoveOverColor", &TZylDBCommandLabel::MoveOverColor, &TZylDBCommandLabel::SetMoveOverColor,
                   vcl::TColor{0x0000FF})
            .TypeName("TColor")
            .Idents(vcl::ColorIdents());
        p.template Event<vcl::TNotifyEvent>("RunEvent", &TZylDBCommandLabel::RunEvent);
    }

protected:
    void Loaded() override;
    void Click() override;

private:
    TZylDBCommand command_ = TZylDBCommand::runURL;
    TZylLinkBehaviour link_;
};

}  // namespace pellic
