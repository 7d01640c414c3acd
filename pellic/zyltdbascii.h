// Dataset text export and import: the records of a dataset written to a delimited or fixed-width
// text file, one line per record, and such a file read back into the dataset. The columns are a
// list of dataset fields, each with a header text.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "vcl/db.h"
#include "vcl/designeditors.h"

namespace pellic {

class TZylDBAscii;

// RecordText is the line of the record.
using TZylImportExportEvent = std::function<void(vcl::TObject* Sender, std::string RecordText)>;

// One column of the file.
class TZylADField : public vcl::TCollectionItem {
    VCL_DECLARE_CLASS(TZylADField, vcl::TCollectionItem)
public:
    explicit TZylADField(vcl::TCollection* collection) : vcl::TCollectionItem(collection) {}

    const std::string& DataField() const { return dataField_; }
    void SetDataField(const std::string& value);
    const std::string& Header() const { return header_; }
    void SetHeader(const std::string& value);

    // The component whose Fields hold this column; nullptr when the item stands alone.
    TZylDBAscii* DBAscii() const;
    std::string DisplayName() const override;
    void Assign(const vcl::TPersistent* source) override;

    static void Publish(vcl::Published<TZylADField>& p) {
        p.Property("DataField", &TZylADField::DataField, &TZylADField::SetDataField);
        p.Property("Header", &TZylADField::Header, &TZylADField::SetHeader);
    }

private:
    std::string dataField_, header_;
};

class TZylADFields : public vcl::TOwnedCollection {
    VCL_DECLARE_CLASS(TZylADFields, vcl::TOwnedCollection)
public:
    explicit TZylADFields(TZylDBAscii* owner);

    TZylADField* Add() { return static_cast<TZylADField*>(vcl::TCollection::Add()); }
    // EListError for an index out of range.
    TZylADField* Items(int index) const { return static_cast<TZylADField*>(vcl::TCollection::Items(index)); }
    void SetItems(int index, const TZylADField* value) { Items(index)->Assign(value); }
    TZylDBAscii* DBAscii() const { return owner_; }

private:
    TZylDBAscii* owner_;
};

class TZylDBAscii : public vcl::TComponent {
    VCL_DECLARE_CLASS(TZylDBAscii, vcl::TComponent)
public:
    explicit TZylDBAscii(vcl::TComponent* owner);
    ~TZylDBAscii() override;

    TZylADFields* Fields() const { return fields_.get(); }
    void SetFields(const TZylADFields* value);
    char Delimiter() const { return delimiter_; }
    void SetDelimiter(char value) { delimiter_ = value; }
    const std::string& Filename() const { return filename_; }
    void SetFilename(const std::string& value) { filename_ = value; }
    bool FixedWidth() const { return fixedWidth_; }
    void SetFixedWidth(bool value) { fixedWidth_ = value; }
    bool PrintHeader() const { return printHeader_; }
    void SetPrintHeader(bool value) { printHeader_ = value; }
    vcl::TDataSource* DataSource() const { return dataLink_->DataSource(); }
    void SetDataSource(vcl::TDataSource* value);

    // Writes Filename from the dataset. A value holding the delimiter, a quote or a line break is
    // written in quotes, inner quotes doubled, so that it reads back as itself.
    void DoExport();
    // Inserts the records of Filename into the dataset. A record the dataset refuses (a value it
    // cannot take, a failed post) goes to OnImportException and is cancelled; the import goes on.
    void DoImport();
    // Replaces the columns by all fields of the dataset; False without an active dataset.
    bool InsertAllFields();
    // Value padded with spaces to Width characters; longer values and a Width of 0 stay as they are.
    static std::string SetFixed(const std::string& Value, vcl::Integer Width);

    TZylImportExportEvent ImportBeforeInsert;
    TZylImportExportEvent ImportBeforePost;
    TZylImportExportEvent OnImportException;
    TZylImportExportEvent OnImportSuccess;
    TZylImportExportEvent ExportBeforeWrite;
    vcl::TNotifyEvent OnExportDone;

    static void Publish(vcl::Published<TZylDBAscii>& p) {
        p.Property("Fields", &TZylDBAscii::Fields, &TZylDBAscii::SetFields);
        p.Property("Delimiter", &TZylDBAscii::Delimiter, &TZylDBAscii::SetDelimiter, '\0');
        p.Property("Filename", &TZylDBAscii::Filename, &TZylDBAscii::SetFilename);
        p.Property("FixedWidth", &TZylDBAscii::FixedWidth, &TZylDBAscii::SetFixedWidth, false);
        p.Property("PrintHeader", &TZylDBAscii::PrintHeader, &TZylDBAscii::SetPrintHeader, false);
        p.Property("DataSource", &TZylDBAscii::DataSource, &TZylDBAscii::SetDataSource);
        p.Event("ImportBeforeInsert", &TZylDBAscii::ImportBeforeInsert);
        p.Event("ImportBeforePost", &TZylDBAscii::ImportBeforePost);
        p.Event("OnImportException", &TZylDBAscii::OnImportException);
        p.Event("OnImportSuccess", &TZylDBAscii::OnImportSuccess);
        p.Event("ExportBeforeWrite", &TZylDBAscii::ExportBeforeWrite);
        p.Event("OnExportDone", &TZylDBAscii::OnExportDone);
    }

protected:
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;

private:
    vcl::TDataSet* DataSet() const { return dataLink_->DataSet(); }
    // The dataset field of every column, in column order; raises for a name the dataset lacks.
    std::vector<vcl::TField*> ColumnFields(vcl::TDataSet& dataSet) const;
    std::string HeaderLine() const;
    void AppendRecordLine(std::string& line, const std::vector<vcl::TField*>& fields) const;
    // Inserts one record; false when the dataset refused it (or a handler freed the component).
    bool ImportRecord(const bool& alive, vcl::TDataSet& dataSet, const std::vector<vcl::TField*>& fields,
                      const std::vector<std::string>& values, std::string_view recordText);

    std::unique_ptr<TZylADFields> fields_;
    std::unique_ptr<vcl::TFieldDataLink> dataLink_;
    char delimiter_ = '\0';
    std::string filename_;
    bool fixedWidth_ = false;
    bool printHeader_ = false;
    // The flag of the running export or import, cleared by the destructor.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// Design time: the verb "&Insert All Fields", also run by a double click.
class TZylDBAsciiConfigEditor : public vcl::TComponentEditor {
    VCL_DECLARE_CLASS(TZylDBAsciiConfigEditor, vcl::TComponentEditor)
public:
    int GetVerbCount() const override { return 1; }
    std::string GetVerb(int index) const override;
    void ExecuteVerb(int index) override;
    void Edit() override { ExecuteVerb(0); }
};

// Design time: the DataField of a column, chosen from the field names of the component's dataset.
class TZylItemDataFieldProperty : public vcl::TStringProperty {
    VCL_DECLARE_CLASS(TZylItemDataFieldProperty, vcl::TStringProperty)
public:
    vcl::TPropertyAttributes GetAttributes() const override;
    void GetValues(const vcl::TGetStrProc& proc) const override;
};

}  // namespace pellic
