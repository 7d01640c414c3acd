// String lists kept in the form: one list, a list of jokes, and a collection of lists.
#pragma once

#include <memory>
#include <string>

#include "orvane/zylsystem.h"
#include "vcl/classes.h"

namespace orvane {

// Holds a string list for the program.
class TZylStringHolder : public TZylSystemsComponent {
    VCL_DECLARE_CLASS(TZylStringHolder, TZylSystemsComponent)
public:
    explicit TZylStringHolder(vcl::TComponent* owner);
    ~TZylStringHolder() override;

    vcl::TStrings* Items() const { return items_.get(); }
    void SetItems(const vcl::TStrings* value) { items_->Assign(value); }

    static void Publish(vcl::Published<TZylStringHolder>& p) {
        p.Property("Items", &TZylStringHolder::Items);
    }

private:
    std::unique_ptr<vcl::TStrings> items_;
};

// Holds one-line computer jokes, 64 of them when made.
class TZylJokeHolder : public TZylSystemsComponent {
    VCL_DECLARE_CLASS(TZylJokeHolder, TZylSystemsComponent)
public:
    explicit TZylJokeHolder(vcl::TComponent* owner);
    ~TZylJokeHolder() override;

    vcl::TStrings* Items() const { return items_.get(); }
    void SetItems(const vcl::TStrings* value) { items_->Assign(value); }

    // A line chosen at random (the generator reseeded from the clock); empty when there is none.
    void Getany(std::string& Text);
    // Line Index; Text stays as it was when there is no such line.
    void Getone(vcl::Integer Index, std::string& Text) const;

    static void Publish(vcl::Published<TZylJokeHolder>& p) { p.Property("Items", &TZylJokeHolder::Items); }

private:
    std::unique_ptr<vcl::TStrings> items_;
};

// One list of a TZylMultiLists.
class TZylStringList : public vcl::TCollectionItem {
    VCL_DECLARE_CLASS(TZylStringList, vcl::TCollectionItem)
public:
    explicit TZylStringList(vcl::TCollection* collection);
    ~TZylStringList() override;

    vcl::TStrings* Strings() const { return strings_.get(); }
    void SetStrings(const vcl::TStrings* value) { strings_->Assign(value); }

    std::string DisplayName() const override { return "Stringlist"; }
    void Assign(const vcl::TPersistent* source) override;

    static void Publish(vcl::Published<TZylStringList>& p) {
        p.Property("Strings", &TZylStringList::Strings);
    }

private:
    std::unique_ptr<vcl::TStrings> strings_;
};

// A list with a flag of its own.
class TZylBetaStringList : public TZylStringList {
    VCL_DECLARE_CLASS(TZylBetaStringList, TZylStringList)
public:
    explicit TZylBetaStringList(vcl::TCollection* collection) : TZylStringList(collection) {}

    bool HasBoolean() const { return hasBoolean_; }
    void SetHasBoolean(bool value) { hasBoolean_ = value; }
    void Assign(const vcl::TPersistent* source) override;

    static void Publish(vcl::Published<TZylBetaStringList>& p) {
        p.Property("HasBoolean", &TZylBetaStringList::HasBoolean, &TZylBetaStringList::SetHasBoolean, false);
    }

private:
    bool hasBoolean_ = false;
};

class TZylStringLists : public vcl::TCollection {
    VCL_DECLARE_CLASS(TZylStringLists, vcl::TCollection)
public:
    explicit TZylStringLists(vcl::TPersistent* owner);

    TZylStringList* Add() { return static_cast<TZylStringList*>(TCollection::Add()); }
    // EListError for an index out of range.
    TZylStringList* GeTZylStringList(vcl::Integer Index) const {
        return static_cast<TZylStringList*>(Items(Index));
    }
    void SeTZylStringList(vcl::Integer Index, const TZylStringList* Value) { Items(Index)->Assign(Value); }
    vcl::TPersistent* GetOwner() const override { return owner_; }

private:
    vcl::TPersistent* owner_;
};

// Holds a collection of string lists.
class TZylMultiLists : public TZylSystemsComponent {
    VCL_DECLARE_CLASS(TZylMultiLists, TZylSystemsComponent)
public:
    explicit TZylMultiLists(vcl::TComponent* owner);
    ~TZylMultiLists() override;

    TZylStringLists* Lists() const { return lists_.get(); }
    void SetZylStringLists(TZylStringLists* value) {
        if (value && value != lists_.get()) lists_->Assign(value);
    }

    static void Publish(vcl::Published<TZylMultiLists>& p) {
        p.Property("Lists", &TZylMultiLists::Lists, &TZylMultiLists::SetZylStringLists);
    }

private:
    std::unique_ptr<TZylStringLists> lists_;
};

}  // namespace orvane
