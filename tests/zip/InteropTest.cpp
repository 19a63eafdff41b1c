#include <gtest/gtest.h>

#include <chrono>
#include <random>

#include "TempDir.h"
#include "ZipTestSupport.h"
#include "zip/ZipEngine.h"

namespace torvane::zip::test {
namespace {

using torvane::test::TempDir;
using torvane::test::writeFile;

void makeSample(const std::filesystem::path& root) {
    std::mt19937 gen(7);
    std::string noise(1'500'000, '\0');
    for (auto& c : noise) c = static_cast<char>(gen());
    std::string words;
    while (words.size() < 2'300'000)
        words += "interoperable archive " + std::to_string(words.size() % 977) + "\n";
    writeFile(root / "docs" / "words.txt", words);
    writeFile(root / "docs" / "empty.txt", "");
    writeFile(root / "media" / "noise.bin", noise);
    writeFile(root / "naïve" / "café.txt", "ünïcode");
    writeFile(root / "a" / "b" / "c" / "d.txt", "deep");
    setMtime(root / "docs", 1'000'000'000);
}

void expectSameFiles(const std::filesystem::path& expected, const std::filesystem::path& actual) {
    auto a = snapshot(expected);
    auto b = snapshot(actual);
    ASSERT_EQ(a.size(), b.size());
    for (const auto& [name, facts] : a) {
        ASSERT_TRUE(b.count(name)) << name;
        EXPECT_TRUE(b[name].content == facts.content) << name;
    }
}

TEST(Interop, OtherToolsAcceptWhatWeWrite) {
    TempDir tmp;
    makeSample(tmp / "src");
    NoEvents none;
    ASSERT_EQ(createArchive(backupOf(tmp / "src", tmp / "ours.zip"), none).status,
              Outcome::Status::Success);
    const std::string archive = quote(tmp / "ours.zip");
    if (hasTool("unzip")) {
        EXPECT_TRUE(run("unzip -t " + archive));
        ASSERT_TRUE(run("unzip -q " + archive + " -d " + quote(tmp / "by-unzip")));
        expectSameFiles(tmp / "src", tmp / "by-unzip");
    }
    if (hasTool("7z")) {
        EXPECT_TRUE(run("7z t " + archive));
    }
    if (hasTool("bsdtar")) {
        std::filesystem::create_directories(tmp / "by-bsdtar");
        ASSERT_TRUE(run("bsdtar -xf " + archive + " -C " + quote(tmp / "by-bsdtar")));
        expectSameFiles(tmp / "src", tmp / "by-bsdtar");
    }
    if (!hasTool("unzip") && !hasTool("7z")) GTEST_SKIP() << "neither unzip nor 7z installed";
}

struct Foreign {
    const char* tool;
    const char* command;  // %A archive, %S source folder (run from inside it)
    const char* archiveName;
};

TEST(Interop, WeExtractWhatOtherToolsWrite) {
    const Foreign tools[] = {
        {"zip", "zip -r -q %A .", "zip.zip"},
        {"zip", "zip -r -q -s 512k %A .", "zip-split.zip"},
        {"zip", "zip -r -q -fz %A .", "zip-zip64.zip"},
        {"7z", "7z a -tzip %A .", "7z.zip"},
        {"7z", "7z a -tzip -mm=BZip2 %A .", "7z-bzip2.zip"},
        {"bsdtar", "bsdtar --format zip -cf %A .", "bsdtar.zip"},
    };
    TempDir tmp;
    makeSample(tmp / "src");
    int ran = 0;
    for (const Foreign& f : tools) {
        SCOPED_TRACE(f.archiveName);
        if (!hasTool(f.tool)) continue;
        std::string cmd = f.command;
        cmd.replace(cmd.find("%A"), 2, quote(tmp / f.archiveName));
        ASSERT_TRUE(run("cd " + quote(tmp / "src") + " && " + cmd));
        Recorder ev;
        std::filesystem::path dst = tmp / (std::string("out-") + f.archiveName);
        RestoreRequest r{tmp / f.archiveName, dst, {}, {}, 0, {}};
        Outcome o = extractArchive(r, ev);
        ASSERT_EQ(o.status, Outcome::Status::Success) << o.reason;
        expectSameFiles(tmp / "src", dst);
        // Folders the tool stored come back with their own times, not the time of extraction.
        if (std::filesystem::exists(dst / "docs")) {
            auto kept = std::filesystem::last_write_time(tmp / "src" / "docs");
            auto back = std::filesystem::last_write_time(dst / "docs");
            EXPECT_LT(std::chrono::abs(back - kept), std::chrono::seconds(3));
        }
        ++ran;
    }
    if (ran == 0) GTEST_SKIP() << "no other zip tool installed";
}

}  // namespace
}  // namespace torvane::zip::test
