// Registration unit of the mail package: puts its components on their palette pages and its
// sub-object classes into the streaming registry.
#include <vcl/classes.h>
#include <vcl/designintf.h>

#include "zylmaileditors.h"
#include "zylmapi.h"
#include "zyltiemails.h"

namespace postrel {

void Register() {
    vcl::RegisterComponents("Zyl EMail", {TZylQuickMail::StaticClass(), TZylMapiMail::StaticClass(),
                                          TZylPOPMail::StaticClass(), TZylSMTPMail::StaticClass()});
    vcl::RegisterClasses({TZylMessages::StaticClass(), TZylMessage::StaticClass(),
                          TZylAttachments::StaticClass(), TZylAttachment::StaticClass(),
                          TZylMapiMessages::StaticClass(), TZylMapiMessage::StaticClass(),
                          TZylMapiAttachments::StaticClass(), TZylMapiAttachment::StaticClass()});
    RegisterMailEditors();
}

}  // namespace postrel
