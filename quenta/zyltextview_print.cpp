// Printing of the text viewer. The framework of this build has no printers unit yet: the command
// stays in the menu and says so instead of doing nothing.
#include "quenta/zyltextview_internal.h"

#include "vcl/sysutils.h"

namespace quenta {

void ZylPrintTextLines(vcl::TCustomForm* /*form*/, const vcl::TStrings& /*lines*/,
                       const vcl::TFont& /*font*/) {
    throw vcl::Exception("No printing support: this build has no printer access");
}

}  // namespace quenta
