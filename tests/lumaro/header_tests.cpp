// The column header and the header list: section widths and edges, border drags with the mouse,
// the stored sections, and the list's lines drawn in the header's columns.
#include <memory>
#include <string>
#include <vector>

#include "lumaro/zylheaders.h"
#include "support/ui_fixture.h"
#include "vcl/designhost.h"
#include "vcl/streaming.h"
#include "win32/gdi.h"
#include "win32/input.h"
#include "win32/virtualkeys.h"

namespace header_tests {

using namespace vcl;
using namespace lumaro;

class HeaderTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        form = ShowForm(100, 100, 400, 300);
    }

    // A shown header 300 wide with sections of the given widths, named A, B, C ...
    TZylHeader* NewHeader(const std::vector<int>& widths) {
        auto* header = new TZylHeader(form);
        header->SetParent(form);
        header->SetBounds(10, 10, 300, 25);
        for (size_t i = 0; i < widths.size(); ++i) {
            header->Sections()->Add(std::string(1, static_cast<char>('A' + i)));
            header->SetWidth(static_cast<int>(i), widths[i]);
        }
        PumpUntilIdle();
        return header;
    }

    static std::vector<int> Widths(TZylHeader* header) {
        std::vector<int> widths;
        for (int i = 0; i < header->Sections()->Count(); ++i)
            widths.push_back(header->GetWidth(i));
        return widths;
    }

    static std::string Box(const TRect& r) {
        return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
               std::to_string(r.bottom);
    }

    static win32::COLORREF At(TBitmap* bitmap, int x, int y) {
        return ColorToRGB(bitmap->Canvas()->Pixels(x, y));
    }

    // Whether `colour` shows in columns [from, to) of a picture.
    static bool InkIn(TBitmap* bitmap, TColor colour, int from, int to, int top, int bottom) {
        for (int y = top; y < bottom; ++y)
            for (int x = from; x < to; ++x)
                if (At(bitmap, x, y) == ColorToRGB(colour)) return true;
        return false;
    }

    TForm* form = nullptr;
};

TEST_F(HeaderTest, TheLastSectionTakesTheRestAndPressedSectionsSink) {
    TZylHeader* header = NewHeader({60, 80, 80});
    EXPECT_EQ(Widths(header), (std::vector<int>{60, 80, 160}));
    EXPECT_EQ(header->GetWidth(-1), 0);
    EXPECT_EQ(header->GetWidth(3), 0);
    EXPECT_THROW(header->SetWidth(3, 10), EStringListError);

    // Raised edges: light left and top, dark right and bottom; the last one ends at the client width.
    auto picture = BitmapOf(header);
    EXPECT_EQ(At(picture.get(), 59, 12), ColorToRGB(cl3DDkShadow));
    EXPECT_EQ(At(picture.get(), 60, 12), ColorToRGB(cl3DLight));
    EXPECT_EQ(At(picture.get(), 299, 12), ColorToRGB(cl3DDkShadow));
    EXPECT_EQ(At(picture.get(), 139, 12), ColorToRGB(cl3DDkShadow));

    // The left button held in the middle section sinks that one only.
    const TPoint middle = header->ClientToScreen(Point(100, 12));
    win32::input::MoveMouse(middle.x, middle.y);
    win32::input::PressButton(win32::input::Button::Left);
    PumpUntilIdle();
    EXPECT_TRUE(header->Pressed());
    picture = BitmapOf(header);
    EXPECT_EQ(At(picture.get(), 60, 12), ColorToRGB(clBtnShadow));
    EXPECT_EQ(At(picture.get(), 0, 12), ColorToRGB(cl3DLight));
    win32::input::ReleaseButton(win32::input::Button::Left);
    PumpUntilIdle();
    EXPECT_FALSE(header->Pressed());
    EXPECT_EQ(At(BitmapOf(header).get(), 60, 12), ColorToRGB(cl3DLight));
}

TEST_F(HeaderTest, DraggingABorderResizesItsSectionWithinTheLimits) {
    struct Case {
        const char* name;
        int grabX, dropX;
        std::vector<int> widths;
    };
    const Case cases[] = {
        {"first border to the right", 60, 100, {100, 80, 120}},
        {"first border far left stops 2 pixels in", 60, -50, {2, 80, 218}},
        {"a grab right of the border cannot make a negative width", 63, -50, {0, 80, 220}},
        {"second border far right stops 2 pixels before the end", 140, 1000, {60, 238, 2}},
        {"second border onto the first", 141, 0, {60, 3, 237}},
    };
    for (const Case& c : cases) {
        TZylHeader* header = NewHeader({60, 80, 80});
        std::vector<std::string> events;
        header->OnSizing = [&](TObject*, Integer section, Integer width) {
            events.push_back("sizing " + std::to_string(section) + " " + std::to_string(width));
        };
        header->OnSized = [&](TObject*, Integer section, Integer width) {
            events.push_back("sized " + std::to_string(section) + " " + std::to_string(width));
        };
        MoveMouseTo(header, c.grabX, 12);
        EXPECT_EQ(win32::GetCursor(), win32::LoadCursor(nullptr, win32::IDC_SIZEWE)) << c.name;
        win32::input::PressButton(win32::input::Button::Left);
        MoveMouseTo(header, (c.grabX + c.dropX) / 2, 12);
        MoveMouseTo(header, c.dropX, 12);
        win32::input::ReleaseButton(win32::input::Button::Left);
        PumpUntilIdle();
        EXPECT_EQ(Widths(header), c.widths) << c.name;
        ASSERT_EQ(events.size(), 3u) << c.name;
        const int section = c.grabX < 100 ? 0 : 1;
        const std::string last =
            std::to_string(section) + " " + std::to_string(c.widths[static_cast<size_t>(section)]);
        EXPECT_EQ(events[1], "sizing " + last) << c.name;
        EXPECT_EQ(events[2], "sized " + last) << c.name;
        header->Free();
    }

    // Without AllowResize the borders stay put and only the press shows.
    TZylHeader* fixed = NewHeader({60, 80, 80});
    fixed->SetAllowResize(false);
    bool told = false;
    fixed->OnSizing = fixed->OnSized = [&](TObject*, Integer, Integer) { told = true; };
    MoveMouseTo(fixed, 60, 12);
    EXPECT_NE(win32::GetCursor(), win32::LoadCursor(nullptr, win32::IDC_SIZEWE));
    win32::input::PressButton(win32::input::Button::Left);
    MoveMouseTo(fixed, 120, 12);
    win32::input::ReleaseButton(win32::input::Button::Left);
    PumpUntilIdle();
    EXPECT_EQ(Widths(fixed), (std::vector<int>{60, 80, 160}));
    EXPECT_FALSE(told);
}

TEST_F(HeaderTest, ReassignedSectionsKeepTheWidthsOfCaptionsThatStayInOrder) {
    const auto fresh = [this](const char* caption) { return TextMeasure(form->Font()).Width(caption) + 8; };
    struct Case {
        std::vector<std::string> captions;
        std::vector<int> stored;  // all but the last section's
    };
    const Case cases[] = {
        {{"A", "B", "C"}, {60, 80}},
        {{"A", "X", "C"}, {60, fresh("X")}},
        {{"C", "A", "B"}, {fresh("C"), 60}},
    };
    for (const Case& c : cases) {
        TZylHeader* header = NewHeader({60, 80, 80});
        TStringList wanted;
        for (const std::string& caption : c.captions)
            wanted.Add(caption);
        header->SetSections(&wanted);
        ASSERT_EQ(header->Sections()->Count(), static_cast<int>(c.captions.size()));
        for (size_t i = 0; i < c.captions.size(); ++i)
            EXPECT_EQ(header->Sections()->Strings(static_cast<int>(i)), c.captions[i]);
        for (size_t i = 0; i < c.stored.size(); ++i)
            EXPECT_EQ(header->GetWidth(static_cast<int>(i)), c.stored[i]) << c.captions[i];
    }
}

TEST_F(HeaderTest, StoredSectionsRoundTripAndMalformedOnesGetTheDefaultWidth) {
    auto* designed = new TForm(nullptr, 0);
    designed->SetName("Designed");
    auto* header = new TZylHeader(designed);
    header->SetName("Header1");
    header->SetParent(designed);
    const std::vector<std::string> captions{"Name", "", std::string("Nul\0inside", 10), "It's"};
    for (const std::string& caption : captions)
        header->Sections()->Add(caption);
    for (int i = 0; i < 4; ++i)
        header->SetWidth(i, 10 * (i + 1));
    std::string text = ComponentToText(designed);
    designed->Free();

    TComponentPtr<TForm> loaded(new TForm(nullptr, 0));
    ReadComponentText(text, loaded.get());
    auto* read = dynamic_cast<TZylHeader*>(loaded->FindComponent("Header1"));
    ASSERT_NE(read, nullptr);
    ASSERT_EQ(read->Sections()->Count(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(read->Sections()->Strings(i), captions[static_cast<size_t>(i)]);
        if (i < 3) {
            EXPECT_EQ(read->GetWidth(i), 10 * (i + 1));
        }
    }

    // Plain captions, a missing second NUL, a width that is no number or negative: 75 each.
    const std::string malformed =
        "object Designed: TForm\n  object Header1: TZylHeader\n"
        "    Sections.Sections = ('Plain' #0'NoEnd' #0'ten'#0'Word' #0'-5'#0'Minus'"
        " #0#0'Empty' 'Last')\n  end\nend\n";
    TComponentPtr<TForm> other(new TForm(nullptr, 0));
    ReadComponentText(malformed, other.get());
    read = dynamic_cast<TZylHeader*>(other->FindComponent("Header1"));
    ASSERT_NE(read, nullptr);
    const std::vector<std::string> expected{"Plain", "NoEnd", "Word", "Minus", "Empty", "Last"};
    ASSERT_EQ(read->Sections()->Count(), 6);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(read->Sections()->Strings(i), expected[static_cast<size_t>(i)]);
        EXPECT_EQ(read->GetWidth(i), 75) << i;
    }
}

TEST_F(HeaderTest, ADragWhileDesigningTellsTheDesigner) {
    TDesignerHost host;
    host.LoadPackage("lumaro");
    auto* designed = static_cast<TForm*>(host.NewForm(TForm::StaticClass(), "Designed"));
    auto* header = static_cast<TZylHeader*>(host.DropComponent("TZylHeader", designed, 10, 10, 300, 25));
    header->Sections()->Add("A");
    header->Sections()->Add("B");
    header->SetWidth(0, 60);
    designed->SetBounds(100, 100, 400, 200);
    designed->Show();
    PumpUntilIdle();
    const int before = host.ModifiedCount();
    MoveMouseTo(header, 60, 12);
    win32::input::PressButton(win32::input::Button::Right);
    MoveMouseTo(header, 90, 12);
    win32::input::ReleaseButton(win32::input::Button::Right);
    PumpUntilIdle();
    EXPECT_EQ(header->GetWidth(0), 90);
    EXPECT_EQ(host.ModifiedCount(), before + 1);
}

// ---------------------------------------------------------------------------------------------
// The header list

class HeaderListTest : public HeaderTest {
protected:
    TZylHeaderList* NewList(int width = 300, int height = 150) {
        auto* list = new TZylHeaderList(form);
        list->SetParent(form);
        list->SetBounds(10, 10, width, height);
        list->ListFont()->SetColor(clBlack);
        PumpUntilIdle();
        return list;
    }
};

TEST_F(HeaderListTest, LinesAreCutIntoParts) {
    TZylHeaderList* list = NewList();
    EXPECT_EQ(list->AddLine({"a", "b", "c"}), 0);
    EXPECT_EQ(list->Items()->Strings(0), "a;b;c");
    list->Items()->Add(";x;");
    struct Case {
        int line, part;
        std::string text;
    };
    const Case cases[] = {{0, 0, "a"}, {0, 1, "b"}, {0, 2, "c"}, {0, 3, ""}, {0, -1, ""},
                          {1, 0, ""},  {1, 1, "x"}, {1, 2, ""},  {1, 9, ""}};
    for (const Case& c : cases)
        EXPECT_EQ(list->ItemPart(c.line, c.part), c.text) << c.line << "/" << c.part;
    EXPECT_THROW(list->ItemPart(2, 0), EStringListError);
}

TEST_F(HeaderListTest, TheListSitsUnderTheHeaderOrFillsThePanelWithoutIt) {
    TZylHeaderList* list = NewList(300, 150);
    EXPECT_EQ(Box(list->Header()->BoundsRect()), Box(Rect(3, 3, 297, 28)));
    EXPECT_EQ(Box(list->ListBox()->BoundsRect()), Box(Rect(4, 28, 296, 146)));
    list->SetHeaderHeight(30);
    EXPECT_EQ(Box(list->ListBox()->BoundsRect()), Box(Rect(4, 33, 296, 146)));
    list->SetHeaderVisible(false);
    EXPECT_EQ(Box(list->ListBox()->BoundsRect()), Box(Rect(3, 3, 297, 147)));

    // The lines stay as high as the text when the font grows.
    const int small = list->ItemHeight();
    list->ListFont()->SetSize(20);
    EXPECT_EQ(list->ItemHeight(), TextMeasure(list->ListFont()).Height());
    EXPECT_GT(list->ItemHeight(), small);
}

TEST_F(HeaderListTest, PartsAreDrawnInTheirColumnsAndFollowTheHeader) {
    TZylHeaderList* list = NewList(300, 150);
    list->HeaderSections()->Add("First");
    list->HeaderSections()->Add("Second");
    list->Header()->SetWidth(0, 50);
    list->AddLine({"WWWWWWWWWWWWWWWW", "Next"});
    list->SetDelimiter('\t');
    list->Items()->Add("\tLead");
    list->Items()->Add("a\tb\tbeyond the last column");
    PumpUntilIdle();
    const int row = list->ItemHeight();
    auto picture = BitmapOf(list->ListBox());
    // Line 0 uses ';', which is no longer the delimiter: drawn whole in the first column, clipped.
    EXPECT_TRUE(InkIn(picture.get(), clBlack, 2, 50, 0, row));
    EXPECT_FALSE(InkIn(picture.get(), clBlack, 50, 52, 0, row));
    // A tab at the start keeps the first column empty.
    EXPECT_FALSE(InkIn(picture.get(), clBlack, 0, 50, row, 2 * row));
    EXPECT_TRUE(InkIn(picture.get(), clBlack, 52, 100, row, 2 * row));
    // Parts beyond the last section are not drawn.
    EXPECT_TRUE(InkIn(picture.get(), clBlack, 52, 60, 2 * row, 3 * row));
    EXPECT_FALSE(InkIn(picture.get(), clBlack, 60, 292, 2 * row, 3 * row));

    // Dragging the border moves the second column; the list hears of it.
    int sized = 0;
    list->OnHeaderSized = [&](TObject* sender) {
        EXPECT_EQ(sender, list->Header());
        ++sized;
    };
    MoveMouseTo(list->Header(), 50, 10);
    win32::input::PressButton(win32::input::Button::Left);
    MoveMouseTo(list->Header(), 90, 10);
    win32::input::ReleaseButton(win32::input::Button::Left);
    PumpUntilIdle();
    EXPECT_EQ(sized, 1);
    picture = BitmapOf(list->ListBox());
    EXPECT_FALSE(InkIn(picture.get(), clBlack, 0, 92, row, 2 * row));
    EXPECT_TRUE(InkIn(picture.get(), clBlack, 92, 140, row, 2 * row));

    // A style of the owner's hands every line to OnDrawItem.
    std::vector<Integer> drawn;
    list->OnDrawItem = [&](TWinControl* control, Integer index, TRect, TOwnerDrawState) {
        EXPECT_EQ(control, list->ListBox());
        drawn.push_back(index);
    };
    list->SetListBoxStyle(lbOwnerDrawFixed);
    picture = BitmapOf(list->ListBox());
    EXPECT_EQ(drawn, (std::vector<Integer>{0, 1, 2}));
    EXPECT_FALSE(InkIn(picture.get(), clBlack, 0, 290, 0, 3 * row));
}

TEST_F(HeaderListTest, MouseAndKeysSelectLinesInTheSelectedColour) {
    TZylHeaderList* list = NewList(300, 150);
    list->HeaderSections()->Add("Only");
    for (const char* name : {"one", "two", "three"})
        list->AddLine({name});
    list->SetSelectedColor(clRed);
    std::vector<TObject*> clicks;
    list->OnClick = [&](TObject* sender) { clicks.push_back(sender); };
    const int row = list->ItemHeight();
    ClickAt(list->ListBox(), 200, row + row / 2);
    EXPECT_EQ(list->ItemIndex(), 1);
    EXPECT_EQ(clicks, (std::vector<TObject*>{list}));
    PressKey(win32::VK_DOWN);
    EXPECT_EQ(list->ItemIndex(), 2);
    auto picture = BitmapOf(list->ListBox());
    EXPECT_EQ(At(picture.get(), 250, 2 * row + row / 2), ColorToRGB(clRed));
    EXPECT_EQ(At(picture.get(), 250, row + row / 2), ColorToRGB(clWhite));
}

TEST_F(HeaderListTest, SectionsItemHeightAndStyleAreStored) {
    auto* designed = new TForm(nullptr, 0);
    designed->SetName("Designed");
    auto* list = new TZylHeaderList(designed);
    list->SetName("List1");
    list->SetParent(designed);
    list->HeaderSections()->Add("");
    list->HeaderSections()->Add("Size");
    list->Header()->SetWidth(0, 33);
    list->SetDelimiter('|');
    const std::string standard = ComponentToText(designed);
    EXPECT_EQ(standard.find("ItemHeight"), std::string::npos) << "the standard style measures its rows";
    list->SetListBoxStyle(lbOwnerDrawFixed);
    list->SetItemHeight(30);
    const std::string text = ComponentToText(designed);
    EXPECT_EQ(ComponentToText(list).find("TZylHeader\n"), std::string::npos)
        << "its parts are not its children";
    designed->Free();

    TComponentPtr<TForm> loaded(new TForm(nullptr, 0));
    ReadComponentText(text, loaded.get());
    auto* read = dynamic_cast<TZylHeaderList*>(loaded->FindComponent("List1"));
    ASSERT_NE(read, nullptr);
    ASSERT_EQ(read->HeaderSections()->Count(), 2);
    EXPECT_EQ(read->HeaderSections()->Strings(0), "");
    EXPECT_EQ(read->Header()->GetWidth(0), 33);
    EXPECT_EQ(read->Delimiter(), '|');
    EXPECT_EQ(read->ListBoxStyle(), lbOwnerDrawFixed);
    EXPECT_EQ(read->ItemHeight(), 30);
}

}  // namespace header_tests
