// The in-memory dataset.
#include <algorithm>

#include "vcl/db.h"

namespace vcl {

// ---------------------------------------------------------------------------------------------
// TMemoryDataSet

VCL_DEFINE_CLASS(TMemoryDataSet, TDataSet)

TMemoryDataSet::~TMemoryDataSet() {
    CloseForDestruction();
}

std::string TMemoryDataSet::Layout() const {
    std::string layout;
    for (TField* field : Fields()) {
        layout += LowerCase(field->FieldName());
        layout += ':' + IntToStr(static_cast<int>(field->DataType())) + ':' +
                  IntToStr(static_cast<int>(field->FieldKind())) + ';';
    }
    return layout;
}

void TMemoryDataSet::InternalOpen() {
    if (FieldDefs()->Count() > 0) return;
    bool any = false;
    for (TField* field : Fields()) {
        if (field->FieldKind() != TFieldKind::fkData) continue;
        FieldDefs()->Add(field->FieldName(), field->DataType(), field->Size(), field->Required());
        any = true;
    }
    if (!any) DatabaseError(std::string(dbconsts::SNoFieldDefs), this);
}

void TMemoryDataSet::LoadRecords() {
    if (Layout() == savedLayout_) Store() = std::move(saved_);
    saved_.clear();
}

void TMemoryDataSet::InternalClose() {
    saved_ = std::move(Store());
    Store().clear();
    savedLayout_ = Layout();
}

void TMemoryDataSet::CreateDataSet() {
    CheckInactive();
    saved_.clear();
    savedLayout_.clear();
    Open();
}

void TMemoryDataSet::EmptyDataSet() {
    if (Active())
        EmptyRecords();
    else
        saved_.clear();
}

}  // namespace vcl
