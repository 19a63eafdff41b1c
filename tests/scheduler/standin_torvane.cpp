// Stands in for the backup utility in the scheduler's end-to-end test: records how it was
// started in "started.txt" beside itself, then ends.
#include <unistd.h>

#include <filesystem>
#include <fstream>

int main(int argc, char** argv) {
    const auto folder = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    std::ofstream out(folder / "started.txt", std::ios::app);
    out << argc - 1;
    for (int i = 1; i < argc; ++i) out << '|' << argv[i];
    out << '|' << std::filesystem::current_path().string() << '\n';
    return 0;
}
