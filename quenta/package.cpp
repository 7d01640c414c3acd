// The entry point the package loader calls when libquenta.so is loaded.
#include "vcl/designintf.h"

namespace quenta {
void Register();
}  // namespace quenta

ZYL_PACKAGE_ENTRY(quenta)
