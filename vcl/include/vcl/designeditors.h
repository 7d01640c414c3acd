// Property editors (what an inspector shows and edits for each published property) and component
// editors (the verbs and double-click action of a component in the designer), with the stock
// editors for every kind of property.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "vcl/designintf.h"

namespace vcl {

enum class TPropertyAttribute : uint8_t {
    paValueList,              // GetValues lists the values to choose from
    paSubProperties,          // GetProperties gives editors for the parts of the value
    paDialog,                 // Edit opens a dialog
    paMultiSelect,            // shown when several components are selected
    paAutoUpdate,             // SetValue on every keystroke
    paSortList,               // the value list is shown sorted
    paReadOnly,               // the value text cannot be typed
    paRevertable,             // can be set back to its inherited value
    paFullWidthName,          // the name takes the whole row
    paVolatileSubProperties,  // sub-properties change with the value
    paNotNestable,            // not shown among another editor's sub-properties
};
VCL_ENUM_NAMES(TPropertyAttribute, "paValueList", "paSubProperties", "paDialog", "paMultiSelect",
               "paAutoUpdate", "paSortList", "paReadOnly", "paRevertable", "paFullWidthName",
               "paVolatileSubProperties", "paNotNestable")
using enum TPropertyAttribute;
using TPropertyAttributes = Set<TPropertyAttribute>;

class TPropertyEditor;
using TPropertyEditorPtr = std::unique_ptr<TPropertyEditor>;
using TGetPropProc = std::function<void(TPropertyEditorPtr editor)>;

// Edits one property of one or more selected objects. The value shown is the first object's; a
// change goes to all of them and is reported to the designer.
class TPropertyEditor : public TObject {
    VCL_DECLARE_CLASS(TPropertyEditor, TObject)
public:
    // Binds the editor to the property of the instances (all of which publish it).
    void Initialize(IDesigner* designer, std::vector<TPersistent*> instances, const TPropInfo* info);

    virtual TPropertyAttributes GetAttributes() const;
    virtual std::string GetName() const;
    virtual std::string GetValue() const;
    // Raises EPropertyError for a read-only value, the editor's own error for bad text.
    virtual void SetValue(const std::string& value);
    virtual void GetValues(const TGetStrProc& proc) const;
    virtual void GetProperties(const TGetPropProc& proc) const;
    virtual void Edit();
    // Whether every instance holds the same value (otherwise the inspector shows none).
    virtual bool AllEqual() const;

    IDesigner* Designer() const { return designer_; }
    // Raises EListError for an index out of range.
    TPersistent* GetComponent(int index) const;
    int PropCount() const { return static_cast<int>(instances_.size()); }
    const TPropInfo* GetPropInfo() const { return info_; }
    // Tells the designer that the designed root changed.
    void Modified();

    // Every value the editor offers through GetValues, in order.
    std::vector<std::string> Values() const;

protected:
    Int64 GetOrdValue(int index = 0) const;
    void SetOrdValue(Int64 value);
    double GetFloatValue(int index = 0) const;
    void SetFloatValue(double value);
    std::string GetStrValue(int index = 0) const;
    void SetStrValue(const std::string& value);
    SetBits GetSetValue(int index = 0) const;
    void SetSetValue(const SetBits& value);
    TObject* GetObjectValue(int index = 0) const;
    void SetObjectValue(TObject* value);
    void SetPropValue(const TPropValue& value);
    [[noreturn]] void InvalidValue() const;

private:
    IDesigner* designer_ = nullptr;
    std::vector<TPersistent*> instances_;
    const TPropInfo* info_ = nullptr;
};

// Creates the editor of a class for the property of the instances.
TPropertyEditorPtr CreatePropertyEditor(TClass editorClass, IDesigner* designer,
                                        std::vector<TPersistent*> instances, const TPropInfo* info);
// The editors of the properties all instances publish, in the first instance's order; with more
// than one instance only editors with paMultiSelect. Events are included when withEvents.
void GetComponentProperties(const std::vector<TPersistent*>& instances, IDesigner* designer,
                            const TGetPropProc& proc, bool withEvents = true);

// ---------------------------------------------------------------------------------------------
// Stock property editors

class TOrdinalProperty : public TPropertyEditor {
    VCL_DECLARE_CLASS(TOrdinalProperty, TPropertyEditor)
public:
    bool AllEqual() const override;
};

// Whole numbers within the property's range; named values (cursors, charsets) by name as well.
class TIntegerProperty : public TOrdinalProperty {
    VCL_DECLARE_CLASS(TIntegerProperty, TOrdinalProperty)
public:
    TPropertyAttributes GetAttributes() const override;
    std::string GetValue() const override;
    // Raises EConvertError "'x' is not a valid integer value" or EPropertyError "Value must be
    // between a and b".
    void SetValue(const std::string& value) override;
    void GetValues(const TGetStrProc& proc) const override;

protected:
    void SetRangedValue(Int64 value);
};

// A single character, shown as itself or as #n when it does not print.
class TCharProperty : public TOrdinalProperty {
    VCL_DECLARE_CLASS(TCharProperty, TOrdinalProperty)
public:
    std::string GetValue() const override;
    void SetValue(const std::string& value) override;
};

class TEnumProperty : public TOrdinalProperty {
    VCL_DECLARE_CLASS(TEnumProperty, TOrdinalProperty)
public:
    TPropertyAttributes GetAttributes() const override;
    std::string GetValue() const override;
    void SetValue(const std::string& value) override;
    void GetValues(const TGetStrProc& proc) const override;
};

class TBoolProperty : public TEnumProperty {
    VCL_DECLARE_CLASS(TBoolProperty, TEnumProperty)
public:
    TPropertyAttributes GetAttributes() const override;
};

// Shown as "[fsBold,fsItalic]"; each element is a True/False sub-property.
class TSetProperty : public TOrdinalProperty {
    VCL_DECLARE_CLASS(TSetProperty, TOrdinalProperty)
public:
    TPropertyAttributes GetAttributes() const override;
    std::string GetValue() const override;
    // Accepts the shown form back ("[a, b]"); raises EPropertyError for an unknown element.
    void SetValue(const std::string& value) override;
    void GetProperties(const TGetPropProc& proc) const override;
    bool AllEqual() const override;
};

class TSetElementProperty : public TPropertyEditor {
    VCL_DECLARE_CLASS(TSetElementProperty, TPropertyEditor)
public:
    void SetElement(size_t element) { element_ = element; }
    TPropertyAttributes GetAttributes() const override;
    std::string GetName() const override;
    std::string GetValue() const override;
    void SetValue(const std::string& value) override;
    void GetValues(const TGetStrProc& proc) const override;
    bool AllEqual() const override;

private:
    size_t element_ = 0;
};

class TFloatProperty : public TPropertyEditor {
    VCL_DECLARE_CLASS(TFloatProperty, TPropertyEditor)
public:
    std::string GetValue() const override;
    // Raises EConvertError "'x' is not a valid floating point value".
    void SetValue(const std::string& value) override;
    bool AllEqual() const override;
};

class TStringProperty : public TPropertyEditor {
    VCL_DECLARE_CLASS(TStringProperty, TPropertyEditor)
public:
    std::string GetValue() const override;
    void SetValue(const std::string& value) override;
    bool AllEqual() const override;
};

// Captions follow typing, so the designed control shows each keystroke.
class TCaptionProperty : public TStringProperty {
    VCL_DECLARE_CLASS(TCaptionProperty, TStringProperty)
public:
    TPropertyAttributes GetAttributes() const override;
};

// A component's Name: only one component at a time, validated by the component.
class TComponentNameProperty : public TStringProperty {
    VCL_DECLARE_CLASS(TComponentNameProperty, TStringProperty)
public:
    TPropertyAttributes GetAttributes() const override;
};

// Colour names and $00BBGGRR or decimal values; Edit opens the colour dialog.
class TColorProperty : public TIntegerProperty {
    VCL_DECLARE_CLASS(TColorProperty, TIntegerProperty)
public:
    TPropertyAttributes GetAttributes() const override;
    std::string GetValue() const override;
    // Raises EConvertError "Invalid property value" for text that is no colour.
    void SetValue(const std::string& value) override;
    void GetValues(const TGetStrProc& proc) const override;
    void Edit() override;
};

// An owned sub-object: shown as "(TFont)", edited through its own properties.
class TClassProperty : public TPropertyEditor {
    VCL_DECLARE_CLASS(TClassProperty, TPropertyEditor)
public:
    TPropertyAttributes GetAttributes() const override;
    std::string GetValue() const override;
    void GetProperties(const TGetPropProc& proc) const override;
};

// A font: its parts as sub-properties, and the font dialog.
class TFontProperty : public TClassProperty {
    VCL_DECLARE_CLASS(TFontProperty, TClassProperty)
public:
    TPropertyAttributes GetAttributes() const override;
    void Edit() override;
};

// A link to another component of the root, chosen by name; "" clears it.
class TComponentProperty : public TPropertyEditor {
    VCL_DECLARE_CLASS(TComponentProperty, TPropertyEditor)
public:
    TPropertyAttributes GetAttributes() const override;
    std::string GetValue() const override;
    void SetValue(const std::string& value) override;
    void GetValues(const TGetStrProc& proc) const override;
    bool AllEqual() const override;
};

// An event, shown by the name of its method. A new name creates the method; "" unbinds.
class TMethodProperty : public TPropertyEditor {
    VCL_DECLARE_CLASS(TMethodProperty, TPropertyEditor)
public:
    TPropertyAttributes GetAttributes() const override;
    std::string GetValue() const override;
    void SetValue(const std::string& value) override;
    void GetValues(const TGetStrProc& proc) const override;
    bool AllEqual() const override;
    // Shows the bound method, creating one with the designer's proposed name when none is bound.
    void Edit() override;
};

// ---------------------------------------------------------------------------------------------
// Component editors

class TComponentEditor : public TObject {
    VCL_DECLARE_CLASS(TComponentEditor, TObject)
public:
    void Initialize(TComponent* component, IDesigner* designer);

    virtual int GetVerbCount() const { return 0; }
    // Raises EListError for an index out of range.
    virtual std::string GetVerb(int index) const;
    virtual void ExecuteVerb(int index);
    // The double-click action: the first verb when there is one.
    virtual void Edit();
    // Called after the component was copied to the clipboard, for extra clipboard formats.
    virtual void Copy() {}

    TComponent* Component() const { return component_; }
    IDesigner* Designer() const { return designer_; }

protected:
    [[noreturn]] void VerbIndexError(int index) const;

private:
    TComponent* component_ = nullptr;
    IDesigner* designer_ = nullptr;
};

// Double-click opens the most relevant event's handler (OnCreate, OnChange, OnClick, else the first
// event), creating and binding it when none is bound.
class TDefaultEditor : public TComponentEditor {
    VCL_DECLARE_CLASS(TDefaultEditor, TComponentEditor)
public:
    void Edit() override;

protected:
    // Called for each event editor in declaration order; the best one gets Edit().
    virtual void EditProperty(TPropertyEditor& editor, bool& continueIteration);

private:
    TPropertyEditor* best_ = nullptr;  // one of the editors Edit is iterating over
    int bestRank_ = 0;
};

using TComponentEditorPtr = std::unique_ptr<TComponentEditor>;
// The registered editor of the component's class, ready to use.
TComponentEditorPtr GetComponentEditor(TComponent* component, IDesigner* designer);

}  // namespace vcl
