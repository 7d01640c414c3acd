// The framework's print and printer-setup dialogs, shot while the platform's dialog is open. They
// need a printer: without a reachable CUPS server (CUPS_SERVER, see scripts/cups-server) there is no
// shot.
#include <iostream>

#include "gallery.h"
#include "vcl/dialogs.h"
#include "vcl/printers.h"
#include "win32/commdlg.h"

using namespace vcl;

namespace {

void ShootPrintDialog(gallery::Album& album, TCommonDialog* dialog, const std::string& caption) {
    win32::testing::PrintDlgScript script;
    script.cancel = true;
    script.whileOpen = [&album, dialog, caption](win32::HWND window) {
        album.ShootWindow(caption, window, dialog);
    };
    win32::testing::SetPrintDlgScript(script);
    dialog->Execute();
}

gallery::Registration printDialogs{
    "TPrintDialog", "framework",
    "The print dialog with page numbers and two copies, and the printer-setup dialog, on the default "
    "printer.",
    [](gallery::Album& album) {
        if (Printer()->Printers()->Count() == 0) {
            std::cerr << "TPrintDialog: no printer (start scripts/cups-server and set CUPS_SERVER)\n";
            return;
        }
        TComponentPtr<TPrintDialog> print(new TPrintDialog(nullptr));
        print->SetName("PrintDialog1");
        print->SetOptions(TPrintDialogOptions{poPageNums, poPrintToFile});
        print->SetMinPage(1);
        print->SetMaxPage(12);
        print->SetCopies(2);
        ShootPrintDialog(album, print.get(), "Print");
        TComponentPtr<TPrinterSetupDialog> setup(new TPrinterSetupDialog(nullptr));
        setup->SetName("PrinterSetupDialog1");
        ShootPrintDialog(album, setup.get(), "Print Setup");
    }};

}  // namespace
