// Times the scheduler's store operations on a schedule of N events: loading it (into a plain list
// and into the window's list widget), deleting the first event, adding one at the end, and the
// timer's one-value write. Prints the median of each over the rounds.
#include <QApplication>
#include <QTreeWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/SettingsStore.h"
#include "scheduler/TreeScheduleList.h"
#include "scheduler/clsRegistry.h"

using namespace torvane;
using namespace torvane::scheduler;
namespace fs = std::filesystem;

namespace {

std::string storeText(int events) {
    static const char* const kFrequencies[] = {"Daily", "Weekdays", "Weekly", "Bi-Weekly", "Monthly"};
    std::string text = "[Paths]\r\nTorvane=C:\\Torvane\\Torvane.exe\r\n";
    for (int n = 1; n <= events; ++n) {
        char entry[256];
        std::snprintf(entry, sizeof entry,
                      "[Item%d]\r\nBackupSet=SET%05d.INI\r\nSchedule=%s\r\nDate=%02d/%02d/2027\r\n"
                      "Time=%02d:%02d\r\nStatus=Enabled\r\n",
                      n, n, kFrequencies[n % 5], 1 + n % 28, 1 + n % 12, n % 24, n % 60);
        text += entry;
    }
    return text;
}

double seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::atoi(argv[1]) < 1) {
        std::fprintf(stderr, "usage: schedule-bench EVENTS [ROUNDS]\n");
        return 2;
    }
    const int events = std::atoi(argv[1]);
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);

    std::string pattern = (fs::temp_directory_path() / "schedule-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return 1;
    const fs::path folder = pattern;
    const fs::path file = folder / "Torvane Scheduler.ini";
    const std::string text = storeText(events);

    std::vector<double> load, windowLoad, deleteFirst, add, tick;
    for (int round = 0; round < rounds; ++round) {
        std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
        platform::SettingsStore store(folder, "Torvane Scheduler");
        clsRegistry registry(store);

        VectorScheduleList list;
        load.push_back(seconds([&] { registry.Load(list); }));
        QTreeWidget tree;
        TreeScheduleList shown(tree);
        windowLoad.push_back(seconds([&] { registry.Load(shown); }));
        if (list.count() != events || shown.count() != events) {
            std::fprintf(stderr, "loaded %d and %d of %d events\n", list.count(), shown.count(), events);
            return 1;
        }
        deleteFirst.push_back(seconds([&] {
            registry.DeleteEntry(1, list);
            list.removeRow(1);
        }));
        bool added = false;
        add.push_back(seconds([&] { added = registry.SaveNewEntry(list.count() + 1, list.row(1)); }));
        if (!added) {
            std::fprintf(stderr, "the new event was refused\n");
            return 1;
        }
        tick.push_back(seconds([&] { registry.SaveValue(events / 2, "Date", "01/01/2028"); }));
    }
    fs::remove_all(folder);
    std::printf("events=%d rounds=%d load-s=%.4f window-load-s=%.4f delete-first-s=%.4f add-s=%.4f tick-write-s=%.4f\n",
                events, rounds, median(load), median(windowLoad), median(deleteFirst), median(add),
                median(tick));
    return 0;
}
