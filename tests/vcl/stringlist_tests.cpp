// TStrings and TStringList: sorting, duplicates, text forms, name=value lines, change events,
// loading and saving.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "support/tempdir.h"
#include "vcl/classes.h"

using namespace vcl;

namespace {

std::vector<std::string> Lines(const TStrings& list) {
    std::vector<std::string> result;
    for (int i = 0; i < list.Count(); ++i)
        result.push_back(list.Strings(i));
    return result;
}

void Fill(TStrings& list, const std::vector<std::string>& lines) {
    list.Clear();
    for (const auto& line : lines)
        list.Add(line);
}

// Counts the instances alive, to see which ones a list frees.
class TCounted : public TObject {
    VCL_CLASS(TCounted, TObject)
public:
    static inline int alive = 0;
    TCounted() { ++alive; }
    ~TCounted() override { --alive; }
};

using Strings = std::vector<std::string>;

}  // namespace

// ---------------------------------------------------------------------------------------------
// Sorting, finding, duplicates

TEST(StringListSorted, AddPutsEachStringInItsPlace) {
    TStringList list;
    list.SetSorted(true);
    for (const char* s : {"pear", "Apple", "fig", "banana"})
        list.Add(s);
    EXPECT_EQ(Lines(list), (Strings{"Apple", "banana", "fig", "pear"}));
    EXPECT_EQ(list.IndexOf("FIG"), 2);
    EXPECT_EQ(list.IndexOf("kiwi"), -1);
}

TEST(StringListSorted, FindGivesTheInsertPositionWhenAbsent) {
    TStringList list;
    list.SetSorted(true);
    Fill(list, {"b", "d", "f"});
    struct Case {
        const char* s;
        bool found;
        int index;
    };
    for (const Case& c : {Case{"a", false, 0}, Case{"b", true, 0}, Case{"c", false, 1}, Case{"D", true, 1},
                          Case{"e", false, 2}, Case{"g", false, 3}}) {
        int index = -1;
        EXPECT_EQ(list.Find(c.s, index), c.found) << c.s;
        EXPECT_EQ(index, c.index) << c.s;
    }
}

TEST(StringListSorted, DuplicatePolicies) {
    TStringList ignore;
    ignore.SetSorted(true);
    Fill(ignore, {"a", "b"});
    EXPECT_EQ(ignore.Add("B"), 1);
    EXPECT_EQ(Lines(ignore), (Strings{"a", "b"}));

    TStringList accept;
    accept.SetDuplicates(dupAccept);
    accept.SetSorted(true);
    Fill(accept, {"b", "a", "b", "b"});
    EXPECT_EQ(Lines(accept), (Strings{"a", "b", "b", "b"}));
    int index = -1;
    EXPECT_TRUE(accept.Find("b", index));
    EXPECT_EQ(index, 1) << "the first of equal strings";

    TStringList error;
    error.SetDuplicates(dupError);
    error.SetSorted(true);
    error.Add("x");
    try {
        error.Add("X");
        FAIL() << "duplicate accepted";
    } catch (const EStringListError& e) {
        EXPECT_EQ(e.Message(), "String list does not allow duplicates");
    }
    EXPECT_EQ(error.Count(), 1);

    // Duplicates apply only to sorted lists.
    TStringList unsorted;
    unsorted.SetDuplicates(dupError);
    Fill(unsorted, {"x", "x"});
    EXPECT_EQ(unsorted.Count(), 2);
}

TEST(StringListSorted, PositionalEditsAreRefused) {
    TStringList list;
    list.SetSorted(true);
    Fill(list, {"a", "c"});
    for (auto action : std::vector<std::function<void()>>{
             [&] { list.Insert(0, "b"); }, [&] { list.SetStrings(0, "z"); }, [&] { list.Move(0, 1); }}) {
        try {
            action();
            ADD_FAILURE() << "allowed";
        } catch (const EStringListError& e) {
            EXPECT_EQ(e.Message(), "Operation not allowed on sorted string list");
        }
    }
    EXPECT_EQ(Lines(list), (Strings{"a", "c"}));
}

TEST(StringListSorted, SortMatchesAReferenceOrderOnManyStrings) {
    std::mt19937 random(7);
    TStringList list;
    list.SetDuplicates(dupAccept);
    std::vector<std::string> reference;
    for (int i = 0; i < 5000; ++i) {
        std::string s;
        for (int n = static_cast<int>(random() % 6); n >= 0; --n)
            s += "aBcD"[random() % 4];
        list.Add(s);
        reference.push_back(s);
    }
    list.Sort();
    std::vector<std::string> lines = Lines(list);
    EXPECT_TRUE(std::is_sorted(lines.begin(), lines.end(), [](const std::string& a, const std::string& b) {
        return CompareText(a, b) < 0;
    }));
    std::sort(lines.begin(), lines.end());
    std::sort(reference.begin(), reference.end());
    EXPECT_EQ(lines, reference);
}

TEST(StringListSorted, CaseSensitivityChangesOrderAndMatching) {
    TStringList list;
    Fill(list, {"b", "B", "a", "A"});
    EXPECT_EQ(list.IndexOf("a"), 2);
    EXPECT_EQ(list.IndexOf("B"), 0);
    list.SetCaseSensitive(true);
    EXPECT_EQ(list.IndexOf("B"), 1);
    list.SetSorted(true);
    EXPECT_EQ(Lines(list), (Strings{"A", "B", "a", "b"}));
    list.SetCaseSensitive(false);
    Strings lines = Lines(list);
    EXPECT_TRUE(std::is_sorted(lines.begin(), lines.end(), [](const std::string& a, const std::string& b) {
        return CompareText(a, b) < 0;
    }));
}

TEST(StringListSorted, CustomSortUsesTheCallerOrder) {
    TStringList list;
    Fill(list, {"ccc", "a", "bb", "dddd"});
    list.CustomSort([](TStringList* l, int i, int j) {
        return static_cast<int>(l->Strings(j).size()) - static_cast<int>(l->Strings(i).size());
    });
    EXPECT_EQ(Lines(list), (Strings{"dddd", "ccc", "bb", "a"}));
}

// ---------------------------------------------------------------------------------------------
// Editing

TEST(StringListEditing, IndexErrorsNameTheIndex) {
    TStringList list;
    Fill(list, {"a", "b"});
    struct Case {
        std::function<void()> action;
        const char* message;
    };
    const Case cases[] = {
        {[&] { list.Strings(2); }, "List index out of bounds (2)"},
        {[&] { list.Objects(-1); }, "List index out of bounds (-1)"},
        {[&] { list.Delete(5); }, "List index out of bounds (5)"},
        {[&] { list.Insert(3, "x"); }, "List index out of bounds (3)"},
        {[&] { list.Exchange(0, 2); }, "List index out of bounds (2)"},
        {[&] { list.Move(0, 2); }, "List index out of bounds (2)"},
        {[&] { list.SetCapacity(1); }, "List capacity out of bounds (1)"},
    };
    for (const Case& c : cases) {
        try {
            c.action();
            ADD_FAILURE() << "expected " << c.message;
        } catch (const EStringListError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
    EXPECT_EQ(Lines(list), (Strings{"a", "b"}));
}

TEST(StringListEditing, MoveExchangeAndObjectsTravelTogether) {
    TStringList list;
    TCounted one, two;
    list.AddObject("one", &one);
    list.AddObject("two", &two);
    list.Add("three");
    list.Move(0, 2);
    EXPECT_EQ(Lines(list), (Strings{"two", "three", "one"}));
    EXPECT_EQ(list.Objects(2), &one);
    list.Exchange(0, 2);
    EXPECT_EQ(list.Objects(0), &one);
    EXPECT_EQ(list.IndexOfObject(&two), 2);
    EXPECT_EQ(list.IndexOfObject(nullptr), 1);
}

TEST(StringListEditing, OwnedObjectsAreFreedWithTheirLines) {
    ASSERT_EQ(TCounted::alive, 0);
    {
        TStringList list(true);
        list.AddObject("a", new TCounted);
        list.AddObject("b", new TCounted);
        list.AddObject("c", new TCounted);
        list.Delete(0);
        EXPECT_EQ(TCounted::alive, 2);
        list.Move(0, 1);
        EXPECT_EQ(TCounted::alive, 2) << "moving keeps the objects";
    }
    EXPECT_EQ(TCounted::alive, 0);
}

TEST(StringListEditing, AssignCopiesLinesObjectsAndSettings) {
    TStringList source;
    TCounted object;
    source.AddObject("x=1", &object);
    source.Add("y");
    source.SetDelimiter(';');
    TStringList dest;
    dest.Add("old");
    dest.Assign(&source);
    EXPECT_EQ(Lines(dest), (Strings{"x=1", "y"}));
    EXPECT_EQ(dest.Objects(0), &object);
    EXPECT_EQ(dest.Delimiter(), ';');
    EXPECT_TRUE(dest.Equals(source));
    dest.SetStrings(1, "Y");
    EXPECT_FALSE(dest.Equals(source));

    TPersistent other;
    EXPECT_THROW(dest.Assign(&other), EConvertError);
}

// ---------------------------------------------------------------------------------------------
// Text

TEST(StringListText, SetTextSplitsAtEveryKindOfLineBreak) {
    struct Case {
        std::string text;
        Strings lines;
    };
    const Case cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\nb", {"a", "b"}},
        {"a\nb\n", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\n\rb", {"a", "", "b"}},
        {"a\r\r\nb", {"a", "", "b"}},
        {"\r\n", {""}},
        {"\n\n", {"", ""}},
        {std::string("x\0y\nz", 5), {std::string("x\0y", 3), "z"}},
    };
    for (const Case& c : cases) {
        TStringList list;
        list.SetText(c.text);
        EXPECT_EQ(Lines(list), c.lines) << ::testing::PrintToString(c.text);
    }
}

TEST(StringListText, TextEndsEveryLineWithTheLineBreak) {
    TStringList list;
    EXPECT_EQ(list.Text(), "");
    Fill(list, {"a", "", "b"});
    EXPECT_EQ(list.Text(), "a\r\n\r\nb\r\n");
    list.SetLineBreak("|");
    EXPECT_EQ(list.Text(), "a||b|");
    list.SetText("p|q|");
    EXPECT_EQ(Lines(list), (Strings{"p", "q"}));
}

TEST(StringListText, CommaTextQuotesAwkwardItems) {
    struct Case {
        Strings lines;
        const char* text;
    };
    const Case cases[] = {
        {{}, ""},
        {{""}, "\"\""},
        {{"a", "b"}, "a,b"},
        {{"a", "", "b"}, "a,,b"},
        {{"a b"}, "\"a b\""},
        {{"a,b"}, "\"a,b\""},
        {{"say \"hi\""}, "\"say \"\"hi\"\"\""},
        {{"tab\there"}, "\"tab\there\""},
        {{"Grüße", "x"}, "Grüße,x"},
    };
    for (const Case& c : cases) {
        TStringList list;
        Fill(list, c.lines);
        EXPECT_EQ(list.CommaText(), c.text);
        TStringList back;
        back.SetCommaText(c.text);
        EXPECT_EQ(Lines(back), c.lines) << c.text;
    }
}

TEST(StringListText, CommaTextParsingFollowsTheFrameworkRules) {
    struct Case {
        const char* text;
        Strings lines;
    };
    const Case cases[] = {
        {"a b  c", {"a", "b", "c"}},
        {"  a , b ", {"a", "b"}},
        {"a,", {"a", ""}},
        {",a", {"", "a"}},
        {"a, ", {"a"}},
        {"\"x\"\"y\",z", {"x\"y", "z"}},
        {"\"ab\"cd,e", {"ab", "cd", "e"}},
        {"\"unterminated", {"unterminated"}},
        {"a\x01"
         "b",
         {"a", "b"}},
    };
    for (const Case& c : cases) {
        TStringList list;
        list.SetCommaText(c.text);
        EXPECT_EQ(Lines(list), c.lines) << c.text;
    }
}

TEST(StringListText, DelimitedTextWithOwnDelimiterQuoteAndStrictness) {
    TStringList list;
    list.SetDelimiter(';');
    list.SetQuoteChar('\'');
    Fill(list, {"a b", "c;d", "it's", "e,f"});
    EXPECT_EQ(list.DelimitedText(), "'a b';'c;d';'it''s';e,f");
    EXPECT_EQ(list.CommaText(), "\"a b\",c;d,it's,\"e,f\"");

    list.SetStrictDelimiter(true);
    EXPECT_EQ(list.DelimitedText(), "a b;'c;d';'it''s';e,f");
    list.SetDelimitedText(" x y ; z\n;'q;r'");
    EXPECT_EQ(Lines(list), (Strings{" x y ", " z\n", "q;r"}));

    TStringList round;
    round.SetStrictDelimiter(true);
    Fill(round, {std::string("nul\0inside", 10), " lead", "trail "});
    std::string text = round.DelimitedText();
    round.SetDelimitedText(text);
    EXPECT_EQ(Lines(round), (Strings{std::string("nul\0inside", 10), " lead", "trail "}));
}

// ---------------------------------------------------------------------------------------------
// Names and values

TEST(StringListValues, NamesValuesAndSeparator) {
    TStringList list;
    Fill(list, {"Width=10", "plain", "Caption=a=b", "empty="});
    EXPECT_EQ(list.Names(0), "Width");
    EXPECT_EQ(list.Names(1), "");
    EXPECT_EQ(list.Values("width"), "10");
    EXPECT_EQ(list.Values("Caption"), "a=b");
    EXPECT_EQ(list.Values("plain"), "");
    EXPECT_EQ(list.Values("missing"), "");
    EXPECT_EQ(list.IndexOfName("EMPTY"), 3);
    EXPECT_EQ(list.ValueFromIndex(1), "");
    EXPECT_EQ(list.ValueFromIndex(2), "a=b");
    EXPECT_EQ(list.ValueFromIndex(-1), "");

    list.SetValues("WIDTH", "20");
    EXPECT_EQ(list.Strings(0), "WIDTH=20");
    list.SetValues("Height", "5");
    EXPECT_EQ(list.Strings(4), "Height=5");
    list.SetValues("caption", "");
    EXPECT_EQ(Lines(list), (Strings{"WIDTH=20", "plain", "empty=", "Height=5"}));
    list.SetValues("nothing", "");
    EXPECT_EQ(list.Count(), 4);
    list.SetValueFromIndex(3, "6");
    EXPECT_EQ(list.Strings(3), "Height=6");

    list.SetNameValueSeparator(':');
    list.Add("Key:Value");
    EXPECT_EQ(list.Values("key"), "Value");
    EXPECT_EQ(list.Names(0), "");
}

// ---------------------------------------------------------------------------------------------
// Change events

TEST(StringListEvents, EveryChangeOutsideAnUpdateRaisesBothEvents) {
    TStringList list;
    int changing = 0, changed = 0;
    list.OnChanging = [&](TObject* sender) {
        EXPECT_EQ(sender, &list);
        ++changing;
    };
    list.OnChange = [&](TObject*) { ++changed; };
    list.Add("a");
    list.Add("b");
    list.SetStrings(0, "c");
    list.Exchange(0, 1);
    list.Delete(0);
    list.Clear();
    list.Clear();  // nothing to clear
    EXPECT_EQ(changing, 6);
    EXPECT_EQ(changed, 6);
}

TEST(StringListEvents, AnUpdateReportsOnceAndOnlyIfSomethingChanged) {
    TStringList list;
    int changing = 0, changed = 0;
    list.OnChanging = [&](TObject*) { ++changing; };
    list.OnChange = [&](TObject*) { ++changed; };

    list.BeginUpdate();
    list.BeginUpdate();
    list.Add("a");
    list.Add("b");
    list.EndUpdate();
    EXPECT_EQ(changed, 0) << "still inside the outer update";
    list.Add("c");
    list.EndUpdate();
    EXPECT_EQ(changing, 1);
    EXPECT_EQ(changed, 1);

    list.BeginUpdate();
    list.EndUpdate();
    list.EndUpdate();  // unmatched, ignored
    EXPECT_EQ(changed, 1);

    list.SetText("x\ny\nz");
    list.SetCommaText("p,q");
    EXPECT_EQ(changed, 3);
    EXPECT_EQ(changing, 3);
}

// ---------------------------------------------------------------------------------------------
// Loading and saving

TEST(StringListFiles, SaveAndLoadRoundTripThroughAFile) {
    zyltest::TempDir dir;
    std::string path = dir.File("lines.txt");
    TStringList list;
    Fill(list, {"first", std::string("with\0nul", 8), "", "Grüße"});
    list.SaveToFile(path);

    TMemoryStream raw;
    raw.LoadFromFile(path);
    EXPECT_EQ(std::string(static_cast<const char*>(raw.Memory()), static_cast<size_t>(raw.Size())),
              list.Text());

    TStringList back;
    back.LoadFromFile(path);
    EXPECT_EQ(Lines(back), Lines(list));
    EXPECT_THROW(back.LoadFromFile(dir.File("missing.txt")), EFOpenError);
}

TEST(StringListFiles, LoadSkipsAByteOrderMarkAndReadsFromThePosition) {
    TStringStream stream(
        "skip\xEF\xBB\xBF"
        "one\r\ntwo");
    stream.SetPosition(4);
    TStringList list;
    list.LoadFromStream(stream);
    EXPECT_EQ(Lines(list), (Strings{"one", "two"}));

    TMemoryStream memory;
    memory.WriteString("\xEF\xBB\xBF\xEF\xBB\xBFx");
    memory.SetPosition(0);
    list.LoadFromStream(memory);
    EXPECT_EQ(Lines(list), (Strings{"\xEF\xBB\xBFx"})) << "only one mark is skipped";

    TMemoryStream out;
    list.SaveToStream(out);
    EXPECT_EQ(out.Size(), 6) << "the mark is not written back";
}
