#include "platform/forms/Controls.h"

#include "platform/forms/Backend.h"
#include "platform/forms/Form.h"

#include <algorithm>

namespace foliant::forms {

using What = ChangeEvent::What;

namespace {

// Sets a text property and announces it when it changed.
void Assign(Control& control, std::string& field, std::string value, What what) {
    if (field == value) {
        return;
    }
    field = std::move(value);
    control.Announce(what);
}

} // namespace

Label::Label(Form& form, std::string name) : Control(form, std::move(name), ControlKind::Label) {}

void Label::SetCaption(std::string caption) {
    Assign(*this, caption_, std::move(caption), What::Caption);
}

CommandButton::CommandButton(Form& form, std::string name)
    : Control(form, std::move(name), ControlKind::CommandButton) {}

void CommandButton::SetCaption(std::string caption) {
    Assign(*this, caption_, std::move(caption), What::Caption);
}

void CommandButton::SetPicture(forms::Picture picture) {
    if (picture_ == picture) {
        return;
    }
    picture_ = std::move(picture);
    Announce(What::Picture);
}

bool CommandButton::Default() const {
    return Parent().DefaultButton() == this;
}

void CommandButton::SetDefault(bool isDefault) {
    if (isDefault) {
        Parent().SetDefaultButton(this);
    } else if (Default()) {
        Parent().SetDefaultButton(nullptr);
    }
}

bool CommandButton::Cancel() const {
    return Parent().CancelButton() == this;
}

void CommandButton::SetCancel(bool isCancel) {
    if (isCancel) {
        Parent().SetCancelButton(this);
    } else if (Cancel()) {
        Parent().SetCancelButton(nullptr);
    }
}

CheckBox::CheckBox(Form& form, std::string name)
    : Control(form, std::move(name), ControlKind::CheckBox) {}

void CheckBox::SetCaption(std::string caption) {
    Assign(*this, caption_, std::move(caption), What::Caption);
}

void CheckBox::SetValue(int value) {
    if (value < 0 || value > 2) {
        throw FormsError(kInvalidPropertyValue, "Invalid property value: a check box's value is "
                                                "0, 1 or 2, not " +
                                                    std::to_string(value) + ".");
    }
    if (value_ == value) {
        return;
    }
    value_ = value;
    Announce(What::Value);
}

void CheckBox::BeforeUserClick() {
    SetValue(value_ == 1 ? 0 : 1);
}

OptionButton::OptionButton(Form& form, std::string name)
    : Control(form, std::move(name), ControlKind::OptionButton) {}

void OptionButton::SetCaption(std::string caption) {
    Assign(*this, caption_, std::move(caption), What::Caption);
}

void OptionButton::SetValue(bool value) {
    if (value) {
        for (Control* other : Parent().Controls()) {
            auto* option = dynamic_cast<OptionButton*>(other);
            if (option != nullptr && option != this && option->Container() == Container() &&
                option->value_) {
                option->value_ = false;
                option->Announce(What::Value);
            }
        }
    }
    if (value_ == value) {
        return;
    }
    value_ = value;
    Announce(What::Value);
}

void OptionButton::BeforeUserClick() {
    SetValue(true);
}

// --- TextBox ------------------------------------------------------------------------------

TextBox::TextBox(Form& form, std::string name)
    : Control(form, std::move(name), ControlKind::TextBox),
      TextEditor(static_cast<Control&>(*this)) {}

void TextBox::SetText(std::string text) {
    AssignText(std::move(text));
}

// --- ListControl --------------------------------------------------------------------------

void ListControl::CheckIndex(int index) const {
    if (index < 0 || index >= ListCount()) {
        throw FormsError(kInvalidPropertyArrayIndex, "Invalid property array index: '" + Name() +
                                                         "' has no item " + std::to_string(index) +
                                                         " (it has " + std::to_string(ListCount()) +
                                                         ").");
    }
}

void ListControl::AddItem(std::string text, int index) {
    if (index == -1) {
        index = ListCount();
    } else if (index < 0 || index > ListCount()) {
        throw FormsError(kInvalidProcedureCall,
                         "Invalid procedure call or argument: cannot add an item to '" + Name() +
                             "' at index " + std::to_string(index) + ".");
    }
    items_.insert(items_.begin() + index, Item{std::move(text), 0});
    newIndex_ = index;
    if (listIndex_ >= index) {
        ++listIndex_;
    }
    Announce(What::ItemInserted, index);
}

void ListControl::AddItems(const std::vector<std::string>& texts, std::int32_t data) {
    if (texts.empty()) {
        return;
    }
    const int first = ListCount();
    items_.reserve(items_.size() + texts.size());
    for (const std::string& text : texts) {
        items_.push_back(Item{text, data});
    }
    newIndex_ = ListCount() - 1;
    Announce(What::ItemsAppended, first);
}

void ListControl::RemoveItem(int index) {
    CheckIndex(index);
    items_.erase(items_.begin() + index);
    bool dropped = false;
    if (listIndex_ == index) {
        listIndex_ = -1;
        dropped = true;
    } else if (listIndex_ > index) {
        --listIndex_;
    }
    Announce(What::ItemRemoved, index);
    if (dropped) {
        IndexChanged(false);
        Announce(What::ListIndex);
    }
}

void ListControl::Clear() {
    items_.clear();
    const bool dropped = listIndex_ != -1;
    listIndex_ = -1;
    Announce(What::ItemsCleared);
    if (dropped) {
        IndexChanged(false);
        Announce(What::ListIndex);
    }
}

const std::string& ListControl::List(int index) const {
    CheckIndex(index);
    return items_[static_cast<std::size_t>(index)].text;
}

void ListControl::SetList(int index, std::string text) {
    CheckIndex(index);
    auto& item = items_[static_cast<std::size_t>(index)];
    if (item.text == text) {
        return;
    }
    item.text = std::move(text);
    Announce(What::ItemChanged, index);
    if (index == listIndex_) {
        IndexChanged(false);
    }
}

std::int32_t ListControl::ItemData(int index) const {
    CheckIndex(index);
    return items_[static_cast<std::size_t>(index)].data;
}

void ListControl::SetItemData(int index, std::int32_t data) {
    CheckIndex(index);
    items_[static_cast<std::size_t>(index)].data = data;
    Announce(What::ItemChanged, index);
}

void ListControl::SetListIndex(int index) {
    if (index < -1 || index >= ListCount()) {
        throw FormsError(kInvalidPropertyValue, "Invalid property value: '" + Name() +
                                                    "' has no item " + std::to_string(index) +
                                                    " to select.");
    }
    if (index == listIndex_) {
        return;
    }
    listIndex_ = index;
    IndexChanged(true);
    Announce(What::ListIndex);
    Run(Click);
}

bool ListControl::Selected(int index) const {
    CheckIndex(index);
    return listIndex_ == index;
}

void ListControl::SetSelected(int index, bool selected) {
    CheckIndex(index);
    if (selected) {
        SetListIndex(index);
    } else if (listIndex_ == index) {
        SetListIndex(-1);
    }
}

void ListControl::UserSelect(int index) {
    RequireUsable("select an item of");
    if (index < 0 || index >= ListCount()) {
        throw UserActionRefused("Cannot select item " + std::to_string(index) + " of '" + Name() +
                                "': it has " + std::to_string(ListCount()) + " items.");
    }
    Parent().FocusChanged(this);
    SetListIndex(index);
}

void ListControl::DropSelectionQuietly() {
    if (listIndex_ == -1) {
        return;
    }
    listIndex_ = -1;
    Announce(What::ListIndex);
}

void ListControl::SelectQuietly(int index) {
    if (index < -1 || index >= ListCount()) {
        throw FormsError(kInvalidPropertyValue, "Invalid property value: '" + Name() +
                                                    "' has no item " + std::to_string(index) + ".");
    }
    if (index == listIndex_) {
        return;
    }
    listIndex_ = index;
    IndexChanged(true);
    Announce(What::ListIndex);
}

ListBox::ListBox(Form& form, std::string name)
    : ListControl(form, std::move(name), ControlKind::ListBox) {}

// --- ComboBox -----------------------------------------------------------------------------

ComboBox::ComboBox(Form& form, std::string name, Style style)
    : ListControl(form, std::move(name), ControlKind::ComboBox),
      TextEditor(static_cast<Control&>(*this)), style_(style) {}

void ComboBox::SetStyle(Style style) {
    if (style_ == style) {
        return;
    }
    style_ = style;
    Announce(What::Style);
    if (style_ == Style::DropDownList) {
        IndexChanged(false);
    }
}

void ComboBox::IndexChanged(bool bySelection) {
    // A drop-down list always shows its selected item; an edit field takes the text of an
    // item chosen, and is emptied when the selection is taken away by code.
    if (style_ == Style::DropDownList || bySelection) {
        AssignText(ListIndex() >= 0 ? List(ListIndex()) : std::string());
    }
}

void ComboBox::SetText(std::string text) {
    if (style_ == Style::DropDownList) {
        int found = -1;
        for (int i = 0; i < ListCount() && !text.empty(); ++i) {
            if (List(i) == text) {
                found = i;
                break;
            }
        }
        if (!text.empty() && found == -1) {
            throw FormsError(383, "'Text' property is read-only: '" + Name() + "' has no item \"" +
                                      text + "\".");
        }
        SelectQuietly(found);
        return;
    }
    AssignText(std::move(text));
}

void ComboBox::RequireEditable(const char* action) const {
    RequireUsable(action);
    if (style_ == Style::DropDownList) {
        throw UserActionRefused(std::string("Cannot ") + action + " '" + Name() +
                                "': it is a drop-down list without an edit field.");
    }
}

void ComboBox::EditedByUser() {
    DropSelectionQuietly();
}

// --- Frame, PictureBox, ImageList, CommonDialog, CustomControl -----------------------------

Frame::Frame(Form& form, std::string name) : Control(form, std::move(name), ControlKind::Frame) {}

void Frame::SetCaption(std::string caption) {
    Assign(*this, caption_, std::move(caption), What::Caption);
}

PictureBox::PictureBox(Form& form, std::string name)
    : Control(form, std::move(name), ControlKind::PictureBox) {}

void PictureBox::SetPicture(forms::Picture picture) {
    if (picture_ == picture) {
        return;
    }
    picture_ = std::move(picture);
    Announce(What::Picture);
}

void PictureBox::SetBorderStyle(int style) {
    if (style != 0 && style != 1) {
        throw FormsError(kInvalidPropertyValue,
                         "Invalid property value: a picture box's border style is 0 or 1.");
    }
    if (borderStyle_ == style) {
        return;
    }
    borderStyle_ = style;
    Announce(What::Style);
}

ImageList::ImageList(Form& form, std::string name)
    : Control(form, std::move(name), ControlKind::ImageList) {}

void ImageList::Add(std::string key, forms::Picture picture) {
    if (images_.count(key) == 0) {
        keys_.push_back(key);
    }
    images_[std::move(key)] = std::move(picture);
    Announce(What::Picture);
}

const forms::Picture& ImageList::Image(const std::string& key) const {
    auto it = images_.find(key);
    if (it == images_.end()) {
        throw FormsError(kElementNotFound, "Element not found: the image list '" + Name() +
                                               "' has no image \"" + key + "\".");
    }
    return it->second;
}

CommonDialog::CommonDialog(Form& form, std::string name)
    : Control(form, std::move(name), ControlKind::CommonDialog) {}

void CommonDialog::ShowSave() {
    ShowDialog(true);
}
void CommonDialog::ShowOpen() {
    ShowDialog(false);
}

void CommonDialog::ShowDialog(bool save) {
    FileDialogRequest request{save, title_, fileName_, initDir_, filter_, flags_};
    auto chosen = CurrentBackend().FileDialog(request);
    if (!chosen) {
        throw FormsError(kCancelError, "Cancel was selected.");
    }
    fileName_ = std::move(*chosen);
}

CustomControl::CustomControl(Form& form, std::string name, std::string typeName)
    : Control(form, std::move(name), ControlKind::Custom), typeName_(std::move(typeName)) {}

} // namespace foliant::forms
