// A GoogleTest fixture for tests that drive controls and forms: a fresh platform on the manual
// clock, a clean Application and Screen, leftover forms freed, and helpers for input and pixels.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string_view>

#include "vcl/forms.h"
#include "win32/input.h"
#include "win32/kernel.h"
#include "win32/user.h"

namespace zyltest {

class UiFixture : public ::testing::Test {
protected:
    void SetUp() override {
        win32::testing::ResetPlatform();
        const win32::SYSTEMTIME start{2024, 1, 1, 1, 9, 0, 0, 0};
        win32::testing::UseManualClock(start);
    }

    void TearDown() override {
        win32::testing::SetModalScript(nullptr);
        // Frees the forms left over, then the platform's windows, hooks and timers.
        win32::testing::ResetPlatform();
    }

    // Processes every waiting message (paints and due timers included).
    static void PumpUntilIdle() {
        for (int round = 0; round < 8; ++round) {
            vcl::Application->ProcessMessages();
            win32::MSG msg{};
            if (!win32::PeekMessage(&msg, nullptr, 0, 0, win32::PM_NOREMOVE)) return;
        }
    }

    // Moves the manual clock on, then lets timers fire.
    static void Advance(win32::DWORD milliseconds) {
        win32::testing::AdvanceClock(milliseconds);
        PumpUntilIdle();
    }

    static vcl::TPoint ScreenPoint(vcl::TControl* control, int x, int y) {
        return control->ClientToScreen(vcl::Point(x, y));
    }

    static void MoveMouseTo(vcl::TControl* control, int x, int y) {
        const vcl::TPoint p = ScreenPoint(control, x, y);
        win32::input::MoveMouse(p.x, p.y);
        PumpUntilIdle();
    }

    static void ClickAt(vcl::TControl* control, int x, int y,
                        win32::input::Button button = win32::input::Button::Left) {
        const vcl::TPoint p = ScreenPoint(control, x, y);
        win32::input::Click(p.x, p.y, button);
        PumpUntilIdle();
    }

    // Types into whatever control has the focus.
    static void TypeText(std::string_view text) {
        win32::input::TypeText(text);
        PumpUntilIdle();
    }

    static void PressKey(int virtualKey, unsigned shift = win32::input::None) {
        win32::input::PressKey(virtualKey, shift);
        PumpUntilIdle();
    }

    // The control painted headless into a new bitmap of its size.
    static std::unique_ptr<vcl::TBitmap> BitmapOf(vcl::TControl* control) {
        auto bitmap = std::make_unique<vcl::TBitmap>();
        bitmap->SetSize(control->Width(), control->Height());
        control->PaintTo(bitmap->Canvas(), 0, 0);
        return bitmap;
    }

    // A shown form of the given client size at (left, top), owned by the application.
    static vcl::TForm* ShowForm(int left = 100, int top = 100, int clientWidth = 300,
                                int clientHeight = 200) {
        auto* form = new vcl::TForm(vcl::Application, 0);
        form->SetBounds(left, top, 400, 300);
        form->SetClientWidth(clientWidth);
        form->SetClientHeight(clientHeight);
        form->Show();
        PumpUntilIdle();
        return form;
    }
};

}  // namespace zyltest
