// Shared set-up for the list and combo box tests: a shown form that records the notifications its
// children send, and pixel helpers.
#pragma once

#include <tuple>
#include <vector>

#include "support/ui_fixture.h"
#include "vcl/stdctrls.h"
#include "win32/gdi.h"
#include "win32/menu.h"

namespace zyltest {

class ListFixture : public UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        form = ShowForm(100, 100, 320, 240);
        form->SetWindowProc([this](vcl::TMessage& message) {
            if (message.Msg == win32::WM_COMMAND && message.LParam != 0)
                notifications.push_back(win32::HIWORD(message.WParam));
            form->WndProc(message);
        });
    }

    static std::tuple<int, int, int, int> Edges(const win32::RECT& r) {
        return {r.left, r.top, r.right, r.bottom};
    }

    static win32::COLORREF Rgb(vcl::TColor color) { return vcl::ColorToRGB(color); }

    static win32::COLORREF PixelOf(vcl::TBitmap* bitmap, int x, int y) {
        return vcl::ColorToRGB(bitmap->Canvas()->Pixels(x, y));
    }

    static win32::COLORREF ScreenPixel(int x, int y) {
        const win32::HDC dc = win32::GetDC(nullptr);
        const win32::COLORREF color = win32::GetPixel(dc, x, y);
        win32::ReleaseDC(nullptr, dc);
        return color;
    }

    vcl::TForm* form = nullptr;
    std::vector<win32::WORD> notifications;
};

}  // namespace zyltest
