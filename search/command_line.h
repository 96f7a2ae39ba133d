// What the search program's command line asks for, and the help text and usage note it shows.
#pragma once

#include <optional>
#include <string>

enum class TStartMode { Interactive, Unattended, Help, Usage };

// The whole command line, trimmed and lower-cased, being "auto" is an unattended run;
// otherwise the first argument decides: none, "auto", "help", "?" or "/?", anything else.
TStartMode ReadCommandLine();

// The help text, CP1251, lines ended by CR LF.
std::string HelpText();
// "Наберите help для вывода справки о параметрах командной строки".
std::string UsageNote();

// Help and usage: the box is shown and the exit code (0) is given, for the program to end at
// once without its window; the other modes give nothing.
std::optional<int> AnswerCommandLine(TStartMode mode);
