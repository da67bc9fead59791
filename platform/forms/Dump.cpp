#include "platform/forms/Dump.h"

#include "platform/forms/Controls.h"
#include "platform/forms/TreeView.h"

namespace foliant::forms {

using nlohmann::json;

namespace {

json Items(const ListControl& list) {
    json items = json::array();
    json data = json::array();
    for (int i = 0; i < list.ListCount(); ++i) {
        items.push_back(list.List(i));
        data.push_back(list.ItemData(i));
    }
    return json{{"items", items}, {"itemData", data}};
}

const char* StateName(WindowState state) {
    switch (state) {
    case WindowState::Minimized:
        return "minimized";
    case WindowState::Maximized:
        return "maximized";
    default:
        return "normal";
    }
}

const char* NameOf(const Control* control) {
    return control != nullptr ? control->Name().c_str() : "";
}

} // namespace

json DumpControl(const Control& control) {
    json out{{"name", control.Name()},
             {"kind", KindName(control.Kind())},
             {"visible", control.Visible()},
             {"enabled", control.Enabled()},
             {"tooltip", control.ToolTipText()}};
    if (const auto* label = dynamic_cast<const Label*>(&control)) {
        out["caption"] = label->Caption();
    } else if (const auto* button = dynamic_cast<const CommandButton*>(&control)) {
        out["caption"] = button->Caption();
        if (!button->Picture().IsEmpty()) {
            out["picture"] = button->Picture().Describe();
        }
    } else if (const auto* check = dynamic_cast<const CheckBox*>(&control)) {
        out["caption"] = check->Caption();
        out["value"] = check->Value();
    } else if (const auto* option = dynamic_cast<const OptionButton*>(&control)) {
        out["caption"] = option->Caption();
        out["value"] = option->Value();
    } else if (const auto* text = dynamic_cast<const TextBox*>(&control)) {
        out["text"] = text->Text();
        out["selStart"] = text->SelStart();
    } else if (const auto* combo = dynamic_cast<const ComboBox*>(&control)) {
        out["style"] = combo->GetStyle() == ComboBox::Style::DropDownList ? "list" : "combo";
        out["text"] = combo->Text();
        out.update(Items(*combo));
        out["listIndex"] = combo->ListIndex();
    } else if (const auto* list = dynamic_cast<const ListBox*>(&control)) {
        out.update(Items(*list));
        out["listIndex"] = list->ListIndex();
    } else if (const auto* tree = dynamic_cast<const TreeView*>(&control)) {
        json nodes = json::array();
        for (int i = 1; i <= tree->Nodes().Count(); ++i) {
            const Node& node = tree->Nodes().Item(i);
            nodes.push_back({{"index", node.Index()},
                             {"text", node.Text()},
                             {"tag", node.Tag()},
                             {"image", node.Image()},
                             {"parent", node.Parent() != nullptr ? node.Parent()->Index() : 0},
                             {"expanded", node.Expanded()}});
        }
        out["nodes"] = nodes;
        out["selected"] = tree->SelectedItem() != nullptr ? tree->SelectedItem()->Index() : 0;
    } else if (const auto* frame = dynamic_cast<const Frame*>(&control)) {
        out["caption"] = frame->Caption();
    } else if (const auto* picture = dynamic_cast<const PictureBox*>(&control)) {
        out["picture"] = picture->Picture().Describe();
    } else if (const auto* images = dynamic_cast<const ImageList*>(&control)) {
        out["keys"] = images->Keys();
    } else if (const auto* custom = dynamic_cast<const CustomControl*>(&control)) {
        out["type"] = custom->TypeName();
    } else if (const auto* dialog = dynamic_cast<const CommonDialog*>(&control)) {
        out["fileName"] = dialog->FileName();
        out["filter"] = dialog->Filter();
        out["flags"] = dialog->Flags();
    }
    return out;
}

json DumpForm(const Form& form) {
    json controls = json::array();
    for (const Control* control : form.Controls()) {
        controls.push_back(DumpControl(*control));
    }
    return json{{"form", form.Name()},
                {"caption", form.Caption()},
                {"loaded", form.Loaded()},
                {"visible", form.Visible()},
                {"windowState", StateName(form.WindowState())},
                {"left", form.Left()},
                {"top", form.Top()},
                {"width", form.Width()},
                {"height", form.Height()},
                {"default", NameOf(form.DefaultButton())},
                {"cancel", NameOf(form.CancelButton())},
                {"focus", NameOf(form.ActiveControl())},
                {"controls", controls}};
}

json DumpPrompts(const HeadlessBackend& backend) {
    json boxes = json::array();
    for (const auto& box : backend.Boxes()) {
        boxes.push_back({{"text", box.request.text},
                         {"buttons", box.request.buttons},
                         {"icon", box.request.icon},
                         {"title", box.request.title},
                         {"answer", MessageBoxResultName(box.result)}});
    }
    json dialogs = json::array();
    for (const auto& dialog : backend.FileDialogs()) {
        dialogs.push_back({{"save", dialog.save},
                           {"fileName", dialog.fileName},
                           {"initDir", dialog.initDir},
                           {"filter", dialog.filter}});
    }
    return json{{"messageBoxes", boxes}, {"fileDialogs", dialogs}};
}

std::string Brief(const Control& control) {
    std::string out =
        control.Name() + ' ' + (control.Visible() ? 'V' : '-') + (control.Enabled() ? 'E' : '-');
    auto items = [](const ListControl& list) {
        std::string s = " #" + std::to_string(list.ListIndex()) + " [";
        for (int i = 0; i < list.ListCount(); ++i) {
            s += (i == 0 ? "" : "|") + list.List(i);
        }
        return s + "]";
    };
    if (const auto* button = dynamic_cast<const CommandButton*>(&control)) {
        out += button->Default() ? " default" : "";
        out += button->Cancel() ? " cancel" : "";
    } else if (const auto* check = dynamic_cast<const CheckBox*>(&control)) {
        out += " =" + std::to_string(check->Value());
    } else if (const auto* option = dynamic_cast<const OptionButton*>(&control)) {
        out += option->Value() ? " =1" : " =0";
    } else if (const auto* text = dynamic_cast<const TextBox*>(&control)) {
        out += " \"" + text->Text() + "\"";
    } else if (const auto* combo = dynamic_cast<const ComboBox*>(&control)) {
        out += items(*combo);
        if (combo->GetStyle() == ComboBox::Style::DropDownCombo) {
            out += " \"" + combo->Text() + "\"";
        }
    } else if (const auto* list = dynamic_cast<const ListBox*>(&control)) {
        out += items(*list);
    } else if (const auto* tree = dynamic_cast<const TreeView*>(&control)) {
        const Node* selected = tree->SelectedItem();
        out += " @" + (selected != nullptr ? std::to_string(selected->Index()) : "-") +
               " n=" + std::to_string(tree->Nodes().Count());
    }
    return out;
}

} // namespace foliant::forms
