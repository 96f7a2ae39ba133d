// The code table and the application table: loading from and saving to their record files.
#pragma once

// Result codes of the record-file loaders and savers.
constexpr int ResultOk = 0;
constexpr int ResultNoData = 3;    // the files to read are missing or hold no record
constexpr int ResultEmptyFile = 4; // tested by callers; no loader or saver returns it
constexpr int ResultNoCreate = 5;  // the user file cannot be created (or written)
constexpr int ResultNoMemory = 6;

// CodeTable from defcode.bin, merged with usercode.bin unless defaultOnly: 0, 3 or 6.
int LoadCodeTable(bool defaultOnly);
// ApplTable from userappl.bin (unless defaultOnly) and defappl.bin, "System" first: 0, 3 or 6.
// A record whose name cannot be part of a file name (IsFileNamePart) is passed over.
int LoadApplTable(bool defaultOnly);
// usercode.bin as the differences of CodeTable against defcode.bin: 0 or 5.
int SaveCodeTable();
// userappl.bin as the differences of ApplTable against defappl.bin: 0, 5 or 6.
int SaveApplTable();

// The callers of the loaders and savers that show a result to the user.
enum class TResultCaller {
    StartupCodeTable,    // LoadCodeTable at start-up
    RestoreDefaultCodes, // LoadCodeTable(true) from the settings dialog
    StartupApplTable,    // LoadApplTable at start-up and after the search program ran
    RestoreDefaultAppls, // LoadApplTable(true) from the settings dialog
    SaveCodes,           // SaveCodeTable on OK of the settings dialog
    SaveAppls,           // SaveApplTable on OK of the settings dialog
    CommandsPage,        // LoadCmdGrid on the Commands page
    FunctionsPage,       // LoadFuncGrid on the Functions page
    FunctionsList,       // LoadFuncGrid for the showfunction step
    SaveCommandsOrFuncs, // SaveCmdGrid and SaveFuncGrid
};

// The key of section Msg that the caller shows for the result; "" when it shows nothing.
const char* ResultMessageKey(TResultCaller caller, int result);
