// A 40-item popup menu opened and closed: owner-drawn with a gradient side bar and its caption
// (every item measured and painted by the menu), against the same menu drawn natively by the
// platform's menu code. Both go through the platform's menu loop, which is answered at once; the
// third benchmark measures and paints the owner-drawn items alone, without opening a menu.
#include <benchmark/benchmark.h>

#include <string>

#include "dib_target.h"
#include "ribola/zylmenu.h"
#include "vcl/forms.h"
#include "win32/input.h"
#include "win32/menu.h"
#include "win32/user.h"
#include "win32/virtualkeys.h"

using namespace ribola;
using namespace win32;

namespace {

constexpr int kItems = 40;

// A popup menu of 40 items with shortcuts, every tenth a captioned divider, and a gradient side bar.
class FortyItems {
public:
    explicit FortyItems(bool ownerDrawn) : form_(new vcl::TForm(nullptr, 0)) {
        menu_ = new TZylPopupMenu(form_);
        menu_->SetNewStyles(ownerDrawn);
        for (int i = 0; i < kItems; ++i) {
            auto* item = new TZylMenuItem(form_);
            item->SetCaption("Item &" + std::to_string(i));
            if (i % 10 == 9)
                item->SetDivider(true);
            else
                item->SetShortCut(
                    vcl::TextToShortCut("Ctrl+" + std::string(1, static_cast<char>('A' + i % 26))));
            menu_->Items()->Add(item);
        }
        TZylSubMenu* look = menu_->PopupDetails();
        look->SetEnabled(true);
        look->SetBarEnabled(true);
        look->SetBarWidth(20);
        look->SetBarColor(vcl::clNavy);
        look->BarAsGradient()->SetFadeToColor(vcl::clAqua);
        look->BarAsGradient()->SetActive(true);
        look->SetBarCaption("Forty items");
        look->SetBarFontColor(vcl::clWhite);
        // Keys go to the focus: a shown form takes the Escape that closes the menu.
        form_->SetBounds(300, 100, 300, 200);
        form_->Show();
        vcl::Application->ProcessMessages();
    }
    ~FortyItems() { form_->Free(); }
    FortyItems(const FortyItems&) = delete;
    FortyItems& operator=(const FortyItems&) = delete;

    TZylPopupMenu* Menu() const { return menu_; }

private:
    vcl::TForm* form_;
    TZylPopupMenu* menu_;
};

// Opens the menu and closes it as soon as its loop waits: layout (measuring) and the first paint.
void OpenAndClose(benchmark::State& state, bool ownerDrawn) {
    FortyItems menu(ownerDrawn);
    win32::testing::SetModalScript([](std::string_view) { input::PressKey(VK_ESCAPE); });
    for (auto _ : state) {
        menu.Menu()->Popup(10, 10);
        vcl::Application->ProcessMessages();
    }
    win32::testing::SetModalScript(nullptr);
}

void OwnerDrawnMenu(benchmark::State& state) {
    OpenAndClose(state, true);
}
BENCHMARK(OwnerDrawnMenu)->Unit(benchmark::kMillisecond);

void NativeMenu(benchmark::State& state) {
    OpenAndClose(state, false);
}
BENCHMARK(NativeMenu)->Unit(benchmark::kMillisecond);

// The 40 items measured and painted one below the other, as the menu window asks for them.
void OwnerDrawnItemsOnly(benchmark::State& state) {
    FortyItems menu(true);
    zylbench::DibTarget target(200, kItems * 20);
    TZylMenuItem* root = menu.Menu()->Items();
    for (auto _ : state) {
        int top = 0;
        for (int i = 0; i < kItems; ++i) {
            TZylMenuItem* item = root->Items(i);
            MEASUREITEMSTRUCT measure{ODT_MENU, 0, item->Command(), 0, 0, 0};
            vcl::TMessage measuring{WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure), 0};
            item->MeasureMenuItem(measuring);
            top += static_cast<int>(measure.itemHeight);
        }
        top = 0;
        for (int i = 0; i < kItems; ++i) {
            TZylMenuItem* item = root->Items(i);
            const int height = item->MeasuredHeight();
            DRAWITEMSTRUCT draw{ODT_MENU,
                                0,
                                item->Command(),
                                ODA_DRAWENTIRE,
                                i == 3 ? ODS_SELECTED : 0u,
                                nullptr,
                                target.dc,
                                RECT{0, top, 200, top + height},
                                0};
            vcl::TMessage painting{WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw), 0};
            item->DrawMenuItem(painting);
            top += height;
        }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(OwnerDrawnItemsOnly)->Unit(benchmark::kMillisecond);

}  // namespace
