#include "pellic/zyltdbascii.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "pellic/zyltdbasciitext_internal.h"
#include "vcl/classregistration.h"
#include "vcl/dialogs.h"
#include "vcl/sysutils.h"
#include "win32/files.h"
#include "win32/kernel.h"

namespace pellic {

namespace zyltdbascii {

const vcl::TClassRegistration classesRegistered{TZylDBAscii::StaticClass(), TZylADFields::StaticClass(),
                                                TZylADField::StaticClass()};

constexpr std::string_view kLineEnd = "\r\n";
// Lines are handed to the system in blocks of about this size.
constexpr size_t kWriteBlock = 1 << 16;

std::string NativeName(const std::string& name) {
    const std::string native = win32::NativePath(name);
    if (native.empty())
        throw vcl::EInOutError("Invalid file name " + name, static_cast<int>(win32::GetLastError()));
    return native;
}

// A file written in blocks, closed on every way out.
class TextWriter {
public:
    explicit TextWriter(const std::string& name) : name_(name) {
        fd_ = open(NativeName(name).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd_ < 0) Fail("Cannot create file ");
    }
    ~TextWriter() {
        if (fd_ >= 0) close(fd_);
    }
    TextWriter(const TextWriter&) = delete;
    TextWriter& operator=(const TextWriter&) = delete;

    std::string& Buffer() { return buffer_; }
    void FlushIfFull() {
        if (buffer_.size() >= kWriteBlock) Flush();
    }
    void Close() {
        Flush();
        const int fd = fd_;
        fd_ = -1;
        if (close(fd) != 0) Fail("Cannot write file ");
    }

private:
    void Flush() {
        size_t written = 0;
        while (written < buffer_.size()) {
            const ssize_t n = write(fd_, buffer_.data() + written, buffer_.size() - written);
            if (n < 0) {
                if (errno == EINTR) continue;
                Fail("Cannot write file ");
            }
            written += static_cast<size_t>(n);
        }
        buffer_.clear();
    }
    [[noreturn]] void Fail(const std::string& what) const {
        const int error = errno;
        throw vcl::EInOutError(what + name_ + ". " + std::system_category().message(error), error);
    }

    std::string name_;
    std::string buffer_;
    int fd_ = -1;
};

// A text file read a block at a time, record by record, closed on every way out. A record that
// runs past the end of a block is read again once the next block is in, so that the whole file is
// never held at once.
class RecordReader {
public:
    explicit RecordReader(const std::string& name) : name_(name) {
        fd_ = open(NativeName(name).c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) Fail("Cannot open file ");
    }
    ~RecordReader() { close(fd_); }
    RecordReader(const RecordReader&) = delete;
    RecordReader& operator=(const RecordReader&) = delete;

    // The next record; false at the end of the file. `raw` stays valid until the next call.
    bool Next(char delimiter, std::string_view& raw, std::vector<dbasciitext::Cell>& cells) {
        for (;;) {
            size_t end = pos_;
            const std::string_view text(buffer_);
            const bool read = dbasciitext::ReadRecord(text, end, delimiter, raw, cells);
            // A record reaching the end of the block may go on in the next one (a line end split
            // into CR and LF included).
            if (read && (end < text.size() || atEnd_)) {
                pos_ = end;
                return true;
            }
            if (atEnd_) return false;
            Refill();
        }
    }

private:
    static constexpr size_t kBlock = 1 << 20;

    // Keeps the unread part and adds at least as much again (a block at the least), so that a
    // record longer than a block, or a quote never closed, is scanned a bounded number of times
    // over: the work stays linear in the file's size.
    void Refill() {
        buffer_.erase(0, pos_);
        pos_ = 0;
        const size_t kept = buffer_.size();
        const size_t wanted = std::max(kBlock, kept);
        buffer_.resize(kept + wanted);
        size_t got = 0;
        while (got < wanted) {
            const ssize_t n = read(fd_, buffer_.data() + kept + got, wanted - got);
            if (n < 0) {
                if (errno == EINTR) continue;
                Fail("Cannot read file ");
            }
            if (n == 0) {
                atEnd_ = true;
                break;
            }
            got += static_cast<size_t>(n);
        }
        buffer_.resize(kept + got);
    }
    [[noreturn]] void Fail(const char* what) const {
        const int error = errno;
        throw vcl::EInOutError(what + name_ + ". " + std::system_category().message(error), error);
    }

    std::string name_;
    int fd_ = -1;
    std::string buffer_;
    size_t pos_ = 0;
    bool atEnd_ = false;
};

// Characters of UTF-8 text: every byte but the continuation bytes.
size_t CharacterCount(std::string_view text) {
    return static_cast<size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// Runs a handler that may free the component: the handler is copied first, since it goes with the
// component; false when the component is gone afterwards.
// The text is made only for a handler that is there to be told it.
bool FireEvent(const bool& alive, TZylDBAscii* sender, const TZylImportExportEvent& event,
               std::string_view text) {
    if (!event) return true;
    const TZylImportExportEvent handler = event;
    handler(sender, std::string(text));
    return alive;
}

}  // namespace zyltdbascii

// ---------------------------------------------------------------------------------------------

VCL_DEFINE_CLASS(TZylADField, vcl::TCollectionItem)

void TZylADField::SetDataField(const std::string& value) {
    if (dataField_ == value) return;
    dataField_ = value;
    Changed(false);
}

void TZylADField::SetHeader(const std::string& value) {
    if (header_ == value) return;
    header_ = value;
    Changed(false);
}

TZylDBAscii* TZylADField::DBAscii() const {
    const auto* fields = dynamic_cast<const TZylADFields*>(Collection());
    return fields ? fields->DBAscii() : nullptr;
}

std::string TZylADField::DisplayName() const {
    return dataField_.empty() ? vcl::TCollectionItem::DisplayName() : dataField_;
}

void TZylADField::Assign(const vcl::TPersistent* source) {
    if (const auto* other = dynamic_cast<const TZylADField*>(source)) {
        dataField_ = other->dataField_;
        header_ = other->header_;
        Changed(false);
        return;
    }
    vcl::TCollectionItem::Assign(source);
}

VCL_DEFINE_CLASS(TZylADFields, vcl::TOwnedCollection)

TZylADFields::TZylADFields(TZylDBAscii* owner)
    : vcl::TOwnedCollection(owner, TZylADField::StaticClass()), owner_(owner) {}

// ---------------------------------------------------------------------------------------------

VCL_DEFINE_CLASS(TZylDBAscii, vcl::TComponent)

TZylDBAscii::TZylDBAscii(vcl::TComponent* owner)
    : vcl::TComponent(owner),
      fields_(std::make_unique<TZylADFields>(this)),
      dataLink_(std::make_unique<vcl::TFieldDataLink>()) {
    fields_->SetPropName("Fields");
}

TZylDBAscii::~TZylDBAscii() {
    *alive_ = false;
    dataLink_->SetDataSource(nullptr);
}

void TZylDBAscii::SetFields(const TZylADFields* value) {
    if (value && value != fields_.get()) fields_->Assign(value);
}

void TZylDBAscii::SetDataSource(vcl::TDataSource* value) {
    vcl::TDataSource* old = dataLink_->DataSource();
    if (old == value) return;
    dataLink_->SetDataSource(value);
    if (old) old->RemoveFreeNotification(this);
    if (value) value->FreeNotification(this);
}

void TZylDBAscii::Notification(vcl::TComponent* component, vcl::TOperation operation) {
    vcl::TComponent::Notification(component, operation);
    if (operation == vcl::TOperation::opRemove && component == dataLink_->DataSource())
        SetDataSource(nullptr);
}

std::string TZylDBAscii::SetFixed(const std::string& Value, vcl::Integer Width) {
    const size_t length = zyltdbascii::CharacterCount(Value);
    if (Width <= 0 || length >= static_cast<size_t>(Width)) return Value;
    std::string padded = Value;
    padded.append(static_cast<size_t>(Width) - length, ' ');
    return padded;
}

std::vector<vcl::TField*> TZylDBAscii::ColumnFields(vcl::TDataSet& dataSet) const {
    std::vector<vcl::TField*> fields;
    fields.reserve(static_cast<size_t>(fields_->Count()));
    for (int i = 0; i < fields_->Count(); ++i)
        fields.push_back(dataSet.FieldByName(fields_->Items(i)->DataField()));
    return fields;
}

std::string TZylDBAscii::HeaderLine() const {
    std::string line;
    for (int i = 0; i < fields_->Count(); ++i) {
        if (i > 0) line += delimiter_;
        dbasciitext::AppendValue(line, "[" + fields_->Items(i)->Header() + "]", delimiter_);
    }
    return line;
}

void TZylDBAscii::AppendRecordLine(std::string& line, const std::vector<vcl::TField*>& fields) const {
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) line += delimiter_;
        const std::string value = fields[i]->AsString();
        if (!fixedWidth_) {
            dbasciitext::AppendValue(line, value, delimiter_);
            continue;
        }
        std::string quoted;
        dbasciitext::AppendValue(quoted, value, delimiter_);
        line += SetFixed(quoted, fields[i]->Size());
    }
}

void TZylDBAscii::DoExport() {
    // A handler may free the component: the destructor clears the flag this run holds on to.
    const std::shared_ptr<bool> watch = alive_;
    const bool& alive = *watch;
    if (vcl::TDataSet* dataSet = DataSet()) {
        const bool wasActive = dataSet->Active();
        dataSet->Open();
        dataSet->DisableControls();
        const vcl::ScopeExit restore([dataSet, wasActive] {
            dataSet->EnableControls();
            if (!wasActive) dataSet->Close();
        });
        // Every column is known before the file is touched, so a bad column loses no old file.
        const std::vector<vcl::TField*> fields = ColumnFields(*dataSet);
        dataSet->First();
        zyltdbascii::TextWriter file(filename_);
        std::string& out = file.Buffer();
        if (printHeader_) {
            out += HeaderLine();
            out += zyltdbascii::kLineEnd;
        }
        std::string line;
        while (!dataSet->Eof()) {
            line.clear();
            AppendRecordLine(line, fields);
            // An empty line would be skipped on import: a lone empty value is written quoted.
            if (line.empty() && !fields.empty()) line = "\"\"";
            if (!zyltdbascii::FireEvent(alive, this, ExportBeforeWrite, line)) return;
            out += line;
            out += zyltdbascii::kLineEnd;
            file.FlushIfFull();
            dataSet->Next();
        }
        file.Close();
    }
    if (OnExportDone) {
        const vcl::TNotifyEvent handler = OnExportDone;
        handler(this);
    }
}

bool TZylDBAscii::ImportRecord(const bool& alive, vcl::TDataSet& dataSet,
                               const std::vector<vcl::TField*>& fields,
                               const std::vector<std::string>& values, std::string_view recordText) {
    try {
        for (size_t i = 0; i < fields.size(); ++i)
            fields[i]->SetAsString(values[i]);
        if (!zyltdbascii::FireEvent(alive, this, ImportBeforePost, recordText)) return false;
        dataSet.Post();
    } catch (const vcl::Exception&) {
        // A value the field refuses counts as a failed post: reported, the record dropped.
        if (!alive || !zyltdbascii::FireEvent(alive, this, OnImportException, recordText)) return false;
        dataSet.Cancel();
        return false;
    }
    return true;
}

void TZylDBAscii::DoImport() {
    vcl::TDataSet* dataSet = DataSet();
    if (!dataSet) return;
    // A handler may free the component: the destructor clears the flag this run holds on to.
    const std::shared_ptr<bool> watch = alive_;
    const bool& alive = *watch;
    const bool wasActive = dataSet->Active();
    dataSet->Open();
    // Nothing shows the rows while they go in, so a table reads none back after each posted one.
    dataSet->BeginBulkAppend();
    const vcl::ScopeExit restore([dataSet, wasActive] {
        if (dataSet->State() == vcl::dsInsert) dataSet->Cancel();
        dataSet->EndBulkAppend();
        if (!wasActive) dataSet->Close();
    });
    const std::vector<vcl::TField*> fields = ColumnFields(*dataSet);
    zyltdbascii::RecordReader file(filename_);
    std::string_view raw;
    std::vector<dbasciitext::Cell> cells;
    std::vector<std::string> values;
    if (printHeader_) file.Next(delimiter_, raw, cells);
    while (file.Next(delimiter_, raw, cells)) {
        if (raw.empty()) continue;
        if (!zyltdbascii::FireEvent(alive, this, ImportBeforeInsert, raw)) return;
        dataSet->Insert();
        dbasciitext::SplitColumns(raw, cells, fields.size(), values);
        const bool posted = ImportRecord(alive, *dataSet, fields, values, raw);
        if (!alive) return;
        if (posted && !zyltdbascii::FireEvent(alive, this, OnImportSuccess, raw)) return;
    }
}

bool TZylDBAscii::InsertAllFields() {
    vcl::TDataSet* dataSet = DataSet();
    // The columns stay as they are unless they can be replaced.
    if (!dataSet || !dataSet->Active()) return false;
    fields_->BeginUpdate();
    const vcl::ScopeExit end([this] { fields_->EndUpdate(); });
    for (int i = fields_->Count() - 1; i >= 0; --i)
        fields_->Delete(i);
    for (vcl::TField* field : dataSet->Fields()) {
        TZylADField* column = fields_->Add();
        column->SetDataField(field->FieldName());
        column->SetHeader(field->FieldName());
    }
    return true;
}

// ---------------------------------------------------------------------------------------------

VCL_DEFINE_CLASS(TZylDBAsciiConfigEditor, vcl::TComponentEditor)

std::string TZylDBAsciiConfigEditor::GetVerb(int index) const {
    if (index != 0) VerbIndexError(index);
    return "&Insert All Fields";
}

void TZylDBAsciiConfigEditor::ExecuteVerb(int index) {
    if (index != 0) VerbIndexError(index);
    auto* ascii = dynamic_cast<TZylDBAscii*>(Component());
    if (!ascii) return;
    if (!ascii->InsertAllFields()) {
        vcl::ShowMessage(ascii->Name() + " has not a ACTIVE dataset assigned against it.");
        return;
    }
    if (Designer()) Designer()->Modified();
}

VCL_DEFINE_CLASS(TZylItemDataFieldProperty, vcl::TStringProperty)

vcl::TPropertyAttributes TZylItemDataFieldProperty::GetAttributes() const {
    return {vcl::paValueList, vcl::paSortList, vcl::paMultiSelect};
}

void TZylItemDataFieldProperty::GetValues(const vcl::TGetStrProc& proc) const {
    const auto* column = dynamic_cast<const TZylADField*>(GetComponent(0));
    TZylDBAscii* ascii = column ? column->DBAscii() : nullptr;
    vcl::TDataSet* dataSet = ascii && ascii->DataSource() ? ascii->DataSource()->DataSet() : nullptr;
    if (!dataSet) return;
    std::vector<std::string> names;
    for (vcl::TField* field : dataSet->Fields())
        names.push_back(field->FieldName());
    // A closed dataset without persistent fields still knows its columns by their definitions.
    if (names.empty())
        for (int i = 0; i < dataSet->FieldDefs()->Count(); ++i)
            names.push_back(dataSet->FieldDefs()->Items(i)->Name());
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return vcl::AnsiCompareText(a, b) < 0; });
    for (const std::string& name : names)
        proc(name);
}

}  // namespace pellic
