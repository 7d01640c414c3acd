// The framework's printer on the private CUPS server: the list, choosing, printing pages through the
// canvas, and the text-file printer assignment.
#include <gtest/gtest.h>

#include <cstdlib>

#include "support/print_server.h"
#include "support/real_peers.h"
#include "support/ui_fixture.h"
#include "vcl/printers.h"

namespace {

using namespace vcl;
namespace wt = win32::testing;

class PrinterTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        if (const std::string& error = zyltest::PrintServer::Get().Error(); !error.empty())
            GTEST_SKIP() << error;
        delete SetPrinter(new TPrinter);
    }
    void TearDown() override {
        delete SetPrinter(nullptr);
        UiFixture::TearDown();
    }
};

TEST_F(PrinterTest, ListsAndChoosesPrinters) {
    TPrinter* printer = Printer();
    ASSERT_EQ(printer->Printers()->Count(), 2);
    EXPECT_EQ(printer->Printers()->Strings(printer->PrinterIndex()), "ZylPdf");
    printer->SetPrinterIndex(1);
    std::string device, driver, port;
    win32::HGLOBAL mode = nullptr;
    printer->GetPrinter(device, driver, port, mode);
    EXPECT_EQ(device, "ZylText");
    EXPECT_EQ(port.rfind("file://", 0), 0u);
    ASSERT_NE(mode, nullptr);
    EXPECT_EQ(win32::GlobalSize(mode), sizeof(win32::DEVMODE));
    EXPECT_THROW(printer->SetPrinterIndex(2), EPrinter);
    EXPECT_THROW(printer->SetPrinter("NoSuchQueue", "", "", nullptr), EPrinter);
    printer->SetPrinterIndex(-1);
    EXPECT_EQ(printer->PrinterIndex(), 0);

    const Integer portraitWidth = printer->PageWidth();
    printer->SetOrientation(poLandscape);
    EXPECT_EQ(printer->Orientation(), poLandscape);
    EXPECT_GT(printer->PageWidth(), printer->PageHeight());
    EXPECT_GT(printer->PageWidth(), portraitWidth);
}

TEST_F(PrinterTest, PrintsPagesThroughTheCanvas) {
    TPrinter* printer = Printer();
    EXPECT_THROW(printer->EndDoc(), EPrinter);
    printer->SetTitle("Report");
    printer->BeginDoc();
    EXPECT_TRUE(printer->Printing());
    EXPECT_EQ(printer->PageNumber(), 1);
    EXPECT_THROW(printer->SetPrinterIndex(1), EPrinter);
    EXPECT_EQ(win32::GetDeviceCaps(printer->Canvas()->Handle(), win32::LOGPIXELSY), 300);
    printer->Canvas()->Font()->SetSize(12);
    EXPECT_EQ(printer->Canvas()->Font()->Height(), -50);  // 12 points at 300 dots per inch
    printer->Canvas()->TextOut(100, 100, "First page");
    printer->NewPage();
    EXPECT_EQ(printer->PageNumber(), 2);
    printer->Canvas()->TextOut(100, 100, "Second page");
    printer->EndDoc();
    EXPECT_FALSE(printer->Printing());
    const auto printed = wt::PrintedDocuments();
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(printed[0].title, "Report");
    EXPECT_EQ(printed[0].pages, 2);
    EXPECT_EQ(zyltest::PdfPageCount(printed[0].pdf), 2);

    printer->BeginDoc();
    printer->Abort();
    EXPECT_TRUE(printer->Aborted());
    EXPECT_FALSE(printer->Printing());
    EXPECT_EQ(wt::PrintedDocuments().size(), 1u);
}

TEST_F(PrinterTest, TextFileLinesFillPagesWithTheCanvasFont) {
    TPrinter* printer = Printer();
    TextFile file;
    EXPECT_THROW(file.Writeln("not open"), EInOutError);
    AssignPrn(file);
    file.Rewrite();
    printer->Canvas()->Font()->SetName("Courier New");
    printer->Canvas()->Font()->SetSize(10);
    const Integer lineHeight = printer->Canvas()->TextHeight("0");
    const Integer linesPerPage = printer->PageHeight() / lineHeight;
    for (Integer line = 0; line < linesPerPage + 5; ++line)
        file.Writeln("Line\t" + std::to_string(line));
    file.Write("no newline at the end");
    file.CloseFile();
    const auto printed = wt::PrintedDocuments();
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(printed[0].pages, 2);
    EXPECT_EQ(zyltest::PdfPageCount(printed[0].pdf), 2);
}

TEST(PrinterWithoutServer, HasNoPrintersAndSaysSo) {
    const char* saved = std::getenv("CUPS_SERVER");
    const std::string previous = saved ? saved : "";
    setenv("CUPS_SERVER", ("127.0.0.1:" + std::to_string(zyltest::FreeLoopbackPort())).c_str(), 1);
    TPrinter printer;
    EXPECT_EQ(printer.Printers()->Count(), 0);
    try {
        printer.PrinterIndex();
        ADD_FAILURE() << "no exception";
    } catch (const EPrinter& error) {
        EXPECT_EQ(error.Message(), "There is no default printer currently selected");
    }
    EXPECT_THROW(printer.BeginDoc(), EPrinter);
    if (saved)
        setenv("CUPS_SERVER", previous.c_str(), 1);
    else
        unsetenv("CUPS_SERVER");
}

}  // namespace
