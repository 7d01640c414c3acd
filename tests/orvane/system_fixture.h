// A fresh platform for each test of the system package: the manual clock, a temporary registry and
// Windows directory, an ini file path, and the modal script that answers the dialogs one step at a
// time.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "support/tempdir.h"
#include "support/ui_fixture.h"
#include "vcl/designhost.h"
#include "vcl/forms.h"
#include "win32/registry.h"

namespace systemtest {

// A rectangle as its four sides, for comparisons and messages.
inline std::array<long, 4> Sides(const win32::RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

class SystemTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        win32::testing::SetMimeTypesPath("");
        win32::testing::SetRegistryPath(dir_.File("registry.sqlite"));
        win32::testing::SetWindowsDirectory(dir_.File("windows"));
    }

    std::string IniPath() const { return dir_.File("settings.ini"); }

    // Answers the next modal loops with these steps, in order; the loops' names are recorded.
    void Answer(std::vector<std::function<void()>> steps) {
        steps_.assign(steps.begin(), steps.end());
        win32::testing::SetModalScript([this](std::string_view loopName) {
            loops_.emplace_back(loopName);
            if (steps_.empty()) return;
            auto step = std::move(steps_.front());
            steps_.pop_front();
            step();
        });
    }

    // The form running a modal loop under this name.
    static vcl::TCustomForm* Dialog(std::string_view name) {
        for (vcl::Integer i = 0; i < vcl::Screen->FormCount(); ++i)
            if (vcl::Screen->Forms(i)->Name() == name) return vcl::Screen->Forms(i);
        return nullptr;
    }

    // Clicks the dialog's control `button` with the mouse.
    static void ClickControl(std::string_view dialog, std::string_view button) {
        vcl::TCustomForm* form = Dialog(dialog);
        ASSERT_NE(form, nullptr) << dialog;
        auto* control = dynamic_cast<vcl::TControl*>(form->FindComponent(button));
        ASSERT_NE(control, nullptr) << button;
        const vcl::TPoint p =
            control->ClientToScreen(vcl::Point(control->Width() / 2, control->Height() / 2));
        win32::input::Click(p.x, p.y);
    }

    zyltest::TempDir dir_;
    std::deque<std::function<void()>> steps_;
    std::vector<std::string> loops_;
};

// The package loaded into a designer host with a new form to design.
class DesignedSystemForm : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        host = std::make_unique<vcl::TDesignerHost>();
        host->LoadPackage("orvane");
        host->NewForm(vcl::TForm::StaticClass(), "Designed");
    }
    void TearDown() override {
        host.reset();
        UiFixture::TearDown();
    }

    std::unique_ptr<vcl::TDesignerHost> host;
};

}  // namespace systemtest
