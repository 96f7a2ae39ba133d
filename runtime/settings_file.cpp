// Reading and writing the Interface and Tuning settings of config.ini.
#include "settings_file.h"

#include "program_folder.h"

#include <toolkit.h>

#include <cfloat>
#include <cmath>
#include <memory>
#include <new>

namespace {

// Open only for the duration of one ReadWriteConfig call.
std::unique_ptr<TIniFile> ConfigIni;

// Frees the file object however the call ends.
struct TConfigIniScope {
    ~TConfigIniScope() { ConfigIni.reset(); }
};

std::uint8_t ReadFlag(const char* section, const char* key, bool def) {
    return ConfigIni->ReadBool(section, key, def) ? 1 : 0;
}

// A number that no single can hold is as malformed as one that is no number.
float ReadSingle(const char* section, const char* key, float def) {
    const double value = ConfigIni->ReadFloat(section, key, def);
    if (!(std::fabs(value) <= FLT_MAX))
        return def;
    return static_cast<float>(value);
}

} // namespace

std::int32_t ReadWriteConfig(bool mode, std::uint8_t& Regions, std::uint8_t& Animation,
                             std::uint8_t& Infobackground, std::uint8_t& Alpha,
                             std::int16_t& Alphavalue, std::uint8_t& Consttime,
                             std::uint8_t& passed, float& MouseSpeedStep, std::uint8_t& ExtOptions,
                             std::string& language, std::uint8_t& showcmdtext,
                             std::uint8_t& timersound) {
    try {
        ConfigIni = std::make_unique<TIniFile>(ProgramFolder() + "config.ini");
    } catch (const std::bad_alloc&) {
        return 3;
    }
    TConfigIniScope scope;

    if (mode) {
        Regions = ReadFlag("Interface", "Regions", false);
        Animation = ReadFlag("Interface", "Animation", false);
        Infobackground = ReadFlag("Interface", "Infobackground", false);
        Alpha = ReadFlag("Interface", "Alpha", false);
        // Kept in 16 bits without limiting, as the setting has always been stored.
        Alphavalue =
            static_cast<std::int16_t>(ConfigIni->ReadInteger("Interface", "Alphavalue", 255));
        Consttime = ReadFlag("Interface", "Consttime", false);
        passed = ReadFlag("Tuning", "passed", false);
        MouseSpeedStep = ReadSingle("Interface", "mouspeedstep", 0.3f);
        ExtOptions = ReadFlag("Interface", "ext options", false);
        language = ConfigIni->ReadString("Interface", "language", "Rus");
        showcmdtext = ReadFlag("Interface", "showcmdtext", true);
        timersound = ReadFlag("Interface", "timersound", true);
    } else {
        ConfigIni->WriteBool("Interface", "Regions", Regions != 0);
        ConfigIni->WriteBool("Interface", "Animation", Animation != 0);
        ConfigIni->WriteBool("Interface", "Infobackground", Infobackground != 0);
        ConfigIni->WriteBool("Interface", "Alpha", Alpha != 0);
        ConfigIni->WriteInteger("Interface", "Alphavalue", Alphavalue);
        ConfigIni->WriteBool("Interface", "Consttime", Consttime != 0);
        ConfigIni->WriteFloat("Interface", "mouspeedstep", static_cast<double>(MouseSpeedStep));
        ConfigIni->WriteBool("Interface", "showcmdtext", showcmdtext != 0);
        ConfigIni->WriteBool("Interface", "timersound", timersound != 0);
    }
    return 0;
}
