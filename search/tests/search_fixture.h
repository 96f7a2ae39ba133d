// A fresh simulated machine with the search program's folder, and a view that records what the
// search shows.
#pragma once

#include "application_search.h"
#include "search_state.h"

#include "toolkit_fixture.h"

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

class RecordingView : public TSearchView {
public:
    void SetRowCount(int rows) override { rowCount = rows; }
    void SetCell(int column, int row, const std::string& text) override {
        cells[{column, row}] = text;
        if (onCell)
            onCell(column, row, text);
    }
    void ShowFolder(const std::string& path) override {
        folders.push_back(path);
        if (onFolder)
            onFolder(path);
    }
    void SetStatus(int panel, const std::string& text) override { status[panel] = text; }
    bool AskYesNo(const std::string& caption, const std::string& text) override {
        questions.emplace_back(caption, text);
        EXPECT_FALSE(answers.empty()) << "unexpected question: " << text;
        if (answers.empty())
            return false;
        const bool yes = answers.front();
        answers.pop_front();
        return yes;
    }
    void Repaint() override { ++repaints; }

    std::string Cell(int column, int row) const {
        const auto found = cells.find({column, row});
        return found == cells.end() ? std::string("<unset>") : found->second;
    }

    int rowCount = -1;
    std::map<std::pair<int, int>, std::string> cells;
    std::vector<std::string> folders;
    std::map<int, std::string> status;
    std::vector<std::pair<std::string, std::string>> questions;
    std::deque<bool> answers;
    int repaints = 0;
    std::function<void(const std::string&)> onFolder;
    std::function<void(int, int, const std::string&)> onCell;
};

class SearchTest : public ToolkitTest {
protected:
    static constexpr const char* kSearchProgram = "C:\\Tavrin RC\\Orlimax.exe";

    void SetUp() override {
        ToolkitTest::SetUp();
        win32sim::SetProgramPath(kSearchProgram);
        Search.Reset();
        Search.Language = "Rus";
        Search.StopSearch = 0;
    }
    void TearDown() override {
        Search.Reset();
        ToolkitTest::TearDown();
        std::error_code ignored;
        for (const std::string& folder : driveFolders)
            std::filesystem::remove_all(folder, ignored);
    }

    // The drive letter on a host folder of its own, outside drive C.
    void MapDrive(char letter) {
        std::string pattern = (std::filesystem::temp_directory_path() / "simdrive-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        driveFolders.push_back(pattern);
        win32sim::MapDrive(letter, pattern);
    }

    void PutApplList(const std::string& text) { PutFile(Prog("appllist.ini"), text); }
    void PutLabels(const std::string& labels) {
        PutFile(Prog("Lang\\Rus.ini"), "[Labels]\r\n" + labels);
    }
    void RunSearch() { SearchApplications(Prog("appllist.ini"), view); }

    const TSearchAppl& Appl(std::size_t i) const { return Search.Table.at(i); }

    RecordingView view;
    std::vector<std::string> driveFolders;
};
