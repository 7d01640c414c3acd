#include "pellic/zyltdblookupedit.h"
#include "vcl/classregistration.h"

namespace pellic {

namespace zyltdblookupedit {
const vcl::TClassRegistration classesRegistered{TZylDBLookupedit::StaticClass()};
}  // namespace zyltdblookupedit

VCL_DEFINE_CLASS(TZylDBLookupedit, TZylDBLookupCore<TZylCustomLookupEdit>)

TZylDBLookupedit::TZylDBLookupedit(vcl::TComponent* owner) : TZylDBLookupCore<TZylCustomLookupEdit>(owner) {
    LoadGlyph(*EditButton1(), "ZYLDBLOOKUPEDITB1");
    LoadGlyph(*EditButton2(), "ZYLDBLOOKUPEDITB2");
}

}  // namespace pellic
