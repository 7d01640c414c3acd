#include "orvane/zyltstringholders.h"

#include "vcl/system.h"

namespace orvane {

namespace stringholders {

constexpr const char* kJokes[] = {
    "There are 10 kinds of people: those who read binary and those who do not.",
    "Asked to buy bread and, if there are eggs, twelve, the programmer brings twelve loaves.",
    "I would tell a UDP joke, but you might not get it.",
    "The best thing about a Boolean is that even when you are wrong, you are only off by a bit.",
    "Debugging: being the detective in a crime movie where you are also the murderer.",
    "It works on my machine. Then we ship your machine.",
    "Why do programmers prefer dark mode? Because light attracts bugs.",
    "A SQL query walks into a bar, goes up to two tables and asks: may I join you?",
    "Real programmers count from zero.",
    "To understand recursion, first understand recursion.",
    "There is no place like 127.0.0.1.",
    "Hardware: the part of a computer you can kick.",
    "Software and cathedrals are much the same: first we build them, then we pray.",
    "Programming is ten percent writing code and ninety percent working out why it does not run.",
    "Knock knock. Race condition. Who is there?",
    "Why did the programmer quit? He did not get arrays.",
    "Old programmers never die; they just lose their memory.",
    "The code that is hardest to debug is the code you were sure would work.",
    "One hundred little bugs in the code; fix one, compile again: one hundred and seven bugs in the code.",
    "Computers make very fast, very accurate mistakes.",
    "A byte walks into a bar looking miserable. The bartender asks: what is wrong? Parity error.",
    "Why was the computer cold? It left its Windows open.",
    "My password is the last eight digits of pi.",
    "Press any key to continue. Where is the any key?",
    "An optimist says the glass is half full; a programmer says it is twice as large as needed.",
    "Two hard problems in computing: cache invalidation, naming things and off-by-one errors.",
    "I changed my password to incorrect, so the computer tells me when I forget it.",
    "A good programmer looks both ways before crossing a one-way street.",
    "Why did the database administrator leave his partner? She had one-to-many relationships.",
    "Keyboard not found. Press F1 to continue.",
    "The computer was so fast it finished an endless loop in six seconds.",
    "Artificial intelligence is no match for natural stupidity.",
    "Never trust a computer you cannot throw out of a window.",
    "Error: no error occurred.",
    "Why do Java developers wear glasses? Because they cannot C sharp.",
    "Documentation is like a love letter to your future self, usually unanswered.",
    "Copy and paste is not a design pattern.",
    "Weeks of coding can save you hours of planning.",
    "The first rule of optimisation: do not. The second: do not yet.",
    "Any sufficiently advanced bug is indistinguishable from a feature.",
    "A user interface is like a joke: if you have to explain it, it is not that good.",
    "Deleted code is debugged code.",
    "Some people, faced with a problem, think: I will use regular expressions. Now they have two problems.",
    "In theory, theory and practice agree. In practice, they do not.",
    "The cloud is just someone else's computer.",
    "Ctrl+Z is the most used key of my life.",
    "My code does not have bugs; it develops random unexpected features.",
    "A programmer had a problem and used threads. Now problems two he has.",
    "Why did the function break up with the loop? It felt it was going round in circles.",
    "Every program has at least one bug and can be shortened by at least one line.",
    "Thus, every program can be reduced to one line that does not work.",
    "I am not lazy, I am in energy-saving mode.",
    "Home is where the Wi-Fi connects automatically.",
    "The floppy disk: the save icon's only surviving relative.",
    "Unix is user friendly; it is just selective about its friends.",
    "Why did the developer go broke? He used up all his cache.",
    "The compiler and I have an understanding: it complains, I ignore it.",
    "Please wait while the progress bar estimates how long the progress bar will take.",
    "How many programmers does it take to change a light bulb? None, that is a hardware problem.",
    "I told my computer a joke about UDP. It did not acknowledge it.",
    "The system is down; the administrator is up.",
    "Comments lie; code does not, but it does not explain itself either.",
    "Have you tried turning it off and on again?",
    "Beware of programmers who carry screwdrivers.",
};
static_assert(std::size(kJokes) == 64);

}  // namespace stringholders

// ---------------------------------------------------------------------------------------------
// TZylStringHolder

VCL_DEFINE_CLASS(TZylStringHolder, TZylSystemsComponent)

TZylStringHolder::TZylStringHolder(vcl::TComponent* owner)
    : TZylSystemsComponent(owner), items_(std::make_unique<vcl::TStringList>()) {}

TZylStringHolder::~TZylStringHolder() = default;

// ---------------------------------------------------------------------------------------------
// TZylJokeHolder

VCL_DEFINE_CLASS(TZylJokeHolder, TZylSystemsComponent)

TZylJokeHolder::TZylJokeHolder(vcl::TComponent* owner)
    : TZylSystemsComponent(owner), items_(std::make_unique<vcl::TStringList>()) {
    for (const char* joke : stringholders::kJokes)
        items_->Add(joke);
}

TZylJokeHolder::~TZylJokeHolder() = default;

void TZylJokeHolder::Getany(std::string& Text) {
    vcl::Randomize();
    Text = items_->Count() == 0 ? std::string() : items_->Strings(vcl::Random(items_->Count()));
}

void TZylJokeHolder::Getone(vcl::Integer Index, std::string& Text) const {
    if (Index >= 0 && Index < items_->Count()) Text = items_->Strings(Index);
}

// ---------------------------------------------------------------------------------------------
// The collection of lists

VCL_DEFINE_CLASS(TZylStringList, vcl::TCollectionItem)

TZylStringList::TZylStringList(vcl::TCollection* collection)
    : TCollectionItem(collection), strings_(std::make_unique<vcl::TStringList>()) {}

TZylStringList::~TZylStringList() = default;

void TZylStringList::Assign(const vcl::TPersistent* source) {
    if (const auto* list = dynamic_cast<const TZylStringList*>(source)) {
        strings_->Assign(list->Strings());
        return;
    }
    TCollectionItem::Assign(source);
}

VCL_DEFINE_CLASS(TZylBetaStringList, TZylStringList)

void TZylBetaStringList::Assign(const vcl::TPersistent* source) {
    TZylStringList::Assign(source);
    if (const auto* list = dynamic_cast<const TZylBetaStringList*>(source)) hasBoolean_ = list->HasBoolean();
}

VCL_DEFINE_CLASS(TZylStringLists, vcl::TCollection)

TZylStringLists::TZylStringLists(vcl::TPersistent* owner)
    : TCollection(TZylStringList::StaticClass()), owner_(owner) {
    SetPropName("Lists");
}

VCL_DEFINE_CLASS(TZylMultiLists, TZylSystemsComponent)

TZylMultiLists::TZylMultiLists(vcl::TComponent* owner)
    : TZylSystemsComponent(owner), lists_(std::make_unique<TZylStringLists>(this)) {}

TZylMultiLists::~TZylMultiLists() = default;

}  // namespace orvane
