// The tips dialog: its layout and texts, the buttons and their events, the check box state that
// outlives the window, and an empty list of tips.
#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "quenta/zyltips.h"
#include "vcl/buttons.h"
#include "vcl/extctrls.h"

namespace tips_tests {

using namespace vcl;
using namespace quenta;

class TipsTest : public dialogtest::DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        tips.reset(new TZylTipTricks(nullptr));
    }
    void TearDown() override {
        tips.reset();
        DialogTest::TearDown();
    }
    static std::string Tip() { return Part<TLabel>("TipDialog", "TipLabel")->Caption(); }
    static TBitBtn* Button(const char* name) { return Part<TBitBtn>("TipDialog", name); }

    TComponentPtr<TZylTipTricks> tips;
};

TEST_F(TipsTest, TheWindowIsLaidOutWithItsTextsAndShowsATip) {
    tips->Tips()->Add("Save often.");
    tips->SetTipDlgCaption("Tip of the Day");
    tips->SetColor(clAqua);
    tips->SetTipAlign(TAlignment::taLeftJustify);
    tips->Custom1BitBtn()->SetCaption("Help");
    tips->Custom2BitBtn()->SetVisible(false);
    tips->SetSound(bAsterix);
    Answer({[&] {
        TCustomForm* form = Dialog("TipDialog");
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->ClientWidth(), 371);
        EXPECT_EQ(form->ClientHeight(), 251);
        EXPECT_EQ(form->Left(), (1024 - form->Width()) / 2);
        EXPECT_EQ(form->Caption(), "Tip of the Day");
        EXPECT_EQ(form->Font()->Size(), 8);
        EXPECT_EQ(Part<TLabel>("TipDialog", "Heading")->Caption(), "Did You Know ... ?");
        EXPECT_EQ(Tip(), "Save often.");
        EXPECT_TRUE(Part<TLabel>("TipDialog", "TipLabel")->WordWrap());
        EXPECT_EQ(Part<TLabel>("TipDialog", "TipLabel")->Alignment(), TAlignment::taLeftJustify);
        EXPECT_EQ(Part<TPanel>("TipDialog", "TipPanel")->Color(), clAqua);
        const std::pair<const char*, const char*> captions[] = {{"OkButton", "Ok"},
                                                                {"NextTipButton", "Next Tip"},
                                                                {"Other1Button", "Help"},
                                                                {"Other2Button", ""}};
        Integer top = 8;
        for (const auto& [name, caption] : captions) {
            TBitBtn* button = Button(name);
            EXPECT_EQ(button->Caption(), caption) << name;
            EXPECT_EQ(button->Width(), 89) << name;
            EXPECT_EQ(button->Height(), 27) << name;
            EXPECT_EQ(button->Left() + button->Width(), 371 - 8) << name;
            EXPECT_EQ(button->Top(), top) << name;
            top += 33;
        }
        EXPECT_FALSE(Button("Other2Button")->Visible());
        auto* check = Part<TCheckBox>("TipDialog", "SetupCheckbox");
        EXPECT_EQ(check->Caption(), "Show Tips At Startup");
        EXPECT_TRUE(check->Checked());
        Click("TipDialog", "OkButton");
    }});
    EXPECT_TRUE(tips->Execute());
    EXPECT_EQ(win32::testing::Beeps(), (std::vector<win32::UINT>{0x40}));
}

TEST_F(TipsTest, ButtonsCallTheirEventsWithTheFormAndOkCloses) {
    for (const char* tip : {"one", "two", "three"})
        tips->Tips()->Add(tip);
    std::vector<std::string> events;
    auto record = [&](const char* name) {
        return [&events, name](TObject* sender) {
            events.push_back(sender == Dialog("TipDialog") ? name : "wrong sender");
        };
    };
    tips->OnNext = record("next");
    tips->OnCustom1 = record("custom1");
    tips->OnCustom2 = record("custom2");
    tips->OnOk = record("ok");
    tips->Custom2BitBtn()->SetCaption("More");
    std::vector<std::string> shown;
    Answer({[&] {
        shown.push_back(Tip());
        for (int i = 0; i < 4; ++i) {
            Click("TipDialog", "NextTipButton");
            PumpUntilIdle();
            shown.push_back(Tip());
        }
        Click("TipDialog", "Other1Button");
        Click("TipDialog", "Other2Button");
        PumpUntilIdle();
        EXPECT_NE(Dialog("TipDialog"), nullptr) << "the custom buttons leave the window open";
        Click("TipDialog", "OkButton");
    }});
    tips->Execute();
    EXPECT_EQ(events, (std::vector<std::string>{"next", "next", "next", "next", "custom1", "custom2", "ok"}));
    for (const std::string& tip : shown)
        EXPECT_TRUE(tip == "one" || tip == "two" || tip == "three") << tip;
}

TEST_F(TipsTest, TheCheckBoxStateOutlivesTheWindowAndNoTipsSaySo) {
    tips->NextTipBitBtn()->SetVisible(false);
    std::vector<bool> clicks;
    tips->OnCheckClick = [&](TObject*) { clicks.push_back(tips->SetupCheckbox()->Checked()); };
    std::string first, afterNext;
    bool startsChecked = true;
    Answer({[&] {
                first = Tip();
                EXPECT_FALSE(Button("NextTipButton")->Visible());
                Button("NextTipButton")->Click();
                afterNext = Tip();
                Click("TipDialog", "SetupCheckbox");
            },
            [&] { Click("TipDialog", "OkButton"); },
            [&] {
                startsChecked = Part<TCheckBox>("TipDialog", "SetupCheckbox")->Checked();
                Click("TipDialog", "OkButton");
            }});
    tips->Execute();
    EXPECT_FALSE(tips->SetupCheckbox()->Checked());
    tips->Execute();
    EXPECT_EQ(first, "No more Tips found");
    EXPECT_EQ(afterNext, "No more Tips found");
    EXPECT_EQ(clicks, (std::vector<bool>{false})) << "setting the box from the settings is no click";
    EXPECT_FALSE(startsChecked);
}

}  // namespace tips_tests
