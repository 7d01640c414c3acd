// The stock property editors, driven as an inspector drives them.
#include "design_fixture.h"
#include "vcl/extctrls.h"

namespace designtest {
namespace {

using EditorsTest = DesignTest;

TEST(PropertyTypeNames, EachKindCarriesItsDeclaredTypeName) {
    const std::pair<const char*, const char*> widget[] = {
        {"Count", "Integer"},  {"Tiny", "ShortInt"},   {"Level", "Byte"},      {"Span", "Word"},
        {"Wide", "Cardinal"},  {"Huge", "Int64"},      {"Short", "SmallInt"},  {"Letter", "Char"},
        {"Ratio", "Extended"}, {"Enabled", "Boolean"}, {"Shade", "TDsgShade"}, {"Parts", "set of TDsgPart"},
        {"Title", "string"},   {"Paint", "TColor"},    {"RuleA", "TDsgRuleA"}, {"Buddy", "TDsgWidget"},
        {"Font", "TFont"},     {"Core", "TDsgCore"},
    };
    for (auto [name, type] : widget) {
        const TPropInfo* info = TDsgWidget::StaticClass()->FindProperty(name);
        ASSERT_NE(info, nullptr) << name;
        EXPECT_EQ(info->typeName, type) << name;
    }
    const std::tuple<TClass, const char*, const char*> framework[] = {
        {TLabel::StaticClass(), "Align", "TAlign"},           {TLabel::StaticClass(), "Caption", "TCaption"},
        {TPanel::StaticClass(), "Color", "TColor"},           {TFont::StaticClass(), "Color", "TColor"},
        {TFont::StaticClass(), "Style", "set of TFontStyle"}, {TComponent::StaticClass(), "Name", "string"},
    };
    for (auto [cls, name, type] : framework)
        EXPECT_EQ(cls->FindProperty(name)->typeName, type) << cls->name << "." << name;
}

TEST_F(EditorsTest, IntegersAreRangeCheckedWithTheFrameworksMessages) {
    TDsgWidget* w = DropWidget();
    auto count = Editor(w, "Count");
    EXPECT_EQ(count->ClassType(), TIntegerProperty::StaticClass());
    EXPECT_EQ(count->GetAttributes(), (TPropertyAttributes{paMultiSelect, paRevertable}));
    count->SetValue("42");
    EXPECT_EQ(w->Count(), 42);
    count->SetValue("$10");
    EXPECT_EQ(count->GetValue(), "16");
    EXPECT_EQ(MessageOf<EConvertError>([&] { count->SetValue("4x2"); }),
              "'4x2' is not a valid integer value");
    EXPECT_EQ(w->Count(), 16);

    const std::tuple<const char*, const char*, const char*> outOfRange[] = {
        {"Tiny", "128", "Value must be between -128 and 127"},
        {"Level", "-1", "Value must be between 0 and 255"},
        {"Span", "65536", "Value must be between 0 and 65535"},
        {"Short", "-32769", "Value must be between -32768 and 32767"},
        {"Count", "2147483648", "Value must be between -2147483648 and 2147483647"},
    };
    for (auto [name, text, message] : outOfRange)
        EXPECT_EQ(MessageOf<EPropertyError>([&] { Editor(w, name)->SetValue(text); }), message) << name;
    Editor(w, "Wide")->SetValue("4294967295");
    EXPECT_EQ(w->Wide(), 4294967295u);
    Editor(w, "Huge")->SetValue("-9000000000");
    EXPECT_EQ(w->Huge(), -9000000000);
}

TEST_F(EditorsTest, CharactersShowThemselvesOrTheirCode) {
    TDsgWidget* w = DropWidget();
    auto letter = Editor(w, "Letter");
    EXPECT_EQ(letter->ClassType(), TCharProperty::StaticClass());
    EXPECT_EQ(letter->GetValue(), "A");
    letter->SetValue("#9");
    EXPECT_EQ(w->Letter(), '\t');
    EXPECT_EQ(letter->GetValue(), "#9");
    letter->SetValue("z");
    EXPECT_EQ(w->Letter(), 'z');
    letter->SetValue("#200");
    EXPECT_EQ(static_cast<unsigned char>(w->Letter()), 200);
    EXPECT_EQ(letter->GetValue(), "#200");
    for (const char* bad : {"", "ab", "#256", "#x"})
        EXPECT_EQ(MessageOf<EPropertyError>([&] { letter->SetValue(bad); }), "Invalid property value") << bad;
}

TEST_F(EditorsTest, EnumerationsAndBooleansOfferTheirValueNames) {
    TDsgWidget* w = DropWidget();
    auto shade = Editor(w, "Shade");
    EXPECT_EQ(shade->GetAttributes(),
              (TPropertyAttributes{paMultiSelect, paValueList, paSortList, paRevertable}));
    EXPECT_EQ(shade->Values(), (std::vector<std::string>{"shDark", "shDusk", "shLight"}));  // sorted
    shade->SetValue("SHDUSK");
    EXPECT_EQ(w->Shade(), TDsgShade::shDusk);
    EXPECT_EQ(shade->GetValue(), "shDusk");
    EXPECT_EQ(MessageOf<EPropertyError>([&] { shade->SetValue("shNoon"); }), "Invalid property value");
    EXPECT_EQ(w->Shade(), TDsgShade::shDusk);

    auto enabled = Editor(w, "Enabled");
    EXPECT_EQ(enabled->ClassType(), TBoolProperty::StaticClass());
    EXPECT_EQ(enabled->Values(), (std::vector<std::string>{"False", "True"}));
    enabled->SetValue("false");
    EXPECT_FALSE(w->Enabled());
    enabled->Edit();  // a double-click steps to the next value
    EXPECT_TRUE(w->Enabled());
}

TEST_F(EditorsTest, SetsShowBracketsAndEditPerElement) {
    TDsgWidget* w = DropWidget();
    auto parts = Editor(w, "Parts");
    EXPECT_TRUE(parts->GetAttributes().Contains(paSubProperties));
    EXPECT_TRUE(parts->GetAttributes().Contains(paReadOnly));
    EXPECT_EQ(parts->GetValue(), "[]");
    std::vector<std::string> names;
    parts->GetProperties([&](TPropertyEditorPtr e) { names.push_back(e->GetName() + "=" + e->GetValue()); });
    EXPECT_EQ(names, (std::vector<std::string>{"dpTop=False", "dpMiddle=False", "dpBottom=False"}));

    Editor(w, "Parts.dpBottom")->SetValue("True");
    Editor(w, "Parts.dpTop")->SetValue("True");
    EXPECT_EQ(w->Parts(), (TDsgParts{TDsgPart::dpTop, TDsgPart::dpBottom}));
    EXPECT_EQ(parts->GetValue(), "[dpTop,dpBottom]");
    Editor(w, "Parts.dpTop")->SetValue("False");
    EXPECT_EQ(w->Parts(), TDsgParts{TDsgPart::dpBottom});
    EXPECT_EQ(MessageOf<EPropertyError>([&] { Editor(w, "Parts.dpTop")->SetValue("yes"); }),
              "Invalid property value");

    parts->SetValue(" [dpMiddle , dpTop] ");
    EXPECT_EQ(w->Parts(), (TDsgParts{TDsgPart::dpTop, TDsgPart::dpMiddle}));
    EXPECT_EQ(MessageOf<EPropertyError>([&] { parts->SetValue("[dpTop, dpSide]"); }),
              "Invalid set element 'dpSide'");
    EXPECT_EQ(MessageOf<EPropertyError>([&] { parts->SetValue("dpTop"); }), "Invalid property value");
    EXPECT_EQ(w->Parts(), (TDsgParts{TDsgPart::dpTop, TDsgPart::dpMiddle}));
}

TEST_F(EditorsTest, FloatsAndStrings) {
    TDsgWidget* w = DropWidget();
    auto ratio = Editor(w, "Ratio");
    ratio->SetValue("2.5");
    EXPECT_EQ(w->Ratio(), 2.5);
    EXPECT_EQ(ratio->GetValue(), "2.5");
    EXPECT_EQ(MessageOf<EConvertError>([&] { ratio->SetValue("two"); }),
              "'two' is not a valid floating point value");
    EXPECT_EQ(MessageOf<EConvertError>([&] { ratio->SetValue("1e999"); }),
              "'1e999' is not a valid floating point value");
    EXPECT_EQ(w->Ratio(), 2.5);

    auto title = Editor(w, "Title");
    EXPECT_EQ(title->ClassType(), TStringProperty::StaticClass());
    title->SetValue(std::string("a\0b", 3));
    EXPECT_EQ(w->Title(), std::string("a\0b", 3));

    auto* label = host->DropComponent("TLabel");
    auto caption = Editor(label, "Caption");
    EXPECT_EQ(caption->ClassType(), TCaptionProperty::StaticClass());
    EXPECT_TRUE(caption->GetAttributes().Contains(paAutoUpdate));
    caption->SetValue("Hello");
    EXPECT_EQ(static_cast<TLabel*>(label)->Caption(), "Hello");
}

TEST_F(EditorsTest, TheNameEditorLetsTheComponentRefuseAName) {
    TDsgWidget* w = DropWidget();
    TDsgWidget* other = DropWidget();
    auto name = Editor(w, "Name");
    EXPECT_EQ(name->ClassType(), TComponentNameProperty::StaticClass());
    EXPECT_FALSE(name->GetAttributes().Contains(paMultiSelect));
    name->SetValue("Gear");
    EXPECT_EQ(w->Name(), "Gear");
    EXPECT_THROW(name->SetValue(other->Name()), EComponentError);
    EXPECT_THROW(name->SetValue("9lives"), EComponentError);
    EXPECT_EQ(w->Name(), "Gear");
}

TEST_F(EditorsTest, ColoursTakeNamesHexAndDecimal) {
    TDsgWidget* w = DropWidget();
    auto paint = Editor(w, "Paint");
    EXPECT_EQ(paint->ClassType(), TColorProperty::StaticClass());
    EXPECT_EQ(paint->GetAttributes(),
              (TPropertyAttributes{paMultiSelect, paDialog, paValueList, paRevertable}));
    EXPECT_EQ(paint->GetValue(), "clWindow");
    const std::tuple<const char*, TColor, const char*> cases[] = {
        {"clRed", clRed, "clRed"},
        {"CLNAVY", clNavy, "clNavy"},
        {"$00804020", 0x804020, "$00804020"},
        {"255", clRed, "clRed"},
        {"$1FFFFFFF", clNone, "clNone"},
        {"-2147483643", static_cast<TColor>(0x80000005), "clWindow"},
    };
    for (auto [text, value, shown] : cases) {
        paint->SetValue(text);
        EXPECT_EQ(w->Paint(), value) << text;
        EXPECT_EQ(paint->GetValue(), shown) << text;
    }
    EXPECT_EQ(MessageOf<EConvertError>([&] { paint->SetValue("clPink"); }), "Invalid property value");
    EXPECT_EQ(MessageOf<EConvertError>([&] { paint->SetValue("$100000000"); }),
              "'$100000000' is not a valid integer value");
    std::vector<std::string> values = paint->Values();
    EXPECT_NE(std::find(values.begin(), values.end(), "clBtnFace"), values.end());
    EXPECT_EQ(values.front(), "clBlack");

    // The framework's own colour properties get the same editor.
    auto* panel = host->DropComponent("TPanel");
    EXPECT_EQ(Editor(panel, "Color")->ClassType(), TColorProperty::StaticClass());
    EXPECT_EQ(Editor(panel, "Font.Color")->ClassType(), TColorProperty::StaticClass());
}

TEST_F(EditorsTest, ColourDialogCancelledLeavesTheValue) {
    TDsgWidget* w = DropWidget();
    w->SetPaint(clTeal);
    host->AnswerModal("ColorDlg", [](TCustomForm& dialog) { dialog.SetModalResult(mrCancel); });
    Editor(w, "Paint")->Edit();
    EXPECT_EQ(host->PendingAnswers(), 0u);
    EXPECT_EQ(w->Paint(), clTeal);
}

TEST_F(EditorsTest, ModalLoopWithoutAnAnswerIsReported) {
    TDsgWidget* w = DropWidget();
    host->AnswerModal("SomeOtherDialog", [](TCustomForm&) {});
    EXPECT_EQ(MessageOf<EDesignError>([&] { Editor(w, "Paint")->Edit(); }),
              "No answer is waiting for the dialog ColorDlg");
}

TEST_F(EditorsTest, SubObjectsShowTheirClassAndEditThroughParts) {
    TDsgWidget* w = DropWidget();
    auto font = Editor(w, "Font");
    EXPECT_EQ(font->ClassType(), TFontProperty::StaticClass());
    EXPECT_EQ(font->GetValue(), "(TFont)");
    EXPECT_TRUE(font->GetAttributes().Contains(paDialog));
    EXPECT_EQ(MessageOf<EPropertyError>([&] { font->SetValue("x"); }), "Property Font is read-only");
    std::vector<std::string> parts;
    font->GetProperties([&](TPropertyEditorPtr e) { parts.push_back(e->GetName()); });
    EXPECT_EQ(parts,
              (std::vector<std::string>{"Charset", "Color", "Height", "Name", "Pitch", "Size", "Style"}));

    host->SetProperty(w, "Font.Style.fsBold", "True");
    host->SetProperty(w, "font.name", "Arial");
    EXPECT_EQ(w->Font()->Style(), TFontStyles{fsBold});
    EXPECT_EQ(w->Font()->Name(), "Arial");
    EXPECT_EQ(host->GetProperty(w, "Font.Style"), "[fsBold]");

    auto core = Editor(w, "Core");
    EXPECT_EQ(core->ClassType(), TClassProperty::StaticClass());
    EXPECT_EQ(core->GetValue(), "(TDsgCore)");
    host->SetProperty(w, "Core.Depth", "7");
    EXPECT_EQ(w->Core()->Depth(), 7);
    EXPECT_EQ(MessageOf<EPropertyError>([&] { host->SetProperty(w, "Core.Width", "1"); }),
              "Property Core.Width does not exist");
    EXPECT_EQ(MessageOf<EPropertyError>([&] { host->SetProperty(w, "Count.Low", "1"); }),
              "Property Count.Low does not exist");
}

TEST_F(EditorsTest, FontDialogCancelledLeavesTheFont) {
    TDsgWidget* w = DropWidget();
    w->Font()->SetName("Courier New");
    host->AnswerModal("FontDlg", [](TCustomForm& dialog) { dialog.SetModalResult(mrCancel); });
    Editor(w, "Font")->Edit();
    EXPECT_EQ(host->PendingAnswers(), 0u);
    EXPECT_EQ(w->Font()->Name(), "Courier New");
}

TEST_F(EditorsTest, ComponentReferencesListCompatibleComponentsOfTheRoot) {
    TDsgWidget* w1 = DropWidget();
    TDsgWidget* w2 = DropWidget();
    TDsgSpecialWidget* special = static_cast<TDsgSpecialWidget*>(host->DropComponent("TDsgSpecialWidget"));
    host->DropComponent("TLabel");
    TDsgWidget stranger(nullptr);
    stranger.SetName("Stranger");

    auto buddy = Editor(w1, "Buddy");
    EXPECT_EQ(buddy->ClassType(), TComponentProperty::StaticClass());
    EXPECT_EQ(buddy->Values(), (std::vector<std::string>{"DsgSpecialWidget1", "DsgWidget1", "DsgWidget2"}));
    buddy->SetValue("dsgwidget2");
    EXPECT_EQ(w1->Buddy(), w2);
    EXPECT_EQ(buddy->GetValue(), "DsgWidget2");
    buddy->SetValue(special->Name());
    EXPECT_EQ(w1->Buddy(), special);
    for (const char* bad : {"Label1", "Nobody", "Stranger"})
        EXPECT_EQ(MessageOf<EPropertyError>([&] { buddy->SetValue(bad); }), "Invalid property value") << bad;
    EXPECT_EQ(w1->Buddy(), special);
    buddy->SetValue("");
    EXPECT_EQ(w1->Buddy(), nullptr);
    EXPECT_EQ(buddy->GetValue(), "");
}

TEST_F(EditorsTest, EventsBindToMethodsOfTheirOwnType) {
    TDsgWidget* w1 = DropWidget();
    TDsgWidget* w2 = DropWidget();
    auto change = Editor(w1, "OnChange");
    EXPECT_EQ(change->ClassType(), TMethodProperty::StaticClass());
    EXPECT_EQ(change->GetValue(), "");
    change->SetValue("WidgetChanged");
    EXPECT_TRUE(host->MethodExists("WidgetChanged"));
    EXPECT_EQ(w1->EventMethodName("OnChange"), "WidgetChanged");
    ASSERT_TRUE(bool(w1->OnChange));
    w1->OnChange(w1);  // the placeholder does nothing, harmlessly

    Editor(w2, "OnQuery")->SetValue("WidgetQuery");
    EXPECT_EQ(Editor(w2, "OnClick")->Values(), (std::vector<std::string>{"WidgetChanged"}));
    EXPECT_EQ(Editor(w1, "OnQuery")->Values(), (std::vector<std::string>{"WidgetQuery"}));
    bool allow = false;
    w2->OnQuery(w2, allow);

    EXPECT_EQ(MessageOf<EDesignError>([&] { Editor(w1, "OnClick")->SetValue("WidgetQuery"); }),
              "Method WidgetQuery is not compatible with the event OnClick");
    EXPECT_FALSE(bool(w1->OnClick));
    EXPECT_EQ(MessageOf<EPropertyError>([&] { Editor(w1, "OnClick")->SetValue("1st"); }),
              "'1st' is not a valid method name");

    change->SetValue("");
    EXPECT_FALSE(bool(w1->OnChange));
    EXPECT_EQ(w1->EventMethodName("OnChange"), "");
}

TEST_F(EditorsTest, SeveralSelectedComponentsShareEditableProperties) {
    TDsgWidget* w1 = DropWidget();
    TDsgWidget* w2 = DropWidget();
    auto* label = host->DropComponent("TLabel");
    std::vector<std::string> names;
    GetComponentProperties({w1, w2}, host.get(),
                           [&](TPropertyEditorPtr e) { names.push_back(e->GetName()); });
    EXPECT_EQ(std::count(names.begin(), names.end(), "Name"), 0);  // names are one component's own
    EXPECT_EQ(std::count(names.begin(), names.end(), "Count"), 1);
    EXPECT_EQ(std::count(names.begin(), names.end(), "OnQuery"), 1);

    names.clear();
    GetComponentProperties({w1, label}, host.get(),
                           [&](TPropertyEditorPtr e) { names.push_back(e->GetName()); });
    // Only same-named properties of the same type: the widget's Enabled, Font and OnClick match the
    // label's, its Count and Paint have no counterpart.
    EXPECT_EQ(names, (std::vector<std::string>{"Tag", "Enabled", "Font", "OnClick"}));

    host->SetSelections({w1, w2});
    auto count = host->FindEditor(host->GetSelections(), "Count");
    EXPECT_EQ(count->PropCount(), 2);
    w2->SetCount(5);
    EXPECT_FALSE(count->AllEqual());
    EXPECT_EQ(count->GetValue(), "0");  // the first one's
    host->SetSelectionProperty("Count", "9");
    EXPECT_EQ(w1->Count(), 9);
    EXPECT_EQ(w2->Count(), 9);
    EXPECT_TRUE(count->AllEqual());
    host->SetSelectionProperty("Parts.dpMiddle", "True");
    EXPECT_EQ(w2->Parts(), TDsgParts{TDsgPart::dpMiddle});
    EXPECT_THROW(count->GetComponent(2), EListError);
}

TEST_F(EditorsTest, MixedClassesAreEditedThroughTheirOwnAccessors) {
    // A label and a button both publish Caption and Enabled; each is read and written as its own
    // class, which the sanitizer build checks.
    auto* label = host->DropComponent("TLabel");
    auto* button = host->DropComponent("TButton");
    host->SetSelections({label, button});
    host->SetSelectionProperty("Caption", "Both");
    host->SetSelectionProperty("Enabled", "False");
    EXPECT_EQ(static_cast<TControl*>(label)->Caption(), "Both");
    EXPECT_EQ(static_cast<TControl*>(button)->Caption(), "Both");
    EXPECT_FALSE(static_cast<TControl*>(button)->Enabled());
    auto enabled = host->FindEditor(host->GetSelections(), "Enabled");
    static_cast<TControl*>(button)->SetEnabled(true);
    EXPECT_FALSE(enabled->AllEqual());
}

TEST_F(EditorsTest, ChangesThroughEditorsAreReportedToTheDesigner) {
    TDsgWidget* w = DropWidget();
    int before = host->ModifiedCount();
    host->SetProperty(w, "Count", "3");
    host->SetProperty(w, "Font.Style.fsItalic", "True");
    EXPECT_EQ(host->ModifiedCount(), before + 2);
    EXPECT_THROW(host->SetProperty(w, "Count", "x"), EConvertError);
    EXPECT_EQ(host->ModifiedCount(), before + 2);
}

}  // namespace
}  // namespace designtest
