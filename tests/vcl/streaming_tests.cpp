// Form files: what is written, round trips, reference fix-up, events, and bad input.
#include <gtest/gtest.h>

#include <cmath>

#include "support/sample_components.h"
#include "support/tempdir.h"

using namespace vcl;
using namespace zyltest;

namespace {

class Streaming : public ::testing::Test {
protected:
    void SetUp() override { RegisterSampleClasses(); }

    // A root with one component of every property kind set away from its default.
    static TSamplePanel* FullForm() {
        auto* form = new TSamplePanel(nullptr);
        form->SetName("Form1");
        form->RegisterMethod<TNotifyEvent>("Form1Click", [](TObject*) {});
        auto* target = new TSampleComponent(form);
        target->SetName("Target");
        target->SetDesignInfo((20 << 16) | 10);
        auto* s = new TSampleComponent(form);
        s->SetName("S1");
        s->SetCaption("It's \"quoted\"\r\nand\ttabbed");
        s->SetCount(-7);
        s->SetBig(int64_t{1} << 40);
        s->SetSmall(65535);
        s->SetRatio(0.1);
        s->SetEnabled(false);
        s->SetStyle(TSampleStyle::stFancy);
        s->SetOptions({TSampleOption::soShadow, TSampleOption::soAutoSize});
        s->SetColor(0x0000FF);
        s->SetTag(3);
        s->Font()->SetName("Courier New");
        s->Font()->SetStyle({TSampleFontStyle::fsBold, TSampleFontStyle::fsUnderline});
        s->Lines()->Add("first");
        s->Lines()->Add("");
        s->Lines()->Add("third");
        auto* item = static_cast<TSampleItem*>(s->Items()->Add());
        item->SetCaption("one");
        item = static_cast<TSampleItem*>(s->Items()->Add());
        item->SetWidth(80);
        item->SetVisible(false);
        s->SetLink(target);
        s->SetSecret("never written");
        s->SetData(std::string("\x00\x01\xFEz", 4));
        s->BindEvent("OnClick", form, "Form1Click");
        return form;
    }
};

constexpr std::string_view kFullFormText =
    "object Form1: TSamplePanel\n"
    "  object Target: TSampleComponent\n"
    "    Left = 10\n"
    "    Top = 20\n"
    "  end\n"
    "  object S1: TSampleComponent\n"
    "    Tag = 3\n"
    "    Caption = 'It''s \"quoted\"'#13#10'and'#9'tabbed'\n"
    "    Count = -7\n"
    "    Big = 1099511627776\n"
    "    Small = 65535\n"
    "    Ratio = 0.1\n"
    "    Enabled = False\n"
    "    Style = stFancy\n"
    "    Options = [soAutoSize, soShadow]\n"
    "    Color = clRed\n"
    "    Font.Name = 'Courier New'\n"
    "    Font.Style = [fsBold, fsUnderline]\n"
    "    Lines.Strings = (\n"
    "      'first'\n"
    "      ''\n"
    "      'third')\n"
    "    Items = <\n"
    "      item\n"
    "        Caption = 'one'\n"
    "      end\n"
    "      item\n"
    "        Width = 80\n"
    "        Visible = False\n"
    "      end>\n"
    "    Link = Target\n"
    "    OnClick = Form1Click\n"
    "    Data = {\n"
    "      0001FE7A}\n"
    "  end\n"
    "end\n";

TComponentPtr<TSamplePanel> ReadForm(std::string_view text) {
    TComponentPtr<TSamplePanel> form(new TSamplePanel(nullptr));
    form->RegisterMethod<TNotifyEvent>("Form1Click", [](TObject*) {});
    ReadComponentText(text, form.get());
    return form;
}

// The message of the EReadError that reading text raises, or "" when it reads.
std::string ReadError(std::string_view text) {
    TComponentPtr<TSamplePanel> form(new TSamplePanel(nullptr));
    form->RegisterMethod<TNotifyEvent>("Form1Click", [](TObject*) {});
    try {
        ReadComponentText(text, form.get());
    } catch (const EReadError& e) {
        EXPECT_EQ(form->ComponentCount(), 0) << "half-read components left behind: " << text;
        EXPECT_FALSE(form->IsLoading());
        return e.Message();
    }
    return "";
}

TEST_F(Streaming, WritesOnlyWhatDiffersFromTheDefaults) {
    TComponentPtr<TSampleComponent> plain(new TSampleComponent(nullptr));
    plain->SetName("Plain");
    plain->SetHidden(42);  // a value its stored rule keeps out of the file
    EXPECT_EQ(ComponentToText(plain.get()), "object Plain: TSampleComponent\nend\n");
    plain->SetHidden(41);
    EXPECT_EQ(ComponentToText(plain.get()), "object Plain: TSampleComponent\n  Hidden = 41\nend\n");
    plain->SetOptions({});  // an empty set differs from a non-empty default
    EXPECT_NE(ComponentToText(plain.get()).find("Options = []"), std::string::npos);
}

TEST_F(Streaming, WritesEveryPropertyKindInDeclaredOrder) {
    TComponentPtr<TSamplePanel> form(FullForm());
    EXPECT_EQ(ComponentToText(form.get()), kFullFormText);
}

TEST_F(Streaming, RoundTripGivesTheSameTextAndValues) {
    TComponentPtr<TSamplePanel> original(FullForm());
    std::string text = ComponentToText(original.get());
    auto copy = ReadForm(text);
    EXPECT_EQ(ComponentToText(copy.get()), text);

    auto* s = static_cast<TSampleComponent*>(copy->FindComponent("S1"));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->Caption(), "It's \"quoted\"\r\nand\ttabbed");
    EXPECT_EQ(s->Big(), int64_t{1} << 40);
    EXPECT_EQ(s->Ratio(), 0.1);
    EXPECT_EQ(s->Options(), (TSampleOptions{TSampleOption::soShadow, TSampleOption::soAutoSize}));
    EXPECT_EQ(s->Lines()->Text(), "first\r\n\r\nthird\r\n");
    EXPECT_EQ(s->Items()->Count(), 2);
    EXPECT_EQ(static_cast<TSampleItem*>(s->Items()->Items(1))->Width(), 80);
    EXPECT_EQ(s->Link(), copy->FindComponent("Target"));
    EXPECT_EQ(s->Data(), std::string("\x00\x01\xFEz", 4));
    EXPECT_EQ(s->Secret(), "");  // not stored, so it keeps its constructor value
    EXPECT_TRUE(static_cast<bool>(s->OnClick));
    EXPECT_EQ(copy->FindComponent("Target")->DesignInfo(), (20 << 16) | 10);
}

TEST_F(Streaming, StringsOfEveryShapeSurviveARoundTrip) {
    const std::string cases[] = {
        "",
        "'",
        "''''",
        std::string("nul\0inside", 10),
        "\x7f\x01\x1f",
        "ünïcödé 日本語 🎉",
        std::string(200, 'x'),
        std::string(63, 'a') + "é" + std::string(70, 'b'),  // a piece boundary inside a sequence
        std::string("\xff\xfe raw bytes"),
    };
    for (const std::string& value : cases) {
        TComponentPtr<TSampleComponent> s(new TSampleComponent(nullptr));
        s->SetName("S");
        s->SetCaption(value);
        s->Lines()->Add(value);
        std::string text = ComponentToText(s.get());
        TComponentPtr<TSampleComponent> copy(new TSampleComponent(nullptr));
        ReadComponentText(text, copy.get());
        EXPECT_EQ(copy->Caption(), value);
        ASSERT_EQ(copy->Lines()->Count(), 1);
        EXPECT_EQ(copy->Lines()->Strings(0), value);
        EXPECT_EQ(ComponentToText(copy.get()), text);
    }
}

TEST_F(Streaming, LongStringsAreSplitIntoJoinedPieces) {
    TComponentPtr<TSampleComponent> s(new TSampleComponent(nullptr));
    s->SetCaption(std::string(100, 'q'));
    std::string text = ComponentToText(s.get());
    EXPECT_NE(text.find("'" + std::string(64, 'q') + "' +\n    '" + std::string(36, 'q') + "'"),
              std::string::npos)
        << text;
}

TEST_F(Streaming, FloatsKeepEveryBit) {
    for (double value : {0.1, -1e-300, 1.7976931348623157e308, 123456789.125, -0.0, 5e-324}) {
        TComponentPtr<TSampleComponent> s(new TSampleComponent(nullptr));
        s->SetRatio(value);
        TComponentPtr<TSampleComponent> copy(new TSampleComponent(nullptr));
        ReadComponentText(ComponentToText(s.get()), copy.get());
        EXPECT_EQ(copy->Ratio(), value);
        EXPECT_EQ(std::signbit(copy->Ratio()), std::signbit(value));
    }
}

TEST_F(Streaming, ChildrenAreWrittenInsideTheirParent) {
    TComponentPtr<TSamplePanel> form(new TSamplePanel(nullptr));
    form->SetName("Form1");
    auto* panel = new TSamplePanel(form.get());
    panel->SetName("Panel1");
    panel->SetParentComponent(form.get());
    auto* inner = new TSamplePanel(form.get());
    inner->SetName("Inner");
    inner->SetParentComponent(panel);
    auto* loose = new TSampleComponent(form.get());
    loose->SetName("Loose");
    const std::string text = ComponentToText(form.get());
    EXPECT_EQ(text,
              "object Form1: TSamplePanel\n"
              "  object Loose: TSampleComponent\n"
              "  end\n"
              "  object Panel1: TSamplePanel\n"
              "    object Inner: TSamplePanel\n"
              "    end\n"
              "  end\n"
              "end\n");
    auto copy = ReadForm(text);
    auto* readInner = copy->FindComponent("Inner");
    ASSERT_NE(readInner, nullptr);
    EXPECT_EQ(readInner->Owner(), copy.get());
    EXPECT_EQ(readInner->GetParentComponent(), copy->FindComponent("Panel1"));
    EXPECT_EQ(ComponentToText(copy.get()), text);
}

TEST_F(Streaming, ReferencesAreResolvedBeforeLoadedRunsOnEveryComponent) {
    std::vector<std::string> log;
    const char* text =
        "object Form1: TSamplePanel\n"
        "  object First: TSampleComponent\n"
        "    Link = Last\n"
        "  end\n"
        "  object Last: TSampleComponent\n"
        "    Link = Form1\n"
        "  end\n"
        "end\n";
    TComponentPtr<TSamplePanel> form(new TSamplePanel(nullptr));
    TSampleComponent::loadLog = &log;
    ReadComponentText(text, form.get());
    TSampleComponent::loadLog = nullptr;
    auto* first = static_cast<TSampleComponent*>(form->FindComponent("First"));
    auto* last = static_cast<TSampleComponent*>(form->FindComponent("Last"));
    EXPECT_TRUE(first->loadedCalled);
    EXPECT_TRUE(first->linkResolvedAtLoaded);
    EXPECT_EQ(last->Link(), form.get());
    EXPECT_FALSE(first->IsLoading());
    EXPECT_FALSE(form->IsLoading());
    EXPECT_EQ(log, (std::vector<std::string>{"Form1", "First", "Last"}));
}

TEST_F(Streaming, ReadingIntoNothingCreatesTheRootFromItsClassName) {
    TComponentPtr<TComponent> owner(new TComponent(nullptr));
    TComponent* root = TextToComponent("object Made: TSampleComponent\n  Count = 5\nend\n", owner.get());
    ASSERT_NE(dynamic_cast<TSampleComponent*>(root), nullptr);
    EXPECT_EQ(root->Owner(), owner.get());
    EXPECT_EQ(static_cast<TSampleComponent*>(root)->Count(), 5);
    // A failing read leaves nothing in the owner.
    EXPECT_THROW(TextToComponent("object Bad: TSampleComponent\n  Count = x\nend\n", owner.get()),
                 EReadError);
    EXPECT_EQ(owner->ComponentCount(), 1);
}

TEST_F(Streaming, ReferencesIntoOtherRootsWaitForThem) {
    static TComponent* other = nullptr;
    RegisterFindGlobalComponent([](std::string_view name) -> TComponent* {
        return other && SameText(other->Name(), name) ? other : nullptr;
    });
    TComponentPtr<TSamplePanel> form(new TSamplePanel(nullptr));
    ReadComponentText(
        "object Form1: TSamplePanel\n"
        "  object User: TSampleComponent\n"
        "    Link = DataModule7.Source\n"
        "  end\n"
        "end\n",
        form.get());
    auto* user = static_cast<TSampleComponent*>(form->FindComponent("User"));
    EXPECT_EQ(user->Link(), nullptr);

    TComponentPtr<TSamplePanel> module(new TSamplePanel(nullptr));
    other = module.get();
    ReadComponentText(
        "object DataModule7: TSamplePanel\n"
        "  object Source: TSampleComponent\n"
        "  end\n"
        "end\n",
        module.get());
    EXPECT_EQ(user->Link(), module->FindComponent("Source"));
    EXPECT_EQ(ComponentToText(form.get()),
              "object Form1: TSamplePanel\n"
              "  object User: TSampleComponent\n"
              "    Link = DataModule7.Source\n"
              "  end\n"
              "end\n");
    user->SetLink(nullptr);
    other = nullptr;
}

TEST_F(Streaming, FilesRoundTrip) {
    TempDir dir;
    TComponentPtr<TSamplePanel> form(FullForm());
    WriteComponentFile(dir.File("form.dfm"), form.get());
    TComponentPtr<TSamplePanel> copy(new TSamplePanel(nullptr));
    copy->RegisterMethod<TNotifyEvent>("Form1Click", [](TObject*) {});
    ReadComponentFile(dir.File("form.dfm"), copy.get());
    EXPECT_EQ(ComponentToText(copy.get()), kFullFormText);
    EXPECT_THROW(ReadComponentFile(dir.File("missing.dfm"), copy.get()), EFOpenError);
}

TEST_F(Streaming, BadInputRaisesReadErrorsNamingLineAndProperty) {
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"", "'object' expected on line 1"},
        {"object Form1: TSamplePanel\n", "'end' expected on line 2"},
        {"object Form1: TSamplePanel\n  Count = 1\n", "'end' expected on line 3"},
        {"object Form1: TSamplePanel\nend\nextra", "End of file expected on line 3"},
        {"object Form1: TWrongRoot\nend\n",
         "Class TWrongRoot does not match the root class TSamplePanel on line 1"},
        {"object Form1: TSamplePanel\n  object X: TNoSuchClass\n  end\nend\n",
         "Class TNoSuchClass not found on line 2"},
        {"object Form1: TSamplePanel\n  object X: TSampleFont\n  end\nend\n",
         "Class TSampleFont is not a component class on line 2"},
        {"object Form1: TSamplePanel\n  Bogus = 1\nend\n",
         "Error reading Form1.Bogus: Property Bogus does not exist on line 2"},
        {"object Form1: TSamplePanel\n  Font.Bogus = 1\nend\n",
         "Error reading Form1.Font.Bogus: Property Bogus does not exist on line 2"},
        {"object Form1: TSamplePanel\n  Caption.Bogus = 1\nend\n",
         "Error reading Form1.Caption.Bogus: Property Caption does not exist on line 2"},
        {"object Form1: TSamplePanel\n  Style = stNope\nend\n",
         "Error reading Form1.Style: Invalid enumeration value 'stNope' on line 2"},
        {"object Form1: TSamplePanel\n  Options = [soShadow, soNope]\nend\n",
         "Error reading Form1.Options: Invalid set element 'soNope' on line 2"},
        {"object Form1: TSamplePanel\n  Options = [soShadow\nend\n",
         "Error reading Form1.Options: ',' expected on line 3"},
        {"object Form1: TSamplePanel\n  Count = 'text'\nend\n",
         "Error reading Form1.Count: Number expected on line 2"},
        {"object Form1: TSamplePanel\n  Count = 99999999999\nend\n",
         "Error reading Form1.Count: Value 99999999999 out of range on line 2"},
        {"object Form1: TSamplePanel\n  Small = -1\nend\n",
         "Error reading Form1.Small: Value -1 out of range on line 2"},
        {"object Form1: TSamplePanel\n  Big = 99999999999999999999\nend\n",
         "Error reading Form1.Big: Number too large on line 2"},
        {"object Form1: TSamplePanel\n  Color = clPlaid\nend\n",
         "Error reading Form1.Color: Invalid property value 'clPlaid' on line 2"},
        {"object Form1: TSamplePanel\n  Caption = 'open\nend\n",
         "Error reading Form1.Caption: Unterminated string on line 2"},
        {"object Form1: TSamplePanel\n  Caption = #99999999\nend\n",
         "Error reading Form1.Caption: Invalid character code on line 2"},
        {"object Form1: TSamplePanel\n  Caption = 'a' +\nend\n",
         "Error reading Form1.Caption: String expected on line 3"},
        {"object Form1: TSamplePanel\n  Enabled = Maybe\nend\n",
         "Error reading Form1.Enabled: Invalid enumeration value 'Maybe' on line 2"},
        {"object Form1: TSamplePanel\n  OnClick = NoSuchMethod\nend\n",
         "Error reading Form1.OnClick: Method NoSuchMethod not found on line 2"},
        {"object Form1: TSamplePanel\n  Link = Nobody\nend\n",
         "Error reading Form1.Link: Component Nobody not found on line 2"},
        {"object Form1: TSamplePanel\n  Link = Form1\n  object B: TSampleComponent\n  end\nend\n", ""},
        {"object Form1: TSamplePanel\n  Lines.Strings = (\n    'a'\nend\n",
         "Error reading Form1.Lines.Strings: String expected on line 4"},
        {"object Form1: TSamplePanel\n  Lines = 'x'\nend\n",
         "Error reading Form1.Lines: Invalid property value on line 2"},
        {"object Form1: TSamplePanel\n  Items = <\n    item\n      Width = x\n    end>\nend\n",
         "Error reading Form1.Items[0].Width: Number expected on line 4"},
        {"object Form1: TSamplePanel\n  Items = <\n    thing\n  >\nend\n",
         "Error reading Form1.Items: 'item' expected on line 3"},
        {"object Form1: TSamplePanel\n  Data = {0G}\nend\n",
         "Error reading Form1.Data: Invalid binary value on line 2"},
        {"object Form1: TSamplePanel\n  Data = {123}\nend\n",
         "Error reading Form1.Data: Invalid binary value on line 2"},
        {"object Form1: TSamplePanel\n  Data = {00\n",
         "Error reading Form1.Data: Unterminated binary data on line 2"},
        {"object Form1: TSamplePanel\n  object A: TSampleComponent\n  end\n  object a: TSampleComponent\n  "
         "end\nend\n",
         "Error reading a: A component named a already exists on line 4"},
        {"object Form1: TSamplePanel\n  object A: TSampleComponent\n    Count = 1\n    Count = x\n  "
         "end\nend\n",
         "Error reading A.Count: Number expected on line 4"},
        {"inherited Form1: TSamplePanel\nend\n", "'inherited' objects are not supported on line 1"},
        {"object Form1: TSamplePanel\n  Ratio = 1e999\nend\n",
         "Error reading Form1.Ratio: Invalid number on line 2"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReadError(c.text), c.message) << c.text;
}

TEST_F(Streaming, HostileNestingIsRefusedNotRecursedInto) {
    std::string text = "object Form1: TSamplePanel\n";
    for (int i = 0; i < 10000; ++i)
        text += "object P" + std::to_string(i) + ": TSamplePanel\n";
    EXPECT_NE(ReadError(text).find("Objects nested too deeply"), std::string::npos);
}

TEST_F(Streaming, AFailedReadIntoAFreshRootLeavesNothing) {
    // Errors after children exist, in fix-up, still free every component the read made.
    TComponentPtr<TComponent> owner(new TComponent(nullptr));
    EXPECT_THROW(TextToComponent("object F: TSamplePanel\n"
                                 "  object A: TSampleComponent\n    Link = Missing\n  end\n"
                                 "end\n",
                                 owner.get()),
                 EReadError);
    EXPECT_EQ(owner->ComponentCount(), 0);
}

}  // namespace
