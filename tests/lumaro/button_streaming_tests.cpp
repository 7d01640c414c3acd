// Every enhanced button written to form text and read back, with the defaults that decide what is
// written.
#include <memory>
#include <string>

#include "lumaro/zylbuttons.h"
#include "support/ui_fixture.h"
#include "vcl/streaming.h"

namespace button_streaming_tests {

using namespace vcl;
using namespace lumaro;

// The lines of the object named `name`, up to its first nested object or its end.
std::string Block(const std::string& text, const std::string& name) {
    const size_t start = text.find("object " + name + ":");
    if (start == std::string::npos) return {};
    const size_t end = text.find("\n  end", start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

template <typename T>
T* Make(TForm* form, const std::string& name) {
    auto* control = new T(form);
    control->SetName(name);
    control->SetParent(form);
    return control;
}

using ButtonStreamingTest = zyltest::UiFixture;

TEST_F(ButtonStreamingTest, EveryButtonReadsBackAsItWasWritten) {
    TComponentPtr<TForm> form(new TForm(nullptr, 0));
    form->SetName("Buttons");
    auto* background = new TZylBackground(form.get());
    background->SetName("Sky");
    auto* menu = new TPopupMenu(form.get());
    menu->SetName("More");

    Make<TZylButton>(form.get(), "Plain");
    auto* sized = Make<TZylButton>(form.get(), "Sized");
    sized->SetBounds(0, 0, 100, 20);
    sized->SetCaption("&OK");
    sized->SetDefault(true);
    sized->SetCancel(true);
    sized->SetModalResult(mrOk);
    sized->SetButtonSunk(true);
    sized->SetWordWrap(true);
    sized->SetBackground(background);
    sized->Font3D()->SetStyle3D(fontRaised);

    auto* arrow = Make<TZylArrowButton>(form.get(), "Arrow");
    arrow->SetButtonType(dLeft);
    arrow->SetButtonRaise(3);
    auto* round = Make<TZylRoundButton>(form.get(), "Round");
    round->SetButtonType(btInset);
    round->SetUnUsedColor(clFuchsia);
    auto* office = Make<TZylOfficeButton>(form.get(), "Office");
    office->SetRoundSize(15);
    office->SetLedIn(clRed);
    office->SetCaption("Office");
    Make<TZylOfficeButton>(form.get(), "Office2");
    auto* flat = Make<TZylIEButton>(form.get(), "Flat");
    flat->SetGroupIndex(1);
    flat->SetDown(true);
    flat->SetAllowAllUp(true);
    flat->SetDropDownMenu(menu);
    flat->SetLayout(pLeft);
    flat->SetOptions({opTextonly});
    flat->SetBevelLooks(bkDeep);
    flat->SetDesignTimeFrame(false);
    auto* check = Make<TZylCheckbox>(form.get(), "Check");
    check->SetAlignButton(TLeftRight::taRightJustify);
    check->SetButtonSunk(false);  // not stored while not a button
    check->SetAlignment(TAlignment::taCenter);
    auto* radio = Make<TZylRadiobutton>(form.get(), "Radio");
    radio->SetAsButton(true);
    radio->SetButtonSunk(false);
    radio->SetAlignButton(TLeftRight::taRightJustify);  // not stored while a button
    radio->SetChecked(true);

    const std::string text = ComponentToText(form.get());
    // A new button's size and a new office button's corners are the declared defaults.
    EXPECT_EQ(Block(text, "Plain").find("Width"), std::string::npos) << text;
    EXPECT_EQ(Block(text, "Plain").find("Height"), std::string::npos) << text;
    EXPECT_NE(Block(text, "Sized").find("Width = 100"), std::string::npos) << text;
    EXPECT_NE(Block(text, "Sized").find("Height = 20"), std::string::npos) << text;
    EXPECT_NE(Block(text, "Office").find("RoundSize = 15"), std::string::npos) << text;
    EXPECT_EQ(Block(text, "Office2").find("RoundSize"), std::string::npos) << text;
    EXPECT_LT(Block(text, "Flat").find("GroupIndex"), Block(text, "Flat").find("Down"));
    EXPECT_EQ(Block(text, "Check").find("ButtonSunk"), std::string::npos) << text;
    EXPECT_NE(Block(text, "Check").find("AlignButton = taRightJustify"), std::string::npos) << text;
    EXPECT_EQ(Block(text, "Radio").find("AlignButton"), std::string::npos) << text;
    EXPECT_NE(Block(text, "Radio").find("ButtonSunk = False"), std::string::npos) << text;

    TComponentPtr<TForm> copy(new TForm(nullptr, 0));
    ReadComponentText(text, copy.get());
    EXPECT_EQ(ComponentToText(copy.get()), text);
    auto* readPlain = dynamic_cast<TZylButton*>(copy->FindComponent("Plain"));
    auto* readFlat = dynamic_cast<TZylIEButton*>(copy->FindComponent("Flat"));
    auto* readOffice = dynamic_cast<TZylOfficeButton*>(copy->FindComponent("Office2"));
    ASSERT_TRUE(readPlain && readFlat && readOffice);
    EXPECT_EQ(readPlain->Width(), 75);
    EXPECT_EQ(readPlain->Height(), 25);
    EXPECT_TRUE(readFlat->Down());
    EXPECT_EQ(readFlat->DropDownMenu(), copy->FindComponent("More"));
    EXPECT_EQ(readOffice->RoundSize(), 20);
    sized->SetBackground(nullptr);
    dynamic_cast<TZylButton*>(copy->FindComponent("Sized"))->SetBackground(nullptr);
}

}  // namespace button_streaming_tests
