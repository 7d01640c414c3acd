// The package's base classes: sounds of executable components, the designer's execute entry and
// palette pages, window hooks on a form, single-instance components and taking over events.
#include <memory>
#include <string>
#include <vector>

#include "orvane/zylsystem.h"
#include "orvane/zyltapplication.h"
#include "orvane/zyltformsizes.h"
#include "orvane/zyltmessages.h"
#include "orvane/zyltstoredata.h"
#include "support/ui_fixture.h"
#include "system_fixture.h"
#include "vcl/designhost.h"
#include "vcl/designintf.h"
#include "vcl/stdctrls.h"
#include "win32/user.h"

namespace base_tests {

using namespace vcl;
using namespace orvane;

class SystemBase : public zyltest::UiFixture {};

TEST_F(SystemBase, AnExecutableComponentPlaysItsSoundAfterRunning) {
    struct Case {
        TZylBeeptype sound;
        std::vector<win32::UINT> beeps;
    };
    const Case cases[] = {{bNone, {}},
                          {bDefault, {win32::MB_OK}},
                          {bAsterix, {win32::MB_ICONASTERISK}},
                          {bExclamation, {win32::MB_ICONEXCLAMATION}},
                          {bQuestion, {win32::MB_ICONQUESTION}},
                          {bCriticalStop, {win32::MB_ICONHAND}}};
    for (const Case& c : cases) {
        win32::testing::ResetPlatform();
        TComponentPtr<TZylAdvancedExecComponent> exec(new TZylAdvancedExecComponent(nullptr));
        exec->SetSound(c.sound);
        EXPECT_FALSE(exec->Execute());
        EXPECT_EQ(win32::testing::Beeps(), c.beeps) << EnumName(c.sound);
    }
}

TEST_F(SystemBase, HooksNeedAWindowedOwner) {
    TComponentPtr<TComponent> plain(new TComponent(nullptr));
    EXPECT_THROW(TZylFormHook{plain.get()}, EInvalidCast);
    EXPECT_EQ(plain->ComponentCount(), 0);
    EXPECT_THROW(TZylFormHook{nullptr}, EInvalidCast);
}

std::string WindowCaption(win32::HWND window) {
    char text[64];
    win32::GetWindowText(window, text, sizeof text);
    return text;
}

TEST_F(SystemBase, FormHooksSeeEveryMessageBeforeTheFormAndMayChangeIt) {
    TComponentPtr<TForm> form(new TForm(nullptr, 0));
    static const char kChanged[] = "Changed by the hook";
    std::vector<std::string> order;
    auto* older = new TZylFormHook(form.get());
    auto* newer = new TZylFormHook(form.get());
    older->OnMessage = [&](TObject* sender, TMessage& message) {
        if (message.Msg != win32::WM_SETTEXT) return;
        EXPECT_EQ(sender, older);
        order.push_back("older");
        message.LParam = reinterpret_cast<win32::LPARAM>(kChanged);
    };
    newer->OnMessage = [&](TObject*, TMessage& message) {
        if (message.Msg == win32::WM_SETTEXT) order.push_back("newer");
    };
    win32::SetWindowText(form->Handle(), "Typed");
    EXPECT_EQ(order, (std::vector<std::string>{"newer", "older"}));
    EXPECT_EQ(WindowCaption(form->Handle()), kChanged);

    // Freed out of turn, the older hook leaves the chain; the newer one and the form go on.
    older->Free();
    order.clear();
    win32::SetWindowText(form->Handle(), "Again");
    EXPECT_EQ(order, (std::vector<std::string>{"newer"}));
    EXPECT_EQ(WindowCaption(form->Handle()), "Again");
    newer->Free();
    win32::SetWindowText(form->Handle(), "Alone");
    EXPECT_EQ(WindowCaption(form->Handle()), "Alone");
}

TEST_F(SystemBase, AHookHandlerThatRaisesLeavesTheMessageToTheForm) {
    TComponentPtr<TForm> form(new TForm(nullptr, 0));
    form->SetCaption("Before");
    auto* hook = new TZylFormHook(form.get());
    hook->OnMessage = [](TObject*, TMessage& message) {
        if (message.Msg == win32::WM_SETTEXT) throw Exception("handler failed");
    };
    win32::SetWindowText(form->Handle(), "After");
    EXPECT_EQ(WindowCaption(form->Handle()), "After");
    ASSERT_FALSE(Application->ExceptionLog().empty());
    EXPECT_EQ(Application->ExceptionLog().back(), "handler failed.");
    // A handler that frees its hook: the message still reaches the form.
    hook->OnMessage = [hook](TObject*, TMessage& message) {
        if (message.Msg == win32::WM_SETTEXT) hook->Free();
    };
    win32::SetWindowText(form->Handle(), "Freed");
    EXPECT_EQ(WindowCaption(form->Handle()), "Freed");
    EXPECT_EQ(form->ComponentCount(), 0);
}

TEST_F(SystemBase, ASecondSingleInstanceComponentIsRefusedWithoutCountingIt) {
    TComponentPtr<TForm> form(new TForm(nullptr, 0));
    auto* first = new TZylOnlyOne(form.get());
    try {
        new TZylOnlyOne(form.get());
        FAIL() << "a second TZylOnlyOne was accepted";
    } catch (const EZylDuplicateError& error) {
        EXPECT_EQ(
            std::string(error.what()),
            "You can have only one class of type\r\nTZylOnlyOne\r\n, in a project and it must be on the "
            "Mainform");
    }
    EXPECT_EQ(form->ComponentCount(), 1);
    first->Free();
    // The refused one left no count behind: a new one is welcome.
    EXPECT_NO_THROW(new TZylOnlyOne(form.get()));

    auto* application = new TZylApplication(form.get());
    try {
        new TZylApplication(form.get());
        FAIL() << "a second TZylApplication was accepted";
    } catch (const EZylDuplicateError& error) {
        EXPECT_EQ(
            std::string(error.what()),
            "You can have one and ONLY ONE\r\nTZylApplication Component\r\n, in a project and it must be "
            "on the Mainform");
    }
    application->Free();
    EXPECT_NO_THROW(new TZylApplication(form.get()));
}

TEST_F(SystemBase, ATakenEventIsGivenBackOrLeftPassingCallsOn) {
    std::vector<std::string> calls;
    TNotifyEvent event = [&](TObject*) { calls.push_back("original"); };
    {
        TZylEventTakeover<TNotifyEvent> takeover;
        takeover.Take(event, [&](const TNotifyEvent& previous, TObject* sender) {
            calls.push_back("mine");
            previous(sender);
        });
        event(nullptr);
    }
    event(nullptr);  // given back
    EXPECT_EQ(calls, (std::vector<std::string>{"mine", "original", "original"}));

    // Someone else took the event over meanwhile: the released handler stays in their chain and
    // only passes the call on.
    calls.clear();
    auto takeover = std::make_unique<TZylEventTakeover<TNotifyEvent>>();
    takeover->Take(event, [&](const TNotifyEvent& previous, TObject* sender) {
        calls.push_back("mine");
        previous(sender);
    });
    TNotifyEvent theirs = event;
    event = [&, theirs](TObject* sender) {
        calls.push_back("theirs");
        theirs(sender);
    };
    takeover.reset();
    event(nullptr);
    EXPECT_EQ(calls, (std::vector<std::string>{"theirs", "original"}));
}

class SystemPackage : public systemtest::DesignedSystemForm {
protected:
    static std::vector<std::string> Page(const std::string& name) {
        std::vector<std::string> classes;
        for (const TPalettePage& page : Palette())
            if (page.name == name)
                for (TClass cls : page.classes)
                    classes.emplace_back(cls->name);
        return classes;
    }
};

TEST_F(SystemPackage, ComponentsSitOnTheirPages) {
    EXPECT_EQ(Page("Zyl System"),
              (std::vector<std::string>{"TZylExitWindows", "TZylFileExecute", "TZylTopMost", "TZylOnlyOne",
                                        "TZylMsgDlg", "TZylMsgBox", "TZylMsgSelect", "TZylStartup",
                                        "TZylScreenSaver", "TZylTimeTrigger", "TZylWallPaper", "TZylFormHook",
                                        "TZylMouseController", "TZylWavePlayer", "TZylCDTriggers",
                                        "TZylVersionDetails", "TZylSystemKeys", "TZylMultiLists"}));
    EXPECT_EQ(Page("Zyl System 2"),
              (std::vector<std::string>{"TZylFormSizes", "TZylFormAspect", "TZylDriveVolume",
                                        "TZylApplication", "TZylStoreData", "TZylIllegalAbort",
                                        "TZylFormSaver", "TZylLogFile", "TZylTextReplace", "TZylSystemTray",
                                        "TZylFileProperties", "TZylFileOperator", "TZylDroppedFiles",
                                        "TZylSystemDetails", "TZylFileCollector", "TZylStringHolder",
                                        "TZylJokeHolder", "TZylFormExplode", "TZylResourceInfo"}));
    EXPECT_EQ(FindClass("TZylDataStore"), orvane::TZylDataStore::StaticClass());
}

TEST_F(SystemPackage, TheDesignersExecuteEntryRunsTheComponent) {
    auto* box = static_cast<TZylMsgBox*>(host->DropComponent("TZylMsgBox"));
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(box->Caption()->Count(), 1);
    EXPECT_EQ(box->Caption()->Strings(0), "Place your message here");
    EXPECT_EQ(host->GetProperty(box, "DesignExecute"), "(Execute Test)");
    std::string shown;
    host->AnswerModal("MessageDlg", [&](TCustomForm& form) {
        shown = dynamic_cast<TLabel*>(form.FindComponent("Message"))->Caption();
        form.SetModalResult(mrOk);
    });
    host->EditProperty(box, "DesignExecute");
    EXPECT_EQ(shown.substr(0, 23), "Place your message here");
    EXPECT_EQ(box->ModalResult(), mrOk);
    EXPECT_EQ(host->FormText().find("DesignExecute"), std::string::npos);
}

TEST_F(SystemPackage, FormSizesFollowTheDesignedFormAsOptionsSay) {
    auto* sizes = static_cast<TZylFormSizes*>(host->DropComponent("TZylFormSizes"));
    host->SetProperty(sizes, "Options", "[MinimumWidth, MaximumHeight]");
    auto* form = static_cast<TCustomForm*>(host->GetRoot());
    form->SetBounds(form->Left(), form->Top(), 333, 222);
    PumpUntilIdle();
    EXPECT_EQ(sizes->MinWidth(), 333);
    EXPECT_EQ(sizes->MaxHeight(), 222);
    EXPECT_EQ(sizes->MaxWidth(), 0);
    EXPECT_EQ(sizes->MinHeight(), 0);
}

}  // namespace base_tests
