// Times the windows over large inputs, on whatever Qt platform is set (offscreen works):
//   torvane-ui-bench restore-page MEMBERS [ROUNDS]
// writes an archive of MEMBERS empty members into a throw-away drive C:, then lists it into the
// Restore page ROUNDS times (default 5): the engine's listing alone, and the page's listing up
// to the repainted view. Prints each round and the medians.

#include <QApplication>
#include <QTemporaryDir>
#include <QTreeView>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "common/SilentPrompts.h"
#include "mainwindow/RestorePage.h"
#include "platform/Clock.h"
#include "platform/Host.h"

using namespace torvane;

namespace {

int usage() {
    std::fprintf(stderr, "usage: torvane-ui-bench restore-page MEMBERS [ROUNDS]\n");
    return 2;
}

void put(std::string& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(value >> (8 * i)));
}

// An archive of `count` empty stored members in nested folders, written directly: a folder of as
// many real files would cost more to make than the listing costs to time. Zip64 end records,
// since the count may pass 65,535.
void writeArchive(const std::filesystem::path& file, int count) {
    std::string local, central;
    for (int i = 0; i < count; ++i) {
        char name[48];
        const int length = std::snprintf(name, sizeof name, "home/d%03d/s%03d/f%07d.txt", i / 10000,
                                         i / 100 % 100, i);
        const std::uint64_t offset = local.size();
        put(local, 0x04034b50, 4);
        put(local, 20, 2);             // version needed
        put(local, 0, 2 + 2 + 2 + 2);  // flags, method, time, date
        put(local, 0, 4 + 4 + 4);      // crc, sizes
        put(local, static_cast<std::uint64_t>(length), 2);
        put(local, 0, 2);
        local.append(name, static_cast<size_t>(length));
        put(central, 0x02014b50, 4);
        put(central, 0x031e, 2);  // made by: Unix
        put(central, 20, 2);
        put(central, 0, 2 + 2);   // flags, method
        put(central, 0x0000, 2);  // time
        put(central, 0x5b88, 2);  // date: 2025-12-08
        put(central, 0, 4 + 4 + 4);
        put(central, static_cast<std::uint64_t>(length), 2);
        put(central, 0, 2 + 2 + 2 + 2);   // extra, comment, disk, internal
        put(central, 0100644u << 16, 4);  // external: a regular file, rw-r--r--
        put(central, offset, 4);
        central.append(name, static_cast<size_t>(length));
    }
    const std::uint64_t cdOffset = local.size();
    std::string end;
    put(end, 0x06064b50, 4);
    put(end, 44, 8);
    put(end, 0x031e, 2);
    put(end, 45, 2);
    put(end, 0, 4 + 4);
    put(end, static_cast<std::uint64_t>(count), 8);
    put(end, static_cast<std::uint64_t>(count), 8);
    put(end, central.size(), 8);
    put(end, cdOffset, 8);
    put(end, 0x07064b50, 4);
    put(end, 0, 4);
    put(end, cdOffset + central.size(), 8);
    put(end, 1, 4);
    put(end, 0x06054b50, 4);
    put(end, 0, 2 + 2);
    put(end, 0xffff, 2);
    put(end, 0xffff, 2);
    put(end, 0xffffffff, 4);
    put(end, 0xffffffff, 4);
    put(end, 0, 2);
    std::ofstream(file, std::ios::binary) << local << central << end;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || std::string(argv[1]) != "restore-page") return usage();
    const int members = std::atoi(argv[2]);
    const int rounds = argc >= 4 ? std::atoi(argv[3]) : 5;
    if (members <= 0 || rounds <= 0) return usage();
    QApplication app(argc, argv);
    QTemporaryDir temp;
    const std::filesystem::path root = temp.path().toStdString();
    std::filesystem::create_directories(root / "c/Prog");
    std::filesystem::create_directories(root / "settings");
    std::ofstream(root / "settings/Drives.ini")
        << "[Drives]\r\nC=" << (root / "c").string() << ", fixed\r\n";
    writeArchive(root / "c/MANY.zip", members);

    platform::HostConfig config;
    config.settingsFolder = root / "settings";
    config.executableFolder = root / "c/Prog";
    platform::Host host(config);
    SilentPrompts prompts;
    platform::SystemClock clock;
    Globals globals;
    AppContext context{host, prompts, clock, globals, ""};
    RestorePage page(context);
    page.resize(720, 480);
    page.show();
    QApplication::processEvents();

    std::vector<double> engine, listed;
    for (int round = 1; round <= rounds; ++round) {
        auto start = std::chrono::steady_clock::now();
        const size_t count = zip::listArchive(root / "c/MANY.zip").size();
        engine.push_back(millisecondsSince(start));
        start = std::chrono::steady_clock::now();
        page.ShowZipContents("C:\\MANY.zip");
        page.TV_Restore->repaint();
        QApplication::processEvents();
        listed.push_back(millisecondsSince(start));
        if (page.TV_Restore->model()->rowCount() != static_cast<int>(count) ||
            count != static_cast<size_t>(members)) {
            std::fprintf(stderr, "listed %d of %d members\n", page.TV_Restore->model()->rowCount(),
                         members);
            return 1;
        }
        std::printf("round %d: engine listing %.1f ms, Restore page listed and drawn %.1f ms\n",
                    round, engine.back(), listed.back());
    }
    std::printf("%d members, median of %d: engine %.1f ms, Restore page %.1f ms\n", members, rounds,
                median(engine), median(listed));
    return 0;
}
