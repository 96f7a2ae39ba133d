// What the input box and the common dialogs share with their presentations.
#pragma once

#include "toolkit/dialogs.h"
#include "toolkit/forms.h"
#include "toolkit/stdctrls.h"

namespace toolkit_detail {

// The input box's form, built of the toolkit's own controls as the classic library builds it.
class TInputQueryForm : public TForm {
public:
    TInputQueryForm(const std::string& caption, const std::string& prompt,
                    const std::string& value);

    TLabel* Prompt;
    TEdit* Edit;
    TButton* OkButton;
    TButton* CancelButton;
};

// Show the dialog modally and fill it in from the user's choice (host: the test script;
// Windows: the system's dialogs); true when accepted.
bool PresentOpenDialog(TOpenDialog& dialog);
bool PresentColorDialog(TColorDialog& dialog);

} // namespace toolkit_detail
