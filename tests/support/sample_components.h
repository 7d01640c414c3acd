// Small component classes with one published property of every kind, for streaming tests, the
// form-reader fuzz target and the streaming benchmark. Header-only so each program carries its own.
#pragma once

#include <string>
#include <vector>

#include "vcl/classes.h"
#include "vcl/streaming.h"

namespace zyltest {

using namespace vcl;

enum class TSampleStyle : uint8_t { stPlain, stRaised, stLowered, stFancy };
VCL_ENUM_NAMES(TSampleStyle, "stPlain", "stRaised", "stLowered", "stFancy")

enum class TSampleOption : uint8_t { soAutoSize, soWordWrap, soTransparent, soShadow };
VCL_ENUM_NAMES(TSampleOption, "soAutoSize", "soWordWrap", "soTransparent", "soShadow")
using TSampleOptions = Set<TSampleOption>;

enum class TSampleFontStyle : uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };
VCL_ENUM_NAMES(TSampleFontStyle, "fsBold", "fsItalic", "fsUnderline", "fsStrikeOut")
using TSampleFontStyles = Set<TSampleFontStyle>;

inline constexpr TIdentMapEntry kSampleColors[] = {{0x000000, "clBlack"},
                                                   {0xFFFFFF, "clWhite"},
                                                   {0x0000FF, "clRed"},
                                                   {static_cast<Integer>(0x80000005), "clWindow"}};

// An owned sub-object, written as Font.Name = ...
class TSampleFont : public TPersistent {
    VCL_CLASS(TSampleFont, TPersistent)
public:
    const std::string& Name() const { return name_; }
    void SetName(const std::string& value) {
        name_ = value;
        Changed();
    }
    Integer Size() const { return size_; }
    void SetSize(Integer value) {
        size_ = value;
        Changed();
    }
    TSampleFontStyles Style() const { return style_; }
    void SetStyle(TSampleFontStyles value) {
        style_ = value;
        Changed();
    }
    Integer Color() const { return color_; }
    void SetColor(Integer value) {
        color_ = value;
        Changed();
    }

    void Assign(const TPersistent* source) override {
        if (auto* font = dynamic_cast<const TSampleFont*>(source)) {
            AssignPublished(this, font);
            return;
        }
        TPersistent::Assign(source);
    }

    TNotifyEvent OnChange;

    static void Publish(Published<TSampleFont>& p) {
        p.Property("Name", &TSampleFont::Name, &TSampleFont::SetName, std::string("Tahoma"));
        p.Property("Size", &TSampleFont::Size, &TSampleFont::SetSize, 8);
        p.Property("Style", &TSampleFont::Style, &TSampleFont::SetStyle, TSampleFontStyles{});
        p.Property("Color", &TSampleFont::Color, &TSampleFont::SetColor, 0).Idents(kSampleColors);
    }

private:
    void Changed() {
        if (OnChange) OnChange(this);
    }

    std::string name_ = "Tahoma";
    Integer size_ = 8;
    TSampleFontStyles style_;
    Integer color_ = 0;
};

class TSampleItem : public TCollectionItem {
    VCL_CLASS(TSampleItem, TCollectionItem)
public:
    explicit TSampleItem(TCollection* collection) : TCollectionItem(collection) {}

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& value) {
        caption_ = value;
        Changed(false);
    }
    Integer Width() const { return width_; }
    void SetWidth(Integer value) {
        width_ = value;
        Changed(false);
    }
    bool Visible() const { return visible_; }
    void SetVisible(bool value) {
        visible_ = value;
        Changed(false);
    }
    std::string DisplayName() const override {
        return caption_.empty() ? TCollectionItem::DisplayName() : caption_;
    }

    static void Publish(Published<TSampleItem>& p) {
        p.Property("Caption", &TSampleItem::Caption, &TSampleItem::SetCaption);
        p.Property("Width", &TSampleItem::Width, &TSampleItem::SetWidth, 50);
        p.Property("Visible", &TSampleItem::Visible, &TSampleItem::SetVisible, true);
    }

private:
    std::string caption_;
    Integer width_ = 50;
    bool visible_ = true;
};

class TSampleComponent : public TComponent {
    VCL_CLASS(TSampleComponent, TComponent)
public:
    explicit TSampleComponent(TComponent* owner)
        : TComponent(owner),
          font_(std::make_unique<TSampleFont>()),
          lines_(std::make_unique<TStringList>()),
          items_(std::make_unique<TOwnedCollection>(this, TSampleItem::StaticClass())) {
        items_->SetPropName("Items");
    }

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& value) { caption_ = value; }
    Integer Count() const { return count_; }
    void SetCount(Integer value) { count_ = value; }
    Int64 Big() const { return big_; }
    void SetBig(Int64 value) { big_ = value; }
    Word Small() const { return small_; }
    void SetSmall(Word value) { small_ = value; }
    double Ratio() const { return ratio_; }
    void SetRatio(double value) { ratio_ = value; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value) { enabled_ = value; }
    TSampleStyle Style() const { return style_; }
    void SetStyle(TSampleStyle value) { style_ = value; }
    TSampleOptions Options() const { return options_; }
    void SetOptions(TSampleOptions value) { options_ = value; }
    Integer Color() const { return color_; }
    void SetColor(Integer value) { color_ = value; }
    TSampleFont* Font() const { return font_.get(); }
    void SetFont(TSampleFont* value) { font_->Assign(value); }
    TStringList* Lines() const { return lines_.get(); }
    void SetLines(TStringList* value) { lines_->Assign(value); }
    TOwnedCollection* Items() const { return items_.get(); }
    TSampleComponent* Link() const { return link_; }
    void SetLink(TSampleComponent* value) {
        if (link_ == value) return;
        if (link_) link_->RemoveFreeNotification(this);
        link_ = value;
        if (link_) link_->FreeNotification(this);
    }
    const std::string& Secret() const { return secret_; }
    void SetSecret(const std::string& value) { secret_ = value; }
    Integer Hidden() const { return hidden_; }
    void SetHidden(Integer value) { hidden_ = value; }
    bool HiddenStored() const { return hidden_ != 42; }
    const std::string& Data() const { return data_; }
    void SetData(std::string value) { data_ = std::move(value); }

    TNotifyEvent OnClick;
    TNotifyEvent OnChange;

    // What Loaded saw, to prove references were resolved before it ran.
    bool loadedCalled = false;
    bool linkResolvedAtLoaded = false;
    static inline std::vector<std::string>* loadLog = nullptr;
    std::vector<std::string>* notificationLog = nullptr;

    void Loaded() override {
        TComponent::Loaded();
        loadedCalled = true;
        linkResolvedAtLoaded = link_ != nullptr;
        if (loadLog) loadLog->push_back(Name());
    }

    void DefineProperties(TFiler& filer) override {
        TComponent::DefineProperties(filer);
        filer.DefineBinaryProperty(
            "Data",
            [this](TStream& stream) {
                data_.assign(static_cast<size_t>(stream.Size()), '\0');
                stream.ReadBuffer(data_.data(), static_cast<Int64>(data_.size()));
            },
            [this](TStream& stream) { stream.WriteBuffer(data_.data(), static_cast<Int64>(data_.size())); },
            !data_.empty());
    }

    static void Publish(Published<TSampleComponent>& p) {
        p.Property("Caption", &TSampleComponent::Caption, &TSampleComponent::SetCaption);
        p.Property("Count", &TSampleComponent::Count, &TSampleComponent::SetCount, 0);
        p.Property("Big", &TSampleComponent::Big, &TSampleComponent::SetBig, 0);
        p.Property("Small", &TSampleComponent::Small, &TSampleComponent::SetSmall, 0);
        p.Property("Ratio", &TSampleComponent::Ratio, &TSampleComponent::SetRatio);
        p.Property("Enabled", &TSampleComponent::Enabled, &TSampleComponent::SetEnabled, true);
        p.Property("Style", &TSampleComponent::Style, &TSampleComponent::SetStyle, TSampleStyle::stPlain);
        p.Property("Options", &TSampleComponent::Options, &TSampleComponent::SetOptions,
                   TSampleOptions{TSampleOption::soAutoSize, TSampleOption::soWordWrap});
        p.Property("Color", &TSampleComponent::Color, &TSampleComponent::SetColor,
                   static_cast<Integer>(0x80000005))
            .Idents(kSampleColors);
        p.Property("Font", &TSampleComponent::Font, &TSampleComponent::SetFont);
        p.Property("Lines", &TSampleComponent::Lines, &TSampleComponent::SetLines);
        p.Property("Items", &TSampleComponent::Items);
        p.Property("Link", &TSampleComponent::Link, &TSampleComponent::SetLink);
        p.Property("Secret", &TSampleComponent::Secret, &TSampleComponent::SetSecret).Stored(false);
        p.Property("Hidden", &TSampleComponent::Hidden, &TSampleComponent::SetHidden, 0)
            .Stored(&TSampleComponent::HiddenStored);
        p.Event("OnClick", &TSampleComponent::OnClick);
        p.Event("OnChange", &TSampleComponent::OnChange);
    }

protected:
    void Notification(TComponent* component, TOperation operation) override {
        if (notificationLog)
            notificationLog->push_back(Name() + (operation == TOperation::opInsert ? " +" : " -") +
                                       component->Name());
        if (operation == TOperation::opRemove && component == link_) {
            // The link is told while the linked component is still whole.
            if (notificationLog) notificationLog->push_back(Name() + " saw " + link_->Caption());
            link_ = nullptr;
        }
        TComponent::Notification(component, operation);
    }

private:
    std::string caption_;
    Integer count_ = 0;
    Int64 big_ = 0;
    Word small_ = 0;
    double ratio_ = 0;
    bool enabled_ = true;
    TSampleStyle style_ = TSampleStyle::stPlain;
    TSampleOptions options_{TSampleOption::soAutoSize, TSampleOption::soWordWrap};
    Integer color_ = static_cast<Integer>(0x80000005);
    std::unique_ptr<TSampleFont> font_;
    std::unique_ptr<TStringList> lines_;
    std::unique_ptr<TOwnedCollection> items_;
    TSampleComponent* link_ = nullptr;
    std::string secret_;
    Integer hidden_ = 0;
    std::string data_;
};

// A container whose children are written inside it, the way controls sit in their parent.
class TSamplePanel : public TSampleComponent {
    VCL_CLASS(TSamplePanel, TSampleComponent)
public:
    explicit TSamplePanel(TComponent* owner) : TSampleComponent(owner) {}

    TComponent* GetParentComponent() const override { return parent_; }
    bool HasParent() const override { return parent_ != nullptr; }
    void SetParentComponent(TComponent* parent) override {
        if (parent_) std::erase(parent_->children_, this);
        parent_ = dynamic_cast<TSamplePanel*>(parent);
        if (parent_) parent_->children_.push_back(this);
    }
    void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override {
        TComponent::GetChildren(proc, root);
        for (TComponent* child : children_)
            if (child->Owner() == root) proc(child);
    }
    int ChildCount() const { return static_cast<int>(children_.size()); }

protected:
    void Notification(TComponent* component, TOperation operation) override {
        if (operation == TOperation::opRemove) {
            std::erase(children_, component);
            if (component == parent_) parent_ = nullptr;
        }
        TSampleComponent::Notification(component, operation);
    }

private:
    TSamplePanel* parent_ = nullptr;
    std::vector<TComponent*> children_;
};

inline void RegisterSampleClasses() {
    RegisterClasses({TSampleComponent::StaticClass(), TSamplePanel::StaticClass(), TSampleFont::StaticClass(),
                     TSampleItem::StaticClass()});
}

}  // namespace zyltest
