// Binding of the receiver access library, reading and decoding received codes, the indicator.
#pragma once

#include <windows.h>

#include <cstdint>

// The library's exports the main program binds; all stdcall with an integer result.
typedef INT(WINAPI* TDoGetInfraCode)(BYTE* Buffer, INT BufSize, INT* Len);
typedef INT(WINAPI* TDoEEPROMRead)(BYTE Address, BYTE* Value);
typedef INT(WINAPI* TDoEEPROMWrite)(BYTE Address, BYTE Value);
typedef INT(WINAPI* TDoSetDataPortDirection)(BYTE Direction);
typedef INT(WINAPI* TDoSetOutDataPort)(BYTE Value);

// The library's file name, found by the system's library search order.
inline constexpr char ReceiverLibraryName[] = "VarnUSB.dll";

// 0 bound; 1 the library does not load; 2 an export is missing (the library stays loaded).
std::int32_t BindReceiverLibrary();
// Clears the entry points and frees the library; nothing when none is loaded.
void UnbindReceiverLibrary();
// Sets the data port direction and pulses the indicator; false when the direction fails.
bool InitReceiverPort();
// The next received code, or -1.
std::int64_t ReadInfraCode();
// The code of count bi-phase durations (read as signed bytes), or -1 when one is invalid.
std::int64_t DecodeBiphase(const BYTE* durations, std::int32_t count);

void IndicatorOn();
void IndicatorOff();
void IndicatorTick();
