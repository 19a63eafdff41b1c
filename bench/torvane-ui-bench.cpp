// Times the windows over large inputs, on whatever Qt platform is set (offscreen works):
//   torvane-ui-bench restore-page MEMBERS [ROUNDS]
// writes an archive of MEMBERS empty members into a throw-away drive C:, then lists it into the
// Restore page ROUNDS times (default 5): the engine's listing alone, and the page's listing up
// to the repainted view. Prints each round and the medians.
//   torvane-ui-bench secure-page FOLDERS [ROUNDS]
// makes FOLDERS empty folders on a throw-away drive C: (a thousand to a top folder), then opens
// the main window's Secure Data page ROUNDS times, each until its first level is shown and the
// event loop runs again. Last line: secure-page folders=N first-level-ms=M (the median).
//   torvane-ui-bench restore-run ARCHIVE [ROUNDS]
// restores ARCHIVE through the Restore page and its progress window, every question answered
// as a user who goes ahead would, and with the engine alone, the two alternating, each into a
// fresh folder of a throw-away drive made next to ARCHIVE. Last line: restore-run app/engine=R
// (ratio of the medians).

#include <sys/stat.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "common/SilentPrompts.h"
#include "mainwindow/BackupPage.h"
#include "mainwindow/Frm_Mainmenu.h"
#include "mainwindow/RestorePage.h"
#include "mainwindow/SecureDataPage.h"
#include "mainwindow/SecureFolderModel.h"
#include "restore/Frm_Restore.h"
#include "platform/Clock.h"
#include "platform/Host.h"

using namespace torvane;

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: torvane-ui-bench restore-page MEMBERS [ROUNDS]\n"
                 "       torvane-ui-bench secure-page FOLDERS [ROUNDS]\n"
                 "       torvane-ui-bench restore-run ARCHIVE [ROUNDS]\n");
    return 2;
}

// A user who goes ahead: yes to every question, OK to every notice, and the one archive whenever
// a file is asked for. Every message is echoed, so an unexpected one shows in the output.
class GoAheadPrompts : public PromptService {
  public:
    explicit GoAheadPrompts(std::string archive) : archive_(std::move(archive)) {}
    MsgAnswer message(const MessageRequest& request) override {
        std::fprintf(stderr, "[%s] %s\n", request.title.c_str(), request.text.c_str());
        const bool question =
            request.buttons == MsgButtons::YesNo || request.buttons == MsgButtons::YesNoCancel;
        return question ? MsgAnswer::Yes : MsgAnswer::Ok;
    }
    std::optional<std::string> input(const std::string&, const std::string&,
                                     const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> openFile(const std::string&, const std::string&,
                                        const std::string&) override {
        return archive_;
    }

  private:
    std::string archive_;
};

// A throw-away drive C: at `root`/c (the program folder in it) with the settings beside it, and
// any further drive lines of Drives.ini.
struct Drive {
    Drive(const std::filesystem::path& root, PromptService& prompts,
          const std::string& extraDrives = "")
        : host([&] {
              std::filesystem::create_directories(root / "c/Prog");
              std::filesystem::create_directories(root / "settings");
              std::ofstream(root / "settings/Drives.ini")
                  << "[Drives]\r\nC=" << (root / "c").string() << ", fixed\r\n"
                  << extraDrives;
              platform::HostConfig config;
              config.settingsFolder = root / "settings";
              config.executableFolder = root / "c/Prog";
              return config;
          }()),
          context{host, prompts, clock, globals, ""} {
        globals.sLogFile = host.programFolder() + "\\Torvane.Log";
    }
    platform::Host host;
    platform::SystemClock clock;
    Globals globals;
    AppContext context;
};

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

int restorePage(int members, int rounds) {
    QTemporaryDir temp;
    const std::filesystem::path root = temp.path().toStdString();
    SilentPrompts prompts;
    Drive drive(root, prompts);
    writeArchive(root / "c/MANY.zip", members);
    RestorePage page(drive.context);
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

// `count` empty folders below `c`, a thousand to a top folder, made by mkdir alone: the drive
// is scaffolding, not what is timed.
void makeFolders(const std::filesystem::path& c, int count) {
    constexpr int kPerTop = 1000;
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/t%03d", i / kPerTop);
        const std::string top = c.string() + name;
        if (i % kPerTop == 0) ::mkdir(top.c_str(), 0755);
        std::snprintf(name, sizeof name, "/s%04d", i % kPerTop);
        if (::mkdir((top + name).c_str(), 0755) != 0) {
            std::perror((top + name).c_str());
            std::exit(1);
        }
    }
}

int securePage(int folders, int rounds) {
    QTemporaryDir temp;
    const std::filesystem::path root = temp.path().toStdString();
    SilentPrompts prompts;
    Drive drive(root, prompts);
    makeFolders(root / "c", folders);
    Frm_Mainmenu window(drive.context);
    window.resize(800, 600);
    window.show();
    QApplication::processEvents();

    const int tops = (folders + 999) / 1000 + 1;  // and the program folder
    std::vector<double> shown;
    for (int round = 1; round <= rounds; ++round) {
        window.TAB_Backup->setCurrentWidget(window.backupPage);
        window.securePage->folders()->clear();
        QApplication::processEvents();
        const auto start = std::chrono::steady_clock::now();
        double elapsed = 0;
        window.TAB_Backup->setCurrentWidget(window.securePage);
        // Queued behind the repaints the switch asked for: it fires once they are done.
        QTimer::singleShot(0, [&] { elapsed = millisecondsSince(start); });
        while (elapsed == 0) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        shown.push_back(elapsed);
        const int listed = window.securePage->TV_SecureMode->model()->rowCount();
        if (listed != tops || !window.securePage->TV_SecureMode->isVisible()) {
            std::fprintf(stderr, "first level shows %d of %d folders\n", listed, tops);
            return 1;
        }
        std::printf("round %d: Secure Data page shows its first level in %.1f ms\n", round,
                    shown.back());
    }
    std::printf("secure-page folders=%d first-level-ms=%.1f\n", folders, median(shown));
    return 0;
}

// Presses "&Restore Now" and returns the final status once the progress window has one, pressing
// its OK.
QString restoreNow(RestorePage& page) {
    QString status;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        Frm_Restore* progress = page.activeRestore();
        if (!progress || !progress->outcome()) return;
        status = progress->Lbl_BackupPath->text();
        timer.stop();
        progress->Cmd_Ok->click();
    });
    timer.start(5);
    page.Cmd_Restore->click();
    return status;
}

std::uintmax_t bytesBelow(const std::filesystem::path& folder) {
    std::uintmax_t bytes = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.is_regular_file()) bytes += entry.file_size();
    return bytes;
}

int restoreRun(const std::filesystem::path& archive, int rounds) {
    const std::filesystem::path near = std::filesystem::absolute(archive).parent_path();
    QTemporaryDir temp(QString::fromStdString((near / "uib-XXXXXX").string()));
    const std::filesystem::path root = temp.path().toStdString();
    std::filesystem::create_directories(root / "d");
    std::filesystem::create_hard_link(archive, root / "d/RUN.zip");
    GoAheadPrompts prompts("D:\\RUN.zip");
    Drive drive(root, prompts, "D=" + (root / "d").string() + ", fixed\r\n");
    Frm_Mainmenu window(drive.context);
    window.show();
    window.TAB_Backup->setCurrentWidget(window.restorePage);
    QApplication::processEvents();
    RestorePage& page = *window.restorePage;
    page.Cmd_RestoreFile->click();

    zip::NoEvents events;
    std::vector<double> app, engine;
    for (int round = 1; round <= rounds; ++round) {
        // Appended rather than added up: GCC 12 misreads "A" + std::string as an overlapping copy.
        std::string appFolder = "A", engineFolder = "E";
        appFolder += std::to_string(round);
        engineFolder += std::to_string(round);
        for (int turn = 0; turn < 2; ++turn) {
            const bool byApp = (turn == 0) == (round % 2 == 1);
            const std::string& folder = byApp ? appFolder : engineFolder;
            std::filesystem::create_directories(root / "c" / folder);
            ::sync();
            const auto start = std::chrono::steady_clock::now();
            if (byApp) {
                page.Fld_RestoreTo->setText(QStringLiteral("C:\\") + QString::fromStdString(folder));
                const QString status = restoreNow(page);
                app.push_back(millisecondsSince(start));
                if (status != "Restore Complete") {
                    std::fprintf(stderr, "the window's restore ended: %s\n",
                                 status.toStdString().c_str());
                    return 1;
                }
            } else {
                zip::RestoreRequest request;
                request.archive = root / "d/RUN.zip";
                request.destination = root / "c" / folder;
                const zip::Outcome outcome = zip::extractArchive(request, events);
                engine.push_back(millisecondsSince(start));
                if (outcome.status != zip::Outcome::Status::Success) {
                    std::fprintf(stderr, "the engine's restore failed: %s\n",
                                 outcome.reason.c_str());
                    return 1;
                }
            }
        }
        const std::uintmax_t appBytes = bytesBelow(root / "c" / appFolder);
        const std::uintmax_t engineBytes = bytesBelow(root / "c" / engineFolder);
        if (appBytes != engineBytes) {
            std::fprintf(stderr, "the window restored %ju bytes, the engine %ju\n", appBytes,
                         engineBytes);
            return 1;
        }
        std::printf("round %d: window %.2f s, engine %.2f s, %ju bytes each\n", round,
                    app.back() / 1000, engine.back() / 1000, appBytes);
        std::filesystem::remove_all(root / "c" / appFolder);
        std::filesystem::remove_all(root / "c" / engineFolder);
    }
    std::printf("window %.2f s, engine %.2f s (medians of %d)\n", median(app) / 1000,
                median(engine) / 1000, rounds);
    std::printf("restore-run app/engine=%.2f\n", median(app) / median(engine));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return usage();
    const std::string mode = argv[1];
    const int rounds = argc >= 4 ? std::atoi(argv[3]) : 5;
    if (rounds <= 0) return usage();
    QApplication app(argc, argv);
    // Each round as it ends, also when the output goes to a file.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (mode == "restore-run") return restoreRun(argv[2], rounds);
    const int count = std::atoi(argv[2]);
    if (count <= 0) return usage();
    if (mode == "restore-page") return restorePage(count, rounds);
    if (mode == "secure-page") return securePage(count, rounds);
    return usage();
}
