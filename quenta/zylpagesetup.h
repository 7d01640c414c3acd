// TZylPageSetupDialog: the platform's page-setup dialog as a common-dialog component. It starts from
// its properties and the framework's current printer, lets the application take over the Printer
// button and the drawing of the sample page, and on OK keeps the paper size and margins and makes
// the chosen printer and its settings current.
#pragma once

#include <cstdint>
#include <functional>

#include "vcl/dialogs.h"
#include "vcl/graphics.h"
#include "win32/commdlg.h"

namespace quenta {

enum class TZylPageSetupOption : uint8_t {
    poDefaultMinMargins,
    poDisableMargins,
    poDisableOrientation,
    poDisablePagePainting,
    poDisablePaper,
    poDisablePrinter,
    poNoWarning,
    poShowHelp
};
VCL_ENUM_NAMES(TZylPageSetupOption, "poDefaultMinMargins", "poDisableMargins", "poDisableOrientation",
               "poDisablePagePainting", "poDisablePaper", "poDisablePrinter", "poNoWarning", "poShowHelp")
using enum TZylPageSetupOption;
using TZylPageSetupOptions = vcl::Set<TZylPageSetupOption>;

enum class TZylPaperType : uint8_t { ptPaper, ptEnvelope };
VCL_ENUM_NAMES(TZylPaperType, "ptPaper", "ptEnvelope")
using enum TZylPaperType;

enum class TZylPaperOrientation : uint8_t { poPortrait, poLandscape };
VCL_ENUM_NAMES(TZylPaperOrientation, "poPortrait", "poLandscape")
using enum TZylPaperOrientation;

enum class TZylPrinterType : uint8_t { ptDotMatrix, ptHPPCL };
VCL_ENUM_NAMES(TZylPrinterType, "ptDotMatrix", "ptHPPCL")
using enum TZylPrinterType;

enum class TZylPaintWhat : uint8_t {
    pwFullPage,
    pwMinimumMargins,
    pwMargins,
    pwGreekText,
    pwEnvStamp,
    pwYAFullPage
};
VCL_ENUM_NAMES(TZylPaintWhat, "pwFullPage", "pwMinimumMargins", "pwMargins", "pwGreekText", "pwEnvStamp",
               "pwYAFullPage")
using enum TZylPaintWhat;

enum class TZylMeasurements : uint8_t { pmMillimeters, pmInches };
VCL_ENUM_NAMES(TZylMeasurements, "pmMillimeters", "pmInches")
using enum TZylMeasurements;

using PZylDlgData = win32::PAGESETUPDLG*;

using TZylPrinterEvent = std::function<void(vcl::TObject* Sender, win32::HWND Wnd)>;
using TZylInitPaintPageEvent = std::function<bool(
    vcl::TObject* Sender, int16_t PaperSize, TZylPaperType PaperType, TZylPaperOrientation PaperOrientation,
    TZylPrinterType PrinterType, PZylDlgData pSetupData)>;
using TZylPaintPageEvent =
    std::function<bool(vcl::TObject* Sender, TZylPaintWhat PaintWhat, vcl::TCanvas* Canvas, vcl::TRect Rect)>;

class TZylPageSetupDialog : public vcl::TCommonDialog {
    VCL_DECLARE_CLASS(TZylPageSetupDialog, vcl::TCommonDialog)
public:
    explicit TZylPageSetupDialog(vcl::TComponent* owner);

    TZylPageSetupOptions Options() const { return options_; }
    void SetOptions(TZylPageSetupOptions value) { options_ = value; }
    TZylMeasurements Measurements() const { return measurements_; }
    void SetMeasurements(TZylMeasurements value) { measurements_ = value; }
    vcl::Integer CustData() const { return custData_; }
    void SetCustData(vcl::Integer value) { custData_ = value; }
    // In the unit of Measurements: thousandths of an inch or hundredths of a millimetre.
    vcl::TPoint PaperSize() const { return paperSize_; }
    void SetPaperSize(vcl::TPoint value) { paperSize_ = value; }
    vcl::TRect MinMargins() const { return minMargins_; }
    void SetMinMargins(vcl::TRect value) { minMargins_ = value; }
    vcl::TRect Margins() const { return margins_; }
    void SetMargins(vcl::TRect value) { margins_ = value; }

    // True on OK. Without any printer the platform's dialog cannot run and the answer is false.
    bool Execute() override;
    // The Printer button: calls OnPrinter and says whether it is set (true keeps the platform's
    // printer dialog closed).
    virtual bool Printer(win32::HWND wnd);

    TZylPrinterEvent OnPrinter;
    TZylInitPaintPageEvent OnInitPaintPage;
    TZylPaintPageEvent OnPaintPage;

    static void Publish(vcl::Published<TZylPageSetupDialog>& p) {
        p.Property("Options", &TZylPageSetupDialog::Options, &TZylPageSetupDialog::SetOptions,
                   TZylPageSetupOptions{poDefaultMinMargins, poShowHelp});
        p.Property("Measurements", &TZylPageSetupDialog::Measurements, &TZylPageSetupDialog::SetMeasurements,
                   pmInches);
        p.Event("OnPrinter", &TZylPageSetupDialog::OnPrinter);
        p.Event("OnInitPaintPage", &TZylPageSetupDialog::OnInitPaintPage);
        p.Event("OnPaintPage", &TZylPageSetupDialog::OnPaintPage);
    }

private:
    friend struct ZylPageSetupHook;
    bool PaintsPage() const { return OnInitPaintPage && OnPaintPage; }

    TZylPageSetupOptions options_{poDefaultMinMargins, poShowHelp};
    TZylMeasurements measurements_ = pmInches;
    vcl::Integer custData_ = 0;
    vcl::TPoint paperSize_{0, 0};
    vcl::TRect minMargins_{0, 0, 0, 0};
    vcl::TRect margins_{1000, 1000, 1000, 1000};
};

}  // namespace quenta
