// Reading form files into component trees.
#include <algorithm>
#include <cmath>
#include <mutex>

#include "vcl/streaming.h"

namespace vcl {

namespace {

// Deeper nesting than any real form has; stops hostile input from exhausting the stack.
constexpr int kMaxDepth = 64;

// A component reference waiting for its target, by name.
struct PendingReference {
    TComponent* component;  // whose property (or sub-object's property) it is
    TPersistent* instance;
    const TPropInfo* info;
    std::string rootName;
    std::string name;
};

struct GlobalState {
    std::mutex mutex;
    std::vector<std::function<TComponent*(std::string_view)>> finders;
    std::vector<PendingReference> pending;
};

GlobalState& Globals() {
    static GlobalState state;
    return state;
}

TComponent* FindGlobalComponent(std::string_view name) {
    std::vector<std::function<TComponent*(std::string_view)>> finders;
    {
        std::lock_guard lock(Globals().mutex);
        finders = Globals().finders;
    }
    for (auto& finder : finders)
        if (TComponent* found = finder(name)) return found;
    return nullptr;
}

// "Name" or "Root.Name" below a root.
TComponent* FindInRoot(TComponent* root, std::string_view name) {
    if (SameText(root->Name(), name)) return root;
    return root->FindComponent(name);
}

}  // namespace

struct TReader::Fixup {
    TPersistent* instance;
    const TPropInfo* info;
    TComponent* component = nullptr;
    std::string name;
    std::string where;  // "Button1.PopupMenu", for messages
    int line;
};

TReader::TReader(std::string_view text) : parser_(text) {}
TReader::~TReader() = default;

// ---------------------------------------------------------------------------------------------
// The whole tree

TComponent* TReader::ReadRootComponent(TComponent* root, TComponent* owner) {
    owner_ = owner;
    root_ = root;
    bool rootCreated = false;
    try {
        parser_.NextToken();
        if (!root_) {
            // The root's class decides what is created; peek at it first.
            TParser peek = parser_;
            peek.CheckSymbol("object");
            peek.NextToken();
            peek.CheckToken(TTokenKind::toSymbol);
            std::string className = peek.TokenString();
            if (peek.NextToken() == TTokenKind::toChar && peek.TokenChar() == ':') {
                peek.NextToken();
                peek.CheckToken(TTokenKind::toSymbol);
                className = peek.TokenString();
            }
            TClass cls = GetClass(className);
            if (!cls) peek.Error(Format("Class %s not found", {className}));
            if (!cls->InheritsFrom(TComponent::StaticClass()) || !cls->createComponent)
                peek.Error(Format("Class %s is not a component class", {className}));
            root_ = cls->createComponent(owner_);
            rootCreated = true;
        }
        ReadComponent(nullptr, 0);
        if (parser_.Token() != TTokenKind::toEOF) parser_.Error("End of file expected");
        ResolveFixups();
    } catch (const EReadError&) {
        Cleanup(root_, rootCreated);
        throw;
    } catch (const Exception& error) {
        Cleanup(root_, rootCreated);
        throw EReadError(error.Message());
    }

    for (TComponent* component : loaded_)
        component->state_.Exclude(csReading);
    try {
        for (TComponent* component : loaded_)
            component->Loaded();
    } catch (const Exception& error) {
        Cleanup(root_, rootCreated);
        throw EReadError(
            Format("Error loading %s: %s", {root_ ? root_->Name() : std::string(), error.Message()}));
    }
    for (TComponent* component : loaded_)
        component->state_.Exclude(csLoading);
    GlobalFixupReferences();
    return root_;
}

void TReader::Cleanup(TComponent* root, bool rootCreated) {
    if (rootCreated) {
        if (root) root->Free();
    } else {
        // Keep the caller's root; free what this read added to it, newest first.
        for (auto it = loaded_.rbegin(); it != loaded_.rend(); ++it)
            if (*it != root) (*it)->Free();
        if (root) root->SetLoadingState(false);
    }
    loaded_.clear();
    fixups_.clear();
    root_ = nullptr;
}

TComponent* TReader::ReadComponent(TComponent* parent, int depth) {
    if (depth > kMaxDepth) parser_.Error("Objects nested too deeply");
    if (parser_.TokenSymbolIs("inherited") || parser_.TokenSymbolIs("inline"))
        parser_.Error(Format("'%s' objects are not supported", {parser_.TokenString()}));
    parser_.CheckSymbol("object");
    parser_.NextToken();
    parser_.CheckToken(TTokenKind::toSymbol);
    std::string name;
    std::string className = parser_.TokenString();
    int line = parser_.SourceLine();
    parser_.NextToken();
    if (parser_.TokenCharIs(':')) {
        name = std::move(className);
        parser_.NextToken();
        parser_.CheckToken(TTokenKind::toSymbol);
        className = parser_.TokenString();
        line = parser_.SourceLine();
        parser_.NextToken();
    }
    auto classError = [line](const std::string& message) {
        throw EReadError(Format("%s on line %d", {message, line}));
    };

    TComponent* component = nullptr;
    if (!parent) {
        component = root_;
        if (!SameText(component->ClassName(), className)) {
            TClass named = GetClass(className);
            if (!named || !component->InheritsFrom(named))
                classError(
                    Format("Class %s does not match the root class %s", {className, component->ClassName()}));
        }
    } else {
        TClass cls = GetClass(className);
        if (!cls) classError(Format("Class %s not found", {className}));
        if (!cls->InheritsFrom(TComponent::StaticClass()) || !cls->createComponent)
            classError(Format("Class %s is not a component class", {className}));
        component = cls->createComponent(root_);
    }
    component->SetLoadingState(true);
    loaded_.push_back(component);

    std::string savedName = std::move(componentName_);
    componentName_ = name.empty() ? className : name;
    try {
        component->SetName(name);
        if (parent) component->SetParentComponent(parent);
    } catch (const Exception& error) {
        throw EReadError(Format("Error reading %s: %s on line %d", {componentName_, error.Message(), line}));
    }

    while (!parser_.TokenSymbolIs("end") && !parser_.TokenSymbolIs("object") &&
           !parser_.TokenSymbolIs("inherited") && !parser_.TokenSymbolIs("inline")) {
        if (parser_.Token() == TTokenKind::toEOF) parser_.Error("'end' expected");
        ReadProperty(component, component, depth);
    }
    while (!parser_.TokenSymbolIs("end")) {
        if (parser_.Token() == TTokenKind::toEOF) parser_.Error("'end' expected");
        ReadComponent(component, depth + 1);
    }
    parser_.NextToken();
    componentName_ = std::move(savedName);
    return component;
}

// ---------------------------------------------------------------------------------------------
// Properties

void TReader::PropertyError(const std::string& message) const {
    throw EReadError(Format("Error reading %s.%s: %s on line %d",
                            {componentName_, propertyPath_, message, propertyLine_}));
}

void TReader::ReadProperty(TPersistent* instance, TComponent* component, int depth) {
    parser_.CheckToken(TTokenKind::toSymbol);
    propertyLine_ = parser_.SourceLine();
    std::vector<std::string> path{parser_.TokenString()};
    parser_.NextToken();
    while (parser_.TokenCharIs('.')) {
        parser_.NextToken();
        parser_.CheckToken(TTokenKind::toSymbol);
        path.push_back(parser_.TokenString());
        parser_.NextToken();
    }
    std::string savedPath = propertyPath_;
    propertyPath_ = pathPrefix_;
    for (size_t i = 0; i < path.size(); ++i)
        propertyPath_ += (i ? "." : "") + path[i];
    parser_.CheckChar('=');

    try {
        parser_.NextToken();
        TPersistent* target = instance;
        for (size_t i = 0; i + 1 < path.size(); ++i) {
            const TPropInfo* info = target->ClassType()->FindProperty(path[i]);
            if (!info || info->kind != TTypeKind::tkClass || info->isReference)
                PropertyError(Format("Property %s does not exist", {path[i]}));
            target = dynamic_cast<TPersistent*>(std::get<TObject*>(info->get(target)));
            if (!target) PropertyError(Format("Property %s has no object", {path[i]}));
        }
        if (const TPropInfo* info = target->ClassType()->FindProperty(path.back())) {
            ReadPropertyValue(target, *info, component, depth);
        } else {
            propertyName_ = path.back();
            propertyHandled_ = false;
            target->DefineProperties(*this);
            if (!propertyHandled_) PropertyError(Format("Property %s does not exist", {path.back()}));
        }
    } catch (const EReadError&) {
        throw;
    } catch (const EParserError& error) {
        throw EReadError(Format("Error reading %s.%s: %s", {componentName_, propertyPath_, error.Message()}));
    } catch (const Exception& error) {
        PropertyError(error.Message());
    }
    propertyPath_ = std::move(savedPath);
}

void TReader::ReadPropertyValue(TPersistent* instance, const TPropInfo& info, TComponent* component,
                                int depth) {
    switch (info.kind) {
        case TTypeKind::tkInteger:
        case TTypeKind::tkBoolean:
        case TTypeKind::tkEnumeration:
            info.set(instance, ReadOrdinal(info));
            break;
        case TTypeKind::tkSet:
            info.set(instance, ReadSet(info));
            break;
        case TTypeKind::tkFloat: {
            double value;
            if (parser_.Token() == TTokenKind::toSymbol) {
                std::string ident = parser_.TokenString();
                if (SameText(ident, "NAN"))
                    value = std::nan("");
                else if (SameText(ident, "INF"))
                    value = HUGE_VAL;
                else if (SameText(ident, "NEGINF"))
                    value = -HUGE_VAL;
                else
                    PropertyError("Invalid property value");
                parser_.NextToken();
            } else {
                value = ReadFloat();
            }
            info.set(instance, value);
            break;
        }
        case TTypeKind::tkString:
            info.set(instance, ReadString());
            break;
        case TTypeKind::tkClass:
            if (info.isReference) {
                parser_.CheckToken(TTokenKind::toSymbol);
                std::string name = parser_.TokenString();
                int line = parser_.SourceLine();
                parser_.NextToken();
                if (SameText(name, "nil")) {
                    info.set(instance, static_cast<TObject*>(nullptr));
                    break;
                }
                while (parser_.TokenCharIs('.')) {
                    parser_.NextToken();
                    parser_.CheckToken(TTokenKind::toSymbol);
                    name += "." + parser_.TokenString();
                    parser_.NextToken();
                }
                fixups_.push_back({instance, &info, component, std::move(name),
                                   componentName_ + "." + propertyPath_, line});
            } else if (auto* collection = dynamic_cast<TCollection*>(std::get<TObject*>(info.get(instance)));
                       collection && parser_.TokenCharIs('<')) {
                ReadCollection(collection, component, depth + 1);
            } else {
                PropertyError("Invalid property value");
            }
            break;
        case TTypeKind::tkMethod: {
            std::string methodName = ReadIdent();
            auto* owner = dynamic_cast<TComponent*>(instance);
            if (!owner) PropertyError("Events can only be read for components");
            if (SameText(methodName, "nil")) {
                info.clearHandler(owner);
                owner->UnbindEvent(info.name);
            } else {
                owner->BindEvent(info.name, root_, methodName);
            }
            break;
        }
    }
}

Int64 TReader::ReadOrdinal(const TPropInfo& info) {
    Int64 value = 0;
    if (info.kind == TTypeKind::tkInteger) {
        if (parser_.Token() == TTokenKind::toSymbol && !info.idents.empty()) {
            auto entry = std::find_if(info.idents.begin(), info.idents.end(), [&](const TIdentMapEntry& e) {
                return SameText(e.name, parser_.TokenString());
            });
            if (entry == info.idents.end())
                PropertyError(Format("Invalid property value '%s'", {parser_.TokenString()}));
            value = entry->value;
            parser_.NextToken();
        } else {
            parser_.CheckToken(TTokenKind::toInteger);
            value = parser_.TokenInt();
            parser_.NextToken();
            // Unsigned 32-bit values such as colours are written in hexadecimal as bit patterns.
            if (info.maxValue == std::numeric_limits<int32_t>::max() && value > info.maxValue &&
                value <= std::numeric_limits<uint32_t>::max())
                value = static_cast<int32_t>(static_cast<uint32_t>(value));
        }
        if (value < info.minValue || value > info.maxValue)
            PropertyError(Format("Value %d out of range", {value}));
        return value;
    }
    parser_.CheckToken(TTokenKind::toSymbol);
    auto index = FindEnumName(info.names, parser_.TokenString());
    if (!index) PropertyError(Format("Invalid enumeration value '%s'", {parser_.TokenString()}));
    parser_.NextToken();
    return static_cast<Int64>(*index);
}

SetBits TReader::ReadSet(const TPropInfo& info) {
    SetBits bits;
    parser_.CheckChar('[');
    parser_.NextToken();
    if (parser_.TokenCharIs(']')) {
        parser_.NextToken();
        return bits;
    }
    while (true) {
        parser_.CheckToken(TTokenKind::toSymbol);
        auto index = FindEnumName(info.names, parser_.TokenString());
        if (!index) PropertyError(Format("Invalid set element '%s'", {parser_.TokenString()}));
        bits.Include(*index);
        parser_.NextToken();
        if (parser_.TokenCharIs(']')) break;
        parser_.CheckChar(',');
        parser_.NextToken();
    }
    parser_.NextToken();
    return bits;
}

void TReader::ReadCollection(TCollection* collection, TComponent* component, int depth) {
    if (depth > kMaxDepth) parser_.Error("Objects nested too deeply");
    parser_.NextToken();  // <
    std::string savedPrefix = pathPrefix_;
    std::string collectionPath = propertyPath_;
    collection->BeginUpdate();
    const ScopeExit endUpdate([collection] { collection->EndUpdate(); });
    const ScopeExit restorePrefix([&] { pathPrefix_ = savedPrefix; });
    collection->Clear();
    while (!parser_.TokenCharIs('>')) {
        parser_.CheckSymbol("item");
        parser_.NextToken();
        TCollectionItem* item = collection->Add();
        pathPrefix_ = Format("%s[%d].", {collectionPath, item->Index()});
        while (!parser_.TokenSymbolIs("end")) {
            if (parser_.Token() == TTokenKind::toEOF) parser_.Error("'end' expected");
            ReadProperty(item, component, depth);
        }
        parser_.NextToken();
    }
    parser_.NextToken();
    propertyPath_ = collectionPath;
}

void TReader::DefineProperty(const std::string& name, const TReaderProc& read, const TWriterProc&, bool) {
    if (propertyHandled_ || !read || !SameText(name, propertyName_)) return;
    propertyHandled_ = true;
    read(*this);
}

void TReader::DefineBinaryProperty(const std::string& name, const TStreamProc& read, const TStreamProc&,
                                   bool) {
    if (propertyHandled_ || !read || !SameText(name, propertyName_)) return;
    propertyHandled_ = true;
    parser_.CheckToken(TTokenKind::toBinary);
    TMemoryStream stream;
    const std::string& bytes = parser_.TokenString();
    stream.WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
    stream.SetPosition(0);
    parser_.NextToken();
    read(stream);
}

// ---------------------------------------------------------------------------------------------
// Values

void TReader::ReadListBegin() {
    parser_.CheckChar('(');
    parser_.NextToken();
}

void TReader::ReadListEnd() {
    parser_.CheckChar(')');
    parser_.NextToken();
}

bool TReader::EndOfList() const {
    if (parser_.Token() == TTokenKind::toEOF) parser_.Error("')' expected");
    return parser_.TokenCharIs(')');
}

std::string TReader::ReadString() {
    parser_.CheckToken(TTokenKind::toString);
    std::string value = parser_.TokenString();
    parser_.NextToken();
    while (parser_.TokenCharIs('+')) {
        parser_.NextToken();
        parser_.CheckToken(TTokenKind::toString);
        value += parser_.TokenString();
        parser_.NextToken();
    }
    return value;
}

Int64 TReader::ReadInteger() {
    parser_.CheckToken(TTokenKind::toInteger);
    Int64 value = parser_.TokenInt();
    parser_.NextToken();
    return value;
}

double TReader::ReadFloat() {
    parser_.CheckToken(TTokenKind::toFloat);
    double value = parser_.TokenFloat();
    parser_.NextToken();
    return value;
}

bool TReader::ReadBoolean() {
    parser_.CheckToken(TTokenKind::toSymbol);
    bool value;
    if (parser_.TokenSymbolIs("True"))
        value = true;
    else if (parser_.TokenSymbolIs("False"))
        value = false;
    else
        parser_.Error("Boolean expected");
    parser_.NextToken();
    return value;
}

std::string TReader::ReadIdent() {
    parser_.CheckToken(TTokenKind::toSymbol);
    std::string ident = parser_.TokenString();
    parser_.NextToken();
    return ident;
}

// ---------------------------------------------------------------------------------------------
// References

void TReader::ResolveFixups() {
    for (Fixup& fixup : fixups_) {
        std::string_view name = fixup.name;
        auto dot = name.find('.');
        TComponent* target = nullptr;
        if (dot == std::string_view::npos) {
            target = FindInRoot(root_, name);
            if (!target) target = FindGlobalComponent(name);
        } else {
            std::string_view rootName = name.substr(0, dot);
            TComponent* otherRoot = SameText(rootName, root_->Name()) ? root_ : FindGlobalComponent(rootName);
            if (!otherRoot) {
                // That root is not loaded yet; the reference waits for it.
                std::lock_guard lock(Globals().mutex);
                Globals().pending.push_back({fixup.component, fixup.instance, fixup.info,
                                             std::string(rootName), std::string(name.substr(dot + 1))});
                fixup.component->state_.Include(csFixups);
                continue;
            }
            target = otherRoot->FindComponent(name.substr(dot + 1));
        }
        auto fail = [&](const std::string& message) {
            throw EReadError(Format("Error reading %s: %s on line %d", {fixup.where, message, fixup.line}));
        };
        if (!target) fail(Format("Component %s not found", {fixup.name}));
        if (!target->InheritsFrom(fixup.info->classType))
            fail(Format("Component %s is a %s, not a %s",
                        {fixup.name, target->ClassName(), fixup.info->classType->name}));
        try {
            fixup.info->set(fixup.instance, static_cast<TObject*>(target));
        } catch (const Exception& error) {
            fail(error.Message());
        }
    }
    fixups_.clear();
}

void RegisterFindGlobalComponent(std::function<TComponent*(std::string_view name)> finder) {
    std::lock_guard lock(Globals().mutex);
    Globals().finders.push_back(std::move(finder));
}

void GlobalFixupReferences() {
    std::vector<PendingReference> pending;
    {
        std::lock_guard lock(Globals().mutex);
        pending.swap(Globals().pending);
    }
    std::vector<PendingReference> waiting;
    for (PendingReference& reference : pending) {
        TComponent* otherRoot = FindGlobalComponent(reference.rootName);
        if (!otherRoot) {
            waiting.push_back(std::move(reference));
            continue;
        }
        TComponent* target = otherRoot->FindComponent(reference.name);
        if (target && target->InheritsFrom(reference.info->classType))
            reference.info->set(reference.instance, static_cast<TObject*>(target));
    }
    std::lock_guard lock(Globals().mutex);
    for (PendingReference& reference : waiting)
        Globals().pending.push_back(std::move(reference));
}

void RemoveFixupReferences(TComponent* component) {
    std::lock_guard lock(Globals().mutex);
    std::erase_if(Globals().pending,
                  [component](const PendingReference& r) { return r.component == component; });
}

// ---------------------------------------------------------------------------------------------
// String lists stream their lines as a list of strings

VCL_DEFINE_CLASS(TStrings, TPersistent)

void TStrings::DefineProperties(TFiler& filer) {
    filer.DefineProperty(
        "Strings",
        [this](TReader& reader) {
            reader.ReadListBegin();
            Updating([&] {
                Clear();
                while (!reader.EndOfList())
                    Add(reader.ReadString());
            });
            reader.ReadListEnd();
        },
        [this](TWriter& writer) {
            writer.WriteListBegin();
            for (int i = 0; i < Count(); ++i)
                writer.WriteString(Strings(i));
            writer.WriteListEnd();
        },
        Count() > 0);
}

}  // namespace vcl
