// The form saver: round trips of the application's forms and their controls through the registry
// and an ini file, what a maximized or minimized form writes, and the saver's care for its form's
// events and for bounds that lie off the screen.
#include <memory>
#include <string>

#include "orvane/zyltformsaver.h"
#include "pellic/zyltautostores.h"
#include "system_fixture.h"
#include "vcl/extctrls.h"
#include "vcl/stdctrls.h"
#include "vcl/streaming.h"
#include "win32/user.h"

namespace formsaver_tests {

using namespace vcl;
using orvane::TZylFormSaver;

class TSaverMainForm : public TForm {
    VCL_CLASS(TSaverMainForm, TForm)
public:
    explicit TSaverMainForm(TComponent* owner) : TForm(owner, 0) {}
};

class TSaverOtherForm : public TForm {
    VCL_CLASS(TSaverOtherForm, TForm)
public:
    explicit TSaverOtherForm(TComponent* owner) : TForm(owner, 0) {}
};

class FormSaver : public systemtest::SystemTest {
protected:
    void SetUp() override {
        SystemTest::SetUp();
        main_ = new TSaverMainForm(Application);
        main_->SetBounds(100, 80, 400, 300);
        panel_ = new TPanel(main_);
        panel_->SetName("Panel1");
        panel_->SetParent(main_);
        panel_->SetBounds(10, 10, 200, 100);
        edit_ = new TEdit(main_);
        edit_->SetName("Edit1");
        edit_->SetParent(panel_);
        edit_->SetBounds(5, 6, 120, 21);
        saver_ = new TZylFormSaver(main_);
        saver_->SetName("Saver");
    }

    void UseIni() {
        saver_->FormStore()->SetDatatype(orvane::sIniFile);
        saver_->FormStore()->Inifile()->SetFilename(IniPath());
    }

    // What the standard package's store reads from the same place.
    Integer StandardReads(const std::string& name, bool ini = false) {
        TComponentPtr<pellic::TZylControlStore> store(new pellic::TZylControlStore(nullptr));
        store->DataStore()->SetDatatype(ini ? pellic::sIniFile : pellic::sRegistry);
        store->DataStore()->Inifile()->SetFilename(IniPath());
        store->DataStore()->SetErrorInt(-1);
        return store->ReadInt(name);
    }

    static void SystemCommand(TCustomForm* form, win32::WPARAM command) {
        win32::SendMessage(form->Handle(), win32::WM_SYSCOMMAND, command, 0);
        PumpUntilIdle();
    }

    TSaverMainForm* main_ = nullptr;
    TPanel* panel_ = nullptr;
    TEdit* edit_ = nullptr;
    TZylFormSaver* saver_ = nullptr;
};

TEST_F(FormSaver, FormsAndControlsRoundTripInTheRegistryAndAnIniFile) {
    for (const bool ini : {false, true}) {
        SCOPED_TRACE(ini ? "ini file" : "registry");
        if (ini) UseIni();
        main_->Show();
        main_->SetBounds(120, 90, 420, 310);
        panel_->SetBounds(12, 14, 210, 110);
        edit_->SetVisible(false);
        main_->Close();  // stores
        EXPECT_EQ(StandardReads("TSaverMainForm_Width", ini), 420);
        EXPECT_EQ(StandardReads("TSaverMainForm_WindowState", ini), 2);
        EXPECT_EQ(StandardReads("Panel1_Top", ini), 14);
        EXPECT_EQ(StandardReads("Edit1_Left", ini), 5);

        main_->SetBounds(0, 0, 250, 200);
        panel_->SetBounds(0, 0, 50, 50);
        edit_->SetVisible(true);
        main_->Show();  // restores
        EXPECT_EQ(systemtest::Sides(main_->BoundsRect()), systemtest::Sides({120, 90, 540, 400}));
        EXPECT_EQ(systemtest::Sides(panel_->BoundsRect()), systemtest::Sides({12, 14, 222, 124}));
        EXPECT_FALSE(edit_->Visible());
        EXPECT_TRUE(main_->Visible());
        main_->Hide();
        edit_->SetVisible(true);
    }
}

TEST_F(FormSaver, OnlyItsOwnFormWritesTheBoundsItHadBeforeMaximizing) {
    auto* other = new TSaverOtherForm(Application);
    other->SetBounds(300, 200, 200, 150);
    main_->Show();  // restores every form, from nothing stored yet
    other->Show();
    other->SetWindowState(wsMaximized);  // not through its system menu
    // Through the system menu, as a double click on the caption sends it (SC_MAXIMIZE | HTCAPTION).
    SystemCommand(main_, win32::SC_MAXIMIZE | win32::HTCAPTION);
    ASSERT_TRUE(win32::IsZoomed(main_->Handle()));
    saver_->Store();
    EXPECT_EQ(StandardReads("TSaverMainForm_WindowState"), 3);
    EXPECT_EQ(StandardReads("TSaverMainForm_Width"), 400);
    EXPECT_EQ(StandardReads("TSaverMainForm_Left"), 100);
    EXPECT_EQ(StandardReads("TSaverOtherForm_WindowState"), 3);
    EXPECT_EQ(StandardReads("TSaverOtherForm_Width"), -1);
    EXPECT_EQ(StandardReads("TSaverOtherForm_Left"), -1);

    // Minimized from maximized: the bounds to go back to stay the normal ones.
    SystemCommand(main_, win32::SC_MINIMIZE);
    saver_->Store();
    EXPECT_EQ(StandardReads("TSaverMainForm_WindowState"), 1);
    EXPECT_EQ(StandardReads("TSaverMainForm_Width"), 400);
}

TEST_F(FormSaver, AFormDesignedMaximizedDoesNotTakeItsSizeFromTheStore) {
    auto* store = saver_->FormStore();
    store->WriteInt("TSaverMainForm_Width", 380);
    store->WriteInt("TSaverMainForm_Height", 280);
    store->WriteInt("TSaverMainForm_WindowState", 3);
    main_->SetWindowState(wsMaximized);
    main_->Show();
    EXPECT_TRUE(win32::IsZoomed(main_->Handle()));
    EXPECT_NE(main_->Width(), 380);
    main_->SetWindowState(wsNormal);
    EXPECT_EQ(main_->Width(), 400) << "its normal size is the designed one";
}

TEST_F(FormSaver, UnnamedControlsAreNotStoredButTheirChildrenAre) {
    auto* unnamed = new TPanel(main_);
    unnamed->SetParent(main_);
    unnamed->SetBounds(1, 2, 30, 40);
    auto* inside = new TLabel(main_);
    inside->SetName("Inside");
    inside->SetParent(unnamed);
    inside->SetBounds(3, 4, 20, 10);
    saver_->Store();
    EXPECT_EQ(StandardReads("_Width"), -1);
    EXPECT_EQ(StandardReads("_Left"), -1);
    EXPECT_EQ(StandardReads("Inside_Left"), 3);
}

TEST_F(FormSaver, AControlLeftOutOfStoringIsStillRestoredFromEarlierValues) {
    saver_->Store();  // Panel1 at 10, 10
    panel_->SetLeft(60);
    int asked = 0;
    saver_->OnStoreControl = [&](TObject* sender, bool& result) {
        ++asked;
        if (sender == panel_) result = false;  // and its edit with it
    };
    edit_->SetLeft(99);
    saver_->Store();
    EXPECT_EQ(asked, 1) << "the panel's children were skipped with it";
    EXPECT_EQ(StandardReads("Panel1_Left"), 10);
    EXPECT_EQ(StandardReads("Edit1_Left"), 5);
    saver_->Restore();
    EXPECT_EQ(panel_->Left(), 10);
    EXPECT_EQ(edit_->Left(), 5);
}

TEST_F(FormSaver, BoundsOffTheDesktopComeBackOntoIt) {
    struct Case {
        Integer left, top;
        TRect expected;
    };
    // 1024 x 768 screen; a form of 400 x 300.
    const Case cases[] = {
        {5000, 90, {624, 90, 1024, 390}},    // right of every screen
        {-900, -700, {0, 0, 400, 300}},      // above and left
        {900, 700, {900, 700, 1300, 1000}},  // partly visible: left alone
    };
    for (const Case& c : cases) {
        auto* store = saver_->FormStore();
        store->WriteInt("TSaverMainForm_Left", c.left);
        store->WriteInt("TSaverMainForm_Top", c.top);
        store->WriteInt("TSaverMainForm_Width", 400);
        store->WriteInt("TSaverMainForm_Height", 300);
        saver_->Restore();
        EXPECT_EQ(systemtest::Sides(main_->BoundsRect()), systemtest::Sides(c.expected))
            << c.left << ", " << c.top;
    }
}

TEST_F(FormSaver, TheFormsHandlersComeBackOnlyIfTheyAreStillTheSaversOwn) {
    std::vector<std::string> calls;
    auto* form = new TSaverOtherForm(Application);
    form->OnShow = [&](TObject*) { calls.push_back("form"); };
    auto* saver = new TZylFormSaver(form);
    saver->OnRestore = [&](TObject*) { calls.push_back("saver"); };
    form->Show();
    EXPECT_EQ(calls, (std::vector<std::string>{"form", "saver"}));
    form->Hide();
    saver->Free();
    calls.clear();
    form->Show();
    EXPECT_EQ(calls, (std::vector<std::string>{"form"}));
    form->Hide();

    // Someone took OnShow over after the saver: freeing the saver leaves their handler, which goes
    // on calling into the chain safely.
    saver = new TZylFormSaver(form);
    saver->OnRestore = [&](TObject*) { calls.push_back("saver"); };
    TNotifyEvent chained = form->OnShow;
    form->OnShow = [&, chained](TObject* sender) {
        calls.push_back("later");
        chained(sender);
    };
    saver->Free();
    calls.clear();
    form->Show();
    EXPECT_EQ(calls, (std::vector<std::string>{"later", "form"}));
}

TEST_F(FormSaver, ASaverReadFromAFormFileStoresWhereTheFileSays) {
    RegisterClass<TSaverOtherForm>();
    auto* form = new TSaverOtherForm(Application);
    ReadComponentText(
        "object Other: TSaverOtherForm\n"
        "  Left = 40\n  Top = 30\n  Width = 320\n  Height = 240\n"
        "  BorderStyle = bsSingle\n"
        "  object Saver: TZylFormSaver\n"
        "    FormStore.Datatype = sIniFile\n"
        "    FormStore.Inifile.Filename = '" +
            IniPath() +
            "'\n"
            "    FormStore.Inifile.Section = 'Windows'\n"
            "    StoreControls = False\n"
            "  end\n"
            "end\n",
        form);
    auto* saver = dynamic_cast<TZylFormSaver*>(form->FindComponent("Saver"));
    ASSERT_NE(saver, nullptr);
    EXPECT_EQ(saver->HookedWindow(), form->Handle());
    form->Show();
    SystemCommand(form, win32::SC_MAXIMIZE);
    form->Close();
    const std::string ini = zyltest::ReadTextFile(IniPath());
    EXPECT_NE(ini.find("[Windows]"), std::string::npos) << ini;
    EXPECT_NE(ini.find("TSaverOtherForm_Width=320"), std::string::npos) << ini;
    EXPECT_NE(ini.find("TSaverOtherForm_WindowState=3"), std::string::npos) << ini;
}

TEST_F(FormSaver, ADisabledStoreNeitherStoresNorRestoresButStillReports) {
    saver_->FormStore()->SetEnabled(false);
    int stores = 0, restores = 0;
    saver_->OnStore = [&](TObject*) { ++stores; };
    saver_->OnRestore = [&](TObject*) { ++restores; };
    saver_->Store();
    main_->Show();
    EXPECT_EQ(stores, 0);
    EXPECT_EQ(restores, 1);
    EXPECT_EQ(StandardReads("TSaverMainForm_Width"), -1);
}

}  // namespace formsaver_tests
