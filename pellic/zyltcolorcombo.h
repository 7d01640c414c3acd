// The colour combo: an owner-drawn list of named colours, each row a swatch and the colour's name.
// It lists "None", the sixteen basic colours and, with SystemColors, the system colours.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "vcl/stdctrls_list.h"

namespace pellic {

struct TZylColorEntry {
    vcl::TColor Color;
    const char* Name;
};

// The whole table; without system colours the list shows its first kBasicColorCount entries.
inline constexpr size_t kColorEntryCount = 42;
inline constexpr size_t kBasicColorCount = 17;
extern const std::array<TZylColorEntry, kColorEntryCount> Colors;

// May change the colour and name a row shows (not what ColorSelected and ColorByName answer).
using TZylOnSelectColor =
    std::function<void(vcl::TObject* Sender, vcl::Integer Index, vcl::TColor& Color, std::string& ColorName)>;

class TZylColorCombo : public vcl::TCustomComboBox {
    VCL_DECLARE_CLASS(TZylColorCombo, vcl::TCustomComboBox)
public:
    explicit TZylColorCombo(vcl::TComponent* owner);

    // clNone when nothing is selected. Setting selects the last listed entry of that colour and
    // leaves the selection alone when none is listed.
    vcl::TColor ColorSelected() const;
    void SetColorSelected(vcl::TColor value);
    // Empty when nothing is selected; setting matches names exactly, as ColorSelected does colours.
    std::string ColorByName() const;
    void SetColorByName(const std::string& value);
    // The right edge of the swatch; 0 draws no swatch, a negative value reads as 32.
    vcl::Integer ColorDisplayWidth() const { return colorDisplayWidth_ < 0 ? 32 : colorDisplayWidth_; }
    void SetColorDisplayWidth(vcl::Integer value);
    bool SystemColors() const { return systemColors_; }
    void SetSystemColors(bool value);
    // The framework's name of the selected colour ("clRed"); empty when nothing is selected.
    std::string ColorName() const;

    // The colour and name of row `index`, through OnSelectColor; false (clNone, no name, no
    // event) for a row that names no table entry.
    bool GetColor(vcl::Integer index, vcl::TColor& color, std::string& name);

    TZylOnSelectColor OnSelectColor;

    static void Publish(vcl::Published<TZylColorCombo>& p) {
        PublishAnchors(p);
        PublishColor(p, vcl::clWindow);
        p.Property("ColorDisplayWidth", &TZylColorCombo::ColorDisplayWidth,
                   &TZylColorCombo::SetColorDisplayWidth, 32);
        p.Property("SystemColors", &TZylColorCombo::SystemColors, &TZylColorCombo::SetSystemColors, true);
        // Both follow ItemIndex, which is what the form keeps.
        p.Property("ColorSelected", &TZylColorCombo::ColorSelected, &TZylColorCombo::SetColorSelected)
            .TypeName("TColor")
            .Idents(vcl::ColorIdents())
            .Stored(false);
        p.Property("ColorByName", &TZylColorCombo::ColorByName, &TZylColorCombo::SetColorByName)
            .Stored(false);
        PublishCtl3D(p);
        p.Property("DropDownCount", &TCustomComboBox::DropDownCount, &TCustomComboBox::SetDropDownCount, 8);
        PublishDragProperties(p);
        PublishEnabled(p);
        PublishFont(p);
        p.Property("ItemHeight", &TCustomComboBox::ItemHeight, &TCustomComboBox::SetItemHeight, 16);
        p.Property("ItemIndex", &TCustomComboBox::ItemIndex, &TCustomComboBox::SetItemIndex, 0);
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
        p.Event<TZylOnSelectColor>("OnSelectColor", &TZylColorCombo::OnSelectColor);
    }

protected:
    void DrawItem(vcl::Integer index, vcl::TRect rect, vcl::TOwnerDrawState state) override;
    void Click() override;

private:
    // Refills the rows: the entry numbers as text, keeping the selected colour where it stays listed.
    void DrawColors();
    // The table entry a row stands for; -1 for none.
    vcl::Integer EntryOf(vcl::Integer row) const;
    void SelectLastRow(const std::function<bool(const TZylColorEntry&)>& matches);

    vcl::Integer colorDisplayWidth_ = 32;
    bool systemColors_ = true;
};

}  // namespace pellic
