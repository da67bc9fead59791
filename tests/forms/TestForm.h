#pragma once

#include "platform/forms/Controls.h"
#include "platform/forms/Form.h"
#include "platform/forms/HeadlessBackend.h"
#include "platform/forms/TreeView.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace foliant::forms::testing {

// A small dialog with one control of each kind that takes user input, and a log that its
// handlers write to, so a test can see exactly which handlers ran and in what order.
class TestForm : public Form {
public:
    TestForm() : Form("frmTest") {
        SetCaption("Test");
        SetClientSize(6000, 4000);
        up.SetContainer(&orderFrame);
        down.SetContainer(&orderFrame);
        up.SetValue(true);
        cmdOK.SetDefault(true);
        cmdCancel.SetCancel(true);
        tree.SetImageList(&images);
        for (const char* name : {"cmdOK", "cmdCancel"}) {
            auto& button = ControlAs<CommandButton>(name);
            button.Click = [this, name] { Log(std::string(name) + ".Click"); };
        }
        check.Click = [this] { Log("check.Click=" + std::to_string(check.Value())); };
        up.Click = [this] { Log("up.Click"); };
        down.Click = [this] { Log("down.Click"); };
        loose.Click = [this] { Log("loose.Click"); };
        list.Click = [this] { Log("list.Click#" + std::to_string(list.ListIndex())); };
        list.DblClick = [this] { Log("list.DblClick"); };
        combo.Click = [this] { Log("combo.Click#" + std::to_string(combo.ListIndex())); };
        combo.Change = [this] { Log("combo.Change=" + combo.Text()); };
        dropList.Click = [this] { Log("dropList.Click#" + std::to_string(dropList.ListIndex())); };
        text.KeyPress = [this](int& key) { Log("text.KeyPress " + std::to_string(key)); };
        text.Change = [this] { Log("text.Change=" + text.Text()); };
        text.KeyDown = [this](int code) { Log("text.KeyDown " + std::to_string(code)); };
        tree.NodeClick = [this](Node& node) { Log("tree.NodeClick " + node.Text()); };
        tree.Click = [this] { Log("tree.Click"); };
        tree.DblClick = [this] { Log("tree.DblClick"); };
    }

    void Log(std::string entry) { log.push_back(std::move(entry)); }
    std::vector<std::string> TakeLog() { return std::exchange(log, {}); }

    std::vector<std::string> log;

    Label& caption = Add<Label>("caption", {120, 120, 3000, 240}, "10");
    CommandButton& cmdOK = Add<CommandButton>("cmdOK", {3000, 3500, 1095, 315}, "1");
    CommandButton& cmdCancel = Add<CommandButton>("cmdCancel", {4200, 3500, 1095, 315}, "2");
    CheckBox& check = Add<CheckBox>("check", {120, 480, 2000, 255}, "11");
    Frame& orderFrame = Add<Frame>("orderFrame", {120, 800, 2000, 900}, "12");
    OptionButton& up = Add<OptionButton>("up", {120, 240, 1500, 255}, "13");
    OptionButton& down = Add<OptionButton>("down", {120, 540, 1500, 255}, "14");
    OptionButton& loose = Add<OptionButton>("loose", {120, 1800, 1500, 255}, "15");
    TextBox& text = Add<TextBox>("text", {2400, 480, 2000, 315}, "16");
    ListBox& list = Add<ListBox>("list", {2400, 900, 1500, 1000}, "17");
    ComboBox& combo = Add<ComboBox>("combo", {2400, 2000, 1500, 315}, "18");
    ComboBox& dropList =
        Add<ComboBox>("dropList", {2400, 2400, 1500, 315}, "19", ComboBox::Style::DropDownList);
    ImageList& images = Add<ImageList>("images");
    TreeView& tree = Add<TreeView>("tree", {4000, 900, 1900, 2400}, "20");
    PictureBox& picture = Add<PictureBox>("picture", {120, 2200, 1500, 1000}, "21");
    CommonDialog& fileDialog = Add<CommonDialog>("fileDialog");
};

// Installs a fresh headless backend for one test and puts the previous one back after it.
class HeadlessScope {
public:
    HeadlessScope()
        : backend(std::make_shared<HeadlessBackend>()), previous_(SetBackend(backend)) {}
    ~HeadlessScope() { SetBackend(previous_); }
    std::shared_ptr<HeadlessBackend> backend;

private:
    std::shared_ptr<Backend> previous_;
};

} // namespace foliant::forms::testing
