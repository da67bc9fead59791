#pragma once

// The detail records of a run as a CSV table: one row per record, in the order the report
// shows them, one column per field of the details section from left to right, under a row of
// headings (the page header's text over the column, or the field's name). Values are written
// plainly for other programs: numbers without separators or symbols, dates and times in ISO
// form, text as it is; fields are quoted when they hold a comma, a quote or a line break.

#include "engine/run/Runner.h"

#include <string>

namespace foliant::preview {

std::string DetailRecordsCsv(const engine::run::RunResult& run);

// Writes the table to `path` (through a temporary file, so a failure leaves an existing file
// as it was). Throws EngineError naming the file and the problem.
void WriteDetailRecordsCsv(const engine::run::RunResult& run, const std::string& path);

} // namespace foliant::preview
