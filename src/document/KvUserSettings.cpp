#include "KvUserSettings.h"

#include "foundation/KvErrors.h"
#include "foundation/KvLargeIniFile.h"

#include <algorithm>
#include <filesystem>

namespace kv {

namespace fs = std::filesystem;

namespace {

// Only six entries are kept; this bounds the loop over a damaged count.
constexpr int32_t RecentFilesReadLimit = 64;

std::string WithSeparator(std::string Folder)
{
    if (!Folder.empty() && Folder.back() != '/')
        Folder += '/';
    return Folder;
}

struct TDirectoryKey {
    const char* Key;
    std::string TKvTableSettings::*Field; // null: the document's current file
};

// The order in which the folders are written.
constexpr TDirectoryKey DirectoryKeys[] = {
    {"LastLoaded", &TKvTableSettings::LastLoaded},
    {"LastOFTLoaded", &TKvTableSettings::LastOFTLoaded},
    {"LastTemplateLoaded", &TKvTableSettings::LastTemplateLoaded},
    {"LastPltLoaded", nullptr},
    {"LastEMFLoaded", &TKvTableSettings::LastEMFLoaded},
    {"LastMerged", &TKvTableSettings::LastMerged},
    {"LastImExport", &TKvTableSettings::LastImExport},
};

} // namespace

TKvPaths ComputePaths(std::string_view ExecutablePath, std::string_view AppDataFolder,
                      std::string_view DocumentsFolder, std::string_view ShareFolder)
{
    const fs::path Exe{std::string{ExecutablePath}};
    TKvPaths Paths;
    Paths.ExeFolder = WithSeparator(Exe.parent_path().string());
    Paths.BaseName = Exe.stem().string();
    Paths.UserFolder = AppDataFolder.empty()
        ? Paths.ExeFolder
        : WithSeparator(WithSeparator(std::string{AppDataFolder}) + Paths.BaseName);
    Paths.SettingsFile = Paths.UserFolder + Paths.BaseName + ".usr";
    Paths.DocumentsFolder = std::string{DocumentsFolder};
    Paths.DefaultSettingsFiles.push_back(Paths.ExeFolder + Paths.BaseName + ".usr");
    if (!ShareFolder.empty())
        Paths.DefaultSettingsFiles.push_back(WithSeparator(std::string{ShareFolder}) + Paths.BaseName + ".usr");
    return Paths;
}

bool EnsureUserFile(const TKvPaths& Paths)
{
    std::error_code Error;
    if (fs::exists(Paths.SettingsFile, Error))
        return false;
    fs::create_directories(Paths.UserFolder, Error);
    if (Error)
        throw EFileError("Cannot create folder \"" + Paths.UserFolder + "\". " + Error.message());
    for (const std::string& Default : Paths.DefaultSettingsFiles) {
        if (Default == Paths.SettingsFile || !fs::is_regular_file(Default, Error))
            continue;
        // skip_existing: a settings file that appeared meanwhile stays.
        const bool Copied = fs::copy_file(Default, Paths.SettingsFile, fs::copy_options::skip_existing, Error);
        if (Error)
            throw EFileError("Cannot create file \"" + Paths.SettingsFile + "\". " + Error.message());
        return Copied;
    }
    return false;
}

void TKvTableSettings::SetDefaults(const TKvPaths& Paths)
{
    for (const TDirectoryKey& K : DirectoryKeys)
        if (K.Field)
            this->*K.Field = Paths.DocumentsFolder;
    LastTemplateLoaded = Paths.ExeFolder + "Templates/Default.rtf";
}

void LoadSettings(const TKvIniList& Store, const TKvPaths& Paths, TKvDocument& Document, TKvTableSettings& Settings)
{
    Document.LoadLayout(Store);
    // From the oldest entry up, each on top: entry 1 ends as the newest.
    const int32_t Count = std::clamp(Store.ReadInteger("RecentFiles", "Count", 0), 0, RecentFilesReadLimit);
    for (int32_t i = Count; i >= 1; --i)
        Document.RecentFiles.Add(Store.ReadString("RecentFiles", std::to_string(i), ""));
    Settings.SetDefaults(Paths);
    Settings.IconStyle = std::clamp(Store.ReadInteger("Icons", "Style", 1), 0, 2);
    for (const TDirectoryKey& K : DirectoryKeys) {
        std::string& Target = K.Field ? Settings.*K.Field : Document.Table.CurrentFile;
        Target = Store.ReadString("Directories", K.Key, K.Field ? Target : Paths.DocumentsFolder);
    }
    Document.Assignment.LoadAssignments(Store);
    if (Document.GraphSections)
        Document.GraphSections->LoadGraphs(Store);
    Store.ReadFormPlacement("Assignments", "Form", Document.Assignment.Placement, Document.Table.Screen);
    Document.UpdateLockedRows();
}

void SaveSettings(TKvIniList& Store, const TKvDocument& Document, const TKvTableSettings& Settings)
{
    // The assignment window goes before the table window at exit.
    Document.Assignment.SaveAssignments(Store);
    if (Document.GraphSections)
        Document.GraphSections->SaveGraphs(Store);
    Store.WriteFormPlacement("Assignments", "Form", Document.Assignment.Placement);
    Document.SaveLayout(Store);
    const std::vector<std::string>& Recent = Document.RecentFiles.Items();
    Store.WriteInteger("RecentFiles", "Count", static_cast<int32_t>(Recent.size()));
    for (size_t i = 0; i < Recent.size(); ++i)
        Store.WriteString("RecentFiles", std::to_string(i + 1), Recent[i]);
    Store.WriteInteger("Icons", "Style", Settings.IconStyle);
    for (const TDirectoryKey& K : DirectoryKeys)
        Store.WriteString("Directories", K.Key, K.Field ? Settings.*K.Field : Document.Table.CurrentFile);
}

void LoadSettingsFile(const TKvPaths& Paths, TKvDocument& Document, TKvTableSettings& Settings)
{
    TKvLargeIniFile Store(Paths.SettingsFile);
    LoadSettings(Store, Paths, Document, Settings);
    Store.Release();
}

void SaveSettingsFile(const TKvPaths& Paths, const TKvDocument& Document, const TKvTableSettings& Settings)
{
    TKvLargeIniFile Store(Paths.SettingsFile);
    SaveSettings(Store, Document, Settings);
    Store.Release();
}

} // namespace kv
