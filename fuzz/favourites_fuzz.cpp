// Favourites lists and playlists: any bytes as the list files, loaded, saved, loaded again; what
// was loaded once must come back unchanged from its own saved file.
#include "fuzz_input.h"
#include "fuzz_machine.h"

#include "favourites.h"

#include <toolkit.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

using namespace fuzz_support;

namespace {

// Group and playlist names as the lists and the steps give them: no folder separators.
std::string Name(FuzzInput& in) {
    std::string name = in.Text().substr(0, 24);
    for (char& c : name)
        if (c == '\\' || c == '/' || c == ':' || c == '*' || c == '?' || c == '\0')
            c = '_';
    return name;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    FreshRuntime();
    const std::string group = Name(in);
    const std::string playlist = Name(in);
    PutFile(Prog("Bin\\favorit" + group + ".bin"), in.Text());
    PutFile(Prog("PL\\playlists.aud"), in.Text());
    PutFile(Prog("PL\\playlists.vid"), in.Text());
    PutFile(Prog("PL\\" + playlist + ".aud"), in.Text());
    PutFile(Prog("PL\\" + playlist + ".vid"), in.Text());

    try {
        TStringList favourites;
        LoadFavorites(group, favourites);
        SaveFavorites(group, favourites);
        TStringList again;
        LoadFavorites(group, again);
        if (again.Text() != favourites.Text())
            std::abort(); // a saved list reads back otherwise
    } catch (const Exception&) {
    }
    TStringList list;
    for (std::int16_t kind :
         {std::int16_t{0}, std::int16_t{1}, static_cast<std::int16_t>(in.U16())}) {
        try {
            LoadPlaylistIndex(kind, list);
        } catch (const Exception&) {
        }
    }
    for (bool video : {false, true}) {
        try {
            LoadPlaylist(video, playlist, list);
        } catch (const Exception&) {
        }
    }

    EndRuntime();
    return 0;
}
