// What a panel-sized tree costs to lay out and paint; with --png DIR, the tree as pictures.
#include "sample_tree.h"
#include "platform/linux/plain_main_queue.h"
#include "ui/painting_thread.h"
#include "ui/view_host.h"
#include "views/battery_popup_view.h"

#include <QApplication>
#include <QDir>

#include "platform/fake/child_process_launchers.h"

#include <benchmark/benchmark.h>

namespace {

// Renders as the panel's window does: builds the views here, lays them out and paints them on
// the painting thread while this one waits, and runs their appear actions. With `onlyChanges`,
// it paints only where the views draw differently from the last render.
void render(ui::ViewHost& host, QImage& image, bool onlyChanges = false)
{
    const ui::View root = host.build(ui::ColorScheme::Light, 0);
    ui::runOnPaintingThread([&] {
        host.layOut(root, {320, 480});
        const QRectF changed = onlyChanges ? host.changedBounds() : QRectF(0, 0, 320, 480);
        QPainter painter(&image);
        painter.setClipRect(changed);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(changed, Qt::transparent);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        host.paint(painter, ui::ColorScheme::Light);
    });
    host.runAppearActions();
}

// Renders a 320 x 480 point view whole at the scale given by the benchmark's first argument.
// With a second argument of 1, each render is the first after the panel opened: the painting
// thread ended as the panel last closed, and with it the fonts and drawings it kept.
void renderRepeatedly(benchmark::State& state, const ui::ViewHost::Body& body)
{
    const double scale = double(state.range(0));
    const bool opening = state.range(1) == 1;
    QImage image(QSize(320, 480) * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    ui::ViewHost host(body);
    for (auto _ : state) {
        if (opening) {
            state.PauseTiming();
            ui::endPaintingThread();
            state.ResumeTiming();
        }
        render(host, image);
    }
    state.SetLabel("scale " + std::to_string(int(scale)) + (opening ? ", just opened" : ""));
}

void layOutAndPaintPanel(benchmark::State& state)
{
    renderRepeatedly(state, [](ui::ColorScheme scheme) { return sample::panel(scheme); });
}
BENCHMARK(layOutAndPaintPanel)->Args({1, 0})->Args({2, 0})->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

// A monitor that starts no profiler, its fields set by hand.
std::shared_ptr<monitor::BatteryMonitor> idleMonitor()
{
    return monitor::BatteryMonitor::create({
        .computerName = [] { return std::optional<std::string>("Giulia's ThinkPad"); },
        .childProcesses = std::make_shared<platform::NoChildren>(),
        .mainQueue = std::make_shared<platform::PlainMainQueue>(),
        .profilerPath = "/unused",
    });
}

// The battery panel itself, charging, as the popover shows it.
void layOutAndPaintBatteryPanel(benchmark::State& state)
{
    const auto monitor = idleMonitor();
    monitor->setPercentage(72);
    monitor->setIsCharging(true);
    monitor->setModelName("ThinkPad X1 Carbon Gen 9");
    monitor->setChipName("Intel Core i7-1165G7");
    monitor->setMemorySize("16 GB");
    renderRepeatedly(state, [&](ui::ColorScheme scheme) { return views::BatteryPopupView(*monitor, scheme, [] {}, [] {}); });
}
BENCHMARK(layOutAndPaintBatteryPanel)->Args({1, 0})->Args({2, 0})->Args({2, 1})->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

// A change in the monitor as the open panel meets it: the level moves up by one and the host
// renders again, keeping its state, and paints what changed.
void repaintAfterAChange(benchmark::State& state)
{
    const auto monitor = idleMonitor();
    monitor->setIsCharging(false);
    QImage image(QSize(320, 480) * 2, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    ui::ViewHost host([&](ui::ColorScheme scheme) { return views::BatteryPopupView(*monitor, scheme, [] {}, [] {}); });
    std::int64_t level = 72;
    for (auto _ : state) {
        // Always a level not seen just before, so nothing comes from the effects' caches.
        monitor->setPercentage(level = level % 100 + 1);
        render(host, image, true);
    }
    const QRectF changed = host.changedBounds();
    state.SetLabel("scale 2, " + std::to_string(int(std::lround(100 * changed.width() * changed.height() / (320 * 480))))
                   + "% of the panel painted");
}
BENCHMARK(repaintAfterAChange)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc == 3 && QString(argv[1]) == QLatin1String("--png")) {
        const QDir directory(argv[2]);
        for (const auto scheme : {ui::ColorScheme::Light, ui::ColorScheme::Dark}) {
            QImage image(QSize(320, 480) * 2, QImage::Format_ARGB32_Premultiplied);
            image.fill(scheme == ui::ColorScheme::Dark ? QColor(40, 40, 44) : QColor(246, 246, 248));
            image.setDevicePixelRatio(2);
            QPainter painter(&image);
            ui::ViewHost host([](ui::ColorScheme s) { return sample::panel(s); });
            host.render(painter, {320, 480}, scheme, 0);
            painter.end();
            image.save(directory.filePath(scheme == ui::ColorScheme::Dark ? "view-layer-sample-dark.png" : "view-layer-sample-light.png"));
        }
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
