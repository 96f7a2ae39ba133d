// The simulated infrared receiver: a USB device with the receiver's descriptors, vendor requests
// and state, a log of every setup packet and faults on demand.
#pragma once

#include "kernelsim/usb_host.h"
#include "receiver_protocol.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

namespace receiversim {

// Endpoints of interface 0, alternate setting 0.
constexpr UCHAR kBulkInEndpoint = 0x81;
constexpr UCHAR kBulkOutEndpoint = 0x01;
constexpr UCHAR kInterruptInEndpoint = 0x82;
constexpr UCHAR kIsoInEndpoint = 0x83;
constexpr UCHAR kIsoOutEndpoint = 0x03;

// The receiver's answers carry at most this many bytes.
constexpr ULONG kReplyLength = RECEIVER_REPLY_LENGTH;

constexpr UCHAR kRamWriteRequest = RECEIVER_RAM_WRITE_REQUEST;
constexpr ULONG kRamSize = 0x10000;

// String descriptors: 0 lists the languages, 1 and 2 name the maker and the product.
constexpr USHORT kLanguageId = 0x0409;

// A setup packet with its data stage as it went over the wire (sent or answered).
struct WireRequest {
    kernelsim::UsbSetupPacket setup;
    std::vector<UCHAR> data;
};

// One isochronous IN packet as the receiver will answer it.
struct IsoInPacket {
    ULONG length;
    USBD_STATUS status;
    UCHAR fill;
};

class Receiver : public kernelsim::UsbDevice {
public:
    Receiver();

    kernelsim::UsbTransferResult ControlTransfer(const kernelsim::UsbSetupPacket& setup,
                                                 UCHAR* data) override;
    kernelsim::UsbTransferResult DataTransfer(UCHAR endpointAddress, UCHAR* data,
                                              ULONG length) override;
    kernelsim::UsbTransferResult IsoPacket(UCHAR endpointAddress, ULONG frame, UCHAR* data,
                                           ULONG length) override;

    static std::vector<UCHAR> StringDescriptor(UCHAR index);
    // The alternate setting of interface 0 last selected.
    UCHAR AlternateSetting();

    // RAM written by vendor request 0xA0, and each write as it came.
    std::vector<UCHAR> Ram(ULONG address, ULONG length);
    std::vector<WireRequest> RamWrites();
    // The nth RAM write from now (1 = the next) stalls; 0 cancels.
    void FailRamWrite(unsigned nth);

    // Bulk and interrupt pipes: bytes written to the bulk OUT pipe; answers queued for the bulk
    // IN and interrupt IN pipes (a read finding none waits on its pipe).
    std::vector<UCHAR> BulkOut();
    void QueueBulkIn(const std::vector<UCHAR>& data);
    void QueueInterruptIn(const std::vector<UCHAR>& data);

    // Isochronous pipes: IN packets answer as queued, then whole packets whose bytes hold the
    // packet's serial number (low byte); OUT packets are recorded (the first 4096).
    void QueueIsoIn(const std::vector<IsoInPacket>& packets);
    unsigned IsoInPackets();
    // Isochronous packets wait inside the receiver until released (requests stay in flight).
    void HoldIsochronous();
    void ReleaseIsochronous();
    void WaitUntilIsochronousHeld(unsigned requests);
    std::vector<std::vector<UCHAR>> IsoOut();

    static std::vector<UCHAR> DeviceDescriptor();
    static std::vector<UCHAR> ConfigurationDescriptor();

    // Codes. The receiver has one code buffer: a received code is held there until
    // acknowledged, and a code received meanwhile replaces it with the next sequence number,
    // so that a burst of presses leaves only its last code to read.
    void PressButton(std::int64_t code, UCHAR ringStart = 0);
    void ReceiveDurations(const std::vector<signed char>& durations, UCHAR ringStart = 0);
    // A code buffer exactly as given: the length byte L, the ring start and the stored bytes
    // (which need not number L).
    void ReceiveRaw(UCHAR length, UCHAR ringStart, const std::vector<UCHAR>& stored);
    bool HoldsCode();
    UCHAR Sequence();
    unsigned Acknowledgements();

    // Ports, EEPROM, serial port.
    UCHAR PortDirection();
    UCHAR OutPort();
    std::vector<UCHAR> OutPortWrites();
    void SetInPort(UCHAR value);
    UCHAR Eeprom(UCHAR address);
    void SetEeprom(UCHAR address, UCHAR value);
    std::vector<UCHAR> SerialSent();
    // The answer to the next serial read; without one the read answers 2 bytes (nothing came).
    void QueueSerialAnswer(const std::vector<UCHAR>& answer);
    UCHAR BaudDivisor();

    // Every setup packet received, in order; only the vendor requests.
    std::vector<kernelsim::UsbSetupPacket> SetupLog();
    std::vector<kernelsim::UsbSetupPacket> VendorLog();
    // The vendor requests with their data stages.
    std::vector<WireRequest> VendorRequests();
    void ClearLog();

    // Faults on the vendor requests: count < 0 means every following one.
    void SetNoAnswer(int count);
    void SetShortAnswer(ULONG bytes, int count);
    void SetStall(int count);
    // Vendor requests wait inside the receiver until released (a slow answer).
    void HoldRequests();
    void ReleaseRequests();
    void WaitUntilHeld(unsigned requests);

private:
    struct Code {
        UCHAR length;
        UCHAR ringStart;
        std::vector<UCHAR> stored;
    };

    kernelsim::UsbTransferResult Standard(const kernelsim::UsbSetupPacket& setup, UCHAR* data);
    kernelsim::UsbTransferResult Vendor(const kernelsim::UsbSetupPacket& setup, UCHAR* data);
    // The answer of a vendor request, before faults.
    std::vector<UCHAR> Answer(const kernelsim::UsbSetupPacket& setup);
    void Receive(Code code);
    static bool Take(int& count);

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<kernelsim::UsbSetupPacket> log_;
    std::vector<WireRequest> vendorRequests_;
    UCHAR alternateSetting_ = 0;
    std::vector<UCHAR> ram_ = std::vector<UCHAR>(kRamSize, 0);
    std::vector<WireRequest> ramWrites_;
    unsigned failRamWrite_ = 0;
    std::vector<UCHAR> bulkOut_;
    std::deque<std::vector<UCHAR>> bulkIn_;
    std::deque<std::vector<UCHAR>> interruptIn_;
    std::deque<IsoInPacket> isoIn_;
    unsigned isoInPackets_ = 0;
    std::vector<std::vector<UCHAR>> isoOut_;
    bool holdingIso_ = false;
    unsigned heldIso_ = 0;
    Code current_{};
    bool holdsCode_ = false;
    UCHAR sequence_ = 0;
    unsigned acknowledgements_ = 0;
    UCHAR configuration_ = 0;
    UCHAR direction_ = 0;
    UCHAR outPort_ = 0;
    std::vector<UCHAR> outPortWrites_;
    UCHAR inPort_ = 0;
    UCHAR eeprom_[256];
    std::vector<UCHAR> serialSent_;
    std::deque<std::vector<UCHAR>> serialAnswers_;
    UCHAR baudDivisor_ = 77; // 9600 bit/s
    int noAnswer_ = 0;
    int shortAnswer_ = 0;
    ULONG shortBytes_ = 0;
    int stall_ = 0;
    bool holding_ = false;
    unsigned heldRequests_ = 0;
};

} // namespace receiversim
