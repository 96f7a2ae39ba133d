// Reading and writing the favourites lists, and reading the playlists.
#include "favourites.h"

#include "code_appl_tables.h"
#include "file_names.h"
#include "program_folder.h"
#include "safe_file.h"

#include <new>

namespace {

bool LoadIfExists(const std::string& path, TStringList& list) {
    if (!FileExists(path))
        return false;
    list.LoadFromFile(path);
    return true;
}

std::string FavoritesPath(const std::string& group) {
    return ProgramFolder() + "Bin\\favorit" + group + ".bin";
}

} // namespace

void LoadFavorites(const std::string& group, TStringList& list) {
    LoadIfExists(FavoritesPath(group), list);
}

int SaveFavorites(const std::string& group, const TStringList& list) {
    try {
        return SaveFileSafely(FavoritesPath(group), list.Text()) ? ResultOk : ResultNoCreate;
    } catch (const std::bad_alloc&) {
        return ResultNoCreate;
    }
}

void LoadPlaylistIndex(std::int16_t kind, TStringList& list) {
    LoadIfExists(ProgramFolder() + "PL\\playlists." + (kind == 0 ? "aud" : "vid"), list);
}

bool LoadPlaylist(bool video, const std::string& name, TStringList& list) {
    // The name is a line of the playlist index: one that leads out of PL names no playlist.
    if (!IsFileNamePart(name))
        return false;
    return LoadIfExists(ProgramFolder() + "PL\\" + name + "." + (video ? "vid" : "aud"), list);
}
