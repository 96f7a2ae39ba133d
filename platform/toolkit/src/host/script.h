// The test script behind the host's boxes and popup menus.
#pragma once

#include "../internal.h"

namespace toolkit_detail::script {

// Records the box and returns the scripted answer (or OK for a box without a choice).
int AnswerBox(const BoxRequest& box);
// Records the popup and clicks the scripted pick, if any.
void PickFromMenu(TPopupMenu& menu, int x, int y);
// Hands the control whose text changed, or that was shown or hidden, to the watch, if any.
void Watched(TControl& control);

} // namespace toolkit_detail::script
