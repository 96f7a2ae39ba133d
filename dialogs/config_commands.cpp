// The command and function pages: one application's grids, their save questions and wizards.
#include "config_form.h"

void TFConfig::cmbCommandChange(TObject*) {}
void TFConfig::cmbFunctionChange(TObject*) {}
void TFConfig::stgCommandSetEditText(TObject*, int, int, const std::string&) {}
void TFConfig::stgFuncSetEditText(TObject*, int, int, const std::string&) {}
void TFConfig::AddCommand() {}
void TFConfig::DeleteCommand() {}
void TFConfig::DefaultCommands() {}
void TFConfig::AddFunction() {}
void TFConfig::DeleteFunction() {}
void TFConfig::DefaultFunctions() {}
