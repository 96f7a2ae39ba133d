// The USB driver library: building URBs and parsing configuration descriptors.
#pragma once

#include "usbdi.h"

typedef struct _USBD_INTERFACE_LIST_ENTRY {
    PUSB_INTERFACE_DESCRIPTOR InterfaceDescriptor;
    PUSBD_INTERFACE_INFORMATION Interface;
} USBD_INTERFACE_LIST_ENTRY, *PUSBD_INTERFACE_LIST_ENTRY;

#define GET_SELECT_CONFIGURATION_REQUEST_SIZE(totalInterfaces, totalPipes)                         \
    (sizeof(struct _URB_SELECT_CONFIGURATION) +                                                    \
     ((totalInterfaces)-1) * sizeof(USBD_INTERFACE_INFORMATION) +                                  \
     ((totalPipes) - (totalInterfaces)) * sizeof(USBD_PIPE_INFORMATION))

#define GET_SELECT_INTERFACE_REQUEST_SIZE(totalPipes)                                              \
    (sizeof(struct _URB_SELECT_INTERFACE) + ((totalPipes)-1) * sizeof(USBD_PIPE_INFORMATION))

#define GET_USBD_INTERFACE_SIZE(numEndpoints)                                                      \
    (sizeof(USBD_INTERFACE_INFORMATION) + (sizeof(USBD_PIPE_INFORMATION) * (numEndpoints)) -       \
     sizeof(USBD_PIPE_INFORMATION))

#define GET_ISO_URB_SIZE(n)                                                                        \
    (sizeof(struct _URB_ISOCH_TRANSFER) + sizeof(USBD_ISO_PACKET_DESCRIPTOR) * (n))

#define UsbBuildGetDescriptorRequest(urb, length, descriptorType, descriptorIndex, languageId,     \
                                     transferBuffer, transferBufferMDL, transferBufferLength,      \
                                     link)                                                         \
    {                                                                                              \
        (urb)->UrbHeader.Function = URB_FUNCTION_GET_DESCRIPTOR_FROM_DEVICE;                       \
        (urb)->UrbHeader.Length = (length);                                                        \
        (urb)->UrbControlDescriptorRequest.TransferBufferLength = (transferBufferLength);          \
        (urb)->UrbControlDescriptorRequest.TransferBufferMDL = (transferBufferMDL);                \
        (urb)->UrbControlDescriptorRequest.TransferBuffer = (transferBuffer);                      \
        (urb)->UrbControlDescriptorRequest.DescriptorType = (descriptorType);                      \
        (urb)->UrbControlDescriptorRequest.Index = (descriptorIndex);                              \
        (urb)->UrbControlDescriptorRequest.LanguageId = (languageId);                              \
        (urb)->UrbControlDescriptorRequest.UrbLink = (link);                                       \
    }

#define UsbBuildVendorRequest(urb, cmd, length, transferFlags, reservedBits, request, value,       \
                              index, transferBuffer, transferBufferMDL, transferBufferLength,      \
                              link)                                                                \
    {                                                                                              \
        (urb)->UrbHeader.Function = (cmd);                                                         \
        (urb)->UrbHeader.Length = (length);                                                        \
        (urb)->UrbControlVendorClassRequest.TransferBufferLength = (transferBufferLength);         \
        (urb)->UrbControlVendorClassRequest.TransferBufferMDL = (transferBufferMDL);               \
        (urb)->UrbControlVendorClassRequest.TransferBuffer = (transferBuffer);                     \
        (urb)->UrbControlVendorClassRequest.RequestTypeReservedBits = (reservedBits);              \
        (urb)->UrbControlVendorClassRequest.Request = (request);                                   \
        (urb)->UrbControlVendorClassRequest.Value = (value);                                       \
        (urb)->UrbControlVendorClassRequest.Index = (index);                                       \
        (urb)->UrbControlVendorClassRequest.TransferFlags = (transferFlags);                       \
        (urb)->UrbControlVendorClassRequest.UrbLink = (link);                                      \
    }

#define UsbBuildSelectConfigurationRequest(urb, length, configurationDescriptor)                   \
    {                                                                                              \
        (urb)->UrbHeader.Function = URB_FUNCTION_SELECT_CONFIGURATION;                             \
        (urb)->UrbHeader.Length = (length);                                                        \
        (urb)->UrbSelectConfiguration.ConfigurationDescriptor = (configurationDescriptor);         \
    }

// The first interface descriptor at or after StartPosition matching every criterion that is
// not -1; NULL when there is none.
PUSB_INTERFACE_DESCRIPTOR NTAPI USBD_ParseConfigurationDescriptorEx(
    PUSB_CONFIGURATION_DESCRIPTOR ConfigurationDescriptor, PVOID StartPosition,
    LONG InterfaceNumber, LONG AlternateSetting, LONG InterfaceClass, LONG InterfaceSubClass,
    LONG InterfaceProtocol);

// A select-configuration URB for the interfaces of the list (ended by a NULL descriptor), from
// pool; each entry's Interface is pointed into the URB. NULL when the pool is exhausted.
PURB NTAPI USBD_CreateConfigurationRequestEx(PUSB_CONFIGURATION_DESCRIPTOR ConfigurationDescriptor,
                                             PUSBD_INTERFACE_LIST_ENTRY InterfaceList);

VOID NTAPI USBD_GetUSBDIVersion(PUSBD_VERSION_INFORMATION VersionInformation);
