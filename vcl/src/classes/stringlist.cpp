#include "vcl/stringlist.h"

#include <algorithm>
#include <utility>

#include "vcl/classes.h"
#include "vcl/lists.h"

#include "rtl/chars.h"

namespace vcl {

namespace {

constexpr std::string_view kListIndexError = "List index out of bounds (%d)";
constexpr std::string_view kListCapacityError = "List capacity out of bounds (%d)";
constexpr std::string_view kSortedListError = "Operation not allowed on sorted string list";
constexpr std::string_view kDuplicateString = "String list does not allow duplicates";
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

std::string QuoteItem(std::string_view s, char quoteChar) {
    std::string result;
    result.reserve(s.size() + 2);
    result += quoteChar;
    for (char c : s) {
        if (c == quoteChar) result += quoteChar;
        result += c;
    }
    result += quoteChar;
    return result;
}

// The quoted item starting at text[pos], with doubled quotes undone; pos moves past the closing
// quote. An unterminated item takes the rest of the text.
std::string ExtractQuotedItem(std::string_view text, size_t& pos, char quoteChar) {
    std::string result;
    ++pos;
    while (pos < text.size()) {
        size_t quote = text.find(quoteChar, pos);
        if (quote == std::string_view::npos) break;
        result.append(text.substr(pos, quote - pos));
        if (quote + 1 < text.size() && text[quote + 1] == quoteChar) {
            result += quoteChar;
            pos = quote + 2;
        } else {
            pos = quote + 1;
            return result;
        }
    }
    result.append(text.substr(std::min(pos, text.size())));
    pos = text.size();
    return result;
}

// Everything from the current position to the end, also from streams that cannot tell their size.
std::string ReadToEnd(TStream& stream) {
    std::string text;
    Int64 size = stream.Size();
    Int64 position = stream.Position();
    if (size > position && position >= 0) text.reserve(static_cast<size_t>(size - position));
    constexpr size_t kChunk = 0x10000;
    for (;;) {
        size_t old = text.size();
        size_t want = std::max(kChunk, text.capacity() - old);
        text.resize(old + want);
        Int64 got = std::clamp<Int64>(stream.Read(text.data() + old, static_cast<Int64>(want)), 0,
                                      static_cast<Int64>(want));
        text.resize(old + static_cast<size_t>(got));
        if (got == 0) return text;
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TStrings

void TStrings::Error(std::string_view message, Int64 data) {
    throw EStringListError(Format(message, {data}));
}

int TStrings::Add(const std::string& s) {
    int result = GetCount();
    Insert(result, s);
    return result;
}

int TStrings::AddObject(const std::string& s, TObject* object) {
    int result = Add(s);
    PutObject(result, object);
    return result;
}

void TStrings::AddStrings(const TStrings& strings) {
    Updating([&] {
        int count = strings.GetCount();
        for (int i = 0; i < count; ++i)
            AddObject(strings.Get(i), strings.GetObject(i));
    });
}

void TStrings::InsertObject(int index, const std::string& s, TObject* object) {
    Insert(index, s);
    PutObject(index, object);
}

void TStrings::Put(int index, const std::string& s) {
    Updating([&] {
        TObject* object = GetObject(index);
        Delete(index);
        InsertObject(index, s, object);
    });
}

void TStrings::Exchange(int index1, int index2) {
    Updating([&] {
        std::string string1 = Get(index1);
        TObject* object1 = GetObject(index1);
        Put(index1, Get(index2));
        PutObject(index1, GetObject(index2));
        Put(index2, string1);
        PutObject(index2, object1);
    });
}

void TStrings::Move(int curIndex, int newIndex) {
    if (curIndex == newIndex) return;
    Updating([&] {
        std::string s = Get(curIndex);
        TObject* object = GetObject(curIndex);
        // Checked before the line leaves the list, so that a bad index loses nothing.
        if (newIndex < 0 || newIndex >= GetCount()) Error(kListIndexError, newIndex);
        Delete(curIndex);
        InsertObject(newIndex, s, object);
    });
}

int TStrings::CompareStrings(std::string_view s1, std::string_view s2) const {
    return AnsiCompareText(s1, s2);
}

int TStrings::IndexOf(std::string_view s) const {
    int count = GetCount();
    for (int i = 0; i < count; ++i)
        if (CompareStrings(Get(i), s) == 0) return i;
    return -1;
}

int TStrings::IndexOfName(std::string_view name) const {
    int count = GetCount();
    for (int i = 0; i < count; ++i) {
        std::string s = Get(i);
        size_t separator = s.find(nameValueSeparator_);
        if (separator != std::string::npos &&
            CompareStrings(std::string_view(s).substr(0, separator), name) == 0)
            return i;
    }
    return -1;
}

int TStrings::IndexOfObject(const TObject* object) const {
    int count = GetCount();
    for (int i = 0; i < count; ++i)
        if (GetObject(i) == object) return i;
    return -1;
}

bool TStrings::Equals(const TStrings& strings) const {
    int count = GetCount();
    if (count != strings.GetCount()) return false;
    for (int i = 0; i < count; ++i)
        if (Get(i) != strings.Get(i)) return false;
    return true;
}

std::string TStrings::Names(int index) const {
    std::string s = Get(index);
    size_t separator = s.find(nameValueSeparator_);
    if (separator == std::string::npos) return {};
    s.resize(separator);
    return s;
}

std::string TStrings::Values(std::string_view name) const {
    int index = IndexOfName(name);
    return index < 0 ? std::string() : ValueFromIndex(index);
}

void TStrings::SetValues(std::string_view name, std::string_view value) {
    int index = IndexOfName(name);
    if (value.empty()) {
        if (index >= 0) Delete(index);
        return;
    }
    std::string line;
    line.reserve(name.size() + 1 + value.size());
    line.append(name).append(1, nameValueSeparator_).append(value);
    if (index < 0)
        Add(line);
    else
        Put(index, line);
}

std::string TStrings::ValueFromIndex(int index) const {
    if (index < 0) return {};
    std::string s = Get(index);
    size_t separator = s.find(nameValueSeparator_);
    if (separator == std::string::npos) return {};
    return s.substr(separator + 1);
}

void TStrings::SetValueFromIndex(int index, std::string_view value) {
    if (value.empty()) {
        if (index >= 0) Delete(index);
        return;
    }
    if (index < 0) index = Add("");
    std::string line = Names(index);
    line.append(1, nameValueSeparator_).append(value);
    Put(index, line);
}

std::string TStrings::GetTextStr() const {
    std::string result;
    int count = GetCount();
    for (int i = 0; i < count; ++i)
        result.append(Get(i)).append(lineBreak_);
    return result;
}

void TStrings::SetTextStr(std::string_view text) {
    Updating([&] {
        Clear();
        const bool customBreak =
            !lineBreak_.empty() && lineBreak_ != "\r\n" && lineBreak_ != "\n" && lineBreak_ != "\r";
        size_t pos = 0;
        while (pos < text.size()) {
            size_t end;
            if (customBreak) {
                end = std::min(text.find(lineBreak_, pos), text.size());
                Add(std::string(text.substr(pos, end - pos)));
                pos = end == text.size() ? end : end + lineBreak_.size();
                continue;
            }
            end = std::min(text.find_first_of("\r\n", pos), text.size());
            Add(std::string(text.substr(pos, end - pos)));
            pos = end;
            if (pos < text.size() && text[pos] == '\r') ++pos;
            if (pos < text.size() && text[pos] == '\n') ++pos;
        }
    });
}

std::string TStrings::DelimitedTextWith(char delimiter, char quoteChar) const {
    int count = GetCount();
    if (count == 1 && Get(0).empty()) return std::string(2, quoteChar);
    std::string result;
    for (int i = 0; i < count; ++i) {
        std::string s = Get(i);
        bool quote = std::any_of(s.begin(), s.end(), [&](char c) {
            return c == quoteChar || c == delimiter || (!strictDelimiter_ && chars::IsBlankOrControl(c));
        });
        if (i > 0) result += delimiter;
        if (quote)
            result += QuoteItem(s, quoteChar);
        else
            result += s;
    }
    return result;
}

void TStrings::SetDelimitedTextWith(std::string_view text, char delimiter, char quoteChar) {
    const bool strict = strictDelimiter_;
    auto skipBlanks = [&](size_t& pos) {
        if (strict) return;
        while (pos < text.size() && chars::IsBlankOrControl(text[pos]))
            ++pos;
    };
    Updating([&] {
        Clear();
        size_t pos = 0;
        skipBlanks(pos);
        while (pos < text.size()) {
            if (text[pos] == quoteChar) {
                Add(ExtractQuotedItem(text, pos, quoteChar));
            } else {
                size_t start = pos;
                while (pos < text.size() && text[pos] != delimiter &&
                       (strict || !chars::IsBlankOrControl(text[pos])))
                    ++pos;
                Add(std::string(text.substr(start, pos - start)));
            }
            skipBlanks(pos);
            if (pos < text.size() && text[pos] == delimiter) {
                // A delimiter at the very end stands for a last, empty item.
                if (pos + 1 == text.size()) Add("");
                ++pos;
                skipBlanks(pos);
            }
        }
    });
}

std::string TStrings::DelimitedText() const {
    return DelimitedTextWith(delimiter_, quoteChar_);
}

void TStrings::SetDelimitedText(std::string_view text) {
    SetDelimitedTextWith(text, delimiter_, quoteChar_);
}

std::string TStrings::CommaText() const {
    return DelimitedTextWith(',', '"');
}

void TStrings::SetCommaText(std::string_view text) {
    SetDelimitedTextWith(text, ',', '"');
}

void TStrings::BeginUpdate() {
    if (updateCount_ == 0) SetUpdateState(true);
    ++updateCount_;
}

void TStrings::EndUpdate() {
    if (updateCount_ == 0) return;
    if (--updateCount_ == 0) SetUpdateState(false);
}

void TStrings::LoadFromStream(TStream& stream) {
    Updating([&] {
        std::string text = ReadToEnd(stream);
        std::string_view view = text;
        if (view.starts_with(kUtf8ByteOrderMark)) view.remove_prefix(kUtf8ByteOrderMark.size());
        SetTextStr(view);
    });
}

void TStrings::SaveToStream(TStream& stream) const {
    std::string text = GetTextStr();
    stream.WriteBuffer(text.data(), static_cast<Int64>(text.size()));
}

void TStrings::LoadFromFile(const std::string& fileName) {
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(file);
}

void TStrings::SaveToFile(const std::string& fileName) const {
    TFileStream file(fileName, fmCreate);
    SaveToStream(file);
}

void TStrings::Assign(const TPersistent* source) {
    const auto* strings = dynamic_cast<const TStrings*>(source);
    if (!strings) {
        TPersistent::Assign(source);
        return;
    }
    if (strings == this) return;
    Updating([&] {
        Clear();
        lineBreak_ = strings->lineBreak_;
        delimiter_ = strings->delimiter_;
        quoteChar_ = strings->quoteChar_;
        nameValueSeparator_ = strings->nameValueSeparator_;
        strictDelimiter_ = strings->strictDelimiter_;
        AddStrings(*strings);
    });
}

// ---------------------------------------------------------------------------------------------
// TStringList

VCL_DEFINE_CLASS(TStringList, TStrings)

TStringList::~TStringList() {
    OnChange = nullptr;
    OnChanging = nullptr;
    if (ownsObjects_)
        for (auto& item : items_)
            FreeObject(std::exchange(item.object, nullptr));
}

void TStringList::FreeObject(TObject* object) {
    if (!object) return;
    // Components tell their links and owner before they go.
    if (auto* component = dynamic_cast<TComponent*>(object))
        component->Free();
    else
        delete object;
}

void TStringList::CheckIndex(int index) const {
    if (index < 0 || index >= GetCount()) Error(kListIndexError, index);
}

void TStringList::Changing() {
    if (UpdateCount() > 0) {
        if (changingRaised_) return;
        changingRaised_ = true;
    }
    if (OnChanging) OnChanging(this);
}

void TStringList::Changed() {
    if (UpdateCount() > 0) {
        changePending_ = true;
        return;
    }
    if (OnChange) OnChange(this);
}

void TStringList::SetUpdateState(bool updating) {
    bool changed = changePending_;
    changingRaised_ = false;
    changePending_ = false;
    if (!updating && changed && OnChange) OnChange(this);
}

std::string TStringList::Get(int index) const {
    CheckIndex(index);
    return items_[static_cast<size_t>(index)].string;
}

TObject* TStringList::GetObject(int index) const {
    CheckIndex(index);
    return items_[static_cast<size_t>(index)].object;
}

void TStringList::Put(int index, const std::string& s) {
    if (sorted_) throw EStringListError(std::string(kSortedListError));
    CheckIndex(index);
    Changing();
    items_[static_cast<size_t>(index)].string = s;
    Changed();
}

void TStringList::PutObject(int index, TObject* object) {
    CheckIndex(index);
    Changing();
    items_[static_cast<size_t>(index)].object = object;
    Changed();
}

void TStringList::InsertItem(int index, const std::string& s, TObject* object) {
    Changing();
    items_.insert(items_.begin() + index, TStringItem{s, object});
    Changed();
}

int TStringList::Add(const std::string& s) {
    return AddObject(s, nullptr);
}

int TStringList::AddObject(const std::string& s, TObject* object) {
    int index = GetCount();
    if (sorted_ && Find(s, index)) {
        if (duplicates_ == dupIgnore) return index;
        if (duplicates_ == dupError) throw EStringListError(std::string(kDuplicateString));
    }
    InsertItem(index, s, object);
    return index;
}

void TStringList::Insert(int index, const std::string& s) {
    InsertObject(index, s, nullptr);
}

void TStringList::InsertObject(int index, const std::string& s, TObject* object) {
    if (sorted_) throw EStringListError(std::string(kSortedListError));
    if (index < 0 || index > GetCount()) Error(kListIndexError, index);
    InsertItem(index, s, object);
}

void TStringList::Delete(int index) {
    CheckIndex(index);
    Changing();
    TObject* object = items_[static_cast<size_t>(index)].object;
    items_.erase(items_.begin() + index);
    if (ownsObjects_) FreeObject(object);
    Changed();
}

void TStringList::Clear() {
    if (items_.empty()) return;
    Changing();
    std::vector<TStringItem> old;
    old.swap(items_);
    if (ownsObjects_)
        for (auto& item : old)
            FreeObject(item.object);
    Changed();
}

void TStringList::Exchange(int index1, int index2) {
    CheckIndex(index1);
    CheckIndex(index2);
    Changing();
    std::swap(items_[static_cast<size_t>(index1)], items_[static_cast<size_t>(index2)]);
    Changed();
}

void TStringList::Move(int curIndex, int newIndex) {
    if (curIndex == newIndex) return;
    CheckIndex(curIndex);
    CheckIndex(newIndex);
    // Moving would take the line out of its sorted place.
    if (sorted_) throw EStringListError(std::string(kSortedListError));
    Changing();
    auto first = items_.begin();
    if (curIndex < newIndex)
        std::rotate(first + curIndex, first + curIndex + 1, first + newIndex + 1);
    else
        std::rotate(first + newIndex, first + curIndex, first + curIndex + 1);
    Changed();
}

int TStringList::IndexOf(std::string_view s) const {
    if (sorted_) {
        int index;
        return Find(s, index) ? index : -1;
    }
    for (size_t i = 0; i < items_.size(); ++i)
        if (CompareStrings(items_[i].string, s) == 0) return static_cast<int>(i);
    return -1;
}

void TStringList::SetCapacity(int capacity) {
    if (capacity < GetCount() || capacity > MaxListSize) Error(kListCapacityError, capacity);
    if (capacity == GetCapacity()) return;
    std::vector<TStringItem> resized;
    resized.reserve(static_cast<size_t>(capacity));
    std::move(items_.begin(), items_.end(), std::back_inserter(resized));
    items_.swap(resized);
}

bool TStringList::Find(std::string_view s, int& index) const {
    bool found = false;
    int low = 0, high = GetCount() - 1;
    while (low <= high) {
        int middle = low + (high - low) / 2;
        int c = CompareStrings(items_[static_cast<size_t>(middle)].string, s);
        if (c < 0) {
            low = middle + 1;
        } else {
            high = middle - 1;
            if (c == 0) {
                found = true;
                if (duplicates_ != dupAccept) low = middle;
            }
        }
    }
    index = low;
    return found;
}

void TStringList::Sort() {
    CustomSort([](TStringList* list, int index1, int index2) {
        return list->CompareStrings(list->items_[static_cast<size_t>(index1)].string,
                                    list->items_[static_cast<size_t>(index2)].string);
    });
}

void TStringList::CustomSort(const TStringListSortCompare& compare) {
    if (sorted_ || GetCount() < 2 || !compare) return;
    Changing();
    detail::SortIndexed(
        GetCount(), [this, &compare](int a, int b) { return compare(this, a, b); },
        [this](int a, int b) { std::swap(items_[static_cast<size_t>(a)], items_[static_cast<size_t>(b)]); });
    Changed();
}

void TStringList::SetSorted(bool sorted) {
    if (sorted_ == sorted) return;
    if (sorted) Sort();
    sorted_ = sorted;
}

void TStringList::SetCaseSensitive(bool caseSensitive) {
    if (caseSensitive_ == caseSensitive) return;
    caseSensitive_ = caseSensitive;
    if (sorted_) {
        sorted_ = false;
        SetSorted(true);
    }
}

int TStringList::CompareStrings(std::string_view s1, std::string_view s2) const {
    return caseSensitive_ ? AnsiCompareStr(s1, s2) : AnsiCompareText(s1, s2);
}

std::string TStringList::GetTextStr() const {
    size_t total = 0;
    for (const auto& item : items_)
        total += item.string.size() + LineBreak().size();
    std::string result;
    result.reserve(total);
    for (const auto& item : items_)
        result.append(item.string).append(LineBreak());
    return result;
}

}  // namespace vcl
