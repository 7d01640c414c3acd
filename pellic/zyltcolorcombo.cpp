#include "pellic/zyltcolorcombo.h"

#include "vcl/classregistration.h"
#include "vcl/sysutils.h"

namespace pellic {

using vcl::Integer;
using vcl::TColor;

namespace zyltcolorcombo {

const vcl::TClassRegistration streamingRegistration{TZylColorCombo::StaticClass()};

constexpr TColor SystemColor(int index) {
    return static_cast<TColor>(0x80000000u + static_cast<unsigned>(index));
}

}  // namespace zyltcolorcombo

const std::array<TZylColorEntry, kColorEntryCount> Colors = {{
    {vcl::clNone, "None"},
    {0x000000, "Black"},
    {0x000080, "Maroon"},
    {0x008000, "Green"},
    {0x008080, "Olive"},
    {0x800000, "Navy"},
    {0x800080, "Purple"},
    {0x808000, "Teal"},
    {0x808080, "Gray"},
    {0xC0C0C0, "Silver"},
    {0x0000FF, "Red"},
    {0x00FF00, "Lime"},
    {0x00FFFF, "Yellow"},
    {0xFF0000, "Blue"},
    {0xFF00FF, "Fuchsia"},
    {0xFFFF00, "Aqua"},
    {0xFFFFFF, "White"},
    {zyltcolorcombo::SystemColor(0), "ScrollBar"},
    {zyltcolorcombo::SystemColor(1), "Background"},
    {zyltcolorcombo::SystemColor(2), "ActiveCaption"},
    {zyltcolorcombo::SystemColor(3), "InactiveCaption"},
    {zyltcolorcombo::SystemColor(4), "Menu"},
    {zyltcolorcombo::SystemColor(5), "Window"},
    {zyltcolorcombo::SystemColor(6), "WindowFrame"},
    {zyltcolorcombo::SystemColor(7), "MenuText"},
    {zyltcolorcombo::SystemColor(8), "WindowText"},
    {zyltcolorcombo::SystemColor(9), "CaptionText"},
    {zyltcolorcombo::SystemColor(10), "ActiveBorder"},
    {zyltcolorcombo::SystemColor(11), "InactiveBorder"},
    {zyltcolorcombo::SystemColor(12), "AppWorkSpace"},
    {zyltcolorcombo::SystemColor(13), "Highlight"},
    {zyltcolorcombo::SystemColor(14), "HighlightText"},
    {zyltcolorcombo::SystemColor(15), "BtnFace"},
    {zyltcolorcombo::SystemColor(16), "BtnShadow"},
    {zyltcolorcombo::SystemColor(17), "GrayText"},
    {zyltcolorcombo::SystemColor(18), "BtnText"},
    {zyltcolorcombo::SystemColor(19), "InactiveCaptionText"},
    {zyltcolorcombo::SystemColor(20), "BtnHighlight"},
    {zyltcolorcombo::SystemColor(21), "3DDkShadow"},
    {zyltcolorcombo::SystemColor(22), "3DLight"},
    {zyltcolorcombo::SystemColor(23), "InfoText"},
    {zyltcolorcombo::SystemColor(24), "InfoBk"},
}};

VCL_DEFINE_CLASS(TZylColorCombo, vcl::TCustomComboBox)

TZylColorCombo::TZylColorCombo(vcl::TComponent* owner) : vcl::TCustomComboBox(owner) {
    SetStyle(vcl::csOwnerDrawFixed);
    if (auto* windowed = dynamic_cast<vcl::TWinControl*>(owner)) SetParent(windowed);
    // The rows exist from the start, so that a colour can be chosen before the window is made.
    DrawColors();
}

Integer TZylColorCombo::EntryOf(Integer row) const {
    if (row < 0 || row >= Items()->Count()) return -1;
    Integer entry = 0;
    if (!vcl::TryStrToInt(Items()->Strings(row), entry)) return -1;
    const size_t listed = systemColors_ ? kColorEntryCount : kBasicColorCount;
    return entry >= 0 && static_cast<size_t>(entry) < listed ? entry : -1;
}

void TZylColorCombo::DrawColors() {
    const TColor selected = ColorSelected();
    const bool hadSelection = EntryOf(ItemIndex()) >= 0;
    Items()->BeginUpdate();
    Items()->Clear();
    const size_t listed = systemColors_ ? kColorEntryCount : kBasicColorCount;
    for (size_t i = 0; i < listed; ++i)
        Items()->Add(std::to_string(i));
    Items()->EndUpdate();
    SetItemIndex(0);
    if (hadSelection) SetColorSelected(selected);
}

void TZylColorCombo::SetSystemColors(bool value) {
    if (systemColors_ == value) return;
    systemColors_ = value;
    DrawColors();
}

void TZylColorCombo::SetColorDisplayWidth(Integer value) {
    if (colorDisplayWidth_ == value) return;
    colorDisplayWidth_ = value;
    Invalidate();
}

TColor TZylColorCombo::ColorSelected() const {
    const Integer entry = EntryOf(ItemIndex());
    return entry < 0 ? vcl::clNone : Colors[static_cast<size_t>(entry)].Color;
}

std::string TZylColorCombo::ColorByName() const {
    const Integer entry = EntryOf(ItemIndex());
    return entry < 0 ? std::string() : Colors[static_cast<size_t>(entry)].Name;
}

std::string TZylColorCombo::ColorName() const {
    const Integer entry = EntryOf(ItemIndex());
    return entry < 0 ? std::string() : vcl::ColorToString(Colors[static_cast<size_t>(entry)].Color);
}

void TZylColorCombo::SelectLastRow(const std::function<bool(const TZylColorEntry&)>& matches) {
    for (Integer row = Items()->Count() - 1; row >= 0; --row) {
        const Integer entry = EntryOf(row);
        if (entry >= 0 && matches(Colors[static_cast<size_t>(entry)])) {
            SetItemIndex(row);
            return;
        }
    }
}

void TZylColorCombo::SetColorSelected(TColor value) {
    SelectLastRow([value](const TZylColorEntry& entry) { return entry.Color == value; });
}

void TZylColorCombo::SetColorByName(const std::string& value) {
    SelectLastRow([&value](const TZylColorEntry& entry) { return value == entry.Name; });
}

bool TZylColorCombo::GetColor(Integer index, TColor& color, std::string& name) {
    const Integer entry = EntryOf(index);
    if (entry < 0) {
        color = vcl::clNone;
        name.clear();
        return false;
    }
    color = Colors[static_cast<size_t>(entry)].Color;
    name = Colors[static_cast<size_t>(entry)].Name;
    if (OnSelectColor) OnSelectColor(this, index, color, name);
    return true;
}

void TZylColorCombo::DrawItem(Integer index, vcl::TRect rect, vcl::TOwnerDrawState state) {
    vcl::TCanvas* canvas = Canvas();
    TColor color = vcl::clNone;
    std::string name;
    const bool listed = GetColor(index, color, name);
    canvas->FillRect(rect);
    if (listed) {
        vcl::TRect textRect = rect;
        const Integer swatchRight = ColorDisplayWidth();
        if (swatchRight > 0) {
            const TColor background = canvas->Brush()->Color();
            canvas->Pen()->SetColor(vcl::clBlack);
            canvas->Pen()->SetWidth(1);
            // "None" has no colour to show: its swatch is the empty frame.
            if (color == vcl::clNone) {
                canvas->Brush()->SetStyle(vcl::bsClear);
            } else {
                canvas->Brush()->SetStyle(vcl::bsSolid);
                canvas->Brush()->SetColor(color);
            }
            canvas->Rectangle(rect.left + 2, rect.top + 2, swatchRight, rect.bottom - 2);
            canvas->Brush()->SetStyle(vcl::bsSolid);
            canvas->Brush()->SetColor(background);
            canvas->Pen()->SetColor(background);
            textRect.left = swatchRight + 2;
        }
        // One line, centred vertically (what DT_SINGLELINE | DT_VCENTER does), clipped to its room.
        if (textRect.left < textRect.right) {
            const Integer top =
                textRect.top + (textRect.bottom - textRect.top - canvas->TextHeight(name)) / 2;
            canvas->TextRect(textRect, textRect.left, top, name);
        }
    }
    if (OnDrawItem) OnDrawItem(this, index, rect, state);
}

void TZylColorCombo::Click() {
    TColor color = vcl::clNone;
    std::string name;
    GetColor(ItemIndex(), color, name);
    Inherited::Click();
}

}  // namespace pellic
