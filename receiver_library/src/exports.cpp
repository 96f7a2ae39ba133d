// The ports, EEPROM and serial exports: one receiver command each.
#include "library_state.h"
#include "varnusb.h"

using namespace varnusb;

namespace {

// A command whose answer is not used.
int SetCommand(BYTE command, BYTE value, BYTE index) {
    return Serialised([&] {
        return DeviceRequest(command, value, index, &Library.ReplyBuffer, &Library.BytesReturned)
                   ? 0
                   : 1;
    });
}

// A command that answers one byte, stored only on success. A missing pointer is refused
// before anything is sent.
int GetCommand(BYTE command, BYTE value, BYTE* out) {
    if (out == nullptr)
        return 1;
    return Serialised([&] {
        if (!DeviceRequest(command, value, 0, &Library.ReplyBuffer, &Library.BytesReturned))
            return 1;
        *out = Library.ReplyBuffer.Data[0];
        return 0;
    });
}

} // namespace

extern "C" {

int WINAPI DoRS232Read(BYTE* Value) {
    if (Value == nullptr)
        return 1;
    return Serialised([&] {
        if (!DeviceRequest(rcSerialRead, 0, 0, &Library.ReplyBuffer, &Library.BytesReturned))
            return 1;
        // The reply's length carries the receiver's result.
        switch (Library.BytesReturned) {
        case 2:
            return kSerialReadShort2;
        case 3:
            *Value = Library.ReplyBuffer.Data[0];
            return kSerialReadShort3;
        default:
            *Value = Library.ReplyBuffer.Data[0];
            return 0;
        }
    });
}

int WINAPI DoRS232Send(BYTE Value) {
    return SetCommand(rcSerialSend, Value, 0);
}

int WINAPI DoEEPROMWrite(BYTE Address, BYTE Value) {
    return SetCommand(rcEepromWrite, Address, Value);
}

int WINAPI DoEEPROMRead(BYTE Address, BYTE* Value) {
    return GetCommand(rcEepromRead, Address, Value);
}

int WINAPI DoGetInDataPort(BYTE* Value) {
    return GetCommand(rcGetInPort, 0, Value);
}

int WINAPI DoGetOutDataPort(BYTE* Value) {
    return GetCommand(rcGetOutPort, 0, Value);
}

int WINAPI DoSetOutDataPort(BYTE Value) {
    return SetCommand(rcSetOutPort, Value, 0);
}

int WINAPI DoGetDataPortDirection(BYTE* Direction) {
    return GetCommand(rcGetPortDirection, 0, Direction);
}

int WINAPI DoSetDataPortDirection(BYTE Direction) {
    return SetCommand(rcSetPortDirection, Direction, 0);
}

} // extern "C"
