#include "orvane/zyltstoredata.h"

namespace orvane {

VCL_DEFINE_CLASS(TZylStoreData, TZylSystemsComponent)

TZylStoreData::TZylStoreData(vcl::TComponent* owner)
    : TZylSystemsComponent(owner), dataStore_(std::make_unique<TZylDataStore>(this)) {}

TZylStoreData::~TZylStoreData() = default;

}  // namespace orvane
