// A fresh simulated machine for every test: drive C: on a temporary host folder, its own
// namespace of named objects, and message boxes that fail the test unless scripted.
#pragma once

#include "win32sim/machine.h"

#include <gtest/gtest.h>

#include <string>

class SimMachineTest : public ::testing::Test {
protected:
    // The program file and its folder (with the trailing backslash).
    static constexpr const char* kProgramPath = "C:\\Tavrin RC\\Tavrin RC.exe";
    static constexpr const char* kProgramFolder = "C:\\Tavrin RC\\";

    void SetUp() override;
    void TearDown() override;

    // A path in the program folder.
    static std::string Prog(const std::string& relative) { return kProgramFolder + relative; }

    // Writes the bytes to the file at a Windows path, creating the folders on the way.
    void PutFile(const std::string& windowsPath, const std::string& bytes);
    // The bytes of the file at a Windows path; fails the test when it does not exist.
    std::string GetFile(const std::string& windowsPath);
    bool Exists(const std::string& windowsPath);
    void MakeDir(const std::string& windowsPath);
    void Remove(const std::string& windowsPath);

    std::string hostRoot; // the host folder behind C:\ .
};
