// The access-code prompt and the shell's about box.
#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "quenta/zylaccess.h"
#include "win32/shell.h"
#include "win32/virtualkeys.h"

namespace access_tests {

using namespace vcl;
using namespace quenta;

class AccessTest : public dialogtest::DialogTest {};

TEST_F(AccessTest, TheCodeMatchesInAnyCaseAndCancelNeverGrantsAccess) {
    TComponentPtr<TZylQueryAccess> access(new TZylQueryAccess(nullptr));
    std::vector<std::string> events;
    access->OnRightCode = [&](TObject*) { events.push_back("right"); };
    access->OnWrongCode = [&](TObject*) { events.push_back("wrong"); };
    access->SetAccessCode("Gate42");
    std::string caption, prompt;
    Answer({[&] {
        caption = Dialog("InputQuery")->Caption();
        prompt = Part<TLabel>("InputQuery", "Prompt")->Caption();
        win32::input::TypeText("gATE42");
        Click("InputQuery", "OK");
    }});
    EXPECT_TRUE(access->Execute());
    EXPECT_EQ(caption, "Access Code required");
    EXPECT_EQ(prompt, "Please enter the Access Code :");
    Answer({[&] {
        win32::input::TypeText("gate");
        Click("InputQuery", "OK");
    }});
    EXPECT_FALSE(access->Execute());
    Answer({[&] {
        win32::input::TypeText("Gate42");
        Click("InputQuery", "Cancel");
    }});
    EXPECT_FALSE(access->Execute()) << "Cancel with the right code typed";
    // An empty code typed into an empty access code is access only when confirmed.
    access->SetAccessCode("");
    Answer({[&] { win32::input::PressKey(win32::VK_ESCAPE); }});
    EXPECT_FALSE(access->Execute());
    Answer({[&] { Click("InputQuery", "OK"); }});
    EXPECT_TRUE(access->Execute());
    EXPECT_EQ(events, (std::vector<std::string>{"right", "wrong", "wrong", "wrong", "right"}));
}

TEST_F(AccessTest, TheAboutBoxGetsItsLinesJoinedByANumberSign) {
    TComponentPtr<TZylShellAbout> about(new TZylShellAbout(nullptr));
    about->SetFirstLine("Zyl Notes");
    about->SetTitleLine("Version 2.1");
    about->SetInfoLine("Built for the team");
    about->SetSound(bExclamation);
    EXPECT_TRUE(about->Execute());
    const auto log = win32::testing::ShellAboutLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].app, "Zyl Notes#Version 2.1");
    EXPECT_EQ(log[0].otherStuff, "Built for the team");
    EXPECT_EQ(log[0].icon, nullptr);
    EXPECT_EQ(win32::testing::Beeps(), (std::vector<win32::UINT>{0x30}));
}

}  // namespace access_tests
