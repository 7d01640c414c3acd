#include "pellic/zyltfilelookup.h"

#include "vcl/classregistration.h"
#include "vcl/forms.h"

namespace pellic {

namespace zyltfilelookup {
const vcl::TClassRegistration classesRegistered{TZylFileLookup::StaticClass()};
}  // namespace zyltfilelookup

VCL_DEFINE_CLASS(TZylFileLookup, TZylCustomLookupEdit)

TZylFileLookup::TZylFileLookup(vcl::TComponent* owner) : TZylCustomLookupEdit(owner) {
    LoadGlyph(*EditButton1(), "TZYLFILELOOKUPA");
    EditButton2()->SetVisible(false);
    SetText({});
}

bool TZylFileLookup::Execute() {
    vcl::TComponentPtr<vcl::TOpenDialog> dialog(new vcl::TOpenDialog(vcl::Application));
    dialog->SetDefaultExt(defaultExt_);
    dialog->SetInitialDir(initialDir_);
    dialog->SetFilter(filter_);
    dialog->SetFileName(Text());
    dialog->SetOptions(options_);
    dialog->SetTitle(title_);
    if (!dialog->Execute()) return false;
    SetText(dialog->FileName());
    return true;
}

void TZylFileLookup::EditButton1Click(vcl::TObject* Sender) {
    TZylCustomLookupEdit::EditButton1Click(Sender);
    Execute();
}

}  // namespace pellic
