// Palette pages, the precedence of property and component editor registrations, and packages.
#include <dlfcn.h>

#include <algorithm>
#include <filesystem>

#include "design_fixture.h"

namespace designtest {
namespace {

// Components only these tests put on the palette.
class TDsgPaletteA : public TComponent {
    VCL_CLASS(TDsgPaletteA, TComponent)
public:
    explicit TDsgPaletteA(TComponent* owner) : TComponent(owner) {}
};
class TDsgPaletteB : public TComponent {
    VCL_CLASS(TDsgPaletteB, TComponent)
public:
    explicit TDsgPaletteB(TComponent* owner) : TComponent(owner) {}
};
class TDsgPaletteC : public TComponent {
    VCL_CLASS(TDsgPaletteC, TComponent)
public:
    explicit TDsgPaletteC(TComponent* owner) : TComponent(owner) {}
};

const TPalettePage* Page(const std::vector<TPalettePage>& palette, std::string_view name) {
    for (const TPalettePage& page : palette)
        if (page.name == name) return &page;
    return nullptr;
}

size_t PageIndex(const std::vector<TPalettePage>& palette, std::string_view name) {
    for (size_t i = 0; i < palette.size(); ++i)
        if (palette[i].name == name) return i;
    return palette.size();
}

TEST(PaletteRegistration, PagesKeepFirstRegistrationOrderAndAppend) {
    RegisterComponents("Dsg Second", {TDsgPaletteB::StaticClass()});
    RegisterComponents("Dsg First", {TDsgPaletteA::StaticClass(), TDsgPaletteB::StaticClass()});
    RegisterComponents("Dsg Second",
                       std::vector<TClass>{TDsgPaletteC::StaticClass(), TDsgPaletteB::StaticClass()});
    auto palette = Palette();
    ASSERT_NE(Page(palette, "Dsg Second"), nullptr);
    EXPECT_LT(PageIndex(palette, "Dsg Second"), PageIndex(palette, "Dsg First"));
    EXPECT_EQ(Page(palette, "Dsg Second")->classes,
              (std::vector<TClass>{TDsgPaletteB::StaticClass(), TDsgPaletteC::StaticClass()}));
    EXPECT_EQ(Page(palette, "Dsg First")->classes,
              (std::vector<TClass>{TDsgPaletteA::StaticClass(), TDsgPaletteB::StaticClass()}));
    // Registered for streaming as well.
    EXPECT_EQ(GetClass("TDsgPaletteC"), TDsgPaletteC::StaticClass());
    EXPECT_EQ(FindPaletteClass("tdsgpalettea"), TDsgPaletteA::StaticClass());
    EXPECT_EQ(FindPaletteClass("TDsgNowhere"), nullptr);
}

TEST(PaletteRegistration, RefusesWhatCannotBeDropped) {
    EXPECT_THROW(RegisterComponents("", {TDsgPaletteA::StaticClass()}), EDesignError);
    EXPECT_EQ(MessageOf<EDesignError>([] { RegisterComponents("Dsg Bad", {TFont::StaticClass()}); }),
              "Cannot register TFont on page Dsg Bad: not a creatable component");
    EXPECT_EQ(Page(Palette(), "Dsg Bad"), nullptr);
}

// ---------------------------------------------------------------------------------------------
// Property editor precedence: each rule is shown against a rival registered later, so that
// recency alone would pick the rival.

TClass EditorFor(TClass componentClass, std::string_view property) {
    return GetEditorClass(*componentClass->FindProperty(property), componentClass);
}

const TClass widget = TDsgWidget::StaticClass();
const TClass special = TDsgSpecialWidget::StaticClass();

TEST(PropertyEditorLookup, AComponentClassBeatsAPropertyName) {
    RegisterPropertyEditor("TDsgRuleA", widget, "", TDsgEditorA::StaticClass());
    RegisterPropertyEditor("TDsgRuleA", nullptr, "RuleA", TDsgEditorB::StaticClass());
    RegisterPropertyEditor("TDsgRuleA", nullptr, "", TDsgEditorC::StaticClass());
    EXPECT_EQ(EditorFor(widget, "RuleA"), TDsgEditorA::StaticClass());
    // A component outside the registered class falls back to the next best.
    EXPECT_EQ(GetEditorClass(*widget->FindProperty("RuleA"), TComponent::StaticClass()),
              TDsgEditorB::StaticClass());
}

TEST(PropertyEditorLookup, APropertyNameBeatsNone) {
    RegisterPropertyEditor("TDsgRuleB", nullptr, "ruleb", TDsgEditorA::StaticClass());
    RegisterPropertyEditor("TDsgRuleB", nullptr, "", TDsgEditorB::StaticClass());
    RegisterPropertyEditor("TDsgRuleB", nullptr, "RuleOther", TDsgEditorC::StaticClass());
    EXPECT_EQ(EditorFor(widget, "RuleB"), TDsgEditorA::StaticClass());
}

TEST(PropertyEditorLookup, TheMoreDerivedComponentClassWins) {
    RegisterPropertyEditor("TDsgRuleC", special, "", TDsgEditorA::StaticClass());
    RegisterPropertyEditor("TDsgRuleC", widget, "", TDsgEditorB::StaticClass());
    EXPECT_EQ(EditorFor(special, "RuleC"), TDsgEditorA::StaticClass());
    EXPECT_EQ(EditorFor(widget, "RuleC"), TDsgEditorB::StaticClass());
}

TEST(PropertyEditorLookup, TheLaterRegistrationWinsATie) {
    RegisterPropertyEditor("TDsgRuleD", nullptr, "", TDsgEditorA::StaticClass());
    EXPECT_EQ(EditorFor(widget, "RuleD"), TDsgEditorA::StaticClass());
    RegisterPropertyEditor("tdsgruled", nullptr, "", TDsgEditorB::StaticClass());
    EXPECT_EQ(EditorFor(widget, "RuleD"), TDsgEditorB::StaticClass());
}

TEST(PropertyEditorLookup, WithoutACandidateTheKindDecides) {
    RegisterPropertyEditor("TDsgRuleE", TFont::StaticClass(), "", TDsgEditorA::StaticClass());
    RegisterPropertyEditor("TDsgRuleE", nullptr, "Elsewhere", TDsgEditorA::StaticClass());
    EXPECT_EQ(EditorFor(widget, "RuleE"), TIntegerProperty::StaticClass());
    const std::pair<const char*, TClass> stock[] = {
        {"Count", TIntegerProperty::StaticClass()},      {"Letter", TCharProperty::StaticClass()},
        {"Enabled", TBoolProperty::StaticClass()},       {"Shade", TEnumProperty::StaticClass()},
        {"Parts", TSetProperty::StaticClass()},          {"Ratio", TFloatProperty::StaticClass()},
        {"Title", TStringProperty::StaticClass()},       {"Buddy", TComponentProperty::StaticClass()},
        {"Core", TClassProperty::StaticClass()},         {"OnClick", TMethodProperty::StaticClass()},
        {"Paint", TColorProperty::StaticClass()},        {"Font", TFontProperty::StaticClass()},
        {"Name", TComponentNameProperty::StaticClass()},
    };
    for (auto [property, editor] : stock)
        EXPECT_EQ(EditorFor(widget, property), editor) << property;
}

TEST(PropertyEditorLookup, ClassTypesPreferExactThenTheMoreDerivedClass) {
    // Registered for the special widget only, so that the plain widget of other tests keeps the
    // stock editor whatever order the tests run in.
    RegisterPropertyEditor(TDsgCore::StaticClass(), special, "", TDsgCoreEditor::StaticClass());
    RegisterPropertyEditor(TDsgCoreBase::StaticClass(), special, "", TDsgCoreBaseEditor::StaticClass());
    // Core is a TDsgCore: the exact registration beats the later inherited one.
    EXPECT_EQ(EditorFor(special, "Core"), TDsgCoreEditor::StaticClass());
    // CoreEx is a TDsgCoreEx: both registrations are inherited; TDsgCore is nearer.
    EXPECT_EQ(EditorFor(special, "CoreEx"), TDsgCoreEditor::StaticClass());
    // Non-class properties never match a class registration.
    EXPECT_EQ(EditorFor(special, "Count"), TIntegerProperty::StaticClass());
    EXPECT_EQ(EditorFor(widget, "Core"), TClassProperty::StaticClass());
}

TEST(PropertyEditorLookup, RefusesClassesThatAreNoEditors) {
    EXPECT_THROW(RegisterPropertyEditor("Integer", nullptr, "", TFont::StaticClass()), EDesignError);
    EXPECT_THROW(RegisterPropertyEditor("Integer", nullptr, "", nullptr), EDesignError);
    EXPECT_THROW(RegisterComponentEditor(widget, TIntegerProperty::StaticClass()), EDesignError);
    EXPECT_THROW(RegisterComponentEditor(nullptr, TDefaultEditor::StaticClass()), EDesignError);
}

// ---------------------------------------------------------------------------------------------
// Component editor precedence

class TDsgGadget : public TComponent {
    VCL_CLASS(TDsgGadget, TComponent)
public:
    explicit TDsgGadget(TComponent* owner) : TComponent(owner) {}
};
class TDsgFancyGadget : public TDsgGadget {
    VCL_CLASS(TDsgFancyGadget, TDsgGadget)
public:
    explicit TDsgFancyGadget(TComponent* owner) : TDsgGadget(owner) {}
};
class TDsgGadgetEditorA : public TComponentEditor {
    VCL_CLASS(TDsgGadgetEditorA, TComponentEditor)
};
class TDsgGadgetEditorB : public TComponentEditor {
    VCL_CLASS(TDsgGadgetEditorB, TComponentEditor)
};
class TDsgGadgetEditorC : public TComponentEditor {
    VCL_CLASS(TDsgGadgetEditorC, TComponentEditor)
};

TEST(ComponentEditorLookup, MostDerivedClassThenLaterRegistration) {
    EXPECT_EQ(GetComponentEditorClass(TDsgGadget::StaticClass()), TDefaultEditor::StaticClass());
    RegisterComponentEditor(TDsgFancyGadget::StaticClass(), TDsgGadgetEditorA::StaticClass());
    RegisterComponentEditor(TDsgGadget::StaticClass(), TDsgGadgetEditorB::StaticClass());
    EXPECT_EQ(GetComponentEditorClass(TDsgFancyGadget::StaticClass()), TDsgGadgetEditorA::StaticClass());
    EXPECT_EQ(GetComponentEditorClass(TDsgGadget::StaticClass()), TDsgGadgetEditorB::StaticClass());
    RegisterComponentEditor(TDsgGadget::StaticClass(), TDsgGadgetEditorC::StaticClass());
    EXPECT_EQ(GetComponentEditorClass(TDsgGadget::StaticClass()), TDsgGadgetEditorC::StaticClass());
    EXPECT_EQ(GetComponentEditorClass(TDsgFancyGadget::StaticClass()), TDsgGadgetEditorA::StaticClass());
    EXPECT_EQ(GetComponentEditorClass(TComponent::StaticClass()), TDefaultEditor::StaticClass());

    TDsgFancyGadget gadget(nullptr);
    auto editor = GetComponentEditor(&gadget, nullptr);
    EXPECT_EQ(editor->ClassType(), TDsgGadgetEditorA::StaticClass());
    EXPECT_EQ(editor->Component(), &gadget);
    EXPECT_EQ(editor->GetVerbCount(), 0);
    EXPECT_EQ(MessageOf<EListError>([&] { editor->GetVerb(0); }), "List index out of bounds (0)");
}

// ---------------------------------------------------------------------------------------------
// Packages

const char* const kPackages[] = {"pellic", "lumaro", "orvane", "postrel", "quenta", "ribola"};

class PackageTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (const std::string& name : LoadedPackages())
            while (PackageLoaded(name))
                UnloadPackage(name);
    }
};

TEST_F(PackageTest, TheSixPackagesLoadSideBySide) {
    auto pagesBefore = Palette().size();
    for (const char* name : kPackages)
        LoadPackage(name);
    for (const char* name : kPackages)
        EXPECT_TRUE(PackageLoaded(name)) << name;
    auto loaded = LoadedPackages();
    EXPECT_TRUE(std::equal(std::begin(kPackages), std::end(kPackages), loaded.begin(), loaded.end()));
    EXPECT_NE(GetClass("TZylSMTPMail"), nullptr);
    EXPECT_GE(Palette().size(), pagesBefore);
}

TEST_F(PackageTest, UnloadingTakesBackWhatThePackageRegistered) {
    LoadPackage("postrel");
    TClass mail = GetClass("TZylSMTPMail");
    ASSERT_NE(mail, nullptr);
    UnloadPackage("postrel");
    EXPECT_FALSE(PackageLoaded("postrel"));
    EXPECT_EQ(GetClass("TZylSMTPMail"), nullptr);
    // Loading it again brings everything back.
    LoadPackage("postrel");
    EXPECT_NE(GetClass("TZylSMTPMail"), nullptr);
}

TEST_F(PackageTest, LoadingTwiceIsCountedNotDoubled) {
    LoadPackage("lumaro");
    LoadPackage("lumaro");
    auto loaded = LoadedPackages();
    EXPECT_EQ(std::count(loaded.begin(), loaded.end(), "lumaro"), 1);
    UnloadPackage("lumaro");
    EXPECT_TRUE(PackageLoaded("lumaro"));
    UnloadPackage("lumaro");
    EXPECT_FALSE(PackageLoaded("lumaro"));
    EXPECT_EQ(MessageOf<EPackageError>([] { UnloadPackage("lumaro"); }), "Package lumaro is not loaded");
}

TEST_F(PackageTest, LoadsFromAnExplicitDirectoryOrPath) {
    Dl_info info{};
    ASSERT_NE(dladdr(reinterpret_cast<void*>(&vcl::LoadPackage), &info), 0);
    std::filesystem::path folder = std::filesystem::path(info.dli_fname).parent_path();
    LoadPackage("quenta", folder.string());
    EXPECT_TRUE(PackageLoaded("quenta"));
    LoadPackage((folder / "libribola.so").string());
    EXPECT_TRUE(PackageLoaded("ribola"));
    UnloadPackage("libribola.so");
    EXPECT_FALSE(PackageLoaded("ribola"));
}

TEST_F(PackageTest, FailuresNameThePackageAndChangeNothing) {
    auto palette = Palette().size();
    std::string missing = MessageOf<EPackageError>([] { LoadPackage("nosuchpackage"); });
    EXPECT_EQ(missing.rfind("Cannot load package nosuchpackage: ", 0), 0u) << missing;
    // The framework's own library is no package: it has no entry point.
    EXPECT_EQ(MessageOf<EPackageError>([] { LoadPackage("vcl"); }),
              "Package vcl has no entry point ZylRegisterPackage_vcl");
    EXPECT_EQ(MessageOf<EPackageError>([] { LoadPackage("bad name"); }), "Invalid package name 'bad name'");
    EXPECT_FALSE(PackageLoaded("nosuchpackage"));
    EXPECT_FALSE(PackageLoaded("vcl"));
    EXPECT_EQ(Palette().size(), palette);
}

// A package linked into the program, registering one of everything.
class TDsgPackaged : public TComponent {
    VCL_CLASS(TDsgPackaged, TComponent)
public:
    explicit TDsgPackaged(TComponent* owner) : TComponent(owner) {}
    Integer Knob() const { return knob_; }
    void SetKnob(Integer v) { knob_ = v; }
    static void Publish(Published<TDsgPackaged>& p) {
        p.Property("Knob", &TDsgPackaged::Knob, &TDsgPackaged::SetKnob, 0).TypeName("TDsgKnob");
    }

private:
    Integer knob_ = 0;
};

void RegisterEverything() {
    RegisterComponents("Dsg Packaged", {TDsgPackaged::StaticClass()});
    RegisterPropertyEditor("TDsgKnob", nullptr, "", TDsgEditorA::StaticClass());
    RegisterComponentEditor(TDsgPackaged::StaticClass(), TDsgGadgetEditorA::StaticClass());
}

void RegisterThenFail() {
    RegisterEverything();
    throw EInvalidOperation("knob missing");
}

void ExpectNothingRegistered() {
    EXPECT_EQ(Page(Palette(), "Dsg Packaged"), nullptr);
    EXPECT_EQ(GetClass("TDsgPackaged"), nullptr);
    EXPECT_EQ(EditorFor(TDsgPackaged::StaticClass(), "Knob"), TIntegerProperty::StaticClass());
    EXPECT_EQ(GetComponentEditorClass(TDsgPackaged::StaticClass()), TDefaultEditor::StaticClass());
}

TEST_F(PackageTest, ARegistrationThatThrowsLeavesNothingBehind) {
    EXPECT_EQ(MessageOf<EPackageError>([] { RegisterPackage("dsgbroken", &RegisterThenFail); }),
              "Package dsgbroken failed to register: knob missing");
    EXPECT_FALSE(PackageLoaded("dsgbroken"));
    ExpectNothingRegistered();
    EXPECT_EQ(CurrentPackage(), "");
}

TEST_F(PackageTest, UnloadingALinkedPackageRemovesEachKindOfRegistration) {
    RegisterPackage("dsgpackaged", &RegisterEverything);
    EXPECT_TRUE(PackageLoaded("dsgpackaged"));
    ASSERT_NE(Page(Palette(), "Dsg Packaged"), nullptr);
    EXPECT_EQ(GetClass("TDsgPackaged"), TDsgPackaged::StaticClass());
    EXPECT_EQ(EditorFor(TDsgPackaged::StaticClass(), "Knob"), TDsgEditorA::StaticClass());
    EXPECT_EQ(GetComponentEditorClass(TDsgPackaged::StaticClass()), TDsgGadgetEditorA::StaticClass());
    UnloadPackage("dsgpackaged");
    ExpectNothingRegistered();
}

TEST_F(PackageTest, AClassRegisteredBeforeThePackageStaysRegistered) {
    RegisterClass(TDsgPaletteA::StaticClass());
    RegisterPackage("dsgborrower", [] { RegisterClass(TDsgPaletteA::StaticClass()); });
    UnloadPackage("dsgborrower");
    EXPECT_EQ(GetClass("TDsgPaletteA"), TDsgPaletteA::StaticClass());
}

}  // namespace
}  // namespace designtest
