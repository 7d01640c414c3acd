// The printer and the text-file printer assignment.
#include <algorithm>
#include <cstring>
#include <vector>

#include "vcl/printers.h"
#include "win32/user.h"

namespace vcl {

using namespace win32;

namespace {

constexpr char kNoDefaultPrinter[] = "There is no default printer currently selected";
constexpr char kPrinterIndexError[] = "Printer index out of range";
constexpr char kPrinting[] = "Printing in progress";
constexpr char kNotPrinting[] = "Printer is not currently printing";
constexpr char kInvalidPrinter[] = "Printer selected is not valid";
constexpr char kDocumentRefused[] = "The printer did not accept the document";

TPrinter*& ApplicationPrinter() {
    static TPrinter* printer = nullptr;
    return printer;
}

std::string DefaultPrinterName() {
    DWORD size = 0;
    GetDefaultPrinter(nullptr, &size);
    if (size == 0) return {};
    std::string name(size, '\0');
    if (!GetDefaultPrinter(name.data(), &size)) return {};
    name.resize(size - 1);
    return name;
}

HGLOBAL DefaultDeviceMode(const std::string& device) {
    HGLOBAL block = GlobalAlloc(GHND, sizeof(DEVMODE));
    if (!block) throw EOutOfMemory("Out of memory");
    auto* mode = static_cast<DEVMODE*>(GlobalLock(block));
    const LONG result = DocumentProperties(nullptr, nullptr, device.c_str(), mode, nullptr, DM_OUT_BUFFER);
    GlobalUnlock(block);
    if (result < 0) {
        GlobalFree(block);
        throw EPrinter(kInvalidPrinter);
    }
    return block;
}

}  // namespace

VCL_DEFINE_CLASS(TPrinter, TObject)

TPrinter::TPrinter() : printers_(std::make_unique<TStringList>()) {}

TPrinter::~TPrinter() {
    if (printing_) AbortDoc(dc_);
    FreeDC();
    if (deviceMode_) GlobalFree(deviceMode_);
}

TStrings* TPrinter::Printers() {
    if (!listed_) {
        listed_ = true;
        printers_->Clear();
        DWORD needed = 0, count = 0;
        EnumPrinters(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 4, nullptr, 0, &needed, &count);
        if (needed > 0) {
            std::vector<BYTE> buffer(needed);
            if (EnumPrinters(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 4, buffer.data(), needed,
                             &needed, &count)) {
                const auto* infos = reinterpret_cast<const PRINTER_INFO_4*>(buffer.data());
                for (DWORD i = 0; i < count; ++i)
                    printers_->Add(infos[i].pPrinterName);
            }
        }
    }
    return printers_.get();
}

void TPrinter::Refresh() {
    RequireIdle();
    std::string current;
    if (index_ >= 0 && index_ < printers_->Count()) current = printers_->Strings(index_);
    listed_ = false;
    Printers();
    index_ = current.empty() ? -1 : printers_->IndexOf(current);
    if (index_ < 0 && deviceMode_) {
        GlobalFree(deviceMode_);
        deviceMode_ = nullptr;
    }
}

void TPrinter::RequirePrinter() {
    if (index_ >= 0) return;
    const std::string name = DefaultPrinterName();
    const Integer found = name.empty() ? -1 : Printers()->IndexOf(name);
    if (found < 0) throw EPrinter(kNoDefaultPrinter);
    ChoosePrinter(found, nullptr);
}

void TPrinter::RequireIdle() const {
    if (printing_) throw EPrinter(kPrinting);
}

void TPrinter::RequirePrinting() const {
    if (!printing_) throw EPrinter(kNotPrinting);
}

void TPrinter::ChoosePrinter(Integer index, HGLOBAL deviceMode) {
    HGLOBAL mode = deviceMode ? deviceMode : DefaultDeviceMode(printers_->Strings(index));
    FreeDC();
    if (deviceMode_ && deviceMode_ != mode) GlobalFree(deviceMode_);
    deviceMode_ = mode;
    index_ = index;
}

Integer TPrinter::PrinterIndex() {
    RequirePrinter();
    return index_;
}

void TPrinter::SetPrinterIndex(Integer value) {
    RequireIdle();
    if (value == -1) {
        index_ = -1;
        RequirePrinter();
        return;
    }
    if (value < 0 || value >= Printers()->Count()) throw EPrinter(kPrinterIndexError);
    ChoosePrinter(value, nullptr);
}

void TPrinter::GetPrinter(std::string& device, std::string& driver, std::string& port, HGLOBAL& deviceMode) {
    RequirePrinter();
    device = printers_->Strings(index_);
    driver.clear();
    port.clear();
    DWORD needed = 0, count = 0;
    EnumPrinters(PRINTER_ENUM_LOCAL, nullptr, 5, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(std::max<DWORD>(needed, 1));
    if (needed && EnumPrinters(PRINTER_ENUM_LOCAL, nullptr, 5, buffer.data(), needed, &needed, &count)) {
        const auto* infos = reinterpret_cast<const PRINTER_INFO_5*>(buffer.data());
        for (DWORD i = 0; i < count; ++i)
            if (device == infos[i].pPrinterName) port = infos[i].pPortName;
    }
    // The platform drives every queue through the print server.
    driver = "CUPS";
    deviceMode = deviceMode_;
}

void TPrinter::SetPrinter(const std::string& device, const std::string&, const std::string&,
                          HGLOBAL deviceMode) {
    if (printing_) {
        if (deviceMode && deviceMode != deviceMode_) GlobalFree(deviceMode);
        throw EPrinter(kPrinting);
    }
    listed_ = false;
    const Integer index = Printers()->IndexOf(device);
    if (index < 0) {
        if (deviceMode && deviceMode != deviceMode_) GlobalFree(deviceMode);
        throw EPrinter(kInvalidPrinter);
    }
    if (deviceMode && GlobalSize(deviceMode) < sizeof(DEVMODE)) {
        if (deviceMode != deviceMode_) GlobalFree(deviceMode);
        throw EPrinter(kInvalidPrinter);
    }
    ChoosePrinter(index, deviceMode);
}

DEVMODE TPrinter::DeviceMode() const {
    DEVMODE mode{};
    if (const auto* locked = static_cast<const DEVMODE*>(GlobalLock(deviceMode_))) {
        mode = *locked;
        GlobalUnlock(deviceMode_);
    }
    return mode;
}

void TPrinter::ChangeDeviceMode(const DEVMODE& mode) {
    RequireIdle();
    if (auto* locked = static_cast<DEVMODE*>(GlobalLock(deviceMode_))) {
        *locked = mode;
        GlobalUnlock(deviceMode_);
    }
    FreeDC();
}

Integer TPrinter::Copies() {
    RequirePrinter();
    return std::max<Integer>(1, DeviceMode().dmCopies);
}

void TPrinter::SetCopies(Integer value) {
    RequirePrinter();
    DEVMODE mode = DeviceMode();
    mode.dmCopies = static_cast<SHORT>(std::clamp<Integer>(value, 1, 999));
    mode.dmFields |= DM_COPIES;
    ChangeDeviceMode(mode);
}

TPrinterOrientation TPrinter::Orientation() {
    RequirePrinter();
    return DeviceMode().dmOrientation == DMORIENT_LANDSCAPE ? poLandscape : poPortrait;
}

void TPrinter::SetOrientation(TPrinterOrientation value) {
    RequirePrinter();
    DEVMODE mode = DeviceMode();
    mode.dmOrientation = value == poLandscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    mode.dmFields |= DM_ORIENTATION;
    ChangeDeviceMode(mode);
}

void TPrinter::FreeDC() {
    if (!dc_) return;
    if (canvas_) canvas_->SetHandle(nullptr);
    DeleteDC(dc_);
    dc_ = nullptr;
}

void TPrinter::MakeDC() {
    if (dc_) return;
    RequirePrinter();
    const DEVMODE mode = DeviceMode();
    dc_ = CreateDC(nullptr, printers_->Strings(index_).c_str(), nullptr, &mode);
    if (!dc_) throw EPrinter(kInvalidPrinter);
    if (!canvas_) canvas_ = std::make_unique<TCanvas>();
    // The font keeps its size in points at the printer's resolution.
    auto font = std::make_unique<TFont>();
    font->Assign(canvas_->Font());
    canvas_->Font()->SetPixelsPerInch(GetDeviceCaps(dc_, LOGPIXELSY));
    canvas_->Font()->Assign(font.get());
    canvas_->SetHandle(dc_);
}

TCanvas* TPrinter::Canvas() {
    MakeDC();
    return canvas_.get();
}

HDC TPrinter::Handle() {
    MakeDC();
    return dc_;
}

Integer TPrinter::PageWidth() {
    return GetDeviceCaps(Handle(), HORZRES);
}
Integer TPrinter::PageHeight() {
    return GetDeviceCaps(Handle(), VERTRES);
}

void TPrinter::BeginDoc() {
    RequireIdle();
    MakeDC();
    DOCINFO info{};
    info.cbSize = sizeof info;
    info.lpszDocName = title_.c_str();
    if (StartDoc(dc_, &info) <= 0 || StartPage(dc_) <= 0) {
        AbortDoc(dc_);
        throw EPrinter(kInvalidPrinter);
    }
    printing_ = true;
    aborted_ = false;
    pageNumber_ = 1;
    canvas_->Refresh();
}

void TPrinter::NewPage() {
    RequirePrinting();
    EndPage(dc_);
    StartPage(dc_);
    ++pageNumber_;
    canvas_->Refresh();
}

void TPrinter::EndDoc() {
    RequirePrinting();
    printing_ = false;
    const int result = win32::EndDoc(dc_);
    pageNumber_ = 0;
    FreeDC();
    if (result <= 0) throw EPrinter(kDocumentRefused);
}

void TPrinter::Abort() {
    RequirePrinting();
    AbortDoc(dc_);
    printing_ = false;
    aborted_ = true;
    pageNumber_ = 0;
    FreeDC();
}

TPrinter* Printer() {
    TPrinter*& printer = ApplicationPrinter();
    if (!printer) printer = new TPrinter;
    return printer;
}

TPrinter* SetPrinter(TPrinter* printer) {
    TPrinter* previous = ApplicationPrinter();
    ApplicationPrinter() = printer;
    return previous;
}

// ---------------------------------------------------------------------------------------------
// The text-file printer assignment

void AssignPrn(TextFile& file) {
    if (file.open_) file.CloseFile();
    file.assigned_ = true;
    file.line_.clear();
    file.y_ = 0;
}

TextFile::~TextFile() {
    if (!open_) return;
    // A file left open ends its document as CloseFile would; a refusal cannot be reported here.
    try {
        CloseFile();
    } catch (const Exception&) {
    }
}

void TextFile::Rewrite() {
    if (!assigned_) throw EInOutError("File not assigned", 102);
    Printer()->BeginDoc();
    open_ = true;
    line_.clear();
    y_ = 0;
}

void TextFile::Write(std::string_view text) {
    if (!open_) throw EInOutError("File not open for output", 105);
    for (const char c : text) {
        if (c == '\n') {
            EmitLine();
        } else if (c == '\t') {
            line_.append(8 - line_.size() % 8, ' ');
        } else if (c != '\r') {
            line_ += c;
        }
    }
}

void TextFile::Writeln(std::string_view text) {
    Write(text);
    EmitLine();
}

void TextFile::EmitLine() {
    TPrinter* printer = Printer();
    TCanvas* canvas = printer->Canvas();
    const Integer lineHeight = std::max<Integer>(1, canvas->TextHeight("0"));
    if (y_ > 0 && y_ + lineHeight > printer->PageHeight()) {
        printer->NewPage();
        y_ = 0;
    }
    canvas->TextOut(0, y_, line_);
    y_ += lineHeight;
    line_.clear();
}

void TextFile::CloseFile() {
    if (!open_) return;
    open_ = false;
    if (!line_.empty()) EmitLine();
    Printer()->EndDoc();
}

}  // namespace vcl
