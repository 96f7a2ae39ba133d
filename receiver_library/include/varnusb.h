// The receiver access library's twelve exports (stdcall, 32-bit results: 0 success, 1 busy or
// failed, and the extra codes of DoSetRS232Baud and DoRS232Read).
#pragma once

#include <windows.h>

extern "C" {

int WINAPI DoGetRS232Baud(int* Baud);
int WINAPI DoSetRS232Baud(int Baud);
int WINAPI DoRS232Read(BYTE* Value);
int WINAPI DoRS232Send(BYTE Value);
int WINAPI DoEEPROMWrite(BYTE Address, BYTE Value);
int WINAPI DoEEPROMRead(BYTE Address, BYTE* Value);
int WINAPI DoGetInDataPort(BYTE* Value);
int WINAPI DoGetOutDataPort(BYTE* Value);
int WINAPI DoSetOutDataPort(BYTE Value);
int WINAPI DoGetDataPortDirection(BYTE* Direction);
int WINAPI DoSetDataPortDirection(BYTE Direction);
int WINAPI DoGetInfraCode(BYTE* Buffer, int BufSize, int* Len);

} // extern "C"

// Results beyond 0 and 1.
constexpr int kBaudNotPossible = 3;  // DoSetRS232Baud: rate outside the range or the 4 % window
constexpr int kSerialReadShort2 = 2; // DoRS232Read: the receiver answered 2 bytes
constexpr int kSerialReadShort3 = 4; // DoRS232Read: the receiver answered 3 bytes
