// The receiver's vendor protocol on the USB wire: the requests it answers and their form. The
// driver sends them and the simulated receiver answers them; neither owns them.
#pragma once

// The receiver commands, sent as the vendor request number.
enum TReceiverCommand : unsigned char {
    rcAckCode = 1,
    rcReadCodeBuffer = 2,
    rcSetPortDirection = 3,
    rcGetPortDirection = 4,
    rcSetOutPort = 5,
    rcGetOutPort = 6,
    rcGetInPort = 7,
    rcEepromRead = 8,
    rcEepromWrite = 9,
    rcSerialSend = 10,
    rcSerialRead = 11,
    rcSetBaudDivisor = 12,
    rcGetBaudDivisor = 13,
};

// The receiver's vendor requests: device-to-host, vendor, recipient endpoint; 8-byte data stage.
#define RECEIVER_REQUEST_TYPE 0xC2
#define RECEIVER_REPLY_LENGTH 8

// The vendor request that writes the receiver's RAM: wValue is the address, the data stage the
// bytes.
#define RECEIVER_RAM_WRITE_REQUEST 0xA0
