#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "list_fixture.h"
#include "win32/virtualkeys.h"

using namespace vcl;
using namespace win32;

namespace {

class ComboBoxTest : public zyltest::ListFixture {
protected:
    void SetUp() override {
        ListFixture::SetUp();
        combo = new TComboBox(form);
        combo->SetName("Combo1");
        combo->SetParent(form);
        combo->SetBounds(10, 10, 145, 21);
        for (const char* name : {"Apple", "Banana", "blueberry", "Cherry", "Date"})
            combo->Items()->Add(name);
        combo->OnChange = [this](TObject*) { events.push_back("change"); };
        combo->OnClick = [this](TObject*) { events.push_back("click"); };
        combo->OnDropDown = [this](TObject*) { events.push_back("dropdown"); };
        combo->OnCloseUp = [this](TObject*) { events.push_back("closeup"); };
        PumpUntilIdle();
    }

    LRESULT Send(UINT msg, WPARAM wParam, LPARAM lParam) {
        return SendMessage(combo->Handle(), msg, wParam, lParam);
    }
    LRESULT SendText(UINT msg, WPARAM wParam, const char* text) {
        return Send(msg, wParam, reinterpret_cast<LPARAM>(text));
    }
    void UseSelectEvent() {
        combo->OnSelect = [this](TObject*) { events.push_back("select"); };
    }
    void ClickButton() { ClickAt(combo, combo->ClientWidth() - 5, combo->ClientHeight() / 2); }
    void Reset() {
        events.clear();
        notifications.clear();
    }
    // Screen point of a row of the open list.
    TPoint ListRow(int row) {
        TCustomListBox* list = combo->ListBox();
        return list->ClientToScreen(Point(20, row * list->ItemHeight() + list->ItemHeight() / 2));
    }

    TComboBox* combo = nullptr;
    std::vector<std::string> events;
};

struct ComboMessageCase {
    const char* name;
    UINT msg;
    WPARAM wParam;
    const char* text;
    LRESULT expected;
};

TEST_F(ComboBoxTest, MessagesAnswerAsTheSystemDoes) {
    const ComboMessageCase cases[] = {
        {"count", CB_GETCOUNT, 0, nullptr, 5},
        {"nothing selected", CB_GETCURSEL, 0, nullptr, CB_ERR},
        {"exact match ignores case", CB_FINDSTRINGEXACT, WPARAM(-1), "cherry", 3},
        {"exact match refuses prefixes", CB_FINDSTRINGEXACT, WPARAM(-1), "Cher", CB_ERR},
        {"exact match wraps from the start index", CB_FINDSTRINGEXACT, 4, "APPLE", 0},
        {"prefix", CB_FINDSTRING, WPARAM(-1), "b", 1},
        {"prefix after the start", CB_FINDSTRING, 1, "b", 2},
        {"prefix wraps", CB_FINDSTRING, 2, "b", 1},
        {"text length", CB_GETLBTEXTLEN, 2, nullptr, 9},
        {"text length out of range", CB_GETLBTEXTLEN, 5, nullptr, CB_ERR},
        {"add goes to the end", CB_ADDSTRING, 0, "Aardvark", 5},
        {"insert at a place", CB_INSERTSTRING, 0, "Zebra", 0},
        {"insert past the end", CB_INSERTSTRING, 9, "x", CB_ERR},
        {"delete returns the rest", CB_DELETESTRING, 0, nullptr, 6},
        {"delete out of range", CB_DELETESTRING, 6, nullptr, CB_ERR},
        {"select", CB_SETCURSEL, 3, nullptr, 3},
        {"selected", CB_GETCURSEL, 0, nullptr, 3},
        {"select string", CB_SELECTSTRING, WPARAM(-1), "ban", 1},
        {"select string not there keeps the selection", CB_SELECTSTRING, WPARAM(-1), "kiwi", CB_ERR},
        {"still selected", CB_GETCURSEL, 0, nullptr, 1},
        {"not dropped", CB_GETDROPPEDSTATE, 0, nullptr, FALSE},
        {"bad item height", CB_SETITEMHEIGHT, 0, nullptr, CB_ERR},
        {"select out of range clears", CB_SETCURSEL, 99, nullptr, CB_ERR},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SendText(c.msg, c.wParam, c.text), c.expected) << c.name;
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_EQ(combo->Text(), "");

    char buffer[16];
    EXPECT_EQ(Send(CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(buffer)), 5);
    EXPECT_STREQ(buffer, "Apple");
    EXPECT_EQ(Send(CB_SETITEMDATA, 1, 1234), CB_OKAY);
    EXPECT_EQ(Send(CB_GETITEMDATA, 1, 0), 1234);
    EXPECT_EQ(Send(CB_GETITEMDATA, 40, 0), CB_ERR);
    Send(CB_SETCURSEL, 2, 0);
    EXPECT_EQ(combo->Text(), "blueberry");
    EXPECT_TRUE(events.empty()) << "messages do not raise the user's events";
}

TEST_F(ComboBoxTest, EditSelectionMessages) {
    combo->SetText("Hello world");
    EXPECT_EQ(Send(CB_SETEDITSEL, 0, MAKELPARAM(1, 4)), TRUE);
    DWORD start = 0, end = 0;
    const LRESULT packed =
        Send(CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 1u);
    EXPECT_EQ(end, 4u);
    EXPECT_EQ(packed, static_cast<LRESULT>(MAKELONG(1, 4)));
    EXPECT_EQ(combo->SelText(), "ell");
    Send(CB_SETEDITSEL, 0, MAKELPARAM(6, 0xFFFF));
    EXPECT_EQ(combo->SelText(), "world") << "an end of -1 selects to the end";
    Send(CB_SETEDITSEL, 0, MAKELPARAM(0xFFFF, 0));
    EXPECT_EQ(combo->SelLength(), 0) << "a start of -1 removes the selection";
    Send(CB_SETEDITSEL, 0, MAKELPARAM(3, 200));
    EXPECT_EQ(combo->SelText(), "lo world");

    combo->SetStyle(csDropDownList);
    PumpUntilIdle();
    EXPECT_EQ(Send(CB_SETEDITSEL, 0, MAKELPARAM(0, 2)), CB_ERR);
    EXPECT_EQ(Send(CB_GETEDITSEL, 0, 0), CB_ERR);
    EXPECT_EQ(Send(CB_LIMITTEXT, 3, 0), CB_ERR);
}

TEST_F(ComboBoxTest, TypingInTheEditPartHonoursMaxLength) {
    combo->SetFocus();
    PumpUntilIdle();
    EXPECT_EQ(Send(CB_LIMITTEXT, 5, 0), TRUE);
    Reset();
    TypeText("Cherry pie");
    EXPECT_EQ(combo->Text(), "Cherr");
    EXPECT_EQ(std::count(events.begin(), events.end(), "change"), 5);
    EXPECT_EQ(std::count(notifications.begin(), notifications.end(), CBN_EDITUPDATE), 5);
    EXPECT_EQ(std::count(notifications.begin(), notifications.end(), CBN_EDITCHANGE), 5);
    PressKey(VK_BACK);
    EXPECT_EQ(combo->Text(), "Cher");
    PressKey(VK_HOME);
    PressKey(VK_DELETE);
    EXPECT_EQ(combo->Text(), "her");
    TypeText("C");
    PressKey(VK_END);
    TypeText("ry");
    EXPECT_EQ(combo->Text(), "Cherr") << "the limit still holds";
}

TEST_F(ComboBoxTest, DropDownOpenedAndChosenByMouse) {
    combo->SetStyle(csDropDownList);
    UseSelectEvent();
    combo->SetFocus();
    PumpUntilIdle();
    Reset();
    ClickButton();
    ASSERT_TRUE(combo->DroppedDown());
    TCustomListBox* list = combo->ListBox();
    ASSERT_TRUE(list->HandleAllocated());
    EXPECT_TRUE(IsWindowVisible(list->Handle()));
    EXPECT_TRUE(GetWindowLong(list->Handle(), GWL_STYLE) & WS_POPUP);
    RECT comboRect{}, listRect{};
    GetWindowRect(combo->Handle(), &comboRect);
    GetWindowRect(list->Handle(), &listRect);
    EXPECT_EQ(listRect.top, comboRect.bottom);
    EXPECT_EQ(listRect.left, comboRect.left);
    EXPECT_EQ(Send(CB_GETDROPPEDSTATE, 0, 0), TRUE);
    EXPECT_EQ(events, std::vector<std::string>{"dropdown"});

    const TPoint row = ListRow(3);
    input::MoveMouse(row.x, row.y);
    PumpUntilIdle();
    EXPECT_EQ(combo->ItemIndex(), -1) << "hovering only highlights";
    input::Click(row.x, row.y);
    PumpUntilIdle();
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_FALSE(IsWindowVisible(list->Handle()));
    EXPECT_EQ(combo->ItemIndex(), 3);
    EXPECT_EQ(combo->Text(), "Cherry");
    EXPECT_EQ(events, (std::vector<std::string>{"dropdown", "closeup", "click", "select"}));
    EXPECT_EQ(notifications, (std::vector<WORD>{CBN_DROPDOWN, CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE}));
}

TEST_F(ComboBoxTest, ClickingOutsideCancels) {
    combo->SetStyle(csDropDownList);
    combo->SetItemIndex(1);
    PumpUntilIdle();
    ClickButton();
    ASSERT_TRUE(combo->DroppedDown());
    const TPoint row = ListRow(4);
    input::MoveMouse(row.x, row.y);
    PumpUntilIdle();
    Reset();
    ClickAt(form, 300, 200);
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(notifications, (std::vector<WORD>{CBN_SELENDCANCEL, CBN_CLOSEUP}));
    EXPECT_EQ(events, std::vector<std::string>{"closeup"});
}

TEST_F(ComboBoxTest, KeysOpenMoveAndEscapeRestores) {
    combo->SetStyle(csDropDownList);
    combo->SetItemIndex(1);
    combo->SetFocus();
    PumpUntilIdle();
    Reset();
    PressKey(VK_DOWN, input::Alt);
    ASSERT_TRUE(combo->DroppedDown());
    PressKey(VK_DOWN);
    PressKey(VK_DOWN);
    EXPECT_EQ(combo->ItemIndex(), 3);
    EXPECT_EQ(combo->Text(), "Cherry");
    PressKey(VK_ESCAPE);
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(combo->Text(), "Banana");
    EXPECT_EQ(notifications, (std::vector<WORD>{CBN_DROPDOWN, CBN_SELCHANGE, CBN_SELCHANGE, CBN_SELENDCANCEL,
                                                CBN_SELCHANGE, CBN_CLOSEUP}));
    EXPECT_EQ(events.front(), "dropdown");
    EXPECT_EQ(events.back(), "closeup");

    Reset();
    PressKey(VK_F4);
    ASSERT_TRUE(combo->DroppedDown());
    PressKey(VK_END);
    PressKey(VK_RETURN);
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(combo->ItemIndex(), 4);
    EXPECT_EQ(notifications, (std::vector<WORD>{CBN_DROPDOWN, CBN_SELCHANGE, CBN_SELENDOK, CBN_CLOSEUP}));
}

TEST_F(ComboBoxTest, ArrowsChangeTheItemWhileClosed) {
    combo->SetStyle(csDropDownList);
    combo->SetFocus();
    PumpUntilIdle();
    Reset();
    PressKey(VK_DOWN);
    EXPECT_EQ(combo->ItemIndex(), 0);
    PressKey(VK_DOWN);
    PressKey(VK_UP);
    PressKey(VK_UP);  // already first: nothing happens
    EXPECT_EQ(combo->ItemIndex(), 0);
    EXPECT_EQ(events, (std::vector<std::string>{"click", "change", "click", "change", "click", "change"}))
        << "without OnSelect the selection raises OnChange";
    EXPECT_FALSE(combo->DroppedDown());
}

TEST_F(ComboBoxTest, TypeAheadInADropDownList) {
    combo->SetStyle(csDropDownList);
    combo->SetFocus();
    PumpUntilIdle();
    TypeText("b");
    EXPECT_EQ(combo->ItemIndex(), 1);
    TypeText("B");
    EXPECT_EQ(combo->ItemIndex(), 2);
    TypeText("b");
    EXPECT_EQ(combo->ItemIndex(), 1);
    TypeText("x");
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(combo->Text(), "Banana");
}

TEST_F(ComboBoxTest, OwnerDrawCallsForListRowsAndTheEditArea) {
    struct Call {
        int index;
        TRect rect;
        TOwnerDrawState state;
    };
    std::vector<Call> calls;
    combo->SetStyle(csOwnerDrawFixed);
    combo->SetItemHeight(18);
    combo->OnDrawItem = [&](TWinControl* control, Integer index, TRect rect, TOwnerDrawState state) {
        EXPECT_EQ(control, combo);
        calls.push_back({index, rect, state});
    };
    combo->SetItemIndex(2);
    combo->SetFocus();
    PumpUntilIdle();
    EXPECT_EQ(combo->Height(), 18 + 8);
    calls.clear();
    combo->Repaint();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].index, 2);
    EXPECT_TRUE(calls[0].state.Contains(odComboBoxEdit));
    EXPECT_TRUE(calls[0].state.Contains(odSelected));
    EXPECT_TRUE(calls[0].state.Contains(odFocused));

    ClickButton();
    ASSERT_TRUE(combo->DroppedDown());
    calls.clear();
    combo->ListBox()->Repaint();
    ASSERT_EQ(calls.size(), 5u);
    EXPECT_EQ(Edges(calls[1].rect), Edges(Rect(0, 18, combo->ListBox()->ClientWidth(), 36)));
    EXPECT_FALSE(calls[1].state.Contains(odComboBoxEdit));
    EXPECT_TRUE(calls[2].state.Contains(odSelected));
    EXPECT_FALSE(calls[0].state.Contains(odSelected));
}

TEST_F(ComboBoxTest, OwnerDrawVariableMeasuresRows) {
    combo->OnMeasureItem = [](TWinControl*, Integer index, Integer& height) { height = 12 + index; };
    combo->SetStyle(csOwnerDrawVariable);
    PumpUntilIdle();
    EXPECT_EQ(Send(CB_GETITEMHEIGHT, 3, 0), 15);
    combo->Items()->Add("Elder");
    EXPECT_EQ(Send(CB_GETITEMHEIGHT, 5, 0), 17);
}

TEST_F(ComboBoxTest, OpenDropDownShowsOnTheScreen) {
    combo->SetStyle(csDropDownList);
    combo->SetItemIndex(0);
    PumpUntilIdle();
    ClickButton();
    ASSERT_TRUE(combo->DroppedDown());
    const TPoint row = ListRow(2);
    input::MoveMouse(row.x, row.y);
    PumpUntilIdle();
    TCustomListBox* list = combo->ListBox();
    const TPoint hot = list->ClientToScreen(Point(list->ClientWidth() - 4, 2 * list->ItemHeight() + 2));
    const TPoint other = list->ClientToScreen(Point(list->ClientWidth() - 4, 3 * list->ItemHeight() + 2));
    EXPECT_EQ(ScreenPixel(hot.x, hot.y), Rgb(clHighlight));
    EXPECT_EQ(ScreenPixel(other.x, other.y), Rgb(clWindow));
    // The list lies over the form: below the combo box the form's face is covered.
    RECT comboRect{};
    GetWindowRect(combo->Handle(), &comboRect);
    EXPECT_EQ(ScreenPixel(comboRect.right - 6, comboRect.bottom + 2 * list->ItemHeight() + 4),
              Rgb(clHighlight));
}

TEST_F(ComboBoxTest, SortedItemsKeepTheirObjects) {
    TObject kiwi, fig;
    combo->SetSorted(true);
    combo->Items()->AddObject("kiwi", &kiwi);
    combo->Items()->AddObject("Fig", &fig);
    EXPECT_EQ(combo->Items()->IndexOf("Fig"), 5);
    EXPECT_EQ(combo->Items()->Objects(5), &fig);
    EXPECT_EQ(combo->Items()->Objects(6), &kiwi);
    EXPECT_THROW(combo->Items()->Strings(7), EStringListError);
}

}  // namespace
