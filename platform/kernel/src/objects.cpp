// Device objects, the object namespace with its symbolic links, and device stacks.
#include "kernel_state.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace kernelsim::detail {

Objects& objects() {
    static Objects instance;
    return instance;
}

std::u16string CanonicalName(const std::u16string& name) {
    std::u16string result;
    for (char16_t c : name) {
        result += (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c;
    }
    const std::u16string dos = u"\\DOSDEVICES\\";
    if (result.compare(0, dos.size(), dos) == 0) {
        result = u"\\??\\" + result.substr(dos.size());
    }
    return result;
}

std::u16string NameOf(PCUNICODE_STRING name) {
    if (name == nullptr || name->Buffer == nullptr) {
        return {};
    }
    return std::u16string(name->Buffer, name->Length / sizeof(WCHAR));
}

std::u16string Widen(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

void ReleaseDeviceLocked(PDEVICE_OBJECT device) {
    auto it = objects().devices.find(device);
    if (it != objects().devices.end() && it->second.deleted && device->ReferenceCount == 0) {
        objects().devices.erase(it);
        ExFreePool(device);
    }
}

bool DeviceReferenced(PDEVICE_OBJECT device) {
    std::lock_guard lock(objects().mutex);
    return objects().devices.count(device) != 0;
}

bool DeviceAlive(PDEVICE_OBJECT device) {
    std::lock_guard lock(objects().mutex);
    auto it = objects().devices.find(device);
    return it != objects().devices.end() && !it->second.deleted;
}

void ResetIo() {
    Objects& o = objects();
    std::lock_guard lock(o.mutex);
    o.devices.clear();
    o.names.clear();
    o.links.clear();
    o.failNextAttach = false;
}

} // namespace kernelsim::detail

using namespace kernelsim::detail;

NTSTATUS NTAPI IoCreateDevice(PDRIVER_OBJECT DriverObject, ULONG DeviceExtensionSize,
                              PUNICODE_STRING DeviceName, DEVICE_TYPE DeviceType,
                              ULONG DeviceCharacteristics, BOOLEAN Exclusive,
                              PDEVICE_OBJECT* DeviceObject) {
    *DeviceObject = nullptr;
    const std::u16string name = CanonicalName(NameOf(DeviceName));
    Objects& o = objects();
    {
        std::lock_guard lock(o.mutex);
        if (!name.empty() && (o.names.count(name) != 0 || o.links.count(name) != 0)) {
            return STATUS_OBJECT_NAME_COLLISION;
        }
    }
    const SIZE_T head = (sizeof(DEVICE_OBJECT) + 15) & ~SIZE_T(15);
    auto* device = static_cast<PDEVICE_OBJECT>(
        ExAllocatePoolWithTag(NonPagedPool, head + DeviceExtensionSize, kTagDevice));
    if (device == nullptr) {
        return STATUS_INSUFFICIENT_RESOURCES;
    }
    RtlZeroMemory(device, head + DeviceExtensionSize);
    device->Type = IO_TYPE_DEVICE;
    device->Size = static_cast<USHORT>(sizeof(DEVICE_OBJECT) + DeviceExtensionSize);
    device->DriverObject = DriverObject;
    device->Flags = DO_DEVICE_INITIALIZING | (name.empty() ? 0 : DO_DEVICE_HAS_NAME) |
                    (Exclusive ? DO_EXCLUSIVE : 0);
    device->Characteristics = DeviceCharacteristics;
    device->DeviceType = DeviceType;
    device->StackSize = 1;
    device->DeviceExtension =
        DeviceExtensionSize != 0 ? reinterpret_cast<PCHAR>(device) + head : nullptr;
    std::lock_guard lock(o.mutex);
    if (!name.empty()) {
        // Checked again: another thread may have taken the name meanwhile.
        if (o.names.count(name) != 0 || o.links.count(name) != 0) {
            ExFreePool(device);
            return STATUS_OBJECT_NAME_COLLISION;
        }
        o.names[name] = device;
    }
    o.devices[device] = DeviceInfo{name, nullptr, false};
    device->NextDevice = DriverObject->DeviceObject;
    DriverObject->DeviceObject = device;
    *DeviceObject = device;
    return STATUS_SUCCESS;
}

VOID NTAPI IoDeleteDevice(PDEVICE_OBJECT DeviceObject) {
    Objects& o = objects();
    std::lock_guard lock(o.mutex);
    auto it = o.devices.find(DeviceObject);
    if (it == o.devices.end() || it->second.deleted) {
        KeBugCheckEx(DRIVER_VERIFIER_DETECTED_VIOLATION, 0x1001,
                     reinterpret_cast<ULONG_PTR>(DeviceObject), 0, 0);
    }
    if (!it->second.name.empty()) {
        o.names.erase(it->second.name);
    }
    PDEVICE_OBJECT* link = &DeviceObject->DriverObject->DeviceObject;
    while (*link != nullptr && *link != DeviceObject) {
        link = &(*link)->NextDevice;
    }
    if (*link == DeviceObject) {
        *link = DeviceObject->NextDevice;
    }
    it->second.deleted = true;
    // Open files keep the object's memory until they are closed.
    ReleaseDeviceLocked(DeviceObject);
}

NTSTATUS NTAPI IoCreateSymbolicLink(PUNICODE_STRING SymbolicLinkName, PUNICODE_STRING DeviceName) {
    const std::u16string link = CanonicalName(NameOf(SymbolicLinkName));
    const std::u16string target = CanonicalName(NameOf(DeviceName));
    if (link.empty() || target.empty()) {
        return STATUS_OBJECT_NAME_INVALID;
    }
    Objects& o = objects();
    std::lock_guard lock(o.mutex);
    if (o.links.count(link) != 0 || o.names.count(link) != 0) {
        return STATUS_OBJECT_NAME_COLLISION;
    }
    o.links[link] = target;
    return STATUS_SUCCESS;
}

NTSTATUS NTAPI IoDeleteSymbolicLink(PUNICODE_STRING SymbolicLinkName) {
    Objects& o = objects();
    std::lock_guard lock(o.mutex);
    return o.links.erase(CanonicalName(NameOf(SymbolicLinkName))) != 0
               ? STATUS_SUCCESS
               : STATUS_OBJECT_NAME_NOT_FOUND;
}

PDEVICE_OBJECT NTAPI IoGetAttachedDevice(PDEVICE_OBJECT DeviceObject) {
    std::lock_guard lock(objects().mutex);
    while (DeviceObject->AttachedDevice != nullptr) {
        DeviceObject = DeviceObject->AttachedDevice;
    }
    return DeviceObject;
}

PDEVICE_OBJECT NTAPI IoAttachDeviceToDeviceStack(PDEVICE_OBJECT SourceDevice,
                                                 PDEVICE_OBJECT TargetDevice) {
    Objects& o = objects();
    std::lock_guard lock(o.mutex);
    if (o.failNextAttach) {
        o.failNextAttach = false;
        return nullptr;
    }
    auto target = o.devices.find(TargetDevice);
    auto source = o.devices.find(SourceDevice);
    if (target == o.devices.end() || target->second.deleted || source == o.devices.end()) {
        return nullptr;
    }
    PDEVICE_OBJECT top = TargetDevice;
    while (top->AttachedDevice != nullptr) {
        top = top->AttachedDevice;
    }
    top->AttachedDevice = SourceDevice;
    SourceDevice->StackSize = static_cast<CCHAR>(top->StackSize + 1);
    source->second.lower = top;
    return top;
}

VOID NTAPI IoDetachDevice(PDEVICE_OBJECT TargetDevice) {
    Objects& o = objects();
    std::lock_guard lock(o.mutex);
    PDEVICE_OBJECT upper = TargetDevice->AttachedDevice;
    TargetDevice->AttachedDevice = nullptr;
    if (upper != nullptr) {
        auto it = o.devices.find(upper);
        if (it != o.devices.end()) {
            it->second.lower = nullptr;
        }
    }
}

VOID NTAPI RtlInitUnicodeString(PUNICODE_STRING DestinationString, PCWSTR SourceString) {
    USHORT length = 0;
    if (SourceString != nullptr) {
        while (SourceString[length] != 0) {
            ++length;
        }
    }
    DestinationString->Length = static_cast<USHORT>(length * sizeof(WCHAR));
    DestinationString->MaximumLength =
        SourceString != nullptr ? static_cast<USHORT>((length + 1) * sizeof(WCHAR)) : 0;
    DestinationString->Buffer = const_cast<PWSTR>(SourceString);
}

BOOLEAN NTAPI RtlEqualUnicodeString(PCUNICODE_STRING String1, PCUNICODE_STRING String2,
                                    BOOLEAN CaseInSensitive) {
    std::u16string a = NameOf(String1);
    std::u16string b = NameOf(String2);
    if (CaseInSensitive) {
        auto upper = [](char16_t c) {
            return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c;
        };
        std::transform(a.begin(), a.end(), a.begin(), upper);
        std::transform(b.begin(), b.end(), b.begin(), upper);
    }
    return a == b;
}

namespace {

kernelsim::BugCheckHandler& bugCheckHandler() {
    static kernelsim::BugCheckHandler handler;
    return handler;
}

} // namespace

VOID NTAPI KeBugCheckEx(ULONG BugCheckCode, ULONG_PTR BugCheckParameter1,
                        ULONG_PTR BugCheckParameter2, ULONG_PTR, ULONG_PTR) {
    if (bugCheckHandler()) {
        bugCheckHandler()(BugCheckCode, BugCheckParameter1, BugCheckParameter2);
    }
    std::fprintf(stderr, "*** STOP: 0x%08X (0x%llX, 0x%llX)\n", static_cast<unsigned>(BugCheckCode),
                 static_cast<unsigned long long>(BugCheckParameter1),
                 static_cast<unsigned long long>(BugCheckParameter2));
    std::abort();
}

namespace kernelsim {

void SetBugCheckHandler(BugCheckHandler handler) {
    bugCheckHandler() = std::move(handler);
}

void FailNextAttach() {
    std::lock_guard lock(detail::objects().mutex);
    detail::objects().failNextAttach = true;
}

PDEVICE_OBJECT LookupDevice(const std::string& objectName) {
    Objects& o = objects();
    std::lock_guard lock(o.mutex);
    std::u16string name = CanonicalName(Widen(objectName));
    for (int depth = 0; depth < 8; ++depth) {
        auto link = o.links.find(name);
        if (link == o.links.end()) {
            break;
        }
        name = link->second;
    }
    auto it = o.names.find(name);
    return it == o.names.end() ? nullptr : it->second;
}

bool SymbolicLinkExists(const std::string& linkName) {
    std::lock_guard lock(objects().mutex);
    return objects().links.count(CanonicalName(Widen(linkName))) != 0;
}

std::size_t DeviceCount() {
    std::lock_guard lock(objects().mutex);
    return std::count_if(objects().devices.begin(), objects().devices.end(),
                         [](const auto& entry) { return !entry.second.deleted; });
}

void ResetKernel() {
    SetBugCheckHandler(nullptr);
    detail::ResetIo();
    detail::ResetPower();
    detail::ResetUsbd();
    detail::ResetPool();
}

} // namespace kernelsim
