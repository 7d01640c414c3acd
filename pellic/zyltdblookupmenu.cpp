#include "pellic/zyltdblookupmenu.h"
#include "vcl/classregistration.h"

namespace pellic {

namespace zyltdblookupmenu {
const vcl::TClassRegistration classesRegistered{TZylDBLookupMenu::StaticClass()};
}  // namespace zyltdblookupmenu

VCL_DEFINE_CLASS(TZylDBLookupMenu, TZylDBLookupCore<TZylCustomLookupMenu>)

TZylDBLookupMenu::TZylDBLookupMenu(vcl::TComponent* owner) : TZylDBLookupCore<TZylCustomLookupMenu>(owner) {
    LoadGlyph(*EditButton1(), "ZYLDBLOOKUPMENU");
    // Empty until the field is shown.
    SetText({});
}

bool TZylDBLookupMenu::CanChoose() {
    return IsFocusedForData() && EditCanModify();
}

void TZylDBLookupMenu::EditButton1Click(vcl::TObject* Sender) {
    if (!IsFocusedForData()) {
        // The first click only brings the focus (and with it the field's edit text).
        TZylCustomLookupEdit::EditButton1Click(Sender);
        return;
    }
    TZylCustomLookupMenu::EditButton1Click(Sender);
}

}  // namespace pellic
