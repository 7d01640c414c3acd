// A fresh platform for each test of the dialogs package, with the modal script that answers the
// dialogs one step at a time and helpers to find and press the parts of a running form.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "support/tempdir.h"
#include "support/ui_fixture.h"
#include "vcl/forms.h"
#include "vcl/stdctrls.h"
#include "win32/input.h"

namespace dialogtest {

class DialogTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        win32::testing::SetModalScript([this](std::string_view loopName) {
            loops_.emplace_back(loopName);
            if (steps_.empty()) return;
            auto step = std::move(steps_.front());
            steps_.pop_front();
            step();
        });
    }

    // Answers the next idle moments of modal loops with these steps, in order.
    void Answer(std::vector<std::function<void()>> steps) {
        steps_.insert(steps_.end(), steps.begin(), steps.end());
    }

    // The running form of that name.
    static vcl::TCustomForm* Dialog(std::string_view name) {
        for (vcl::Integer i = 0; i < vcl::Screen->FormCount(); ++i)
            if (vcl::Screen->Forms(i)->Name() == name) return vcl::Screen->Forms(i);
        return nullptr;
    }

    template <typename T>
    static T* Part(std::string_view dialog, std::string_view name) {
        vcl::TCustomForm* form = Dialog(dialog);
        return form ? dynamic_cast<T*>(form->FindComponent(std::string(name))) : nullptr;
    }

    // Clicks the middle of a control of the running form with the mouse.
    static void Click(std::string_view dialog, std::string_view name) {
        auto* control = Part<vcl::TControl>(dialog, name);
        ASSERT_NE(control, nullptr) << name;
        const vcl::TPoint p =
            control->ClientToScreen(vcl::Point(control->Width() / 2, control->Height() / 2));
        win32::input::Click(p.x, p.y);
    }

    // Focuses an edit of the running form and types over its text, which arrives at once.
    static void TypeInto(std::string_view dialog, std::string_view name, const std::string& text) {
        auto* edit = Part<vcl::TCustomEdit>(dialog, name);
        ASSERT_NE(edit, nullptr) << name;
        edit->SetFocus();
        edit->SelectAll();
        win32::input::TypeText(text);
        PumpUntilIdle();
    }

    static const std::vector<std::string>& Exceptions() { return vcl::Application->ExceptionLog(); }

    zyltest::TempDir dir_;
    std::deque<std::function<void()>> steps_;
    std::vector<std::string> loops_;
};

}  // namespace dialogtest
