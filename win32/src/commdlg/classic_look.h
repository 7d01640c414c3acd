// The classic look of the platform's own dialogs (print, page setup, the folder browser and the
// about box): a face-coloured window centred on the screen, drawn with etched groups, sunken fields
// and push buttons.
#pragma once

#include <string>

#include "win32/gdi.h"
#include "win32/user.h"

namespace win32::commdlg {

struct Painter {
    HDC dc;
    HFONT oldFont;
    explicit Painter(HDC target);
    ~Painter();
    Painter(const Painter&) = delete;
    Painter& operator=(const Painter&) = delete;

    void Background(const RECT& client) const;
    void Group(const RECT& box, const std::string& caption, bool enabled = true) const;
    void Label(int x, int y, const std::string& text, bool enabled = true) const;
    void Field(const RECT& box, const std::string& text, bool enabled = true, bool dropDown = false) const;
    void Radio(int x, int y, const std::string& text, bool checked, bool enabled = true) const;
    void Check(int x, int y, const std::string& text, bool checked, bool enabled = true) const;
    void Button(const RECT& box, const std::string& text, bool isDefault = false, bool enabled = true) const;
};

// Registers (again, after a platform reset) a dialog class with this procedure.
void RegisterDialogClass(const char* name, WNDPROC procedure);
// A dialog window of the class, centred on the screen, shown.
HWND CreateDialogWindow(const char* className, const char* caption, HWND owner, int clientWidth,
                        int clientHeight);

}  // namespace win32::commdlg
