#pragma once

// The wizard's choices gathered into ReportChoices: the dialog's lists and boxes (given here as
// plain values, since the dialog is a layer above) together with the group, summary and
// group-sorting arrays of the wizard state.

#include "generate/ReportChoices.h"
#include "wizard/WizardState.h"

#include <string>
#include <vector>

namespace foliant::generate {

// What the dialog's controls hold that the wizard state does not.
struct DialogChoices {
    // A chosen field as the field list shows it, with its FieldKind (the item's data).
    struct Field {
        std::string text;
        int kind = static_cast<int>(engine::FieldKind::Database);
    };
    // A group, outermost first: the plain field name and its record order (0, 1 or 2).
    struct Group {
        std::string field;
        int order = 0;
    };
    std::vector<Field> fields;
    std::vector<Group> groups;
    // The record selection formula built from the filtered fields ("" keeps the report's own).
    std::string selectionFormula;
    std::string title;
    // The selected style, 0 to 9.
    int style = 0;
};

// The report choices for the dialog's lists and the state's arrays. Group g (1-based) takes the
// summaries of slots FirstSummarySlot(g) on, GroupSummaryCount(g) of them, and its sorting from
// GroupSortKind/Value/Field/OthersLabel(g): kind 0 is Top N and 1 Bottom N of GroupSortValue(g)
// groups, dropping the others when the others label is empty; kind 2 sorts all groups,
// ascending unless GroupSortValue(g) is 0; any other kind leaves the group unsorted. N (or P)
// of a summary is its parameter read as a whole number, 0 when empty. Throws AutomationError 13
// naming the summary when a parameter that needs a number does not read as one, and 6 when it
// does not fit 16 bits; throws AutomationError 9 when the state has fewer group or summary
// entries than the dialog's groups need.
ReportChoices ChoicesFromWizard(const Wizard::WizardState& state, const DialogChoices& dialog);

} // namespace foliant::generate
