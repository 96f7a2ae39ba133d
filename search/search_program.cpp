// The search program's entry: the help and usage answers, or the search window and its loop.
#include "search_program.h"

#include "command_line.h"
#include "cp1251.h"
#include "setup_form.h"

#include <toolkit.h>

#include <windows.h>

namespace {

constexpr auto kSearchTitle = cp1251::Literal("Поиск файлов");

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    Application->Initialize();
    Application->Title = kSearchTitle.c_str();
    Application->HelpFile = "\\Help\\OXU_DU.HLP";
    // Help and usage end the program before its window exists.
    if (const auto exitCode = AnswerCommandLine(ReadCommandLine()))
        return *exitCode;
    try {
        Application->CreateForm(FSetup);
        Application->Run();
    } catch (const Exception& e) {
        Application->ShowException(&e);
    } catch (...) {
        const Exception wrapped("");
        Application->ShowException(&wrapped);
    }
    return 0;
}
