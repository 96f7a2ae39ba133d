// The USB driver library: configuration descriptor parsing, select-configuration requests and
// the interface version.
#include "kernel_state.h"

#include <usbdlib.h>

#include <mutex>

namespace {

std::mutex versionMutex;
USBD_VERSION_INFORMATION version{0x500, 0x200};

SIZE_T InterfaceInformationSize(ULONG pipes) {
    return sizeof(USBD_INTERFACE_INFORMATION) +
           (pipes > 1 ? pipes - 1 : 0) * sizeof(USBD_PIPE_INFORMATION);
}

} // namespace

PUSB_INTERFACE_DESCRIPTOR NTAPI USBD_ParseConfigurationDescriptorEx(
    PUSB_CONFIGURATION_DESCRIPTOR ConfigurationDescriptor, PVOID StartPosition,
    LONG InterfaceNumber, LONG AlternateSetting, LONG InterfaceClass, LONG InterfaceSubClass,
    LONG InterfaceProtocol) {
    auto* begin = reinterpret_cast<PUCHAR>(ConfigurationDescriptor);
    PUCHAR end = begin + ConfigurationDescriptor->wTotalLength;
    auto* at = static_cast<PUCHAR>(StartPosition);
    if (at < begin) {
        at = begin;
    }
    while (at + sizeof(USB_COMMON_DESCRIPTOR) <= end) {
        const auto* common = reinterpret_cast<PUSB_COMMON_DESCRIPTOR>(at);
        if (common->bLength < sizeof(USB_COMMON_DESCRIPTOR) || at + common->bLength > end) {
            break;
        }
        if (common->bDescriptorType == USB_INTERFACE_DESCRIPTOR_TYPE &&
            common->bLength >= sizeof(USB_INTERFACE_DESCRIPTOR)) {
            auto* interface = reinterpret_cast<PUSB_INTERFACE_DESCRIPTOR>(at);
            auto matches = [](LONG wanted, UCHAR value) { return wanted == -1 || wanted == value; };
            if (matches(InterfaceNumber, interface->bInterfaceNumber) &&
                matches(AlternateSetting, interface->bAlternateSetting) &&
                matches(InterfaceClass, interface->bInterfaceClass) &&
                matches(InterfaceSubClass, interface->bInterfaceSubClass) &&
                matches(InterfaceProtocol, interface->bInterfaceProtocol)) {
                return interface;
            }
        }
        at += common->bLength;
    }
    return nullptr;
}

PURB NTAPI USBD_CreateConfigurationRequestEx(PUSB_CONFIGURATION_DESCRIPTOR ConfigurationDescriptor,
                                             PUSBD_INTERFACE_LIST_ENTRY InterfaceList) {
    SIZE_T size = sizeof(_URB_SELECT_CONFIGURATION) - sizeof(USBD_INTERFACE_INFORMATION);
    for (auto* entry = InterfaceList; entry->InterfaceDescriptor != nullptr; ++entry) {
        size += InterfaceInformationSize(entry->InterfaceDescriptor->bNumEndpoints);
    }
    if (size > 0xFFFF) {
        return nullptr;
    }
    auto* urb =
        static_cast<PURB>(ExAllocatePoolWithTag(NonPagedPool, size, kernelsim::detail::kTagUsbd));
    if (urb == nullptr) {
        return nullptr;
    }
    RtlZeroMemory(urb, size);
    UsbBuildSelectConfigurationRequest(urb, static_cast<USHORT>(size), ConfigurationDescriptor);
    auto* info = &urb->UrbSelectConfiguration.Interface;
    for (auto* entry = InterfaceList; entry->InterfaceDescriptor != nullptr; ++entry) {
        const ULONG pipes = entry->InterfaceDescriptor->bNumEndpoints;
        info->Length = static_cast<USHORT>(InterfaceInformationSize(pipes));
        info->InterfaceNumber = entry->InterfaceDescriptor->bInterfaceNumber;
        info->AlternateSetting = entry->InterfaceDescriptor->bAlternateSetting;
        info->NumberOfPipes = pipes;
        for (ULONG i = 0; i < pipes; ++i) {
            info->Pipes[i].MaximumTransferSize = USBD_DEFAULT_MAXIMUM_TRANSFER_SIZE;
        }
        entry->Interface = info;
        info = reinterpret_cast<PUSBD_INTERFACE_INFORMATION>(reinterpret_cast<PUCHAR>(info) +
                                                             info->Length);
    }
    return urb;
}

VOID NTAPI USBD_GetUSBDIVersion(PUSBD_VERSION_INFORMATION VersionInformation) {
    std::lock_guard lock(versionMutex);
    *VersionInformation = version;
}

namespace kernelsim {

void SetUsbdiVersion(ULONG usbdiVersion, ULONG supportedUsbVersion) {
    std::lock_guard lock(versionMutex);
    version = {usbdiVersion, supportedUsbVersion};
}

namespace detail {
void ResetUsbd() {
    SetUsbdiVersion(0x500, 0x200);
}
} // namespace detail

} // namespace kernelsim
