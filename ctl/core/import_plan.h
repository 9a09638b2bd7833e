// The plan of an import for one list, made whole before anything is sent: the file's lines with
// this machine's variables expanded, judged by the list model's rules, and with --replace the
// entries that the file does not list.
#pragma once

#include "ctl/core/variables.h"
#include "lists/core/list_model.h"

#include <string>
#include <vector>

struct CtlImportPlan {
    // Each line's change in the file's order (a refusal with its text), then the removals.
    std::vector<ListChange> changes;
    // --replace removed nothing: a refused line may stand for an entry the list holds, and the
    // list keeps everything rather than lose a protection to a typing error.
    bool keptForRefusal = false;
};

// A line that names an undefined variable is refused, and so is one that a variable makes
// longer than a path can be (kRefuseLength, as a long line is). Costs about n log n in the lines
// and entries.
CtlImportPlan PlanImport(const CListModel& model, const std::vector<std::string>& lines, bool replace,
                         const VariableLookup& lookup);
