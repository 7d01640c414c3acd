// The entry point the package loader calls when libpostrel.so is loaded.
#include "vcl/designintf.h"

namespace postrel {
void Register();
}  // namespace postrel

ZYL_PACKAGE_ENTRY(postrel)
