// Feeds arbitrary text to the form reader, both into an existing root and creating the root from
// the text. Only EReadError may come out, and whatever reads must write and read back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "support/sample_components.h"

using namespace vcl;
using namespace zyltest;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool registered = [] {
        RegisterSampleClasses();
        return true;
    }();
    (void)registered;
    std::string_view text(reinterpret_cast<const char*>(data), size);

    TComponentPtr<TSamplePanel> root(new TSamplePanel(nullptr));
    root->RegisterMethod<TNotifyEvent>("Form1Click", [](TObject*) {});
    try {
        ReadComponentText(text, root.get());
    } catch (const EReadError&) {
        if (root->ComponentCount() != 0) std::abort();  // a failed read must leave nothing behind
        return 0;
    }
    std::string written = ComponentToText(root.get());
    TComponentPtr<TSamplePanel> copy(new TSamplePanel(nullptr));
    copy->RegisterMethod<TNotifyEvent>("Form1Click", [](TObject*) {});
    ReadComponentText(written, copy.get());
    if (ComponentToText(copy.get()) != written) std::abort();

    TComponentPtr<TComponent> owner(new TComponent(nullptr));
    try {
        TextToComponent(text, owner.get());
    } catch (const EReadError&) {
        if (owner->ComponentCount() != 0) std::abort();
    }
    return 0;
}
