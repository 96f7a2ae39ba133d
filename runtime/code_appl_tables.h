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
int LoadApplTable(bool defaultOnly);
// usercode.bin as the differences of CodeTable against defcode.bin: 0 or 5.
int SaveCodeTable();
// userappl.bin as the differences of ApplTable against defappl.bin: 0, 5 or 6.
int SaveApplTable();
