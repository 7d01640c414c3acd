// A fixture for the colour, font and file dialogs: each idle moment of a modal loop plays the next
// scripted step as the user would (clicks, keys, typing) and records which loop asked.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "support/ui_fixture.h"
#include "vcl/dialogs.h"
#include "vcl/stdctrls.h"
#include "win32/virtualkeys.h"

namespace zyltest {

class CommonDialogTest : public UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        win32::testing::SetModalScript([this](std::string_view loopName) {
            loops_.emplace_back(loopName);
            // Looks run with the action after them: on their own they would leave the loop idle.
            while (!steps_.empty()) {
                Scripted step = std::move(steps_.front());
                steps_.pop_front();
                step.run();
                if (!step.look) break;
            }
        });
    }

    // The running form of that name (dialogs are owned by nobody, but the screen lists them).
    static vcl::TCustomForm* Dialog(std::string_view name) {
        for (vcl::Integer i = 0; i < vcl::Screen->FormCount(); ++i)
            if (vcl::Screen->Forms(i)->Name() == name) return vcl::Screen->Forms(i);
        return nullptr;
    }

    template <typename T>
    static T* Part(std::string_view dialog, std::string_view name) {
        vcl::TCustomForm* form = Dialog(dialog);
        return form ? dynamic_cast<T*>(form->FindComponent(name)) : nullptr;
    }

    // An action of the user (input, closing a form).
    void Step(std::function<void()> step) { steps_.push_back(Scripted{std::move(step), false}); }
    // Reads the state of the running dialog; runs together with the next step.
    void Look(std::function<void()> look) { steps_.push_back(Scripted{std::move(look), true}); }

    // A left click at a point of a part (its centre by default).
    void ClickPart(std::string dialog, std::string name, int x = -1, int y = -1, bool twice = false) {
        Step([dialog, name, x, y, twice] {
            auto* control = Part<vcl::TControl>(dialog, name);
            ASSERT_NE(control, nullptr) << name;
            const vcl::TPoint p = control->ClientToScreen(
                vcl::Point(x < 0 ? control->Width() / 2 : x, y < 0 ? control->Height() / 2 : y));
            if (twice)
                win32::input::DoubleClick(p.x, p.y);
            else
                win32::input::Click(p.x, p.y);
        });
    }

    void Press(int key, unsigned shift = win32::input::None) {
        Step([key, shift] { win32::input::PressKey(key, shift); });
    }

    void Type(std::string text) {
        Step([text] { win32::input::TypeText(text); });
    }

    // Focuses a part, selects all of an edit's text and types over it.
    void TypeInto(std::string dialog, std::string name, std::string text) {
        Step([dialog, name, text] {
            auto* edit = Part<vcl::TCustomEdit>(dialog, name);
            ASSERT_NE(edit, nullptr) << name;
            edit->SetFocus();
            edit->SelectAll();
            if (text.empty())
                win32::input::PressKey(win32::VK_DELETE);
            else
                win32::input::TypeText(text);
        });
    }

    // How many times a loop of that name asked for a step.
    int LoopCount(std::string_view name) const {
        int count = 0;
        for (const std::string& loop : loops_)
            if (loop == name) ++count;
        return count;
    }

    struct Scripted {
        std::function<void()> run;
        bool look;
    };
    std::deque<Scripted> steps_;
    std::vector<std::string> loops_;
};

}  // namespace zyltest
