// What the print and page-setup dialogs share: the extended error, the scripts and the log, the
// printer a record names, the settings and names blocks in global memory, and the classic-look parts
// the dialogs are drawn with (classic_look.h).
#pragma once

#include <optional>
#include <string>

#include "commdlg/classic_look.h"
#include "printing/printing_internal.h"
#include "win32/commdlg.h"

namespace win32::commdlg {

void SetExtendedError(DWORD error);

std::optional<testing::PrintDlgScript> TakePrintDlgScript();
std::optional<testing::PageSetupScript> TakePageSetupScript();
void Log(testing::CommonDialogRecord record);

// The printer the names block (else the settings block, else the default) names; nullopt with the
// extended error set when there is none.
std::optional<printing::PrinterQueue> RecordPrinter(HGLOBAL devNames, HGLOBAL devMode);
// The record's settings for the queue: its defaults with the given block's fields over them.
DEVMODE RecordDevMode(const printing::PrinterQueue& queue, HGLOBAL devMode);
// Replaces the blocks (freeing what was there) with the chosen printer's; false when memory ran out.
bool StoreBlocks(HGLOBAL& devMode, HGLOBAL& devNames, const printing::PrinterQueue& queue,
                 const DEVMODE& mode);

}  // namespace win32::commdlg
