// The writers of the search results and the reading of the search program's one setting.
#include "search_results.h"

#include "file_names.h"
#include "records.h"
#include "safe_file.h"
#include "search_state.h"

#include "cp1251.h"

#include <toolkit.h>

#include <windows.h>

#include <cstring>
#include <exception>

bool WriteDefApplFile(const std::string& path) {
    // A cut table would read as a smaller one: the earlier table stays unless the new one is
    // written whole.
    TSafeFileWriter file(path);
    if (!file.IsOpen())
        return false;
    for (const TSearchAppl& appl : Search.Table) {
        if (appl.Path[0] == '\0' || appl.CLSName[0] == '\0')
            continue;
        TApplEntry entry;
        std::memset(&entry, 0, sizeof entry);
        SetField(entry.Name, FieldView(appl.Section));
        SetField(entry.ClassName, FieldView(appl.CLSName));
        entry.Wnd = 0;
        SetField(entry.Path, FieldView(appl.Path));
        if (!file.Write(&entry, sizeof entry))
            return false;
    }
    return file.Commit();
}

bool WriteTuningPassed(const std::string& configPath) {
    try {
        TIniFile config(configPath);
        config.WriteInteger("TUNING", "passed", 1);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool ReadExtOptions(const std::string& configPath) {
    try {
        const TIniFile config(configPath);
        return config.ReadBool("Interface", "ext options", false);
    } catch (const std::exception&) {
        return false;
    }
}

std::vector<std::string> WriteFavoriteFiles(const std::string& folder) {
    std::vector<std::string> failed;
    std::vector<std::string> groups;
    for (const TSearchAppl& appl : Search.Table) {
        const std::string_view group = FieldView(appl.Group);
        bool known = false;
        for (const std::string& g : groups)
            known = known || cp1251::EqualNoCase(g, group);
        if (!known)
            groups.emplace_back(group);
    }
    for (const std::string& group : groups) {
        // The empty group is the file favorit.bin; a group that cannot be part of a file name
        // has no file.
        if (!group.empty() && !IsFileNamePart(group))
            continue;
        TStringList list;
        for (const TSearchAppl& appl : Search.Table) {
            if (appl.Path[0] == '\0' || !cp1251::EqualNoCase(FieldView(appl.Group), group))
                continue;
            // A position outside the list, below 0 as well as past its end, appends.
            if (appl.GroupIndex >= 0 && appl.GroupIndex < list.Count())
                list.Insert(appl.GroupIndex, FieldText(appl.Section));
            else
                list.Add(FieldText(appl.Section));
        }
        if (list.Count() == 0)
            continue;
        const std::string path = folder + "favorit" + group + ".bin";
        if (!SaveFileSafely(path, list.Text()))
            failed.push_back(path);
    }
    return failed;
}

std::vector<std::string> SaveSearchResults(const std::string& programFolder) {
    std::vector<std::string> failed;
    const std::string applFile = programFolder + "Bin\\defappl.bin";
    if (!WriteDefApplFile(applFile))
        // The earlier favourites stay with the earlier table they name.
        return {applFile};
    for (const std::string& path : WriteFavoriteFiles(programFolder + "Bin\\"))
        failed.push_back(path);
    const std::string configFile = programFolder + "\\config.ini";
    if (failed.empty() && !WriteTuningPassed(configFile))
        failed.push_back(configFile);
    return failed;
}
