// Command and function files of each application: grids, functions list, pending files.
#pragma once

#include "record_file.h"
#include "records.h"

#include <toolkit.h>

#include <string>
#include <vector>

// Reads the next command of a command file into steps: its first record and the records after
// it up to the one whose Step reaches its StepCount, never more than the first record's
// StepCount, never past a record with a name (the next command's first step), and at most to
// the end of the file. A first record with a StepCount below 2 (a deletion marker included) is
// a command of one record. False at the end of the file.
bool ReadCommand(TRecordReader<TCmdStep>& file, std::vector<TCmdStep>& steps);

// The application part appl of every file name below must pass IsFileNamePart: for any other
// name the loaders give 3 and the savers 5 and touch no file, and nothing is copied.

// Fills the command grid (six columns, title row 0) with the commands of appl: 0, or 3 when
// neither file could be opened.
int LoadCmdGrid(const std::string& appl, bool defaultOnly, TStringGrid& grid);
// Fills the function grid (three columns), the functions list, or both: 0 or 3.
int LoadFuncGrid(const std::string& appl, bool defaultOnly, TStringGrid* grid, TStringList* list);
// Writes the user command file (its .tmp form when pending) from the grid: 0 or 5. On failure
// the user file keeps its earlier contents and a pending file is removed.
int SaveCmdGrid(const std::string& appl, bool pending, const TStringGrid& grid);
// Writes the user function file (its .tmp form when pending) from the grid: 0 or 5, as
// SaveCmdGrid.
int SaveFuncGrid(const std::string& appl, bool pending, const TStringGrid& grid);
// Every .tmp file of Bin replaces its .bin in one step (commit) or is deleted: 0, or 5 when a
// pending file could not replace its user file; that user file is kept, the pending file
// removed, and its name (in Bin) added to failed.
int CommitTempFiles(bool commit, std::vector<std::string>* failed = nullptr);
// Copies the default command and function files of the other application of appllist.ini
// with the same window class to the user files of newAppl; sections whose names cannot be part
// of a file name are passed over.
void CopyDefaultsForClass(const std::string& newAppl, const std::string& className);
