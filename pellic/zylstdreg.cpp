// Registration unit of the standard package: puts its components on their palette pages and its
// sub-object classes into the streaming registry. Components are added here as they are built.
#include <vcl/designeditors.h>
#include <vcl/designintf.h>

#include "pellic/zyltanimator.h"
#include "pellic/zyltautocombo.h"
#include "pellic/zyltautostores.h"
#include "pellic/zyltclipboard.h"
#include "pellic/zyltcolorcombo.h"
#include "pellic/zyltcommandlabel.h"
#include "pellic/zyltdbascii.h"
#include "pellic/zyltdbcommandlabel.h"
#include "pellic/zyltdbindexlookup.h"
#include "pellic/zyltdblookupedit.h"
#include "pellic/zyltdblookupmenu.h"
#include "pellic/zyltdbofficeedit.h"
#include "pellic/zyltdbspinedit.h"
#include "pellic/zyltdbstickylabel.h"
#include "pellic/zyltexplorertree.h"
#include "pellic/zyltexplorerview.h"
#include "pellic/zyltfilectrls.h"
#include "pellic/zyltfilelabel.h"
#include "pellic/zyltfilelookup.h"
#include "pellic/zyltfolderlookup.h"
#include "pellic/zyltfontcontrols.h"
#include "pellic/zyltformdivider.h"
#include "pellic/zylticonctrls.h"
#include "pellic/zyltinformationlabel.h"
#include "pellic/zyltlanguagecombo.h"
#include "pellic/zyltlookupmenu.h"
#include "pellic/zyltofficeedit.h"
#include "pellic/zyltprintercombo.h"
#include "pellic/zyltrealspinedit.h"
#include "pellic/zyltspinedit.h"
#include "pellic/zyltstickylabel.h"
#include "pellic/zyltversionlabel.h"

namespace pellic {

void Register() {
    // Each page in its palette order.
    vcl::RegisterComponents(
        "Zyl Standard",
        {TZylCommandLabel::StaticClass(), TZylStickyLabel::StaticClass(), TZylVersionLabel::StaticClass(),
         TZylInformationLabel::StaticClass(), TZylLookupEdit::StaticClass(), TZylLookupMenu::StaticClass(),
         TZylFileLookup::StaticClass(), TZylFolderLookup::StaticClass(), TZylRealSpinEdit::StaticClass(),
         TZylOfficeEdit::StaticClass(), TZylSpinEdit::StaticClass(), TZylSpinButton::StaticClass(),
         TZylAutoCombo::StaticClass(), TZylColorCombo::StaticClass(), TZylFontCombo::StaticClass(),
         TZylFontBox::StaticClass(), TZylFormDivider::StaticClass(), TZylAnimator::StaticClass()});
    vcl::RegisterComponents(
        "Zyl Standard 2",
        {TZylLanguageCombo::StaticClass(), TZylFileCombo::StaticClass(), TZylDriveCombo::StaticClass(),
         TZylFolderListbox::StaticClass(), TZylIconCombo::StaticClass(), TZylIconListbox::StaticClass(),
         TZylExplorerView::StaticClass(), TZylExplorerTree::StaticClass(), TZylFileLabel::StaticClass(),
         TZylPrinterCombo::StaticClass(), TZylClipboard::StaticClass(), TZylControlStore::StaticClass(),
         TZylStoreEdit::StaticClass(), TZylStoreCheckbox::StaticClass(), TZylStoreCombobox::StaticClass(),
         TZylStoreRadioButton::StaticClass(), TZylStoreMemo::StaticClass()});
    vcl::RegisterComponents(
        "Zyl Data-Aware",
        {TZylDBAscii::StaticClass(), TZylDBIndexLookup::StaticClass(), TZylDBLookupedit::StaticClass(),
         TZylDBOfficeEdit::StaticClass(), TZylDBSpinEdit::StaticClass(), TZylDBStickyLabel::StaticClass(),
         TZylDBCommandLabel::StaticClass(), TZylDBLookupMenu::StaticClass()});
    vcl::RegisterComponentEditor(TZylDBAscii::StaticClass(), TZylDBAsciiConfigEditor::StaticClass());
    vcl::RegisterPropertyEditor("string", TZylADField::StaticClass(), "DataField",
                                TZylItemDataFieldProperty::StaticClass());
    // The information label's caption is what it reads, not what is typed.
    vcl::RegisterPropertyEditor("TCaption", TZylInformationLabel::StaticClass(), "Caption",
                                TZylReadOnlyTextProperty::StaticClass());
    vcl::RegisterPropertyEditor("string", TZylInformationLabel::StaticClass(), "CaptionValue",
                                TZylReadOnlyTextProperty::StaticClass());
}

}  // namespace pellic
