// The package in the designer: its palette pages, the "Execute Test" editors that run a dialog
// from the form designer, and the list of field names for the login's fields.
#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "quenta/zylaccess.h"
#include "quenta/zylpassword.h"
#include "vcl/db.h"
#include "vcl/designhost.h"
#include "vcl/designintf.h"

namespace registration_tests {

using namespace vcl;
using namespace quenta;

class PackageTest : public dialogtest::DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        host = std::make_unique<TDesignerHost>();
        host->LoadPackage("quenta");
        host->NewForm(TForm::StaticClass(), "Designed");
    }
    void TearDown() override {
        host.reset();
        DialogTest::TearDown();
    }
    static std::vector<std::string> Page(const std::string& name) {
        std::vector<std::string> classes;
        for (const TPalettePage& page : Palette())
            if (page.name == name)
                for (TClass cls : page.classes)
                    classes.emplace_back(cls->name);
        return classes;
    }
    std::unique_ptr<TDesignerHost> host;
};

TEST_F(PackageTest, DialogsSitOnTheirPages) {
    EXPECT_EQ(
        Page("Zyl Dialogs"),
        (std::vector<std::string>{"TZylPasswordDlg", "TZylFolderBrowser", "TZylPageSetupDialog",
                                  "TZylQueryAccess", "TZylShellAbout", "TZylTipTricks", "TZylTextFileView"}));
    EXPECT_EQ(Page("Zyl Data-Aware"),
              (std::vector<std::string>{"TZylDBImageView", "TZylDBMemoView", "TZylDBPasswordDlg"}));
}

TEST_F(PackageTest, TheDesignerRunsADialogByVerbDoubleClickAndItsProperty) {
    auto* about = static_cast<TZylShellAbout*>(host->DropComponent("TZylShellAbout"));
    host->SetProperty(about, "FirstLine", "Designed");
    EXPECT_EQ(host->Verbs(about), (std::vector<std::string>{"Test " + about->Name()}));
    host->ExecuteVerb(about, "Test " + about->Name());
    host->EditComponent(about);
    EXPECT_EQ(host->GetProperty(about, "DesignExecute"), "(Execute Test)");
    host->EditProperty(about, "DesignExecute");
    const auto log = win32::testing::ShellAboutLog();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[2].app, "Designed#");
    EXPECT_EQ(host->FormText().find("DesignExecute"), std::string::npos) << "never stored";
}

TEST_F(PackageTest, TheLoginFieldsOfferTheFieldsOfTheDataset) {
    auto* data = static_cast<TMemoryDataSet*>(host->DropComponent("TMemoryDataSet"));
    data->FieldDefs()->Add("LOGIN", TFieldType::ftString, 20);
    data->FieldDefs()->Add("SECRET", TFieldType::ftString, 20);
    data->CreateDataSet();
    auto* source = static_cast<TDataSource*>(host->DropComponent("TDataSource"));
    source->SetDataSet(data);
    auto* login = static_cast<TZylDBPasswordDlg*>(host->DropComponent("TZylDBPasswordDlg"));
    EXPECT_TRUE(host->FindEditor({login}, "DataUserName")->Values().empty()) << "no source yet";
    host->SetProperty(login, "DataSource", source->Name());
    EXPECT_EQ(host->FindEditor({login}, "DataUserName")->Values(),
              (std::vector<std::string>{"LOGIN", "SECRET"}));
    host->SetProperty(login, "DataPassword", "SECRET");
    EXPECT_EQ(login->DataPassword(), "SECRET");
}

}  // namespace registration_tests
