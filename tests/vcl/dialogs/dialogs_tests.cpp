#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "support/ui_fixture.h"
#include "vcl/dialogs.h"
#include "vcl/extctrls.h"
#include "vcl/stdctrls.h"
#include "win32/virtualkeys.h"

namespace {

using namespace vcl;
using namespace win32;

class DialogsTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        win32::testing::SetModalScript([this](std::string_view loopName) {
            loops_.emplace_back(loopName);
            if (steps_.empty()) return;
            auto step = std::move(steps_.front());
            steps_.pop_front();
            step();
        });
    }

    // The dialog that is running its modal loop.
    static TCustomForm* Dialog(std::string_view name) {
        for (Integer i = 0; i < Screen->FormCount(); ++i)
            if (Screen->Forms(i)->Name() == name) return Screen->Forms(i);
        return nullptr;
    }

    template <typename T>
    static T* Part(std::string_view dialog, std::string_view name) {
        TCustomForm* form = Dialog(dialog);
        return form ? dynamic_cast<T*>(form->FindComponent(name)) : nullptr;
    }

    // Clicks a button of the running dialog (the click is processed by its modal loop).
    void ClickButton(std::string dialog, std::string name) {
        steps_.push_back([dialog, name] {
            auto* button = Part<TButton>(dialog, name);
            ASSERT_NE(button, nullptr) << name;
            const TPoint p = button->ClientToScreen(Point(button->Width() / 2, button->Height() / 2));
            win32::input::Click(p.x, p.y);
        });
    }

    void Press(int key) {
        steps_.push_back([key] { win32::input::PressKey(key); });
    }

    std::deque<std::function<void()>> steps_;
    std::vector<std::string> loops_;
};

TEST_F(DialogsTest, EachButtonAnswersWithItsModalResult) {
    const std::pair<TMsgDlgBtn, Integer> cases[] = {
        {mbYes, mrYes},           {mbNo, mrNo},       {mbOK, mrOk},
        {mbCancel, mrCancel},     {mbAbort, mrAbort}, {mbRetry, mrRetry},
        {mbIgnore, mrIgnore},     {mbAll, mrAll},     {mbNoToAll, mrNoToAll},
        {mbYesToAll, mrYesToAll},
    };
    const char* names[] = {"Yes",   "No",     "OK",  "Cancel",  "Abort",
                           "Retry", "Ignore", "All", "NoToAll", "YesToAll"};
    TMsgDlgButtons all;
    for (auto [button, result] : cases)
        all.Include(button);
    for (size_t i = 0; i < std::size(cases); ++i) {
        ClickButton("MessageDlg", names[i]);
        EXPECT_EQ(MessageDlg("Which one?", mtConfirmation, all, 0), cases[i].second) << names[i];
        EXPECT_TRUE(steps_.empty());
    }
    EXPECT_EQ(loops_.front(), "MessageDlg");
    EXPECT_EQ(Dialog("MessageDlg"), nullptr);  // freed after answering
}

TEST_F(DialogsTest, EnterChoosesTheFirstButtonAndEscapeCancels) {
    Press(VK_RETURN);
    EXPECT_EQ(MessageDlg("Save changes?", mtConfirmation, mbYesNoCancel, 0), mrYes);
    Press(VK_ESCAPE);
    EXPECT_EQ(MessageDlg("Save changes?", mtConfirmation, mbYesNoCancel, 0), mrCancel);
    Press(VK_ESCAPE);
    EXPECT_EQ(MessageDlg("Go on?", mtConfirmation, TMsgDlgButtons{mbYes, mbNo}, 0), mrNo);
    Press(VK_RETURN);
    EXPECT_EQ(MessageDlg("Stop", mtError, mbAbortRetryIgnore, 0), mrAbort);
}

TEST_F(DialogsTest, CaptionsButtonsAndLayoutFollowTypeAndText) {
    struct Case {
        TMsgDlgType type;
        const char* caption;
        bool icon;
    };
    Application->SetTitle("Zyl test");
    const Case cases[] = {{mtWarning, "Warning", true},
                          {mtError, "Error", true},
                          {mtInformation, "Information", true},
                          {mtConfirmation, "Confirm", true},
                          {mtCustom, "Zyl test", false}};
    for (const Case& c : cases) {
        TComponentPtr<TForm> form(CreateMessageDialog("Disk full", c.type, mbOKCancel));
        EXPECT_EQ(form->Caption(), c.caption);
        auto* image = dynamic_cast<TImage*>(form->FindComponent("Image"));
        EXPECT_EQ(image != nullptr, c.icon) << c.caption;
        if (image) {
            EXPECT_FALSE(image->Picture()->Icon()->Empty());
        }
        auto* ok = dynamic_cast<TButton*>(form->FindComponent("OK"));
        auto* cancel = dynamic_cast<TButton*>(form->FindComponent("Cancel"));
        ASSERT_TRUE(ok && cancel);
        EXPECT_TRUE(ok->Default());
        EXPECT_FALSE(cancel->Default());
        EXPECT_TRUE(cancel->Cancel());
        EXPECT_LT(ok->Left() + ok->Width(), cancel->Left());
        EXPECT_EQ(cancel->Caption(), "Cancel");
    }
    TComponentPtr<TForm> small(CreateMessageDialog("Hi", mtInformation, TMsgDlgButtons{mbYes, mbNo, mbHelp}));
    TComponentPtr<TForm> wide(
        CreateMessageDialog(std::string(120, 'W'), mtInformation, TMsgDlgButtons{mbOK}));
    std::string words;
    for (int i = 0; i < 300; ++i)
        words += "word ";
    TComponentPtr<TForm> tall(CreateMessageDialog(words, mtInformation, TMsgDlgButtons{mbOK}));
    TComponentPtr<TForm> unbreakable(
        CreateMessageDialog(std::string(2000, 'w'), mtInformation, TMsgDlgButtons{mbOK}));
    EXPECT_EQ(dynamic_cast<TButton*>(small->FindComponent("Yes"))->Caption(), "&Yes");
    EXPECT_EQ(dynamic_cast<TButton*>(small->FindComponent("Help"))->Caption(), "&Help");
    EXPECT_GT(wide->ClientWidth(), small->ClientWidth());
    EXPECT_GT(tall->ClientHeight(), wide->ClientHeight());
    EXPECT_LE(tall->Width(), Screen->Width());
    EXPECT_LE(unbreakable->Width(), Screen->Width());
    auto* label = dynamic_cast<TLabel*>(tall->FindComponent("Message"));
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(label->WordWrap());
    // No buttons still gives a way out.
    TComponentPtr<TForm> none(CreateMessageDialog("x", mtWarning, TMsgDlgButtons{}));
    EXPECT_NE(none->FindComponent("OK"), nullptr);
}

TEST_F(DialogsTest, ShowMessageUsesTheTitleAndPositionIsKept) {
    Application->SetTitle("My app");
    std::string caption;
    TPoint where{};
    steps_.push_back([&] {
        TCustomForm* dialog = Dialog("MessageDlg");
        ASSERT_NE(dialog, nullptr);
        caption = dialog->Caption();
        where = Point(dialog->Left(), dialog->Top());
        dialog->SetModalResult(mrOk);
    });
    ShowMessagePos("Done", 40, 50);
    EXPECT_EQ(caption, "My app");
    EXPECT_EQ(where.x, 40);
    EXPECT_EQ(where.y, 50);

    std::string text;
    steps_.push_back([&] {
        text = Part<TLabel>("MessageDlg", "Message")->Caption();
        win32::input::PressKey(VK_RETURN);
    });
    ShowMessageFmt("%d files & %s", {3, std::string("folders")});
    EXPECT_EQ(text, "3 files & folders");
}

TEST_F(DialogsTest, InputQueryReturnsTypedTextOrFalseOnCancel) {
    std::string value = "old";
    steps_.push_back([] { win32::input::TypeText("new name"); });
    Press(VK_RETURN);
    EXPECT_TRUE(InputQuery("Rename", "New name:", value));
    EXPECT_EQ(value, "new name");  // the default was selected, so typing replaced it

    steps_.push_back([] { win32::input::TypeText("discarded"); });
    ClickButton("InputQuery", "Cancel");
    EXPECT_FALSE(InputQuery("Rename", "New name:", value));
    EXPECT_EQ(value, "new name");

    std::string prompt, caption;
    steps_.push_back([&] {
        prompt = Part<TLabel>("InputQuery", "Prompt")->Caption();
        caption = Dialog("InputQuery")->Caption();
        win32::input::PressKey(VK_END);
        win32::input::TypeText("!");
    });
    ClickButton("InputQuery", "OK");
    EXPECT_EQ(InputBox("Greeting", "Say:", "hello"), "hello!");
    EXPECT_EQ(prompt, "Say:");
    EXPECT_EQ(caption, "Greeting");

    Press(VK_ESCAPE);
    EXPECT_EQ(InputBox("Greeting", "Say:", "kept"), "kept");
}

TEST_F(DialogsTest, UnansweredDialogRaisesAndLeavesNoForm) {
    win32::testing::SetModalScript(nullptr);
    EXPECT_THROW(MessageDlg("Nobody answers", mtWarning, TMsgDlgButtons{mbOK}, 0), ModalLoopStuck);
    EXPECT_EQ(Dialog("MessageDlg"), nullptr);
    std::string value = "v";
    EXPECT_THROW(InputQuery("c", "p", value), ModalLoopStuck);
    EXPECT_EQ(value, "v");
    EXPECT_EQ(Dialog("InputQuery"), nullptr);
}

}  // namespace
