#include "dialog/frmWizard.h"

#include "platform/forms/Backend.h"
#include "resources/Resources.h"
#include "wizard/WizardState.h"

#include <charconv>
#include <memory>

namespace foliant::dialog {

using resources::LoadResString;

frmWizard::frmWizard() : Form("frmWizard") {
    SetClientSize(7905, 4710);
    SetBorderStyle(forms::BorderStyle::FixedDialog);
    cmdNext.SetDefault(true);
    cmdCancel.SetCancel(true);
    TopNAscendingOption.SetContainer(&TopNTotalADFrame);
    TopNDescendingOption.SetContainer(&TopNTotalADFrame);

    // Design state: common and page-1 controls visible, every other page hidden.
    for (forms::Control* control : Controls()) {
        if (Wizard::TagNumber(*control) > 20) {
            control->SetVisible(false);
        }
    }
    for (Label* heading :
         {&ChooseFieldBoldLabel, &ChooseGroupBoldLabel, &ChooseTotalBoldLabel, &ChooseTopNBoldLabel,
          &ChooseSelectBoldLabel, &ChooseStyleBoldLabel, &WhichReportPathLabel}) {
        heading->SetFontBold(true);
    }
    Add.SetCaption(">");
    AddAll.SetCaption(">>");
    Remove.SetCaption("<");
    RemoveAll.SetCaption("<<");
    AddGroup.SetCaption(">");
    RemoveGroup.SetCaption("<");
    AddTotal.SetCaption(">");
    RemoveTotal.SetCaption("<");
    AddSelect.SetCaption(">");
    RemoveSelect.SetCaption("<");
    Browse.SetCaption("...");
    for (CommandButton* up : {&CmdReportFieldUp, &cmdGroupUp}) {
        up->SetPicture(forms::Picture::Named(std::string(resources::kArrowUpPicture)));
    }
    for (CommandButton* down : {&cmdReportFieldDown, &CmdGroupDown}) {
        down->SetPicture(forms::Picture::Named(std::string(resources::kArrowDownPicture)));
    }
    for (forms::Control* off : std::initializer_list<forms::Control*>{
             &Remove, &RemoveAll, &CmdReportFieldUp, &cmdReportFieldDown, &RemoveGroup, &cmdGroupUp,
             &CmdGroupDown, &SortOrder, &OrderCombo, &RemoveTotal, &SumCombo}) {
        off->SetEnabled(false);
    }
    GrandTotalCheck.SetValue(1);
    TopNText.SetText("5");
    TopNIncludeOthersCheck.SetValue(1);
    TopNAscendingOption.SetValue(true);
    QuickPreviewOption.SetValue(true);

    OnLoad = [this] { Form_Load(); };
    cmdNext.Click = [this] { cmdNext_Click(); };
    cmdBack.Click = [this] { cmdBack_Click(); };
    cmdCancel.Click = [this] { cmdCancel_Click(); };
    cmdHelp.Click = [this] { cmdHelp_Click(); };
    FinishCmd.Click = [this] { FinishCmd_Click(); };
    Add.Click = [this] { Add_Click(); };
    AddAll.Click = [this] { AddAll_Click(); };
    Remove.Click = [this] { Remove_Click(); };
    RemoveAll.Click = [this] { RemoveAll_Click(); };
    cmdReportFieldDown.Click = [this] { cmdReportFieldDown_Click(); };
    CmdReportFieldUp.Click = [this] { CmdReportFieldUp_Click(); };
    ReportFieldList1.Click = [this] { ReportFieldList1_Click(); };
    DatabaseTreeView.Click = [this] { DatabaseTreeView_Click(); };
    DatabaseTreeView.NodeClick = [this](forms::Node& node) { DatabaseTreeView_NodeClick(node); };
    DatabaseTreeView.DblClick = [this] { DatabaseTreeView_DblClick(); };
    AddGroup.Click = [this] { AddGroup_Click(); };
    RemoveGroup.Click = [this] { RemoveGroup_Click(); };
    cmdGroupUp.Click = [this] { cmdGroupUp_Click(); };
    CmdGroupDown.Click = [this] { CmdGroupDown_Click(); };
    GroupTreeView.NodeClick = [this](forms::Node& node) { GroupTreeView_NodeClick(node); };
    OrderCombo.Click = [this] { OrderCombo_Click(); };
    AddTotal.Click = [this] { AddTotal_Click(); };
    RemoveTotal.Click = [this] { RemoveTotal_Click(); };
    GroupCombo.Click = [this] { GroupCombo_Click(); };
    TotalList.Click = [this] { TotalList_Click(); };
    SumCombo.Click = [this] { SumCombo_Click(); };
    SecondSummaryCombo.Click = [this] { SecondSummaryCombo_Click(); };
    PIsText.KeyPress = [this](int& keyAscii) { PIsText_KeyPress(keyAscii); };
    PIsText.Change = [this] { PIsText_Change(); };
    GrandTotalCheck.Click = [this] { GrandTotalCheck_Click(); };
    TopNGroupCombo.Click = [this] { TopNGroupCombo_Click(); };
    TopNSortCombo.Click = [this] { TopNSortCombo_Click(); };
    TopNTotalCombo.Click = [this] { TopNTotalCombo_Click(); };
    TopNAscendingOption.Click = [this] { TopNAscendingOption_Click(); };
    TopNDescendingOption.Click = [this] { TopNDescendingOption_Click(); };
    TopNIncludeOthersCheck.Click = [this] { TopNIncludeOthersCheck_Click(); };
    TopNOthersText.Change = [this] { TopNOthersText_Change(); };
    TopNText.KeyPress = [this](int& keyAscii) { TopNText_KeyPress(keyAscii); };
    TopNText.Change = [this] { TopNText_Change(); };
    AddSelect.Click = [this] { AddSelect_Click(); };
    RemoveSelect.Click = [this] { RemoveSelect_Click(); };
    SelectList.Click = [this] { SelectList_Click(); };
    ConditionCombo.Click = [this] { ConditionCombo_Click(); };
    ConditionTextCombo.Change = [this] { ConditionTextCombo_Change(); };
    ConditionTextCombo.Click = [this] { ConditionTextCombo_Click(); };
    ConditionTextCombo.KeyDown = [this](int keyCode) { ConditionTextCombo_KeyDown(keyCode); };
    SecondConditionText.Change = [this] { SecondConditionText_Change(); };
    ConditionList.Click = [this] { ConditionList_Click(); };
    ConditionDel.Click = [this] { ConditionDel_Click(); };
    StyleList.Click = [this] { StyleList_Click(); };
    Browse.Click = [this] { Browse_Click(); };
}

void frmWizard::Form_Load() {
    Wizard::ApplyResourceTexts();
    DatabaseTreeView.SetImageList(&ImageList1);
    GroupTreeView.SetImageList(&ImageList1);
    CommonDialog1.SetFlags(CommonDialog1.Flags() | forms::cdlOFNHideReadOnly);
    CommonDialog1.SetFilter(LoadResString(318));
    Wizard::FillDatabaseTree(true);
    forms::Node& root = GroupTreeView.Nodes().Add(LoadResString(132), "Groups");
    root.SetExpanded(true);
}

} // namespace foliant::dialog

namespace foliant::Wizard {

using resources::LoadResString;

namespace {

thread_local std::unique_ptr<dialog::frmWizard> current;

} // namespace

dialog::frmWizard& NewWizardForm() {
    current.reset();
    current = std::make_unique<dialog::frmWizard>();
    current->Load();
    return *current;
}

dialog::frmWizard& WizardForm() {
    if (!current) {
        throw automation::AutomationError(automation::kObjectNotSet, "Foliant",
                                          "Object variable not set: the wizard dialog is not "
                                          "loaded.");
    }
    return *current;
}

dialog::frmWizard* CurrentWizardForm() {
    return current.get();
}

int TagNumber(const forms::Control& control) {
    const std::string& tag = control.Tag();
    int value = 0;
    const auto [end, error] = std::from_chars(tag.data(), tag.data() + tag.size(), value);
    if (error != std::errc() || end != tag.data() + tag.size()) {
        return 0;
    }
    return value;
}

void ApplyResourceTexts() {
    dialog::frmWizard& f = WizardForm();
    const auto caption = [](auto& control, int id) { control.SetCaption(LoadResString(id)); };
    const auto tip = [](forms::Control& control, int id) {
        control.SetToolTipText(LoadResString(id));
    };
    f.SetCaption(LoadResString(101));
    caption(f.DatabaseFields, 102);
    caption(f.WhichFieldLabel, 103);
    caption(f.ReportFields, 104);
    caption(f.cmdBack, 105);
    tip(f.cmdBack, 253);
    caption(f.cmdNext, 106);
    tip(f.cmdNext, 252);
    caption(f.FinishCmd, 107);
    tip(f.FinishCmd, 255);
    caption(f.cmdCancel, 108);
    tip(f.cmdCancel, 254);
    caption(f.WhichGroupSortLabel, 110);
    caption(f.GroupFields, 111);
    caption(f.SortOrder, 112);
    caption(f.WhichTotalLabel, 113);
    caption(f.GroupLabel, 114);
    caption(f.TotalFieldLabel, 115);
    caption(f.GrandTotalCheck, 116);
    caption(f.WhichSelectLabel, 117);
    caption(f.SelectFieldLabel, 118);
    caption(f.WhichStyleLabel, 119);
    caption(f.WhichReportPathLabel, 121);
    caption(f.WhichPreviewLabel, 122);
    caption(f.QuickPreviewOption, 123);
    caption(f.SaveOption, 271);
    caption(f.VRWDesignerOption, 124);
    caption(f.WithLabel, 190);
    caption(f.PIsLabel, 191);
    caption(f.cmdHelp, 250);
    tip(f.cmdHelp, 256);
    tip(f.Add, 257);
    tip(f.AddAll, 258);
    tip(f.Remove, 259);
    tip(f.RemoveAll, 260);
    tip(f.cmdReportFieldDown, 261);
    tip(f.CmdReportFieldUp, 262);
    tip(f.AddGroup, 263);
    tip(f.RemoveGroup, 264);
    tip(f.AddTotal, 265);
    tip(f.RemoveTotal, 266);
    tip(f.AddSelect, 267);
    tip(f.RemoveSelect, 268);
    caption(f.ConditionDel, 313);
    tip(f.ConditionDel, 269);
    tip(f.Browse, 270);
    caption(f.ChooseFieldBoldLabel, 303);
    caption(f.ChooseGroupBoldLabel, 304);
    caption(f.ChooseTotalBoldLabel, 305);
    caption(f.TopNTotalADFrame, 307);
    caption(f.ChooseTopNBoldLabel, 308);
    caption(f.WhichTopNLabel, 309);
    caption(f.ChooseSelectBoldLabel, 310);
    caption(f.ChooseStyleBoldLabel, 311);
    caption(f.ReportTitle, 312);
    caption(f.AndLabel, 314);
    tip(f.cmdGroupUp, 315);
    tip(f.CmdGroupDown, 316);
    caption(f.TopNAscendingOption, 240);
    caption(f.TopNDescendingOption, 241);
    caption(f.TopNGroupLabel, 306);
    caption(f.TopNIncludeOthersCheck, 242);
    caption(f.TopNOfLabel, 243);
    caption(f.TopNSortLabel, 245);
    caption(f.TopNTotalLabel, 246);
    caption(f.TopNWhereNIsLabel, 247);

    for (int id = 133; id <= 135; ++id) {
        f.OrderCombo.AddItem(LoadResString(id));
    }
    f.OrderCombo.SetListIndex(0);
    for (int id = 161; id <= 175; ++id) {
        f.ConditionCombo.AddItem(LoadResString(id));
    }
    f.ConditionCombo.SetListIndex(0);
    for (int id = 192; id <= 201; ++id) {
        f.StyleList.AddItem(LoadResString(id));
    }
    f.StyleList.SetListIndex(0);
    f.StylePicture.SetPicture(forms::Picture::Resource(103));
    f.CommonDialog1.SetFileName(LoadResString(275));
    for (int id = 230; id <= 232; ++id) {
        f.TopNSortCombo.AddItem(LoadResString(id));
    }
    f.TopNSortCombo.SetListIndex(2);
    f.TopNOthersText.SetText(LoadResString(244));
    f.FinalPicture.SetPicture(forms::Picture::Resource(102));
    for (const auto key : resources::ImageListKeys()) {
        f.ImageList1.Add(std::string(key), forms::Picture::Named(std::string(key)));
    }
}

} // namespace foliant::Wizard
