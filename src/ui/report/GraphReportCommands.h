#pragma once
// The report commands of a graph window: report to the clipboard, print
// preview, print, printer set-up and save. Each merges the window's
// template (or the settings' last one, or the shipped default) first.

namespace kv {

class TGraphForm;

// Connects and enables the window's report actions.
void AttachReportCommands(TGraphForm& Form);

} // namespace kv
