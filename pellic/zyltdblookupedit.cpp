#include "pellic/zyltdblookupedit.h"

namespace pellic {

namespace zyltdblookupedit {
const bool classesRegistered = [] {
    vcl::RegisterClasses({TZylDBLookupedit::StaticClass()});
    return true;
}();
}  // namespace zyltdblookupedit

VCL_DEFINE_CLASS(TZylDBLookupedit, TZylDBLookupCore<TZylCustomLookupEdit>)

TZylDBLookupedit::TZylDBLookupedit(vcl::TComponent* owner) : TZylDBLookupCore<TZylCustomLookupEdit>(owner) {
    LoadGlyph(*EditButton1(), "ZYLDBLOOKUPEDITB1");
    LoadGlyph(*EditButton2(), "ZYLDBLOOKUPEDITB2");
}

}  // namespace pellic
