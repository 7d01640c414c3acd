// Timers under the manual clock, and radio groups driven by the mouse.
#include <gtest/gtest.h>

#include <stdexcept>

#include "extctrls_support.h"
#include "vcl/streaming.h"

namespace zyltest {
namespace {

using namespace vcl;

class TimerTest : public UiFixture {};

TEST_F(TimerTest, FiresEveryIntervalAndStopsWhenDisabled) {
    TComponentPtr<TTimer> timer(new TTimer(nullptr));
    timer->SetInterval(100);
    int ticks = 0;
    timer->SetOnTimer([&](TObject* sender) {
        EXPECT_EQ(sender, timer.get());
        ++ticks;
    });
    EXPECT_TRUE(timer->Active());
    Advance(99);
    EXPECT_EQ(ticks, 0);
    Advance(1);
    EXPECT_EQ(ticks, 1);
    Advance(100);
    EXPECT_EQ(ticks, 2);
    timer->SetEnabled(false);
    EXPECT_FALSE(timer->Active());
    Advance(500);
    EXPECT_EQ(ticks, 2);
    timer->SetEnabled(true);
    Advance(99);
    EXPECT_EQ(ticks, 2);
    Advance(1);
    EXPECT_EQ(ticks, 3);
}

TEST_F(TimerTest, ChangingTheIntervalRestartsTheCount) {
    TComponentPtr<TTimer> timer(new TTimer(nullptr));
    timer->SetInterval(100);
    int ticks = 0;
    timer->SetOnTimer([&](TObject*) { ++ticks; });
    Advance(60);
    timer->SetInterval(50);
    Advance(49);
    EXPECT_EQ(ticks, 0);
    Advance(1);
    EXPECT_EQ(ticks, 1);
    timer->SetInterval(0);
    EXPECT_FALSE(timer->Active());
    Advance(1000);
    EXPECT_EQ(ticks, 1);
}

TEST_F(TimerTest, NoPlatformTimerWithoutAHandler) {
    TComponentPtr<TTimer> timer(new TTimer(nullptr));
    EXPECT_TRUE(timer->Enabled());
    EXPECT_EQ(timer->Interval(), 1000u);
    EXPECT_FALSE(timer->Active());
    int ticks = 0;
    timer->SetOnTimer([&](TObject*) { ++ticks; });
    EXPECT_TRUE(timer->Active());
    timer->SetOnTimer(nullptr);
    EXPECT_FALSE(timer->Active());
    Advance(3000);
    EXPECT_EQ(ticks, 0);
}

TEST_F(TimerTest, ExceptionsGoToTheApplicationAndTheTimerKeepsRunning) {
    Application->ClearExceptionLog();
    TComponentPtr<TTimer> timer(new TTimer(nullptr));
    timer->SetInterval(10);
    int ticks = 0;
    timer->SetOnTimer([&](TObject*) {
        ++ticks;
        throw EConvertError("tick failed");
    });
    Advance(10);
    Advance(10);
    EXPECT_EQ(ticks, 2);
    ASSERT_EQ(Application->ExceptionLog().size(), 2u);
    EXPECT_NE(Application->ExceptionLog()[0].find("tick failed"), std::string::npos);
}

TEST_F(TimerTest, StartsAfterReadingAFormFile) {
    TComponentPtr<TForm> form(new TForm(nullptr, 0));
    int ticks = 0;
    form->RegisterMethod<TNotifyEvent>("Tick", [&](TObject*) { ++ticks; });
    ReadComponentText(
        "object Form1: TForm\n  object Timer1: TTimer\n    Interval = 40\n    OnTimer = Tick\n"
        "  end\nend\n",
        form.get());
    auto* timer = dynamic_cast<TTimer*>(form->FindComponent("Timer1"));
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->Active());
    Advance(40);
    EXPECT_EQ(ticks, 1);
}

class RadioGroupTest : public UiFixture {
protected:
    TRadioGroup* MakeGroup(TForm* form) {
        auto* group = MakeOn<TRadioGroup>(form, "Group", 10, 10, 200, 110);
        group->SetCaption("Choice");
        group->Items()->Add("Alpha");
        group->Items()->Add("Beta");
        group->Items()->Add("Gamma");
        group->Items()->Add("Delta");
        group->Items()->Add("Epsilon");
        return group;
    }
};

TEST_F(RadioGroupTest, OneButtonPerItemInColumns) {
    TForm* form = ShowForm();
    TRadioGroup* group = MakeGroup(form);
    ASSERT_EQ(group->ButtonCount(), 5);
    EXPECT_EQ(group->Buttons(3)->Caption(), "Delta");
    // One column: five rows of equal height, top to bottom.
    for (Integer i = 1; i < 5; ++i) {
        EXPECT_EQ(group->Buttons(i)->Left(), group->Buttons(0)->Left());
        EXPECT_EQ(group->Buttons(i)->Top() - group->Buttons(i - 1)->Top(), group->Buttons(0)->Height());
    }
    group->SetColumns(2);  // three rows: items 0-2 left, 3-4 right
    const Integer columnWidth = group->Buttons(3)->Left() - group->Buttons(0)->Left();
    EXPECT_GT(columnWidth, 80);
    EXPECT_EQ(group->Buttons(0)->Width(), columnWidth);
    EXPECT_EQ(group->Buttons(2)->Left(), group->Buttons(0)->Left());
    EXPECT_EQ(group->Buttons(3)->Top(), group->Buttons(0)->Top());
    EXPECT_EQ(group->Buttons(4)->Top(), group->Buttons(1)->Top());
    // All inside the client area below the caption.
    for (Integer i = 0; i < 5; ++i) {
        const TRect b = group->Buttons(i)->BoundsRect();
        EXPECT_GT(b.top, 8);
        EXPECT_LE(b.bottom, group->ClientHeight());
        EXPECT_LE(b.right, group->ClientWidth());
    }
    group->SetColumns(0);
    EXPECT_EQ(group->Columns(), 1);
}

TEST_F(RadioGroupTest, ItemIndexChecksOneButtonWithoutClick) {
    TForm* form = ShowForm();
    TRadioGroup* group = MakeGroup(form);
    int clicks = 0;
    group->OnClick = [&](TObject*) { ++clicks; };
    EXPECT_EQ(group->ItemIndex(), -1);
    group->SetItemIndex(2);
    EXPECT_TRUE(group->Buttons(2)->Checked());
    group->SetItemIndex(4);
    EXPECT_FALSE(group->Buttons(2)->Checked());
    EXPECT_TRUE(group->Buttons(4)->Checked());
    group->SetItemIndex(-1);
    for (Integer i = 0; i < 5; ++i)
        EXPECT_FALSE(group->Buttons(i)->Checked());
    EXPECT_EQ(clicks, 0);
    try {
        group->SetItemIndex(5);
        FAIL() << "no error";
    } catch (const EListError& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (5)");
    }
    EXPECT_THROW(group->SetItemIndex(-2), EListError);
    EXPECT_THROW(group->Buttons(5), EListError);
}

TEST_F(RadioGroupTest, UserPickFiresOnClickOnce) {
    TForm* form = ShowForm();
    TRadioGroup* group = MakeGroup(form);
    group->SetItemIndex(0);
    PumpUntilIdle();
    std::vector<Integer> seen;
    group->OnClick = [&](TObject* sender) {
        EXPECT_EQ(sender, group);
        seen.push_back(group->ItemIndex());
    };
    TRadioButton* gamma = group->Buttons(2);
    ClickAt(gamma, 6, gamma->Height() / 2);
    EXPECT_EQ(group->ItemIndex(), 2);
    EXPECT_TRUE(gamma->Checked());
    EXPECT_FALSE(group->Buttons(0)->Checked());
    ClickAt(gamma, 6, gamma->Height() / 2);  // already chosen: no change, no event
    EXPECT_EQ(seen, std::vector<Integer>{2});
}

TEST_F(RadioGroupTest, ItemsChangesKeepButtonsAndIndexInStep) {
    TForm* form = ShowForm();
    TRadioGroup* group = MakeGroup(form);
    group->SetItemIndex(4);
    group->Items()->Delete(4);
    EXPECT_EQ(group->ButtonCount(), 4);
    EXPECT_EQ(group->ItemIndex(), 3);
    EXPECT_TRUE(group->Buttons(3)->Checked());
    group->Items()->SetStrings(0, "First");
    EXPECT_EQ(group->Buttons(0)->Caption(), "First");
    group->Items()->Clear();
    EXPECT_EQ(group->ButtonCount(), 0);
    EXPECT_EQ(group->ItemIndex(), -1);
}

TEST_F(RadioGroupTest, FormFileKeepsItemsAndIndexButNotButtons) {
    TComponentPtr<TForm> form(new TForm(nullptr, 0));
    form->SetName("Form1");
    auto* group = MakeOn<TRadioGroup>(form.get(), "Group1", 5, 5, 150, 80);
    group->Items()->Add("One");
    group->Items()->Add("Two");
    group->SetItemIndex(1);
    group->SetColumns(2);
    const std::string text = ComponentToText(form.get());
    EXPECT_EQ(text.find("TRadioButton"), std::string::npos);
    EXPECT_NE(text.find("ItemIndex = 1"), std::string::npos);
    TComponentPtr<TForm> copy(new TForm(nullptr, 0));
    ReadComponentText(text, copy.get());
    auto* read = dynamic_cast<TRadioGroup*>(copy->FindComponent("Group1"));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->ItemIndex(), 1);
    EXPECT_EQ(read->Columns(), 2);
    ASSERT_EQ(read->ButtonCount(), 2);
    EXPECT_TRUE(read->Buttons(1)->Checked());
    EXPECT_EQ(Children(ComponentToText(copy.get())), Children(text));
}

}  // namespace
}  // namespace zyltest
