// The data set navigator: driving an SQLite table through every button, the buttons' enabled
// states, the delete question answered by script, auto-repeat on the manual clock, the keyboard,
// hints, the button layout and its pixels in both directions.
#include <deque>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "lumaro/zylnavigator.h"
#include "support/tempdir.h"
#include "support/ui_fixture.h"
#include "vcl/dbtables.h"
#include "vcl/stdctrls.h"
#include "vcl/streaming.h"
#include "win32/resources.h"
#include "win32/virtualkeys.h"

namespace {

using namespace vcl;
using namespace lumaro;

std::string NavigatorText(const TRect& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

std::string NavigatorText(const TPoint& p) {
    return std::to_string(p.x) + "," + std::to_string(p.y);
}

class NavigatorTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        form = ShowForm(100, 100, 320, 300);
        navigator = new TZylDBNavigator(form);
        navigator->SetParent(form);
        navigator->SetLeft(10);
        navigator->SetTop(10);
        win32::testing::SetModalScript([this](std::string_view loop) {
            loops.emplace_back(loop);
            if (answers.empty()) return;
            const std::string answer = answers.front();
            answers.pop_front();
            TCustomForm* dialog = nullptr;
            for (Integer i = 0; i < Screen->FormCount(); ++i)
                if (Screen->Forms(i)->Name() == loop) dialog = Screen->Forms(i);
            ASSERT_NE(dialog, nullptr);
            if (auto* text = dynamic_cast<TLabel*>(dialog->FindComponent("Message")))
                asked.push_back(text->Caption());
            auto* button = dynamic_cast<TButton*>(dialog->FindComponent(answer));
            ASSERT_NE(button, nullptr) << answer;
            const TPoint p = button->ClientToScreen(Point(button->Width() / 2, button->Height() / 2));
            win32::input::Click(p.x, p.y);
        });
    }

    // cities(ID, CITY) in an SQLite file with `rows` rows: 1 "City1", 2 "City2", ...
    TTable* Cities(int rows, bool readOnly = false) {
        const std::string path = dir.File("cities" + std::to_string(++tables) + ".db");
        std::ofstream(path, std::ios::binary | std::ios::trunc).flush();
        {
            TComponentPtr<TDatabase> database(new TDatabase(nullptr));
            database->SetDatabaseName(path);
            std::string sql = "CREATE TABLE cities (ID INTEGER PRIMARY KEY, CITY VARCHAR(30));";
            for (int i = 1; i <= rows; ++i)
                sql +=
                    "INSERT INTO cities VALUES (" + std::to_string(i) + ", 'City" + std::to_string(i) + "');";
            database->Execute(sql);
        }
        auto* table = new TTable(form);
        table->SetDatabaseName(path);
        table->SetTableName("cities");
        table->SetReadOnly(readOnly);
        table->Open();
        // Each table gets a source of its own, as a form would have.
        source = new TDataSource(form);
        source->SetDataSet(table);
        navigator->SetDataSource(source);
        return table;
    }

    void Press(TZylNavigateBtn button) {
        TZylNavButton* b = navigator->Buttons(button);
        ClickAt(b, b->Width() / 2, b->Height() / 2);
    }

    // The buttons enabled now, as a set.
    TZylButtonSet Enabled() const {
        TZylButtonSet set;
        for (int i = 0; i < kNavigateButtonCount; ++i)
            if (navigator->Buttons(static_cast<TZylNavigateBtn>(i))->Enabled())
                set.Include(static_cast<TZylNavigateBtn>(i));
        return set;
    }

    static Integer Id(TTable* table) { return table->FieldByName("ID")->AsInteger(); }

    zyltest::TempDir dir;
    TForm* form = nullptr;
    TDataSource* source = nullptr;
    TZylDBNavigator* navigator = nullptr;
    std::deque<std::string> answers;
    std::vector<std::string> loops;
    std::vector<std::string> asked;
    int tables = 0;
};

TEST_F(NavigatorTest, DrivesAnSqliteTableThroughEveryButton) {
    TTable* table = Cities(4);
    std::vector<std::string> events;
    navigator->BeforeAction = [&](TObject* sender, TZylNavigateBtn button) {
        EXPECT_EQ(sender, navigator);
        events.push_back("before " + std::string(EnumName(button)));
    };
    navigator->OnClick = [&](TObject*, TZylNavigateBtn button) {
        events.push_back("click " + std::string(EnumName(button)));
    };

    Press(nbNext);
    EXPECT_EQ(Id(table), 2);
    Press(nbLast);
    EXPECT_EQ(Id(table), 4);
    Press(nbPrior);
    EXPECT_EQ(Id(table), 3);
    Press(nbFirst);
    EXPECT_EQ(Id(table), 1);
    EXPECT_EQ(events, (std::vector<std::string>{"before nbNext", "click nbNext", "before nbLast",
                                                "click nbLast", "before nbPrior", "click nbPrior",
                                                "before nbFirst", "click nbFirst"}));

    Press(nbEdit);
    EXPECT_EQ(table->State(), dsEdit);
    table->FieldByName("CITY")->SetAsString("Lyon");
    Press(nbPost);
    EXPECT_EQ(table->State(), dsBrowse);
    Press(nbEdit);
    table->FieldByName("CITY")->SetAsString("Nowhere");
    Press(nbCancel);
    EXPECT_EQ(table->FieldByName("CITY")->AsString(), "Lyon");

    Press(nbInsert);
    EXPECT_EQ(table->State(), dsInsert);
    table->FieldByName("ID")->SetAsInteger(9);
    table->FieldByName("CITY")->SetAsString("Graz");
    Press(nbPost);
    EXPECT_EQ(table->RecordCount(), 5);

    // The question is answered by script: Cancel keeps the record, OK deletes it.
    table->First();
    answers = {"Cancel"};
    Press(nbDelete);
    EXPECT_EQ(table->RecordCount(), 5);
    EXPECT_EQ(asked, (std::vector<std::string>{"Delete record?"}));
    answers = {"OK"};
    Press(nbDelete);
    EXPECT_EQ(table->RecordCount(), 4);
    EXPECT_EQ(Id(table), 2);
    navigator->SetConfirmDelete(false);
    loops.clear();
    Press(nbDelete);
    EXPECT_EQ(table->RecordCount(), 3);
    EXPECT_TRUE(loops.empty());

    // Refresh reads what another connection wrote meanwhile.
    {
        TComponentPtr<TDatabase> other(new TDatabase(nullptr));
        other->SetDatabaseName(table->DatabaseName());
        other->Execute("UPDATE cities SET CITY = 'Bern' WHERE ID = " + std::to_string(Id(table)) + ";");
    }
    events.clear();
    Press(nbRefresh);
    EXPECT_EQ(table->FieldByName("CITY")->AsString(), "Bern");
    EXPECT_EQ(events, (std::vector<std::string>{"before nbRefresh", "click nbRefresh"}));
}

TEST_F(NavigatorTest, ClickWithoutAnActiveSourceOnlyReportsTheButton) {
    std::vector<TZylNavigateBtn> clicked;
    bool before = false;
    navigator->BeforeAction = [&](TObject*, TZylNavigateBtn) { before = true; };
    navigator->OnClick = [&](TObject*, TZylNavigateBtn button) { clicked.push_back(button); };
    navigator->BtnClick(nbNext);
    TTable* table = Cities(2);
    table->Close();
    navigator->BtnClick(nbLast);
    EXPECT_FALSE(before);
    EXPECT_EQ(clicked, (std::vector<TZylNavigateBtn>{nbNext, nbLast}));
}

TEST_F(NavigatorTest, EnabledButtonsFollowTheDataSet) {
    EXPECT_TRUE(Enabled().Empty());  // no source
    TTable* table = Cities(3);
    const TZylButtonSet editing{nbInsert, nbDelete, nbEdit, nbRefresh};
    EXPECT_EQ(Enabled(), (TZylButtonSet{nbNext, nbLast} + editing));
    table->Next();
    EXPECT_EQ(Enabled(), (TZylButtonSet{nbFirst, nbPrior, nbNext, nbLast} + editing));
    table->Last();
    EXPECT_EQ(Enabled(), (TZylButtonSet{nbFirst, nbPrior} + editing));
    table->Edit();
    EXPECT_EQ(Enabled(), (TZylButtonSet{nbFirst, nbPrior, nbInsert, nbDelete, nbPost, nbCancel, nbRefresh}));
    table->Cancel();
    const TZylButtonSet browsing = Enabled();
    EXPECT_EQ(browsing * editing, editing);
    navigator->SetEnabled(false);
    EXPECT_TRUE(Enabled().Empty());
    navigator->SetEnabled(true);
    EXPECT_EQ(Enabled(), browsing);
    table->Close();
    EXPECT_TRUE(Enabled().Empty());
}

TEST_F(NavigatorTest, EmptyAndReadOnlyTablesOfferOnlyWhatTheyCan) {
    Cities(0);
    // Nothing to move to or delete; a record can still be added.
    EXPECT_EQ(Enabled(), (TZylButtonSet{nbInsert, nbEdit, nbRefresh}));
    TTable* readOnly = Cities(3, true);
    EXPECT_EQ(Enabled(), (TZylButtonSet{nbNext, nbLast}));
    Press(nbLast);
    EXPECT_EQ(Id(readOnly), 3);
    EXPECT_EQ(Enabled(), (TZylButtonSet{nbFirst, nbPrior}));
}

TEST_F(NavigatorTest, LosingTheDataSourceDisablesEveryButton) {
    Cities(2);
    delete source;
    EXPECT_EQ(navigator->DataSource(), nullptr);
    EXPECT_TRUE(Enabled().Empty());
}

TEST_F(NavigatorTest, HeldNextRepeatsOnThePlatformClockUntilReleased) {
    TTable* table = Cities(12);
    TZylNavButton* next = navigator->Buttons(nbNext);
    MoveMouseTo(next, next->Width() / 2, next->Height() / 2);
    win32::input::PressButton(win32::input::Button::Left);
    PumpUntilIdle();
    EXPECT_EQ(Id(table), 2);  // at once
    Advance(399);
    EXPECT_EQ(Id(table), 2);
    Advance(1);
    EXPECT_EQ(Id(table), 3);  // after the first delay
    Advance(100);
    EXPECT_EQ(Id(table), 4);
    Advance(100);
    EXPECT_EQ(Id(table), 5);
    win32::input::ReleaseButton(win32::input::Button::Left);
    PumpUntilIdle();
    EXPECT_EQ(Id(table), 5);  // the release adds no step
    Advance(1000);
    EXPECT_EQ(Id(table), 5);

    // Buttons without repeat act once, on release.
    TZylNavButton* last = navigator->Buttons(nbLast);
    table->First();
    MoveMouseTo(last, 5, 5);
    win32::input::PressButton(win32::input::Button::Left);
    PumpUntilIdle();
    Advance(1000);
    EXPECT_EQ(Id(table), 1);
    win32::input::ReleaseButton(win32::input::Button::Left);
    PumpUntilIdle();
    EXPECT_EQ(Id(table), 12);
}

TEST_F(NavigatorTest, RepeatStopsWhenTheMousePointerLeavesOrTheEndIsReached) {
    TTable* table = Cities(3);
    TZylNavButton* next = navigator->Buttons(nbNext);
    MoveMouseTo(next, 5, 5);
    win32::input::PressButton(win32::input::Button::Left);
    PumpUntilIdle();
    Advance(400);
    EXPECT_EQ(Id(table), 3);
    // The step past the last record finds the end: the button turns disabled and the repeat has
    // nothing more to click.
    Advance(100);
    EXPECT_EQ(Id(table), 3);
    EXPECT_FALSE(next->Enabled());
    Advance(500);
    EXPECT_EQ(Id(table), 3);
    win32::input::ReleaseButton(win32::input::Button::Left);
    PumpUntilIdle();

    table->First();
    MoveMouseTo(next, 5, 5);
    win32::input::PressButton(win32::input::Button::Left);
    PumpUntilIdle();
    MoveMouseTo(next, -30, 5);  // dragged off: the button is up again
    Advance(500);
    EXPECT_EQ(Id(table), 2);
    win32::input::ReleaseButton(win32::input::Button::Left);
    PumpUntilIdle();
}

TEST_F(NavigatorTest, KeyboardMovesTheFocusMarkAndSpaceClicks) {
    TTable* table = Cities(5);
    navigator->SetTabStop(true);
    Press(nbNext);
    EXPECT_TRUE(navigator->Focused());
    EXPECT_EQ(navigator->FocusedButton(), nbNext);
    PressKey(win32::VK_SPACE);
    EXPECT_EQ(Id(table), 3);
    PressKey(win32::VK_RIGHT);
    EXPECT_EQ(navigator->FocusedButton(), nbLast);
    PressKey(win32::VK_LEFT);
    PressKey(win32::VK_LEFT);
    EXPECT_EQ(navigator->FocusedButton(), nbPrior);
    PressKey(win32::VK_SPACE);
    EXPECT_EQ(Id(table), 2);

    // Arrows skip hidden buttons; hiding the marked button moves the mark to a visible one, so
    // that Space never clicks a button nobody sees.
    navigator->SetVisibleButtons({nbFirst, nbPrior, nbLast});
    PressKey(win32::VK_RIGHT);
    EXPECT_EQ(navigator->FocusedButton(), nbLast);
    navigator->SetVisibleButtons({nbFirst, nbPrior, nbNext});
    EXPECT_EQ(navigator->FocusedButton(), nbNext);
    navigator->SetVisibleButtons({nbFirst, nbPrior});
    EXPECT_EQ(navigator->FocusedButton(), nbPrior);
    PressKey(win32::VK_SPACE);
    EXPECT_EQ(Id(table), 1);
}

TEST_F(NavigatorTest, HintsReplaceTheDefaultsLineByLine) {
    EXPECT_EQ(navigator->Buttons(nbFirst)->Hint(), "First Record");
    EXPECT_EQ(navigator->Buttons(nbCancel)->Hint(), "Cancel Edit");
    navigator->Hints()->Add("Start");
    navigator->Hints()->Add("");
    navigator->Hints()->Add("Forward");
    EXPECT_EQ(navigator->Buttons(nbFirst)->Hint(), "Start");
    EXPECT_EQ(navigator->Buttons(nbPrior)->Hint(), "Previous Record");
    EXPECT_EQ(navigator->Buttons(nbNext)->Hint(), "Forward");
    // Lines past the tenth have no button: they are ignored.
    for (int i = 3; i < 14; ++i)
        navigator->Hints()->Add("Line " + std::to_string(i));
    EXPECT_EQ(navigator->Buttons(nbRefresh)->Hint(), "Line 9");
    navigator->Hints()->Clear();
    EXPECT_EQ(navigator->Buttons(nbFirst)->Hint(), "First Record");
}

// ---------------------------------------------------------------------------------------------
// Layout

TEST_F(NavigatorTest, TenButtonsShareTheWidthEvenly) {
    // A free navigator keeps no leftover pixel: 241 becomes ten buttons of 24.
    EXPECT_EQ(navigator->Width(), 240);
    EXPECT_EQ(navigator->Height(), 25);
    for (int i = 0; i < kNavigateButtonCount; ++i) {
        const TZylNavButton* button = navigator->Buttons(static_cast<TZylNavigateBtn>(i));
        EXPECT_EQ(NavigatorText(button->BoundsRect()), NavigatorText(Rect(i * 24, 0, i * 24 + 24, 25))) << i;
    }
    // Turned, it stacks them: 25 x 240.
    navigator->SetDirection(kVertical);
    EXPECT_EQ(navigator->Width(), 25);
    EXPECT_EQ(navigator->Height(), 240);
    for (int i = 0; i < kNavigateButtonCount; ++i)
        EXPECT_EQ(NavigatorText(navigator->Buttons(static_cast<TZylNavigateBtn>(i))->BoundsRect()),
                  NavigatorText(Rect(0, i * 24, 25, i * 24 + 24)))
            << i;
}

TEST_F(NavigatorTest, AnAlignedNavigatorSpreadsTheRemainderFromTheMiddle) {
    form->SetClientWidth(245);
    navigator->SetAlign(TAlign::alTop);
    ASSERT_EQ(navigator->Width(), 245);
    const int lefts[] = {0, 24, 49, 73, 98, 122, 147, 171, 196, 220};
    for (int i = 0; i < kNavigateButtonCount; ++i) {
        const TZylNavButton* button = navigator->Buttons(static_cast<TZylNavigateBtn>(i));
        EXPECT_EQ(button->Left(), lefts[i]) << i;
        EXPECT_EQ(button->Width(), i % 2 == 1 ? 25 : 24) << i;
    }
}

TEST_F(NavigatorTest, HiddenButtonsLeaveTheRestToShareAndGrowTheMinimum) {
    navigator->SetVisibleButtons({nbFirst, nbPrior, nbNext, nbLast});
    EXPECT_EQ(navigator->Width(), 240);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(NavigatorText(navigator->Buttons(static_cast<TZylNavigateBtn>(i))->BoundsRect()),
                  NavigatorText(Rect(i * 60, 0, i * 60 + 60, 25)));
    EXPECT_FALSE(navigator->Buttons(nbInsert)->Visible());
    EXPECT_EQ(navigator->Buttons(nbInsert)->Left(), 241);
    // Too small for its buttons, it grows to 20 x 18 each.
    navigator->SetBounds(0, 0, 30, 5);
    EXPECT_EQ(navigator->Width(), 80);
    EXPECT_EQ(navigator->Height(), 18);
    navigator->SetVisibleButtons({});
    EXPECT_EQ(navigator->Width(), 80);  // one slot at least: 80 is 80 x 1
}

// ---------------------------------------------------------------------------------------------
// Pixels

class NavigatorPixelTest : public NavigatorTest {
protected:
    // The enabled or disabled image of a button's glyph from the package's resources.
    static std::unique_ptr<TBitmap> GlyphImage(const char* word, bool enabled) {
        TBitmap strip;
        strip.SetHandle(
            win32::LoadBitmap(win32::GetModuleHandle("lumaro"), (std::string("DBMN_") + word).c_str()));
        auto image = std::make_unique<TBitmap>();
        const int size = strip.Height();
        image->SetSize(size, size);
        image->Canvas()->CopyRect(Rect(0, 0, size, size), strip.Canvas(),
                                  Rect(enabled ? 0 : size, 0, enabled ? size : 2 * size, size));
        return image;
    }

    // Where in `area` of `picture` the glyph stands (the ground shows clBtnFace); (-1, -1) if nowhere.
    static TPoint FindGlyph(TBitmap* picture, const TRect& area, TBitmap* glyph) {
        const auto ground = ColorToRGB(glyph->Canvas()->Pixels(0, glyph->Height() - 1));
        for (int y = area.top; y + glyph->Height() <= area.bottom; ++y)
            for (int x = area.left; x + glyph->Width() <= area.right; ++x) {
                bool match = true;
                for (int gy = 0; match && gy < glyph->Height(); ++gy)
                    for (int gx = 0; match && gx < glyph->Width(); ++gx) {
                        const auto want = ColorToRGB(glyph->Canvas()->Pixels(gx, gy));
                        const auto got = ColorToRGB(picture->Canvas()->Pixels(x + gx, y + gy));
                        match = want == ground ? got == ColorToRGB(clBtnFace) : got == want;
                    }
                if (match) return Point(x, y);
            }
        return Point(-1, -1);
    }

    void ExpectButtonLook(TZylDBNavigator* nav, const char* orientation) {
        Cities(3);
        auto picture = BitmapOf(nav);
        const char* words[] = {"first",  "prior", "next", "last",   "insert",
                               "delete", "edit",  "post", "cancel", "refresh"};
        for (int i = 0; i < kNavigateButtonCount; ++i) {
            const TRect bounds = nav->Buttons(static_cast<TZylNavigateBtn>(i))->BoundsRect();
            const bool enabled = nav->Buttons(static_cast<TZylNavigateBtn>(i))->Enabled();
            auto glyph = GlyphImage(words[i], enabled);
            // Centred in the 20 x 21 inside the two-pixel frame, the odd pixel to the left and top:
            // an 11-pixel glyph in 24 x 25 starts at (7, 7).
            EXPECT_EQ(NavigatorText(FindGlyph(picture.get(), bounds, glyph.get())),
                      NavigatorText(Point(bounds.left + 7, bounds.top + 7)))
                << orientation << " " << words[i];
            EXPECT_EQ(ColorToRGB(picture->Canvas()->Pixels(bounds.left, bounds.top)),
                      ColorToRGB(clBtnHighlight))
                << orientation << " " << words[i];
            EXPECT_EQ(ColorToRGB(picture->Canvas()->Pixels(bounds.right - 1, bounds.bottom - 1)),
                      ColorToRGB(cl3DDkShadow))
                << orientation << " " << words[i];
        }
        // Held down, a button sinks: a dark top-left edge and the glyph one pixel down and right.
        TZylNavButton* last = nav->Buttons(nbLast);
        MoveMouseTo(last, 4, 4);
        win32::input::PressButton(win32::input::Button::Left);
        PumpUntilIdle();
        picture = BitmapOf(nav);
        const TRect bounds = last->BoundsRect();
        auto glyph = GlyphImage("last", true);
        EXPECT_EQ(NavigatorText(FindGlyph(picture.get(), bounds, glyph.get())),
                  NavigatorText(Point(bounds.left + 8, bounds.top + 8)))
            << orientation;
        EXPECT_NE(ColorToRGB(picture->Canvas()->Pixels(bounds.left, bounds.top)), ColorToRGB(clBtnHighlight))
            << orientation;
        win32::input::ReleaseButton(win32::input::Button::Left);
        PumpUntilIdle();
    }
};

TEST_F(NavigatorPixelTest, HorizontalButtonsShowTheirGlyphsAndSinkWhenPressed) {
    ExpectButtonLook(navigator, "horizontal");
}

TEST_F(NavigatorPixelTest, VerticalButtonsShowTheirGlyphsAndSinkWhenPressed) {
    navigator->SetDirection(kVertical);
    navigator->SetBounds(10, 10, 24, 250);  // buttons of 24 x 25, as in a row
    ASSERT_EQ(NavigatorText(navigator->Buttons(nbFirst)->BoundsRect()), NavigatorText(Rect(0, 0, 24, 25)));
    ExpectButtonLook(navigator, "vertical");
}

TEST_F(NavigatorPixelTest, TheFocusedButtonShowsAFocusRectangleWhileTheNavigatorHasTheFocus) {
    Cities(3);
    navigator->SetTabStop(true);
    auto before = BitmapOf(navigator);
    Press(nbLast);  // takes the focus and the mark
    ASSERT_TRUE(navigator->Focused());
    auto picture = BitmapOf(navigator);
    const TRect bounds = navigator->Buttons(nbLast)->BoundsRect();
    // The dotted rectangle runs 3 pixels inside the button: some of its dots differ from the face.
    int dots = 0;
    for (int x = bounds.left + 3; x < bounds.right - 3; ++x)
        if (ColorToRGB(picture->Canvas()->Pixels(x, bounds.top + 3)) != ColorToRGB(clBtnFace)) ++dots;
    EXPECT_GE(dots, 5);
    int dotsBefore = 0;
    for (int x = bounds.left + 3; x < bounds.right - 3; ++x)
        if (ColorToRGB(before->Canvas()->Pixels(x, bounds.top + 3)) != ColorToRGB(clBtnFace)) ++dotsBefore;
    EXPECT_EQ(dotsBefore, 0);
}

}  // namespace

namespace {

// ---------------------------------------------------------------------------------------------
// Streaming

TEST_F(NavigatorTest, FormFileKeepsDirectionButtonsHintsAndSourceAndWritesNoButtons) {
    form->SetName("Browser");
    auto* named = new TDataSource(form);
    named->SetName("Source");
    navigator->SetName("Nav");
    navigator->SetDataSource(named);
    navigator->SetDirection(kVertical);
    navigator->SetVisibleButtons({nbFirst, nbPrior, nbNext, nbLast});
    navigator->Hints()->Add("");
    navigator->Hints()->Add("Back");
    navigator->SetConfirmDelete(false);
    const std::string text = ComponentToText(form);
    EXPECT_EQ(text.find("TZylNavButton"), std::string::npos) << text;
    EXPECT_NE(text.find("Direction = kVertical"), std::string::npos) << text;

    TComponentPtr<TForm> copy(new TForm(nullptr, 0));
    ReadComponentText(text, copy.get());
    auto* reloaded = dynamic_cast<TZylDBNavigator*>(copy->FindComponent("Nav"));
    ASSERT_NE(reloaded, nullptr);
    EXPECT_EQ(reloaded->Direction(), kVertical);
    EXPECT_EQ(reloaded->Width(), navigator->Width());
    EXPECT_EQ(reloaded->Height(), navigator->Height());
    EXPECT_EQ(reloaded->VisibleButtons(), (TZylButtonSet{nbFirst, nbPrior, nbNext, nbLast}));
    EXPECT_EQ(NavigatorText(reloaded->Buttons(nbLast)->BoundsRect()),
              NavigatorText(navigator->Buttons(nbLast)->BoundsRect()));
    EXPECT_EQ(reloaded->Buttons(nbPrior)->Hint(), "Back");
    EXPECT_FALSE(reloaded->ConfirmDelete());
    EXPECT_EQ(reloaded->DataSource(), copy->FindComponent("Source"));
}

}  // namespace

namespace {

TEST_F(NavigatorTest, ABeforeActionHandlerMayFreeTheNavigator) {
    TTable* table = Cities(3);
    bool clicked = false;
    navigator->OnClick = [&](TObject*, TZylNavigateBtn) { clicked = true; };
    navigator->BeforeAction = [this](TObject*, TZylNavigateBtn) { delete navigator; };
    navigator->BtnClick(nbNext);
    EXPECT_EQ(Id(table), 1);  // the action went with the navigator
    EXPECT_FALSE(clicked);
}

}  // namespace
