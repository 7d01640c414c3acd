// Hooks on a control's WindowProc: the chain's order, removal in any order (also from inside a
// message), a WindowProc set over the chain, and hooks that outlive their control.
#include <gtest/gtest.h>

#include <string>

#include "vcl/controls.h"
#include "vcl/wndhooks.h"

namespace wndhooks_tests {

using namespace vcl;

constexpr win32::UINT kPing = win32::WM_USER + 7;

TEST(WindowProcHooks, RunNewestFirstAndComeOffInAnyOrder) {
    TComponentPtr<TControl> control(new TControl(nullptr));
    std::string heard;
    auto hook = [&heard](char name) {
        return [&heard, name](TMessage& message, const TWndMethod& pass) {
            if (message.Msg == kPing) heard += name;
            pass(message);
        };
    };
    TWindowProcHook a(control.get(), hook('a'));
    TWindowProcHook b(control.get(), hook('b'));
    TWindowProcHook c(control.get(), hook('c'));
    control->Perform(kPing, 0, 0);
    EXPECT_EQ(heard, "cba");
    b.Remove();
    heard.clear();
    control->Perform(kPing, 0, 0);
    EXPECT_EQ(heard, "ca");
    a.Remove();
    heard.clear();
    control->Perform(kPing, 0, 0);
    EXPECT_EQ(heard, "c");

    // A WindowProc set over the chain keeps it as its next step.
    const TWndMethod chain = control->WindowProc();
    control->SetWindowProc([&heard, chain](TMessage& message) {
        if (message.Msg == kPing) heard += 'x';
        chain(message);
    });
    c.Remove();
    heard.clear();
    control->Perform(kPing, 0, 0);
    EXPECT_EQ(heard, "x");
    EXPECT_FALSE(c.Hooked());
}

TEST(WindowProcHooks, AHookMayComeOffInsideAMessageAndOutliveItsControl) {
    auto* control = new TControl(nullptr);
    int calls = 0;
    TWindowProcHook older(control, [&calls](TMessage& message, const TWndMethod& pass) {
        if (message.Msg == kPing) ++calls;
        pass(message);
    });
    TWindowProcHook once;
    once = TWindowProcHook(control, [&once](TMessage& message, const TWndMethod& pass) {
        if (message.Msg == kPing) once.Remove();
        pass(message);
    });
    control->Perform(kPing, 0, 0);
    control->Perform(kPing, 0, 0);
    EXPECT_EQ(calls, 2) << "the message went on after the hook took itself off";
    EXPECT_FALSE(once.Hooked());
    EXPECT_TRUE(older.Hooked());
    delete control;
    EXPECT_FALSE(older.Hooked());
    older.Remove();  // nothing left to take it from
}

}  // namespace wndhooks_tests
