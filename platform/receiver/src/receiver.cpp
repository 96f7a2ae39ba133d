// The simulated receiver's descriptors, requests and state.
#include "receiversim/receiver.h"

#include "receiversim/encoder.h"
#include "receiver_protocol.h"

#include <usb100.h>
#include <usbdi.h>

#include <algorithm>
#include <cstring>

namespace receiversim {

using kernelsim::UsbSetupPacket;
using kernelsim::UsbTransferResult;

namespace {

constexpr UCHAR kTypeMask = 0x60;
constexpr UCHAR kTypeStandard = 0x00;
constexpr UCHAR kTypeVendor = 0x40;

void AddEndpoint(std::vector<UCHAR>& out, UCHAR address, UCHAR attributes, USHORT maxPacket,
                 UCHAR interval) {
    out.insert(out.end(), {7, USB_ENDPOINT_DESCRIPTOR_TYPE, address, attributes,
                           static_cast<UCHAR>(maxPacket & 0xFF), static_cast<UCHAR>(maxPacket >> 8),
                           interval});
}

void AddInterface(std::vector<UCHAR>& out, UCHAR alternate, UCHAR endpoints) {
    out.insert(out.end(),
               {9, USB_INTERFACE_DESCRIPTOR_TYPE, 0, alternate, endpoints, 0xFF, 0, 0, 0});
}

} // namespace

Receiver::Receiver() {
    std::memset(eeprom_, 0xFF, sizeof(eeprom_));
}

std::vector<UCHAR> Receiver::DeviceDescriptor() {
    return {18,   USB_DEVICE_DESCRIPTOR_TYPE,
            0x10, 0x01, // USB 1.1
            0xFF, 0,
            0,    8,
            0x58, 0x4D, // vendor
            0x01, 0x00, // product
            0x00, 0x01, // release 1.00
            0,    0,
            0,    1};
}

std::vector<UCHAR> Receiver::ConfigurationDescriptor() {
    std::vector<UCHAR> out{9, USB_CONFIGURATION_DESCRIPTOR_TYPE, 0, 0, 1, 1, 0, 0x80, 50};
    AddInterface(out, 0, 5);
    AddEndpoint(out, kBulkInEndpoint, USB_ENDPOINT_TYPE_BULK, 64, 0);
    AddEndpoint(out, kBulkOutEndpoint, USB_ENDPOINT_TYPE_BULK, 64, 0);
    AddEndpoint(out, kInterruptInEndpoint, USB_ENDPOINT_TYPE_INTERRUPT, 8, 10);
    AddEndpoint(out, kIsoInEndpoint, USB_ENDPOINT_TYPE_ISOCHRONOUS, 128, 1);
    AddEndpoint(out, kIsoOutEndpoint, USB_ENDPOINT_TYPE_ISOCHRONOUS, 128, 1);
    // A second setting of the interface with bulk pipes only.
    AddInterface(out, 1, 2);
    AddEndpoint(out, kBulkInEndpoint, USB_ENDPOINT_TYPE_BULK, 64, 0);
    AddEndpoint(out, kBulkOutEndpoint, USB_ENDPOINT_TYPE_BULK, 64, 0);
    out[2] = static_cast<UCHAR>(out.size() & 0xFF);
    out[3] = static_cast<UCHAR>(out.size() >> 8);
    return out;
}

std::vector<UCHAR> Receiver::StringDescriptor(UCHAR index) {
    if (index == 0) {
        return {4, USB_STRING_DESCRIPTOR_TYPE, kLanguageId & 0xFF, kLanguageId >> 8};
    }
    const char* text = index == 1 ? "Moxel" : index == 2 ? "VarnPlug USB remote control" : nullptr;
    if (text == nullptr) {
        return {};
    }
    std::vector<UCHAR> out{0, USB_STRING_DESCRIPTOR_TYPE};
    for (const char* c = text; *c != 0; ++c) {
        out.push_back(static_cast<UCHAR>(*c));
        out.push_back(0);
    }
    out[0] = static_cast<UCHAR>(out.size());
    return out;
}

UsbTransferResult Receiver::ControlTransfer(const UsbSetupPacket& setup, UCHAR* data) {
    {
        std::lock_guard lock(mutex_);
        log_.push_back(setup);
    }
    switch (setup.bmRequestType & kTypeMask) {
    case kTypeStandard:
        return Standard(setup, data);
    case kTypeVendor: {
        const bool in = (setup.bmRequestType & 0x80) != 0;
        WireRequest wire{setup, {}};
        if (!in) {
            wire.data.assign(data, data + setup.wLength);
        }
        const UsbTransferResult result = Vendor(setup, data);
        if (in) {
            wire.data.assign(data, data + result.length);
        }
        std::lock_guard lock(mutex_);
        vendorRequests_.push_back(std::move(wire));
        return result;
    }
    default:
        return {USBD_STATUS_STALL_PID, 0};
    }
}

UsbTransferResult Receiver::Standard(const UsbSetupPacket& setup, UCHAR* data) {
    if (setup.bmRequestType == 0x80 && setup.bRequest == USB_REQUEST_GET_DESCRIPTOR) {
        std::vector<UCHAR> descriptor;
        const UCHAR type = setup.wValue >> 8;
        const UCHAR index = setup.wValue & 0xFF;
        if (type == USB_DEVICE_DESCRIPTOR_TYPE && index == 0) {
            descriptor = DeviceDescriptor();
        } else if (type == USB_CONFIGURATION_DESCRIPTOR_TYPE && index == 0) {
            descriptor = ConfigurationDescriptor();
        } else if (type == USB_STRING_DESCRIPTOR_TYPE &&
                   (index == 0 || setup.wIndex == kLanguageId)) {
            descriptor = StringDescriptor(index);
        }
        if (descriptor.empty()) {
            return {USBD_STATUS_STALL_PID, 0};
        }
        const ULONG length = std::min<ULONG>(setup.wLength, descriptor.size());
        std::memcpy(data, descriptor.data(), length);
        return {USBD_STATUS_SUCCESS, length};
    }
    if (setup.bmRequestType == 0x00 && setup.bRequest == USB_REQUEST_SET_CONFIGURATION &&
        setup.wValue <= 1) {
        std::lock_guard lock(mutex_);
        configuration_ = static_cast<UCHAR>(setup.wValue);
        alternateSetting_ = 0;
        return {USBD_STATUS_SUCCESS, 0};
    }
    if (setup.bmRequestType == 0x01 && setup.bRequest == USB_REQUEST_SET_INTERFACE &&
        setup.wIndex == 0 && setup.wValue <= 1) {
        std::lock_guard lock(mutex_);
        alternateSetting_ = static_cast<UCHAR>(setup.wValue);
        return {USBD_STATUS_SUCCESS, 0};
    }
    return {USBD_STATUS_STALL_PID, 0};
}

bool Receiver::Take(int& count) {
    if (count == 0) {
        return false;
    }
    if (count > 0) {
        --count;
    }
    return true;
}

UsbTransferResult Receiver::Vendor(const UsbSetupPacket& setup, UCHAR* data) {
    std::unique_lock lock(mutex_);
    if (holding_) {
        ++heldRequests_;
        changed_.notify_all();
        changed_.wait(lock, [this] { return !holding_; });
        --heldRequests_;
    }
    if (Take(stall_)) {
        return {USBD_STATUS_STALL_PID, 0};
    }
    if ((setup.bmRequestType & 0x80) == 0) {
        if (setup.bRequest == kRamWriteRequest) {
            if (failRamWrite_ != 0 && --failRamWrite_ == 0) {
                return {USBD_STATUS_STALL_PID, 0};
            }
            ramWrites_.push_back({setup, std::vector<UCHAR>(data, data + setup.wLength)});
            for (ULONG i = 0; i < setup.wLength; ++i) {
                ram_[(setup.wValue + i) % kRamSize] = data[i];
            }
        }
        // Host-to-device data is taken as it comes.
        return {USBD_STATUS_SUCCESS, setup.wLength};
    }
    std::vector<UCHAR> answer = Answer(setup);
    if (Take(noAnswer_)) {
        answer.clear();
    } else if (Take(shortAnswer_) && answer.size() > shortBytes_) {
        answer.resize(shortBytes_);
    }
    const ULONG length = std::min<ULONG>(setup.wLength, answer.size());
    if (length != 0) {
        std::memcpy(data, answer.data(), length);
    }
    return {USBD_STATUS_SUCCESS, length};
}

std::vector<UCHAR> Receiver::Answer(const UsbSetupPacket& setup) {
    const UCHAR value = setup.wValue & 0xFF;
    const UCHAR index = setup.wIndex & 0xFF;
    // Besides the value in byte 0, an answer echoes the request it answers.
    std::vector<UCHAR> answer{0, setup.bRequest, value, index, 0, 0, 0, 0};
    switch (setup.bRequest) {
    case rcAckCode:
        ++acknowledgements_;
        holdsCode_ = false;
        break;
    case rcReadCodeBuffer: {
        std::vector<UCHAR> image{0, sequence_, 0};
        if (holdsCode_) {
            image = {current_.length, sequence_, current_.ringStart};
            image.insert(image.end(), current_.stored.begin(), current_.stored.end());
        }
        for (ULONG i = 0; i < kReplyLength; ++i) {
            answer[i] = setup.wValue + i < image.size() ? image[setup.wValue + i] : 0;
        }
        break;
    }
    case rcSetPortDirection:
        direction_ = value;
        answer[0] = direction_;
        break;
    case rcGetPortDirection:
        answer[0] = direction_;
        break;
    case rcSetOutPort:
        outPort_ = value;
        outPortWrites_.push_back(value);
        answer[0] = outPort_;
        break;
    case rcGetOutPort:
        answer[0] = outPort_;
        break;
    case rcGetInPort:
        answer[0] = inPort_;
        break;
    case rcEepromRead:
        answer[0] = eeprom_[value];
        break;
    case rcEepromWrite:
        eeprom_[value] = index;
        answer[0] = index;
        break;
    case rcSerialSend:
        serialSent_.push_back(value);
        answer[0] = value;
        break;
    case rcSerialRead:
        // One byte: a byte received; two: nothing received; three: a byte with an overrun.
        if (serialAnswers_.empty()) {
            answer = {0, 0};
        } else {
            answer = serialAnswers_.front();
            serialAnswers_.pop_front();
        }
        break;
    case rcSetBaudDivisor:
        baudDivisor_ = value;
        answer[0] = baudDivisor_;
        break;
    case rcGetBaudDivisor:
        answer[0] = baudDivisor_;
        break;
    default:
        break;
    }
    return answer;
}

void Receiver::Receive(Code code) {
    // Called with the mutex held. One code buffer: a new code replaces one not yet read.
    current_ = std::move(code);
    holdsCode_ = true;
    ++sequence_;
}

void Receiver::PressButton(std::int64_t code, UCHAR ringStart) {
    ReceiveDurations(EncodeBiphase(code), ringStart);
}

void Receiver::ReceiveDurations(const std::vector<signed char>& durations, UCHAR ringStart) {
    const std::size_t length = std::min<std::size_t>(durations.size(), 255);
    Code code{static_cast<UCHAR>(length), ringStart, std::vector<UCHAR>(length)};
    // Stored as a ring: the first duration stands at the ring start.
    for (std::size_t j = 0; j < length; ++j) {
        code.stored[(ringStart + j) % length] = static_cast<UCHAR>(durations[j]);
    }
    std::lock_guard lock(mutex_);
    Receive(std::move(code));
}

void Receiver::ReceiveRaw(UCHAR length, UCHAR ringStart, const std::vector<UCHAR>& stored) {
    std::lock_guard lock(mutex_);
    Receive(Code{length, ringStart, stored});
}

bool Receiver::HoldsCode() {
    std::lock_guard lock(mutex_);
    return holdsCode_;
}

UCHAR Receiver::Sequence() {
    std::lock_guard lock(mutex_);
    return sequence_;
}

unsigned Receiver::Acknowledgements() {
    std::lock_guard lock(mutex_);
    return acknowledgements_;
}

UCHAR Receiver::PortDirection() {
    std::lock_guard lock(mutex_);
    return direction_;
}

UCHAR Receiver::OutPort() {
    std::lock_guard lock(mutex_);
    return outPort_;
}

std::vector<UCHAR> Receiver::OutPortWrites() {
    std::lock_guard lock(mutex_);
    return outPortWrites_;
}

void Receiver::SetInPort(UCHAR value) {
    std::lock_guard lock(mutex_);
    inPort_ = value;
}

UCHAR Receiver::Eeprom(UCHAR address) {
    std::lock_guard lock(mutex_);
    return eeprom_[address];
}

void Receiver::SetEeprom(UCHAR address, UCHAR value) {
    std::lock_guard lock(mutex_);
    eeprom_[address] = value;
}

std::vector<UCHAR> Receiver::SerialSent() {
    std::lock_guard lock(mutex_);
    return serialSent_;
}

void Receiver::QueueSerialAnswer(const std::vector<UCHAR>& answer) {
    std::lock_guard lock(mutex_);
    serialAnswers_.push_back(answer);
}

UCHAR Receiver::BaudDivisor() {
    std::lock_guard lock(mutex_);
    return baudDivisor_;
}

UsbTransferResult Receiver::DataTransfer(UCHAR endpointAddress, UCHAR* data, ULONG length) {
    std::lock_guard lock(mutex_);
    std::deque<std::vector<UCHAR>>* queue = nullptr;
    switch (endpointAddress) {
    case kBulkOutEndpoint:
        bulkOut_.insert(bulkOut_.end(), data, data + length);
        return {USBD_STATUS_SUCCESS, length};
    case kBulkInEndpoint:
        queue = &bulkIn_;
        break;
    case kInterruptInEndpoint:
        queue = &interruptIn_;
        break;
    default:
        return {USBD_STATUS_STALL_PID, 0};
    }
    if (queue->empty()) {
        return {USBD_STATUS_PENDING, 0};
    }
    std::vector<UCHAR> answer = std::move(queue->front());
    queue->pop_front();
    const ULONG count = std::min<ULONG>(length, answer.size());
    // An empty answer has no bytes to copy from.
    if (count != 0) {
        std::memcpy(data, answer.data(), count);
    }
    return {USBD_STATUS_SUCCESS, count};
}

UsbTransferResult Receiver::IsoPacket(UCHAR endpointAddress, ULONG, UCHAR* data, ULONG length) {
    std::unique_lock lock(mutex_);
    if (holdingIso_) {
        ++heldIso_;
        changed_.notify_all();
        changed_.wait(lock, [this] { return !holdingIso_; });
        --heldIso_;
    }
    if (endpointAddress == kIsoOutEndpoint) {
        if (isoOut_.size() < 4096) {
            isoOut_.emplace_back(data, data + length);
        }
        return {USBD_STATUS_SUCCESS, length};
    }
    if (endpointAddress != kIsoInEndpoint) {
        return {USBD_STATUS_STALL_PID, 0};
    }
    IsoInPacket packet{length, USBD_STATUS_SUCCESS, static_cast<UCHAR>(isoInPackets_)};
    if (!isoIn_.empty()) {
        packet = isoIn_.front();
        isoIn_.pop_front();
    }
    ++isoInPackets_;
    const ULONG count = std::min(packet.length, length);
    std::memset(data, packet.fill, count);
    return {packet.status, USBD_SUCCESS(packet.status) ? count : 0};
}

UCHAR Receiver::AlternateSetting() {
    std::lock_guard lock(mutex_);
    return alternateSetting_;
}

std::vector<UCHAR> Receiver::Ram(ULONG address, ULONG length) {
    std::lock_guard lock(mutex_);
    std::vector<UCHAR> out(length);
    for (ULONG i = 0; i < length; ++i) {
        out[i] = ram_[(address + i) % kRamSize];
    }
    return out;
}

std::vector<WireRequest> Receiver::RamWrites() {
    std::lock_guard lock(mutex_);
    return ramWrites_;
}

void Receiver::FailRamWrite(unsigned nth) {
    std::lock_guard lock(mutex_);
    failRamWrite_ = nth;
}

std::vector<UCHAR> Receiver::BulkOut() {
    std::lock_guard lock(mutex_);
    return bulkOut_;
}

void Receiver::QueueBulkIn(const std::vector<UCHAR>& data) {
    std::lock_guard lock(mutex_);
    bulkIn_.push_back(data);
}

void Receiver::QueueInterruptIn(const std::vector<UCHAR>& data) {
    std::lock_guard lock(mutex_);
    interruptIn_.push_back(data);
}

void Receiver::QueueIsoIn(const std::vector<IsoInPacket>& packets) {
    std::lock_guard lock(mutex_);
    isoIn_.insert(isoIn_.end(), packets.begin(), packets.end());
}

unsigned Receiver::IsoInPackets() {
    std::lock_guard lock(mutex_);
    return isoInPackets_;
}

void Receiver::HoldIsochronous() {
    std::lock_guard lock(mutex_);
    holdingIso_ = true;
}

void Receiver::ReleaseIsochronous() {
    {
        std::lock_guard lock(mutex_);
        holdingIso_ = false;
    }
    changed_.notify_all();
}

void Receiver::WaitUntilIsochronousHeld(unsigned requests) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return heldIso_ >= requests; });
}

std::vector<std::vector<UCHAR>> Receiver::IsoOut() {
    std::lock_guard lock(mutex_);
    return isoOut_;
}

std::vector<WireRequest> Receiver::VendorRequests() {
    std::lock_guard lock(mutex_);
    return vendorRequests_;
}

std::vector<UsbSetupPacket> Receiver::SetupLog() {
    std::lock_guard lock(mutex_);
    return log_;
}

std::vector<UsbSetupPacket> Receiver::VendorLog() {
    std::lock_guard lock(mutex_);
    std::vector<UsbSetupPacket> vendor;
    std::copy_if(log_.begin(), log_.end(), std::back_inserter(vendor), [](const UsbSetupPacket& p) {
        return (p.bmRequestType & kTypeMask) == kTypeVendor;
    });
    return vendor;
}

void Receiver::ClearLog() {
    std::lock_guard lock(mutex_);
    log_.clear();
    vendorRequests_.clear();
}

void Receiver::SetNoAnswer(int count) {
    std::lock_guard lock(mutex_);
    noAnswer_ = count;
}

void Receiver::SetShortAnswer(ULONG bytes, int count) {
    std::lock_guard lock(mutex_);
    shortBytes_ = bytes;
    shortAnswer_ = count;
}

void Receiver::SetStall(int count) {
    std::lock_guard lock(mutex_);
    stall_ = count;
}

void Receiver::HoldRequests() {
    std::lock_guard lock(mutex_);
    holding_ = true;
}

void Receiver::ReleaseRequests() {
    {
        std::lock_guard lock(mutex_);
        holding_ = false;
    }
    changed_.notify_all();
}

void Receiver::WaitUntilHeld(unsigned requests) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return heldRequests_ >= requests; });
}

} // namespace receiversim
