// Registration unit of the mail package: puts its components on their palette pages and its
// sub-object classes into the streaming registry.
#include <vcl/classes.h>

#include "zyltiemails.h"

namespace postrel {

void Register() {
    // Palette page "Zyl EMail": TZylSMTPMail and TZylPOPMail (joined by the MAPI components).
    vcl::RegisterClasses({TZylSMTPMail::StaticClass(), TZylPOPMail::StaticClass(),
                          TZylMessages::StaticClass(), TZylMessage::StaticClass(),
                          TZylAttachments::StaticClass(), TZylAttachment::StaticClass()});
}

}  // namespace postrel
