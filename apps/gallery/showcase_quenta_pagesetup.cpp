// The page-setup dialog of the dialogs package, shot while the platform's dialog is open. It needs a
// printer: without a reachable CUPS server (CUPS_SERVER, see scripts/cups-server) there is no shot.
#include <iostream>

#include "gallery.h"
#include "quenta/zylpagesetup.h"
#include "vcl/printers.h"
#include "win32/commdlg.h"

using namespace vcl;

namespace {

void ShootPageSetup(gallery::Album& album, quenta::TZylPageSetupDialog* dialog, const std::string& caption,
                    win32::testing::PageSetupScript script) {
    script.cancel = true;
    script.whileOpen = [&album, dialog, caption](win32::HWND window) {
        album.ShootWindow(caption, window, dialog);
    };
    win32::testing::SetPageSetupScript(script);
    dialog->Execute();
}

gallery::Registration pageSetupDialog{
    "TZylPageSetupDialog", "quenta",
    "The page-setup dialog on the default printer: the platform's sample page in inches, and A4 on its side "
    "in millimetres with the sample page's text drawn by OnPaintPage.",
    [](gallery::Album& album) {
        if (Printer()->Printers()->Count() == 0) {
            std::cerr << "TZylPageSetupDialog: no printer (start scripts/cups-server and set CUPS_SERVER)\n";
            return;
        }
        TComponentPtr<quenta::TZylPageSetupDialog> dialog(new quenta::TZylPageSetupDialog(nullptr));
        dialog->SetName("ZylPageSetupDialog1");
        ShootPageSetup(album, dialog.get(), "Letter, inches", {});

        dialog->SetMeasurements(quenta::pmMillimeters);
        dialog->SetMargins(TRect{2000, 1500, 2000, 1500});
        dialog->OnInitPaintPage = [](TObject*, int16_t, quenta::TZylPaperType, quenta::TZylPaperOrientation,
                                     quenta::TZylPrinterType, quenta::PZylDlgData) { return false; };
        dialog->OnPaintPage = [](TObject*, quenta::TZylPaintWhat what, TCanvas* canvas, TRect rect) {
            if (what != quenta::pwGreekText) return false;
            canvas->Brush()->SetColor(static_cast<TColor>(0xF0E0C0));
            canvas->FillRect(rect);
            canvas->Pen()->SetColor(clNavy);
            for (int y = rect.top + 3; y + 2 < rect.bottom; y += 5) {
                canvas->MoveTo(rect.left + 2, y);
                canvas->LineTo(rect.right - 2, y);
            }
            return true;
        };
        win32::testing::PageSetupScript landscape;
        landscape.paperSize = win32::DMPAPER_A4;
        landscape.orientation = win32::DMORIENT_LANDSCAPE;
        ShootPageSetup(album, dialog.get(), "A4 landscape, millimetres, painted text", landscape);
    }};

}  // namespace
