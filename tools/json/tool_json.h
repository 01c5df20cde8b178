// The tools' JSON output: quillo-check --json and quillo-sim --json, one object per line, members
// in a fixed order and spaced as the manual shows them (", " and ": "). Scripts parse it.
#pragma once
#include <string>

#include "compile_session.h"
#include "sim_record.h"

// {"messages": [...], "image": "28 00 ..." or null, "tables": [{...}, {...}, {...}]}: the
// compile's messages in the tools' language, gEngine's installed image and function tables.
std::string CheckJson(const CompileOutcome& outcome);
// One quillo-sim record; no line end.
std::string RecordJson(const SimRecord& record);
