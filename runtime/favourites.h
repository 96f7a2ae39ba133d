// Favourites lists per group and the playlists of the external playlist editor.
#pragma once

#include <toolkit.h>

#include <cstdint>
#include <string>

// Bin\favorit<group>.bin: when it exists the list's content is replaced by its lines, otherwise
// the list is left as it is. An unreadable file raises the string list's error.
void LoadFavorites(const std::string& group, TStringList& list);
// Creates or replaces Bin\favorit<group>.bin with the list's lines: 0, or 5 with the earlier
// file kept as it was when the new one could not be written whole.
int SaveFavorites(const std::string& group, const TStringList& list);
// PL\playlists.aud for kind 0, PL\playlists.vid for any other; as LoadFavorites.
void LoadPlaylistIndex(std::int16_t kind, TStringList& list);
// PL\<name>.aud (.vid when video): true with the list replaced by its lines when the file
// exists; false with the list untouched when it does not or when the name cannot be part of a
// file name (IsFileNamePart).
bool LoadPlaylist(bool video, const std::string& name, TStringList& list);
