// TZylPageSetupDialog on the platform's page-setup dialog and the private CUPS server.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "quenta/zylpagesetup.h"
#include "support/print_server.h"
#include "support/ui_fixture.h"
#include "vcl/printers.h"

namespace {

using quenta::TZylPageSetupDialog;
namespace wt = win32::testing;

class ZylPageSetupTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        if (const std::string& error = zyltest::PrintServer::Get().Error(); !error.empty())
            GTEST_SKIP() << error;
        delete vcl::SetPrinter(new vcl::TPrinter);
        vcl::Application->OnException = [this](vcl::TObject*, const vcl::Exception& error) {
            reported.push_back(error.Message());
        };
        dialog = new TZylPageSetupDialog(nullptr);
    }
    void TearDown() override {
        if (dialog) dialog->Free();
        if (vcl::Application) vcl::Application->OnException = nullptr;
        delete vcl::SetPrinter(nullptr);
        UiFixture::TearDown();
    }

    // The record's blocks as the dialog showed them (seen from OnInitPaintPage).
    void WatchBlocks() {
        dialog->OnInitPaintPage = [this](vcl::TObject*, int16_t, quenta::TZylPaperType,
                                         quenta::TZylPaperOrientation, quenta::TZylPrinterType,
                                         quenta::PZylDlgData data) {
            shownMode = data->hDevMode;
            shownNames = data->hDevNames;
            return false;
        };
        dialog->OnPaintPage = [](vcl::TObject*, quenta::TZylPaintWhat, vcl::TCanvas*, vcl::TRect) {
            return false;
        };
    }

    TZylPageSetupDialog* dialog = nullptr;
    std::vector<std::string> reported;
    win32::HGLOBAL shownMode = nullptr;
    win32::HGLOBAL shownNames = nullptr;
};

TEST_F(ZylPageSetupTest, PlainDialogInBothMeasurements) {
    EXPECT_EQ(dialog->Options(),
              (quenta::TZylPageSetupOptions{quenta::poDefaultMinMargins, quenta::poShowHelp}));
    wt::SetPageSetupScript({});
    ASSERT_TRUE(dialog->Execute());
    wt::CommonDialogRecord shown = wt::CommonDialogLog().back();
    EXPECT_EQ(shown.flags, win32::PSD_MARGINS | win32::PSD_INTHOUSANDTHSOFINCHES | win32::PSD_SHOWHELP);
    const int height = shown.window.bottom - shown.window.top;
    EXPECT_EQ(shown.window.top,
              (win32::GetSystemMetrics(win32::SM_CYSCREEN) - height) / 2);  // placed by the platform
    EXPECT_EQ(dialog->Margins().left, 1000);
    EXPECT_EQ(dialog->PaperSize().x, 8500);

    // The same margins read as hundredths of a millimetre: 10 mm.
    dialog->SetMeasurements(quenta::pmMillimeters);
    dialog->SetOptions({quenta::poDisableOrientation});
    wt::SetPageSetupScript({});
    ASSERT_TRUE(dialog->Execute());
    shown = wt::CommonDialogLog().back();
    EXPECT_EQ(shown.flags,
              win32::PSD_MARGINS | win32::PSD_INHUNDREDTHSOFMILLIMETERS | win32::PSD_DISABLEORIENTATION);
    EXPECT_EQ(dialog->Margins().top, 1000);
    EXPECT_EQ(dialog->PaperSize().x, 21590);
    EXPECT_EQ(dialog->PaperSize().y, 27940);

    wt::PageSetupScript cancel;
    cancel.margins = win32::RECT{2000, 2000, 2000, 2000};
    cancel.cancel = true;
    wt::SetPageSetupScript(cancel);
    EXPECT_FALSE(dialog->Execute());
    EXPECT_EQ(dialog->Margins().top, 1000);
}

TEST_F(ZylPageSetupTest, PrinterEventTakesThePrinterButton) {
    std::vector<win32::HWND> calls;
    dialog->OnPrinter = [&calls](vcl::TObject*, win32::HWND window) { calls.push_back(window); };
    wt::PageSetupScript script;
    script.pressPrinter = true;
    wt::SetPageSetupScript(script);
    ASSERT_TRUE(dialog->Execute());
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_NE(calls[0], nullptr);
    const wt::CommonDialogRecord shown = wt::CommonDialogLog().back();
    EXPECT_FALSE(shown.printSetupOpened);
    // With a hook the dialog stands centred, a third of the free height from the top.
    const int width = shown.window.right - shown.window.left, height = shown.window.bottom - shown.window.top;
    EXPECT_EQ(shown.window.left, (win32::GetSystemMetrics(win32::SM_CXSCREEN) - width) / 2);
    EXPECT_EQ(shown.window.top, (win32::GetSystemMetrics(win32::SM_CYSCREEN) - height) / 3);

    // A handler that fails is reported, and the platform's printer dialog opens as without one; the
    // printer chosen there becomes the framework's.
    dialog->OnPrinter = [](vcl::TObject*, win32::HWND) { throw vcl::Exception("no printer today"); };
    wt::SetPageSetupScript(script);
    wt::PrintDlgScript choose;
    choose.printer = "ZylText";
    wt::SetPrintDlgScript(choose);
    ASSERT_TRUE(dialog->Execute());
    EXPECT_EQ(reported, std::vector<std::string>{"no printer today"});
    EXPECT_TRUE(wt::CommonDialogLog().back().printSetupOpened);
    EXPECT_EQ(vcl::Printer()->Printers()->Strings(vcl::Printer()->PrinterIndex()), "ZylText");
}

TEST_F(ZylPageSetupTest, PaintEventsSeeThePageKindAndEachPart) {
    // One paint event alone installs no paint hook.
    int paints = 0;
    dialog->OnPaintPage = [&paints](vcl::TObject*, quenta::TZylPaintWhat, vcl::TCanvas*, vcl::TRect) {
        ++paints;
        return false;
    };
    wt::SetPageSetupScript({});
    ASSERT_TRUE(dialog->Execute());
    EXPECT_EQ(paints, 0);
    EXPECT_FALSE(wt::CommonDialogLog().back().flags & win32::PSD_ENABLEPAGEPAINTHOOK);

    struct Init {
        int16_t paper;
        quenta::TZylPaperType type;
        quenta::TZylPaperOrientation orientation;
        quenta::TZylPrinterType printer;
    };
    std::vector<Init> inits;
    std::vector<quenta::TZylPaintWhat> parts;
    dialog->OnInitPaintPage = [&inits](vcl::TObject*, int16_t paper, quenta::TZylPaperType type,
                                       quenta::TZylPaperOrientation orientation,
                                       quenta::TZylPrinterType printer, quenta::PZylDlgData data) {
        EXPECT_EQ(data->lStructSize, sizeof(win32::PAGESETUPDLG));
        inits.push_back({paper, type, orientation, printer});
        return false;
    };
    dialog->OnPaintPage = [&parts](vcl::TObject*, quenta::TZylPaintWhat what, vcl::TCanvas* canvas,
                                   vcl::TRect rect) {
        parts.push_back(what);
        if (what == quenta::pwFullPage) {
            EXPECT_GT(rect.right, rect.left);
            canvas->Brush()->SetColor(vcl::clYellow);
            canvas->FillRect(rect);
            return true;  // drawn here; the platform stops
        }
        return false;
    };
    wt::PageSetupScript script;
    script.paperSize = win32::DMPAPER_ENV_DL;
    script.orientation = win32::DMORIENT_LANDSCAPE;
    wt::SetPageSetupScript(script);
    ASSERT_TRUE(dialog->Execute());
    ASSERT_EQ(inits.size(), 3u);
    EXPECT_EQ(inits[0].paper, win32::DMPAPER_LETTER);
    EXPECT_EQ(inits[0].type, quenta::ptPaper);
    EXPECT_EQ(inits[0].orientation, quenta::poPortrait);
    EXPECT_EQ(inits[0].printer, quenta::ptHPPCL);
    EXPECT_EQ(inits[2].paper, win32::DMPAPER_ENV_DL);
    EXPECT_EQ(inits[2].type, quenta::ptEnvelope);
    EXPECT_EQ(inits[2].orientation, quenta::poLandscape);
    EXPECT_EQ(inits[2].printer, quenta::ptHPPCL);
    EXPECT_EQ(parts, std::vector<quenta::TZylPaintWhat>(3, quenta::pwFullPage));

    // A paint event that fails is reported and the platform draws the part itself. The envelope
    // chosen above is now the printer's paper: six parts.
    parts.clear();
    dialog->OnPaintPage = [&parts](vcl::TObject*, quenta::TZylPaintWhat what, vcl::TCanvas*,
                                   vcl::TRect) -> bool {
        parts.push_back(what);
        throw std::runtime_error("paint failed");
    };
    wt::SetPageSetupScript({});
    ASSERT_TRUE(dialog->Execute());
    EXPECT_EQ(parts.size(), 6u);
    EXPECT_EQ(reported.size(), 6u);
}

TEST_F(ZylPageSetupTest, GlobalMemoryIsFreedOnEveryPath) {
    WatchBlocks();
    vcl::Printer()->PrinterIndex();  // the printer holds its settings block from here on
    const size_t before = wt::GlobalBlockCount();
    wt::PageSetupScript cancel;
    cancel.cancel = true;
    wt::SetPageSetupScript(cancel);
    EXPECT_FALSE(dialog->Execute());
    ASSERT_NE(shownNames, nullptr);
    EXPECT_EQ(wt::GlobalBlockCount(), before);

    // On OK the returned settings block replaces the printer's, the names block is freed.
    wt::SetPageSetupScript({});
    ASSERT_TRUE(dialog->Execute());
    EXPECT_EQ(wt::GlobalBlockCount(), before);
    std::string device, driver, port;
    win32::HGLOBAL kept = nullptr;
    vcl::Printer()->GetPrinter(device, driver, port, kept);
    EXPECT_EQ(win32::GlobalSize(kept), sizeof(win32::DEVMODE));

    // Exceptions from the events, inside the dialog or after it, leave nothing behind.
    dialog->OnPrinter = [](vcl::TObject*, win32::HWND) { throw vcl::Exception("printer failed"); };
    dialog->OnClose = [](vcl::TObject*) { throw vcl::Exception("closing failed"); };
    wt::PageSetupScript press;
    press.pressPrinter = true;
    wt::SetPageSetupScript(press);
    EXPECT_THROW(dialog->Execute(), vcl::Exception);
    EXPECT_EQ(wt::CommonDialogLog().back().outcome, "ok");
    EXPECT_EQ(reported, std::vector<std::string>{"printer failed"});
    EXPECT_EQ(wt::GlobalBlockCount(), before);
}

}  // namespace
