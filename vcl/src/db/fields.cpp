// The field classes: typed access, conversions, text, validation.
#include <algorithm>
#include <cmath>

#include "vcl/db.h"

namespace vcl {

namespace {

// Cuts a UTF-8 string after `limit` code points, never inside one.
std::string LimitCharacters(std::string text, Integer limit) {
    // A text of no more bytes than the limit has no more characters either.
    if (limit <= 0 || text.size() <= static_cast<size_t>(limit)) return text;
    size_t count = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
        if (count == static_cast<size_t>(limit)) {
            text.resize(i);
            break;
        }
        ++count;
    }
    return text;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TField

VCL_DEFINE_CLASS(TField, TComponent)

TField::TField(TComponent* owner) : TField(owner, TFieldType::ftUnknown, TAlignment::taLeftJustify) {}

TField::TField(TComponent* owner, TFieldType type, TAlignment alignment)
    : TComponent(owner), dataType_(type), alignment_(alignment), defaultAlignment_(alignment) {}

TField::~TField() {
    if (dataSet_) dataSet_->RemoveField(this);
}

void TField::SetDataSet(TDataSet* dataSet) {
    if (dataSet == dataSet_) return;
    if ((dataSet && dataSet->Active()) || (dataSet_ && dataSet_->Active()))
        DatabaseError(std::string(dbconsts::SDataSetOpen), dataSet ? dataSet : dataSet_);
    if (dataSet) {
        TField* other = dataSet->FindField(fieldName_);
        if (other && !fieldName_.empty())
            DatabaseError(Format(dbconsts::SDuplicateFieldName, {fieldName_}), dataSet);
    }
    if (dataSet_) dataSet_->RemoveField(this);
    if (dataSet) dataSet->AddField(this);
}

void TField::SetFieldName(const std::string& name) {
    if (name == fieldName_) return;
    if (dataSet_) {
        dataSet_->CheckInactive();
        TField* other = dataSet_->FindField(name);
        if (other && other != this) DatabaseError(Format(dbconsts::SDuplicateFieldName, {name}), dataSet_);
    }
    fieldName_ = name;
}

void TField::SetDisplayLabel(const std::string& label) {
    displayLabel_ = label == fieldName_ ? std::string() : label;
    if (dataSet_) dataSet_->DataEvent(deLayoutChange);
}

Integer TField::DisplayWidth() const {
    return displayWidth_ > 0 ? displayWidth_ : DefaultWidth();
}

void TField::SetDisplayWidth(Integer width) {
    displayWidth_ = std::max(width, 0);
    if (dataSet_) dataSet_->DataEvent(deLayoutChange);
}

void TField::SetFieldKind(TFieldKind kind) {
    if (dataSet_) dataSet_->CheckInactive();
    fieldKind_ = kind;
}

void TField::SetSize(Integer size) {
    if (dataSet_) dataSet_->CheckInactive();
    if (size != 0) throw EDatabaseError(std::string(dbconsts::SInvalidFieldSize));
}

void TField::SetAlignment(TAlignment alignment) {
    alignment_ = alignment;
    if (dataSet_) dataSet_->DataEvent(deLayoutChange);
}

void TField::SetReadOnly(bool readOnly) {
    readOnly_ = readOnly;
    if (dataSet_) dataSet_->DataEvent(deLayoutChange);
}

void TField::SetVisible(bool visible) {
    visible_ = visible;
    if (dataSet_) dataSet_->DataEvent(deLayoutChange);
}

Integer TField::Index() const {
    return dataSet_ ? dataSet_->Fields().IndexOf(this) : -1;
}

bool TField::CanModify() const {
    if (readOnly_ || !dataSet_) return false;
    if (fieldKind_ != TFieldKind::fkData) return false;
    return dataSet_->CanModify();
}

const Variant& TField::Stored() const {
    if (!dataSet_) throw EDatabaseError(Format(dbconsts::SDataSetMissing, {DisplayName()}));
    return dataSet_->ActiveValue(this);
}

void TField::SetStored(Variant value) {
    if (!dataSet_) throw EDatabaseError(Format(dbconsts::SDataSetMissing, {DisplayName()}));
    dataSet_->WriteValue(this, std::move(value));
}

bool TField::IsNull() const {
    return Stored().IsNull();
}
Variant TField::Value() const {
    return Stored();
}
void TField::SetValue(const Variant& value) {
    SetStored(Convert(value));
}

Variant TField::Convert(const Variant&) const {
    AccessError("Variant");
}

void TField::AccessError(std::string_view typeName) const {
    throw EDatabaseError(Format(dbconsts::SFieldAccessError, {DisplayName(), typeName}));
}

void TField::RangeError(const std::string& value, const std::string& min, const std::string& max) const {
    throw EDatabaseError(Format(dbconsts::SFieldRangeError, {value, DisplayName(), min, max}));
}

std::string TField::GetAsString() const {
    AccessError("String");
}
void TField::SetAsStringValue(const std::string&) {
    AccessError("String");
}
Integer TField::GetAsInteger() const {
    AccessError("Integer");
}
void TField::SetAsIntegerValue(Integer) {
    AccessError("Integer");
}
Int64 TField::GetAsLargeInt() const {
    AccessError("LargeInt");
}
void TField::SetAsLargeIntValue(Int64) {
    AccessError("LargeInt");
}
double TField::GetAsFloat() const {
    AccessError("Float");
}
void TField::SetAsFloatValue(double) {
    AccessError("Float");
}
Currency TField::GetAsCurrency() const {
    return Currency(GetAsFloat());
}
void TField::SetAsCurrencyValue(Currency value) {
    SetAsFloatValue(value.ToDouble());
}
bool TField::GetAsBoolean() const {
    AccessError("Boolean");
}
void TField::SetAsBooleanValue(bool) {
    AccessError("Boolean");
}
TDateTime TField::GetAsDateTime() const {
    AccessError("DateTime");
}
void TField::SetAsDateTimeValue(TDateTime) {
    AccessError("DateTime");
}

std::string TField::GetText(bool) const {
    return IsNull() ? std::string() : GetAsString();
}

std::string TField::TextFor(bool displayText) const {
    if (OnGetText) {
        std::string text;
        OnGetText(const_cast<TField*>(this), text, displayText);
        return text;
    }
    return GetText(displayText);
}

void TField::SetText(const std::string& text) {
    if (OnSetText)
        OnSetText(this, text);
    else
        SetAsString(text);
}

bool TField::IsValidChar(unsigned char) const {
    return true;
}

void TField::FocusControl() {
    if (dataSet_ && dataSet_->Active()) dataSet_->DataEvent(deFocusControl, this);
}

void TField::CheckRequired() const {
    if (required_ && !readOnly_ && fieldKind_ == TFieldKind::fkData && IsNull())
        throw EDatabaseError(Format(dbconsts::SFieldRequired, {DisplayName()}));
}

TComponent* TField::GetParentComponent() const {
    return dataSet_;
}

void TField::SetParentComponent(TComponent* parent) {
    if (auto* dataSet = dynamic_cast<TDataSet*>(parent)) SetDataSet(dataSet);
}

// ---------------------------------------------------------------------------------------------
// Strings

VCL_DEFINE_CLASS(TStringField, TField)

TStringField::TStringField(TComponent* owner)
    : TField(owner, TFieldType::ftString, TAlignment::taLeftJustify) {
    StoreSize(20);
}

void TStringField::SetSize(Integer size) {
    if (DataSet()) DataSet()->CheckInactive();
    if (size < 1 || size > 8192) throw EDatabaseError(std::string(dbconsts::SInvalidFieldSize));
    StoreSize(size);
}

std::string TStringField::GetAsString() const {
    return Stored().AsString();
}
void TStringField::SetAsStringValue(const std::string& value) {
    SetStored(LimitCharacters(value, Size()));
}
Integer TStringField::GetAsInteger() const {
    return StrToInt(GetAsString());
}
void TStringField::SetAsIntegerValue(Integer value) {
    SetAsStringValue(IntToStr(value));
}
Int64 TStringField::GetAsLargeInt() const {
    return StrToInt64(GetAsString());
}
void TStringField::SetAsLargeIntValue(Int64 value) {
    SetAsStringValue(IntToStr(value));
}
double TStringField::GetAsFloat() const {
    return StrToFloat(GetAsString());
}
void TStringField::SetAsFloatValue(double value) {
    SetAsStringValue(FloatToStr(value));
}
bool TStringField::GetAsBoolean() const {
    std::string text = GetAsString();
    if (text.empty()) return false;
    unsigned char first = static_cast<unsigned char>(text[0]);
    return first == 'T' || first == 't' || first == 'Y' || first == 'y';
}
void TStringField::SetAsBooleanValue(bool value) {
    SetAsStringValue(value ? "T" : "F");
}
TDateTime TStringField::GetAsDateTime() const {
    return StrToDateTime(GetAsString());
}
void TStringField::SetAsDateTimeValue(TDateTime value) {
    SetAsStringValue(DateTimeToStr(value));
}

Variant TStringField::Convert(const Variant& value) const {
    if (value.IsNull()) return value;
    return LimitCharacters(value.AsString(), Size());
}

// ---------------------------------------------------------------------------------------------
// Numbers

VCL_DEFINE_CLASS(TNumericField, TField)

void TNumericField::SetDisplayFormat(const std::string& format) {
    displayFormat_ = format;
    if (DataSet()) DataSet()->DataEvent(deLayoutChange);
}

void TNumericField::SetEditFormat(const std::string& format) {
    editFormat_ = format;
    if (DataSet()) DataSet()->DataEvent(deLayoutChange);
}

bool TNumericField::IsValidChar(unsigned char ch) const {
    if ((ch >= '0' && ch <= '9') || ch == '+' || ch == '-') return true;
    switch (DataType()) {
        case TFieldType::ftFloat:
        case TFieldType::ftCurrency:
        case TFieldType::ftBCD:
            return ch == static_cast<unsigned char>(FormatSettings.DecimalSeparator) || ch == 'E' ||
                   ch == 'e';
        default:
            return false;
    }
}

VCL_DEFINE_CLASS(TIntegerField, TNumericField)

TIntegerField::TIntegerField(TComponent* owner, TFieldType type) : TNumericField(owner, type) {}

VCL_DEFINE_CLASS(TSmallintField, TIntegerField)

TSmallintField::TSmallintField(TComponent* owner) : TIntegerField(owner, TFieldType::ftSmallint) {
    typeMin_ = INT16_MIN;
    typeMax_ = INT16_MAX;
}

VCL_DEFINE_CLASS(TWordField, TIntegerField)

TWordField::TWordField(TComponent* owner) : TIntegerField(owner, TFieldType::ftWord) {
    typeMin_ = 0;
    typeMax_ = UINT16_MAX;
}

VCL_DEFINE_CLASS(TAutoIncField, TIntegerField)

TAutoIncField::TAutoIncField(TComponent* owner) : TIntegerField(owner, TFieldType::ftAutoInc) {
    typeMin_ = INT64_MIN;
    typeMax_ = INT64_MAX;
}

VCL_DEFINE_CLASS(TLargeintField, TIntegerField)

TLargeintField::TLargeintField(TComponent* owner) : TIntegerField(owner, TFieldType::ftLargeint) {
    typeMin_ = INT64_MIN;
    typeMax_ = INT64_MAX;
}

Variant TIntegerField::Convert(const Variant& value) const {
    if (value.IsNull()) return value;
    Int64 number = value.AsInt64();
    Int64 low = typeMin_, high = typeMax_;
    if (minValue_ != 0 || maxValue_ != 0) {
        low = std::max(low, minValue_);
        high = std::min(high, maxValue_);
    }
    if (number < low || number > high) RangeError(IntToStr(number), IntToStr(low), IntToStr(high));
    return number;
}

std::string TIntegerField::GetAsString() const {
    return IsNull() ? std::string() : IntToStr(GetAsLargeInt());
}

void TIntegerField::SetAsStringValue(const std::string& value) {
    if (value.empty()) {
        SetStored(Variant());
        return;
    }
    SetStored(Convert(Variant(StrToInt64(value))));
}

Integer TIntegerField::GetAsInteger() const {
    Int64 value = GetAsLargeInt();
    if (value < INT32_MIN || value > INT32_MAX) throw ERangeError("Range check error");
    return static_cast<Integer>(value);
}
void TIntegerField::SetAsIntegerValue(Integer value) {
    SetStored(Convert(Variant(value)));
}
Int64 TIntegerField::GetAsLargeInt() const {
    return Stored().AsInt64();
}
void TIntegerField::SetAsLargeIntValue(Int64 value) {
    SetStored(Convert(Variant(value)));
}
double TIntegerField::GetAsFloat() const {
    return static_cast<double>(GetAsLargeInt());
}
void TIntegerField::SetAsFloatValue(double value) {
    SetStored(Convert(Variant(Round(value))));
}
Currency TIntegerField::GetAsCurrency() const {
    return Currency(GetAsLargeInt());
}
void TIntegerField::SetAsCurrencyValue(Currency value) {
    SetAsFloatValue(value.ToDouble());
}

std::string TIntegerField::GetText(bool displayText) const {
    if (IsNull()) return {};
    const std::string& format = displayText ? DisplayFormat() : EditFormat();
    if (!format.empty()) return FormatFloat(format, GetAsFloat());
    return IntToStr(GetAsLargeInt());
}

VCL_DEFINE_CLASS(TFloatField, TNumericField)

void TFloatField::SetPrecision(Integer precision) {
    precision_ = std::clamp(precision, 2, 15);
}

Variant TFloatField::Convert(const Variant& value) const {
    if (value.IsNull()) return value;
    double number = value.AsFloat();
    if (!std::isfinite(number))
        throw EDatabaseError(Format(dbconsts::SInvalidFloatValue, {value.AsString()}));
    if ((minValue_ != 0 || maxValue_ != 0) && (number < minValue_ || number > maxValue_))
        RangeError(FloatToStr(number), FloatToStr(minValue_), FloatToStr(maxValue_));
    return number;
}

std::string TFloatField::GetAsString() const {
    return IsNull() ? std::string() : FloatToStr(GetAsFloat());
}

void TFloatField::SetAsStringValue(const std::string& value) {
    if (value.empty()) {
        SetStored(Variant());
        return;
    }
    SetStored(Convert(Variant(StrToFloat(value))));
}

Integer TFloatField::GetAsInteger() const {
    Int64 value = GetAsLargeInt();
    if (value < INT32_MIN || value > INT32_MAX) throw ERangeError("Range check error");
    return static_cast<Integer>(value);
}
void TFloatField::SetAsIntegerValue(Integer value) {
    SetStored(Convert(Variant(static_cast<double>(value))));
}
Int64 TFloatField::GetAsLargeInt() const {
    return IsNull() ? 0 : Round(GetAsFloat());
}
void TFloatField::SetAsLargeIntValue(Int64 value) {
    SetStored(Convert(Variant(static_cast<double>(value))));
}
double TFloatField::GetAsFloat() const {
    return Stored().AsFloat();
}
void TFloatField::SetAsFloatValue(double value) {
    SetStored(Convert(Variant(value)));
}
Currency TFloatField::GetAsCurrency() const {
    return IsNull() ? Currency() : Currency(GetAsFloat());
}
void TFloatField::SetAsCurrencyValue(Currency value) {
    SetStored(Convert(Variant(value)));
}

std::string TFloatField::GetText(bool displayText) const {
    if (IsNull()) return {};
    double value = GetAsFloat();
    const std::string& format = displayText ? DisplayFormat() : EditFormat();
    if (!format.empty()) return FormatFloat(format, value);
    if (currency_) {
        if (displayText)
            return FloatToStrF(value, TFloatFormat::ffCurrency, precision_, FormatSettings.CurrencyDecimals);
        return FloatToStrF(value, TFloatFormat::ffFixed, precision_, FormatSettings.CurrencyDecimals);
    }
    return FloatToStrF(value, TFloatFormat::ffGeneral, precision_, 0);
}

VCL_DEFINE_CLASS(TCurrencyField, TFloatField)

TCurrencyField::TCurrencyField(TComponent* owner) : TFloatField(owner, TFieldType::ftCurrency) {
    SetCurrency(true);
}

Currency TCurrencyField::GetAsCurrency() const {
    return Stored().AsCurrency();
}

Variant TCurrencyField::Convert(const Variant& value) const {
    if (value.IsNull()) return value;
    Variant checked = TFloatField::Convert(value);
    if (value.VarType() == TVarType::varCurrency) return value;
    if (value.VarType() == TVarType::varString) return StrToCurr(*value.StringPtr());
    return Currency(checked.AsFloat());
}

// ---------------------------------------------------------------------------------------------
// Booleans

VCL_DEFINE_CLASS(TBooleanField, TField)

void TBooleanField::SetDisplayValues(const std::string& values) {
    displayValues_ = values;
    size_t separator = values.find(';');
    if (values.empty()) {
        trueText_ = "True";
        falseText_ = "False";
    } else if (separator == std::string::npos) {
        trueText_ = values;
        falseText_.clear();
    } else {
        trueText_ = values.substr(0, separator);
        falseText_ = values.substr(separator + 1);
    }
    if (DataSet()) DataSet()->DataEvent(deLayoutChange);
}

std::string TBooleanField::GetAsString() const {
    if (IsNull()) return {};
    return GetAsBoolean() ? trueText_ : falseText_;
}

Variant TBooleanField::Convert(const Variant& value) const {
    if (value.IsNull()) return value;
    if (const std::string* text = value.StringPtr()) {
        std::string trimmed = Trim(*text);
        auto matches = [&](const std::string& candidate) {
            return !trimmed.empty() && trimmed.size() <= candidate.size() &&
                   AnsiSameText(candidate.substr(0, trimmed.size()), trimmed);
        };
        if (matches(trueText_)) return true;
        if (matches(falseText_)) return false;
        if (!trimmed.empty() && (matches("True") || matches("Yes"))) return true;
        if (!trimmed.empty() && (matches("False") || matches("No"))) return false;
        throw EConvertError(Format(dbconsts::SInvalidBoolValue, {*text}));
    }
    return value.AsBoolean();
}

void TBooleanField::SetAsStringValue(const std::string& value) {
    if (value.empty()) {
        SetStored(Variant());
        return;
    }
    SetStored(Convert(Variant(value)));
}

bool TBooleanField::GetAsBoolean() const {
    return Stored().AsBoolean();
}
void TBooleanField::SetAsBooleanValue(bool value) {
    SetStored(value);
}
Integer TBooleanField::GetAsInteger() const {
    return GetAsBoolean() ? 1 : 0;
}
void TBooleanField::SetAsIntegerValue(Integer value) {
    SetStored(value != 0);
}

// ---------------------------------------------------------------------------------------------
// Dates and times

VCL_DEFINE_CLASS(TDateTimeField, TField)

void TDateTimeField::SetDisplayFormat(const std::string& format) {
    displayFormat_ = format;
    if (DataSet()) DataSet()->DataEvent(deLayoutChange);
}

Variant TDateTimeField::Convert(const Variant& value) const {
    if (value.IsNull()) return value;
    if (const std::string* text = value.StringPtr()) {
        switch (DataType()) {
            case TFieldType::ftDate:
                return Variant::FromDateTime(StrToDate(*text));
            case TFieldType::ftTime:
                return Variant::FromDateTime(StrToTime(*text));
            default:
                return Variant::FromDateTime(StrToDateTime(*text));
        }
    }
    double number = value.AsFloat();
    if (!std::isfinite(number))
        throw EConvertError(Format("'%s' is not a valid date and time", {value.AsString()}));
    return Variant::FromDateTime(number);
}

std::string TDateTimeField::GetAsString() const {
    return GetText(false);
}

void TDateTimeField::SetAsStringValue(const std::string& value) {
    if (value.empty()) {
        SetStored(Variant());
        return;
    }
    SetStored(Convert(Variant(value)));
}

double TDateTimeField::GetAsFloat() const {
    return GetAsDateTime();
}
void TDateTimeField::SetAsFloatValue(double value) {
    SetAsDateTimeValue(value);
}
TDateTime TDateTimeField::GetAsDateTime() const {
    return Stored().AsDateTime();
}
void TDateTimeField::SetAsDateTimeValue(TDateTime value) {
    SetStored(Convert(Variant::FromDateTime(value)));
}

std::string TDateTimeField::GetText(bool displayText) const {
    if (IsNull()) return {};
    TDateTime value = GetAsDateTime();
    if (displayText && !displayFormat_.empty()) return FormatDateTime(displayFormat_, value);
    switch (DataType()) {
        case TFieldType::ftDate:
            return DateToStr(value);
        case TFieldType::ftTime:
            return TimeToStr(value);
        default:
            return DateTimeToStr(value);
    }
}

// ---------------------------------------------------------------------------------------------
// Blobs

VCL_DEFINE_CLASS(TBlobField, TField)

Integer TBlobField::BlobSize() const {
    const std::string* bytes = Stored().StringPtr();
    return bytes ? static_cast<Integer>(std::min<size_t>(bytes->size(), INT32_MAX)) : 0;
}

std::string TBlobField::GetAsString() const {
    return Stored().AsString();
}
void TBlobField::SetAsStringValue(const std::string& value) {
    SetStored(value);
}

Variant TBlobField::Convert(const Variant& value) const {
    if (value.IsNull()) return value;
    return value.AsString();
}

std::string TBlobField::GetText(bool) const {
    std::string label(TypeLabel());
    if (!IsNull()) label = UpperCase(label);
    return "(" + label + ")";
}

void TBlobField::LoadFromStream(TStream& stream) {
    std::string bytes;
    char chunk[65536];
    for (;;) {
        Int64 count = stream.Read(chunk, sizeof chunk);
        if (count <= 0) break;
        bytes.append(chunk, static_cast<size_t>(count));
    }
    SetStored(std::move(bytes));
}

void TBlobField::SaveToStream(TStream& stream) const {
    const std::string* bytes = Stored().StringPtr();
    if (bytes) stream.WriteBuffer(bytes->data(), static_cast<Int64>(bytes->size()));
}

void TBlobField::LoadFromFile(const std::string& fileName) {
    TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(stream);
}

void TBlobField::SaveToFile(const std::string& fileName) const {
    TFileStream stream(fileName, fmCreate);
    SaveToStream(stream);
}

// ---------------------------------------------------------------------------------------------
// The fields list

TClass FieldClassFor(TFieldType type) {
    switch (type) {
        case TFieldType::ftString:
        case TFieldType::ftFixedChar:
        case TFieldType::ftWideString:
            return TStringField::StaticClass();
        case TFieldType::ftSmallint:
            return TSmallintField::StaticClass();
        case TFieldType::ftInteger:
            return TIntegerField::StaticClass();
        case TFieldType::ftWord:
            return TWordField::StaticClass();
        case TFieldType::ftAutoInc:
            return TAutoIncField::StaticClass();
        case TFieldType::ftLargeint:
            return TLargeintField::StaticClass();
        case TFieldType::ftBoolean:
            return TBooleanField::StaticClass();
        case TFieldType::ftFloat:
        case TFieldType::ftBCD:
            return TFloatField::StaticClass();
        case TFieldType::ftCurrency:
            return TCurrencyField::StaticClass();
        case TFieldType::ftDate:
            return TDateField::StaticClass();
        case TFieldType::ftTime:
            return TTimeField::StaticClass();
        case TFieldType::ftDateTime:
            return TDateTimeField::StaticClass();
        case TFieldType::ftMemo:
        case TFieldType::ftFmtMemo:
            return TMemoField::StaticClass();
        case TFieldType::ftGraphic:
            return TGraphicField::StaticClass();
        case TFieldType::ftBlob:
        case TFieldType::ftBytes:
        case TFieldType::ftVarBytes:
        case TFieldType::ftTypedBinary:
        case TFieldType::ftParadoxOle:
        case TFieldType::ftDBaseOle:
            return TBlobField::StaticClass();
        default:
            return nullptr;
    }
}

VCL_DEFINE_CLASS(TFields, TObject)

TField* TFields::Fields(int index) const {
    if (index < 0 || index >= Count()) DatabaseError(std::string(dbconsts::SFieldIndexError), dataSet_);
    return list_[static_cast<size_t>(index)];
}

TField* TFields::FindField(std::string_view name) const {
    for (TField* field : list_)
        if (AnsiSameText(field->FieldName(), name)) return field;
    return nullptr;
}

TField* TFields::FieldByName(std::string_view name) const {
    TField* field = FindField(name);
    if (!field) DatabaseError(Format(dbconsts::SFieldNotFound, {name}), dataSet_);
    return field;
}

TField* TFields::FieldByNumber(int fieldNo) const {
    for (TField* field : list_)
        if (field->FieldNo() == fieldNo && fieldNo > 0) return field;
    return nullptr;
}

int TFields::IndexOf(const TField* field) const {
    auto found = std::find(list_.begin(), list_.end(), field);
    return found == list_.end() ? -1 : static_cast<int>(found - list_.begin());
}

void TFields::GetFieldNames(TStrings& names) const {
    names.BeginUpdate();
    const ScopeExit endUpdate([&names] { names.EndUpdate(); });
    names.Clear();
    for (TField* field : list_)
        names.Add(field->FieldName());
}

}  // namespace vcl
