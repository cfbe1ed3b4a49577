#pragma once
// The program's folders and the per-user settings file. The folders of the
// operating system are found by the executable and handed in; everything
// else is decided here, so it runs the same without any window.

#include "KvDocument.h"

#include <string>
#include <string_view>
#include <vector>

namespace kv {

struct TKvPaths {
    std::string ExeFolder;       // ends with a separator
    std::string BaseName;        // the executable's name without extension
    std::string UserFolder;      // ends with a separator
    std::string SettingsFile;    // UserFolder + BaseName + ".usr"
    std::string DocumentsFolder; // may be empty
    // Settings files that seed a new user, tried in order.
    std::vector<std::string> DefaultSettingsFiles;
};

// ExecutablePath is the running executable; AppDataFolder the system's
// per-user data folder (empty when there is none: the executable folder is
// used); ShareFolder the installation's data folder, when there is one.
TKvPaths ComputePaths(std::string_view ExecutablePath, std::string_view AppDataFolder,
                      std::string_view DocumentsFolder, std::string_view ShareFolder = {});

// Creates the user folder and seeds the settings file from the first
// default file that exists. An existing settings file is never replaced.
// Returns true when a file was copied.
bool EnsureUserFile(const TKvPaths& Paths);

// What the table window keeps besides the document.
struct TKvTableSettings {
    int32_t IconStyle = 1; // 0 big, 1 small, 2 classical
    std::string LastImExport;
    std::string LastOFTLoaded;
    std::string LastEMFLoaded;
    std::string LastTemplateLoaded;
    std::string LastMerged;
    std::string LastLoaded;

    // Every folder the Documents folder, the template beside the program.
    void SetDefaults(const TKvPaths& Paths);
};

// Reading and writing the settings file: the table layout, the recent
// files, the tool-bar style and the last folders, then the assignment.
void LoadSettings(const TKvIniList& Store, const TKvPaths& Paths, TKvDocument& Document, TKvTableSettings& Settings);
void SaveSettings(TKvIniList& Store, const TKvDocument& Document, const TKvTableSettings& Settings);
// The same on the settings file itself, each on a store of its own.
void LoadSettingsFile(const TKvPaths& Paths, TKvDocument& Document, TKvTableSettings& Settings);
void SaveSettingsFile(const TKvPaths& Paths, const TKvDocument& Document, const TKvTableSettings& Settings);

} // namespace kv
