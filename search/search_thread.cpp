// The search worker and the naming of its thread for a debugger.
#include "search_thread.h"

#include "program_folder.h"

#include <windows.h>

namespace {

constexpr DWORD kThreadNamingException = 0x406D1388;

#pragma pack(push, 8)
struct TThreadNameInfo {
    DWORD dwType; // 0x1000
    LPCSTR szName;
    DWORD dwThreadID; // -1: the calling thread
    DWORD dwFlags;
};
#pragma pack(pop)

// A debugger sees the exception first and takes the name; without one it ends here.
LONG NTAPI SwallowThreadNaming(PEXCEPTION_POINTERS info) {
    return info->ExceptionRecord->ExceptionCode == kThreadNamingException
               ? EXCEPTION_CONTINUE_EXECUTION
               : EXCEPTION_CONTINUE_SEARCH;
}

} // namespace

void NameThreadForDebugger(const char* name) {
    TThreadNameInfo info;
    info.dwType = 0x1000;
    info.szName = name;
    info.dwThreadID = static_cast<DWORD>(-1);
    info.dwFlags = 0;
    const PVOID handler = AddVectoredExceptionHandler(1, SwallowThreadNaming);
    if (handler == nullptr)
        return;
    RaiseException(kThreadNamingException, 0, sizeof info / sizeof(ULONG_PTR),
                   reinterpret_cast<const ULONG_PTR*>(&info));
    RemoveVectoredExceptionHandler(handler);
}

// Hands each call of the search to the window through Synchronize.
class TSearchThread::TSynchronizedView : public TSearchView {
public:
    TSynchronizedView(TSearchThread& thread, TSearchView& window)
        : thread_(thread), window_(window) {}
    void SetRowCount(int rows) override {
        thread_.Synchronize([&] { window_.SetRowCount(rows); });
    }
    void SetCell(int column, int row, const std::string& text) override {
        thread_.Synchronize([&] { window_.SetCell(column, row, text); });
    }
    void ShowFolder(const std::string& path) override {
        thread_.Synchronize([&] { window_.ShowFolder(path); });
    }
    void SetStatus(int panel, const std::string& text) override {
        thread_.Synchronize([&] { window_.SetStatus(panel, text); });
    }
    bool AskYesNo(const std::string& caption, const std::string& text) override {
        bool yes = false;
        thread_.Synchronize([&] { yes = window_.AskYesNo(caption, text); });
        return yes;
    }
    void Repaint() override {
        thread_.Synchronize([&] { window_.Repaint(); });
    }

private:
    TSearchThread& thread_;
    TSearchView& window_;
};

TSearchThread::TSearchThread(bool CreateSuspended, TSearchView& window)
    : TThread(true), window_(window) {
    if (!CreateSuspended)
        Resume();
}

void TSearchThread::Execute() {
    NameThreadForDebugger("FileSearchThread");
    TSynchronizedView view(*this, window_);
    SearchApplications(ProgramFolder() + "appllist.ini", view);
}
