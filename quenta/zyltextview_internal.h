// Shared between the text viewer's units: the printing of the editor's lines.
#pragma once

#include "vcl/forms.h"
#include "vcl/graphics.h"
#include "vcl/stringlist.h"

namespace quenta {

// The Print command of the text viewer: asks with the print dialog, then prints every line of
// `lines` as one printed line in `font`. Raises an error when there is no printing support.
void ZylPrintTextLines(vcl::TCustomForm* form, const vcl::TStrings& lines, const vcl::TFont& font);

}  // namespace quenta
