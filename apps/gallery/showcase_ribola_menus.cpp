// Showcases of the owner-drawn menus, each shot while the menu is open: a menu bar's drop-down with a
// gradient side bar and its caption, a popup over a tiled picture with an image column, captioned
// dividers, and the system menus of a form and of the application replaced by owner-drawn ones.
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "gallery.h"
#include "ribola/zylmenu.h"
#include "vcl/imglist.h"
#include "win32/input.h"
#include "win32/menu.h"
#include "win32/scope.h"
#include "win32/user.h"
#include "win32/virtualkeys.h"

using namespace vcl;
using namespace ribola;

namespace {

TZylMenuItem* AddItem(TZylMenuItem* parent, const std::string& caption, const std::string& shortCut = {}) {
    // Items belong to the form, as the designer makes them; the root item belongs to its menu.
    TComponent* owner = dynamic_cast<TZylMenu*>(parent->Owner()) ? parent->Owner()->Owner() : parent->Owner();
    auto* item = new TZylMenuItem(owner);
    item->SetName(gallery::DesignerName(owner, "TZylMenuItem"));
    item->SetCaption(caption);
    if (!shortCut.empty()) item->SetShortCut(TextToShortCut(shortCut));
    parent->Add(item);
    return item;
}

TZylMenuItem* AddDivider(TZylMenuItem* parent, const std::string& caption) {
    TZylMenuItem* divider = AddItem(parent, caption);
    divider->SetDivider(true);
    return divider;
}

// The fonts a menu dropped in the designer writes to its form.
void DesignerFonts(TZylMenu* menu) {
    menu->SelectedFont()->SetColor(clHighlightText);
    menu->DividerFont()->SetName("Small Fonts");
    menu->DividerFont()->SetSize(7);
}

// Runs `open` (which starts a menu loop); while the loop waits, presses `keys` one at a time, then
// shoots the form and closes the menu.
void ShootWhileOpen(gallery::Album& album, TForm* form, TComponent* subject, const std::string& caption,
                    const std::function<void()>& open, std::initializer_list<int> keys = {}) {
    const std::vector<int> pending(keys);
    size_t pressed = 0;
    bool shot = false;
    win32::testing::SetModalScript([&](std::string_view) {
        if (pressed < pending.size()) {
            win32::input::PressKey(pending[pressed++]);
            return;
        }
        if (!shot) {
            shot = true;
            album.Shoot(caption, form, subject);
        }
        // Escape closes one menu level at a time until the loop ends.
        win32::input::PressKey(win32::VK_ESCAPE);
    });
    const win32::ScopeExit unscripted([] { win32::testing::SetModalScript(nullptr); });
    open();
    Application->ProcessMessages();
}

// A 16 x 16 picture on fuchsia (the transparent colour): a filled shape in one colour.
void AddGlyph(TImageList* images, TColor color, int shape) {
    TBitmap glyph;
    glyph.SetSize(16, 16);
    TCanvas* canvas = glyph.Canvas();
    canvas->Brush()->SetColor(clFuchsia);
    canvas->FillRect(TRect{0, 0, 16, 16});
    canvas->Brush()->SetColor(color);
    canvas->Pen()->SetColor(clBlack);
    if (shape == 0) canvas->Rectangle(2, 2, 14, 14);
    if (shape == 1) canvas->Ellipse(1, 1, 15, 15);
    if (shape == 2) {
        const TPoint points[] = {{8, 1}, {15, 14}, {1, 14}};
        canvas->Polygon(points);
    }
    if (shape == 3) canvas->RoundRect(1, 4, 15, 12, 4, 4);
    images->AddMasked(&glyph, clFuchsia);
}

gallery::Registration mainMenu{
    "TZylMainMenu", "ribola",
    "A menu bar whose File drop-down has a navy-to-aqua gradient side bar with a rotated caption, "
    "shortcuts, a disabled item, a submenu and a captioned divider.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("Main menu", 320, 230);
        form->SetColor(clBtnFace);
        auto* menu = new TZylMainMenu(form);
        menu->SetName("ZylMainMenu1");
        DesignerFonts(menu);
        TZylMenuItem* file = AddItem(menu->Items(), "&File");
        AddItem(menu->Items(), "&Edit");
        AddItem(menu->Items(), "&Help");
        AddItem(file, "&New", "Ctrl+N");
        AddItem(file, "&Open...", "Ctrl+O");
        AddItem(file, "&Save", "Ctrl+S");
        AddItem(file, "Save &As...")->SetEnabled(false);
        TZylMenuItem* recent = AddItem(file, "&Recent");
        AddItem(recent, "notes.txt");
        AddDivider(file, "Quit");
        AddItem(file, "E&xit", "Alt+F4");
        TZylSubMenu* look = file->SubMenuDetails();
        look->SetEnabled(true);
        look->SetColor(clWhite);
        look->SetBarEnabled(true);
        look->SetBarWidth(22);
        look->SetBarColor(clNavy);
        look->BarAsGradient()->SetFadeToColor(clAqua);
        look->BarAsGradient()->SetActive(true);
        look->SetBarCaption("Zyl Menus");
        look->SetBarFontname("Arial");
        look->SetBarFontSize(10);
        look->SetBarFontColor(clWhite);
        form->Show();
        Application->ProcessMessages();

        win32::RECT entry{};
        win32::GetMenuItemRect(form->Handle(), menu->Handle(), 0, &entry);
        ShootWhileOpen(album, form, menu, "File drop-down with a gradient side bar", [&] {
            win32::input::Click((entry.left + entry.right) / 2, (entry.top + entry.bottom) / 2);
            Application->ProcessMessages();
        });
    }};

gallery::Registration popupMenu{
    "TZylPopupMenu", "ribola",
    "A popup menu drawn over a tiled picture with an image column (one item checked with its own "
    "image, one disabled and embossed) and a raised selection frame; and one with captioned dividers.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("Popup menu", 300, 260);
        form->SetColor(clBtnFace);
        auto* images = new TImageList(form);
        images->SetName("ImageList1");
        AddGlyph(images, clRed, 0);
        AddGlyph(images, clLime, 1);
        AddGlyph(images, clBlue, 2);
        AddGlyph(images, clYellow, 3);
        auto* menu = new TZylPopupMenu(form);
        menu->SetName("ZylPopupMenu1");
        DesignerFonts(menu);
        menu->SetImages(images);
        menu->SetSelectedColor(clNone);
        menu->SetSelectType(selRaised);
        menu->SelectedFont()->SetColor(clNavy);
        menu->SelectedFont()->SetStyle(TFontStyles{fsBold});
        TZylMenuItem* cut = AddItem(menu->Items(), "Cu&t", "Ctrl+X");
        cut->SetImageIndex(0);
        TZylMenuItem* copy = AddItem(menu->Items(), "&Copy", "Ctrl+C");
        copy->SetImageIndex(1);
        TZylMenuItem* paste = AddItem(menu->Items(), "&Paste", "Ctrl+V");
        paste->SetImageIndex(2);
        paste->SetEnabled(false);
        TZylMenuItem* grid = AddItem(menu->Items(), "Show &grid");
        grid->SetImageIndex(3);
        grid->SetCheckedIndex(1);
        grid->SetChecked(true);
        AddItem(menu->Items(), "&Properties...");

        TBitmap tile;
        tile.SetSize(24, 24);
        tile.Canvas()->Brush()->SetColor(static_cast<TColor>(0x00F4EEE6));
        tile.Canvas()->FillRect(TRect{0, 0, 24, 24});
        tile.Canvas()->Pen()->SetColor(static_cast<TColor>(0x00E0D0C0));
        for (int i = -24; i < 24; i += 6) {
            tile.Canvas()->MoveTo(i, 24);
            tile.Canvas()->LineTo(i + 24, 0);
        }
        TZylSubMenu* look = menu->PopupDetails();
        look->SetEnabled(true);
        look->SetBackground(&tile);
        look->SetBackgroundType(btTiled);
        form->Show();
        Application->ProcessMessages();

        const TPoint at = form->ClientToScreen(Point(20, 10));
        // The second entry is selected, as the keyboard leaves it.
        ShootWhileOpen(album, form, menu, "Background picture and image column",
                       [&] { menu->Popup(at.x, at.y); }, {win32::VK_DOWN, win32::VK_DOWN});

        auto* dividers = new TZylPopupMenu(form);
        dividers->SetName("ZylPopupMenu2");
        DesignerFonts(dividers);
        dividers->DividerFont()->SetColor(clNavy);
        AddDivider(dividers->Items(), "Edit");
        AddItem(dividers->Items(), "&Undo", "Ctrl+Z");
        AddItem(dividers->Items(), "&Redo", "Ctrl+Y");
        AddDivider(dividers->Items(), "View");
        AddItem(dividers->Items(), "&Zoom in", "Ctrl+I");
        AddItem(dividers->Items(), "Zoom &out", "Ctrl+Shift+I");
        AddDivider(dividers->Items(), "-");
        AddItem(dividers->Items(), "&Close");
        ShootWhileOpen(album, form, dividers, "Captioned dividers", [&] { dividers->Popup(at.x, at.y); });
    }};

gallery::Registration formMenu{
    "TZylFormMenu", "ribola",
    "A form's system menu replaced by the package's own, opened with Alt+Space: items bound to the "
    "standard commands (Restore greyed, as the window is not maximized), an item of the program's, a "
    "gradient side bar.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("Planner", 300, 200);
        form->SetBorderStyle(bsSizeable);
        form->SetColor(clBtnFace);
        auto* menu = new TZylFormMenu(form);
        menu->SetName("ZylFormMenu1");
        DesignerFonts(menu);
        AddItem(menu->Items(), "&Restore")->SetSystemItem(sicRestore);
        AddItem(menu->Items(), "Mi&nimize")->SetSystemItem(sicMinimize);
        AddItem(menu->Items(), "Ma&ximize")->SetSystemItem(sicMaximize);
        AddDivider(menu->Items(), "Planner");
        AddItem(menu->Items(), "&About Planner...");
        AddDivider(menu->Items(), "-");
        AddItem(menu->Items(), "&Close", "Alt+F4")->SetSystemItem(sicClose);
        TZylSubMenu* look = menu->PopupDetails();
        look->SetEnabled(true);
        look->SetBarEnabled(true);
        look->SetBarWidth(20);
        look->SetBarColor(clMaroon);
        look->BarAsGradient()->SetFadeToColor(clRed);
        look->BarAsGradient()->SetActive(true);
        look->SetBarCaption("Planner");
        look->SetBarFontname("Arial");
        look->SetBarFontSize(9);
        look->SetBarFontColor(clWhite);
        form->Show();
        Application->ProcessMessages();
        ShootWhileOpen(album, form, menu, "System menu opened with Alt+Space",
                       [] { win32::input::PressKey(win32::VK_SPACE, win32::input::Alt); });
    }};

gallery::Registration applicationMenu{
    "TZylApplicationMenu", "ribola",
    "The application window's system menu (the one its taskbar button opens) replaced by the package's "
    "own, with a captioned divider, opened over the main form.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("Planner", 300, 200);
        form->SetColor(clBtnFace);
        auto* menu = new TZylApplicationMenu(form);
        menu->SetName("ZylApplicationMenu1");
        DesignerFonts(menu);
        AddItem(menu->Items(), "&Show Planner");
        AddItem(menu->Items(), "&Reminders...");
        AddDivider(menu->Items(), "Window");
        AddItem(menu->Items(), "Mi&nimize")->SetSystemItem(sicMinimize);
        AddItem(menu->Items(), "&Close")->SetSystemItem(sicClose);
        form->Show();
        Application->ProcessMessages();
        ShootWhileOpen(album, form, menu, "Application menu open", [] {
            win32::SendMessage(Application->Handle(), win32::WM_SYSCOMMAND, win32::SC_KEYMENU, ' ');
        });
        menu->Free();
    }};

}  // namespace
