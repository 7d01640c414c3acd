// Forms at scale: a form of 205 standard controls (40 each of labels, edits, buttons, check boxes
// and panels, and 5 list boxes of 20 items, 1000 x 700) built, shown, repainted, pictured and
// freed, and show and free again with 1, 5 and 20 such forms alive. bench/qt/ holds the same
// steps for a Qt Widgets reference (see the README).
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "vcl/extctrls.h"
#include "vcl/forms.h"
#include "vcl/stdctrls.h"
#include "win32/kernel.h"

namespace {

using namespace vcl;
using Clock = std::chrono::steady_clock;

constexpr int kPerKind = 40;
constexpr int kListBoxes = 5;

struct BigForm {
    TForm* form = nullptr;
    std::vector<TEdit*> edits;
};

// Runs the event loop until no message waits.
void PumpUntilIdle() {
    for (int round = 0; round < 16; ++round) {
        Application->ProcessMessages();
        win32::MSG msg{};
        if (!win32::PeekMessage(&msg, nullptr, 0, 0, win32::PM_NOREMOVE)) return;
    }
}

// Five columns of 40 rows (label, edit, button, check box, panel), the list boxes below them.
BigForm MakeForm() {
    BigForm f;
    f.form = new TForm(Application, 0);
    f.form->SetBounds(10, 10, 1000, 700);
    f.form->Font()->SetSize(9);
    f.edits.reserve(kPerKind);
    for (int i = 0; i < kPerKind; ++i) {
        const int y = 4 + (i % 20) * 24, x = i < 20 ? 0 : 500;
        auto* label = new TLabel(f.form);
        label->SetParent(f.form);
        label->SetBounds(x + 4, y + 3, 70, 16);
        label->SetCaption("Label " + std::to_string(i));
        auto* edit = new TEdit(f.form);
        edit->SetParent(f.form);
        edit->SetBounds(x + 78, y, 100, 21);
        edit->SetText("Edit " + std::to_string(i));
        f.edits.push_back(edit);
        auto* button = new TButton(f.form);
        button->SetParent(f.form);
        button->SetBounds(x + 182, y, 90, 21);
        button->SetCaption("Button " + std::to_string(i));
        auto* check = new TCheckBox(f.form);
        check->SetParent(f.form);
        check->SetBounds(x + 276, y + 2, 100, 17);
        check->SetCaption("Check " + std::to_string(i));
        auto* panel = new TPanel(f.form);
        panel->SetParent(f.form);
        panel->SetBounds(x + 380, y, 110, 21);
        panel->SetCaption("Panel " + std::to_string(i));
    }
    for (int i = 0; i < kListBoxes; ++i) {
        auto* list = new TListBox(f.form);
        list->SetParent(f.form);
        list->SetBounds(4 + i * 198, 490, 190, 170);
        for (int item = 0; item < 20; ++item)
            list->Items()->Add("Item " + std::to_string(item));
    }
    return f;
}

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// Forms kept alive around the one measured.
std::vector<TForm*> ShownForms(int count) {
    std::vector<TForm*> forms;
    for (int i = 0; i < count; ++i) {
        BigForm f = MakeForm();
        f.form->Show();
        forms.push_back(f.form);
    }
    PumpUntilIdle();
    return forms;
}

void FreeForms(std::vector<TForm*>& forms) {
    for (TForm* form : forms)
        delete form;
    forms.clear();
    PumpUntilIdle();
}

void CreateControls(benchmark::State& state) {
    for (auto _ : state) {
        const auto start = Clock::now();
        BigForm f = MakeForm();
        state.SetIterationTime(Seconds(start));
        delete f.form;
        PumpUntilIdle();
    }
}

void ShowAndFirstPaint(benchmark::State& state) {
    std::vector<TForm*> alive = ShownForms(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        BigForm f = MakeForm();
        const auto start = Clock::now();
        f.form->Show();
        PumpUntilIdle();
        state.SetIterationTime(Seconds(start));
        delete f.form;
        PumpUntilIdle();
    }
    FreeForms(alive);
}

void SetTextsAndRepaint(benchmark::State& state) {
    BigForm f = MakeForm();
    f.form->Show();
    PumpUntilIdle();
    int round = 0;
    for (auto _ : state) {
        const std::string text = "Round " + std::to_string(++round);
        const auto start = Clock::now();
        for (TEdit* edit : f.edits)
            edit->SetText(text);
        PumpUntilIdle();
        state.SetIterationTime(Seconds(start));
    }
    delete f.form;
    PumpUntilIdle();
}

void FormImage(benchmark::State& state) {
    BigForm f = MakeForm();
    f.form->Show();
    PumpUntilIdle();
    for (auto _ : state) {
        const auto start = Clock::now();
        std::unique_ptr<TBitmap> image = f.form->GetFormImage();
        benchmark::DoNotOptimize(image.get());
        state.SetIterationTime(Seconds(start));
    }
    delete f.form;
    PumpUntilIdle();
}

void FreeForm(benchmark::State& state) {
    std::vector<TForm*> alive = ShownForms(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        BigForm f = MakeForm();
        f.form->Show();
        PumpUntilIdle();
        const auto start = Clock::now();
        delete f.form;
        PumpUntilIdle();
        state.SetIterationTime(Seconds(start));
    }
    FreeForms(alive);
}

// The number of other forms alive while the measured one is shown or freed.
void FormsAlive(benchmark::internal::Benchmark* b) {
    b->Arg(0)->Arg(1)->Arg(5)->Arg(20)->ArgName("alive");
}

BENCHMARK(CreateControls)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(ShowAndFirstPaint)->Apply(FormsAlive)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(SetTextsAndRepaint)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(FormImage)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(FreeForm)->Apply(FormsAlive)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
