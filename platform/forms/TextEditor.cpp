#include "platform/forms/TextEditor.h"

#include "platform/forms/Control.h"
#include "platform/forms/Form.h"
#include "platform/forms/Utf8.h"

#include <algorithm>

namespace foliant::forms {

using What = ChangeEvent::What;

const std::string& TextEditor::SelText() const {
    selText_ = text_.substr(selFrom_, selTo_ - selFrom_);
    return selText_;
}

void TextEditor::SetSelStart(int start) {
    if (AssignSelection(start, 0)) {
        AnnounceSelection();
    }
}

void TextEditor::SetSelLength(int length) {
    if (AssignSelection(selStart_, length)) {
        AnnounceSelection();
    }
}

void TextEditor::AssignText(std::string text) {
    if (text == text_ && selStart_ == 0 && selLength_ == 0) {
        return;
    }
    text_ = std::move(text);
    wellFormed_ = utf8::IsWellFormed(text_);
    length_ = utf8::Length(text_);
    selStart_ = 0;
    selLength_ = 0;
    selFrom_ = 0;
    selTo_ = 0;
    AnnounceText();
    AnnounceSelection();
}

void TextEditor::RequireEditable(const char* action) const {
    control_.RequireUsable(action);
}

bool TextEditor::AssignSelection(int start, int length) {
    start = std::clamp(start, 0, length_);
    length = std::clamp(length, 0, length_ - start);
    const bool changed = start != selStart_ || length != selLength_;
    selStart_ = start;
    selLength_ = length;
    Locate();
    return changed;
}

// Finds the selection's bytes by counting characters from the start.
void TextEditor::Locate() {
    selFrom_ = utf8::Offset(text_, selStart_);
    selTo_ = selFrom_ + utf8::Offset(std::string_view(text_).substr(selFrom_), selLength_);
}

void TextEditor::ReplaceSelection(const std::string& text) {
    text_.replace(selFrom_, selTo_ - selFrom_, text);
    const int inserted = utf8::Length(text);
    const int removed = selLength_;
    selStart_ += inserted;
    selLength_ = 0;
    if (wellFormed_ && utf8::IsWellFormed(text)) {
        length_ += inserted - removed;
        selFrom_ += text.size();
        selTo_ = selFrom_;
        return;
    }
    // Bytes may have joined into other characters: count again. A caret that the joining left
    // past the end goes on being placed by counting.
    length_ = utf8::Length(text_);
    wellFormed_ = utf8::IsWellFormed(text_) && selStart_ <= length_;
    Locate();
}

bool TextEditor::DeleteAt(bool backwards) {
    if (selLength_ == 0) {
        if (backwards) {
            if (selStart_ == 0) {
                return false;
            }
            --selStart_;
        } else if (selStart_ >= length_) {
            return false;
        }
        selLength_ = 1;
        if (wellFormed_) {
            if (backwards) {
                selFrom_ = utf8::Previous(text_, selFrom_);
            } else {
                selTo_ = utf8::Next(text_, selFrom_);
            }
        } else {
            Locate();
        }
    }
    ReplaceSelection({});
    return true;
}

void TextEditor::BeginUserAction(const char* action) {
    RequireEditable(action);
    control_.Parent().FocusChanged(&control_);
}

void TextEditor::Edited() {
    AnnounceText();
    AnnounceSelection();
    EditedByUser();
    if (control_.Change) {
        control_.Change();
    }
}

void TextEditor::AnnounceText() {
    control_.Announce(What::Text);
}

void TextEditor::AnnounceSelection() {
    control_.Announce(What::Selection);
}

void TextEditor::UserSetSelection(int start, int length) {
    BeginUserAction("select text in");
    if (AssignSelection(start, length)) {
        AnnounceSelection();
    }
}

void TextEditor::UserType(const std::string& text) {
    BeginUserAction("type into");
    const std::string typed = text; // the handlers may change what `text` refers to
    for (std::size_t next = 0; next < typed.size();) {
        RequireEditable("type into"); // a handler may have hidden or disabled the control
        int key = static_cast<int>(utf8::DecodeNext(typed, next));
        if (control_.KeyPress) {
            control_.KeyPress(key);
        }
        if (key == 0) {
            continue;
        }
        if (key == kKeyBack) {
            if (!DeleteAt(true)) {
                continue;
            }
        } else {
            ReplaceSelection(utf8::Encode(static_cast<char32_t>(key)));
        }
        Edited();
    }
}

void TextEditor::UserPaste(const std::string& text) {
    BeginUserAction("paste into");
    ReplaceSelection(text);
    Edited();
}

void TextEditor::UserDelete() {
    BeginUserAction("delete text in");
    if (DeleteAt(false)) {
        Edited();
    }
}

void TextEditor::UserTypeOver(const std::string& text) {
    UserSetSelection(0, length_);
    UserType(text);
}

void TextEditor::UserAppend(const std::string& text) {
    UserSetSelection(length_, 0);
    UserType(text);
}

void TextEditor::UserPasteOver(const std::string& text) {
    UserSetSelection(0, length_);
    UserPaste(text);
}

void TextEditor::UserClear() {
    UserSetSelection(0, length_);
    if (length_ > 0) {
        UserDelete();
    }
}

} // namespace foliant::forms
