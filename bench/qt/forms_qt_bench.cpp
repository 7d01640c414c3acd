// The reference for forms_bench: the same form (40 each of labels, line edits, push buttons, check
// boxes and framed panels, 5 list widgets of 20 items, 1000 x 700) in Qt Widgets on the offscreen
// platform with the Fusion style, timed through the same steps.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QStyleFactory>
#include <QWidget>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPerKind = 40;
constexpr int kListBoxes = 5;

struct BigForm {
    QWidget* form = nullptr;
    std::vector<QLineEdit*> edits;
};

void PumpUntilIdle() {
    QApplication::processEvents(QEventLoop::AllEvents);
    QApplication::sendPostedEvents();
    QApplication::processEvents(QEventLoop::AllEvents);
}

BigForm MakeForm() {
    BigForm f;
    f.form = new QWidget;
    f.form->setGeometry(10, 10, 1000, 700);
    QFont font = f.form->font();
    font.setPointSize(9);
    f.form->setFont(font);
    for (int i = 0; i < kPerKind; ++i) {
        const int y = 4 + (i % 20) * 24, x = i < 20 ? 0 : 500;
        auto* label = new QLabel(QString("Label %1").arg(i), f.form);
        label->setGeometry(x + 4, y + 3, 70, 16);
        auto* edit = new QLineEdit(QString("Edit %1").arg(i), f.form);
        edit->setGeometry(x + 78, y, 100, 21);
        f.edits.push_back(edit);
        auto* button = new QPushButton(QString("Button %1").arg(i), f.form);
        button->setGeometry(x + 182, y, 90, 21);
        auto* check = new QCheckBox(QString("Check %1").arg(i), f.form);
        check->setGeometry(x + 276, y + 2, 100, 17);
        auto* panel = new QFrame(f.form);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Raised);
        panel->setGeometry(x + 380, y, 110, 21);
        auto* caption = new QLabel(QString("Panel %1").arg(i), panel);
        caption->setAlignment(Qt::AlignCenter);
        caption->setGeometry(2, 2, 106, 17);
    }
    for (int i = 0; i < kListBoxes; ++i) {
        auto* list = new QListWidget(f.form);
        list->setGeometry(4 + i * 198, 490, 190, 170);
        for (int item = 0; item < 20; ++item)
            list->addItem(QString("Item %1").arg(item));
    }
    return f;
}

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

std::vector<QWidget*> ShownForms(int count) {
    std::vector<QWidget*> forms;
    for (int i = 0; i < count; ++i) {
        BigForm f = MakeForm();
        f.form->show();
        forms.push_back(f.form);
    }
    PumpUntilIdle();
    return forms;
}

void FreeForms(std::vector<QWidget*>& forms) {
    for (QWidget* form : forms)
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
    std::vector<QWidget*> alive = ShownForms(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        BigForm f = MakeForm();
        const auto start = Clock::now();
        f.form->show();
        PumpUntilIdle();
        state.SetIterationTime(Seconds(start));
        delete f.form;
        PumpUntilIdle();
    }
    FreeForms(alive);
}

void SetTextsAndRepaint(benchmark::State& state) {
    BigForm f = MakeForm();
    f.form->show();
    PumpUntilIdle();
    int round = 0;
    for (auto _ : state) {
        const QString text = QString("Round %1").arg(++round);
        const auto start = Clock::now();
        for (QLineEdit* edit : f.edits)
            edit->setText(text);
        PumpUntilIdle();
        state.SetIterationTime(Seconds(start));
    }
    delete f.form;
    PumpUntilIdle();
}

void FormImage(benchmark::State& state) {
    BigForm f = MakeForm();
    f.form->show();
    PumpUntilIdle();
    for (auto _ : state) {
        const auto start = Clock::now();
        QImage image = f.form->grab().toImage();
        benchmark::DoNotOptimize(image.bits());
        state.SetIterationTime(Seconds(start));
    }
    delete f.form;
    PumpUntilIdle();
}

void FreeForm(benchmark::State& state) {
    std::vector<QWidget*> alive = ShownForms(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        BigForm f = MakeForm();
        f.form->show();
        PumpUntilIdle();
        const auto start = Clock::now();
        delete f.form;
        PumpUntilIdle();
        state.SetIterationTime(Seconds(start));
    }
    FreeForms(alive);
}

void FormsAlive(benchmark::internal::Benchmark* b) {
    b->Arg(0)->Arg(1)->Arg(5)->Arg(20)->ArgName("alive");
}

BENCHMARK(CreateControls)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(ShowAndFirstPaint)->Apply(FormsAlive)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(SetTextsAndRepaint)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(FormImage)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(FreeForm)->Apply(FormsAlive)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
