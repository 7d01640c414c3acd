// The printer combo: the installed printers, each row a printer picture and the queue's name.
// Choosing one makes it the application's current printer. Without printers it shows
// "(No Printers connected)" and is disabled.
#pragma once

#include <memory>
#include <string>

#include "vcl/stdctrls_list.h"

namespace pellic {

class TZylPrinterCombo : public vcl::TCustomComboBox {
    VCL_DECLARE_CLASS(TZylPrinterCombo, vcl::TCustomComboBox)
public:
    explicit TZylPrinterCombo(vcl::TComponent* owner);
    ~TZylPrinterCombo() override;

    // The chosen printer's name; empty while no printer is listed or chosen.
    std::string SelectedPrinter() const;

    static void Publish(vcl::Published<TZylPrinterCombo>& p) {
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
        p.Event<vcl::TDrawItemEvent>("OnDrawItem", &TCustomComboBox::OnDrawItem);
        p.Event<vcl::TNotifyEvent>("OnDropDown", &TCustomComboBox::OnDropDown);
        PublishFocusEvents(p);
        PublishKeyEvents(p);
    }

protected:
    void CreateWnd() override;
    void Loaded() override;
    void Change() override;
    // A row chosen with the mouse or the keyboard: the printer changes even when OnSelect is handled.
    void Select() override;
    void DrawItem(vcl::Integer index, vcl::TRect rect, vcl::TOwnerDrawState state) override;

private:
    void ListPrinters();
    void MakeChosenPrinterCurrent();

    std::unique_ptr<vcl::TBitmap> picture_;
    bool printersListed_ = false;
    bool disabledForNoPrinters_ = false;
};

}  // namespace pellic
