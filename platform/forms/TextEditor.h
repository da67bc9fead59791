#pragma once

#include <cstddef>
#include <string>

namespace foliant::forms {

class Control;

// The editable text of a text box or of a combo box's edit field, and what a person does to
// it. Positions count characters (Unicode code points), not bytes.
//
// Setting the text or the selection from code only shows it and runs nothing. The User*
// actions are refused (UserActionRefused) unless the control is shown, enabled and has an edit
// field; they give the control the focus and, after each change of the text, announce Text and
// Selection and run the control's Change.
//
// Typing at the caret costs time in proportion to the characters typed, however long the text
// already is (inserting in the middle also moves the text after the caret).
class TextEditor {
public:
    virtual ~TextEditor() = default;
    TextEditor(const TextEditor&) = delete;
    TextEditor& operator=(const TextEditor&) = delete;

    const std::string& Text() const noexcept { return text_; }
    int SelStart() const noexcept { return selStart_; }
    int SelLength() const noexcept { return selLength_; }
    int Length() const noexcept { return length_; }
    const std::string& SelText() const;

    // Caret and selection, clamped to the text. Run nothing.
    void SetSelStart(int start);
    void SetSelLength(int length);

    // Whether a person can type into it: false for a combo box that is a drop-down list.
    virtual bool HasEditField() const noexcept { return true; }

    // A person selects part of the text (a caret move when length is 0). Runs nothing.
    void UserSetSelection(int start, int length);
    // A person types at the caret, one character at a time: KeyPress (which may replace the
    // character or cancel it by setting 0; 8 is Backspace), then the text changes and Change
    // runs.
    void UserType(const std::string& text);
    // A person pastes over the selection: the text changes once and Change runs once.
    void UserPaste(const std::string& text);
    // A person presses Delete: the selection (or the character after the caret) goes and
    // Change runs once; nothing runs when there was nothing to delete.
    void UserDelete();

    // The same actions over the whole text, as a script addresses them: select everything and
    // type over it, type at the end, paste over everything, delete everything (nothing runs
    // when the text is already empty).
    void UserTypeOver(const std::string& text);
    void UserAppend(const std::string& text);
    void UserPasteOver(const std::string& text);
    void UserClear();

protected:
    explicit TextEditor(Control& control) : control_(control) {}

    // Replaces the text, caret at the start, and announces it when anything changed. Runs
    // nothing.
    void AssignText(std::string text);
    // Throws UserActionRefused unless a person can edit the text now.
    virtual void RequireEditable(const char* action) const;
    // Runs after a person's edit is announced and before Change.
    virtual void EditedByUser() {}

private:
    bool AssignSelection(int start, int length);
    void ReplaceSelection(const std::string& text);
    bool DeleteAt(bool backwards);
    void Locate();
    void BeginUserAction(const char* action);
    void Edited();
    void AnnounceText();
    void AnnounceSelection();

    Control& control_;
    std::string text_;
    int length_ = 0; // in characters
    int selStart_ = 0;
    int selLength_ = 0;
    // The selection's byte offsets in text_.
    std::size_t selFrom_ = 0;
    std::size_t selTo_ = 0;
    // Whether every byte of text_ belongs to a whole UTF-8 sequence. Edits of whole characters
    // keep it so, and then positions are kept up to date without reading the text again;
    // otherwise neighbouring bytes may join into new characters, and they are recounted.
    bool wellFormed_ = true;
    mutable std::string selText_;
};

} // namespace foliant::forms
