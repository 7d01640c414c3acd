// The entry point the package loader calls when libribola.so is loaded.
#include "vcl/designintf.h"

namespace ribola {
void Register();
}  // namespace ribola

ZYL_PACKAGE_ENTRY(ribola)
