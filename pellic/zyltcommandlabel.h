// TZylCommandLabel: a hyperlink label. A press opens its address (CaptionValue behind the prefix of
// Command: "mailto:", "http://", "ftp://", "file:") with the shell, or raises RunEvent for runEVENT.
// The link shows MoveOverColor while the mouse is over it and FollowedColor once it was used.
#pragma once

#include <cstdint>
#include <string>

#include "vcl/stdctrls.h"

namespace pellic {

enum class TZylCommand : uint8_t { runNothing, runMAIL, runURL, runFTP, runFILE, runEVENT };
VCL_ENUM_NAMES(TZylCommand, "runNothing", "runMAIL", "runURL", "runFTP", "runFILE", "runEVENT")

// The look and the press of both command labels: the label hands its mouse messages here before
// its own handling, and the press opens the address the label names.
class TZylLinkBehaviour {
public:
    explicit TZylLinkBehaviour(vcl::TCustomLabel* label);

    vcl::TColor FollowedColor() const { return followedColor_; }
    void SetFollowedColor(vcl::TColor value);
    vcl::TColor MoveOverColor() const { return moveOverColor_; }
    void SetMoveOverColor(vcl::TColor value);
    bool Visited() const { return visited_; }

    // The colour the link shows when neither hot nor used; taken from the font when the label is
    // made, when it is loaded, and whenever the font changes while the link looks normal.
    void TakeNormalColor() { normalColor_ = label_->Font()->Color(); }
    // The label's messages; true when the message was a press that should open the address (the
    // inherited handling has run by then).
    bool HandleMessage(vcl::TMessage& message, const vcl::TWndMethod& inherited);
    // Opens `value` behind the prefix of `command` with the shell, or raises runEvent.
    void Run(uint8_t command, const std::string& value, const vcl::TNotifyEvent& runEvent);

private:
    void ShowColor(vcl::TColor color);

    vcl::TCustomLabel* label_;
    vcl::TColor followedColor_ = 0x800080;
    vcl::TColor moveOverColor_ = 0x0000FF;
    vcl::TColor normalColor_ = 0xFF0000;
    bool pressed_ = false;
    bool inside_ = false;
    bool visited_ = false;
    bool showsNormal_ = true;
    bool changingColor_ = false;
};

// The address a command label opens: the command's prefix before the value unless the value begins
// with it already (in any letter case); a web address that says https keeps it.
std::string ZylCommandAddress(uint8_t command, const std::string& value);

class TZylCommandLabel : public vcl::TCustomLabel {
    VCL_DECLARE_CLASS(TZylCommandLabel, vcl::TCustomLabel)
public:
    explicit TZylCommandLabel(vcl::TComponent* owner);

    TZylCommand Command() const { return command_; }
    void SetCommand(TZylCommand value) { command_ = value; }
    const std::string& CaptionValue() const { return captionValue_; }
    void SetCaptionValue(const std::string& value) { captionValue_ = value; }
    vcl::TColor FollowedColor() const { return link_.FollowedColor(); }
    void SetFollowedColor(vcl::TColor value) { link_.SetFollowedColor(value); }
    vcl::TColor MoveOverColor() const { return link_.MoveOverColor(); }
    void SetMoveOverColor(vcl::TColor value) { link_.SetMoveOverColor(value); }
    bool Visited() const { return link_.Visited(); }

    vcl::TNotifyEvent RunEvent;

    void WndProc(vcl::TMessage& message) override;

    static void Publish(vcl::Published<TZylCommandLabel>& p) {
        PublishAlign(p);
        p.Property("Alignment", &TCustomLabel::Alignment, &TCustomLabel::SetAlignment,
                   vcl::TAlignment::taLeftJustify);
        p.Property("AutoSize", &TControl::AutoSize, &TCustomLabel::SetAutoSize, true);
        PublishCaption(p);
        p.Property("CaptionValue", &TZylCommandLabel::CaptionValue, &TZylCommandLabel::SetCaptionValue,
                   std::string(kDefaultAddress));
        PublishColor(p, vcl::clBtnFace);
        p.Property("Command", &TZylCommandLabel::Command, &TZylCommandLabel::SetCommand, TZylCommand::runURL);
        PublishEnabled(p);
        p.Property("FocusControl", &TCustomLabel::FocusControl, &TCustomLabel::SetFocusControl);
        PublishFont(p);
        p.Property("FollowedColor", &TZylCommandLabel::FollowedColor, &TZylCommandLabel::SetFollowedColor,
                   vcl::TColor{0x800080})
            .TypeName("TColor")
            .Idents(vcl::ColorIdents());
        p.Property("MoveOverColor", &TZylCommandLabel::MoveOverColor, &TZylCommandLabel::SetMoveOverColor,
                   vcl::TColor{0x0000FF})
            .TypeName("TColor")
            .Idents(vcl::ColorIdents());
        PublishParentColor(p, true);
        PublishParentFont(p);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        p.Property("ShowAccelChar", &TCustomLabel::ShowAccelChar, &TCustomLabel::SetShowAccelChar, true);
        PublishShowHint(p);
        p.Property("Transparent", &TCustomLabel::Transparent, &TCustomLabel::SetTransparent, false);
        p.Property("Layout", &TCustomLabel::Layout, &TCustomLabel::SetLayout, vcl::tlTop);
        PublishVisible(p);
        p.Property("WordWrap", &TCustomLabel::WordWrap, &TCustomLabel::SetWordWrap, false);
        PublishMouseEvents(p);
        p.template Event<vcl::TNotifyEvent>("RunEvent", &TZylCommandLabel::RunEvent);
    }

    static constexpr const char* kDefaultAddress = "https://zyl.example.org";

protected:
    void Loaded() override;
    void Click() override;

private:
    TZylCommand command_ = TZylCommand::runURL;
    std::string captionValue_ = kDefaultAddress;
    TZylLinkBehaviour link_;
};

}  // namespace pellic
