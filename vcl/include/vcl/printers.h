// The printer: the platform's printer list, the current printer and its settings, and printing
// through a canvas at the printer's resolution. Printer() is the application's printer.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "vcl/graphics.h"
#include "vcl/stringlist.h"
#include "vcl/sysutils.h"
#include "win32/printing.h"

namespace vcl {

VCL_DECLARE_EXCEPTION(EPrinter, Exception)

enum class TPrinterOrientation : uint8_t { poPortrait, poLandscape };
VCL_ENUM_NAMES(TPrinterOrientation, "poPortrait", "poLandscape")
using enum TPrinterOrientation;

class TPrinter : public TObject {
    VCL_DECLARE_CLASS(TPrinter, TObject)
public:
    TPrinter();
    ~TPrinter() override;
    TPrinter(const TPrinter&) = delete;
    TPrinter& operator=(const TPrinter&) = delete;

    // The queues' names, read from the platform on first use and after Refresh.
    TStrings* Printers();
    void Refresh();
    // The current printer's position in Printers; the default printer until another is chosen.
    // Setting -1 chooses the default printer. EPrinter when there is none or the index is out of range.
    Integer PrinterIndex();
    void SetPrinterIndex(Integer value);

    // The current printer's names and its settings block; the block stays the printer's.
    void GetPrinter(std::string& device, std::string& driver, std::string& port, win32::HGLOBAL& deviceMode);
    // Makes a printer of the list current. The printer takes over `deviceMode` (a DEVMODE block in
    // global memory; null: the printer's defaults) and frees it, even when it refuses the printer.
    void SetPrinter(const std::string& device, const std::string& driver, const std::string& port,
                    win32::HGLOBAL deviceMode);

    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& value) { title_ = value; }
    Integer Copies();
    void SetCopies(Integer value);
    TPrinterOrientation Orientation();
    void SetOrientation(TPrinterOrientation value);

    // The printable area in the printer's pixels.
    Integer PageWidth();
    Integer PageHeight();
    Integer PageNumber() const { return pageNumber_; }
    bool Printing() const { return printing_; }
    bool Aborted() const { return aborted_; }

    void BeginDoc();
    // EPrinter when the queue refused the document.
    void EndDoc();
    void NewPage();
    void Abort();

    // Draws on the page while printing; measures at the printer's resolution otherwise.
    TCanvas* Canvas();
    win32::HDC Handle();

private:
    void RequirePrinter();
    void RequireIdle() const;
    void RequirePrinting() const;
    void ChoosePrinter(Integer index, win32::HGLOBAL deviceMode);
    win32::DEVMODE DeviceMode() const;
    void ChangeDeviceMode(const win32::DEVMODE& mode);
    void FreeDC();
    void MakeDC();

    std::unique_ptr<TStringList> printers_;
    bool listed_ = false;
    Integer index_ = -1;
    win32::HGLOBAL deviceMode_ = nullptr;
    win32::HDC dc_ = nullptr;
    std::unique_ptr<TCanvas> canvas_;
    std::string title_;
    Integer pageNumber_ = 0;
    bool printing_ = false;
    bool aborted_ = false;
};

// The application's printer, made on first use.
TPrinter* Printer();
// Replaces the application's printer and returns the previous one, which the caller now owns.
TPrinter* SetPrinter(TPrinter* printer);

// The framework's text-file printer assignment: a text file whose lines are printed on
// Printer()'s canvas with its font, one after another, starting a new page when the next line would
// not fit. Tabs stop every eight characters.
class TextFile {
public:
    TextFile() = default;
    ~TextFile();
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;

    // Starts the document (BeginDoc).
    void Rewrite();
    void Write(std::string_view text);
    void Writeln(std::string_view text = {});
    // Prints what is left of the last line and ends the document (EndDoc).
    void CloseFile();
    bool IsOpen() const { return open_; }

private:
    friend void AssignPrn(TextFile& file);
    void EmitLine();

    bool assigned_ = false;
    bool open_ = false;
    std::string line_;
    Integer y_ = 0;
};

void AssignPrn(TextFile& file);

}  // namespace vcl
