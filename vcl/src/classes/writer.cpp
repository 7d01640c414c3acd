// Writing component trees as form files, and the whole-form helpers.
#include <algorithm>
#include <charconv>
#include <cmath>

#include "vcl/streaming.h"

namespace vcl {

namespace {

// Long strings are split into pieces of this many bytes joined with '+', as the format does.
constexpr size_t kStringPiece = 64;
constexpr size_t kBinaryBytesPerLine = 32;

}  // namespace

std::string QuoteFormString(std::string_view value) {
    std::string out;
    out.reserve(value.size() + 2);
    bool quoted = false;
    for (char ch : value) {
        auto c = static_cast<unsigned char>(ch);
        if (c < ' ' || c == 127) {
            if (quoted) {
                out += '\'';
                quoted = false;
            }
            out += '#';
            out += std::to_string(c);
            continue;
        }
        if (!quoted) {
            out += '\'';
            quoted = true;
        }
        if (ch == '\'') out += '\'';
        out += ch;
    }
    if (quoted) out += '\'';
    if (out.empty()) out = "''";
    return out;
}

TWriter::TWriter(std::string& output) : out_(output) {}

void TWriter::WriteRootComponent(TComponent* root) {
    root_ = root;
    WriteComponent(root);
}

void TWriter::WriteIndent() {
    out_.append(static_cast<size_t>(indent_) * 2, ' ');
}

void TWriter::WriteComponent(TComponent* component) {
    component->state_.Include(csWriting);
    WriteIndent();
    out_ += "object ";
    if (!component->Name().empty()) {
        out_ += component->Name();
        out_ += ": ";
    }
    out_ += component->ClassName();
    out_ += '\n';
    const ScopeExit written([component] { component->state_.Exclude(csWriting); });
    {
        ++indent_;
        const ScopeExit outdent([this] { --indent_; });
        WriteProperties(component, std::string());
        component->GetChildren([this](TComponent* child) { WriteComponent(child); }, root_);
    }
    WriteIndent();
    out_ += "end\n";
}

void TWriter::WriteProperties(TPersistent* instance, const std::string& prefix) {
    for (const TPropInfo* info : instance->ClassType()->Properties())
        if (info->IsStored(instance)) WriteProperty(instance, *info, prefix);
    const ScopedValue nested(prefix_, prefix);
    instance->DefineProperties(*this);
}

void TWriter::WriteProperty(TPersistent* instance, const TPropInfo& info, const std::string& prefix) {
    const std::string name = prefix + info.name;
    switch (info.kind) {
        case TTypeKind::tkClass: {
            TObject* value = std::get<TObject*>(info.get(instance));
            if (!value) return;
            if (info.isReference) {
                std::string reference = ReferenceName(static_cast<TComponent*>(value));
                if (reference.empty()) return;
                WritePropertyName(name);
                out_ += reference;
                out_ += '\n';
            } else if (auto* collection = dynamic_cast<TCollection*>(value)) {
                if (collection->Count() == 0) return;
                WritePropertyName(name);
                WriteCollection(collection);
            } else if (auto* object = dynamic_cast<TPersistent*>(value)) {
                WriteProperties(object, name + ".");
            }
            return;
        }
        case TTypeKind::tkMethod: {
            auto* component = dynamic_cast<TComponent*>(instance);
            if (!component || !info.hasHandler(instance)) return;
            std::string method = component->EventMethodName(info.name);
            if (method.empty()) return;
            WritePropertyName(name);
            out_ += method;
            out_ += '\n';
            return;
        }
        default:
            break;
    }
    if (info.IsDefault(instance)) return;
    TPropValue value = info.get(instance);
    WritePropertyName(name);
    switch (info.kind) {
        case TTypeKind::tkInteger: {
            Int64 number = std::get<Int64>(value);
            auto entry = std::find_if(info.idents.begin(), info.idents.end(),
                                      [number](const TIdentMapEntry& e) { return e.value == number; });
            if (entry != info.idents.end())
                out_ += entry->name;
            else
                out_ += std::to_string(number);
            break;
        }
        case TTypeKind::tkBoolean:
        case TTypeKind::tkEnumeration: {
            auto index = static_cast<size_t>(std::get<Int64>(value));
            if (index < info.names.size())
                out_ += info.names[index];
            else
                throw EWriteError(
                    Format("Value %d of %s is out of range", {static_cast<Int64>(index), name}));
            break;
        }
        case TTypeKind::tkSet: {
            const SetBits& bits = std::get<SetBits>(value);
            out_ += '[';
            bool first = true;
            for (size_t i = 0; i < info.names.size(); ++i) {
                if (!bits.Contains(i)) continue;
                if (!first) out_ += ", ";
                out_ += info.names[i];
                first = false;
            }
            out_ += ']';
            break;
        }
        case TTypeKind::tkFloat:
            WriteFloat(std::get<double>(value));
            break;
        case TTypeKind::tkString:
            WriteString(std::get<std::string>(value));
            break;
        default:
            break;
    }
    out_ += '\n';
}

void TWriter::WriteCollection(TCollection* collection) {
    out_ += "<";
    ++indent_;
    for (int i = 0; i < collection->Count(); ++i) {
        out_ += '\n';
        WriteIndent();
        out_ += "item\n";
        ++indent_;
        WriteProperties(collection->Items(i), std::string());
        --indent_;
        WriteIndent();
        out_ += "end";
    }
    --indent_;
    out_ += ">\n";
}

void TWriter::WritePropertyName(const std::string& name) {
    WriteIndent();
    out_ += name;
    out_ += " = ";
}

std::string TWriter::ReferenceName(TComponent* target) const {
    if (target->Name().empty()) return {};
    if (target == root_ || target->Owner() == root_) return target->Name();
    TComponent* otherRoot = target->Owner();
    if (otherRoot && !otherRoot->Name().empty()) return otherRoot->Name() + "." + target->Name();
    return target->Name();
}

void TWriter::DefineProperty(const std::string& name, const TReaderProc&, const TWriterProc& write,
                             bool hasData) {
    if (!hasData || !write) return;
    WritePropertyName(prefix_ + name);
    write(*this);
    out_ += '\n';
}

void TWriter::DefineBinaryProperty(const std::string& name, const TStreamProc&, const TStreamProc& write,
                                   bool hasData) {
    if (!hasData || !write) return;
    TMemoryStream stream;
    write(stream);
    static constexpr char kHex[] = "0123456789ABCDEF";
    auto* bytes = static_cast<const unsigned char*>(stream.Memory());
    auto size = static_cast<size_t>(stream.Size());
    WritePropertyName(prefix_ + name);
    out_ += '{';
    ++indent_;
    for (size_t i = 0; i < size; ++i) {
        if (i % kBinaryBytesPerLine == 0) {
            out_ += '\n';
            WriteIndent();
        }
        out_ += kHex[bytes[i] >> 4];
        out_ += kHex[bytes[i] & 15];
    }
    --indent_;
    out_ += "}\n";
}

// ---------------------------------------------------------------------------------------------
// Values

void TWriter::BeginValue() {
    if (listDepth_ == 0) return;
    out_ += '\n';
    out_.append(static_cast<size_t>(indent_ + listDepth_) * 2, ' ');
}

void TWriter::WriteListBegin() {
    BeginValue();
    out_ += '(';
    ++listDepth_;
}

void TWriter::WriteListEnd() {
    --listDepth_;
    out_ += ')';
}

void TWriter::WriteString(std::string_view value) {
    BeginValue();
    if (value.size() <= kStringPiece) {
        out_ += QuoteFormString(value);
        return;
    }
    const auto continuation = static_cast<size_t>(indent_ + listDepth_ + 1) * 2;
    size_t start = 0;
    while (start < value.size()) {
        size_t end = std::min(start + kStringPiece, value.size());
        // Never cut a UTF-8 sequence in two.
        while (end < value.size() && end > start + 1 &&
               (static_cast<unsigned char>(value[end]) & 0xC0) == 0x80)
            --end;
        if (start) {
            out_ += " +\n";
            out_.append(continuation, ' ');
        }
        out_ += QuoteFormString(value.substr(start, end - start));
        start = end;
    }
}

void TWriter::WriteInteger(Int64 value) {
    BeginValue();
    out_ += std::to_string(value);
}

void TWriter::WriteFloat(double value) {
    BeginValue();
    if (std::isnan(value)) {
        out_ += "NAN";
    } else if (std::isinf(value)) {
        out_ += value > 0 ? "INF" : "NEGINF";
    } else {
        char buffer[32];
        auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
        out_.append(buffer, end);
    }
}

void TWriter::WriteBoolean(bool value) {
    BeginValue();
    out_ += value ? "True" : "False";
}

void TWriter::WriteIdent(std::string_view ident) {
    BeginValue();
    out_ += ident;
}

// ---------------------------------------------------------------------------------------------
// Whole forms

std::string ComponentToText(TComponent* root) {
    std::string text;
    TWriter writer(text);
    writer.WriteRootComponent(root);
    return text;
}

void ReadComponentText(std::string_view text, TComponent* root) {
    TReader reader(text);
    reader.ReadRootComponent(root, root->Owner());
}

TComponent* TextToComponent(std::string_view text, TComponent* owner) {
    TReader reader(text);
    return reader.ReadRootComponent(nullptr, owner);
}

void WriteComponentFile(const std::string& fileName, TComponent* root) {
    std::string text = ComponentToText(root);
    TFileStream file(fileName, fmCreate);
    file.WriteBuffer(text.data(), static_cast<Int64>(text.size()));
}

TComponent* ReadComponentFile(const std::string& fileName, TComponent* root, TComponent* owner) {
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    std::string text(static_cast<size_t>(file.Size()), '\0');
    file.ReadBuffer(text.data(), static_cast<Int64>(text.size()));
    TReader reader(text);
    return reader.ReadRootComponent(root, root ? root->Owner() : owner);
}

}  // namespace vcl
