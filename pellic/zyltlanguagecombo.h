// The language combo: Windows language identifiers shown by their language names. It lists the
// identifiers of its table whose language is installed on the system (and the two default
// languages, which need no locale), in the table's order, and starts on the user's language.
#pragma once

#include <string>
#include <vector>

#include "vcl/stdctrls_list.h"

namespace pellic {

class TZylLanguageCombo : public vcl::TCustomComboBox {
    VCL_DECLARE_CLASS(TZylLanguageCombo, vcl::TCustomComboBox)
public:
    explicit TZylLanguageCombo(vcl::TComponent* owner);

    // 0 while nothing is selected. Setting selects the identifier's row; an identifier that is not
    // listed raises Exception "Unknown language specifier".
    vcl::Word LangID() const;
    void SetLangID(vcl::Word value);
    // LangID as four upper-case hexadecimal digits ("0407").
    std::string LangIdAsString() const;
    // The identifiers listed, in row order.
    const std::vector<vcl::Word>& Languages() const { return languages_; }

    static void Publish(vcl::Published<TZylLanguageCombo>& p) {
        PublishAnchors(p);
        PublishColor(p, vcl::clWindow);
        PublishCtl3D(p);
        p.Property("DropDownCount", &TCustomComboBox::DropDownCount, &TCustomComboBox::SetDropDownCount, 8);
        PublishDragProperties(p);
        PublishEnabled(p);
        PublishFont(p);
        PublishParentColor(p, false);
        PublishParentFont(p);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        PublishShowHint(p);
        PublishTabOrder(p);
        PublishTabStop(p, true);
        PublishVisible(p);
        p.Event<vcl::TNotifyEvent>("OnChange", &TCustomComboBox::OnChange);
        p.Event<vcl::TNotifyEvent>("OnClick", &TControl::OnClick);
        PublishDragEvents(p);
        p.Event<vcl::TNotifyEvent>("OnDropDown", &TCustomComboBox::OnDropDown);
        PublishFocusEvents(p);
        PublishKeyEvents(p);
    }

protected:
    void CreateWnd() override;

private:
    void ListLanguages();

    std::vector<vcl::Word> languages_;
    bool userLanguageChosen_ = false;
};

}  // namespace pellic
