#pragma once
// The report commands of a graph window: the report window, report to the
// clipboard, print preview, print, printer set-up and save. Each but the
// set-up first lets the shared report window merge the window's template
// (its own, else the settings' last one, else the shipped default).

namespace kv {

class TGraphForm;

// Connects and enables the window's report actions.
void AttachReportCommands(TGraphForm& Form);

} // namespace kv
