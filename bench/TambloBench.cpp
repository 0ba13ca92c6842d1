// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

// Speed of the game's own work against what the toolkit must do anyway.
// Prints Google Benchmark's table, then a summary of the ratios that matter.
#include "BareWindow.h"
#include "BenchGame.h"

#include "app/qt/SurfaceWidget.h"
#include "board/StageLayout.h"
#include "render/PhaseDisc.h"

#include <QApplication>
#include <QMenuBar>
#include <QPainter>
#include <QStyleFactory>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {
const QColor Background(0, 0, 64);

// Lets the offscreen platform expose the window, so repaints are real.
void settle()
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}
const int DiscAges[] = {0, 5, 7, 15, 22, 29};

void BM_DrawDisc(benchmark::State &state)
{
    BenchGame game(static_cast<int>(state.range(0)));
    game.form().show();
    settle();
    for (auto _ : state)
        game.form().DrawDisc();
}

// The picture written the way a program drawing pixel by pixel does it:
// the clear, then one painter call per pixel set, in the order of the
// phase rule (some pixels twice), then the refresh request.
void BM_PixelAtATime(benchmark::State &state)
{
    const int age = static_cast<int>(state.range(0));
    QImage surface(200, 450, QImage::Format_RGB32);
    QWidget widget;
    widget.resize(200, 450);
    widget.show();
    settle();
    const QColor lit(255, 255, 0);
    const QColor dark(0, 0, 0);
    for (auto _ : state) {
        surface.fill(Background);
        QPainter painter(&surface);
        const double k = PhaseDisc::terminatorFactor(age);
        const auto set = [&](int x, int y, const QColor &colour) {
            painter.setPen(colour);
            painter.drawPoint(100 + x, 100 + y);
        };
        for (int x = -50; x <= 50; ++x) {
            for (int y = -50; y <= 50; ++y) {
                if (!PhaseDisc::isInDisc(x, y))
                    continue;
                const bool inside = (k * x) * x + static_cast<double>(y * y) < 2500;
                if (age < 8) {
                    if (x >= 1) set(x, y, lit);
                    if (x < 0 || inside) set(x, y, dark);
                } else if (age < 15) {
                    set(x, y, dark);
                    if (x >= 1 || inside) set(x, y, lit);
                } else if (age < 23) {
                    if (x >= 1) set(x, y, dark);
                    if (x < 0 || inside) set(x, y, lit);
                } else {
                    set(x, y, lit);
                    if (x >= 1 || inside) set(x, y, dark);
                }
            }
        }
        painter.end();
        widget.update();
    }
}

// The least any method must do: copy the disc's square once.
void BM_CopyFloor(benchmark::State &state)
{
    std::vector<std::uint32_t> from(PhaseDisc::Side * PhaseDisc::Side, 0xFFFFFF00u);
    std::vector<std::uint32_t> to(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size() * sizeof(std::uint32_t));
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}

// A game shown on screen and played up to the benchmark's stage.
std::unique_ptr<BenchGame> gameAtStage(const benchmark::State &state)
{
    auto game = std::make_unique<BenchGame>(3);
    game->form().show();
    game->start();
    game->advanceTo(static_cast<int>(state.range(0)));
    settle();
    return game;
}

void BM_LayoutBoard(benchmark::State &state)
{
    const auto game = gameAtStage(state);
    for (auto _ : state)
        game->form().LayoutBoard();
}

// Paints the whole window now, every widget of it, as after uncovering it.
// The client area goes first: a repaint flushes everything pending in the
// window, so the other order would paint a stage's changes twice.
void repaintWindow(Form1 &form)
{
    form.clientArea()->repaint();
    form.menuBar()->repaint();
}

// A stage change as the player meets it: new disc, new board, and the
// window painted.
void BM_StageChange(benchmark::State &state)
{
    const auto game = gameAtStage(state);
    for (auto _ : state) {
        game->form().DrawDisc();
        game->form().LayoutBoard();
        repaintWindow(game->form());
    }
}

void BM_RepaintOnly(benchmark::State &state)
{
    const auto game = gameAtStage(state);
    for (auto _ : state)
        repaintWindow(game->form());
}

void BM_StartupForm1(benchmark::State &state)
{
    for (auto _ : state) {
        Form1::Seams seams;
        seams.recordPath = QStringLiteral("/nonexistent/HighScore.mtt");
        Form1 form(seams);
        form.show();
        form.repaint();
    }
}

void BM_StartupBareWindow(benchmark::State &state)
{
    for (auto _ : state) {
        BareWindow window;
        window.show();
        window.repaint();
    }
}

BENCHMARK(BM_DrawDisc)->ArgName("age")->Arg(0)->Arg(5)->Arg(7)->Arg(15)->Arg(22)->Arg(29);
BENCHMARK(BM_PixelAtATime)->ArgName("age")->Arg(0)->Arg(5)->Arg(7)->Arg(15)->Arg(22)->Arg(29);
BENCHMARK(BM_CopyFloor);
BENCHMARK(BM_LayoutBoard)->ArgName("stage")->DenseRange(0, 5);
BENCHMARK(BM_StageChange)->ArgName("stage")->Arg(0)->Arg(5);
BENCHMARK(BM_RepaintOnly)->ArgName("stage")->Arg(0)->Arg(5);
BENCHMARK(BM_StartupForm1);
BENCHMARK(BM_StartupBareWindow);

// Keeps every run's time per iteration, in nanoseconds, by name.
class Collector : public benchmark::ConsoleReporter
{
public:
    std::map<std::string, double> nanos;

    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs)
            nanos[run.benchmark_name()] = run.GetAdjustedRealTime()
                                          * benchmark::GetTimeUnitMultiplier(benchmark::kNanosecond)
                                          / benchmark::GetTimeUnitMultiplier(run.time_unit);
        ConsoleReporter::ReportRuns(runs);
    }
};

// One line per goal. A case whose benchmarks did not run (filtered out, or
// failed) says so instead of a ratio made of nothing.
void printSummary(const std::map<std::string, double> &ns)
{
    const auto get = [&](const std::string &name) -> std::optional<double> {
        const auto it = ns.find(name);
        if (it == ns.end() || !(it->second > 0))
            return std::nullopt;
        return it->second;
    };
    const auto notRun = [](const std::string &name) {
        std::printf("%-36s %10s\n", name.c_str(), "not run");
    };
    std::printf("\n%-36s %10s %12s %9s  %s\n", "case", "ours (us)", "against (us)", "ratio", "goal");
    const auto row = [&](const std::string &name, std::optional<double> ours,
                         std::optional<double> against, const char *goal) {
        if (!ours || !against)
            return notRun(name);
        std::printf("%-36s %10.2f %12.2f %9.2f  %s\n", name.c_str(), *ours / 1000, *against / 1000,
                    *ours / *against, goal);
    };
    const auto speedup = [&](const std::string &name, std::optional<double> ours,
                             std::optional<double> against) {
        if (!ours || !against)
            return notRun(name);
        std::printf("%-36s %10.2f %12.2f %8.0fx  %s\n", name.c_str(), *ours / 1000, *against / 1000,
                    *against / *ours, ">= 100x faster");
    };
    for (int age : DiscAges) {
        const std::string a = "/age:" + std::to_string(age);
        speedup("DrawDisc vs pixel at a time" + a, get("BM_DrawDisc" + a), get("BM_PixelAtATime" + a));
    }
    for (int age : DiscAges) {
        const std::string a = "/age:" + std::to_string(age);
        row("DrawDisc vs copy floor" + a, get("BM_DrawDisc" + a), get("BM_CopyFloor"), "<= 3");
    }
    for (int stage = 0; stage < StageLayout::StageCount; ++stage) {
        const std::string name = "LayoutBoard/stage:" + std::to_string(stage);
        if (const auto ours = get("BM_" + name))
            std::printf("%-36s %10.2f %12s %9s\n", name.c_str(), *ours / 1000, "-", "-");
        else
            notRun(name);
    }
    for (int stage : {0, 5}) {
        const std::string s = "/stage:" + std::to_string(stage);
        row("stage change vs repaint" + s, get("BM_StageChange" + s), get("BM_RepaintOnly" + s),
            "<= 1.5");
    }
    row("start-up vs bare window", get("BM_StartupForm1"), get("BM_StartupBareWindow"), "<= 1.3");
}
} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    benchmark::Initialize(&argc, argv);
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    printSummary(collector.nanos);
    benchmark::Shutdown();
    return 0;
}
