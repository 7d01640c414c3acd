// Registration unit of the menus package: puts its components on their palette pages and its
// sub-object classes into the streaming registry.
#include "ribola/zylmenu.h"
#include "vcl/designintf.h"

namespace ribola {

void Register() {
    vcl::RegisterClasses({TZylMenuItem::StaticClass(), TZylBitmapItem::StaticClass(),
                          TZylSubMenu::StaticClass(), TZylMenuGradient::StaticClass()});
    vcl::RegisterComponents("Zyl Menus", {TZylMainMenu::StaticClass(), TZylPopupMenu::StaticClass(),
                                          TZylFormMenu::StaticClass(), TZylApplicationMenu::StaticClass()});
}

}  // namespace ribola
