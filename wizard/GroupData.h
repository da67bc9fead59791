#pragma once

// The group and summary arrays of the wizard state as one whole. The five group arrays hold one
// entry per group (group 1 the outermost); the four summary arrays one entry per summary, stored
// group after group, GroupSummaryCount(g) of them for group g. Every routine here keeps that
// layout and touches no form; the pages call them and mirror the change in their controls.

#include <cstdint>
#include <string>

namespace foliant::Wizard {

// String id of the label of the group that gathers the groups beyond N.
inline constexpr int kOthersText = 244;

// The codes of GroupSortKind(g), in the order of the group-sorting page's sort list.
inline constexpr std::int16_t kSortTopN = 0;
inline constexpr std::int16_t kSortBottomN = 1;
inline constexpr std::int16_t kSortAll = 2;
// GroupSortValue(g) under Sort All: the direction, as the ascending option's value (-1 true).
inline constexpr std::int16_t kAscending = -1;
inline constexpr std::int16_t kDescending = 0;

// The slot of group g's first summary: 1 + the summaries of the groups before g (one past the
// summaries of those groups when g has none).
int FirstSummarySlot(int g);

// Appends a group with no summaries and the default sorting: Sort All, ascending, no sort
// field, the others label "Others".
void AppendGroupData();
// Deletes group g: its summaries, then its entries of the group arrays (the later groups move
// down by one).
void DeleteGroupData(int g);
// Exchanges groups a and b with their blocks of summaries and their sorting, so that a group's
// summaries and settings travel with it when it moves.
void SwapGroupData(int a, int b);

// Inserts a summary of field right after the last summary of group g, with the grand total on
// and no parameter; returns its slot.
int InsertSummary(int g, const std::string& field, std::int32_t operation);
// Deletes the index-th (0-based) summary of group g.
void DeleteSummary(int g, int index);

// Puts group g's sorting back to the defaults (as for a new group).
void ResetGroupSort(int g);

} // namespace foliant::Wizard
