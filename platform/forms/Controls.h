#pragma once

#include "platform/forms/Control.h"
#include "platform/forms/Picture.h"
#include "platform/forms/TextEditor.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace foliant::forms {

class Label : public Control {
public:
    Label(Form& form, std::string name);
    const std::string& Caption() const noexcept { return caption_; }
    void SetCaption(std::string caption);

private:
    std::string caption_;
};

// A push button with a caption (an "&" marks its mnemonic) or, when it has a picture, a
// picture button.
class CommandButton : public Control {
public:
    CommandButton(Form& form, std::string name);
    const std::string& Caption() const noexcept { return caption_; }
    void SetCaption(std::string caption);
    const forms::Picture& Picture() const noexcept { return picture_; }
    void SetPicture(forms::Picture picture);

    // Whether this is the form's default (Enter) or cancel (Esc) button. Setting true makes it
    // so; setting false clears the form's button only when it is this one.
    bool Default() const;
    void SetDefault(bool isDefault);
    bool Cancel() const;
    void SetCancel(bool isCancel);

private:
    std::string caption_;
    forms::Picture picture_;
};

class CheckBox : public Control {
public:
    CheckBox(Form& form, std::string name);
    const std::string& Caption() const noexcept { return caption_; }
    void SetCaption(std::string caption);
    // 0 unchecked, 1 checked, 2 greyed. Setting it runs nothing.
    int Value() const noexcept { return value_; }
    void SetValue(int value);
    // A person clicks the box: the value toggles, then Click runs.
    void UserCheck() { UserClick(); }

private:
    void BeforeUserClick() override;
    std::string caption_;
    int value_ = 0;
};

// An option button; the option buttons with the same container (frame or form) are exclusive.
class OptionButton : public Control {
public:
    OptionButton(Form& form, std::string name);
    const std::string& Caption() const noexcept { return caption_; }
    void SetCaption(std::string caption);
    // Setting true clears the other option buttons of the same container. Runs nothing.
    bool Value() const noexcept { return value_; }
    void SetValue(bool value);

private:
    void BeforeUserClick() override;
    std::string caption_;
    bool value_ = false;
};

class TextBox : public Control, public TextEditor {
public:
    TextBox(Form& form, std::string name);
    // Shows the text (caret at the start); runs nothing.
    void SetText(std::string text);

    TextEditor* Editor() noexcept override { return this; }
};

// The item list shared by list boxes and combo boxes. Item indexes are 0-based; ListIndex -1
// means no selection.
class ListControl : public Control {
public:
    using Control::Control;

    // Inserts at index (-1 appends); an insertion before the selection keeps the same item
    // selected. Runs nothing.
    void AddItem(std::string text, int index = -1);
    // Appends the items, each with the same item data, in one change. Runs nothing.
    void AddItems(const std::vector<std::string>& texts, std::int32_t data);
    // Removes an item; removing the selected item leaves no selection. Runs nothing.
    void RemoveItem(int index);
    // Removes every item and the selection. Runs nothing.
    void Clear();
    int ListCount() const noexcept { return static_cast<int>(items_.size()); }
    const std::string& List(int index) const;
    void SetList(int index, std::string text);
    std::int32_t ItemData(int index) const;
    void SetItemData(int index, std::int32_t data);
    // The index of the item added last.
    int NewIndex() const noexcept { return newIndex_; }

    int ListIndex() const noexcept { return listIndex_; }
    // Selects an item (-1: none). Runs Click exactly when the index changes. Throws
    // FormsError 380 for an index outside -1 .. ListCount-1.
    void SetListIndex(int index);
    bool Selected(int index) const;
    // true selects the item like SetListIndex; false on the selected item clears the selection.
    void SetSelected(int index, bool selected);

    // A person selects an item (-1 is not allowed): the same as SetListIndex, after the
    // control has been checked to be shown and enabled and the index to exist.
    void UserSelect(int index);

protected:
    // Called when the index changed: by a selection (before Click runs) or because the
    // selected item went away or changed its text.
    virtual void IndexChanged(bool /*bySelection*/) {}
    // Changes the index without running anything (the edit field of a combo box was typed in,
    // a drop-down list's text was set).
    void DropSelectionQuietly();
    void SelectQuietly(int index);

private:
    struct Item {
        std::string text;
        std::int32_t data = 0;
    };
    void CheckIndex(int index) const;
    std::vector<Item> items_;
    int listIndex_ = -1;
    int newIndex_ = -1;
};

class ListBox : public ListControl {
public:
    ListBox(Form& form, std::string name);
};

// A drop-down list, or (DropDownCombo) an edit field with a list to choose its text from.
// Typing into the edit field is refused on a drop-down list; an edit leaves the list without a
// selected item (no Click runs).
class ComboBox : public ListControl, public TextEditor {
public:
    enum class Style { DropDownCombo = 0, DropDownList = 2 };

    ComboBox(Form& form, std::string name, Style style = Style::DropDownCombo);
    Style GetStyle() const noexcept { return style_; }
    void SetStyle(Style style);

    // The edit field's text, or for a drop-down list the selected item's text. Setting it runs
    // nothing; on a drop-down list it selects the item with that text without running Click (""
    // selects nothing) and throws FormsError 383 for a text no item has.
    void SetText(std::string text);

    TextEditor* Editor() noexcept override { return this; }
    bool HasEditField() const noexcept override { return style_ == Style::DropDownCombo; }

private:
    void IndexChanged(bool bySelection) override;
    void RequireEditable(const char* action) const override;
    void EditedByUser() override;
    Style style_;
};

// A frame with a caption holding other controls, or (no caption, low height) a horizontal rule.
class Frame : public Control {
public:
    Frame(Form& form, std::string name);
    const std::string& Caption() const noexcept { return caption_; }
    void SetCaption(std::string caption);

private:
    std::string caption_;
};

class PictureBox : public Control {
public:
    PictureBox(Form& form, std::string name);
    const forms::Picture& Picture() const noexcept { return picture_; }
    void SetPicture(forms::Picture picture);
    // 0 no border, 1 fixed single (the default).
    int BorderStyle() const noexcept { return borderStyle_; }
    void SetBorderStyle(int style);

private:
    forms::Picture picture_;
    int borderStyle_ = 1;
};

// Images by key, for the icons of tree views. Has no window.
class ImageList : public Control {
public:
    ImageList(Form& form, std::string name);
    // Adds or replaces the image under a key.
    void Add(std::string key, forms::Picture picture);
    // Throws FormsError 35601 for an unknown key.
    const forms::Picture& Image(const std::string& key) const;
    bool Contains(const std::string& key) const { return images_.count(key) != 0; }
    const std::vector<std::string>& Keys() const noexcept { return keys_; }

private:
    std::map<std::string, forms::Picture> images_;
    std::vector<std::string> keys_;
};

// What a file dialog asks the backend for, and what the headless backend records.
struct FileDialogRequest {
    bool save = true;
    std::string title;
    std::string fileName; // preset
    std::string initDir;
    std::string filter; // "Description|pattern|Description|pattern"
    std::int32_t flags = 0;
};

// The common file dialog. Has no window of its own; ShowSave/ShowOpen go through the backend.
class CommonDialog : public Control {
public:
    CommonDialog(Form& form, std::string name);
    std::int32_t Flags() const noexcept { return flags_; }
    void SetFlags(std::int32_t flags) { flags_ = flags; }
    const std::string& Filter() const noexcept { return filter_; }
    void SetFilter(std::string filter) { filter_ = std::move(filter); }
    const std::string& FileName() const noexcept { return fileName_; }
    void SetFileName(std::string name) { fileName_ = std::move(name); }
    const std::string& InitDir() const noexcept { return initDir_; }
    void SetInitDir(std::string dir) { initDir_ = std::move(dir); }
    const std::string& DialogTitle() const noexcept { return title_; }
    void SetDialogTitle(std::string title) { title_ = std::move(title); }

    // Shows the dialog; the chosen path becomes FileName. A cancel leaves FileName unchanged
    // and throws FormsError kCancelError (32755).
    void ShowSave();
    void ShowOpen();

private:
    void ShowDialog(bool save);
    std::int32_t flags_ = 0;
    std::string filter_;
    std::string fileName_;
    std::string initDir_;
    std::string title_;
};

// An outside control hosted by the form (the report viewer of the preview window). The
// forms layer keeps its geometry and state; front ends create its widget by TypeName.
class CustomControl : public Control {
public:
    CustomControl(Form& form, std::string name, std::string typeName);
    const std::string& TypeName() const noexcept { return typeName_; }

private:
    std::string typeName_;
};

} // namespace foliant::forms
