// Ownership, names, notification and the class registry.
#include <gtest/gtest.h>

#include "support/sample_components.h"
#include "vcl/menus.h"

using namespace vcl;
using namespace zyltest;

namespace {

// Records its destruction so that tests can see the order in which an owner frees.
class TTracked : public TComponent {
    VCL_CLASS(TTracked, TComponent)
public:
    TTracked(TComponent* owner, std::vector<std::string>* log) : TComponent(owner), log_(log) {}
    explicit TTracked(TComponent* owner) : TTracked(owner, nullptr) {}
    ~TTracked() override {
        if (log_) log_->push_back(Name());
    }

protected:
    void Notification(TComponent* component, TOperation operation) override {
        if (log_ && operation == TOperation::opInsert)
            log_->push_back(Name() + " heard " + component->ClassName().data());
        TComponent::Notification(component, operation);
    }

private:
    std::vector<std::string>* log_;
};

template <typename T>
T* Named(TComponent* owner, const std::string& name) {
    auto* component = new T(owner);
    component->SetName(name);
    return component;
}

}  // namespace

TEST(Components, OwnerFreesOwnedComponentsLastFirst) {
    std::vector<std::string> log;
    auto* owner = new TTracked(nullptr, &log);
    owner->SetName("Owner");
    for (const char* name : {"A", "B", "C"})
        (new TTracked(owner, &log))->SetName(name);
    log.clear();
    owner->Free();
    EXPECT_EQ(log, (std::vector<std::string>{"C", "B", "A", "Owner"}));
}

TEST(Components, OwnerHearsOfInsertionAndItsComponentsToo) {
    std::vector<std::string> log;
    TComponentPtr<TTracked> owner(new TTracked(nullptr, &log));
    owner->SetName("Owner");
    auto* first = new TTracked(owner.get(), &log);
    first->SetName("First");
    log.clear();
    new TComponent(owner.get());
    EXPECT_EQ(log, (std::vector<std::string>{"Owner heard TComponent", "First heard TComponent"}));
}

namespace {

// Refuses every later sibling, as a component that cannot work beside another does.
class TRefusingSibling : public TComponent {
    VCL_CLASS(TRefusingSibling, TComponent)
public:
    explicit TRefusingSibling(TComponent* owner) : TComponent(owner) {}

protected:
    void Notification(TComponent* component, TOperation operation) override {
        TComponent::Notification(component, operation);
        if (operation == TOperation::opInsert && component != this) throw EComponentError("refused");
    }
};

// Sees its owned parts from BeforeDestruction, before anybody has been told.
class TUndoingComponent : public TComponent {
    VCL_CLASS(TUndoingComponent, TComponent)
public:
    TUndoingComponent(TComponent* owner, std::vector<std::string>* log) : TComponent(owner), log_(log) {
        part_ = new TTracked(this, log);
        part_->SetName("Part");
    }

protected:
    void BeforeDestruction() override {
        log_->push_back(std::string("before, part ") + (part_->IsDestroying() ? "going" : "whole"));
    }

private:
    std::vector<std::string>* log_;
    TTracked* part_;
};

TEST(Components, BeforeDestructionRunsFirstWhileOwnedPartsAreWhole) {
    std::vector<std::string> log;
    auto* undoer = new TUndoingComponent(nullptr, &log);
    log.clear();
    undoer->Free();
    EXPECT_EQ(log, (std::vector<std::string>{"before, part whole", "Part"}));
}

TEST(Components, AHeldBackInsertionIsAnnouncedOnceTheClassIsKnown) {
    std::vector<std::string> log;
    TComponentPtr<TTracked> owner(new TTracked(nullptr, &log));
    owner->SetName("Owner");
    new TMainMenu(owner.get());
    EXPECT_EQ(log, std::vector<std::string>{"Owner heard TMainMenu"});
    // Refused once whole, it leaves the owner as if never made.
    new TRefusingSibling(owner.get());
    EXPECT_THROW(new TMainMenu(owner.get()), EComponentError);
    EXPECT_EQ(owner->ComponentCount(), 2);
}

TEST(Components, AnInsertionARefusalEndsIsUndone) {
    TComponentPtr<TComponent> owner(new TComponent(nullptr));
    new TRefusingSibling(owner.get());
    EXPECT_THROW(new TTracked(owner.get()), EComponentError);
    // The failed component left no trace: the owner holds the refuser alone.
    ASSERT_EQ(owner->ComponentCount(), 1);
    EXPECT_NE(dynamic_cast<TRefusingSibling*>(owner->Components(0)), nullptr);
}

}  // namespace

TEST(Components, NamesAreUniqueIdentifiersWithinTheOwner) {
    TComponentPtr<TComponent> owner(new TComponent(nullptr));
    auto* a = Named<TComponent>(owner.get(), "Button1");
    auto* b = new TComponent(owner.get());
    try {
        b->SetName("BUTTON1");
        FAIL() << "duplicate accepted";
    } catch (const EComponentError& e) {
        EXPECT_EQ(e.Message(), "A component named BUTTON1 already exists");
    }
    EXPECT_EQ(b->Name(), "");
    for (const char* bad : {"1abc", "a b", "a-b", "é"}) {
        try {
            b->SetName(bad);
            FAIL() << bad;
        } catch (const EComponentError& e) {
            EXPECT_EQ(e.Message(), Format("'%s' is not a valid component name", {bad}));
        }
    }
    a->SetName("BUTTON1");  // a change of case only is no clash with itself
    EXPECT_EQ(owner->FindComponent("button1"), a);
    a->SetName("Renamed");
    EXPECT_EQ(owner->FindComponent("Button1"), nullptr);
    EXPECT_EQ(owner->FindComponent("renamed"), a);
    b->SetName("Button1");  // the old name is free again
    EXPECT_EQ(owner->FindComponent("BUTTON1"), b);
    b->Free();
    EXPECT_EQ(owner->FindComponent("Button1"), nullptr);
    // Components without an owner may share names.
    TComponentPtr<TComponent> loose1(Named<TComponent>(nullptr, "Same"));
    TComponentPtr<TComponent> loose2(Named<TComponent>(nullptr, "Same"));
    EXPECT_EQ(loose2->Name(), "Same");
}

TEST(Components, ListAccessAndIndexes) {
    TComponentPtr<TComponent> owner(new TComponent(nullptr));
    auto* a = Named<TComponent>(owner.get(), "A");
    auto* b = Named<TComponent>(owner.get(), "B");
    auto* c = Named<TComponent>(owner.get(), "C");
    EXPECT_EQ(owner->ComponentCount(), 3);
    EXPECT_EQ(c->ComponentIndex(), 2);
    c->SetComponentIndex(0);
    EXPECT_EQ(owner->Components(0), c);
    EXPECT_EQ(owner->Components(1), a);
    b->SetComponentIndex(99);  // clamped to the end
    EXPECT_EQ(owner->Components(2), b);
    try {
        owner->Components(3);
        FAIL();
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message(), "List index out of bounds (3)");
    }
    EXPECT_THROW(owner->Components(-1), EListError);
    owner->RemoveComponent(a);
    EXPECT_EQ(a->Owner(), nullptr);
    EXPECT_EQ(owner->FindComponent("A"), nullptr);
    TComponentPtr<TComponent> other(new TComponent(nullptr));
    other->InsertComponent(a);
    EXPECT_EQ(a->Owner(), other.get());
    EXPECT_EQ(other->FindComponent("a"), a);
}

TEST(Components, LinkIsToldWhileTheLinkedComponentIsWhole) {
    std::vector<std::string> log;
    TComponentPtr<TComponent> formA(new TComponent(nullptr));
    TComponentPtr<TComponent> formB(new TComponent(nullptr));
    auto* user = Named<TSampleComponent>(formA.get(), "User");
    auto* target = Named<TSampleComponent>(formB.get(), "Target");
    target->SetCaption("still here");
    user->notificationLog = &log;
    user->SetLink(target);
    target->Free();
    EXPECT_EQ(user->Link(), nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"User -Target", "User saw still here"}));
}

TEST(Components, LinksAreMutualSoEitherSideMayGoFirst) {
    TComponentPtr<TComponent> formA(new TComponent(nullptr));
    TComponentPtr<TComponent> formB(new TComponent(nullptr));
    auto* user = Named<TSampleComponent>(formA.get(), "User");
    auto* target = Named<TSampleComponent>(formB.get(), "Target");
    user->SetLink(target);
    user->Free();    // target must forget the listener ...
    target->Free();  // ... or this would tell a freed object (AddressSanitizer watches)
    SUCCEED();
}

TEST(Components, SiblingsHearOfRemovalAndOwnedComponentsSeeDestroying) {
    std::vector<std::string> log;
    TComponentPtr<TComponent> form(new TComponent(nullptr));
    auto* listener = Named<TSampleComponent>(form.get(), "Listener");
    auto* other = Named<TSampleComponent>(form.get(), "Other");
    listener->notificationLog = &log;
    other->Free();
    EXPECT_EQ(log, (std::vector<std::string>{"Listener -Other"}));

    auto* parent = Named<TComponent>(nullptr, "Parent");
    auto* child = Named<TSampleComponent>(parent, "Child");
    auto* watcher = Named<TSampleComponent>(parent, "Watcher");
    watcher->SetLink(child);
    child->notificationLog = &log;
    parent->Free();  // the watcher was freed first; the child must not tell it anything
    SUCCEED();
}

TEST(Components, DeleteWithoutFreeStillUnlinks) {
    TComponentPtr<TComponent> owner(new TComponent(nullptr));
    auto* child = Named<TSampleComponent>(owner.get(), "Child");
    delete child;
    EXPECT_EQ(owner->ComponentCount(), 0);
    EXPECT_EQ(owner->FindComponent("Child"), nullptr);
}

TEST(Components, DesigningStateReachesOwnedComponents) {
    TComponentPtr<TComponent> owner(new TComponent(nullptr));
    auto* before = new TComponent(owner.get());
    owner->SetDesigning(true);
    auto* after = new TComponent(owner.get());
    EXPECT_TRUE(before->Designing());
    EXPECT_TRUE(after->Designing());
    owner->SetDesigning(false);
    EXPECT_FALSE(after->ComponentState().Contains(csDesigning));
}

TEST(ClassRegistry, FindsClassesByNameIgnoringCase) {
    RegisterSampleClasses();
    EXPECT_EQ(FindClass("tsamplecomponent"), TSampleComponent::StaticClass());
    EXPECT_EQ(GetClass("TNoSuchThing"), nullptr);
    try {
        FindClass("TNoSuchThing");
        FAIL();
    } catch (const EClassNotFound& e) {
        EXPECT_EQ(e.Message(), "Class TNoSuchThing not found");
    }
    EXPECT_TRUE(TSamplePanel::StaticClass()->InheritsFrom(TComponent::StaticClass()));
    EXPECT_FALSE(TSampleFont::StaticClass()->InheritsFrom(TComponent::StaticClass()));
    TComponentPtr<TComponent> created(CreateComponent(FindClass("TSamplePanel"), nullptr));
    EXPECT_EQ(created->ClassName(), "TSamplePanel");
    EXPECT_THROW(CreateComponent(TSampleFont::StaticClass(), nullptr), EComponentError);
}

TEST(ClassRegistry, PublishedPropertiesComeAncestorsFirst) {
    const TPropList& props = TSamplePanel::StaticClass()->Properties();
    ASSERT_GE(props.size(), 3u);
    EXPECT_EQ(props[0]->name, "Name");
    EXPECT_EQ(props[1]->name, "Tag");
    EXPECT_EQ(props[2]->name, "Caption");
    EXPECT_EQ(TSamplePanel::StaticClass()->FindProperty("caption")->kind, TTypeKind::tkString);
    EXPECT_EQ(TSamplePanel::StaticClass()->FindProperty("Nope"), nullptr);
}

TEST(Persistent, AssignCopiesOrExplainsWhyNot) {
    TSampleFont a, b;
    a.SetName("Courier New");
    a.SetSize(12);
    a.SetStyle({TSampleFontStyle::fsBold});
    b.Assign(&a);
    EXPECT_EQ(b.Name(), "Courier New");
    EXPECT_EQ(b.Size(), 12);
    EXPECT_TRUE(b.Style().Contains(TSampleFontStyle::fsBold));

    TStringList list;
    try {
        b.Assign(&list);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a TStringList to a TSampleFont");
    }
    try {
        b.Assign(nullptr);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a nil to a TSampleFont");
    }
}

TEST(Persistent, AssignPublishedCopiesValuesSubObjectsAndLinks) {
    TComponentPtr<TComponent> form(new TComponent(nullptr));
    auto* source = Named<TSampleComponent>(form.get(), "Source");
    auto* dest = Named<TSampleComponent>(form.get(), "Dest");
    auto* target = Named<TSampleComponent>(form.get(), "Target");
    source->SetCaption("hello");
    source->SetStyle(TSampleStyle::stFancy);
    source->Font()->SetSize(20);
    source->Lines()->Add("line");
    source->SetLink(target);
    AssignPublished(dest, source);
    EXPECT_EQ(dest->Name(), "Dest");  // names are not copied: they are not stored
    EXPECT_EQ(dest->Caption(), "hello");
    EXPECT_EQ(dest->Style(), TSampleStyle::stFancy);
    EXPECT_EQ(dest->Font()->Size(), 20);
    EXPECT_NE(dest->Font(), source->Font());
    EXPECT_EQ(dest->Lines()->Count(), 1);
    EXPECT_EQ(dest->Link(), target);
}
