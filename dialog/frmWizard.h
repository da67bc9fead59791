#pragma once

#include "generate/SelectionFormula.h"
#include "platform/forms/Controls.h"
#include "platform/forms/Form.h"
#include "platform/forms/TreeView.h"

#include <cstdint>
#include <optional>
#include <string>

namespace foliant::dialog {

using forms::CheckBox;
using forms::ComboBox;
using forms::CommandButton;
using forms::CommonDialog;
using forms::Frame;
using forms::ImageList;
using forms::Label;
using forms::ListBox;
using forms::OptionButton;
using forms::PictureBox;
using forms::TextBox;
using forms::TreeView;

// The wizard's dialog. Its pages are not panels: every control sits on the form (only the two
// order options of page 4 sit in TopNTotalADFrame) and its numeric Tag says which page it
// belongs to: 1-9 common, 10-20 page 1, 21-31 page 2, 32-46 page 3, 47-63 page 4, 64-76 page 5,
// 77-83 page 6, 84-92 page 7. At design time the common and page-1 controls are visible and
// every other page's controls hidden. Declaration order is the tab order: cmdNext first.
class frmWizard : public forms::Form {
public:
    frmWizard();

    // Handlers of the frame (the page engine).
    void Form_Load();
    void cmdNext_Click();
    void cmdBack_Click();
    void cmdCancel_Click();
    void cmdHelp_Click();
    // Builds the report from every choice, saves it and starts the chosen output.
    void FinishCmd_Click();
    // Page 1, and the database tree that pages 1, 2, 3 and 5 pick fields from.
    void Add_Click();
    void AddAll_Click();
    void Remove_Click();
    void RemoveAll_Click();
    void cmdReportFieldDown_Click();
    void CmdReportFieldUp_Click();
    void ReportFieldList1_Click();
    void DatabaseTreeView_Click();
    void DatabaseTreeView_NodeClick(forms::Node& node);
    void DatabaseTreeView_DblClick();
    // Page 2: the group chain and each group's record order.
    void AddGroup_Click();
    void RemoveGroup_Click();
    void cmdGroupUp_Click();
    void CmdGroupDown_Click();
    void GroupTreeView_NodeClick(forms::Node& node);
    void OrderCombo_Click();
    // Page 3: the summaries of the group chosen in GroupCombo.
    void AddTotal_Click();
    void RemoveTotal_Click();
    void GroupCombo_Click();
    void TotalList_Click();
    void SumCombo_Click();
    void SecondSummaryCombo_Click();
    void PIsText_KeyPress(int& keyAscii);
    void PIsText_Change();
    void GrandTotalCheck_Click();
    // Page 4: the sorting of the groups of the group chosen in TopNGroupCombo.
    void TopNGroupCombo_Click();
    void TopNSortCombo_Click();
    void TopNTotalCombo_Click();
    void TopNAscendingOption_Click();
    void TopNDescendingOption_Click();
    void TopNIncludeOthersCheck_Click();
    void TopNOthersText_Change();
    void TopNText_KeyPress(int& keyAscii);
    void TopNText_Change();
    // Page 5's add button, which a double click on a field node presses.
    void AddSelect_Click();
    // Page 5: record selection.
    void RemoveSelect_Click();
    void SelectList_Click();
    void ConditionCombo_Click();
    void ConditionTextCombo_Change();
    void ConditionTextCombo_Click();
    void ConditionTextCombo_KeyDown(int keyCode);
    void SecondConditionText_Change();
    void ConditionList_Click();
    void ConditionDel_Click();
    // Pages 6 and 7.
    void StyleList_Click();
    void Browse_Click();

private:
    // Moves the selected field of ReportFieldList1 by one place (-1 up, 1 down) with its
    // FieldKind.
    void MoveReportField(int by);
    // Disables RemoveAll, Remove and both move buttons (the field list is empty).
    void DisableFieldListButtons();
    // After a field node was added on any page: its next sibling becomes the tree's selection,
    // or, after a table's last field, its table node with the page's add button disabled.
    void AdvanceTreeSelection(forms::Node& added, CommandButton& add);
    // Makes the group node selected and shows its order and move buttons (after a move or a
    // removal).
    void SelectGroupNode(forms::Node& node);
    // The group chosen in GroupCombo (1-based; 0 when none) and the slot of the summary
    // selected in TotalList (0 when none).
    int SummaryGroup() const;
    int SummarySlot() const;
    // Shows or hides the parameter boxes of the summaries page: the N/P pair and the
    // second-field pair.
    void ShowNumberParameter(bool shown);
    void ShowSecondFieldParameter(bool shown);
    // The group whose sorting page 4 shows (the item data of TopNGroupCombo's entry; 0 when
    // none), and that group's stored direction, or N and others label, shown again.
    int SortGroupNumber() const;
    void ShowGroupSortValues(int g);

    template <typename T, typename... Args>
    T& Declare(std::string name, forms::Rect rect, std::string tag, Args&&... args) {
        return Form::Add<T>(std::move(name), rect, std::move(tag), std::forward<Args>(args)...);
    }
    static constexpr auto kList = ComboBox::Style::DropDownList;
    static constexpr auto kCombo = ComboBox::Style::DropDownCombo;

public:
    // Common controls.
    CommandButton& cmdNext = Declare<CommandButton>("cmdNext", {5250, 4260, 1095, 315}, "2");
    CommandButton& cmdBack = Declare<CommandButton>("cmdBack", {4080, 4260, 1095, 315}, "1");
    CommandButton& cmdCancel = Declare<CommandButton>("cmdCancel", {2900, 4260, 1095, 315}, "3");
    CommandButton& FinishCmd = Declare<CommandButton>("FinishCmd", {6440, 4260, 1280, 315}, "4");
    CommandButton& cmdHelp = Declare<CommandButton>("cmdHelp", {200, 4260, 1095, 315}, "9");
    Frame& Frame1 = Declare<Frame>("Frame1", {180, 4082, 7550, 75}, "5");
    Label& DatabaseFields = Declare<Label>("DatabaseFields", {180, 1340, 2815, 200}, "7");
    TreeView& DatabaseTreeView =
        Declare<TreeView>("DatabaseTreeView", {180, 1590, 3200, 2400}, "6");
    ImageList& ImageList1 = Declare<ImageList>("ImageList1", {}, "8");
    CommonDialog& CommonDialog1 = Declare<CommonDialog>("CommonDialog1", {}, "");

    // Page 1: fields to display.
    Label& ChooseFieldBoldLabel =
        Declare<Label>("ChooseFieldBoldLabel", {180, 120, 7600, 200}, "10");
    Label& WhichFieldLabel = Declare<Label>("WhichFieldLabel", {180, 360, 7600, 600}, "11");
    Frame& ChooseFieldFrame = Declare<Frame>("ChooseFieldFrame", {180, 1020, 7550, 75}, "20");
    CommandButton& Add = Declare<CommandButton>("Add", {3500, 1880, 495, 255}, "14");
    CommandButton& AddAll = Declare<CommandButton>("AddAll", {3500, 2170, 495, 255}, "15");
    CommandButton& Remove = Declare<CommandButton>("Remove", {3500, 2640, 495, 255}, "16");
    CommandButton& RemoveAll = Declare<CommandButton>("RemoveAll", {3500, 2940, 495, 255}, "17");
    Label& ReportFields = Declare<Label>("ReportFields", {4100, 1350, 3255, 200}, "12");
    ListBox& ReportFieldList1 =
        Declare<ListBox>("ReportFieldList1", {4100, 1590, 3160, 2400}, "13");
    CommandButton& CmdReportFieldUp =
        Declare<CommandButton>("CmdReportFieldUp", {7360, 1600, 270, 240}, "18");
    CommandButton& cmdReportFieldDown =
        Declare<CommandButton>("cmdReportFieldDown", {7360, 1860, 270, 240}, "19");

    // Page 2: grouping.
    Label& ChooseGroupBoldLabel =
        Declare<Label>("ChooseGroupBoldLabel", {180, 120, 7600, 200}, "21");
    Label& WhichGroupSortLabel = Declare<Label>("WhichGroupSortLabel", {180, 360, 7600, 600}, "21");
    Frame& ChooseGroupFrame = Declare<Frame>("ChooseGroupFrame", {180, 1020, 7550, 75}, "31");
    CommandButton& AddGroup = Declare<CommandButton>("AddGroup", {3500, 1840, 480, 300}, "25");
    CommandButton& RemoveGroup =
        Declare<CommandButton>("RemoveGroup", {3500, 2240, 495, 300}, "26");
    Label& GroupFields = Declare<Label>("GroupFields", {4100, 1350, 3275, 200}, "23");
    TreeView& GroupTreeView = Declare<TreeView>("GroupTreeView", {4100, 1590, 3160, 2000}, "24");
    CommandButton& cmdGroupUp = Declare<CommandButton>("cmdGroupUp", {7360, 1600, 270, 240}, "29");
    CommandButton& CmdGroupDown =
        Declare<CommandButton>("CmdGroupDown", {7360, 1860, 270, 240}, "30");
    Label& SortOrder = Declare<Label>("SortOrder", {4100, 3750, 1800, 320}, "27");
    ComboBox& OrderCombo = Declare<ComboBox>("OrderCombo", {4900, 3670, 2450, 315}, "28", kList);

    // Page 3: summaries.
    Label& ChooseTotalBoldLabel =
        Declare<Label>("ChooseTotalBoldLabel", {180, 120, 7600, 255}, "41");
    Label& WhichTotalLabel = Declare<Label>("WhichTotalLabel", {180, 360, 7600, 600}, "32");
    Frame& ChooseTotalFrame = Declare<Frame>("ChooseTotalFrame", {180, 770, 7550, 75}, "46");
    Label& GroupLabel = Declare<Label>("GroupLabel", {180, 940, 1500, 240}, "33");
    ComboBox& GroupCombo = Declare<ComboBox>("GroupCombo", {1680, 900, 5820, 315}, "34", kList);
    CommandButton& AddTotal = Declare<CommandButton>("AddTotal", {3500, 1840, 460, 300}, "37");
    CommandButton& RemoveTotal =
        Declare<CommandButton>("RemoveTotal", {3500, 2240, 460, 300}, "40");
    Label& TotalFieldLabel = Declare<Label>("TotalFieldLabel", {4100, 1350, 3600, 255}, "35");
    ListBox& TotalList = Declare<ListBox>("TotalList", {4100, 1590, 3400, 1230}, "36");
    ComboBox& SumCombo = Declare<ComboBox>("SumCombo", {4100, 2940, 3400, 315}, "37", kList);
    Label& PIsLabel = Declare<Label>("PIsLabel", {4100, 3400, 895, 255}, "42");
    TextBox& PIsText = Declare<TextBox>("PIsText", {4600, 3360, 1400, 315}, "43");
    Label& WithLabel = Declare<Label>("WithLabel", {4100, 3380, 815, 300}, "44");
    ComboBox& SecondSummaryCombo =
        Declare<ComboBox>("SecondSummaryCombo", {4500, 3340, 3000, 315}, "45", kList);
    CheckBox& GrandTotalCheck = Declare<CheckBox>("GrandTotalCheck", {4100, 3770, 3095, 255}, "38");

    // Page 4: group sorting.
    Label& ChooseTopNBoldLabel = Declare<Label>("ChooseTopNBoldLabel", {180, 120, 7600, 255}, "47");
    Label& WhichTopNLabel = Declare<Label>("WhichTopNLabel", {180, 360, 7600, 600}, "48");
    Frame& ChooseTopNFrame = Declare<Frame>("ChooseTopNFrame", {180, 1040, 7550, 75}, "63");
    Label& TopNGroupLabel = Declare<Label>("TopNGroupLabel", {180, 1290, 2800, 255}, "49");
    ComboBox& TopNGroupCombo =
        Declare<ComboBox>("TopNGroupCombo", {180, 1540, 4000, 315}, "50", kList);
    Label& TopNSortLabel = Declare<Label>("TopNSortLabel", {180, 2070, 1000, 255}, "51");
    ComboBox& TopNSortCombo =
        Declare<ComboBox>("TopNSortCombo", {180, 2070, 2415, 315}, "52", kList);
    Label& TopNOfLabel = Declare<Label>("TopNOfLabel", {2750, 2100, 910, 255}, "53");
    ComboBox& TopNTotalCombo =
        Declare<ComboBox>("TopNTotalCombo", {4020, 2070, 3655, 315}, "58", kList);
    Label& TopNTotalLabel = Declare<Label>("TopNTotalLabel", {3620, 7070, 2455, 255}, "54");
    Label& TopNWhereNIsLabel = Declare<Label>("TopNWhereNIsLabel", {180, 2580, 1300, 350}, "59");
    TextBox& TopNText = Declare<TextBox>("TopNText", {1620, 2540, 800, 350}, "60");
    // The others check box is wide enough for its whole caption; the label box follows it.
    CheckBox& TopNIncludeOthersCheck =
        Declare<CheckBox>("TopNIncludeOthersCheck", {180, 3000, 4100, 375}, "61");
    TextBox& TopNOthersText = Declare<TextBox>("TopNOthersText", {4320, 3000, 1275, 350}, "62");
    Frame& TopNTotalADFrame = Declare<Frame>("TopNTotalADFrame", {4020, 2600, 3650, 615}, "55");
    OptionButton& TopNAscendingOption =
        Declare<OptionButton>("TopNAscendingOption", {220, 240, 1500, 255}, "56");
    OptionButton& TopNDescendingOption =
        Declare<OptionButton>("TopNDescendingOption", {1850, 240, 1500, 255}, "57");

    // Page 5: record selection.
    Label& ChooseSelectBoldLabel =
        Declare<Label>("ChooseSelectBoldLabel", {180, 120, 7600, 200}, "65");
    Label& WhichSelectLabel = Declare<Label>("WhichSelectLabel", {180, 360, 7600, 400}, "64");
    Frame& ChooseSelectFrame = Declare<Frame>("ChooseSelectFrame", {180, 820, 7550, 75}, "76");
    CommandButton& AddSelect = Declare<CommandButton>("AddSelect", {3500, 1840, 495, 300}, "67");
    CommandButton& RemoveSelect =
        Declare<CommandButton>("RemoveSelect", {3500, 2240, 495, 300}, "70");
    Label& SelectFieldLabel = Declare<Label>("SelectFieldLabel", {4100, 1340, 6935, 200}, "66");
    ListBox& SelectList = Declare<ListBox>("SelectList", {4100, 1590, 3580, 1035}, "67");
    ComboBox& ConditionCombo =
        Declare<ComboBox>("ConditionCombo", {4100, 2780, 3580, 315}, "66", kList);
    ComboBox& ConditionTextCombo =
        Declare<ComboBox>("ConditionTextCombo", {4100, 3140, 3580, 315}, "69", kCombo);
    Label& AndLabel = Declare<Label>("AndLabel", {4140, 3490, 1015, 255}, "70");
    ListBox& ConditionList = Declare<ListBox>("ConditionList", {4100, 3540, 2570, 450}, "72");
    TextBox& SecondConditionText =
        Declare<TextBox>("SecondConditionText", {4100, 3720, 3580, 315}, "73");
    CommandButton& ConditionDel =
        Declare<CommandButton>("ConditionDel", {6750, 3560, 900, 300}, "73");

    // Page 6: style and title.
    Label& ChooseStyleBoldLabel =
        Declare<Label>("ChooseStyleBoldLabel", {180, 120, 7600, 200}, "80");
    Label& WhichStyleLabel = Declare<Label>("WhichStyleLabel", {180, 360, 7600, 500}, "78");
    Frame& ChooseTitleFrame = Declare<Frame>("ChooseTitleFrame", {180, 800, 7550, 75}, "83");
    Label& ReportTitle = Declare<Label>("ReportTitle", {750, 1040, 1600, 300}, "81");
    TextBox& TitleText = Declare<TextBox>("TitleText", {2150, 1040, 5000, 300}, "82");
    ListBox& StyleList = Declare<ListBox>("StyleList", {750, 1390, 2900, 2595}, "79");
    PictureBox& StylePicture = Declare<PictureBox>("StylePicture", {4450, 1390, 2300, 2595}, "77");

    // Page 7: saving and viewing.
    PictureBox& FinalPicture = Declare<PictureBox>("FinalPicture", {180, 280, 2415, 3400}, "89");
    Label& WhichReportPathLabel =
        Declare<Label>("WhichReportPathLabel", {2880, 440, 4800, 250}, "85");
    TextBox& SaveText = Declare<TextBox>("SaveText", {2880, 800, 4100, 340}, "86");
    CommandButton& Browse = Declare<CommandButton>("Browse", {7120, 800, 480, 340}, "84");
    Label& WhichPreviewLabel = Declare<Label>("WhichPreviewLabel", {2880, 1540, 4400, 300}, "87");
    OptionButton& QuickPreviewOption =
        Declare<OptionButton>("QuickPreviewOption", {2880, 2010, 4700, 255}, "90");
    OptionButton& VRWDesignerOption =
        Declare<OptionButton>("VRWDesignerOption", {2880, 2340, 4700, 255}, "88");
    OptionButton& SaveOption = Declare<OptionButton>("SaveOption", {2880, 2680, 4700, 255}, "92");
};

} // namespace foliant::dialog

namespace foliant::Wizard {

// The wizard dialog of this thread's current run. NewWizardForm makes a fresh dialog and loads
// it (its load handling runs), replacing the dialog of an earlier run. WizardForm throws
// AutomationError 91 when no dialog has been made in this thread.
dialog::frmWizard& NewWizardForm();
dialog::frmWizard& WizardForm();
// The dialog of the current or last run, or null.
dialog::frmWizard* CurrentWizardForm();

// Sets the dialog's texts, list contents and pictures from the resources.
void ApplyResourceTexts();
// Rebuilds the database tree and the second-field list from the report's data source; fields
// of long text only when includeLongText.
void FillDatabaseTree(bool includeLongText);
// The way ChangePage moves.
enum class PageDirection : std::int16_t { Next = 1, Back = 2 };
// Moves CurrentPage forward or back with the skip rules, shows the page and prepares it. Any
// other direction shows the internal error and prepares the current page again.
void ChangePage(PageDirection direction);
// Shows the controls of page to and hides every other paged control.
void ShowPage(std::int16_t from, std::int16_t to);
std::int16_t NextPageNumber(std::int16_t page);
std::int16_t PreviousPageNumber(std::int16_t page);
// The steps that prepare the page just shown.
void RunPageEntry();
// Closes the help window, if one is open.
void CloseHelpWindow();
// Opens the help file path (which may name a topic after "::") in the help viewer and keeps the
// viewer's window handle in HelpWindow (0 when nothing opened).
void OpenHelp(std::intptr_t owner, const std::string& path);
// The help topic of a page ("summaries.htm" for page 3); the overview for any other number.
std::string PageHelpTopic(int page);
// CloseHelpWindow, then unloads the dialog.
void CloseWizard();

// What Finish does after the save: show the report in the preview window, nothing more, or
// open the saved file with the program registered for report files.
enum class OutputMode { Preview = 0, Later = 1, Designer = 2 };
// The output the option buttons of the last page choose.
OutputMode ChosenOutputMode();
// name without the blanks around it, with ".rpt" appended unless it already ends so (in any
// case).
std::string WithReportExtension(const std::string& name);
// Saves the current report under name (option as the engine takes it); true on success, else
// the engine's description is shown under "Error" and the result is false.
bool SaveReportFile(const std::string& name, int option);
// In mode Designer, starts the program registered for name with the quoted name as its
// argument, without waiting; when none is registered or it cannot start, says so under "Error".
void LaunchDesigner(OutputMode mode, const std::string& name);
// Shows the current report read-only in the preview window, modally.
void ShowPreview();

// The highest tag of the controls every page shares; page p's controls have the tags above
// kLastCommonTag + PageControlEnd(p - 1) up to kLastCommonTag + PageControlEnd(p).
inline constexpr int kLastCommonTag = 9;
// A control's Tag as a page-membership number; a tag that is not a number counts as 0.
int TagNumber(const forms::Control& control);
// The number of groups (group tree nodes below the root) and of summaries (sum of
// GroupSummaryCount).
int GroupCount();
// The first field node of the database tree (node 3 when the first table has a field), or null
// when no table has a field the tree lists.
forms::Node* FirstFieldNode();
int SummaryCount();

// Fields page helpers: whether a tree node's tag names a field, and a braced name without its
// first and last character.
bool IsFieldTag(const std::string& tag);
std::string StripBraces(const std::string& text);

// The record order a group node carries in its tag (0, 1 or 2).
int GroupOrderOf(const forms::Node& node);

// The N and P boxes: a key other than a digit or Backspace shows "Please enter an integer."
// and becomes a blank; a typed text is trimmed and, with a blank inside, its first two pieces
// are joined (caret after the first). WholeNumberIn gives the text's value when it is digits
// only and from low to high. ReadsAsNumber: a number with or without sign and decimals,
// blanks around allowed.
void RefuseNonDigitKey(int& keyAscii);
void TidyTypedNumber(forms::TextBox& box);
std::optional<int> WholeNumberIn(const std::string& text, int low, int high);
bool ReadsAsNumber(const std::string& text);
// The information box titled "Warning" with the string of that id.
void ShowWarning(int stringId);

// Small routines of the group, summary, group-sorting and selection pages the page engine calls.
void UpdateGroupMoveButtons();
void FillGroupCombo();
void FillTopNGroupCombo();
// The group-sorting page's arrangement for the sort kind k (0 Top N, 1 Bottom N, 2 Sort All,
// -1 none).
void ApplyTopNLayout(int k);
// Disables RemoveSelect and ConditionDel and hides the condition controls (no filtered field).
void HideConditionControls();
// Shows the value controls that operator op takes on the named field, and decides what Enter
// does: Next for one value or a range, the value field's own handling for a list or a period.
void ShowConditionControls(int op, const std::string& field);
// The filtered fields of the selection page with their operators and values.
std::vector<generate::FilteredField> FilteredFields();
// Removes the filtered fields left at "is any value" (they have no values).
void DropFieldsWithoutCondition();
// Whether the engine accepts the record selection formula built from the selection page. The
// report's own formula is the same afterwards whatever happens; a rejection is shown in a
// message box titled "Error".
bool CheckSelectionFormula();

} // namespace foliant::Wizard
