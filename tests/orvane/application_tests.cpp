// The application component, the top-most form and the single-instance check within one process.
#include <string>
#include <vector>

#include "orvane/zyltapplication.h"
#include "system_fixture.h"
#include "vcl/streaming.h"
#include "win32/user.h"

namespace application_tests {

using namespace vcl;
using namespace orvane;

class ApplicationComponents : public systemtest::SystemTest {};

TEST_F(ApplicationComponents, SettingsReachTheApplicationAndAnEmptyIconLeavesItsOwn) {
    Application->SetHintPause(123);
    auto* form = new TForm(Application, 0);
    auto* component = new TZylApplication(form);
    EXPECT_EQ(component->HintPause(), 123) << "taken from the application at creation";
    component->SetHintColor(clRed);
    component->SetShowHint(false);
    component->SetApplicationTitle("Titled");
    EXPECT_EQ(Application->HintColor(), clRed);
    EXPECT_FALSE(Application->ShowHint());
    EXPECT_EQ(Application->Title(), "Titled");
    EXPECT_EQ(component->HintColor(), clRed);

    TIcon own;
    own.SetHandle(win32::CopyIcon(win32::LoadIcon(nullptr, win32::IDI_QUESTION)));
    Application->SetIcon(&own);
    const std::string text =
        "object F: TForm\n  object App1: TZylApplication\n    HintPause = 900\n  end\nend\n";
    component->Free();
    auto* read = new TForm(Application, 0);
    ReadComponentText(text, read);
    EXPECT_EQ(Application->HintPause(), 900);
    EXPECT_FALSE(Application->Icon()->Empty()) << "an empty ApplicationIcon does not wipe the application's";
}

TEST_F(ApplicationComponents, AssignedEventsStandInForTheApplicationsUntilTheComponentGoes) {
    std::vector<std::string> calls;
    Application->OnMinimize = [&](TObject*) { calls.push_back("application"); };
    Application->OnHelp = [&](Word, Integer, bool&) {
        calls.push_back("application help");
        return false;
    };
    auto* form = new TForm(Application, 0);
    form->RegisterMethod<TNotifyEvent>("Minimized", [&](TObject*) { calls.push_back("component"); });
    form->RegisterMethod<THelpEvent>("Helped", [&](Word, Integer, bool& callHelp) {
        calls.push_back("component help");
        callHelp = false;
        return true;
    });
    ReadComponentText(
        "object F: TForm\n  object App1: TZylApplication\n    OnMinimize = Minimized\n"
        "    OnHelp = Helped\n  end\nend\n",
        form);
    Application->Minimize();
    EXPECT_TRUE(Application->HelpContext(5));
    EXPECT_EQ(calls, (std::vector<std::string>{"component", "component help"}));
    form->FindComponent("App1")->Free();
    calls.clear();
    Application->Minimize();
    EXPECT_EQ(calls, (std::vector<std::string>{"application"}));
}

TEST_F(ApplicationComponents, TopMostKeepsItsFormAboveAndLetsGoWhenFreed) {
    auto* form = ShowForm();
    auto exStyle = [form] {
        return static_cast<win32::DWORD>(win32::GetWindowLong(form->Handle(), win32::GWL_EXSTYLE));
    };
    ReadComponentText("object F: TForm\n  object Top1: TZylTopMost\n  end\nend\n", form);
    auto* top = dynamic_cast<TZylTopMost*>(form->FindComponent("Top1"));
    ASSERT_NE(top, nullptr);
    EXPECT_TRUE(exStyle() & win32::WS_EX_TOPMOST);
    top->SetActive(false);
    EXPECT_FALSE(exStyle() & win32::WS_EX_TOPMOST);
    top->SetActive(true);
    EXPECT_TRUE(exStyle() & win32::WS_EX_TOPMOST);
    top->Free();
    EXPECT_FALSE(exStyle() & win32::WS_EX_TOPMOST);
}

TEST_F(ApplicationComponents, OnlyOneWithNoInstancesAllowedCountsAsOne) {
    Application->SetTitle("Alone");
    auto* form = new TForm(Application, 0);
    int exceeded = 0;
    form->RegisterMethod<TZylOnExceeded>("Exceeded", [&](TObject*, Integer) { ++exceeded; });
    ReadComponentText(
        "object F: TForm\n  object One: TZylOnlyOne\n    Instances = 0\n    OnExceed = aNone\n"
        "    OnExceeded = Exceeded\n  end\nend\n",
        form);
    EXPECT_EQ(exceeded, 0) << "this copy alone is within one";
}

}  // namespace application_tests
