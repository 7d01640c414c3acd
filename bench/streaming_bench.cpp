// Form files of 5,000 components: writing and reading, in components per second. The reference
// in the same run is the tokenizer alone over the same text, the floor any reader pays.
#include <benchmark/benchmark.h>

#include "support/sample_components.h"

using namespace vcl;
using namespace zyltest;

namespace {

constexpr int kComponents = 5000;

TComponentPtr<TSamplePanel> BuildForm() {
    RegisterSampleClasses();
    TComponentPtr<TSamplePanel> form(new TSamplePanel(nullptr));
    form->SetName("Form1");
    form->RegisterMethod<TNotifyEvent>("Form1Click", [](TObject*) {});
    TSampleComponent* previous = nullptr;
    for (int i = 0; i < kComponents; ++i) {
        auto* s = new TSampleComponent(form.get());
        s->SetName("Component" + std::to_string(i));
        s->SetCaption("Caption of component " + std::to_string(i));
        s->SetCount(i);
        s->SetRatio(i * 0.25);
        s->SetStyle(static_cast<TSampleStyle>(i % 4));
        s->SetOptions({TSampleOption::soShadow});
        s->Font()->SetSize(8 + i % 5);
        if (i % 10 == 0) s->Lines()->SetText("alpha\nbeta\ngamma");
        if (i % 25 == 0) static_cast<TSampleItem*>(s->Items()->Add())->SetCaption("item");
        if (previous) s->SetLink(previous);
        if (i % 3 == 0) s->BindEvent("OnClick", form.get(), "Form1Click");
        previous = s;
    }
    return form;
}

const std::string& FormText() {
    static const std::string text = ComponentToText(BuildForm().get());
    return text;
}

void BM_WriteForm(benchmark::State& state) {
    auto form = BuildForm();
    for (auto _ : state)
        benchmark::DoNotOptimize(ComponentToText(form.get()));
    state.counters["components/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * (kComponents + 1), benchmark::Counter::kIsRate);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * FormText().size()));
}
BENCHMARK(BM_WriteForm)->Unit(benchmark::kMillisecond);

void BM_ReadForm(benchmark::State& state) {
    const std::string& text = FormText();
    for (auto _ : state) {
        TComponentPtr<TSamplePanel> form(new TSamplePanel(nullptr));
        form->RegisterMethod<TNotifyEvent>("Form1Click", [](TObject*) {});
        ReadComponentText(text, form.get());
        benchmark::DoNotOptimize(form->ComponentCount());
    }
    state.counters["components/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * (kComponents + 1), benchmark::Counter::kIsRate);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReadForm)->Unit(benchmark::kMillisecond);

// Reference: every token of the same text, without building anything.
void BM_TokenizeOnly(benchmark::State& state) {
    const std::string& text = FormText();
    for (auto _ : state) {
        TParser parser(text);
        size_t tokens = 0;
        while (parser.NextToken() != TTokenKind::toEOF)
            ++tokens;
        benchmark::DoNotOptimize(tokens);
    }
    state.counters["components/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * (kComponents + 1), benchmark::Counter::kIsRate);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_TokenizeOnly)->Unit(benchmark::kMillisecond);

}  // namespace
