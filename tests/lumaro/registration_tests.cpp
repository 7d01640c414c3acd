#include <string>
#include <vector>

#include "lumaro/zylbackgrounds.h"
#include "lumaro/zyleditors.h"
#include "lumaro/zyllabels.h"
#include "lumaro/zylsplash.h"
#include "support/ui_fixture.h"
#include "vcl/designhost.h"
#include "vcl/designintf.h"
#include "vcl/forms.h"
#include "vcl/stdctrls.h"
#include "vcl/streaming.h"

using namespace vcl;
using namespace lumaro;

namespace {

class PackageTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        host = std::make_unique<TDesignerHost>();
        host->LoadPackage("lumaro");
        host->NewForm(TForm::StaticClass(), "Designed");
    }
    void TearDown() override {
        host.reset();
        UiFixture::TearDown();
    }

    static std::vector<std::string> Page(const std::string& name) {
        std::vector<std::string> classes;
        for (const TPalettePage& page : Palette())
            if (page.name == name)
                for (TClass cls : page.classes)
                    classes.emplace_back(cls->name);
        return classes;
    }

    static TClass EditorFor(TClass componentClass, const char* property) {
        return GetEditorClass(*componentClass->FindProperty(property), componentClass);
    }

    std::unique_ptr<TDesignerHost> host;
};

TEST_F(PackageTest, ComponentsSitOnTheirPagesInOrder) {
    EXPECT_EQ(
        Page("Zyl Enhanced"),
        (std::vector<std::string>{
            "TZylBackground", "TZylCheckbox",       "TZylRadiobutton",  "TZylLabel",       "TZylButton",
            "TZylIEButton",   "TZylOfficeButton",   "TZylPanel",        "TZylGauge",       "TZylPresentation",
            "TZylHint",       "TZylFillBackground", "TZylArrowButton",  "TZylRoundButton", "TZylHeader",
            "TZylHeaderList", "TZylImageScroller",  "TZylScreenCanvas", "TZylFileLabel3D", "TZylFormSlide"}));
    EXPECT_EQ(Page("Zyl Data-Aware"), (std::vector<std::string>{"TZylDBLabel", "TZylDBNavigator"}));
    EXPECT_EQ(Page("Zyl Dialogs"), (std::vector<std::string>{"TZylSplashScreen"}));
    EXPECT_EQ(Page("Zyl System"), (std::vector<std::string>{"TZylTimer32"}));
}

TEST_F(PackageTest, EditorsServeTheirPropertiesWhileThePackageIsLoaded) {
    EXPECT_EQ(EditorFor(TZylGradient::StaticClass(), "ColorsInBetween"),
              TZylColorInBetweenProperty::StaticClass());
    // The caption editor takes over every control's caption, the framework's own included.
    EXPECT_EQ(EditorFor(TLabel::StaticClass(), "Caption"), TZylCaptionProperty::StaticClass());
    EXPECT_EQ(EditorFor(TZylLabel::StaticClass(), "Caption"), TZylCaptionProperty::StaticClass());

    host.reset();  // unloads the package
    EXPECT_NE(EditorFor(TLabel::StaticClass(), "Caption"), TZylCaptionProperty::StaticClass());
    EXPECT_EQ(FindPaletteClass("TZylLabel"), nullptr);
    // Form files still find the classes: the library itself stays loaded.
    EXPECT_EQ(FindClass("TZylLabel"), TZylLabel::StaticClass());
}

TEST_F(PackageTest, DesignedFormWithBackgroundAndLabelsReadsBackAtRunTime) {
    auto* background = static_cast<TZylBackground*>(host->DropComponent("TZylBackground"));
    auto* label = static_cast<TZylLabel*>(host->DropComponent("TZylLabel", host->GetRoot(), 8, 8, 120, 30));
    auto* path =
        static_cast<TZylFileLabel3D*>(host->DropComponent("TZylFileLabel3D", host->GetRoot(), 8, 50, 60));
    host->SetProperty(background, "Gradient.FillStyle", "RoundMiddle");
    host->SetProperty(background, "Gradient.BeginColor", "clNavy");
    host->AnswerModal("ExtraColorsDlg", [](TCustomForm& form) { form.SetModalResult(mrOk); });
    host->AnswerModal("CaptionEditor", [](TCustomForm& form) {
        dynamic_cast<TEdit*>(form.FindComponent("Edit"))->SetText("&Designed");
        form.SetModalResult(mrOk);
    });
    host->EditProperty(label, "Caption");
    EXPECT_EQ(label->Caption(), "&Designed");
    host->EditProperty(background, "Gradient.ColorsInBetween");
    EXPECT_EQ(host->PendingAnswers(), 0u);
    host->SetProperty(label, "Background", background->Name());
    host->SetProperty(label, "FontBackground", background->Name());
    host->SetProperty(label, "Frame.FrameStyle", "frameRaised");
    host->SetProperty(path, "Filename", "C:\\Program Files\\Tool\\readme.txt");
    EXPECT_EQ(host->GetProperty(background, "Gradient.ColorsInBetween"), "(Extra Colors)");

    const std::string text = host->FormText();
    const std::string backgroundName = background->Name();
    host.reset();

    TComponentPtr<TForm> form(new TForm(nullptr, 0));
    ReadComponentText(text, form.get());
    auto* readBackground = dynamic_cast<TZylBackground*>(form->FindComponent(backgroundName));
    ASSERT_NE(readBackground, nullptr);
    EXPECT_EQ(readBackground->Gradient()->FillStyle(), TZylFillStyle::RoundMiddle);
    EXPECT_EQ(readBackground->Gradient()->BeginColor(), clNavy);
    auto* readLabel = dynamic_cast<TZylLabel*>(form->FindComponent("ZylLabel1"));
    ASSERT_NE(readLabel, nullptr);
    EXPECT_EQ(readLabel->Caption(), "&Designed");
    EXPECT_EQ(readLabel->Background(), readBackground);
    EXPECT_EQ(readLabel->FontBackground(), readBackground);
    EXPECT_EQ(readLabel->Frame()->FrameStyle(), frameRaised);
    // One client entry per link.
    EXPECT_EQ(readBackground->Clients().size(), 2u);
    auto* readPath = dynamic_cast<TZylFileLabel3D*>(form->FindComponent("ZylFileLabel3D1"));
    ASSERT_NE(readPath, nullptr);
    EXPECT_EQ(readPath->Filename(), "C:\\Program Files\\Tool\\readme.txt");
    EXPECT_NE(readPath->Caption(), readPath->Filename()) << "60 pixels cannot hold the whole path";
}

}  // namespace

namespace {

TEST_F(PackageTest, DesignExecuteOfADroppedSplashRunsIt) {
    auto* splash = dynamic_cast<TZylSplashScreen*>(host->DropComponent("TZylSplashScreen"));
    ASSERT_NE(splash, nullptr);
    bool shown = false;
    splash->OnRun = [&](TObject* sender) { shown = dynamic_cast<TSplashForm*>(sender)->Visible(); };
    const TPropInfo* info = TZylSplashScreen::StaticClass()->FindProperty("DesignExecute");
    ASSERT_NE(info, nullptr);
    auto editor = CreatePropertyEditor(EditorFor(TZylSplashScreen::StaticClass(), "DesignExecute"), nullptr,
                                       {splash}, info);
    EXPECT_EQ(editor->GetValue(), "(Execute Test)");
    editor->Edit();
    EXPECT_TRUE(shown);
    EXPECT_EQ(splash->SplashForm(), nullptr);
}

}  // namespace
