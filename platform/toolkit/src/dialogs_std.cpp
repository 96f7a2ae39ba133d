// The input box and the file-open and colour dialogs.
#include "dialogs_std.h"

#include <algorithm>

namespace toolkit_detail {

TInputQueryForm::TInputQueryForm(const std::string& caption, const std::string& prompt,
                                 const std::string& value)
    : TForm(nullptr) {
    Caption = caption;
    BorderStyle = bsDialog;
    Position = poScreenCenter;
    TCanvas measure;
    measure.Font.Assign(Font);
    const int width = std::max(180, measure.TextWidth(prompt) + 16);
    ClientWidth = width;
    ClientHeight = 96;
    Prompt = new TLabel(this);
    Prompt->Parent = this;
    Prompt->SetBounds(8, 8, measure.TextWidth(prompt), measure.TextHeight(prompt));
    Prompt->Caption = prompt;
    Edit = new TEdit(this);
    Edit->Parent = this;
    Edit->SetBounds(8, 28, width - 16, 21);
    Edit->Text = value;
    Edit->SelStart = static_cast<int>(value.size());
    OkButton = new TButton(this);
    OkButton->Parent = this;
    OkButton->Caption = "OK";
    OkButton->ModalResult = mrOk;
    OkButton->Default = true;
    OkButton->SetBounds(width / 2 - 79, 62, 75, 25);
    CancelButton = new TButton(this);
    CancelButton->Parent = this;
    CancelButton->Caption = "Cancel";
    CancelButton->ModalResult = mrCancel;
    CancelButton->Cancel = true;
    CancelButton->SetBounds(width / 2 + 4, 62, 75, 25);
    ActiveControl = Edit;
}

} // namespace toolkit_detail

bool InputQuery(const std::string& ACaption, const std::string& APrompt, std::string& Value) {
    auto* form = new toolkit_detail::TInputQueryForm(ACaption, APrompt, Value);
    struct Freed {
        TForm* form;
        ~Freed() { form->Free(); }
    } freed{form};
    if (form->ShowModal() != mrOk)
        return false;
    Value = form->Edit->Text;
    return true;
}

std::string InputBox(const std::string& ACaption, const std::string& APrompt,
                     const std::string& ADefault) {
    std::string value = ADefault;
    InputQuery(ACaption, APrompt, value);
    return value;
}

const char* TCommonDialog::ClassName() const {
    return "TCommonDialog";
}

bool TOpenDialog::Execute() {
    return toolkit_detail::PresentOpenDialog(*this);
}

const char* TOpenDialog::ClassName() const {
    return "TOpenDialog";
}

bool TColorDialog::Execute() {
    return toolkit_detail::PresentColorDialog(*this);
}

const char* TColorDialog::ClassName() const {
    return "TColorDialog";
}
