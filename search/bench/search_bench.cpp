// The walk's speed: files per second of ScanDirectory over a generated tree of 100,000 files in
// 10,000 folders, beside GNU find over the same host folder in the same run, and their ratio.
#include "application_search.h"
#include "records.h"
#include "search_state.h"

#include <win32sim/machine.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kTopFolders = 100;
constexpr int kSubFolders = 99; // below each top folder: 100 + 100 * 99 = 10,000 folders
constexpr int kFilesPerFolder = 10;
constexpr int kRuns = 5;

// Folder and file names as a program drive has them; a few files are programs of the table.
const char* const kVendors[] = {"Program Files", "Games", "Utils", "Media", "Tools"};
const char* const kProducts[] = {"Winamp", "Player",  "Viewer", "Office", "Browser",
                                 "Studio", "Manager", "Editor", "Radio",  "Codec"};
const char* const kParts[] = {"Plugins", "Skins", "Lang", "Help", "Data", "Bin", "Docs"};
const char* const kFiles[] = {"readme.txt", "setup.ini", "license.txt", "unins000.dat", "core.dll",
                              "ui.dll",     "icon.ico",  "history.log", "config.cfg",   "help.chm"};
const char* const kPrograms[] = {"Winamp.exe", "Player.exe", "Viewer.exe", "Radio.exe",
                                 "Browser.exe"};

class NullView : public TSearchView {
public:
    void SetRowCount(int) override {}
    void SetCell(int, int, const std::string&) override {}
    void ShowFolder(const std::string&) override {}
    void SetStatus(int, const std::string&) override {}
    bool AskYesNo(const std::string&, const std::string&) override { return false; }
    void Repaint() override {}
};

[[noreturn]] void Fail(const std::string& why) {
    std::fprintf(stderr, "search_bench: %s\n", why.c_str());
    std::exit(2);
}

void Touch(const fs::path& file) {
    std::ofstream out(file, std::ios::binary);
    if (!out)
        Fail("cannot write " + file.string());
}

std::string TopName(int top) {
    return std::string(kVendors[top % 5]) + " " + std::to_string(top);
}

std::string SubName(int top, int sub) {
    const int products = static_cast<int>(sizeof kProducts / sizeof *kProducts);
    const int parts = static_cast<int>(sizeof kParts / sizeof *kParts);
    return std::string(kProducts[(top + sub) % products]) + " " + kParts[sub % parts] + " " +
           std::to_string(sub);
}

// Every folder holds ten files; one in seven program folders holds a program of the table.
void FillFolder(const fs::path& folder, int serial) {
    fs::create_directory(folder);
    const int programs = static_cast<int>(sizeof kPrograms / sizeof *kPrograms);
    for (int i = 0; i < kFilesPerFolder; ++i) {
        if (i == 0 && serial % 7 == 0)
            Touch(folder / kPrograms[serial % programs]);
        else
            Touch(folder / kFiles[i]);
    }
}

void MakeTree(const fs::path& root) {
    int serial = 0;
    for (int top = 0; top < kTopFolders; ++top) {
        const fs::path topFolder = root / TopName(top);
        FillFolder(topFolder, serial++);
        for (int sub = 0; sub < kSubFolders; ++sub)
            FillFolder(topFolder / SubName(top, sub), serial++);
    }
}

void FillTable() {
    Search.Table.assign(sizeof kPrograms / sizeof *kPrograms + 5, TSearchAppl{});
    for (std::size_t i = 0; i < Search.Table.size(); ++i) {
        TSearchAppl& appl = Search.Table[i];
        SetField(appl.Section, "Program " + std::to_string(i));
        // The last records name programs the drive does not hold.
        SetField(appl.Name, i < sizeof kPrograms / sizeof *kPrograms
                                ? std::string(kPrograms[i])
                                : "absent" + std::to_string(i) + ".exe");
    }
    Search.ApplCount = static_cast<std::int32_t>(Search.Table.size());
}

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// One walk of drive D: the seconds it took; every record's find is forgotten first.
double TimeWalk(NullView& view) {
    for (TSearchAppl& appl : Search.Table)
        appl.Path[0] = '\0';
    Search.DirCount = 0;
    Search.FileCount = 0;
    if (!SetCurrentDirectoryA("D:\\"))
        Fail("drive D cannot be entered");
    const auto begin = std::chrono::steady_clock::now();
    ScanDirectory(view);
    const double seconds = Seconds(std::chrono::steady_clock::now() - begin);
    if (Search.FileCount != kTopFolders * (kSubFolders + 1) * kFilesPerFolder ||
        Search.DirCount != kTopFolders * (kSubFolders + 1))
        Fail("the walk counted " + std::to_string(Search.FileCount) + " files in " +
             std::to_string(Search.DirCount) + " folders");
    for (const TSearchAppl& appl : Search.Table)
        if ((appl.Path[0] != '\0') != (FieldText(appl.Name).rfind("absent", 0) != 0))
            Fail("the table was not filled as the tree says");
    return seconds;
}

// GNU find over the host folder; `action` is what it does with each file.
double TimeFind(const fs::path& root, const std::string& action) {
    const std::string command = "find '" + root.string() + "' -type f " + action + " > /dev/null";
    const auto begin = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0)
        Fail("find failed");
    return Seconds(std::chrono::steady_clock::now() - begin);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main() {
    std::string pattern = (fs::temp_directory_path() / "search-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        Fail("no temporary folder");
    const fs::path root = pattern;
    win32sim::ResetMachine();
    MakeTree(root);
    win32sim::MapDrive('D', root.string());
    Search.Reset();
    Search.StopSearch = 0;
    Search.TestStart = 0;
    FillTable();

    NullView view;
    // Plain find reads only the folders; the walk also reports each file's size and read-only
    // mark, which find gives only when it looks at every file too, as with -printf "%s %m".
    const std::string plain = "-print";
    const std::string looking = "-printf '%s %m\\n'";
    TimeWalk(view); // all warm: the host's folder cache holds the tree
    TimeFind(root, plain);
    TimeFind(root, looking);
    std::vector<double> walks;
    std::vector<double> finds;
    std::vector<double> lookingFinds;
    for (int run = 0; run < kRuns; ++run) {
        walks.push_back(TimeWalk(view));
        finds.push_back(TimeFind(root, plain));
        lookingFinds.push_back(TimeFind(root, looking));
    }
    const double files = kTopFolders * (kSubFolders + 1) * kFilesPerFolder;
    const double walkRate = files / Median(walks);
    const double findRate = files / Median(finds);
    const double lookingRate = files / Median(lookingFinds);
    std::printf("tree: %d files in %d folders; median of %d runs\n", static_cast<int>(files),
                kTopFolders * (kSubFolders + 1), kRuns);
    std::printf("ScanDirectory:             %10.0f files/s\n", walkRate);
    std::printf("GNU find -type f:          %10.0f files/s\n", findRate);
    std::printf("GNU find -printf '%%s %%m':  %10.0f files/s\n", lookingRate);
    std::printf("ratio to find -type f:     %10.2f\n", walkRate / findRate);
    std::printf("ratio to find -printf:     %10.2f (at least 0.80 is the goal)\n",
                walkRate / lookingRate);

    Search.Reset();
    win32sim::ResetMachine();
    std::error_code ignored;
    fs::remove_all(root, ignored);
    // The fair peer is find looking at each file as the walk does.
    return walkRate / lookingRate >= 0.8 ? 0 : 1;
}
