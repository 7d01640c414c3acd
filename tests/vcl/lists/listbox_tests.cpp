#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "list_fixture.h"
#include "vcl/streaming.h"
#include "win32/virtualkeys.h"

using namespace vcl;
using namespace win32;

namespace {

class ListBoxTest : public zyltest::ListFixture {
protected:
    void SetUp() override {
        ListFixture::SetUp();
        list = new TListBox(form);
        list->SetName("List1");
        list->SetParent(form);
        list->SetBounds(10, 10, 150, 120);
        for (const char* name : {"Apple", "Banana", "Cherry", "cranberry", "Date", "Elder"})
            list->Items()->Add(name);
        list->OnClick = [this](TObject*) { events.push_back("click"); };
        list->OnDblClick = [this](TObject*) { events.push_back("dblclick"); };
        PumpUntilIdle();
    }

    LRESULT Send(UINT msg, WPARAM wParam, LPARAM lParam) {
        return SendMessage(list->Handle(), msg, wParam, lParam);
    }
    LRESULT SendText(UINT msg, WPARAM wParam, const char* text) {
        return Send(msg, wParam, reinterpret_cast<LPARAM>(text));
    }
    int Row() const { return list->ItemHeight(); }
    void ClickRow(int row, unsigned shift = input::None) {
        if (shift & input::Shift) input::KeyDown(VK_SHIFT);
        if (shift & input::Ctrl) input::KeyDown(VK_CONTROL);
        ClickAt(list, 40, row * Row() + Row() / 2);
        if (shift & input::Ctrl) input::KeyUp(VK_CONTROL);
        if (shift & input::Shift) input::KeyUp(VK_SHIFT);
        PumpUntilIdle();
    }

    TListBox* list = nullptr;
    std::vector<std::string> events;
};

TEST_F(ListBoxTest, SortedInsertionKeepsObjectsBeforeAndAfterTheHandle) {
    TObject pear, apple, banana, fig;
    TListBox detached(nullptr);
    detached.SetSorted(true);
    detached.Items()->AddObject("pear", &pear);
    detached.Items()->AddObject("Apple", &apple);
    detached.Items()->AddObject("banana", &banana);
    ASSERT_EQ(detached.Items()->Count(), 3);
    EXPECT_EQ(detached.Items()->Strings(0), "Apple");
    EXPECT_EQ(detached.Items()->Objects(0), &apple);
    EXPECT_EQ(detached.Items()->Objects(1), &banana);
    EXPECT_EQ(detached.Items()->Objects(2), &pear);

    list->SetSorted(true);
    const int index = list->Items()->AddObject("Fig", &fig);
    EXPECT_EQ(index, 6);
    EXPECT_EQ(list->Items()->Objects(6), &fig);
    EXPECT_EQ(Send(LB_GETITEMDATA, 6, 0), reinterpret_cast<LRESULT>(&fig));
    EXPECT_EQ(SendText(LB_ADDSTRING, 0, "apricot"), 1);
    EXPECT_EQ(list->Items()->Strings(1), "apricot");
    EXPECT_EQ(list->Items()->Objects(7), &fig);
}

TEST_F(ListBoxTest, OutOfRangeIndexesRaiseTheListErrors) {
    EXPECT_THROW(list->Items()->Strings(6), EStringListError);
    EXPECT_THROW(list->Items()->Delete(-1), EStringListError);
    EXPECT_THROW(list->Items()->Insert(7, "x"), EStringListError);
    try {
        list->Selected(7);
        FAIL() << "no error";
    } catch (const EListError& error) {
        EXPECT_EQ(std::string(error.what()), "List index out of bounds (7)");
    }
    EXPECT_THROW(list->SetSelected(-1, true), EListError);
    EXPECT_THROW(list->ItemRect(8), EListError);
    list->SetItemIndex(40);
    EXPECT_EQ(list->ItemIndex(), -1);
}

struct ListMessageCase {
    const char* name;
    UINT msg;
    WPARAM wParam;
    const char* text;
    LRESULT expected;
};

TEST_F(ListBoxTest, MessagesAnswerAsTheSystemDoes) {
    const ListMessageCase cases[] = {
        {"count", LB_GETCOUNT, 0, nullptr, 6},
        {"no selection yet", LB_GETCURSEL, 0, nullptr, LB_ERR},
        {"find prefix, any case", LB_FINDSTRING, WPARAM(-1), "CR", 3},
        {"find wraps after the start", LB_FINDSTRING, 3, "CH", 2},
        {"find after the start", LB_FINDSTRING, 2, "cr", 3},
        {"find nothing", LB_FINDSTRING, WPARAM(-1), "zz", LB_ERR},
        {"exact is whole and any case", LB_FINDSTRINGEXACT, WPARAM(-1), "cherry", 2},
        {"exact refuses a prefix", LB_FINDSTRINGEXACT, WPARAM(-1), "Cher", LB_ERR},
        {"text length", LB_GETTEXTLEN, 3, nullptr, 9},
        {"text length out of range", LB_GETTEXTLEN, 6, nullptr, LB_ERR},
        {"single list refuses LB_SETSEL", LB_SETSEL, 1, nullptr, LB_ERR},
        {"single list has no selection count", LB_GETSELCOUNT, 0, nullptr, LB_ERR},
        {"select string", LB_SELECTSTRING, WPARAM(-1), "d", 4},
        {"current selection", LB_GETCURSEL, 0, nullptr, 4},
        {"insert past the end", LB_INSERTSTRING, 9, "x", LB_ERR},
        {"insert at the end", LB_INSERTSTRING, WPARAM(-1), "Zulu", 6},
        {"delete returns what is left", LB_DELETESTRING, 6, nullptr, 6},
        {"delete out of range", LB_DELETESTRING, 6, nullptr, LB_ERR},
        {"set cursel -1 clears and answers LB_ERR", LB_SETCURSEL, WPARAM(-1), nullptr, LB_ERR},
        {"cleared", LB_GETCURSEL, 0, nullptr, LB_ERR},
        {"set cursel", LB_SETCURSEL, 1, nullptr, 1},
        {"top index", LB_GETTOPINDEX, 0, nullptr, 0},
        {"set top out of range", LB_SETTOPINDEX, 10, nullptr, LB_ERR},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SendText(c.msg, c.wParam, c.text), c.expected) << c.name;
    }

    char buffer[32];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(Send(LB_GETTEXT, 3, reinterpret_cast<LPARAM>(buffer)), 9);
    EXPECT_STREQ(buffer, "cranberry");
    EXPECT_EQ(Send(LB_SETITEMDATA, 2, 77), LB_OKAY);
    EXPECT_EQ(Send(LB_GETITEMDATA, 2, 0), 77);
    EXPECT_EQ(Send(LB_GETITEMDATA, 9, 0), LB_ERR);

    RECT rect{};
    EXPECT_EQ(Send(LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&rect)), 1);
    EXPECT_EQ(rect.top, 2 * Row());
    EXPECT_EQ(rect.bottom, 3 * Row());
    EXPECT_EQ(rect.right, list->ClientWidth());
    EXPECT_EQ(Send(LB_ITEMFROMPOINT, 0, MAKELPARAM(5, static_cast<WORD>(Row() + 1))), 1);
    const LRESULT below = Send(LB_ITEMFROMPOINT, 0, MAKELPARAM(5, static_cast<WORD>(Row() * 7 + 1)));
    EXPECT_EQ(LOWORD(static_cast<DWORD>(below)), 5);
    EXPECT_EQ(HIWORD(static_cast<DWORD>(below)), 1);
    EXPECT_EQ(Send(LB_SETITEMHEIGHT, 0, 256), LB_ERR);
    EXPECT_EQ(Send(LB_RESETCONTENT, 0, 0), LB_OKAY);
    EXPECT_EQ(list->Items()->Count(), 0);
    EXPECT_EQ(list->ItemIndex(), -1);
}

TEST_F(ListBoxTest, MultiSelectionMessages) {
    list->SetMultiSelect(true);
    PumpUntilIdle();
    EXPECT_EQ(Send(LB_SETCURSEL, 1, 0), LB_ERR);
    EXPECT_EQ(Send(LB_SETSEL, TRUE, 1), LB_OKAY);
    EXPECT_EQ(Send(LB_SETSEL, TRUE, 4), LB_OKAY);
    EXPECT_EQ(Send(LB_SETSEL, TRUE, 9), LB_ERR);
    EXPECT_EQ(Send(LB_GETSELCOUNT, 0, 0), 2);
    int selected[4] = {-1, -1, -1, -1};
    EXPECT_EQ(Send(LB_GETSELITEMS, 4, reinterpret_cast<LPARAM>(selected)), 2);
    EXPECT_EQ(selected[0], 1);
    EXPECT_EQ(selected[1], 4);
    EXPECT_EQ(Send(LB_GETCARETINDEX, 0, 0), 4);
    EXPECT_EQ(Send(LB_SETSEL, FALSE, -1), LB_OKAY);
    EXPECT_EQ(list->SelCount(), 0);
    EXPECT_EQ(Send(LB_SELITEMRANGEEX, 2, 3), LB_OKAY);
    EXPECT_TRUE(list->Selected(2));
    EXPECT_TRUE(list->Selected(3));
    EXPECT_EQ(Send(LB_SELITEMRANGEEX, 3, 2), LB_OKAY);
    EXPECT_EQ(list->SelCount(), 0);
    EXPECT_TRUE(events.empty()) << "messages are not the user's changes";
}

TEST_F(ListBoxTest, KeyboardMovesTheSelectionAndTypeAheadCycles) {
    list->SetFocus();
    PumpUntilIdle();
    notifications.clear();
    PressKey(VK_DOWN);
    EXPECT_EQ(list->ItemIndex(), 0);
    PressKey(VK_DOWN);
    EXPECT_EQ(list->ItemIndex(), 1);
    PressKey(VK_END);
    EXPECT_EQ(list->ItemIndex(), 5);
    PressKey(VK_END);  // no change, no event
    PressKey(VK_HOME);
    EXPECT_EQ(list->ItemIndex(), 0);
    TypeText("c");
    EXPECT_EQ(list->ItemIndex(), 2);
    TypeText("C");
    EXPECT_EQ(list->ItemIndex(), 3);
    TypeText("c");
    EXPECT_EQ(list->ItemIndex(), 2) << "type-ahead wraps";
    TypeText("q");
    EXPECT_EQ(list->ItemIndex(), 2);
    EXPECT_EQ(events, std::vector<std::string>(7, "click"));
    const size_t selChanges =
        static_cast<size_t>(std::count(notifications.begin(), notifications.end(), LBN_SELCHANGE));
    EXPECT_EQ(selChanges, 7u);
}

TEST_F(ListBoxTest, PageKeysMoveByAVisiblePage) {
    for (int i = 0; i < 30; ++i)
        list->Items()->Add("Item " + std::to_string(i));
    PumpUntilIdle();
    list->SetFocus();
    list->SetItemIndex(0);
    const int visible = list->ClientHeight() / Row();
    PressKey(VK_NEXT);
    EXPECT_EQ(list->ItemIndex(), visible - 1);
    PressKey(VK_END);
    EXPECT_EQ(list->ItemIndex(), 35);
    EXPECT_EQ(list->TopIndex(), 36 - visible) << "the last item is scrolled into view";
    PressKey(VK_PRIOR);
    EXPECT_EQ(list->ItemIndex(), 35 - (visible - 1));
}

TEST_F(ListBoxTest, MouseSelectsAndDoubleClickNotifies) {
    notifications.clear();
    ClickRow(2);
    EXPECT_EQ(list->ItemIndex(), 2);
    EXPECT_TRUE(list->Focused());
    Advance(2000);  // far apart: two single clicks
    ClickRow(2);
    EXPECT_EQ(events, std::vector<std::string>{"click"}) << "a click on the selected row changes nothing";
    Advance(2000);
    const TPoint p = ScreenPoint(list, 30, 3 * Row() + 2);
    input::DoubleClick(p.x, p.y);
    PumpUntilIdle();
    EXPECT_EQ(list->ItemIndex(), 3);
    EXPECT_EQ(events, (std::vector<std::string>{"click", "click", "dblclick"}));
    EXPECT_NE(std::find(notifications.begin(), notifications.end(), LBN_DBLCLK), notifications.end());
    EXPECT_NE(std::find(notifications.begin(), notifications.end(), LBN_SETFOCUS), notifications.end());
    EXPECT_EQ(list->ItemAtPos(Point(30, 3 * Row() + 2), true), 3);
    EXPECT_EQ(list->ItemAtPos(Point(30, 100), true), -1);
    EXPECT_EQ(list->ItemAtPos(Point(30, 100), false), 6);
}

TEST_F(ListBoxTest, ExtendedSelectionWithShiftAndCtrl) {
    list->SetMultiSelect(true);
    PumpUntilIdle();
    ClickRow(1);
    ClickRow(3, input::Shift);
    EXPECT_EQ(list->SelCount(), 3);
    ClickRow(2, input::Ctrl);
    EXPECT_FALSE(list->Selected(2));
    EXPECT_TRUE(list->Selected(1));
    EXPECT_TRUE(list->Selected(3));
    EXPECT_EQ(list->ItemIndex(), 2);
    ClickRow(4);
    EXPECT_EQ(list->SelCount(), 1);
    PressKey(VK_DOWN, input::Shift);
    PressKey(VK_DOWN, input::Shift);
    EXPECT_EQ(list->SelCount(), 2) << "the range stops at the last item";
    EXPECT_TRUE(list->Selected(4));
    EXPECT_TRUE(list->Selected(5));
    PressKey(VK_UP, input::Ctrl);
    EXPECT_EQ(list->SelCount(), 2) << "Ctrl moves only the focus";
    EXPECT_EQ(list->ItemIndex(), 4);
}

TEST_F(ListBoxTest, SimpleMultiSelectTogglesWithClicksAndSpace) {
    list->SetMultiSelect(true);
    list->SetExtendedSelect(false);
    PumpUntilIdle();
    ClickRow(0);
    ClickRow(2);
    EXPECT_EQ(list->SelCount(), 2);
    ClickRow(0);
    EXPECT_FALSE(list->Selected(0));
    PressKey(VK_DOWN);
    EXPECT_EQ(list->SelCount(), 1) << "arrows only move the focus";
    PressKey(VK_SPACE);
    EXPECT_TRUE(list->Selected(1));
}

TEST_F(ListBoxTest, DraggingBelowScrollsOnTheClock) {
    for (int i = 0; i < 30; ++i)
        list->Items()->Add("Row " + std::to_string(i));
    PumpUntilIdle();
    const TPoint start = ScreenPoint(list, 30, 2);
    input::MoveMouse(start.x, start.y);
    input::PressButton(input::Button::Left);
    PumpUntilIdle();
    EXPECT_EQ(list->ItemIndex(), 0);
    const TPoint below = ScreenPoint(list, 30, list->ClientHeight() + 20);
    input::MoveMouse(below.x, below.y);
    PumpUntilIdle();
    const int afterMove = list->ItemIndex();
    for (int tick = 0; tick < 12; ++tick)
        Advance(100);
    EXPECT_GT(list->ItemIndex(), afterMove);
    EXPECT_GT(list->TopIndex(), 0);
    input::ReleaseButton(input::Button::Left);
    PumpUntilIdle();
    const int released = list->ItemIndex();
    Advance(1000);
    EXPECT_EQ(list->ItemIndex(), released) << "scrolling stops with the button";
}

TEST_F(ListBoxTest, OwnerDrawFixedGetsRectanglesAndStates) {
    struct Call {
        int index;
        TRect rect;
        TOwnerDrawState state;
    };
    std::vector<Call> calls;
    list->SetStyle(lbOwnerDrawFixed);
    list->SetItemHeight(20);
    list->OnDrawItem = [&](TWinControl* control, Integer index, TRect rect, TOwnerDrawState state) {
        EXPECT_EQ(control, list);
        calls.push_back({index, rect, state});
    };
    list->SetItemIndex(1);
    list->SetFocus();
    PumpUntilIdle();
    calls.clear();
    list->Repaint();
    ASSERT_GE(calls.size(), 5u);
    EXPECT_EQ(calls[0].index, 0);
    EXPECT_EQ(Edges(calls[0].rect), Edges(Rect(0, 0, list->ClientWidth(), 20)));
    EXPECT_EQ(Edges(calls[1].rect), Edges(Rect(0, 20, list->ClientWidth(), 40)));
    EXPECT_TRUE(calls[0].state.Empty());
    EXPECT_TRUE(calls[1].state.Contains(odSelected));
    EXPECT_TRUE(calls[1].state.Contains(odFocused));
    EXPECT_EQ(OwnerDrawStateToBits(calls[1].state), ODS_SELECTED | ODS_FOCUS);
}

TEST_F(ListBoxTest, OwnerDrawVariableMeasuresEveryItem) {
    list->OnMeasureItem = [](TWinControl*, Integer index, Integer& height) { height = 10 + index * 5; };
    list->SetStyle(lbOwnerDrawVariable);
    PumpUntilIdle();
    EXPECT_EQ(Edges(list->ItemRect(0)), Edges(Rect(0, 0, list->ClientWidth(), 10)));
    EXPECT_EQ(Edges(list->ItemRect(2)), Edges(Rect(0, 25, list->ClientWidth(), 45)));
    EXPECT_EQ(Send(LB_GETITEMHEIGHT, 3, 0), 25);
    list->Items()->Add("Fig");
    EXPECT_EQ(Send(LB_GETITEMHEIGHT, 6, 0), 40);
    EXPECT_EQ(list->ItemAtPos(Point(5, 30), true), 2);
}

TEST_F(ListBoxTest, ColumnsFlowDownThenAcross) {
    for (int i = 0; i < 20; ++i)
        list->Items()->Add("More " + std::to_string(i));
    list->SetColumns(2);
    PumpUntilIdle();
    const int rows = list->ClientHeight() / Row();
    const int columnWidth = list->ClientWidth() / 2;
    EXPECT_EQ(Edges(list->ItemRect(rows)), Edges(Rect(columnWidth, 0, 2 * columnWidth, Row())));
    EXPECT_EQ(list->ItemAtPos(Point(columnWidth + 3, 2), true), rows);
}

TEST_F(ListBoxTest, SelectedRowIsPaintedInHighlightColours) {
    list->SetItemIndex(1);
    PumpUntilIdle();
    auto image = BitmapOf(list);
    const int edge = 2;
    const int x = list->ClientWidth() - 10 + edge;
    EXPECT_EQ(PixelOf(image.get(), x, edge + Row() + Row() / 2), Rgb(clHighlight));
    EXPECT_EQ(PixelOf(image.get(), x, edge + Row() / 2), Rgb(clWindow));
    EXPECT_EQ(PixelOf(image.get(), x, edge + 3 * Row() + Row() / 2), Rgb(clWindow));
    // Somewhere in the selected row's text the highlight text colour shows.
    bool textFound = false;
    for (int px = edge + 2; px < edge + 40 && !textFound; ++px)
        for (int py = edge + Row(); py < edge + 2 * Row(); ++py)
            if (PixelOf(image.get(), px, py) == Rgb(clHighlightText)) textFound = true;
    EXPECT_TRUE(textFound);
}

TEST_F(ListBoxTest, SpaceBelowTheLastRowShowsTheListColour) {
    list->SetColor(clYellow);
    PumpUntilIdle();
    auto image = BitmapOf(list);
    const int edge = 2;
    const int below = edge + (list->Count() + 1) * Row();
    ASSERT_LT(below, list->ClientHeight());
    EXPECT_EQ(PixelOf(image.get(), edge + 5, list->ClientHeight() + edge - 2), Rgb(clYellow));
    list->Items()->Clear();
    PumpUntilIdle();
    image = BitmapOf(list);
    EXPECT_EQ(PixelOf(image.get(), edge + 5, edge + 3), Rgb(clYellow));
}

TEST_F(ListBoxTest, FormTextRoundTripKeepsItemsAndSettings) {
    list->SetSorted(true);
    list->SetMultiSelect(true);
    list->SetColumns(2);
    const std::string text = ComponentToText(form);
    EXPECT_NE(text.find("object List1: TListBox"), std::string::npos);
    EXPECT_NE(text.find("Sorted = True"), std::string::npos);
    EXPECT_NE(text.find("'cranberry'"), std::string::npos);
    auto* copy = new TForm(Application, 0);
    ReadComponentText(text, copy);
    auto* read = dynamic_cast<TListBox*>(copy->FindComponent("List1"));
    ASSERT_NE(read, nullptr);
    EXPECT_TRUE(read->Items()->Equals(*list->Items()));
    EXPECT_TRUE(read->MultiSelect());
    EXPECT_EQ(read->Columns(), 2);
    EXPECT_EQ(ComponentToText(read), ComponentToText(list));
}

TEST(ListBoxWithoutParent, PropertiesWorkWithoutAWindow) {
    TListBox list(nullptr);
    list.Items()->Add("one");
    list.Items()->Add("two");
    list.SetItemIndex(1);
    list.SetTopIndex(1);
    list.SetStyle(lbOwnerDrawVariable);
    list.SetMultiSelect(true);
    list.SetSelected(0, true);
    EXPECT_EQ(list.SelCount(), 2);
    EXPECT_FALSE(list.HandleAllocated());
}

}  // namespace
