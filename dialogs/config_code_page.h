// What the rest of the settings dialog needs of the code page.
#pragma once

#include <string>

// Field size of a button name less its NUL: the longest name the code table stores.
constexpr int MaxButtonName = 31;

// Ends any learning of codes: the code grid is reloaded from the code table (codes learnt since
// opening are dropped), CaptureState := 0, and btnReconfig reads "btn_reconfig" again.
void EndCodeLearning();

// The name Add on the code page takes from the user's answer: up to its first "=" (a key of the
// code grid cannot hold one), at most MaxButtonName characters.
std::string ButtonNameFromAnswer(const std::string& answer);
