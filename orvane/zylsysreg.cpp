// Registration unit of the system package: puts its components on their palette pages and its
// sub-object classes into the streaming registry. Components are added here as they are built.
#include <vcl/classes.h>

namespace orvane {

void Register() {}

}  // namespace orvane
