// The appearance objects of the menu items: bitmap captions, submenu looks and side-bar gradients.
#include "ribola/zylmenu.h"

namespace ribola {

// ---------------------------------------------------------------------------------------------
// TZylBitmapItem

VCL_DEFINE_CLASS(TZylBitmapItem, vcl::TGraphicsObject)

TZylBitmapItem::TZylBitmapItem() : bitmap_(std::make_unique<vcl::TBitmap>()) {
    bitmap_->OnChange = [this](vcl::TObject*) { Changed(); };
}

TZylBitmapItem::~TZylBitmapItem() {
    bitmap_->OnChange = nullptr;
}

void TZylBitmapItem::SetCaptionOnTop(bool value) {
    captionOnTop_ = value;
    Changed();
}

void TZylBitmapItem::SetBitmap(const vcl::TBitmap* value) {
    bitmap_->Assign(value);
}

void TZylBitmapItem::SetTransparentColor(TColor value) {
    transparentColor_ = value;
    Changed();
}

void TZylBitmapItem::Assign(const vcl::TPersistent* source) {
    if (auto* other = dynamic_cast<const TZylBitmapItem*>(source)) {
        vcl::AssignPublished(this, other);
        return;
    }
    TGraphicsObject::Assign(source);
}

// ---------------------------------------------------------------------------------------------
// TZylMenuGradient

VCL_DEFINE_CLASS(TZylMenuGradient, vcl::TGraphicsObject)

TZylMenuGradient::TZylMenuGradient(TZylSubMenu* owner) : subMenu_(owner) {
    SetOwner(owner);
}

void TZylMenuGradient::SetActive(bool value) {
    active_ = value;
    Changed();
}

void TZylMenuGradient::SetFadeToColor(TColor value) {
    fadeToColor_ = value;
    Changed();
}

void TZylMenuGradient::SetColorCount(Byte value) {
    colorCount_ = value;
    Changed();
}

void TZylMenuGradient::Assign(const vcl::TPersistent* source) {
    if (auto* other = dynamic_cast<const TZylMenuGradient*>(source)) {
        vcl::AssignPublished(this, other);
        return;
    }
    TGraphicsObject::Assign(source);
}

// ---------------------------------------------------------------------------------------------
// TZylSubMenu

VCL_DEFINE_CLASS(TZylSubMenu, vcl::TGraphicsObject)

TZylSubMenu::TZylSubMenu(vcl::TComponent* loadingSource)
    : loadingSource_(loadingSource),
      background_(std::make_unique<vcl::TBitmap>()),
      barBackground_(std::make_unique<vcl::TBitmap>()),
      barAsGradient_(std::make_unique<TZylMenuGradient>(this)) {
    background_->OnChange = [this](vcl::TObject* sender) { SubMenuChange(sender); };
    barBackground_->OnChange = [this](vcl::TObject* sender) { SubMenuChange(sender); };
    barAsGradient_->OnChange = [this](vcl::TObject* sender) { SubMenuChange(sender); };
}

TZylSubMenu::~TZylSubMenu() {
    background_->OnChange = nullptr;
    barBackground_->OnChange = nullptr;
    barAsGradient_->OnChange = nullptr;
}

void TZylSubMenu::Announce() {
    if (!Loading()) Changed();
}

void TZylSubMenu::SubMenuChange(vcl::TObject*) {
    SetBarCacheOwner(nullptr);
    Announce();
}

void TZylSubMenu::SetBackgroundType(TZylBackgroundType value) {
    if (backgroundType_ == value) return;
    backgroundType_ = value;
    Changed();
}

void TZylSubMenu::SetBackground(const vcl::TBitmap* value) {
    if (value != background_.get()) background_->Assign(value);
}

void TZylSubMenu::SetTransparentColor(TColor value) {
    if (transparentColor_ == value) return;
    transparentColor_ = value;
    Announce();
}

void TZylSubMenu::SetColor(TColor value) {
    if (color_ == value) return;
    color_ = value;
    Announce();
}

void TZylSubMenu::SetEnabled(bool value) {
    enabled_ = value;
    Changed();
}

void TZylSubMenu::SetBarEnabled(bool value) {
    if (barEnabled_ == value) return;
    barEnabled_ = value;
    Announce();
}

void TZylSubMenu::SetBarBackground(const vcl::TBitmap* value) {
    // The picture's own change event announces the copy.
    if (value != barBackground_.get()) barBackground_->Assign(value);
}

void TZylSubMenu::SetBarFontname(const std::string& value) {
    if (barFontname_ == value) return;
    barFontname_ = value;
    Announce();
}

void TZylSubMenu::SetBarFontSize(Byte value) {
    if (barFontSize_ == value) return;
    barFontSize_ = value;
    Announce();
}

void TZylSubMenu::SetBarFontColor(TColor value) {
    if (barFontColor_ == value) return;
    barFontColor_ = value;
    Announce();
}

void TZylSubMenu::SetBarColor(TColor value) {
    if (barColor_ == value) return;
    barColor_ = value;
    Announce();
}

void TZylSubMenu::SetBarWidth(TZylBarWidth value) {
    if (value < kMinBarWidth || value > kMaxBarWidth)
        throw vcl::EPropertyError(
            vcl::Format("Invalid property value %d: BarWidth is %d..%d",
                        {Integer{value}, Integer{kMinBarWidth}, Integer{kMaxBarWidth}}));
    if (barWidth_ == value) return;
    barWidth_ = value;
    Announce();
}

void TZylSubMenu::SetBarCaption(const std::string& value) {
    if (barCaption_ == value) return;
    barCaption_ = value;
    Announce();
}

void TZylSubMenu::Assign(const vcl::TPersistent* source) {
    if (auto* other = dynamic_cast<const TZylSubMenu*>(source)) {
        vcl::AssignPublished(this, other);
        return;
    }
    TGraphicsObject::Assign(source);
}

void TZylSubMenu::Publish(vcl::Published<TZylSubMenu>& p) {
    p.Property("BackgroundType", &TZylSubMenu::BackgroundType, &TZylSubMenu::SetBackgroundType, btTiled);
    p.Property("Background", &TZylSubMenu::Background);
    p.Property("TransparentColor", &TZylSubMenu::TransparentColor, &TZylSubMenu::SetTransparentColor,
               vcl::clNone)
        .Idents(vcl::ColorIdents());
    p.Property("Color", &TZylSubMenu::Color, &TZylSubMenu::SetColor, vcl::clMenu).Idents(vcl::ColorIdents());
    p.Property("Enabled", &TZylSubMenu::Enabled, &TZylSubMenu::SetEnabled, false);
    p.Property("BarEnabled", &TZylSubMenu::BarEnabled, &TZylSubMenu::SetBarEnabled, false);
    p.Property("BarBackground", &TZylSubMenu::BarBackground);
    p.Property("BarFontname", &TZylSubMenu::BarFontname, &TZylSubMenu::SetBarFontname, std::string("Arial"));
    p.Property("BarAsGradient", &TZylSubMenu::BarAsGradient);
    p.Property("BarFontSize", &TZylSubMenu::BarFontSize, &TZylSubMenu::SetBarFontSize, Byte{8});
    p.Property("BarFontColor", &TZylSubMenu::BarFontColor, &TZylSubMenu::SetBarFontColor, vcl::clWindowText)
        .Idents(vcl::ColorIdents());
    p.Property("BarColor", &TZylSubMenu::BarColor, &TZylSubMenu::SetBarColor, vcl::clNavy)
        .Idents(vcl::ColorIdents());
    p.Property("BarWidth", &TZylSubMenu::BarWidth, &TZylSubMenu::SetBarWidth, TZylBarWidth{15});
    p.Property("BarCaption", &TZylSubMenu::BarCaption, &TZylSubMenu::SetBarCaption);
}

}  // namespace ribola
