// Simulated modules: loading by file name, exports by name and ordinal, entry point and freeing.
#include "sim_fixture.h"
#include "win32sim/modules.h"

#include <windows.h>

#include <vector>

namespace {

INT_PTR WINAPI One() {
    return 1;
}
INT_PTR WINAPI Two() {
    return 2;
}

class ModulesTest : public SimMachineTest {
protected:
    void SetUp() override {
        SimMachineTest::SetUp();
        win32sim::ModuleSpec spec;
        spec.fileName = "VarnUSB.dll";
        spec.exports = {{"One", 12, &One}, {"Two", 1, &Two}};
        spec.entry = [this](HINSTANCE, DWORD reason) {
            calls.push_back(reason);
            return attachResult;
        };
        win32sim::RegisterModule(spec);
    }

    std::vector<DWORD> calls;
    BOOL attachResult = TRUE;
};

TEST_F(ModulesTest, NamesMatchWithoutRegardToCaseFolderOrExtension) {
    const struct {
        const char* name;
        bool found;
    } cases[] = {
        {"VarnUSB.dll", true},           {"varnusb.DLL", true},  {"VarnUSB", true},
        {"C:\\Prog\\VarnUSB.dll", true}, {"VarnUSB.exe", false}, {"Other.dll", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetLastError(0);
        const HMODULE h = LoadLibraryA(c.name);
        EXPECT_EQ(h != nullptr, c.found);
        if (h != nullptr)
            EXPECT_TRUE(FreeLibrary(h));
        else
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    }
}

TEST_F(ModulesTest, ExportsByNameAndOrdinal) {
    const HMODULE h = LoadLibraryA("VarnUSB.dll");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GetProcAddress(h, "One")(), 1);
    EXPECT_EQ(GetProcAddress(h, reinterpret_cast<LPCSTR>(1))(), 2);
    EXPECT_EQ(GetProcAddress(h, reinterpret_cast<LPCSTR>(12))(), 1);
    SetLastError(0);
    EXPECT_EQ(GetProcAddress(h, "one"), nullptr); // export names are case-sensitive
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_EQ(GetProcAddress(h, reinterpret_cast<LPCSTR>(7)), nullptr);
    win32sim::RemoveModuleExport("VarnUSB.dll", "Two");
    EXPECT_EQ(GetProcAddress(h, "Two"), nullptr);
    EXPECT_TRUE(FreeLibrary(h));
}

TEST_F(ModulesTest, EntryRunsOnFirstLoadAndLastFree) {
    const HMODULE a = LoadLibraryA("VarnUSB.dll");
    const HMODULE b = LoadLibraryA("VarnUSB.dll");
    EXPECT_EQ(a, b);
    EXPECT_EQ(win32sim::ModuleLoadCount("VarnUSB.dll"), 2);
    EXPECT_EQ(calls, std::vector<DWORD>{DLL_PROCESS_ATTACH});
    EXPECT_TRUE(FreeLibrary(a));
    EXPECT_EQ(calls.size(), 1u);
    EXPECT_TRUE(FreeLibrary(b));
    EXPECT_EQ(calls, (std::vector<DWORD>{DLL_PROCESS_ATTACH, DLL_PROCESS_DETACH}));
    EXPECT_EQ(GetProcAddress(a, "One"), nullptr); // freed handles no longer resolve
    EXPECT_FALSE(FreeLibrary(a));
}

TEST_F(ModulesTest, FailedAttachFailsTheLoad) {
    attachResult = FALSE;
    SetLastError(0);
    EXPECT_EQ(LoadLibraryA("VarnUSB.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DLL_INIT_FAILED));
    EXPECT_EQ(win32sim::ModuleLoadCount("VarnUSB.dll"), 0);
}

TEST_F(ModulesTest, UnregisteredModuleStaysUsableUntilFreed) {
    const HMODULE h = LoadLibraryA("VarnUSB.dll");
    win32sim::UnregisterModule("VarnUSB.dll");
    EXPECT_EQ(LoadLibraryA("VarnUSB.dll"), nullptr);
    EXPECT_EQ(GetProcAddress(h, "One")(), 1);
    EXPECT_TRUE(FreeLibrary(h));
    EXPECT_EQ(calls.back(), static_cast<DWORD>(DLL_PROCESS_DETACH));
}

TEST_F(ModulesTest, BadArguments) {
    EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
    EXPECT_EQ(LoadLibraryA(""), nullptr);
    EXPECT_EQ(GetProcAddress(nullptr, "One"), nullptr);
    EXPECT_FALSE(FreeLibrary(nullptr));
}

} // namespace
