// The Interface and Tuning settings of config.ini beside the program.
#pragma once

#include <cstdint>
#include <string>

// mode true reads every setting (a missing file, key or malformed value gives the default);
// false writes back Regions, Animation, Infobackground, Alpha, Alphavalue, Consttime,
// mouspeedstep, showcmdtext and timersound, leaving the rest of the file as it is. 0 when the
// ini-file object was made, 3 when it could not be. A failed write raises EIniFileException.
std::int32_t ReadWriteConfig(bool mode, std::uint8_t& Regions, std::uint8_t& Animation,
                             std::uint8_t& Infobackground, std::uint8_t& Alpha,
                             std::int16_t& Alphavalue, std::uint8_t& Consttime,
                             std::uint8_t& passed, float& MouseSpeedStep, std::uint8_t& ExtOptions,
                             std::string& language, std::uint8_t& showcmdtext,
                             std::uint8_t& timersound);
