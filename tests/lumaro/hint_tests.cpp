// Speech-bubble hints: the direction that fits around the pointer, the bubble's pixels in each
// direction, the timing under injected mouse moves, the one-instance rule, the fallback to the
// framework's hint window and the hint text editor.
#include <memory>
#include <string>
#include <vector>

#include "lumaro/zylbuttons.h"
#include "lumaro/zyleditors.h"
#include "lumaro/zylhints.h"
#include "support/ui_fixture.h"
#include "vcl/designhost.h"
#include "vcl/extctrls.h"
#include "vcl/stdctrls.h"
#include "vcl/streaming.h"
#include "win32/gdi.h"
#include "win32/input.h"

namespace hint_tests {

using namespace vcl;
using namespace lumaro;

// The screen under the bubbles: a flat colour nothing else draws.
constexpr TColor kScreen = clTeal;
constexpr TColor kFace = clYellow;
constexpr TColor kShadow = clMaroon;

class HintTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        form = Application->CreateForm<TForm>();
        form->SetBorderStyle(bsNone);
        form->SetBounds(0, 0, 1024, 768);
        form->SetColor(kScreen);
        left = Area("Left side", 0, 0, 512, 768);
        right = Area("Right side", 512, 0, 512, 768);
        form->Show();
        PumpUntilIdle();
    }

    TPanel* Area(const std::string& hint, int x, int y, int width, int height) {
        auto* panel = new TPanel(form);
        panel->SetParent(form);
        panel->SetBounds(x, y, width, height);
        panel->SetBevelOuter(bvNone);
        panel->SetColor(kScreen);
        panel->SetHint(hint);
        panel->SetShowHint(true);
        return panel;
    }

    // Points at a screen point from scratch and waits out the hint pause.
    static TZylNewHint* HoverAt(int x, int y) {
        Application->CancelHint();
        win32::input::MoveMouse(x, y);
        PumpUntilIdle();
        Advance(static_cast<win32::DWORD>(Application->HintPause()) + 1);
        return dynamic_cast<TZylNewHint*>(Application->HintWindow());
    }

    // What the screen shows over a window.
    static std::unique_ptr<TBitmap> Shot(TControl* window) {
        auto bitmap = std::make_unique<TBitmap>();
        bitmap->SetPixelFormat(pf32bit);
        bitmap->SetSize(window->Width(), window->Height());
        const win32::HDC screen = win32::GetDC(nullptr);
        win32::BitBlt(bitmap->Canvas()->Handle(), 0, 0, window->Width(), window->Height(), screen,
                      window->Left(), window->Top(), win32::SRCCOPY);
        win32::ReleaseDC(nullptr, screen);
        return bitmap;
    }

    static win32::COLORREF At(TBitmap* bitmap, int x, int y) {
        return ColorToRGB(bitmap->Canvas()->Pixels(x, y));
    }

    TForm* form = nullptr;
    TPanel* left = nullptr;
    TPanel* right = nullptr;
};

TEST_F(HintTest, TheBubbleOpensWhereItFitsAndStaysOnTheScreenWhenItFitsNowhere) {
    TComponentPtr<TZylHint> hint(new TZylHint(form));
    struct Case {
        TZylDirectionB preferred;
        int x, y;
        TZylDirectionB opened;
    };
    const Case cases[] = {
        {dUpRight, 300, 400, dUpRight},   {dUpRight, 1010, 400, dUpLeft},  {dUpRight, 300, 10, dDownRight},
        {dUpRight, 1010, 10, dDownLeft},  {dUpLeft, 5, 400, dUpRight},     {dDownLeft, 5, 400, dDownRight},
        {dDownRight, 300, 760, dUpRight}, {dDownLeft, 1010, 760, dUpLeft},
    };
    for (const Case& c : cases) {
        hint->SetHintDirection(c.preferred);
        TZylNewHint* bubble = HoverAt(c.x, c.y);
        const std::string name =
            std::string(EnumName(c.preferred)) + " at " + std::to_string(c.x) + "," + std::to_string(c.y);
        ASSERT_NE(bubble, nullptr) << name;
        EXPECT_EQ(bubble->Direction(), c.opened) << name;
        const bool down = c.opened == dDownRight || c.opened == dDownLeft;
        const bool toTheRight = c.opened == dUpRight || c.opened == dDownRight;
        EXPECT_EQ(bubble->Left(), toTheRight ? c.x : c.x - bubble->Width() + 6) << name;
        EXPECT_EQ(bubble->Top(), down ? c.y + 15 : c.y - 5 - bubble->Height()) << name;
        EXPECT_EQ(hint->HintDirection(), c.preferred);
    }

    // Wider than a small screen: every direction is tried once, then the bubble is pushed onto it.
    win32::testing::SetScreenSize(160, 120);
    left->SetHint("A hint far wider than this small screen can show");
    TZylNewHint* bubble = HoverAt(80, 60);
    ASSERT_NE(bubble, nullptr);
    EXPECT_GT(bubble->Width(), 160);
    EXPECT_EQ(bubble->Left(), 0);
    EXPECT_GE(bubble->Top(), 0);
    EXPECT_LE(bubble->Top() + bubble->Height(), 120);
    // Higher than the screen: it starts at the top.
    left->SetHint("One\ntwo\nthree\nfour\nfive\nsix\nseven\neight");
    bubble = HoverAt(81, 61);
    ASSERT_NE(bubble, nullptr);
    EXPECT_GT(bubble->Height(), 120);
    EXPECT_EQ(bubble->Top(), 0);
    EXPECT_GE(bubble->Left(), 0);
}

TEST_F(HintTest, TheSelectionHandlerChoosesTheDirectionOfOneControlOnly) {
    TComponentPtr<TZylHint> hint(new TZylHint(form));
    std::vector<TControl*> asked;
    hint->OnSelectHintDirection = [&](TControl* control, TZylDirectionB& direction) {
        asked.push_back(control);
        if (control == right) direction = dDownLeft;
    };
    EXPECT_EQ(HoverAt(300, 400)->Direction(), dUpRight);
    EXPECT_EQ(HoverAt(700, 400)->Direction(), dDownLeft);
    EXPECT_EQ(HoverAt(300, 400)->Direction(), dUpRight);
    EXPECT_EQ(asked, (std::vector<TControl*>{left, right, left}));
    EXPECT_EQ(hint->HintDirection(), dUpRight);
}

TEST_F(HintTest, BubblePixelsInEachDirection) {
    TComponentPtr<TZylHint> hint(new TZylHint(form));
    auto* face = new TZylBackground(form);
    face->SetBackgroundStyle(bSolidcolor);
    face->SetSolidColor(kFace);
    hint->SetBackground(face);
    hint->SetHintShadowColor(kShadow);
    hint->SetSpeechbubble(true);
    left->SetHint("Bubble hint text");
    struct Case {
        int x, y;
        TZylDirectionB direction;
        bool speechbubble;
    };
    const Case cases[] = {{300, 400, dUpRight, true},  {510, 400, dUpLeft, true},
                          {300, 10, dDownRight, true}, {510, 10, dDownLeft, true},
                          {300, 400, dUpRight, false}, {300, 10, dDownRight, false}};
    const auto screen = ColorToRGB(kScreen), white = ColorToRGB(clWhite), black = ColorToRGB(clBlack);
    const auto inside = ColorToRGB(kFace), dot = ColorToRGB(kShadow);
    for (const Case& c : cases) {
        hint->SetSpeechbubble(c.speechbubble);
        hint->SetHintDirection(c.direction);
        TZylNewHint* bubble = HoverAt(c.x, c.y);
        ASSERT_NE(bubble, nullptr);
        ASSERT_EQ(bubble->Direction(), c.direction);
        auto shot = Shot(bubble);
        const int w = bubble->Width(), h = bubble->Height();
        const bool down = c.direction == dDownRight || c.direction == dDownLeft;
        const std::string name = std::string(EnumName(c.direction)) + (c.speechbubble ? " bubble" : " box");
        // The box: white top and left edges, black right and bottom edges, the face inside.
        const int top = down ? 15 : 0, bottom = down ? h - 9 : h - 15, middle = (top + bottom) / 2;
        EXPECT_EQ(At(shot.get(), 0, middle), white) << name;
        EXPECT_EQ(At(shot.get(), w / 2, top), white) << name;
        EXPECT_EQ(At(shot.get(), w - 7, middle), black) << name;
        EXPECT_EQ(At(shot.get(), w / 2, bottom), black) << name;
        EXPECT_EQ(At(shot.get(), w - 10, top + 2), inside) << name;
        EXPECT_EQ(At(shot.get(), 0, top), c.speechbubble ? screen : white) << name << ": corner";
        // The shadow: dots on every other pixel beside and below the box, none above the body's top.
        const int shadowRow = down ? 27 : 12, belowRow = down ? h - 6 : h - 12;
        EXPECT_EQ(At(shot.get(), w - 4, shadowRow), (w - 4 + shadowRow) % 2 == 0 ? dot : screen) << name;
        EXPECT_EQ(At(shot.get(), w - 3, shadowRow), (w - 3 + shadowRow) % 2 == 0 ? dot : screen) << name;
        const int x = w / 2 + ((w / 2 + belowRow) % 2);
        EXPECT_EQ(At(shot.get(), x, belowRow), dot) << name;
        EXPECT_EQ(At(shot.get(), x + 1, belowRow), screen) << name;
        EXPECT_EQ(At(shot.get(), w - 2, down ? 17 : 2), screen) << name;
        // The tail: its inside near the tip shows the face; a square box has none.
        const bool tailRight = c.direction == dUpRight || c.direction == dDownRight;
        const int tipX = tailRight ? 3 : w - 9, tipY = down ? 3 : h - 3;
        EXPECT_EQ(At(shot.get(), tipX, tipY), c.speechbubble ? inside : screen) << name << ": tail";
        // The text in relief: black letters with their white highlight, inside the box.
        int ink = 0, light = 0;
        for (int y = top + 1; y < bottom; ++y)
            for (int px = 1; px < w - 7; ++px) {
                ink += At(shot.get(), px, y) == black;
                light += At(shot.get(), px, y) == white;
            }
        EXPECT_GT(ink, 20) << name;
        EXPECT_GT(light, 20) << name;
    }
}

TEST_F(HintTest, BubblesFollowThePointerAndHideOnLeaveClickAndHidePause) {
    TComponentPtr<TZylHint> hint(new TZylHint(form));
    hint->SetHintPauseTime(300);
    EXPECT_EQ(Application->HintPause(), 300);
    auto* plain = new TPanel(form);
    plain->SetParent(form);
    plain->SetBounds(400, 300, 100, 100);
    plain->SetBevelOuter(bvNone);
    plain->BringToFront();
    const auto shown = [] { return dynamic_cast<TZylNewHint*>(Application->HintWindow()); };

    win32::input::MoveMouse(200, 400);
    PumpUntilIdle();
    Advance(290);
    EXPECT_EQ(shown(), nullptr);
    Advance(20);
    ASSERT_NE(shown(), nullptr);
    EXPECT_EQ(shown()->Caption(), "Left side");
    EXPECT_EQ(shown()->Left(), 200);
    EXPECT_TRUE(win32::IsWindowVisible(shown()->Handle()));
    // Within the same control the bubble stays where it opened.
    win32::input::MoveMouse(220, 410);
    PumpUntilIdle();
    ASSERT_NE(shown(), nullptr);
    EXPECT_EQ(shown()->Left(), 200);
    // Over the next control it opens again at the pointer after the short pause.
    win32::input::MoveMouse(700, 420);
    PumpUntilIdle();
    EXPECT_EQ(shown(), nullptr);
    Advance(static_cast<win32::DWORD>(Application->HintShortPause()) + 1);
    ASSERT_NE(shown(), nullptr);
    EXPECT_EQ(shown()->Caption(), "Right side");
    EXPECT_EQ(shown()->Left(), 700);
    EXPECT_EQ(shown()->Top(), 420 - 5 - shown()->Height());
    // The hide pause ends it.
    Advance(static_cast<win32::DWORD>(Application->HintHidePause()) + 1);
    EXPECT_EQ(shown(), nullptr);

    // A click ends it.
    ASSERT_NE(HoverAt(200, 400), nullptr);
    win32::input::Click(200, 400);
    PumpUntilIdle();
    EXPECT_EQ(shown(), nullptr);
    // Leaving for a control without a hint ends it.
    ASSERT_NE(HoverAt(200, 400), nullptr);
    win32::input::MoveMouse(450, 350);
    PumpUntilIdle();
    EXPECT_EQ(shown(), nullptr);
    // So does leaving the application's windows.
    ASSERT_NE(HoverAt(200, 400), nullptr);
    form->SetBounds(0, 0, 600, 500);
    win32::input::MoveMouse(900, 700);
    PumpUntilIdle();
    Application->HandleMessage();
    EXPECT_EQ(Application->HintWindow(), nullptr);
}

TEST_F(HintTest, OneInstanceAtATimeAndTheApplicationGetsItsOwnHintWindowBack) {
    EXPECT_EQ(Application->HintWindowClass(), THintWindow::StaticClass());
    auto* first = new TZylHint(nullptr);
    EXPECT_EQ(first->Owner(), form) << "at run time it belongs to the main form";
    EXPECT_EQ(Application->HintWindowClass(), TZylNewHint::StaticClass());
    try {
        new TZylHint(form);
        ADD_FAILURE() << "a second instance was made";
    } catch (const TZylDuplicateError& error) {
        EXPECT_EQ(error.Message(),
                  "You can have one and ONLY ONE\r\nTZylHint Component\r\n, in a project and it must be on "
                  "the Mainform");
    }
    EXPECT_EQ(form->ComponentCount(), 3) << "the failed instance left nothing behind";
    ASSERT_NE(HoverAt(300, 400), nullptr);
    EXPECT_EQ(Application->HintColor(), clBackground);
    first->Free();
    EXPECT_EQ(Application->HintWindowClass(), THintWindow::StaticClass());
    EXPECT_EQ(Application->HintColor(), clInfoBk);
    // The failed constructor gave its count back: a new one can be made.
    TComponentPtr<TZylHint> again(new TZylHint(form));
    EXPECT_EQ(Application->HintWindowClass(), TZylNewHint::StaticClass());
}

TEST_F(HintTest, WithoutTheComponentTheBubbleWindowIsThePlainHintWindow) {
    Application->SetHintWindowClass(TZylNewHint::StaticClass());
    THintWindow* window = HoverAt(300, 400);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Left(), 300);
    EXPECT_EQ(window->Top(), 420);
    EXPECT_EQ(At(Shot(window).get(), 2, window->Height() - 1), ColorToRGB(clInfoBk));
}

TEST_F(HintTest, SettingsSurviveTheFormIncludingTheDesignedPause) {
    auto* designed = new TForm(nullptr, 0);
    designed->SetName("Designed");
    designed->SetDesigning(true);
    auto* hint = new TZylHint(designed);
    hint->SetName("Hint1");
    hint->SetHintPauseTime(900);
    hint->SetUnUsedHintColor(0x00FFFF);
    hint->SetHintShadowColor(0x800080);
    hint->SetSpeechbubble(true);
    EXPECT_EQ(Application->HintPause(), 500) << "designing leaves the application alone";
    EXPECT_EQ(Application->HintWindowClass(), THintWindow::StaticClass());
    const std::string text = ComponentToText(designed);
    designed->Free();

    TComponentPtr<TForm> loaded(new TForm(nullptr, 0));
    ReadComponentText(text, loaded.get());
    // At run time the component moves to the main form.
    auto* read = dynamic_cast<TZylHint*>(form->FindComponent("Hint1"));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->HintPauseTime(), 900);
    EXPECT_EQ(read->UnUsedHintColor(), 0x00FFFF);
    EXPECT_EQ(read->HintShadowColor(), 0x800080);
    EXPECT_TRUE(read->Speechbubble());
    EXPECT_EQ(Application->HintPause(), 900);
    EXPECT_EQ(Application->HintWindowClass(), TZylNewHint::StaticClass());
}

TEST_F(HintTest, TheHintEditorSplitsAndJoinsShortAndLongHints) {
    TDesignerHost host;
    host.LoadPackage("lumaro");
    host.NewForm(TForm::StaticClass(), "Designed");
    auto* button = static_cast<TZylButton*>(host.DropComponent("TZylButton"));
    EXPECT_EQ(GetEditorClass(*TZylButton::StaticClass()->FindProperty("Hint"), TZylButton::StaticClass()),
              TZylHintProperty::StaticClass());
    struct Case {
        std::string before, memo, statusbar;
        TModalResult answer;
        std::string after;
    };
    const Case cases[] = {
        {"Open|Opens a file", "Save", "Saves the file", mrOk, "Save|Saves the file"},
        {"Save|Saves the file", "Short only", "", mrOk, "Short only"},
        {"Keep|this", "Changed", "Changed too", mrCancel, "Keep|this"},
    };
    for (const Case& c : cases) {
        button->SetHint(c.before);
        std::string shownShort, shownLong;
        host.AnswerModal("HintEditor", [&](TCustomForm& dialog) {
            auto* memo = dynamic_cast<TMemo*>(dialog.FindComponent("Memo"));
            auto* statusbar = dynamic_cast<TEdit*>(dialog.FindComponent("Statusbar"));
            shownShort = memo->Text();
            shownLong = statusbar->Text();
            memo->SetText(c.memo);
            statusbar->SetText(c.statusbar);
            dialog.SetModalResult(c.answer);
        });
        host.EditProperty(button, "Hint");
        EXPECT_EQ(shownShort + "|" + shownLong, c.before);
        EXPECT_EQ(button->Hint(), c.after);
    }
}

}  // namespace hint_tests
