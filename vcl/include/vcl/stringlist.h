// TStrings, the framework's abstract list of strings with associated objects, and TStringList,
// its array-backed implementation with sorting, duplicate policies and change events.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "vcl/objects.h"
#include "vcl/streams.h"

namespace vcl {

enum class TDuplicates : uint8_t { dupIgnore, dupAccept, dupError };
VCL_ENUM_NAMES(TDuplicates, "dupIgnore", "dupAccept", "dupError")
using enum TDuplicates;

class TStrings : public TPersistent {
    VCL_DECLARE_CLASS(TStrings, TPersistent)
public:
    // Index errors raise EStringListError "List index out of bounds (%d)".
    std::string Strings(int index) const { return Get(index); }
    void SetStrings(int index, const std::string& s) { Put(index, s); }
    TObject* Objects(int index) const { return GetObject(index); }
    void SetObjects(int index, TObject* object) { PutObject(index, object); }
    int Count() const { return GetCount(); }
    int Capacity() const { return GetCapacity(); }
    virtual void SetCapacity(int) {}

    // Adding returns the index of the new string.
    virtual int Add(const std::string& s);
    virtual int AddObject(const std::string& s, TObject* object);
    void Append(const std::string& s) { Add(s); }
    virtual void AddStrings(const TStrings& strings);
    virtual void Insert(int index, const std::string& s) = 0;
    virtual void InsertObject(int index, const std::string& s, TObject* object);
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;
    virtual void Exchange(int index1, int index2);
    virtual void Move(int curIndex, int newIndex);

    // Case-insensitive (CompareStrings decides); -1 when absent.
    virtual int IndexOf(std::string_view s) const;
    // The first line whose name (the text before NameValueSeparator) matches.
    virtual int IndexOfName(std::string_view name) const;
    virtual int IndexOfObject(const TObject* object) const;
    // Same strings in the same order, compared exactly.
    bool Equals(const TStrings& strings) const;

    // Name=value lines. Names(i) is empty for a line without a separator.
    std::string Names(int index) const;
    std::string Values(std::string_view name) const;
    // An empty value deletes the line; a new name is added at the end.
    void SetValues(std::string_view name, std::string_view value);
    // The text after the separator; empty without one or for a negative index.
    std::string ValueFromIndex(int index) const;
    void SetValueFromIndex(int index, std::string_view value);
    char NameValueSeparator() const { return nameValueSeparator_; }
    void SetNameValueSeparator(char separator) { nameValueSeparator_ = separator; }

    // Every line followed by LineBreak.
    std::string Text() const { return GetTextStr(); }
    // Splits at CR, LF and CR LF (or at LineBreak when it is something else); a break at the end
    // adds no empty line.
    void SetText(std::string_view text) { SetTextStr(text); }
    std::string GetText() const { return GetTextStr(); }
    const std::string& LineBreak() const { return lineBreak_; }
    void SetLineBreak(std::string lineBreak) { lineBreak_ = std::move(lineBreak); }

    // Items holding the delimiter, the quote character, a blank or a control character are
    // quoted, doubling the quote; with StrictDelimiter only the delimiter and the quote count.
    // Parsing splits at the delimiter and, unless StrictDelimiter, at blanks and control characters.
    std::string DelimitedText() const;
    void SetDelimitedText(std::string_view text);
    // DelimitedText with ',' and '"'.
    std::string CommaText() const;
    void SetCommaText(std::string_view text);
    char Delimiter() const { return delimiter_; }
    void SetDelimiter(char delimiter) { delimiter_ = delimiter; }
    char QuoteChar() const { return quoteChar_; }
    void SetQuoteChar(char quoteChar) { quoteChar_ = quoteChar; }
    bool StrictDelimiter() const { return strictDelimiter_; }
    void SetStrictDelimiter(bool strict) { strictDelimiter_ = strict; }

    // Nested; SetUpdateState hears the outermost begin and end. An unmatched EndUpdate is ignored.
    void BeginUpdate();
    void EndUpdate();

    // Loading reads to the end of the stream and skips a leading UTF-8 byte order mark; saving
    // writes Text without one.
    virtual void LoadFromStream(TStream& stream);
    virtual void SaveToStream(TStream& stream) const;
    virtual void LoadFromFile(const std::string& fileName);
    virtual void SaveToFile(const std::string& fileName) const;

    // From any TStrings: the strings, objects and text settings.
    void Assign(const TPersistent* source) override;
    // Writes the lines as the "Strings" property; implemented with the streaming classes.
    void DefineProperties(TFiler& filer) override;

protected:
    virtual std::string Get(int index) const = 0;
    virtual int GetCount() const = 0;
    // The default replaces the line through Delete and InsertObject, keeping its object.
    virtual void Put(int index, const std::string& s);
    virtual TObject* GetObject(int) const { return nullptr; }
    virtual void PutObject(int, TObject*) {}
    virtual int GetCapacity() const { return GetCount(); }
    virtual std::string GetTextStr() const;
    virtual void SetTextStr(std::string_view text);
    virtual void SetUpdateState(bool) {}
    virtual int CompareStrings(std::string_view s1, std::string_view s2) const;

    int UpdateCount() const { return updateCount_; }
    [[noreturn]] static void Error(std::string_view message, Int64 data);

    // Runs action between BeginUpdate and EndUpdate, ending the update on an exception too.
    template <typename Action>
    void Updating(Action&& action) {
        BeginUpdate();
        const ScopeExit endUpdate([this] { EndUpdate(); });
        action();
    }

private:
    std::string DelimitedTextWith(char delimiter, char quoteChar) const;
    void SetDelimitedTextWith(std::string_view text, char delimiter, char quoteChar);

    int updateCount_ = 0;
    std::string lineBreak_ = "\r\n";
    char delimiter_ = ',';
    char quoteChar_ = '"';
    char nameValueSeparator_ = '=';
    bool strictDelimiter_ = false;
};

class TStringList;

// Negative when the string at index1 sorts before the one at index2, zero when equal.
using TStringListSortCompare = std::function<int(TStringList* list, int index1, int index2)>;

class TStringList : public TStrings {
    VCL_DECLARE_CLASS(TStringList, TStrings)
public:
    TStringList() = default;
    explicit TStringList(bool ownsObjects) : ownsObjects_(ownsObjects) {}
    // Frees the objects when it owns them; the change events are not raised.
    ~TStringList() override;

    // On a sorted list the string goes to its place; Duplicates decides about an equal one
    // (dupIgnore returns the index of the one present, dupError raises EStringListError
    // "String list does not allow duplicates"). Unsorted lists accept duplicates.
    int Add(const std::string& s) override;
    int AddObject(const std::string& s, TObject* object) override;
    // Raise EStringListError "Operation not allowed on sorted string list" on a sorted list.
    void Insert(int index, const std::string& s) override;
    void InsertObject(int index, const std::string& s, TObject* object) override;
    void Delete(int index) override;
    void Clear() override;
    void Exchange(int index1, int index2) override;
    void Move(int curIndex, int newIndex) override;
    int IndexOf(std::string_view s) const override;
    void SetCapacity(int capacity) override;

    // Binary search, meaningful on a sorted list. Returns whether s is present and sets index to
    // its position (the first of equal ones under dupAccept) or to where it would be inserted.
    virtual bool Find(std::string_view s, int& index) const;
    // Nothing to do on a list that is Sorted already.
    virtual void Sort();
    virtual void CustomSort(const TStringListSortCompare& compare);

    bool Sorted() const { return sorted_; }
    void SetSorted(bool sorted);
    TDuplicates Duplicates() const { return duplicates_; }
    void SetDuplicates(TDuplicates duplicates) { duplicates_ = duplicates; }
    bool CaseSensitive() const { return caseSensitive_; }
    // A sorted list is sorted again under the new rule.
    void SetCaseSensitive(bool caseSensitive);
    bool OwnsObjects() const { return ownsObjects_; }
    void SetOwnsObjects(bool ownsObjects) { ownsObjects_ = ownsObjects; }

    // Raised before and after each change; inside BeginUpdate/EndUpdate OnChanging comes before
    // the first change and OnChange once at the outermost EndUpdate, only if something changed.
    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    std::string Get(int index) const override;
    int GetCount() const override { return static_cast<int>(items_.size()); }
    void Put(int index, const std::string& s) override;
    TObject* GetObject(int index) const override;
    void PutObject(int index, TObject* object) override;
    int GetCapacity() const override { return static_cast<int>(items_.capacity()); }
    std::string GetTextStr() const override;
    void SetUpdateState(bool updating) override;
    int CompareStrings(std::string_view s1, std::string_view s2) const override;

    virtual void Changing();
    virtual void Changed();
    virtual void InsertItem(int index, const std::string& s, TObject* object);

private:
    struct TStringItem {
        std::string string;
        TObject* object = nullptr;
    };

    void CheckIndex(int index) const;
    static void FreeObject(TObject* object);

    std::vector<TStringItem> items_;
    TDuplicates duplicates_ = dupIgnore;
    bool sorted_ = false;
    bool caseSensitive_ = false;
    bool ownsObjects_ = false;
    bool changingRaised_ = false;
    bool changePending_ = false;
};

}  // namespace vcl
