// Shows what the framework can do so far: run-time library formatting, string lists, and a
// component tree written as a form file and read back. Writes showcase.dfm into the given folder.
// With --live it opens the showcase form instead and runs until it is closed.
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "live.h"

#include "vcl/classes.h"
#include "vcl/streaming.h"
#include "vcl/sysutils.h"

using namespace vcl;

namespace {

enum class TPlanet : uint8_t { pMercury, pVenus, pEarth, pMars };
VCL_ENUM_NAMES(TPlanet, "pMercury", "pVenus", "pEarth", "pMars")

class TShowcaseItem : public TCollectionItem {
    VCL_CLASS(TShowcaseItem, TCollectionItem)
public:
    explicit TShowcaseItem(TCollection* collection) : TCollectionItem(collection) {}
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& value) { caption_ = value; }
    double Distance() const { return distance_; }
    void SetDistance(double value) { distance_ = value; }

    static void Publish(Published<TShowcaseItem>& p) {
        p.Property("Caption", &TShowcaseItem::Caption, &TShowcaseItem::SetCaption);
        p.Property("Distance", &TShowcaseItem::Distance, &TShowcaseItem::SetDistance);
    }

private:
    std::string caption_;
    double distance_ = 0;
};

class TShowcase : public TComponent {
    VCL_CLASS(TShowcase, TComponent)
public:
    explicit TShowcase(TComponent* owner)
        : TComponent(owner),
          notes_(std::make_unique<TStringList>()),
          items_(std::make_unique<TOwnedCollection>(this, TShowcaseItem::StaticClass())) {
        items_->SetPropName("Items");
    }
    TPlanet Home() const { return home_; }
    void SetHome(TPlanet value) { home_ = value; }
    TStringList* Notes() const { return notes_.get(); }
    TOwnedCollection* Items() const { return items_.get(); }
    TShowcase* Partner() const { return partner_; }
    void SetPartner(TShowcase* value) {
        if (partner_) partner_->RemoveFreeNotification(this);
        partner_ = value;
        if (partner_) partner_->FreeNotification(this);
    }
    TNotifyEvent OnGreet;

    static void Publish(Published<TShowcase>& p) {
        p.Property("Home", &TShowcase::Home, &TShowcase::SetHome, TPlanet::pEarth);
        p.Property("Notes", &TShowcase::Notes);
        p.Property("Items", &TShowcase::Items);
        p.Property("Partner", &TShowcase::Partner, &TShowcase::SetPartner);
        p.Event("OnGreet", &TShowcase::OnGreet);
    }

protected:
    void Notification(TComponent* component, TOperation operation) override {
        if (operation == TOperation::opRemove && component == partner_) partner_ = nullptr;
        TComponent::Notification(component, operation);
    }

private:
    TPlanet home_ = TPlanet::pEarth;
    std::unique_ptr<TStringList> notes_;
    std::unique_ptr<TOwnedCollection> items_;
    TShowcase* partner_ = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string_view(argv[1]) == "--live") return RunLiveShowcase();
    std::filesystem::path outDir = argc > 1 ? argv[1] : ".";
    RegisterClasses({TShowcase::StaticClass(), TShowcaseItem::StaticClass()});

    std::printf("%s\n", Format("%-12s|%8.3f|%5d|%x", {"Format", 3.14159, 42, 255}).c_str());
    std::printf("FormatFloat  %s\n", FormatFloat("#,##0.00", 1234567.891).c_str());
    std::printf("Round(2.5)=%lld Round(3.5)=%lld\n", static_cast<long long>(Round(2.5)),
                static_cast<long long>(Round(3.5)));
    std::printf("Date         %s\n", FormatDateTime("dddd, mmmm d, yyyy", EncodeDate(2026, 12, 8)).c_str());

    TComponentPtr<TShowcase> root(new TShowcase(nullptr));
    root->SetName("Solar");
    root->RegisterMethod<TNotifyEvent>("SolarGreet", [](TObject*) { std::printf("Hello from an event\n"); });
    root->Notes()->SetText("The inner planets\r\nin order");
    const std::pair<const char*, double> planets[] = {{"Mercury", 0.39}, {"Venus", 0.72}, {"Earth", 1.0}};
    for (auto& [name, distance] : planets) {
        auto* item = static_cast<TShowcaseItem*>(root->Items()->Add());
        item->SetCaption(name);
        item->SetDistance(distance);
    }
    auto* mars = new TShowcase(root.get());
    mars->SetName("Mars");
    mars->SetHome(TPlanet::pMars);
    mars->SetPartner(root.get());
    root->BindEvent("OnGreet", root.get(), "SolarGreet");

    std::string text = ComponentToText(root.get());
    std::printf("\n%s\n", text.c_str());
    std::filesystem::create_directories(outDir);
    WriteComponentFile((outDir / "showcase.dfm").string(), root.get());

    TComponentPtr<TShowcase> copy(new TShowcase(nullptr));
    copy->RegisterMethod<TNotifyEvent>("SolarGreet", [](TObject*) { std::printf("Hello from the copy\n"); });
    ReadComponentFile((outDir / "showcase.dfm").string(), copy.get());
    if (copy->OnGreet) copy->OnGreet(copy.get());
    bool same = ComponentToText(copy.get()) == text;
    std::printf("Read back %d components; round trip %s\n", copy->ComponentCount() + 1,
                same ? "identical" : "DIFFERENT");
    return same ? 0 : 1;
}
