// Components with a published property of every kind and a fixture holding a designer host, for
// the design-time tests.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/ui_fixture.h"
#include "vcl/designhost.h"
#include "vcl/stdctrls.h"

namespace designtest {

using namespace vcl;

enum class TDsgShade : uint8_t { shLight, shDark, shDusk };
VCL_ENUM_NAMES(TDsgShade, "shLight", "shDark", "shDusk")

enum class TDsgPart : uint8_t { dpTop, dpMiddle, dpBottom };
VCL_ENUM_NAMES(TDsgPart, "dpTop", "dpMiddle", "dpBottom")
using TDsgParts = Set<TDsgPart>;

using TDsgQueryEvent = std::function<void(TObject* Sender, bool& Allow)>;

// Owned sub-objects in a small hierarchy, for class-type editor lookup.
class TDsgCoreBase : public TPersistent {
    VCL_CLASS(TDsgCoreBase, TPersistent)
public:
    Integer Depth() const { return depth_; }
    void SetDepth(Integer value) { depth_ = value; }
    static void Publish(Published<TDsgCoreBase>& p) {
        p.Property("Depth", &TDsgCoreBase::Depth, &TDsgCoreBase::SetDepth, 0);
    }

private:
    Integer depth_ = 0;
};
class TDsgCore : public TDsgCoreBase {
    VCL_CLASS(TDsgCore, TDsgCoreBase)
};
class TDsgCoreEx : public TDsgCore {
    VCL_CLASS(TDsgCoreEx, TDsgCore)
};

class TDsgWidget : public TComponent {
    VCL_CLASS(TDsgWidget, TComponent)
public:
    explicit TDsgWidget(TComponent* owner) : TComponent(owner) {}
    void Notification(TComponent* component, TOperation operation) override {
        if (operation == TOperation::opRemove && component == buddy_) buddy_ = nullptr;
        TComponent::Notification(component, operation);
    }

    Integer Count() const { return count_; }
    void SetCount(Integer v) { count_ = v; }
    int8_t Tiny() const { return tiny_; }
    void SetTiny(int8_t v) { tiny_ = v; }
    Byte Level() const { return level_; }
    void SetLevel(Byte v) { level_ = v; }
    Word Span() const { return span_; }
    void SetSpan(Word v) { span_ = v; }
    Cardinal Wide() const { return wide_; }
    void SetWide(Cardinal v) { wide_ = v; }
    Int64 Huge() const { return huge_; }
    void SetHuge(Int64 v) { huge_ = v; }
    int16_t Short() const { return short_; }
    void SetShort(int16_t v) { short_ = v; }
    char Letter() const { return letter_; }
    void SetLetter(char v) { letter_ = v; }
    double Ratio() const { return ratio_; }
    void SetRatio(double v) { ratio_ = v; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v) { enabled_ = v; }
    TDsgShade Shade() const { return shade_; }
    void SetShade(TDsgShade v) { shade_ = v; }
    TDsgParts Parts() const { return parts_; }
    void SetParts(TDsgParts v) { parts_ = v; }
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& v) { title_ = v; }
    TColor Paint() const { return paint_; }
    void SetPaint(TColor v) { paint_ = v; }
    template <int I>
    Integer RuleValue() const {
        return rules_[I];
    }
    template <int I>
    void SetRuleValue(Integer v) {
        rules_[I] = v;
    }
    TDsgWidget* Buddy() const { return buddy_; }
    void SetBuddy(TDsgWidget* v) {
        buddy_ = v;
        if (v) v->FreeNotification(this);
    }
    TFont* Font() const { return font_.get(); }
    TDsgCore* Core() const { return core_.get(); }
    TDsgCoreEx* CoreEx() const { return coreEx_.get(); }

    TNotifyEvent OnChange;
    TNotifyEvent OnClick;
    TDsgQueryEvent OnQuery;

    static void Publish(Published<TDsgWidget>& p) {
        p.Property("Count", &TDsgWidget::Count, &TDsgWidget::SetCount, 0);
        p.Property("Tiny", &TDsgWidget::Tiny, &TDsgWidget::SetTiny, 0);
        p.Property("Level", &TDsgWidget::Level, &TDsgWidget::SetLevel, 0);
        p.Property("Span", &TDsgWidget::Span, &TDsgWidget::SetSpan, 0);
        p.Property("Wide", &TDsgWidget::Wide, &TDsgWidget::SetWide, 0);
        p.Property("Huge", &TDsgWidget::Huge, &TDsgWidget::SetHuge, 0);
        p.Property("Short", &TDsgWidget::Short, &TDsgWidget::SetShort, 0);
        p.Property("Letter", &TDsgWidget::Letter, &TDsgWidget::SetLetter, 'A');
        p.Property("Ratio", &TDsgWidget::Ratio, &TDsgWidget::SetRatio);
        p.Property("Enabled", &TDsgWidget::Enabled, &TDsgWidget::SetEnabled, true);
        p.Property("Shade", &TDsgWidget::Shade, &TDsgWidget::SetShade, TDsgShade::shLight);
        p.Property("Parts", &TDsgWidget::Parts, &TDsgWidget::SetParts, TDsgParts{});
        p.Property("Title", &TDsgWidget::Title, &TDsgWidget::SetTitle);
        p.Property("Paint", &TDsgWidget::Paint, &TDsgWidget::SetPaint, clWindow).Idents(ColorIdents());
        p.Property("RuleA", &TDsgWidget::RuleValue<0>, &TDsgWidget::SetRuleValue<0>, 0).TypeName("TDsgRuleA");
        p.Property("RuleB", &TDsgWidget::RuleValue<1>, &TDsgWidget::SetRuleValue<1>, 0).TypeName("TDsgRuleB");
        p.Property("RuleC", &TDsgWidget::RuleValue<2>, &TDsgWidget::SetRuleValue<2>, 0).TypeName("TDsgRuleC");
        p.Property("RuleD", &TDsgWidget::RuleValue<3>, &TDsgWidget::SetRuleValue<3>, 0).TypeName("TDsgRuleD");
        p.Property("RuleE", &TDsgWidget::RuleValue<4>, &TDsgWidget::SetRuleValue<4>, 0).TypeName("TDsgRuleE");
        p.Property("Buddy", &TDsgWidget::Buddy, &TDsgWidget::SetBuddy);
        p.Property("Font", &TDsgWidget::Font);
        p.Property("Core", &TDsgWidget::Core);
        p.Property("CoreEx", &TDsgWidget::CoreEx);
        p.Event("OnChange", &TDsgWidget::OnChange);
        p.Event("OnClick", &TDsgWidget::OnClick);
        p.Event("OnQuery", &TDsgWidget::OnQuery);
    }

private:
    Integer count_ = 0;
    int8_t tiny_ = 0;
    Byte level_ = 0;
    Word span_ = 0;
    Cardinal wide_ = 0;
    Int64 huge_ = 0;
    int16_t short_ = 0;
    char letter_ = 'A';
    double ratio_ = 0;
    bool enabled_ = true;
    TDsgShade shade_ = TDsgShade::shLight;
    TDsgParts parts_;
    std::string title_;
    TColor paint_ = clWindow;
    Integer rules_[5] = {};
    TDsgWidget* buddy_ = nullptr;
    std::unique_ptr<TFont> font_ = std::make_unique<TFont>();
    std::unique_ptr<TDsgCore> core_ = std::make_unique<TDsgCore>();
    std::unique_ptr<TDsgCoreEx> coreEx_ = std::make_unique<TDsgCoreEx>();
};

class TDsgSpecialWidget : public TDsgWidget {
    VCL_CLASS(TDsgSpecialWidget, TDsgWidget)
public:
    explicit TDsgSpecialWidget(TComponent* owner) : TDsgWidget(owner) {}
};

// Test editors: each shows its own class name, so a test sees which one the lookup chose.
#define DSG_EDITOR(Name)                                        \
    class Name : public TIntegerProperty {                      \
        VCL_CLASS(Name, TIntegerProperty)                       \
    public:                                                     \
        std::string GetValue() const override { return #Name; } \
    };
DSG_EDITOR(TDsgEditorA)
DSG_EDITOR(TDsgEditorB)
DSG_EDITOR(TDsgEditorC)
#undef DSG_EDITOR

class TDsgCoreEditor : public TClassProperty {
    VCL_CLASS(TDsgCoreEditor, TClassProperty)
public:
    std::string GetValue() const override { return "core editor"; }
};
class TDsgCoreBaseEditor : public TClassProperty {
    VCL_CLASS(TDsgCoreBaseEditor, TClassProperty)
public:
    std::string GetValue() const override { return "core base editor"; }
};

// A design window that writes down what the designer tells it.
class TDsgLogWindow : public TDesignWindow {
    VCL_CLASS(TDsgLogWindow, TDesignWindow)
public:
    explicit TDsgLogWindow(TComponent* owner) : TDesignWindow(owner) {}

    void FormModified() override { log.push_back("modified"); }
    void ComponentDeleted(TComponent* component) override { log.push_back("deleted " + component->Name()); }
    void FormClosed(TComponent* root) override { log.push_back("closed " + root->Name()); }
    void SelectionChanged(const std::vector<TPersistent*>& selections) override {
        std::string entry = "selected";
        for (TPersistent* instance : selections)
            if (auto* component = dynamic_cast<TComponent*>(instance)) entry += " " + component->Name();
        log.push_back(entry);
    }

    std::vector<std::string> log;
};

class DesignTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        RegisterClasses({TDsgWidget::StaticClass(), TDsgSpecialWidget::StaticClass(), TLabel::StaticClass(),
                         TButton::StaticClass(), TEdit::StaticClass()});
        host = std::make_unique<TDesignerHost>();
        form = host->NewForm(TForm::StaticClass());
    }
    void TearDown() override {
        host.reset();
        UiFixture::TearDown();
    }

    TDsgWidget* DropWidget() { return static_cast<TDsgWidget*>(host->DropComponent("TDsgWidget")); }
    TPropertyEditorPtr Editor(TPersistent* instance, std::string_view path) {
        return host->FindEditor({instance}, path);
    }

    std::unique_ptr<TDesignerHost> host;
    TComponent* form = nullptr;
};

// The message of the framework exception a call raises, or "" when it raises none.
template <typename E, typename F>
std::string MessageOf(F&& call) {
    try {
        call();
    } catch (const E& e) {
        return e.Message();
    }
    return {};
}

}  // namespace designtest
