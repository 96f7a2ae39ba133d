// RaiseException over vectored handlers, and the command line a test gives the program.
#include "sim_fixture.h"

#include "win32sim/system.h"

#include <windows.h>

#include <string>

namespace {

constexpr DWORD kThreadNaming = 0x406D1388;

LONG NTAPI ContinueThreadNaming(PEXCEPTION_POINTERS info) {
    return info->ExceptionRecord->ExceptionCode == kThreadNaming ? EXCEPTION_CONTINUE_EXECUTION
                                                                 : EXCEPTION_CONTINUE_SEARCH;
}

int searched = 0;
LONG NTAPI CountAndSearch(PEXCEPTION_POINTERS) {
    ++searched;
    return EXCEPTION_CONTINUE_SEARCH;
}

class SehTest : public SimMachineTest {};

TEST_F(SehTest, HandlerThatContinuesResumesTheCaller) {
    searched = 0;
    const PVOID counting = AddVectoredExceptionHandler(1, CountAndSearch);
    const PVOID naming = AddVectoredExceptionHandler(0, ContinueThreadNaming);
    ASSERT_NE(counting, nullptr);
    ASSERT_NE(naming, nullptr);
    const ULONG_PTR args[4] = {0x1000, 42, static_cast<ULONG_PTR>(-1), 0};
    RaiseException(kThreadNaming, 0, 4, args);
    EXPECT_EQ(searched, 1) << "the first handler was asked first";
    const auto raised = win32sim::RaisedExceptions();
    ASSERT_EQ(raised.size(), 1u);
    EXPECT_EQ(raised[0].code, kThreadNaming);
    EXPECT_EQ(raised[0].arguments, std::vector<ULONG_PTR>(args, args + 4));
    EXPECT_EQ(RemoveVectoredExceptionHandler(naming), 1u);
    EXPECT_EQ(RemoveVectoredExceptionHandler(naming), 0u);
    EXPECT_EQ(RemoveVectoredExceptionHandler(counting), 1u);
    EXPECT_EQ(AddVectoredExceptionHandler(1, nullptr), nullptr);
}

TEST(SehDeathTest, ExceptionNoHandlerContinuesEndsTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    win32sim::ResetMachine();
    EXPECT_DEATH(RaiseException(kThreadNaming, 0, 0, nullptr), "unhandled exception 0x406D1388");
    const PVOID naming = AddVectoredExceptionHandler(1, ContinueThreadNaming);
    EXPECT_DEATH(RaiseException(kThreadNaming, EXCEPTION_NONCONTINUABLE, 0, nullptr),
                 "unhandled exception");
    EXPECT_DEATH(RaiseException(0xE0000001, 0, 0, nullptr), "unhandled exception 0xE0000001");
    RemoveVectoredExceptionHandler(naming);
    win32sim::ResetMachine();
}

TEST_F(SehTest, CommandLineIsTheQuotedProgramPathUnlessSet) {
    EXPECT_EQ(std::string(GetCommandLineA()), std::string("\"") + kProgramPath + "\"");
    win32sim::SetCommandLine("\"C:\\Tavrin RC\\Orlimax.exe\" auto");
    EXPECT_STREQ(GetCommandLineA(), "\"C:\\Tavrin RC\\Orlimax.exe\" auto");
    win32sim::ResetMachine();
    win32sim::SetProgramPath(kProgramPath);
    EXPECT_EQ(std::string(GetCommandLineA()), std::string("\"") + kProgramPath + "\"");
}

} // namespace
