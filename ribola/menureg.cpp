// Registration unit of the menus package: puts its components on their palette pages and its
// sub-object classes into the streaming registry. Components are added here as they are built.
#include "ribola/zylmenu.h"
#include "vcl/designintf.h"

namespace ribola {

void Register() {
    vcl::RegisterClasses({TZylMenuItem::StaticClass(), TZylBitmapItem::StaticClass(),
                          TZylSubMenu::StaticClass(), TZylMenuGradient::StaticClass()});
    vcl::RegisterComponents("Zyl Menus", {TZylMainMenu::StaticClass(), TZylPopupMenu::StaticClass()});
}

}  // namespace ribola
