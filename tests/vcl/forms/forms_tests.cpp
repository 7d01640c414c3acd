// Forms and the application: closing rules, modal forms, exceptions, the message loop, hints and
// form files of nested controls.
#include <gtest/gtest.h>

#include "../controls/test_controls.h"
#include "support/sample_components.h"
#include "support/ui_fixture.h"
#include "vcl/streaming.h"

namespace zyltest {
namespace {

using namespace vcl;

class FormsTest : public UiFixture {};

TEST_F(FormsTest, ShowModalIsAnsweredByTheModalScript) {
    TForm* owner = ShowForm();
    auto* dialog = new TForm(Application, 0);
    dialog->SetName("AskDialog");
    auto* ok = new TTestDefaultButton(dialog);
    ok->SetParent(dialog);
    ok->isDefault = true;
    ok->OnClick = [dialog](TObject*) { dialog->SetModalResult(mrOk); };
    std::vector<std::string> loops;
    win32::testing::SetModalScript([&](std::string_view loop) {
        loops.emplace_back(loop);
        EXPECT_FALSE(win32::IsWindowEnabled(owner->Handle()));
        win32::input::PressKey(win32::VK_RETURN);
    });
    EXPECT_EQ(dialog->ShowModal(), mrOk);
    EXPECT_EQ(loops, std::vector<std::string>{"AskDialog"});
    EXPECT_FALSE(dialog->Visible());
    EXPECT_TRUE(win32::IsWindowEnabled(owner->Handle()));
    EXPECT_FALSE(dialog->FormState().Contains(fsModal));

    // A result set directly by the script ends the loop as well.
    win32::testing::SetModalScript([&](std::string_view) { dialog->SetModalResult(mrNo); });
    EXPECT_EQ(dialog->ShowModal(), mrNo);
    EXPECT_THROW(
        {
            dialog->Show();
            dialog->ShowModal();
        },
        EInvalidOperation);
}

TEST_F(FormsTest, ShowModalWithoutAnAnswerRaisesInsteadOfHanging) {
    auto* dialog = new TForm(Application, 0);
    EXPECT_THROW(dialog->ShowModal(), win32::ModalLoopStuck);
    EXPECT_FALSE(dialog->FormState().Contains(fsModal));
    EXPECT_EQ(Application->ModalLevel(), 0);
}

TEST_F(FormsTest, OnCloseQueryCanRefuseAndCloseActionsApply) {
    TForm* main = ShowForm();
    Application->CreateForm<TForm>();  // any form: the first created form is the main one
    (void)main;
    TForm* form = ShowForm();
    bool allow = false;
    std::vector<std::string> log;
    form->OnCloseQuery = [&](TObject*, bool& canClose) {
        log.push_back("query");
        canClose = allow;
    };
    TCloseAction action = caHide;
    form->OnClose = [&](TObject*, TCloseAction& a) {
        log.push_back("close");
        a = action;
    };
    form->Close();
    EXPECT_TRUE(form->Visible());
    allow = true;
    form->Close();
    EXPECT_FALSE(form->Visible());
    EXPECT_EQ(log, (std::vector<std::string>{"query", "query", "close"}));

    // caFree releases the form once its message comes round.
    form->Show();
    action = caFree;
    bool destroyed = false;
    form->OnDestroy = [&](TObject*) { destroyed = true; };
    const Integer before = Screen->FormCount();
    win32::PostMessage(form->Handle(), win32::WM_CLOSE, 0, 0);
    EXPECT_FALSE(destroyed);
    PumpUntilIdle();
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(Screen->FormCount(), before - 1);
}

TEST_F(FormsTest, ModalCloseQueryRefusalKeepsTheLoopRunning) {
    auto* dialog = new TForm(Application, 0);
    int queries = 0;
    dialog->OnCloseQuery = [&](TObject*, bool& canClose) { canClose = ++queries > 1; };
    win32::testing::SetModalScript([&](std::string_view) { dialog->SetModalResult(mrCancel); });
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
    EXPECT_EQ(queries, 2);
}

TEST_F(FormsTest, ExceptionInAnEventHandlerReachesHandleException) {
    TForm* form = ShowForm();
    auto* panel = new TTestPanel(form);
    panel->SetParent(form);
    panel->OnClick = [](TObject*) { throw EConvertError("Bad value"); };
    ClickAt(panel, 5, 5);
    ASSERT_EQ(Application->ExceptionLog().size(), 1u);
    EXPECT_EQ(Application->ExceptionLog()[0], "Bad value.");

    std::string seen;
    TObject* sender = nullptr;
    Application->OnException = [&](TObject* s, const Exception& e) {
        sender = s;
        seen = e.Message();
    };
    panel->OnClick = [](TObject*) { throw std::runtime_error("plain"); };
    ClickAt(panel, 5, 5);
    EXPECT_EQ(seen, "plain");
    EXPECT_EQ(sender, panel);
    EXPECT_EQ(Application->ExceptionLog().size(), 1u);

    panel->OnClick = [](TObject*) { throw EAbort("silent"); };
    seen.clear();
    ClickAt(panel, 5, 5);
    EXPECT_EQ(seen, "");
}

TEST_F(FormsTest, RunEndsWhenTheMainFormCloses) {
    auto* main = Application->CreateForm<TForm>();
    bool created = false;
    EXPECT_EQ(Application->MainForm(), main);
    int idles = 0;
    Application->OnIdle = [&](TObject*, bool& done) {
        ++idles;
        done = true;
    };
    win32::testing::SetModalScript([&](std::string_view loop) {
        EXPECT_EQ(loop, "Application.Run");
        created = main->Visible();
        win32::PostMessage(main->Handle(), win32::WM_CLOSE, 0, 0);
    });
    Application->Run();
    EXPECT_TRUE(created);
    EXPECT_TRUE(Application->Terminated());
    EXPECT_GT(idles, 0);
}

TEST_F(FormsTest, HintsShowAfterThePauseAndHideAfterTheHidePause) {
    TForm* form = ShowForm();
    auto* panel = new TTestPanel(form);
    panel->SetParent(form);
    panel->SetHint("Short|The long text");
    panel->SetShowHint(true);
    std::vector<std::string> hints;
    Application->OnHint = [&](TObject*) { hints.push_back(Application->Hint()); };
    Application->OnShowHint = [&](std::string& text, bool&, THintInfo& info) {
        EXPECT_EQ(info.HintControl, panel);
        text += "!";
    };
    MoveMouseTo(panel, 5, 5);
    EXPECT_EQ(hints, std::vector<std::string>{"The long text"});
    Advance(Application->HintPause() - 10);
    EXPECT_EQ(Application->HintWindow(), nullptr);
    Advance(20);
    ASSERT_NE(Application->HintWindow(), nullptr);
    EXPECT_EQ(Application->HintWindow()->Caption(), "Short!");
    EXPECT_TRUE(win32::IsWindowVisible(Application->HintWindow()->Handle()));
    Advance(Application->HintHidePause() + 10);
    EXPECT_EQ(Application->HintWindow(), nullptr);
    EXPECT_EQ(GetShortHint("a|b"), "a");
    EXPECT_EQ(GetLongHint("a|b"), "b");
    EXPECT_EQ(GetLongHint("plain"), "plain");
    EXPECT_THROW(Application->SetHintWindowClass(TTestPanel::StaticClass()), EInvalidCast);
}

TEST_F(FormsTest, AHintEndsWhenThePointerLeavesTheApplicationsWindows) {
    TForm* form = ShowForm(100, 100, 200, 100);
    auto* panel = new TTestPanel(form);
    panel->SetParent(form);
    panel->SetBounds(0, 0, 200, 100);
    panel->SetHint("Panel");
    panel->SetShowHint(true);
    MoveMouseTo(panel, 5, 5);
    Advance(Application->HintPause() + 10);
    ASSERT_NE(Application->HintWindow(), nullptr);
    // Nothing tells the application that the pointer went to the desktop; its idle step notices.
    win32::input::MoveMouse(900, 700);
    PumpUntilIdle();
    Application->HandleMessage();
    EXPECT_EQ(Application->HintWindow(), nullptr);
}

// The application does not pass a form's coming and going on to the other forms' components (that
// would make freeing a form cost as much as all the forms open); a link across forms is told
// through its free notification.
TEST_F(FormsTest, AFormsGoingReachesOtherFormsOnlyThroughFreeNotification) {
    std::vector<std::string> log;
    auto* formA = new TForm(Application, 0);
    formA->SetName("FormA");
    auto* target = new TSampleComponent(formA);
    target->SetName("Target");
    auto* formB = new TForm(Application, 0);
    auto* bystander = new TSampleComponent(formB);
    bystander->SetName("Bystander");
    auto* user = new TSampleComponent(formB);
    user->SetName("User");
    user->SetLink(target);
    bystander->notificationLog = user->notificationLog = &log;
    auto* formC = new TForm(Application, 0);
    formA->Free();
    EXPECT_EQ(user->Link(), nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"User -Target", "User saw "}));
    formC->Free();
    EXPECT_EQ(log.size(), 2u);
    formB->Free();
}

TEST_F(FormsTest, ScreenCenterPositionsTheFormOnFirstShow) {
    auto* form = new TForm(Application, 0);
    form->SetBounds(0, 0, 200, 100);
    form->SetPosition(poScreenCenter);
    form->Show();
    EXPECT_EQ(form->Left(), (Screen->Width() - 200) / 2);
    EXPECT_EQ(form->Top(), (Screen->Height() - 100) / 2);
    EXPECT_EQ(Screen->ActiveForm(), form);
}

TEST_F(FormsTest, ANestedFormReadsBackIntoTheSameTree) {
    RegisterClasses({TTestPanel::StaticClass(), TTestBlock::StaticClass()});
    TComponentPtr<TForm> form(new TForm(nullptr, 0));
    form->SetName("Form1");
    form->SetCaption("Nested");
    auto* outer = new TTestPanel(form.get());
    outer->SetName("Outer");
    outer->SetParent(form.get());
    outer->SetAlign(alTop);
    auto* inner = new TTestPanel(form.get());
    inner->SetName("Inner");
    inner->SetParent(outer);
    inner->SetBounds(4, 5, 20, 10);
    inner->SetColor(clGreen);
    auto* block = new TTestBlock(form.get());
    block->SetName("Block");
    block->SetParent(inner);
    auto* second = new TTestPanel(form.get());
    second->SetName("Second");
    second->SetParent(form.get());
    second->SetTabOrder(0);
    const std::string text = ComponentToText(form.get());

    TComponentPtr<TForm> copy(new TForm(nullptr, 0));
    ReadComponentText(text, copy.get());
    EXPECT_EQ(ComponentToText(copy.get()), text);
    EXPECT_EQ(copy->Caption(), "Nested");
    auto* readInner = dynamic_cast<TTestPanel*>(copy->FindComponent("Inner"));
    ASSERT_NE(readInner, nullptr);
    EXPECT_EQ(readInner->Parent()->Name(), "Outer");
    EXPECT_EQ(readInner->Color(), clGreen);
    EXPECT_EQ(readInner->BoundsRect().left, 4);
    EXPECT_EQ(copy->FindComponent("Block")->GetParentComponent(), readInner);
    EXPECT_EQ(dynamic_cast<TTestPanel*>(copy->FindComponent("Second"))->TabOrder(), 0);
    EXPECT_EQ(dynamic_cast<TTestPanel*>(copy->FindComponent("Outer"))->Align(), alTop);
}

TEST_F(FormsTest, ScrollBoxRangeFollowsItsChildren) {
    TForm* form = ShowForm();
    auto* box = new TScrollBox(form);
    box->SetParent(form);
    box->SetBorderStyle(bsNone);
    box->SetBounds(0, 0, 100, 80);
    auto* panel = new TTestPanel(form);
    panel->SetParent(box);
    panel->SetBounds(10, 150, 30, 30);
    EXPECT_EQ(box->VertScrollBar()->Range(), 180);
    box->VertScrollBar()->SetPosition(1000);
    const Integer limit = 180 - box->ClientHeight();
    EXPECT_EQ(box->VertScrollBar()->Position(), limit);
    EXPECT_EQ(panel->Top(), 150 - limit);
    box->VertScrollBar()->SetPosition(0);
    EXPECT_EQ(panel->Top(), 150);
}

}  // namespace
}  // namespace zyltest
