// Values, their order, and the field and index definitions.
#include <cmath>
#include <cstring>

#include "vcl/db.h"

namespace vcl {

void DatabaseError(const std::string& message, const TComponent* component) {
    if (component && !component->Name().empty()) throw EDatabaseError(component->Name() + ": " + message);
    throw EDatabaseError(message);
}

// ---------------------------------------------------------------------------------------------
// Variant

bool Variant::IsNumeric() const {
    switch (VarType()) {
        case TVarType::varBoolean:
        case TVarType::varInteger:
        case TVarType::varFloat:
        case TVarType::varCurrency:
        case TVarType::varDate:
            return true;
        default:
            return false;
    }
}

bool Variant::AsBoolean() const {
    switch (VarType()) {
        case TVarType::varNull:
            return false;
        case TVarType::varBoolean:
            return std::get<bool>(data_);
        case TVarType::varString: {
            const std::string& text = std::get<std::string>(data_);
            std::string trimmed = Trim(text);
            if (SameText(trimmed, "True")) return true;
            if (SameText(trimmed, "False")) return false;
            double number = 0;
            if (TryStrToFloat(trimmed, number)) return number != 0;
            throw EConvertError(Format(dbconsts::SInvalidBoolValue, {text}));
        }
        default:
            return AsFloat() != 0;
    }
}

Int64 Variant::ConvertToInt64() const {
    switch (VarType()) {
        case TVarType::varNull:
            return 0;
        case TVarType::varBoolean:
            return std::get<bool>(data_) ? -1 : 0;
        case TVarType::varInteger:
            return std::get<Int64>(data_);
        case TVarType::varFloat:
            return Round(std::get<double>(data_));
        case TVarType::varCurrency:
            return Round(std::get<Currency>(data_).ToDouble());
        case TVarType::varDate:
            return Round(std::get<DateTag>(data_).value);
        case TVarType::varString:
            return StrToInt64(std::get<std::string>(data_));
    }
    return 0;
}

double Variant::ConvertToFloat() const {
    switch (VarType()) {
        case TVarType::varNull:
            return 0;
        case TVarType::varBoolean:
            return std::get<bool>(data_) ? -1 : 0;
        case TVarType::varInteger:
            return static_cast<double>(std::get<Int64>(data_));
        case TVarType::varFloat:
            return std::get<double>(data_);
        case TVarType::varCurrency:
            return std::get<Currency>(data_).ToDouble();
        case TVarType::varDate:
            return std::get<DateTag>(data_).value;
        case TVarType::varString:
            return StrToFloat(std::get<std::string>(data_));
    }
    return 0;
}

Currency Variant::AsCurrency() const {
    switch (VarType()) {
        case TVarType::varCurrency:
            return std::get<Currency>(data_);
        case TVarType::varInteger:
            return Currency(std::get<Int64>(data_));
        case TVarType::varString:
            return StrToCurr(std::get<std::string>(data_));
        default:
            return Currency(AsFloat());
    }
}

TDateTime Variant::AsDateTime() const {
    if (const std::string* text = StringPtr()) {
        TDateTime value = 0;
        if (TryStrToDateTime(*text, value) || TryStrToTime(*text, value)) return value;
        return StrToDateTime(*text);
    }
    return AsFloat();
}

std::string Variant::AsString() const {
    switch (VarType()) {
        case TVarType::varNull:
            return {};
        case TVarType::varBoolean:
            return std::get<bool>(data_) ? "True" : "False";
        case TVarType::varInteger:
            return IntToStr(std::get<Int64>(data_));
        case TVarType::varFloat:
            return FloatToStr(std::get<double>(data_));
        case TVarType::varCurrency:
            return CurrToStr(std::get<Currency>(data_));
        case TVarType::varDate: {
            double value = std::get<DateTag>(data_).value;
            if (Frac(value) == 0) return DateToStr(value);
            if (Int(value) == 0) return TimeToStr(value);
            return DateTimeToStr(value);
        }
        case TVarType::varString:
            return std::get<std::string>(data_);
    }
    return {};
}

namespace {

int Rank(const Variant& value) {
    if (value.IsNull()) return 0;
    return value.IsNumeric() ? 1 : 2;
}

unsigned char FoldAscii(unsigned char ch) {
    return ch >= 'A' && ch <= 'Z' ? ch + ('a' - 'A') : ch;
}

int CompareBytes(const std::string& a, const std::string& b, bool caseInsensitive) {
    size_t common = std::min(a.size(), b.size());
    if (!caseInsensitive) {
        int result = common ? std::memcmp(a.data(), b.data(), common) : 0;
        if (result != 0) return result < 0 ? -1 : 1;
    } else {
        for (size_t i = 0; i < common; ++i) {
            unsigned char x = FoldAscii(static_cast<unsigned char>(a[i]));
            unsigned char y = FoldAscii(static_cast<unsigned char>(b[i]));
            if (x != y) return x < y ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace

int CompareVariants(const Variant& a, const Variant& b, bool caseInsensitive) {
    int rankA = Rank(a), rankB = Rank(b);
    if (rankA != rankB) return rankA < rankB ? -1 : 1;
    if (rankA == 0) return 0;
    if (rankA == 2) return CompareBytes(*a.StringPtr(), *b.StringPtr(), caseInsensitive);
    if (a.VarType() == TVarType::varInteger && b.VarType() == TVarType::varInteger) {
        Int64 x = a.AsInt64(), y = b.AsInt64();
        return x == y ? 0 : (x < y ? -1 : 1);
    }
    if (a.VarType() == TVarType::varCurrency && b.VarType() == TVarType::varCurrency) {
        Currency x = a.AsCurrency(), y = b.AsCurrency();
        return x == y ? 0 : (x < y ? -1 : 1);
    }
    // Long double keeps 64-bit integers exact against doubles.
    auto widen = [](const Variant& v) -> long double {
        return v.VarType() == TVarType::varInteger ? static_cast<long double>(v.AsInt64()) : v.AsFloat();
    };
    long double x = widen(a), y = widen(b);
    if (std::isnan(x) || std::isnan(y)) return std::isnan(x) ? (std::isnan(y) ? 0 : -1) : 1;
    return x == y ? 0 : (x < y ? -1 : 1);
}

std::vector<std::string> SplitFieldNames(std::string_view names) {
    std::vector<std::string> result;
    size_t start = 0;
    while (start <= names.size()) {
        size_t end = names.find(';', start);
        if (end == std::string_view::npos) end = names.size();
        std::string name = Trim(names.substr(start, end - start));
        if (!name.empty()) result.push_back(std::move(name));
        start = end + 1;
    }
    return result;
}

std::string_view FieldTypeName(TFieldType type) {
    static constexpr std::string_view names[] = {
        "Unknown",     "String", "SmallInt",  "Integer",    "Word",     "Boolean",    "Float",
        "Currency",    "BCD",    "Date",      "Time",       "DateTime", "Bytes",      "VarBytes",
        "AutoInc",     "Blob",   "Memo",      "Graphic",    "FmtMemo",  "ParadoxOle", "DBaseOle",
        "TypedBinary", "Cursor", "FixedChar", "WideString", "LargeInt"};
    auto index = static_cast<size_t>(type);
    return index < std::size(names) ? names[index] : "Unknown";
}

// ---------------------------------------------------------------------------------------------
// Definitions

namespace {
constexpr Integer kMaxStringSize = 8192;

bool IsStringType(TFieldType type) {
    return type == TFieldType::ftString || type == TFieldType::ftFixedChar ||
           type == TFieldType::ftWideString;
}
}  // namespace

VCL_DEFINE_CLASS(TFieldDef, TCollectionItem)

void TFieldDef::SetName(const std::string& name) {
    if (auto* defs = dynamic_cast<TFieldDefs*>(Collection())) {
        TFieldDef* other = defs->Find(name);
        if (other && other != this) throw EDatabaseError(Format(dbconsts::SDuplicateFieldName, {name}));
    }
    name_ = name;
    Changed(false);
}

void TFieldDef::SetDataType(TFieldType type) {
    dataType_ = type;
    if (IsStringType(type) && size_ == 0) size_ = 20;
    Changed(false);
}

void TFieldDef::SetSize(Integer size) {
    if (size < 0 || size > kMaxStringSize || (size == 0 && IsStringType(dataType_)))
        throw EDatabaseError(std::string(dbconsts::SInvalidFieldSize));
    size_ = size;
    Changed(false);
}

void TFieldDef::SetRequired(bool required) {
    required_ = required;
    Changed(false);
}

TField* TFieldDef::CreateField(TComponent* owner, TDataSet* dataSet) const {
    TClass cls = FieldClassFor(dataType_);
    if (!cls) throw EDatabaseError(Format("Field '%s' is of an unknown type", {name_}));
    auto* field = static_cast<TField*>(cls->createComponent(owner));
    try {
        field->SetFieldName(name_);
        if (IsStringType(dataType_) && size_ > 0) field->SetSize(size_);
        field->SetRequired(required_ && dataType_ != TFieldType::ftAutoInc);
        field->fieldNo_ = FieldNo();
        field->SetDataSet(dataSet);
    } catch (...) {
        field->Free();
        throw;
    }
    return field;
}

VCL_DEFINE_CLASS(TFieldDefs, TOwnedCollection)

TFieldDef* TFieldDefs::Add(const std::string& name, TFieldType type, Integer size, bool required) {
    if (Find(name)) throw EDatabaseError(Format(dbconsts::SDuplicateFieldName, {name}));
    auto* def = static_cast<TFieldDef*>(TCollection::Add());
    try {
        def->SetName(name);
        def->SetDataType(type);
        if (size != 0 || IsStringType(type)) def->SetSize(size != 0 ? size : def->Size());
        def->SetRequired(required);
    } catch (...) {
        Delete(def->Index());
        throw;
    }
    return def;
}

TFieldDef* TFieldDefs::Find(std::string_view name) const {
    int index = IndexOf(name);
    return index < 0 ? nullptr : Items(index);
}

int TFieldDefs::IndexOf(std::string_view name) const {
    for (int i = 0; i < Count(); ++i)
        if (AnsiSameText(Items(i)->Name(), name)) return i;
    return -1;
}

VCL_DEFINE_CLASS(TIndexDefs, TOwnedCollection)

TIndexDef* TIndexDefs::Add(const std::string& name, const std::string& fields, TIndexOptions options) {
    auto* def = static_cast<TIndexDef*>(TCollection::Add());
    def->SetName(name);
    def->SetFields(fields);
    def->SetOptions(options);
    return def;
}

TIndexDef* TIndexDefs::Find(std::string_view name) const {
    for (int i = 0; i < Count(); ++i)
        if (AnsiSameText(Items(i)->Name(), name)) return Items(i);
    return nullptr;
}

TIndexDef* TIndexDefs::GetIndexForFields(std::string_view fields, bool caseInsensitive) const {
    std::vector<std::string> wanted = SplitFieldNames(fields);
    for (int i = 0; i < Count(); ++i) {
        TIndexDef* def = Items(i);
        if (def->Options().Contains(TIndexOption::ixCaseInsensitive) != caseInsensitive) continue;
        std::vector<std::string> have = SplitFieldNames(def->Fields());
        if (have.size() < wanted.size() || wanted.empty()) continue;
        bool match = true;
        for (size_t k = 0; k < wanted.size() && match; ++k)
            match = AnsiSameText(have[k], wanted[k]);
        if (match) return def;
    }
    return nullptr;
}

}  // namespace vcl
