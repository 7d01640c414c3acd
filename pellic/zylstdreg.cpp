// Registration unit of the standard package: puts its components on their palette pages and its
// sub-object classes into the streaming registry. Components are added here as they are built.
#include <vcl/designeditors.h>
#include <vcl/designintf.h>

#include "pellic/zyltautocombo.h"
#include "pellic/zyltautostores.h"
#include "pellic/zyltcolorcombo.h"
#include "pellic/zyltdbascii.h"
#include "pellic/zyltdbindexlookup.h"
#include "pellic/zyltdblookupedit.h"
#include "pellic/zyltdblookupmenu.h"
#include "pellic/zyltdbspinedit.h"
#include "pellic/zyltexplorertree.h"
#include "pellic/zyltexplorerview.h"
#include "pellic/zyltfilelookup.h"
#include "pellic/zyltfolderlookup.h"
#include "pellic/zyltfontcontrols.h"
#include "pellic/zyltlanguagecombo.h"
#include "pellic/zyltlookupmenu.h"
#include "pellic/zyltprintercombo.h"
#include "pellic/zyltrealspinedit.h"
#include "pellic/zyltspinedit.h"

namespace pellic {

void Register() {
    vcl::RegisterComponents("Zyl Standard",
                            {TZylControlStore::StaticClass(), TZylStoreEdit::StaticClass(),
                             TZylStoreCheckbox::StaticClass(), TZylStoreRadioButton::StaticClass(),
                             TZylStoreCombobox::StaticClass(), TZylStoreMemo::StaticClass()});
    vcl::RegisterComponents("Zyl Standard", {TZylRealSpinEdit::StaticClass(), TZylSpinEdit::StaticClass(),
                                             TZylSpinButton::StaticClass()});
    vcl::RegisterComponents("Zyl Standard", {TZylAutoCombo::StaticClass(), TZylColorCombo::StaticClass(),
                                             TZylFontCombo::StaticClass(), TZylFontBox::StaticClass()});
    vcl::RegisterComponents("Zyl Standard", {TZylLookupEdit::StaticClass(), TZylLookupMenu::StaticClass(),
                                             TZylFileLookup::StaticClass(), TZylFolderLookup::StaticClass()});
    vcl::RegisterComponents("Zyl Standard 2", {TZylLanguageCombo::StaticClass()});
    vcl::RegisterComponents("Zyl Standard 2",
                            {TZylExplorerView::StaticClass(), TZylExplorerTree::StaticClass()});
    vcl::RegisterComponents("Zyl Standard 2", {TZylPrinterCombo::StaticClass()});
    vcl::RegisterComponents("Zyl Data-Aware", {TZylDBAscii::StaticClass(), TZylDBIndexLookup::StaticClass(),
                                               TZylDBLookupedit::StaticClass(), TZylDBSpinEdit::StaticClass(),
                                               TZylDBLookupMenu::StaticClass()});
    vcl::RegisterComponentEditor(TZylDBAscii::StaticClass(), TZylDBAsciiConfigEditor::StaticClass());
    vcl::RegisterPropertyEditor("string", TZylADField::StaticClass(), "DataField",
                                TZylItemDataFieldProperty::StaticClass());
}

}  // namespace pellic
