// The program's command line as parameters.
#pragma once

#include <string>

// The parameters after the program's own name, split at blanks; double quotes group blanks
// into one parameter and are dropped.
int ParamCount();
// 0: the program file's path; 1 .. ParamCount(): the parameters; any other index: empty.
std::string ParamStr(int index);
