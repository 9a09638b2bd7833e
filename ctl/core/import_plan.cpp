#include "ctl/core/import_plan.h"

CtlImportPlan PlanImport(const CListModel& model, const std::vector<std::string>& lines, bool replace,
                         const VariableLookup& lookup)
{
    CtlImportPlan plan;
    plan.changes.resize(lines.size(), ListChange{ListChange::Refused, "", ""});
    std::vector<std::string> expandedLines;
    std::vector<size_t> lineOf;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string expanded;
        std::string unknown;
        switch (ExpandVariables(lines[i], lookup, kMaxPathLength, expanded, unknown)) {
        case Expansion::Done:
            expandedLines.push_back(std::move(expanded));
            lineOf.push_back(i);
            break;
        case Expansion::UnknownVariable:
            plan.changes[i] = {ListChange::Refused, lines[i], lines[i], UnknownVariableRefusal(unknown)};
            break;
        case Expansion::TooLong:
            plan.changes[i] = {ListChange::Refused, lines[i], lines[i], kRefuseLength};
            break;
        }
    }
    std::vector<ListChange> judged = model.PlanAdds(expandedLines, PathSource::Imported);
    for (size_t k = 0; k < judged.size(); ++k)
        plan.changes[lineOf[k]] = std::move(judged[k]);

    if (!replace)
        return plan;
    std::vector<std::string> kept;
    for (const ListChange& change : plan.changes) {
        plan.keptForRefusal = plan.keptForRefusal || change.kind == ListChange::Refused;
        if (change.kind == ListChange::Add || change.kind == ListChange::Listed)
            kept.push_back(change.path);
    }
    if (plan.keptForRefusal)
        return plan;
    std::vector<ListChange> removals = model.PlanRemovesExcept(kept);
    plan.changes.insert(plan.changes.end(), std::make_move_iterator(removals.begin()),
                        std::make_move_iterator(removals.end()));
    return plan;
}
