// The entry point the package loader calls when libpellic.so is loaded.
#include "vcl/designintf.h"

namespace pellic {
void Register();
}  // namespace pellic

ZYL_PACKAGE_ENTRY(pellic)
