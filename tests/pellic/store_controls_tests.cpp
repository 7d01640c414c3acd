// The store controls on a form: restoring when the form has been read, writing every change and
// the last value, the store going first, stores on other roots, radio groups.
#include <algorithm>
#include <string>

#include "stores_fixture.h"
#include "vcl/designintf.h"
#include "vcl/streaming.h"

namespace pellic {
void Register();
}

namespace {

using namespace pellic;
using storetest::StoreTest;

struct Prefs {
    vcl::TForm* form = nullptr;
    TZylControlStore* store = nullptr;
    TZylStoreEdit* edit = nullptr;
    TZylStoreCheckbox* check = nullptr;
    TZylStoreRadioButton* radio1 = nullptr;
    TZylStoreRadioButton* radio2 = nullptr;
    TZylStoreCombobox* combo = nullptr;
    TZylStoreMemo* memo = nullptr;
};

template <typename T>
T* Find(vcl::TComponent* root, const char* name) {
    auto* found = dynamic_cast<T*>(root->FindComponent(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

Prefs FindAll(vcl::TForm* form) {
    Prefs prefs;
    prefs.form = form;
    prefs.store = Find<TZylControlStore>(form, "Store1");
    prefs.edit = Find<TZylStoreEdit>(form, "Edit1");
    prefs.check = Find<TZylStoreCheckbox>(form, "Check1");
    prefs.radio1 = Find<TZylStoreRadioButton>(form, "Radio1");
    prefs.radio2 = Find<TZylStoreRadioButton>(form, "Radio2");
    prefs.combo = Find<TZylStoreCombobox>(form, "Combo1");
    prefs.memo = Find<TZylStoreMemo>(form, "Memo1");
    return prefs;
}

template <typename T>
T* Make(vcl::TForm* form, const char* name, const char* key, int top) {
    auto* control = new T(form);
    control->SetName(name);
    control->SetParent(form);
    control->SetBounds(8, top, 150, 22);
    control->SetStoreKey(key);
    return control;
}

class StoreControlTest : public StoreTest {
protected:
    // The form as designed, in form text: made with its designed values first and linked to the
    // store afterwards, then unlinked before it is freed, so that designing writes nothing.
    std::string DesignText(TZylDatatype type, bool designedCheck = true, bool sharedErrorBool = false) {
        auto* form = new vcl::TForm(vcl::Application, 0);
        form->SetName("Prefs");
        auto* store = new TZylControlStore(form);
        store->SetName("Store1");
        Configure(*store->DataStore(), type);
        store->DataStore()->SetErrorBool(sharedErrorBool);
        auto* edit = Make<TZylStoreEdit>(form, "Edit1", "EditKey", 8);
        edit->SetText("designed");
        auto* check = Make<TZylStoreCheckbox>(form, "Check1", "CheckKey", 34);
        check->SetChecked(designedCheck);
        auto* radio1 = Make<TZylStoreRadioButton>(form, "Radio1", "Radio1Key", 60);
        auto* radio2 = Make<TZylStoreRadioButton>(form, "Radio2", "Radio2Key", 86);
        radio1->SetChecked(true);
        auto* combo = Make<TZylStoreCombobox>(form, "Combo1", "ComboKey", 112);
        combo->Items()->SetCommaText("Small,Medium,Large");
        combo->SetText("Medium");
        auto* memo = Make<TZylStoreMemo>(form, "Memo1", "MemoKey", 138);
        memo->SetText("note");
        edit->SetStore(store);
        check->SetStore(store);
        radio1->SetStore(store);
        radio2->SetStore(store);
        combo->SetStore(store);
        memo->SetStore(store);
        std::string text = vcl::ComponentToText(form);
        edit->SetStore(nullptr);
        check->SetStore(nullptr);
        radio1->SetStore(nullptr);
        radio2->SetStore(nullptr);
        combo->SetStore(nullptr);
        memo->SetStore(nullptr);
        form->Free();
        return text;
    }

    static Prefs Open(const std::string& text) {
        auto* form = new vcl::TForm(vcl::Application, 0);
        vcl::ReadComponentText(text, form);
        return FindAll(form);
    }

    // A second view of the location the designed store uses.
    TZylDataStore& Location(TZylDatatype type) {
        Configure(location_, type);
        return location_;
    }

    TZylDataStore location_;
};

class StoreControlBothTest : public StoreControlTest, public ::testing::WithParamInterface<TZylDatatype> {};

TEST_P(StoreControlBothTest, DesignedValuesStayWhenNothingIsStored) {
    const Prefs prefs = Open(DesignText(GetParam()));
    EXPECT_EQ(prefs.edit->Text(), "designed");
    EXPECT_TRUE(prefs.check->Checked());
    EXPECT_TRUE(prefs.radio1->Checked());
    EXPECT_FALSE(prefs.radio2->Checked());
    EXPECT_EQ(prefs.combo->Text(), "Medium");
    ASSERT_EQ(prefs.memo->Lines()->Count(), 1);
    EXPECT_EQ(prefs.memo->Lines()->Strings(0), "note");
    prefs.form->Free();
}

TEST_P(StoreControlBothTest, StoredEmptyTextAndUncheckedStateAreShown) {
    TZylDataStore& location = Location(GetParam());
    location.WriteStr("EditKey", "");
    location.WriteStr("ComboKey", "");
    location.WriteStr("MemoKey", "");
    location.WriteBool("CheckKey", false);
    const Prefs prefs = Open(DesignText(GetParam()));
    EXPECT_EQ(prefs.edit->Text(), "");
    EXPECT_EQ(prefs.combo->Text(), "");
    EXPECT_EQ(prefs.memo->Text(), "");
    EXPECT_FALSE(prefs.check->Checked());
    prefs.form->Free();
}

TEST_P(StoreControlBothTest, ValuesComeBackAfterARestart) {
    const std::string design = DesignText(GetParam());
    Prefs prefs = Open(design);
    prefs.edit->SetText("typed");
    prefs.check->SetChecked(false);
    prefs.radio2->SetChecked(true);
    prefs.combo->SetText("Large");
    prefs.memo->SetText(GetParam() == sRegistry ? "first\r\nsecond" : "one line");
    prefs.form->Free();

    prefs = Open(design);
    EXPECT_EQ(prefs.edit->Text(), "typed");
    EXPECT_FALSE(prefs.check->Checked());
    EXPECT_FALSE(prefs.radio1->Checked());
    EXPECT_TRUE(prefs.radio2->Checked());
    EXPECT_EQ(prefs.combo->Text(), "Large");
    EXPECT_EQ(prefs.memo->Text(), GetParam() == sRegistry ? "first\r\nsecond" : "one line");
    prefs.form->Free();
}

TEST_P(StoreControlBothTest, OpeningAndClosingWithoutEditsKeepsTheStoredValues) {
    TZylDataStore& location = Location(GetParam());
    location.WriteStr("EditKey", "stored");
    location.WriteStr("ComboKey", "Small");
    location.WriteStr("MemoKey", "stored memo");
    location.WriteBool("CheckKey", true);
    location.WriteBool("Radio1Key", false);
    location.WriteBool("Radio2Key", true);
    const Prefs prefs = Open(DesignText(GetParam(), false));
    prefs.form->Free();
    location.SetErrorBool(false);
    EXPECT_EQ(location.ReadStr("EditKey"), "stored");
    EXPECT_EQ(location.ReadStr("ComboKey"), "Small");
    EXPECT_EQ(location.ReadStr("MemoKey"), "stored memo");
    EXPECT_TRUE(location.ReadBool("CheckKey"));
    EXPECT_TRUE(location.ReadBool("Radio2Key"));
    location.SetErrorBool(true);
    EXPECT_FALSE(location.ReadBool("Radio1Key"));
}

TEST_P(StoreControlBothTest, StoredValuesEqualToTheDesignedOnesSurviveOpenAndClose) {
    TZylDataStore& location = Location(GetParam());
    location.WriteStr("EditKey", "designed");
    location.WriteStr("ComboKey", "Medium");
    location.WriteBool("CheckKey", true);
    location.WriteBool("Radio1Key", true);
    const Prefs prefs = Open(DesignText(GetParam()));
    prefs.form->Free();
    location.SetErrorBool(false);
    EXPECT_EQ(location.ReadStr("EditKey"), "designed");
    EXPECT_EQ(location.ReadStr("ComboKey"), "Medium");
    EXPECT_TRUE(location.ReadBool("CheckKey"));
    EXPECT_TRUE(location.ReadBool("Radio1Key"));
}

TEST_P(StoreControlBothTest, ClosingWithNothingStoredKeepsTheDesignedValues) {
    const Prefs prefs = Open(DesignText(GetParam()));
    prefs.form->Free();
    TZylDataStore& location = Location(GetParam());
    location.SetErrorBool(false);
    EXPECT_EQ(location.ReadStr("EditKey"), "designed");
    EXPECT_EQ(location.ReadStr("ComboKey"), "Medium");
    EXPECT_TRUE(location.ReadBool("CheckKey"));
    EXPECT_TRUE(location.ReadBool("Radio1Key"));
    location.SetErrorBool(true);
    EXPECT_FALSE(location.ReadBool("Radio2Key"));
}

INSTANTIATE_TEST_SUITE_P(BothStores, StoreControlBothTest, ::testing::Values(sRegistry, sIniFile),
                         [](const auto& param) { return param.param == sRegistry ? "Registry" : "IniFile"; });

TEST_F(StoreControlTest, EveryChangeIsWrittenAtOnce) {
    const Prefs prefs = Open(DesignText(sRegistry));
    TZylDataStore& location = Location(sRegistry);
    prefs.edit->SetText("one");
    EXPECT_EQ(location.ReadStr("EditKey"), "one");
    prefs.check->SetChecked(false);
    location.SetErrorBool(true);
    EXPECT_FALSE(location.ReadBool("CheckKey"));
    // A combo box fires no Change when the program sets its text.
    prefs.combo->SetText("Large");
    EXPECT_EQ(location.ReadStr("ComboKey"), "Large");
    prefs.memo->Lines()->Add("more");
    EXPECT_EQ(location.ReadStr("MemoKey"), prefs.memo->Text());
    prefs.form->Free();
}

TEST_F(StoreControlTest, TypingAndClickingAreWritten) {
    const Prefs prefs = Open(DesignText(sRegistry));
    prefs.form->Show();
    PumpUntilIdle();
    prefs.edit->SetFocus();
    TypeText("abc");
    TZylDataStore& location = Location(sRegistry);
    EXPECT_EQ(location.ReadStr("EditKey"), prefs.edit->Text());
    EXPECT_NE(prefs.edit->Text().find("abc"), std::string::npos);
    ClickAt(prefs.check, 6, 10);
    EXPECT_FALSE(prefs.check->Checked());
    location.SetErrorBool(true);
    EXPECT_FALSE(location.ReadBool("CheckKey"));
    prefs.form->Free();
}

TEST_F(StoreControlTest, ItemIndexSetByTheProgramIsWrittenWhenTheFormCloses) {
    const std::string design = DesignText(sRegistry);
    Prefs prefs = Open(design);
    prefs.combo->SetItemIndex(0);
    prefs.form->Free();
    EXPECT_EQ(Location(sRegistry).ReadStr("ComboKey"), "Small");
}

TEST_F(StoreControlTest, RadioButtonTurnedOffByASiblingSavesFalse) {
    const std::string design = DesignText(sRegistry);
    Prefs prefs = Open(design);
    TZylDataStore& location = Location(sRegistry);
    prefs.radio1->SetChecked(true);
    prefs.radio2->SetChecked(true);
    location.SetErrorBool(true);
    EXPECT_FALSE(location.ReadBool("Radio1Key"));
    location.SetErrorBool(false);
    EXPECT_TRUE(location.ReadBool("Radio2Key"));
    prefs.radio1->SetChecked(true);
    location.SetErrorBool(true);
    EXPECT_FALSE(location.ReadBool("Radio2Key"));
    prefs.radio2->SetChecked(true);
    prefs.form->Free();

    prefs = Open(design);
    EXPECT_FALSE(prefs.radio1->Checked()) << "the designed choice gave way to the stored one";
    EXPECT_TRUE(prefs.radio2->Checked());
    prefs.form->Free();
}

TEST_F(StoreControlTest, CheckBoxLoadingPutsTheSharedErrorBoolBack) {
    for (bool shared : {false, true}) {
        const Prefs prefs = Open(DesignText(sRegistry, !shared, shared));
        EXPECT_EQ(prefs.check->Checked(), !shared) << "a missing value keeps the designed state";
        EXPECT_EQ(prefs.store->DataStore()->ErrorBool(), shared);
        prefs.form->Free();
        Location(sRegistry).Erase();
    }
}

TEST_F(StoreControlTest, StoreFreedFirstGetsTheLastTextOnceAndNothingAfter) {
    const Prefs prefs = Open(DesignText(sRegistry));
    prefs.edit->SetText("last");
    TZylDataStore& location = Location(sRegistry);
    location.WriteStr("EditKey", "changed behind its back");
    prefs.store->Free();
    EXPECT_EQ(prefs.edit->Store(), nullptr);
    EXPECT_EQ(prefs.check->Store(), nullptr);
    EXPECT_EQ(location.ReadStr("EditKey"), "last") << "written once as the store left";
    prefs.edit->SetText("after");
    prefs.form->Free();
    EXPECT_EQ(location.ReadStr("EditKey"), "last");
}

// A store on another root: a data module stand-in that form text can refer to by name.
vcl::TComponent* gModule = nullptr;

void RegisterModuleFinder() {
    static const bool registered = [] {
        vcl::RegisterFindGlobalComponent([](std::string_view name) -> vcl::TComponent* {
            return gModule && vcl::SameText(name, gModule->Name()) ? gModule : nullptr;
        });
        return true;
    }();
    (void)registered;
}

class OtherRootTest : public StoreControlTest {
protected:
    void SetUp() override {
        StoreControlTest::SetUp();
        RegisterModuleFinder();
    }
    void TearDown() override {
        if (gModule) gModule->Free();
        gModule = nullptr;
        StoreControlTest::TearDown();
    }

    TZylControlStore* MakeModule() {
        gModule = new vcl::TComponent(nullptr);
        gModule->SetName("Module1");
        auto* store = new TZylControlStore(gModule);
        store->SetName("Shared");
        return store;
    }

    // A form whose edit keeps its text through the module's store.
    std::string FormText(TZylControlStore* shared) {
        auto* form = new vcl::TForm(vcl::Application, 0);
        form->SetName("Other");
        auto* edit = Make<TZylStoreEdit>(form, "Edit1", "SharedKey", 8);
        edit->SetText("designed");
        edit->SetStore(shared);
        std::string text = vcl::ComponentToText(form);
        edit->SetStore(nullptr);
        form->Free();
        return text;
    }
};

TEST_F(OtherRootTest, ModuleFreedFirstLeavesNoDanglingLink) {
    TZylControlStore* shared = MakeModule();
    auto* form = new vcl::TForm(vcl::Application, 0);
    auto* edit = Make<TZylStoreEdit>(form, "Edit1", "SharedKey", 8);
    edit->SetStore(shared);
    edit->SetText("through the module");
    gModule->Free();
    gModule = nullptr;
    EXPECT_EQ(edit->Store(), nullptr);
    EXPECT_EQ(Location(sRegistry).ReadStr("SharedKey"), "through the module");
    edit->SetText("nobody listens");
    form->Free();
    EXPECT_EQ(Location(sRegistry).ReadStr("SharedKey"), "through the module");
}

TEST_F(OtherRootTest, FormFreedFirstWritesThroughTheModuleAndUnlinks) {
    TZylControlStore* shared = MakeModule();
    auto* form = new vcl::TForm(vcl::Application, 0);
    auto* edit = Make<TZylStoreEdit>(form, "Edit1", "SharedKey", 8);
    edit->SetStore(shared);
    edit->SetText("closing");
    Location(sRegistry).WriteStr("SharedKey", "changed elsewhere");
    form->Free();
    EXPECT_EQ(Location(sRegistry).ReadStr("SharedKey"), "closing");
    shared->Free();  // must not reach the freed edit
}

TEST_F(OtherRootTest, ReassignedStoreForgetsTheOldOne) {
    TZylControlStore* shared = MakeModule();
    auto* second = new TZylControlStore(gModule);
    second->DataStore()->Registry()->SetSection("Second");
    auto* form = new vcl::TForm(vcl::Application, 0);
    auto* edit = Make<TZylStoreEdit>(form, "Edit1", "SharedKey", 8);
    edit->SetStore(shared);
    edit->SetStore(second);
    shared->Free();
    EXPECT_EQ(edit->Store(), second);
    EXPECT_EQ(Location(sRegistry).ReadStr("SharedKey"), "Error") << "the old store gets no departure write";
    edit->SetText("second only");
    TZylDataStore secondView;
    secondView.Registry()->SetSection("Second");
    EXPECT_EQ(secondView.ReadStr("SharedKey"), "second only");
    edit->Free();
    second->Free();
    form->Free();
}

TEST_F(OtherRootTest, FormTextRefersToTheModuleStoreByName) {
    TZylControlStore* shared = MakeModule();
    const std::string text = FormText(shared);
    EXPECT_NE(text.find("Store = Module1.Shared"), std::string::npos) << text;
    shared->WriteStr("SharedKey", "from the module");
    auto* form = new vcl::TForm(vcl::Application, 0);
    vcl::ReadComponentText(text, form);
    auto* edit = Find<TZylStoreEdit>(form, "Edit1");
    EXPECT_EQ(edit->Store(), shared);
    EXPECT_EQ(edit->Text(), "from the module");
    form->Free();
}

TEST_F(OtherRootTest, StoreOfAModuleReadLaterRestoresWhenItArrives) {
    const std::string text = FormText(MakeModule());
    gModule->Free();
    gModule = nullptr;
    auto* form = new vcl::TForm(vcl::Application, 0);
    vcl::ReadComponentText(text, form);
    auto* edit = Find<TZylStoreEdit>(form, "Edit1");
    EXPECT_EQ(edit->Store(), nullptr);
    EXPECT_EQ(edit->Text(), "designed");

    TZylControlStore* shared = MakeModule();
    shared->WriteStr("SharedKey", "arrived");
    vcl::GlobalFixupReferences();
    EXPECT_EQ(edit->Store(), shared);
    EXPECT_EQ(edit->Text(), "arrived");
    form->Free();
    EXPECT_EQ(shared->ReadStr("SharedKey"), "arrived");
}

TEST_F(StoreControlTest, MultiLineMemoInAnIniFileIsReportedAndNothingIsInjected) {
    const Prefs prefs = Open(DesignText(sIniFile));
    int errors = 0;
    prefs.store->OnError = [&](vcl::TObject* sender) {
        EXPECT_EQ(sender, prefs.store);
        ++errors;
    };
    prefs.memo->SetText("line\r\nInjected=1");
    EXPECT_EQ(errors, 1);
    const std::string text = FileText(IniPath());
    EXPECT_EQ(text.find("Injected"), std::string::npos) << text;
    prefs.form->Free();
    EXPECT_EQ(FileText(IniPath()).find("Injected"), std::string::npos);
}

TEST_F(StoreControlTest, FormThatCannotBeReadWritesNothing) {
    TZylDataStore& location = Location(sRegistry);
    location.WriteStr("EditKey", "stored");
    location.WriteBool("CheckKey", true);
    std::string text = DesignText(sRegistry, false);
    const size_t end = text.rfind("end");
    ASSERT_NE(end, std::string::npos);
    text.insert(end, "  Bogus = 1\n");
    auto* form = new vcl::TForm(vcl::Application, 0);
    EXPECT_THROW(vcl::ReadComponentText(text, form), vcl::EReadError);
    form->Free();
    location.SetErrorBool(false);
    EXPECT_EQ(location.ReadStr("EditKey"), "stored");
    EXPECT_TRUE(location.ReadBool("CheckKey"));
}

TEST_F(StoreControlTest, ControlWithoutStoreWritesNothing) {
    auto* form = new vcl::TForm(vcl::Application, 0);
    auto* edit = Make<TZylStoreEdit>(form, "Edit1", "EditKey", 8);
    edit->SetText("alone");
    edit->SavetoStore();
    form->Free();
    EXPECT_FALSE(KeyExists(win32::HKEY_CURRENT_USER, "Software"));
}

TEST(StoreControlClasses, PublishStoreAndStoreKeyAfterTheirBaseAndAreStreamable) {
    const vcl::TClass classes[] = {TZylStoreEdit::StaticClass(), TZylStoreCheckbox::StaticClass(),
                                   TZylStoreRadioButton::StaticClass(), TZylStoreCombobox::StaticClass(),
                                   TZylStoreMemo::StaticClass()};
    const vcl::TClass bases[] = {vcl::TEdit::StaticClass(), vcl::TCheckBox::StaticClass(),
                                 vcl::TRadioButton::StaticClass(), vcl::TComboBox::StaticClass(),
                                 vcl::TRichEdit::StaticClass()};
    for (size_t i = 0; i < std::size(classes); ++i) {
        const vcl::TPropList& props = classes[i]->Properties();
        const vcl::TPropList& inherited = bases[i]->Properties();
        ASSERT_EQ(props.size(), inherited.size() + 2) << classes[i]->name;
        for (size_t p = 0; p < inherited.size(); ++p)
            EXPECT_EQ(props[p]->name, inherited[p]->name);
        EXPECT_EQ(props[inherited.size()]->name, "Store");
        EXPECT_TRUE(props[inherited.size()]->isReference);
        EXPECT_EQ(props[inherited.size() + 1]->name, "StoreKey");
        EXPECT_EQ(vcl::GetClass(classes[i]->name), classes[i]);
        EXPECT_EQ(classes[i]->parent, bases[i]);
    }
    EXPECT_EQ(vcl::GetClass("TZylControlStore"), TZylControlStore::StaticClass());
    EXPECT_NE(TZylStoreCombobox::StaticClass()->FindProperty("ItemIndex"), nullptr);
}

TEST(StoreControlClasses, RegisterPutsTheStoresOnThePackagePage) {
    pellic::Register();
    const vcl::TClass expected[] = {TZylControlStore::StaticClass(),  TZylStoreEdit::StaticClass(),
                                    TZylStoreCheckbox::StaticClass(), TZylStoreRadioButton::StaticClass(),
                                    TZylStoreCombobox::StaticClass(), TZylStoreMemo::StaticClass()};
    bool found = false;
    for (const vcl::TPalettePage& page : vcl::Palette()) {
        if (page.name != "Zyl Standard 2") continue;
        found = true;
        for (vcl::TClass cls : expected)
            EXPECT_NE(std::find(page.classes.begin(), page.classes.end(), cls), page.classes.end())
                << cls->name;
    }
    EXPECT_TRUE(found);
}

}  // namespace
