// Data access: values, field and index definitions, fields, datasets with their state machine,
// data sources and data links, and an in-memory dataset.
#pragma once

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "vcl/classes.h"

namespace vcl {

class TDataSet;
class TDataSource;
class TDataLink;
class TField;
class TFields;

// ---------------------------------------------------------------------------------------------
// Messages, kept together so that every unit raises the same texts.

namespace dbconsts {
inline constexpr std::string_view SFieldNotFound = "Field '%s' not found";
inline constexpr std::string_view SDataSetClosed = "Cannot perform this operation on a closed dataset";
inline constexpr std::string_view SDataSetOpen = "Cannot perform this operation on an open dataset";
inline constexpr std::string_view SDataSetEmpty = "Cannot perform this operation on an empty dataset";
inline constexpr std::string_view SNotEditing = "Dataset not in edit or insert mode";
inline constexpr std::string_view SDataSetReadOnly = "Cannot modify a read-only dataset";
inline constexpr std::string_view SFieldReadOnly = "Field '%s' cannot be modified";
inline constexpr std::string_view SFieldRequired = "Field '%s' must have a value";
inline constexpr std::string_view SFieldAccessError = "Cannot access field '%s' as type %s";
inline constexpr std::string_view SFieldRangeError =
    "%s is not a valid value for field '%s'. The allowed range is %s to %s";
inline constexpr std::string_view SFieldTypeMismatch =
    "Type mismatch for field '%s', expecting: %s actual: %s";
inline constexpr std::string_view SDuplicateFieldName = "Duplicate field name '%s'";
inline constexpr std::string_view SFieldIndexError = "Field index out of range";
inline constexpr std::string_view SInvalidFieldSize = "Invalid field size";
inline constexpr std::string_view SInvalidBoolValue = "'%s' is not a valid boolean value";
inline constexpr std::string_view SInvalidFloatValue = "'%s' is not a valid floating point value";
inline constexpr std::string_view SRecordNotFound = "Record not found";
inline constexpr std::string_view SBookmarkNotFound = "Bookmark not found";
inline constexpr std::string_view SIndexNotFound = "Index '%s' not found";
inline constexpr std::string_view SNoIndexActive = "No index currently active";
inline constexpr std::string_view SNotIndexField = "Field '%s' is not indexed and cannot be modified";
inline constexpr std::string_view SCircularDataLink = "Circular datalinks are not allowed";
inline constexpr std::string_view SFieldValueCount = "Too many values for the key fields";
inline constexpr std::string_view SInvalidRecNo = "Record number %d out of range";
inline constexpr std::string_view SNoFieldDefs = "No fields defined; cannot create dataset";
inline constexpr std::string_view SNoTableName = "Missing TableName property";
inline constexpr std::string_view SNoDatabaseName = "Missing DatabaseName property";
inline constexpr std::string_view STableNotFound = "Table '%s' does not exist";
inline constexpr std::string_view SCannotOpenDatabase = "Cannot open database '%s': %s";
inline constexpr std::string_view SEmptySQLStatement = "No SQL statement available";
inline constexpr std::string_view SNoResultSet = "Error creating cursor handle";
inline constexpr std::string_view SParameterNotFound = "Parameter '%s' not found";
inline constexpr std::string_view SNoParameterValue = "No value for parameter '%s'";
inline constexpr std::string_view SRecordChanged =
    "Couldn't perform the edit because another user changed the record";
inline constexpr std::string_view SNoTransaction = "No transaction active";
inline constexpr std::string_view STransactionActive = "A transaction is already active";
inline constexpr std::string_view SDataSetMissing = "Field '%s' has no dataset";
}  // namespace dbconsts

VCL_DECLARE_EXCEPTION(EDatabaseError, Exception)

// Raises EDatabaseError; a component prefixes its name as the framework does ("Table1: ...").
[[noreturn]] void DatabaseError(const std::string& message, const TComponent* component = nullptr);

// ---------------------------------------------------------------------------------------------
// Values

enum class TVarType : uint8_t { varNull, varBoolean, varInteger, varFloat, varCurrency, varDate, varString };
VCL_ENUM_NAMES(TVarType, "varNull", "varBoolean", "varInteger", "varFloat", "varCurrency", "varDate",
               "varString")

// A typed value as fields, keys and parameters move it. Null is its own type, distinct from an
// empty string. Strings carry bytes, so blobs ride in them too.
class Variant {
public:
    struct DateTag {
        TDateTime value;
        friend bool operator==(DateTag, DateTag) = default;
    };

    Variant() = default;
    Variant(bool value) : data_(value) {}                           // NOLINT(google-explicit-constructor)
    Variant(int value) : data_(Int64{value}) {}                     // NOLINT(google-explicit-constructor)
    Variant(long value) : data_(Int64{value}) {}                    // NOLINT(google-explicit-constructor)
    Variant(long long value) : data_(static_cast<Int64>(value)) {}  // NOLINT(google-explicit-constructor)
    Variant(unsigned value) : data_(Int64{value}) {}                // NOLINT(google-explicit-constructor)
    Variant(double value) : data_(value) {}                         // NOLINT(google-explicit-constructor)
    Variant(Currency value) : data_(value) {}                       // NOLINT(google-explicit-constructor)
    Variant(const char* value) : data_(std::string(value ? value : "")) {}  // NOLINT
    Variant(std::string value) : data_(std::move(value)) {}                 // NOLINT
    Variant(std::string_view value) : data_(std::string(value)) {}          // NOLINT

    static Variant Null() { return Variant(); }
    static Variant FromDateTime(TDateTime value) {
        Variant result;
        result.data_ = DateTag{value};
        return result;
    }

    TVarType VarType() const { return static_cast<TVarType>(data_.index()); }
    bool IsNull() const { return data_.index() == 0; }
    bool IsNumeric() const;

    // Conversions follow the framework's variant rules: Null gives 0, False or an empty string;
    // text is parsed (EConvertError with the framework's message when it is not a number);
    // floats round halves to even when an integer is asked for.
    bool AsBoolean() const;
    Int64 AsInt64() const {
        if (auto* integer = std::get_if<Int64>(&data_)) return *integer;
        return ConvertToInt64();
    }
    double AsFloat() const {
        if (auto* number = std::get_if<double>(&data_)) return *number;
        return ConvertToFloat();
    }
    Currency AsCurrency() const;
    TDateTime AsDateTime() const;
    std::string AsString() const;
    // The string itself without a copy; nullptr when the value is not a string.
    const std::string* StringPtr() const { return std::get_if<std::string>(&data_); }
    // Assign without converting through a temporary value.
    void AssignInteger(Int64 value) { data_ = value; }
    void AssignFloat(double value) { data_ = value; }
    // Makes the value this string, reusing the storage of a string it holds.
    void AssignString(std::string_view text) {
        if (auto* held = std::get_if<std::string>(&data_))
            held->assign(text);
        else
            data_ = std::string(text);
    }

    friend bool operator==(const Variant& a, const Variant& b) = default;

private:
    Int64 ConvertToInt64() const;
    double ConvertToFloat() const;

    std::variant<std::monostate, bool, Int64, double, Currency, DateTag, std::string> data_;
};

// Orders values as SQLite does: Null first, then numbers by value, then text by bytes (or with
// ASCII letters folded when caseInsensitive).
int CompareVariants(const Variant& a, const Variant& b, bool caseInsensitive = false);

// ---------------------------------------------------------------------------------------------
// Enumerations

enum class TFieldType : uint8_t {
    ftUnknown,
    ftString,
    ftSmallint,
    ftInteger,
    ftWord,
    ftBoolean,
    ftFloat,
    ftCurrency,
    ftBCD,
    ftDate,
    ftTime,
    ftDateTime,
    ftBytes,
    ftVarBytes,
    ftAutoInc,
    ftBlob,
    ftMemo,
    ftGraphic,
    ftFmtMemo,
    ftParadoxOle,
    ftDBaseOle,
    ftTypedBinary,
    ftCursor,
    ftFixedChar,
    ftWideString,
    ftLargeint,
};
VCL_ENUM_NAMES(TFieldType, "ftUnknown", "ftString", "ftSmallint", "ftInteger", "ftWord", "ftBoolean",
               "ftFloat", "ftCurrency", "ftBCD", "ftDate", "ftTime", "ftDateTime", "ftBytes", "ftVarBytes",
               "ftAutoInc", "ftBlob", "ftMemo", "ftGraphic", "ftFmtMemo", "ftParadoxOle", "ftDBaseOle",
               "ftTypedBinary", "ftCursor", "ftFixedChar", "ftWideString", "ftLargeint")
// The name the framework shows for a type in messages ("Integer", "String", ...).
std::string_view FieldTypeName(TFieldType type);

enum class TDataSetState : uint8_t { dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields };
VCL_ENUM_NAMES(TDataSetState, "dsInactive", "dsBrowse", "dsEdit", "dsInsert", "dsSetKey", "dsCalcFields")
using enum TDataSetState;
inline bool IsEditMode(TDataSetState state) {
    return state == dsEdit || state == dsInsert || state == dsSetKey;
}

enum class TDataEvent : uint8_t {
    deFieldChange,
    deRecordChange,
    deDataSetChange,
    deDataSetScroll,
    deLayoutChange,
    deUpdateRecord,
    deUpdateState,
    deCheckBrowseMode,
    dePropertyChange,
    deFieldListChange,
    deFocusControl,
};
VCL_ENUM_NAMES(TDataEvent, "deFieldChange", "deRecordChange", "deDataSetChange", "deDataSetScroll",
               "deLayoutChange", "deUpdateRecord", "deUpdateState", "deCheckBrowseMode", "dePropertyChange",
               "deFieldListChange", "deFocusControl")
using enum TDataEvent;

enum class TFieldKind : uint8_t { fkData, fkCalculated, fkLookup, fkInternalCalc };
VCL_ENUM_NAMES(TFieldKind, "fkData", "fkCalculated", "fkLookup", "fkInternalCalc")

enum class TDataAction : uint8_t { daFail, daAbort, daRetry };
VCL_ENUM_NAMES(TDataAction, "daFail", "daAbort", "daRetry")

enum class TLocateOption : uint8_t { loCaseInsensitive, loPartialKey };
VCL_ENUM_NAMES(TLocateOption, "loCaseInsensitive", "loPartialKey")
using TLocateOptions = Set<TLocateOption>;

enum class TIndexOption : uint8_t { ixPrimary, ixUnique, ixDescending, ixCaseInsensitive, ixExpression };
VCL_ENUM_NAMES(TIndexOption, "ixPrimary", "ixUnique", "ixDescending", "ixCaseInsensitive", "ixExpression")
using TIndexOptions = Set<TIndexOption>;

// Splits "A;B;C" into trimmed names, as key field lists are written.
std::vector<std::string> SplitFieldNames(std::string_view names);

// ---------------------------------------------------------------------------------------------
// Field and index definitions

class TFieldDef : public TCollectionItem {
    VCL_DECLARE_CLASS(TFieldDef, TCollectionItem)
public:
    explicit TFieldDef(TCollection* collection) : TCollectionItem(collection) {}

    const std::string& Name() const { return name_; }
    void SetName(const std::string& name);
    TFieldType DataType() const { return dataType_; }
    void SetDataType(TFieldType type);
    Integer Size() const { return size_; }
    // Strings take 1..8192; other types ignore the size. Raises EDatabaseError "Invalid field size".
    void SetSize(Integer size);
    bool Required() const { return required_; }
    void SetRequired(bool required);
    // 1-based position among the definitions.
    Integer FieldNo() const { return Index() + 1; }
    std::string DisplayName() const override { return name_; }

    // Creates a field of the class for DataType, owned by `owner` and attached to the dataset.
    TField* CreateField(TComponent* owner, TDataSet* dataSet) const;

    static void Publish(Published<TFieldDef>& p) {
        p.Property("Name", &TFieldDef::Name, &TFieldDef::SetName);
        p.Property("DataType", &TFieldDef::DataType, &TFieldDef::SetDataType, TFieldType::ftUnknown);
        p.Property("Size", &TFieldDef::Size, &TFieldDef::SetSize, 0);
        p.Property("Required", &TFieldDef::Required, &TFieldDef::SetRequired, false);
    }

private:
    std::string name_;
    TFieldType dataType_ = TFieldType::ftUnknown;
    Integer size_ = 0;
    bool required_ = false;
};

class TFieldDefs : public TOwnedCollection {
    VCL_DECLARE_CLASS(TFieldDefs, TOwnedCollection)
public:
    explicit TFieldDefs(TPersistent* owner) : TOwnedCollection(owner, TFieldDef::StaticClass()) {}

    TFieldDef* Items(int index) const { return static_cast<TFieldDef*>(TCollection::Items(index)); }
    // Raises EDatabaseError "Duplicate field name 'X'" when the name is taken.
    TFieldDef* Add(const std::string& name, TFieldType type, Integer size = 0, bool required = false);
    using TCollection::Add;
    // Case-insensitive; nullptr or -1 when absent.
    TFieldDef* Find(std::string_view name) const;
    int IndexOf(std::string_view name) const;
};

class TIndexDef : public TCollectionItem {
    VCL_CLASS(TIndexDef, TCollectionItem)
public:
    explicit TIndexDef(TCollection* collection) : TCollectionItem(collection) {}

    const std::string& Name() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }
    // Key fields separated by ';'.
    const std::string& Fields() const { return fields_; }
    void SetFields(const std::string& fields) { fields_ = fields; }
    TIndexOptions Options() const { return options_; }
    void SetOptions(TIndexOptions options) { options_ = options; }
    // Fields sorted descending, or compared without case, when not the whole index is.
    const std::string& DescFields() const { return descFields_; }
    void SetDescFields(const std::string& fields) { descFields_ = fields; }
    const std::string& CaseInsFields() const { return caseInsFields_; }
    void SetCaseInsFields(const std::string& fields) { caseInsFields_ = fields; }
    std::string DisplayName() const override { return name_; }

    static void Publish(Published<TIndexDef>& p) {
        p.Property("Name", &TIndexDef::Name, &TIndexDef::SetName);
        p.Property("Fields", &TIndexDef::Fields, &TIndexDef::SetFields);
        p.Property("Options", &TIndexDef::Options, &TIndexDef::SetOptions, TIndexOptions{});
        p.Property("DescFields", &TIndexDef::DescFields, &TIndexDef::SetDescFields);
        p.Property("CaseInsFields", &TIndexDef::CaseInsFields, &TIndexDef::SetCaseInsFields);
    }

private:
    std::string name_, fields_, descFields_, caseInsFields_;
    TIndexOptions options_;
};

class TIndexDefs : public TOwnedCollection {
    VCL_DECLARE_CLASS(TIndexDefs, TOwnedCollection)
public:
    explicit TIndexDefs(TPersistent* owner) : TOwnedCollection(owner, TIndexDef::StaticClass()) {}

    TIndexDef* Items(int index) const { return static_cast<TIndexDef*>(TCollection::Items(index)); }
    TIndexDef* Add(const std::string& name, const std::string& fields, TIndexOptions options);
    using TCollection::Add;
    // Case-insensitive by name; nullptr when absent.
    TIndexDef* Find(std::string_view name) const;
    // The first index whose leading fields are the given ones; nullptr when none.
    TIndexDef* GetIndexForFields(std::string_view fields, bool caseInsensitive) const;
};

// ---------------------------------------------------------------------------------------------
// Fields

using TFieldNotifyEvent = std::function<void(TField* Sender)>;
using TFieldGetTextEvent = std::function<void(TField* Sender, std::string& Text, bool DisplayText)>;
using TFieldSetTextEvent = std::function<void(TField* Sender, const std::string& Text)>;

class TField : public TComponent {
    VCL_DECLARE_CLASS(TField, TComponent)
public:
    explicit TField(TComponent* owner);
    ~TField() override;

    // Attaches the field to a closed dataset (nullptr detaches). Raises EDatabaseError on an open one.
    TDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TDataSet* dataSet);

    const std::string& FieldName() const { return fieldName_; }
    void SetFieldName(const std::string& name);
    // The field name unless a label was set.
    std::string DisplayLabel() const { return displayLabel_.empty() ? fieldName_ : displayLabel_; }
    void SetDisplayLabel(const std::string& label);
    std::string DisplayName() const { return DisplayLabel(); }
    // In characters; a type's default unless set.
    Integer DisplayWidth() const;
    void SetDisplayWidth(Integer width);
    TFieldType DataType() const { return dataType_; }
    TFieldKind FieldKind() const { return fieldKind_; }
    void SetFieldKind(TFieldKind kind);
    bool Calculated() const { return fieldKind_ == TFieldKind::fkCalculated; }
    // Characters for strings, 0 for fixed-size types.
    Integer Size() const { return size_; }
    virtual void SetSize(Integer size);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    const std::string& EditMask() const { return editMask_; }
    void SetEditMask(const std::string& mask) { editMask_ = mask; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);
    bool Required() const { return required_; }
    void SetRequired(bool required) { required_ = required; }
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    // 1-based column of the underlying data; 0 for calculated fields.
    Integer FieldNo() const { return fieldNo_; }
    // Position among the dataset's fields, -1 when detached.
    Integer Index() const;
    virtual bool IsBlob() const { return false; }
    // True when the field may be written now: dataset modifiable, field not read-only.
    bool CanModify() const;

    // The value of the active record (the edit buffer while editing, the key while setting one).
    bool IsNull() const;
    Variant Value() const;
    // Converted to the field's type; raises EConvertError / EDatabaseError as the typed setters do.
    void SetValue(const Variant& value);
    void Clear() { SetValue(Variant()); }

    std::string AsString() const { return GetAsString(); }
    void SetAsString(const std::string& value) { SetAsStringValue(value); }
    Integer AsInteger() const { return GetAsInteger(); }
    void SetAsInteger(Integer value) { SetAsIntegerValue(value); }
    Int64 AsLargeInt() const { return GetAsLargeInt(); }
    void SetAsLargeInt(Int64 value) { SetAsLargeIntValue(value); }
    double AsFloat() const { return GetAsFloat(); }
    void SetAsFloat(double value) { SetAsFloatValue(value); }
    Currency AsCurrency() const { return GetAsCurrency(); }
    void SetAsCurrency(Currency value) { SetAsCurrencyValue(value); }
    bool AsBoolean() const { return GetAsBoolean(); }
    void SetAsBoolean(bool value) { SetAsBooleanValue(value); }
    TDateTime AsDateTime() const { return GetAsDateTime(); }
    void SetAsDateTime(TDateTime value) { SetAsDateTimeValue(value); }

    // The text an edit control shows while editing, and the text it shows while browsing.
    std::string Text() const { return TextFor(false); }
    void SetText(const std::string& text);
    std::string DisplayText() const { return TextFor(true); }
    // Whether a typed character can belong to a value of this field.
    virtual bool IsValidChar(unsigned char ch) const;
    // Asks the data links to focus the control showing this field.
    void FocusControl();
    // Raises EDatabaseError "Field 'X' must have a value" when required and null.
    void CheckRequired() const;

    TFieldNotifyEvent OnChange;
    TFieldNotifyEvent OnValidate;
    TFieldGetTextEvent OnGetText;
    TFieldSetTextEvent OnSetText;

    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* parent) override;

    static void Publish(Published<TField>& p) {
        p.Property("Alignment", &TField::Alignment, &TField::SetAlignment, TAlignment::taLeftJustify)
            .Stored(&TField::AlignmentStored);
        p.Property("DisplayLabel", &TField::DisplayLabel, &TField::SetDisplayLabel)
            .Stored(&TField::LabelStored);
        p.Property("DisplayWidth", &TField::DisplayWidth, &TField::SetDisplayWidth)
            .Stored(&TField::WidthStored);
        p.Property("EditMask", &TField::EditMask, &TField::SetEditMask);
        p.Property("FieldKind", &TField::FieldKind, &TField::SetFieldKind, TFieldKind::fkData);
        p.Property("FieldName", &TField::FieldName, &TField::SetFieldName);
        p.Property("ReadOnly", &TField::ReadOnly, &TField::SetReadOnly, false);
        p.Property("Required", &TField::Required, &TField::SetRequired, false);
        p.Property("Visible", &TField::Visible, &TField::SetVisible, true);
        p.Event("OnChange", &TField::OnChange);
        p.Event("OnGetText", &TField::OnGetText);
        p.Event("OnSetText", &TField::OnSetText);
        p.Event("OnValidate", &TField::OnValidate);
    }

protected:
    TField(TComponent* owner, TFieldType type, TAlignment alignment);

    // The typed accessors; the base raises "Cannot access field 'X' as type T".
    virtual std::string GetAsString() const;
    virtual void SetAsStringValue(const std::string& value);
    virtual Integer GetAsInteger() const;
    virtual void SetAsIntegerValue(Integer value);
    virtual Int64 GetAsLargeInt() const;
    virtual void SetAsLargeIntValue(Int64 value);
    virtual double GetAsFloat() const;
    virtual void SetAsFloatValue(double value);
    virtual Currency GetAsCurrency() const;
    virtual void SetAsCurrencyValue(Currency value);
    virtual bool GetAsBoolean() const;
    virtual void SetAsBooleanValue(bool value);
    virtual TDateTime GetAsDateTime() const;
    virtual void SetAsDateTimeValue(TDateTime value);
    // Converts any value into the stored form of this field, or raises.
    virtual Variant Convert(const Variant& value) const;
    virtual std::string GetText(bool displayText) const;
    virtual Integer DefaultWidth() const { return 10; }

    [[noreturn]] void AccessError(std::string_view typeName) const;
    [[noreturn]] void RangeError(const std::string& value, const std::string& min,
                                 const std::string& max) const;
    // Stores an already converted value: checks state and rights, validates, notifies.
    void SetStored(Variant value);
    const Variant& Stored() const;
    void StoreSize(Integer size) { size_ = size; }

private:
    friend class TDataSet;
    friend class TFieldDef;
    std::string TextFor(bool displayText) const;
    bool AlignmentStored() const { return alignment_ != defaultAlignment_; }
    bool LabelStored() const { return !displayLabel_.empty(); }
    bool WidthStored() const { return displayWidth_ > 0; }

    TDataSet* dataSet_ = nullptr;
    std::string fieldName_, displayLabel_, editMask_;
    TFieldType dataType_ = TFieldType::ftUnknown;
    TFieldKind fieldKind_ = TFieldKind::fkData;
    TAlignment alignment_ = TAlignment::taLeftJustify;
    TAlignment defaultAlignment_ = TAlignment::taLeftJustify;
    Integer size_ = 0;
    Integer displayWidth_ = 0;
    Integer fieldNo_ = 0;
    bool readOnly_ = false, required_ = false, visible_ = true;
    // Position in the record buffer, kept by the dataset.
    int slot_ = -1;
};

class TStringField : public TField {
    VCL_DECLARE_CLASS(TStringField, TField)
public:
    explicit TStringField(TComponent* owner);
    void SetSize(Integer size) override;

    static void Publish(Published<TStringField>& p) {
        p.Property("Size", &TStringField::Size, &TStringField::SetSize, 20);
    }

protected:
    std::string GetAsString() const override;
    void SetAsStringValue(const std::string& value) override;
    Integer GetAsInteger() const override;
    void SetAsIntegerValue(Integer value) override;
    Int64 GetAsLargeInt() const override;
    void SetAsLargeIntValue(Int64 value) override;
    double GetAsFloat() const override;
    void SetAsFloatValue(double value) override;
    bool GetAsBoolean() const override;
    void SetAsBooleanValue(bool value) override;
    TDateTime GetAsDateTime() const override;
    void SetAsDateTimeValue(TDateTime value) override;
    Variant Convert(const Variant& value) const override;
    Integer DefaultWidth() const override { return Size(); }
};

// Integer-valued fields share their text and range rules.
class TNumericField : public TField {
    VCL_DECLARE_CLASS(TNumericField, TField)
public:
    // FormatFloat masks for browsing and editing; empty means the plain number.
    const std::string& DisplayFormat() const { return displayFormat_; }
    void SetDisplayFormat(const std::string& format);
    const std::string& EditFormat() const { return editFormat_; }
    void SetEditFormat(const std::string& format);
    bool IsValidChar(unsigned char ch) const override;

    static void Publish(Published<TNumericField>& p) {
        p.Property("DisplayFormat", &TNumericField::DisplayFormat, &TNumericField::SetDisplayFormat);
        p.Property("EditFormat", &TNumericField::EditFormat, &TNumericField::SetEditFormat);
    }

protected:
    TNumericField(TComponent* owner, TFieldType type) : TField(owner, type, TAlignment::taRightJustify) {}

private:
    std::string displayFormat_, editFormat_;
};

class TIntegerField : public TNumericField {
    VCL_DECLARE_CLASS(TIntegerField, TNumericField)
public:
    explicit TIntegerField(TComponent* owner) : TIntegerField(owner, TFieldType::ftInteger) {}
    // 0 and 0 mean the type's own range.
    Int64 MinValue() const { return minValue_; }
    void SetMinValue(Int64 value) { minValue_ = value; }
    Int64 MaxValue() const { return maxValue_; }
    void SetMaxValue(Int64 value) { maxValue_ = value; }

    static void Publish(Published<TIntegerField>& p) {
        p.Property("MaxValue", &TIntegerField::MaxValue, &TIntegerField::SetMaxValue, Int64{0});
        p.Property("MinValue", &TIntegerField::MinValue, &TIntegerField::SetMinValue, Int64{0});
    }

protected:
    TIntegerField(TComponent* owner, TFieldType type);
    std::string GetAsString() const override;
    void SetAsStringValue(const std::string& value) override;
    Integer GetAsInteger() const override;
    void SetAsIntegerValue(Integer value) override;
    Int64 GetAsLargeInt() const override;
    void SetAsLargeIntValue(Int64 value) override;
    double GetAsFloat() const override;
    void SetAsFloatValue(double value) override;
    Currency GetAsCurrency() const override;
    void SetAsCurrencyValue(Currency value) override;
    Variant Convert(const Variant& value) const override;
    std::string GetText(bool displayText) const override;

    Int64 typeMin_ = INT32_MIN, typeMax_ = INT32_MAX;

private:
    Int64 minValue_ = 0, maxValue_ = 0;
};

class TSmallintField : public TIntegerField {
    VCL_DECLARE_CLASS(TSmallintField, TIntegerField)
public:
    explicit TSmallintField(TComponent* owner);
};

class TWordField : public TIntegerField {
    VCL_DECLARE_CLASS(TWordField, TIntegerField)
public:
    explicit TWordField(TComponent* owner);
};

class TAutoIncField : public TIntegerField {
    VCL_DECLARE_CLASS(TAutoIncField, TIntegerField)
public:
    explicit TAutoIncField(TComponent* owner);
};

class TLargeintField : public TIntegerField {
    VCL_DECLARE_CLASS(TLargeintField, TIntegerField)
public:
    explicit TLargeintField(TComponent* owner);
};

class TFloatField : public TNumericField {
    VCL_DECLARE_CLASS(TFloatField, TNumericField)
public:
    explicit TFloatField(TComponent* owner) : TFloatField(owner, TFieldType::ftFloat) {}
    // Significant digits of the plain text (2..15).
    Integer Precision() const { return precision_; }
    void SetPrecision(Integer precision);
    // Shows values as money when no format is set.
    bool IsCurrency() const { return currency_; }
    void SetCurrency(bool currency) { currency_ = currency; }
    // 0 and 0 mean no limit.
    double MinValue() const { return minValue_; }
    void SetMinValue(double value) { minValue_ = value; }
    double MaxValue() const { return maxValue_; }
    void SetMaxValue(double value) { maxValue_ = value; }

    static void Publish(Published<TFloatField>& p) {
        p.Property("Currency", &TFloatField::IsCurrency, &TFloatField::SetCurrency, false);
        p.Property("MaxValue", &TFloatField::MaxValue, &TFloatField::SetMaxValue);
        p.Property("MinValue", &TFloatField::MinValue, &TFloatField::SetMinValue);
        p.Property("Precision", &TFloatField::Precision, &TFloatField::SetPrecision, 15);
    }

protected:
    TFloatField(TComponent* owner, TFieldType type) : TNumericField(owner, type) {}
    std::string GetAsString() const override;
    void SetAsStringValue(const std::string& value) override;
    Integer GetAsInteger() const override;
    void SetAsIntegerValue(Integer value) override;
    Int64 GetAsLargeInt() const override;
    void SetAsLargeIntValue(Int64 value) override;
    double GetAsFloat() const override;
    void SetAsFloatValue(double value) override;
    Currency GetAsCurrency() const override;
    void SetAsCurrencyValue(Currency value) override;
    Variant Convert(const Variant& value) const override;
    std::string GetText(bool displayText) const override;

private:
    Integer precision_ = 15;
    bool currency_ = false;
    double minValue_ = 0, maxValue_ = 0;
};

// Money in exact four-decimal fixed point.
class TCurrencyField : public TFloatField {
    VCL_DECLARE_CLASS(TCurrencyField, TFloatField)
public:
    explicit TCurrencyField(TComponent* owner);

protected:
    Currency GetAsCurrency() const override;
    Variant Convert(const Variant& value) const override;
};

class TBooleanField : public TField {
    VCL_DECLARE_CLASS(TBooleanField, TField)
public:
    explicit TBooleanField(TComponent* owner)
        : TField(owner, TFieldType::ftBoolean, TAlignment::taLeftJustify) {}
    // "True;False": the texts shown for each value and accepted (by prefix, without case) as input.
    const std::string& DisplayValues() const { return displayValues_; }
    void SetDisplayValues(const std::string& values);

    static void Publish(Published<TBooleanField>& p) {
        p.Property("DisplayValues", &TBooleanField::DisplayValues, &TBooleanField::SetDisplayValues);
    }

protected:
    std::string GetAsString() const override;
    void SetAsStringValue(const std::string& value) override;
    bool GetAsBoolean() const override;
    void SetAsBooleanValue(bool value) override;
    Integer GetAsInteger() const override;
    void SetAsIntegerValue(Integer value) override;
    Variant Convert(const Variant& value) const override;
    Integer DefaultWidth() const override { return 5; }

private:
    std::string displayValues_;
    std::string trueText_ = "True", falseText_ = "False";
};

class TDateTimeField : public TField {
    VCL_DECLARE_CLASS(TDateTimeField, TField)
public:
    explicit TDateTimeField(TComponent* owner) : TDateTimeField(owner, TFieldType::ftDateTime) {}
    // A FormatDateTime mask for browsing; empty means the locale's form for the type.
    const std::string& DisplayFormat() const { return displayFormat_; }
    void SetDisplayFormat(const std::string& format);

    static void Publish(Published<TDateTimeField>& p) {
        p.Property("DisplayFormat", &TDateTimeField::DisplayFormat, &TDateTimeField::SetDisplayFormat);
    }

protected:
    TDateTimeField(TComponent* owner, TFieldType type) : TField(owner, type, TAlignment::taLeftJustify) {}
    std::string GetAsString() const override;
    void SetAsStringValue(const std::string& value) override;
    double GetAsFloat() const override;
    void SetAsFloatValue(double value) override;
    TDateTime GetAsDateTime() const override;
    void SetAsDateTimeValue(TDateTime value) override;
    Variant Convert(const Variant& value) const override;
    std::string GetText(bool displayText) const override;
    Integer DefaultWidth() const override { return 18; }

private:
    std::string displayFormat_;
};

class TDateField : public TDateTimeField {
    VCL_CLASS(TDateField, TDateTimeField)
public:
    explicit TDateField(TComponent* owner) : TDateTimeField(owner, TFieldType::ftDate) {}

protected:
    Integer DefaultWidth() const override { return 10; }
};

class TTimeField : public TDateTimeField {
    VCL_CLASS(TTimeField, TDateTimeField)
public:
    explicit TTimeField(TComponent* owner) : TDateTimeField(owner, TFieldType::ftTime) {}
};

class TBlobField : public TField {
    VCL_DECLARE_CLASS(TBlobField, TField)
public:
    explicit TBlobField(TComponent* owner) : TBlobField(owner, TFieldType::ftBlob) {}
    bool IsBlob() const override { return true; }
    Integer BlobSize() const;
    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream) const;
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName) const;

protected:
    TBlobField(TComponent* owner, TFieldType type) : TField(owner, type, TAlignment::taLeftJustify) {}
    std::string GetAsString() const override;
    void SetAsStringValue(const std::string& value) override;
    Variant Convert(const Variant& value) const override;
    std::string GetText(bool displayText) const override;
    // "Blob" for the "(Blob)" / "(BLOB)" display text.
    virtual std::string_view TypeLabel() const { return "Blob"; }
};

class TMemoField : public TBlobField {
    VCL_CLASS(TMemoField, TBlobField)
public:
    explicit TMemoField(TComponent* owner) : TBlobField(owner, TFieldType::ftMemo) {}

protected:
    std::string_view TypeLabel() const override { return "Memo"; }
};

class TGraphicField : public TBlobField {
    VCL_CLASS(TGraphicField, TBlobField)
public:
    explicit TGraphicField(TComponent* owner) : TBlobField(owner, TFieldType::ftGraphic) {}

protected:
    std::string_view TypeLabel() const override { return "Graphic"; }
};

// The class of field created for a data type; nullptr for types without one.
TClass FieldClassFor(TFieldType type);

// The dataset's fields in order. Does not own them: a field belongs to its owner component.
class TFields : public TObject {
    VCL_DECLARE_CLASS(TFields, TObject)
public:
    explicit TFields(TDataSet* dataSet) : dataSet_(dataSet) {}

    int Count() const { return static_cast<int>(list_.size()); }
    // Raises EDatabaseError "Field index out of range".
    TField* Fields(int index) const;
    TField* operator[](int index) const { return Fields(index); }
    TField* FindField(std::string_view name) const;
    TField* FieldByName(std::string_view name) const;
    // The data field with that 1-based column number; nullptr when none.
    TField* FieldByNumber(int fieldNo) const;
    int IndexOf(const TField* field) const;
    void GetFieldNames(TStrings& names) const;
    TDataSet* DataSet() const { return dataSet_; }

    auto begin() const { return list_.begin(); }
    auto end() const { return list_.end(); }

private:
    friend class TDataSet;
    TDataSet* dataSet_;
    std::vector<TField*> list_;
};

// ---------------------------------------------------------------------------------------------
// Datasets

// A position in a dataset that survives scrolling; empty means none.
using TBookmark = std::optional<Int64>;

using TDataSetNotifyEvent = std::function<void(TDataSet* DataSet)>;
using TDataSetErrorEvent = std::function<void(TDataSet* DataSet, EDatabaseError& E, TDataAction& Action)>;

// One row: an identity (rowid, or a serial number in memory) and a value per field.
struct TDataRecord {
    Int64 id = 0;
    std::vector<Variant> values;
    // Shown where it was inserted rather than where the order puts it, until the window is read
    // again: such a row never anchors the reading of neighbouring rows.
    bool displaced = false;
    // Posted during a bulk append and not read back yet: the values are those written, without
    // what the store adds (defaults, computed columns). Read back before anything relies on them.
    bool unread = false;
};

class TDataSet : public TComponent {
    VCL_DECLARE_CLASS(TDataSet, TComponent)
public:
    explicit TDataSet(TComponent* owner);
    ~TDataSet() override;

    // Opening and state
    bool Active() const { return state_ != dsInactive; }
    // While a form is read, opening waits for Loaded.
    void SetActive(bool active);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }
    TDataSetState State() const { return state_; }
    // Raise "Cannot perform this operation on a closed/open dataset".
    void CheckActive() const;
    void CheckInactive() const;
    bool Modified() const { return modified_; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);
    virtual bool CanModify() const;

    // Navigation. Closed datasets raise "Cannot perform this operation on a closed dataset".
    bool Bof() const { return bof_; }
    bool Eof() const { return eof_; }
    bool IsEmpty() const;
    int RecordCount() const;
    // 1-based; -1 without a current record (empty, or a record being inserted).
    int RecNo() const;
    // Raises EDatabaseError for a number outside 1..RecordCount.
    void SetRecNo(int recNo);
    void First();
    void Last();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    // Returns the distance actually moved.
    int MoveBy(int distance);

    // Editing
    void Edit();
    void Insert() { BeginInsertAppend(false); }
    void Append() { BeginInsertAppend(true); }
    void Post();
    void Cancel();
    void Delete();
    void InsertRecord(std::initializer_list<Variant> values);
    void AppendRecord(std::initializer_list<Variant> values);
    // Posts or cancels pending edits (posting only when something changed).
    void CheckBrowseMode();
    // Asks the data links to write their controls' text into the fields.
    void UpdateRecord();
    void ClearFields();
    void Refresh();

    // Bookmarks
    TBookmark GetBookmark() const;
    // Raises EDatabaseError "Record not found" when the record is gone or outside the range.
    void GotoBookmark(const TBookmark& bookmark);
    void FreeBookmark(TBookmark& bookmark) { bookmark.reset(); }
    bool BookmarkValid(const TBookmark& bookmark) const;
    // -1, 0, 1 by position; an empty bookmark comes first.
    int CompareBookmarks(const TBookmark& a, const TBookmark& b) const;

    // Searching by values of fields "A;B" in the current order; a match becomes current.
    bool Locate(std::string_view keyFields, const std::vector<Variant>& keyValues, TLocateOptions options);
    // The result field's value of the first match, Null when none; the cursor does not move.
    Variant Lookup(std::string_view keyFields, const std::vector<Variant>& keyValues,
                   std::string_view resultField);

    // Fields
    TFields& Fields() { return *fields_; }
    const TFields& Fields() const { return *fields_; }
    int FieldCount() const { return fields_->Count(); }
    TField* FindField(std::string_view name) const { return fields_->FindField(name); }
    // Raises EDatabaseError "Field 'X' not found".
    TField* FieldByName(std::string_view name) const;
    void GetFieldNames(TStrings& names) const { fields_->GetFieldNames(names); }
    TFieldDefs* FieldDefs() const { return fieldDefs_.get(); }
    bool DefaultFields() const { return defaultFields_; }

    // Order, keys and ranges
    TIndexDefs* IndexDefs() const { return indexDefs_.get(); }
    const std::string& IndexFieldNames() const { return indexFieldNames_; }
    // "A;B": orders by those fields (clears IndexName); empty restores the natural order.
    void SetIndexFieldNames(const std::string& names);
    const std::string& IndexName() const { return indexName_; }
    // Orders by an index of IndexDefs (clears IndexFieldNames); raises "Index 'X' not found".
    void SetIndexName(const std::string& name);
    // The number of fields in the active index, 0 when none.
    int IndexFieldCount() const { return static_cast<int>(order_.size()); }
    TField* IndexFields(int index) const;
    // Key buffer: SetKey or a range end enters dsSetKey, where the index fields are assigned.
    void SetKey();
    void EditKey();
    bool GotoKey();
    void GotoNearest();
    bool FindKey(const std::vector<Variant>& keyValues);
    void FindNearest(const std::vector<Variant>& keyValues);
    void SetRangeStart();
    void SetRangeEnd();
    void EditRangeStart();
    void EditRangeEnd();
    void ApplyRange();
    void CancelRange();
    void SetRange(const std::vector<Variant>& startValues, const std::vector<Variant>& endValues);
    bool RangeActive() const { return rangeActive_; }

    // Datasets reading from a database buffer a window of records around the current one, at
    // most this many (at least 2); navigation past an edge reads on, and the window slides.
    int WindowLimit() const { return windowLimit_; }
    void SetWindowLimit(int limit);

    // Data links
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return disableCount_ > 0; }
    // A run of appended rows that nothing shows while they go in (an import). Each row still posts
    // alone, with every event, but a table reads a posted row back only when a value of it is
    // asked for or navigation moves from it, not after each post. Counted; disables the controls
    // while it lasts.
    void BeginBulkAppend();
    void EndBulkAppend();
    bool BulkAppending() const { return bulkCount_ > 0; }

    // Sends an event to the data sources (held back while controls are disabled).
    void DataEvent(TDataEvent event, TField* field = nullptr);

    // Events
    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
    TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
    TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
    TDataSetNotifyEvent BeforeRefresh, AfterRefresh;
    TDataSetNotifyEvent OnCalcFields, OnNewRecord;
    TDataSetErrorEvent OnEditError, OnPostError, OnDeleteError;

    void Loaded() override;
    void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override;

    static void Publish(Published<TDataSet>& p) {
        p.Property("Active", &TDataSet::Active, &TDataSet::SetActive, false);
        p.Event("AfterCancel", &TDataSet::AfterCancel);
        p.Event("AfterClose", &TDataSet::AfterClose);
        p.Event("AfterDelete", &TDataSet::AfterDelete);
        p.Event("AfterEdit", &TDataSet::AfterEdit);
        p.Event("AfterInsert", &TDataSet::AfterInsert);
        p.Event("AfterOpen", &TDataSet::AfterOpen);
        p.Event("AfterPost", &TDataSet::AfterPost);
        p.Event("AfterRefresh", &TDataSet::AfterRefresh);
        p.Event("AfterScroll", &TDataSet::AfterScroll);
        p.Event("BeforeCancel", &TDataSet::BeforeCancel);
        p.Event("BeforeClose", &TDataSet::BeforeClose);
        p.Event("BeforeDelete", &TDataSet::BeforeDelete);
        p.Event("BeforeEdit", &TDataSet::BeforeEdit);
        p.Event("BeforeInsert", &TDataSet::BeforeInsert);
        p.Event("BeforeOpen", &TDataSet::BeforeOpen);
        p.Event("BeforePost", &TDataSet::BeforePost);
        p.Event("BeforeRefresh", &TDataSet::BeforeRefresh);
        p.Event("BeforeScroll", &TDataSet::BeforeScroll);
        p.Event("OnCalcFields", &TDataSet::OnCalcFields);
        p.Event("OnDeleteError", &TDataSet::OnDeleteError);
        p.Event("OnEditError", &TDataSet::OnEditError);
        p.Event("OnNewRecord", &TDataSet::OnNewRecord);
        p.Event("OnPostError", &TDataSet::OnPostError);
    }

protected:
    struct OrderKey {
        int slot;
        bool descending;
        bool caseInsensitive;
    };

    // Implementations: fill FieldDefs and prepare the source (InternalOpen), then hand over the
    // rows (LoadRecords with AddLoadedRecord), or read them a window at a time (Windowed); write
    // posted and deleted rows through.
    virtual void InternalOpen() = 0;
    virtual void LoadRecords() = 0;
    virtual void InternalClose() {}
    // Writes a row; may update it (identity, values the store computed). Raises to refuse.
    virtual void InternalPost(TDataRecord& record, const std::vector<bool>& changed, bool inserting);
    virtual void InternalDelete(const TDataRecord& record);
    // Reloads the rows for Refresh; the base keeps them.
    virtual void InternalRefresh() {}
    // Whether the source allows writing at all (queries do not).
    virtual bool SourceWritable() const { return true; }
    // The collation the store uses for a field when no index says otherwise.
    virtual bool FieldCaseInsensitive(const TField*) const { return false; }

    // A windowed dataset keeps only a window of rows and reads the others from its source, in the
    // current order and range, when navigation needs them.
    virtual bool Windowed() const { return false; }
    // Whether the source can seek by the values of the order's keys (tables); a source that
    // cannot is read by position and refuses orders, ranges and key searches.
    virtual bool SeeksByKey() const { return false; }
    // Up to `limit` rows after (forward) or before `anchor` in the current order, nearest first;
    // without an anchor from the first (forward) or the last row.
    virtual void FetchRecords(const TDataRecord* anchor, bool forward, int limit,
                              std::vector<std::unique_ptr<TDataRecord>>& rows);
    // Says that FetchRecords with these arguments is likely next, so that a source that can
    // starts reading them now; by default nothing.
    virtual void ReadAheadRecords(const TDataRecord& /*anchor*/, bool /*forward*/, int /*limit*/) {}
    // The row with this identity as stored now; nullptr when it is gone.
    virtual std::unique_ptr<TDataRecord> FetchRecord(Int64 id);
    // The rows in range, or those before `before` in the current order.
    virtual Int64 CountRecords(const TDataRecord* before);
    // The row at a 0-based position in the current order; nullptr past the end.
    virtual std::unique_ptr<TDataRecord> FetchRecordAt(Int64 position);
    // The first row whose leading order keys equal `key` (or, when nearest, are not less).
    virtual std::unique_ptr<TDataRecord> SeekRecord(const std::vector<Variant>& key, bool nearest);
    // The first row in order matching Locate's condition; by default read through in windows.
    virtual std::unique_ptr<TDataRecord> LocateRecord(const std::vector<TField*>& fields,
                                                      const std::vector<Variant>& values,
                                                      TLocateOptions options);
    const std::vector<OrderKey>& OrderKeys() const { return order_; }
    bool RangeApplied() const { return rangeActive_; }
    const std::vector<Variant>& RangeLow() const { return rangeLow_; }
    const std::vector<Variant>& RangeHigh() const { return rangeHigh_; }
    // Creates a record with a slot for every field, all null; or, not `cleared`, with whatever a
    // reused record held, for a caller that assigns every slot.
    std::unique_ptr<TDataRecord> NewRecord(Int64 id, bool cleared = true) const;
    // The value as the field would store it; raises as the field's setters do.
    static Variant ConvertForField(const TField* field, const Variant& value);

    // Appends a loaded row: values in the order of Fields().
    TDataRecord& AddLoadedRecord(Int64 id);
    // For each FieldDefs entry, the record slot of the data field showing it, or -1.
    std::vector<int> DefSlots() const;
    // Called by Edit before the record is copied for editing; raises to refuse (row gone).
    virtual void InternalEdit(const TDataRecord&) {}
    // The key fields used when neither IndexName nor IndexFieldNames is set ("" for none).
    virtual std::string DefaultKeyFields() const { return {}; }
    Int64 NextSerial() { return ++serial_; }
    // Concrete classes close from their destructors, while their own parts are still whole.
    void CloseForDestruction();
    // Every loaded row in load order; implementations keep rows here across Close.
    std::vector<std::unique_ptr<TDataRecord>>& Store() { return store_; }
    // Drops every row of an open dataset and tells the links.
    void EmptyRecords();

private:
    friend class TField;
    friend class TDataSource;
    friend class TFields;

    enum KeyBuffer { kbLookup, kbRangeStart, kbRangeEnd, kbCount };
    struct KeyValues {
        std::vector<Variant> values;
        std::vector<bool> assigned;
    };

    void OpenCursor();
    void CloseCursor();
    void BindFields();
    void DestroyDefaultFields();
    void SetState(TDataSetState state);
    void BeginInsertAppend(bool append);
    void Resync();
    void BuildView(std::optional<Int64> keepId);
    void ApplyOrderChange();
    void CalcCurrent();
    int KeyCount(const KeyValues& key) const;
    std::vector<Variant> KeyVector(const KeyValues& key) const;
    int FindMatch(const std::vector<TField*>& fields, const std::vector<Variant>& values,
                  TLocateOptions options) const;
    void SendEvent(TDataEvent event, TField* field, int info);
    void ResolveOrder();
    bool InRange(const TDataRecord& record) const;
    int CompareRecords(const TDataRecord& a, const TDataRecord& b) const;
    int CompareKey(const TDataRecord& record, const std::vector<Variant>& key, int count) const;
    int SortedPosition(const TDataRecord* record) const;
    void CalculateFields(TDataRecord& record);
    void ScrollTo(int position);
    void EnterKeyMode(KeyBuffer buffer, bool clear);
    void CheckKeyIndex() const;
    bool SeekKey(const KeyValues& key, bool nearest);
    void CheckCanModify() const;
    // Runs a write, asking the error handler what to do when it fails. A template: a post runs it
    // for every row, and a std::function would allocate each time.
    template <class Operation>
    void CheckOperation(const Operation& operation, const TDataSetErrorEvent& handler) {
        for (;;) {
            try {
                operation();
                return;
            } catch (EDatabaseError& error) {
                TDataAction action = TDataAction::daFail;
                if (handler) handler(this, error, action);
                if (action == TDataAction::daFail) throw;
                if (action == TDataAction::daAbort) Abort();
            }
        }
    }
    bool MatchesRecord(const TDataRecord& record, const std::vector<TField*>& fields,
                       const std::vector<std::optional<Variant>>& keys, TLocateOptions options) const;
    std::vector<std::optional<Variant>> LocateKeys(const std::vector<TField*>& fields,
                                                   const std::vector<Variant>& values) const;

    // The window of a windowed dataset: rows in order with the current one, and whether it holds
    // the first and the last row.
    struct Window {
        std::vector<std::unique_ptr<TDataRecord>> rows;
        int cursor = -1;
        bool atStart = true, atEnd = true;
        std::optional<Int64> base;
    };
    bool WindowComplete() const { return windowStart_ && windowEnd_; }
    int FirstFetch() const;
    Window ReadFirstWindow();
    Window ReadLastWindow();
    Window ReadWindowAround(std::unique_ptr<TDataRecord> record);
    void InstallWindow(Window window);
    // Keeps rows leaving the window for NewRecord to fill again.
    void KeepSpare(std::vector<std::unique_ptr<TDataRecord>>::iterator begin,
                   std::vector<std::unique_ptr<TDataRecord>>::iterator end);
    void SyncView();
    // Reads on past the window's last (first) row; returns how far the indexes of the rows held
    // moved.
    int ExtendForward(const TDataRecord* fallbackAnchor = nullptr);
    int ExtendBackward();
    void ReadAheadFrom(const TDataRecord* edge, bool forward);
    const TDataRecord* EdgeRecord(bool last) const;
    void CheckSeeksByKey() const;
    void ReloadAround(const TDataRecord* current);
    void GoToFetched(std::unique_ptr<TDataRecord> record);
    void PlacePosted(std::unique_ptr<TDataRecord> record, bool inserting);
    void PlaceInView(std::unique_ptr<TDataRecord> written, bool inserting);
    void Notify(const TDataSetNotifyEvent& handler) {
        if (handler) handler(this);
    }

    // Field access for TField.
    const Variant& ActiveValue(const TField* field) const {
        // Browsing, the common case of every field read, at once.
        if (state_ == dsBrowse && cursor_ >= 0) {
            const TDataRecord* record = view_[static_cast<size_t>(cursor_)];
            if (!record->unread) return record->values[static_cast<size_t>(field->slot_)];
        }
        return StateValue(field);
    }
    // Reads the current row back when a bulk append left it unread.
    void ReadBackPosted() const;
    const Variant& StateValue(const TField* field) const;
    void WriteValue(TField* field, Variant value);
    void AddField(TField* field);
    void RemoveField(TField* field);
    void AddDataSource(TDataSource* source);
    void RemoveDataSource(TDataSource* source);

    TDataSetState state_ = dsInactive;
    bool bof_ = true, eof_ = true;
    bool modified_ = false;
    bool readOnly_ = false;
    bool streamedActive_ = false;
    bool defaultFields_ = false;
    bool rangeActive_ = false;

    std::unique_ptr<TFields> fields_;
    std::unique_ptr<TFieldDefs> fieldDefs_;
    std::unique_ptr<TIndexDefs> indexDefs_;
    std::vector<TDataSource*> dataSources_;

    // Every loaded row, and the current order with the range applied.
    std::vector<std::unique_ptr<TDataRecord>> store_;
    std::vector<TDataRecord*> view_;
    int cursor_ = -1;
    Int64 serial_ = 0;
    // The record being edited or inserted, and which of its values changed.
    TDataRecord buffer_;
    std::vector<bool> changed_;
    bool appending_ = false;
    // Where calculated values are written while OnCalcFields runs.
    TDataRecord* calcTarget_ = nullptr;

    std::string indexFieldNames_, indexName_;
    std::vector<OrderKey> order_;
    std::array<KeyValues, kbCount> keys_;
    KeyBuffer keyBuffer_ = kbLookup;
    KeyValues savedKey_;
    std::vector<Variant> rangeLow_, rangeHigh_;
    bool hasCalcFields_ = false;
    TField* removingField_ = nullptr;

    int windowLimit_ = 1024;
    bool windowStart_ = true, windowEnd_ = true;
    // The position of the window's first row, once known; asked of the source otherwise.
    mutable std::optional<Int64> windowBase_;
    mutable std::optional<Int64> countCache_;
    int fetchBatch_ = 0;
    mutable std::vector<std::unique_ptr<TDataRecord>> spareRecords_;

    int disableCount_ = 0;
    int bulkCount_ = 0;
    TDataSetState disableState_ = dsInactive;
    TDataEvent enableEvent_ = deDataSetChange;
};

// ---------------------------------------------------------------------------------------------
// Data sources and links

using TDataChangeEvent = std::function<void(TObject* Sender, TField* Field)>;

class TDataSource : public TComponent {
    VCL_DECLARE_CLASS(TDataSource, TComponent)
public:
    explicit TDataSource(TComponent* owner) : TComponent(owner) {}
    ~TDataSource() override;

    TDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TDataSet* dataSet);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    // Typing into a control puts a browsing dataset into edit mode.
    bool AutoEdit() const { return autoEdit_; }
    void SetAutoEdit(bool autoEdit) { autoEdit_ = autoEdit; }
    // dsInactive while disabled or unlinked.
    TDataSetState State() const { return state_; }
    // Puts the dataset into edit mode when AutoEdit and browsing.
    void Edit();
    // Whether this source is (indirectly) fed by the given dataset.
    bool IsLinkedTo(const TDataSet* dataSet) const;
    int DataLinkCount() const { return static_cast<int>(links_.size()); }

    TDataChangeEvent OnDataChange;
    TNotifyEvent OnStateChange;
    TNotifyEvent OnUpdateData;

    static void Publish(Published<TDataSource>& p) {
        p.Property("AutoEdit", &TDataSource::AutoEdit, &TDataSource::SetAutoEdit, true);
        p.Property("DataSet", &TDataSource::DataSet, &TDataSource::SetDataSet);
        p.Property("Enabled", &TDataSource::Enabled, &TDataSource::SetEnabled, true);
        p.Event("OnDataChange", &TDataSource::OnDataChange);
        p.Event("OnStateChange", &TDataSource::OnStateChange);
        p.Event("OnUpdateData", &TDataSource::OnUpdateData);
    }

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TDataSet;
    friend class TDataLink;
    void DataEvent(TDataEvent event, TField* field, int info);
    void NotifyDataLinks(TDataEvent event, TField* field, int info);
    void UpdateState();
    void SetState(TDataSetState state);
    void DetachDataSet();

    TDataSet* dataSet_ = nullptr;
    std::vector<TDataLink*> links_;
    TDataSetState state_ = dsInactive;
    bool enabled_ = true, autoEdit_ = true;
};

// The tie between a control (or any client) and a data source; descendants override the
// callbacks to react to the dataset.
class TDataLink : public TPersistent {
    VCL_DECLARE_CLASS(TDataLink, TPersistent)
public:
    TDataLink() = default;
    ~TDataLink() override;

    TDataSource* DataSource() const { return dataSource_; }
    // Raises EDatabaseError "Circular datalinks are not allowed" for a source fed by this link's own dataset.
    void SetDataSource(TDataSource* source);
    TDataSet* DataSet() const { return dataSource_ ? dataSource_->DataSet() : nullptr; }
    // True while the source is enabled and its dataset open.
    bool Active() const { return active_; }
    // True while the dataset is in an edit mode.
    bool Editing() const { return editing_; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);
    // Puts the dataset into edit mode through the source; returns Editing.
    bool Edit();
    // Writes pending control data into the record (UpdateData), guarded against re-entry.
    void UpdateRecord();
    bool Updating() const { return updating_; }
    // The linked record is the dataset's current record.
    int RecordCount() const;
    // How many records the control shows at once; the dataset reads at least that many ahead.
    int BufferCount() const { return bufferCount_; }
    void SetBufferCount(int count) { bufferCount_ = std::max(1, count); }
    // The dataset this link feeds, for the circular-link check; nullptr for plain controls.
    virtual TDataSet* LinkedDataSet() const { return nullptr; }

protected:
    friend class TDataSource;
    virtual void ActiveChanged() {}
    virtual void CheckBrowseMode() {}
    virtual void DataSetChanged() { RecordChanged(nullptr); }
    virtual void DataSetScrolled(int) { DataSetChanged(); }
    virtual void EditingChanged() {}
    virtual void FocusControl(TField*) {}
    virtual void LayoutChanged() { DataSetChanged(); }
    virtual void RecordChanged(TField*) {}
    virtual void UpdateData() {}

private:
    void DataEvent(TDataEvent event, TField* field, int info);
    void UpdateState();
    void SetActive(bool active);
    void SetEditing(bool editing);

    TDataSource* dataSource_ = nullptr;
    int bufferCount_ = 1;
    bool active_ = false, editing_ = false, readOnly_ = false, updating_ = false;
};

// Binds one field of the dataset to a control: the base of every data-aware edit.
class TFieldDataLink : public TDataLink {
    VCL_DECLARE_CLASS(TFieldDataLink, TDataLink)
public:
    TFieldDataLink() = default;

    // The control this link serves, for focusing it.
    TComponent* Control() const { return control_; }
    void SetControl(TComponent* control) { control_ = control; }
    const std::string& FieldName() const { return fieldName_; }
    // Binds the named field while active; raises "Field 'X' not found" when the dataset lacks it.
    void SetFieldName(const std::string& name);
    // nullptr until active with a known field name.
    TField* Field() const { return field_; }
    // Whether the control may write: link and field writable and the dataset modifiable.
    bool CanModify() const;
    // Editing while the dataset edits and the field can be modified.
    bool Editing() const { return editing_; }
    bool Edit();
    // Marks the control's text as changed, so that leaving it writes the field.
    void Modified() { modified_ = true; }
    bool IsModified() const { return modified_; }
    // Reloads the control from the field, dropping its pending text.
    void Reset() { RecordChanged(nullptr); }

    TNotifyEvent OnDataChange;
    TNotifyEvent OnEditingChange;
    TNotifyEvent OnUpdateData;
    TNotifyEvent OnActiveChange;
    // Asked to focus the control when the dataset focuses this field.
    std::function<void(TObject* Sender, bool& focused)> OnFocusControl;

protected:
    void ActiveChanged() override;
    void EditingChanged() override;
    void FocusControl(TField* field) override;
    void LayoutChanged() override;
    void RecordChanged(TField* field) override;
    void UpdateData() override;

private:
    void UpdateField();
    void SetField(TField* field);
    void SetFieldEditing(bool editing);

    TComponent* control_ = nullptr;
    std::string fieldName_;
    TField* field_ = nullptr;
    bool editing_ = false, modified_ = false;
};

// ---------------------------------------------------------------------------------------------
// The in-memory dataset

// A dataset whose rows live in memory, described by FieldDefs (or persistent fields). Rows stay
// across Close and Open until the layout of the fields changes or EmptyDataSet is called.
class TMemoryDataSet : public TDataSet {
    VCL_DECLARE_CLASS(TMemoryDataSet, TDataSet)
public:
    explicit TMemoryDataSet(TComponent* owner) : TDataSet(owner) {}
    ~TMemoryDataSet() override;

    // Opens with empty rows; raises "No fields defined; cannot create dataset" without definitions.
    void CreateDataSet();
    // Removes every row; the dataset stays open (or closed) as it was.
    void EmptyDataSet();

    static void Publish(Published<TMemoryDataSet>& p) {
        p.Property("FieldDefs", &TMemoryDataSet::FieldDefsProperty);
        p.Property("IndexDefs", &TMemoryDataSet::IndexDefsProperty);
        p.Property("IndexFieldNames", &TMemoryDataSet::IndexFieldNames, &TMemoryDataSet::SetIndexFieldNames);
        p.Property("IndexName", &TMemoryDataSet::IndexName, &TMemoryDataSet::SetIndexName);
        p.Property("ReadOnly", &TMemoryDataSet::ReadOnly, &TMemoryDataSet::SetReadOnly, false);
    }

protected:
    void InternalOpen() override;
    void LoadRecords() override;
    void InternalClose() override;

private:
    TFieldDefs* FieldDefsProperty() const { return FieldDefs(); }
    TIndexDefs* IndexDefsProperty() const { return IndexDefs(); }
    std::string Layout() const;

    std::vector<std::unique_ptr<TDataRecord>> saved_;
    std::string savedLayout_;
};

}  // namespace vcl
