// Registration unit of the dialogs package: puts its components on their palette pages and its
// sub-object classes into the streaming registry. Components are added here as they are built.
#include <vcl/designintf.h>

#include "quenta/zylpagesetup.h"

namespace quenta {

void Register() {
    vcl::RegisterComponents("Zyl Dialogs", {TZylPageSetupDialog::StaticClass()});
}

}  // namespace quenta
