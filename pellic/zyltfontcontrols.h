// The font box and the font combo: owner-drawn lists of the screen's font families, each row a
// glyph for the font technology and the family's name. FilterOptions chooses the technologies
// listed and OnValidateFont can refuse any family. Each control owns its sorted font list; the rows
// point at the list's objects.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "vcl/stdctrls_list.h"
#include "vcl/stringlist.h"

namespace pellic {

enum class TZylFontTypes : uint8_t { PS, TTF, RASTER, Other };
VCL_ENUM_NAMES(TZylFontTypes, "PS", "TTF", "RASTER", "Other")

enum class TZylFilterOption : uint8_t { ShowTrueType, ShowPostScript, ShowRaster, ShowOther };
VCL_ENUM_NAMES(TZylFilterOption, "ShowTrueType", "ShowPostScript", "ShowRaster", "ShowOther")
using TZylFilterOptions = vcl::Set<TZylFilterOption>;

inline const TZylFilterOptions kAllFontFilters{TZylFilterOption::ShowTrueType,
                                               TZylFilterOption::ShowPostScript, TZylFilterOption::ShowRaster,
                                               TZylFilterOption::ShowOther};

// One family: its face name (at most 32 characters, as the platform's face names) and technology.
class TZylFontClass : public vcl::TObject {
    VCL_DECLARE_CLASS(TZylFontClass, vcl::TObject)
public:
    TZylFontClass(std::string name, TZylFontTypes fontType) : name_(std::move(name)), fontType_(fontType) {}

    const std::string& Name() const { return name_; }
    TZylFontTypes FontType() const { return fontType_; }

private:
    std::string name_;
    TZylFontTypes fontType_;
};

// Sorted face names whose objects are TZylFontClass instances that the list owns; a name is
// listed once.
class TZylFontList : public vcl::TStringList {
    VCL_DECLARE_CLASS(TZylFontList, vcl::TStringList)
public:
    TZylFontList();

    void AddFont(std::unique_ptr<TZylFontClass> font);
    TZylFontClass* Font(vcl::Integer index) const { return static_cast<TZylFontClass*>(Objects(index)); }
};

using TZylOnFontValidate = std::function<void(vcl::TObject* Sender, TZylFontClass* Font, bool& accept)>;

namespace zyltfontcontrols {
struct FontGlyphs;
}  // namespace zyltfontcontrols

// What the font box and the font combo share, over the list control they are built on: the font
// list, the filters and the veto, the selection by name and the drawn rows.
template <typename Base>
class TZylFontListControl : public Base {
public:
    ~TZylFontListControl() override;

    // Enumerates the families again and lists them.
    void ReBuild();
    TZylFontList* FontList() const { return fonts_.get(); }

    // Empty when nothing is selected; a name not listed clears the selection.
    std::string FontSelected() const;
    void SetFontSelected(const std::string& value);
    TZylFilterOptions FilterOptions() const { return filterOptions_; }
    void SetFilterOptions(TZylFilterOptions value);

    TZylOnFontValidate OnValidateFont;

protected:
    explicit TZylFontListControl(vcl::TComponent* owner);
    void DrawItem(vcl::Integer index, vcl::TRect rect, vcl::TOwnerDrawState state) override;
    void Loaded() override;

private:
    std::unique_ptr<TZylFontList> fonts_;
    std::unique_ptr<zyltfontcontrols::FontGlyphs> glyphs_;
    TZylFilterOptions filterOptions_ = kAllFontFilters;
};

class TZylFontBox : public TZylFontListControl<vcl::TCustomListBox> {
    VCL_DECLARE_CLASS(TZylFontBox, TZylFontListControl<vcl::TCustomListBox>)
public:
    explicit TZylFontBox(vcl::TComponent* owner);

    void WndProc(vcl::TMessage& message) override;

    static void Publish(vcl::Published<TZylFontBox>& p) {
        PublishAlign(p);
        p.Property("BorderStyle", &TCustomListBox::BorderStyle, &TCustomListBox::SetBorderStyle,
                   vcl::bsSingle);
        PublishColor(p, vcl::clWindow);
        PublishCtl3D(p);
        PublishDragProperties(p);
        PublishEnabled(p);
        p.Property("ExtendedSelect", &TCustomListBox::ExtendedSelect, &TCustomListBox::SetExtendedSelect,
                   true);
        p.Property("FilterOptions", &TZylFontBox::FilterOptions, &TZylFontBox::SetFilterOptions,
                   kAllFontFilters);
        PublishFont(p);
        p.Property("FontSelected", &TZylFontBox::FontSelected, &TZylFontBox::SetFontSelected).Stored(false);
        p.Property("IntegralHeight", &TCustomListBox::IntegralHeight, &TCustomListBox::SetIntegralHeight,
                   false);
        p.Property("ItemHeight", &TCustomListBox::ItemHeight, &TCustomListBox::SetItemHeight, 16);
        p.Property("MultiSelect", &TCustomListBox::MultiSelect, &TCustomListBox::SetMultiSelect, false);
        PublishParentColor(p, false);
        PublishParentFont(p, false);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        PublishShowHint(p);
        PublishTabOrder(p);
        PublishTabStop(p, true);
        PublishVisible(p);
        p.Event<vcl::TNotifyEvent>("OnClick", &TControl::OnClick);
        p.Event<vcl::TNotifyEvent>("OnDblClick", &TControl::OnDblClick);
        PublishDragEvents(p);
        p.Event<vcl::TDrawItemEvent>("OnDrawItem", &TCustomListBox::OnDrawItem);
        PublishFocusEvents(p);
        PublishKeyEvents(p);
        p.Event<vcl::TMeasureItemEvent>("OnMeasureItem", &TCustomListBox::OnMeasureItem);
        p.Event<vcl::TMouseEvent>("OnMouseDown", &TControl::OnMouseDown);
        p.Event<vcl::TMouseMoveEvent>("OnMouseMove", &TControl::OnMouseMove);
        p.Event<vcl::TMouseEvent>("OnMouseUp", &TControl::OnMouseUp);
        p.Event<TZylOnFontValidate>("OnValidateFont", &TZylFontBox::OnValidateFont);
    }
};

class TZylFontCombo : public TZylFontListControl<vcl::TCustomComboBox> {
    VCL_DECLARE_CLASS(TZylFontCombo, TZylFontListControl<vcl::TCustomComboBox>)
public:
    explicit TZylFontCombo(vcl::TComponent* owner);

    void WndProc(vcl::TMessage& message) override;

    static void Publish(vcl::Published<TZylFontCombo>& p) {
        PublishAnchors(p);
        PublishColor(p, vcl::clWindow);
        PublishCtl3D(p);
        p.Property("DropDownCount", &TCustomComboBox::DropDownCount, &TCustomComboBox::SetDropDownCount, 8);
        PublishDragProperties(p);
        PublishEnabled(p);
        p.Property("FilterOptions", &TZylFontCombo::FilterOptions, &TZylFontCombo::SetFilterOptions,
                   kAllFontFilters);
        PublishFont(p);
        p.Property("FontSelected", &TZylFontCombo::FontSelected, &TZylFontCombo::SetFontSelected)
            .Stored(false);
        p.Property("ItemHeight", &TCustomComboBox::ItemHeight, &TCustomComboBox::SetItemHeight, 16);
        p.Property("MaxLength", &TCustomComboBox::MaxLength, &TCustomComboBox::SetMaxLength, 0);
        PublishParentColor(p, false);
        PublishParentFont(p, false);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        PublishShowHint(p);
        PublishTabOrder(p);
        PublishTabStop(p, true);
        PublishText(p);
        PublishVisible(p);
        p.Event<vcl::TNotifyEvent>("OnChange", &TCustomComboBox::OnChange);
        p.Event<vcl::TNotifyEvent>("OnClick", &TControl::OnClick);
        p.Event<vcl::TNotifyEvent>("OnDblClick", &TControl::OnDblClick);
        PublishDragEvents(p);
        p.Event<vcl::TDrawItemEvent>("OnDrawItem", &TCustomComboBox::OnDrawItem);
        p.Event<vcl::TNotifyEvent>("OnDropDown", &TCustomComboBox::OnDropDown);
        PublishFocusEvents(p);
        PublishKeyEvents(p);
        p.Event<vcl::TMeasureItemEvent>("OnMeasureItem", &TCustomComboBox::OnMeasureItem);
        p.Event<TZylOnFontValidate>("OnValidateFont", &TZylFontCombo::OnValidateFont);
    }
};

}  // namespace pellic
