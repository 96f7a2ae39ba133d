// The masked edit: an edit line whose characters follow an edit mask.
#pragma once

#include "toolkit/stdctrls.h"

#include <string>
#include <vector>

// A mask has three fields separated by ';': the character positions, whether the literal
// characters are kept in Text ("1") or not ("0", the default), and the blank character that
// shows an empty position ('_' by default). In the positions '0' is a required digit, '9' an
// optional digit, '#' a digit or sign, 'L'/'l' a letter, 'A'/'a' a letter or digit, 'C'/'c' any
// character; '\' makes the next character a literal; '!', '>' and '<' are flags and take no
// position; every other character (':' and '/' included) is a literal. Text shows empty
// positions as blanks (spaces).
class TMaskEdit : public TCustomEdit {
public:
    explicit TMaskEdit(TComponent* owner);

    Property<std::string, TMaskEdit> EditMask{this, &TMaskEdit::GetEditMask,
                                              &TMaskEdit::SetEditMask};
    // What the user sees: literals in place, the blank character in empty positions.
    ReadProperty<std::string, TMaskEdit> EditText{this, &TMaskEdit::GetEditText};

    std::string GetEditMask() const { return mask_; }
    // Keeps the characters already entered where the new mask accepts them.
    void SetEditMask(std::string v);
    std::string GetEditText() const;
    // The position of EditText is an input position left empty (it shows the blank character).
    bool IsBlank(int position) const;
    std::string GetText() const override;
    // Fills the positions in order from the text (literals in the text are matched and
    // skipped); characters the mask does not accept leave their position empty. The caret
    // goes to 0.
    void SetText(std::string v) override;

    const char* ClassName() const override;

protected:
    // Overwrite typing: the character goes into the first input position at or after the
    // caret if the mask accepts it there, and the caret moves past the next literals; Backspace
    // empties the input position before the caret; Delete the one at it.
    void DoKeyDown(WORD& key, TShiftState shift) override;
    void DoKeyPress(char& key) override;
    int CaretLimit() const override;

private:
    struct Slot {
        char kind;    // the mask character, or 0 for a literal
        char literal; // the literal character
    };
    bool Masked() const { return !slots_.empty(); }
    bool Accepts(char kind, char c) const;
    int NextInput(int from) const;
    void Commit();

    std::string mask_;
    std::vector<Slot> slots_;
    std::string cells_; // one per slot: the entered character or the blank
    bool keepLiterals_ = false;
    char blank_ = '_';
};
