// Form files: the text form format written from published properties and read back into a
// component tree.
//
//   object Form1: TForm1
//     Caption = 'Hello'
//     Font.Style = [fsBold]
//     Lines.Strings = (
//       'one'
//       'two')
//     Items = <
//       item
//         Width = 40
//       end>
//     OnClick = Form1Click
//     object Button1: TButton
//       PopupMenu = Menu1
//     end
//   end
//
// Only what differs from its declared default is written. Reading creates components by class
// name, reads properties in file order, resolves component references once the whole tree is
// read, binds events to the methods the root registered, and then runs Loaded on every component.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "vcl/classes.h"

namespace vcl {

class TReader;
class TWriter;

// What DefineProperties talks to: the reader or the writer of the object being streamed.
class TFiler {
public:
    using TReaderProc = std::function<void(TReader&)>;
    using TWriterProc = std::function<void(TWriter&)>;
    using TStreamProc = std::function<void(TStream&)>;

    virtual ~TFiler() = default;

    // A value or list of values written by `write` when hasData, read back by `read`.
    virtual void DefineProperty(const std::string& name, const TReaderProc& read, const TWriterProc& write,
                                bool hasData) = 0;
    // A block of bytes, written as {hex}.
    virtual void DefineBinaryProperty(const std::string& name, const TStreamProc& read,
                                      const TStreamProc& write, bool hasData) = 0;

    TComponent* Root() const { return root_; }

protected:
    TComponent* root_ = nullptr;
};

// The tokens of the text form format.
enum class TTokenKind : uint8_t { toEOF, toSymbol, toString, toInteger, toFloat, toBinary, toChar };

class TParser {
public:
    explicit TParser(std::string_view text);

    // Moves to the next token and returns its kind.
    TTokenKind NextToken();
    TTokenKind Token() const { return token_; }
    int SourceLine() const { return tokenLine_; }
    // The identifier, the decoded string or the decoded bytes of the current token.
    const std::string& TokenString() const { return tokenString_; }
    char TokenChar() const { return tokenChar_; }
    Int64 TokenInt() const { return tokenInt_; }
    double TokenFloat() const { return tokenFloat_; }
    bool TokenSymbolIs(std::string_view symbol) const;
    bool TokenCharIs(char c) const { return token_ == TTokenKind::toChar && tokenChar_ == c; }

    // Raise EParserError "<message> on line N".
    [[noreturn]] void Error(const std::string& message) const;
    void CheckToken(TTokenKind kind) const;
    void CheckChar(char c) const;
    void CheckSymbol(std::string_view symbol) const;

private:
    void SkipBlanks();
    void ScanString();
    void ScanNumber();
    void ScanBinary();
    void ScanSymbol();

    std::string_view text_;
    size_t pos_ = 0;
    int line_ = 1;
    int tokenLine_ = 1;
    TTokenKind token_ = TTokenKind::toEOF;
    std::string tokenString_;
    char tokenChar_ = 0;
    Int64 tokenInt_ = 0;
    double tokenFloat_ = 0;
};

class TReader : public TFiler {
public:
    explicit TReader(std::string_view text);
    ~TReader() override;

    // Reads the whole text into root, or into a new component of the named class owned by owner
    // when root is nullptr. On any error nothing created by the read survives and EReadError
    // names the line and, where one is being read, the property.
    TComponent* ReadRootComponent(TComponent* root, TComponent* owner = nullptr);

    void DefineProperty(const std::string& name, const TReaderProc& read, const TWriterProc& write,
                        bool hasData) override;
    void DefineBinaryProperty(const std::string& name, const TStreamProc& read, const TStreamProc& write,
                              bool hasData) override;

    // Values, for DefineProperties readers.
    void ReadListBegin();
    void ReadListEnd();
    bool EndOfList() const;
    std::string ReadString();
    Int64 ReadInteger();
    double ReadFloat();
    bool ReadBoolean();
    std::string ReadIdent();

    TParser& Parser() { return parser_; }

private:
    struct Fixup;

    TComponent* ReadComponent(TComponent* parent, int depth);
    void ReadProperty(TPersistent* instance, TComponent* component, int depth);
    void ReadPropertyValue(TPersistent* instance, const TPropInfo& info, TComponent* component, int depth);
    void ReadCollection(TCollection* collection, TComponent* component, int depth);
    Int64 ReadOrdinal(const TPropInfo& info);
    SetBits ReadSet(const TPropInfo& info);
    void ResolveFixups();
    void Cleanup(TComponent* root, bool rootCreated);
    [[noreturn]] void PropertyError(const std::string& message) const;

    TParser parser_;
    TComponent* owner_ = nullptr;
    std::vector<TComponent*> loaded_;
    std::vector<Fixup> fixups_;
    // Where the reader is, for messages and for DefineProperties dispatch.
    std::string componentName_;
    std::string pathPrefix_;  // "Items[2]." inside a collection item
    std::string propertyPath_;
    int propertyLine_ = 0;
    std::string propertyName_;
    bool propertyHandled_ = false;
};

class TWriter : public TFiler {
public:
    explicit TWriter(std::string& output);

    void WriteRootComponent(TComponent* root);

    void DefineProperty(const std::string& name, const TReaderProc& read, const TWriterProc& write,
                        bool hasData) override;
    void DefineBinaryProperty(const std::string& name, const TStreamProc& read, const TStreamProc& write,
                              bool hasData) override;

    // Values, for DefineProperties writers.
    void WriteListBegin();
    void WriteListEnd();
    void WriteString(std::string_view value);
    void WriteInteger(Int64 value);
    void WriteFloat(double value);
    void WriteBoolean(bool value);
    void WriteIdent(std::string_view ident);

private:
    void WriteComponent(TComponent* component);
    void WriteProperties(TPersistent* instance, const std::string& prefix);
    void WriteProperty(TPersistent* instance, const TPropInfo& info, const std::string& prefix);
    void WriteCollection(TCollection* collection);
    void WritePropertyName(const std::string& name);
    void BeginValue();
    void WriteIndent();
    std::string ReferenceName(TComponent* target) const;

    std::string& out_;
    int indent_ = 0;
    int listDepth_ = 0;
    std::string prefix_;
};

// Whole-form helpers.
std::string ComponentToText(TComponent* root);
// Reads into an existing root (its class must match the text's root class).
void ReadComponentText(std::string_view text, TComponent* root);
// Creates the root from the text's class name, owned by owner.
TComponent* TextToComponent(std::string_view text, TComponent* owner = nullptr);
void WriteComponentFile(const std::string& fileName, TComponent* root);
TComponent* ReadComponentFile(const std::string& fileName, TComponent* root, TComponent* owner = nullptr);

// Component references into other roots ("Form2.Button1") are looked up through this finder
// (forms and data modules install one). References whose root is not loaded yet wait until
// GlobalFixupReferences runs after that root is read.
void RegisterFindGlobalComponent(std::function<TComponent*(std::string_view name)> finder);
void GlobalFixupReferences();
// Drops the waiting references of a component that goes away.
void RemoveFixupReferences(TComponent* component);

// The string form of a value, quoted as in form files ('It''s'#13#10'ok').
std::string QuoteFormString(std::string_view value);

}  // namespace vcl
