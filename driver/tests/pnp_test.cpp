// The driver's device objects, Plug and Play, power, create and close, and removal.
#include "driver_fixture.h"

#include "kernelsim/pnp.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using kernelsim::UsbSetupPacket;

class DriverPnpTest : public DriverTest {};

TEST_F(DriverPnpTest, StartReadsDescriptorsConfiguresAndNamesTheDevice) {
    PDEVICE_OBJECT pdo = PlugInStarted();
    const auto total = static_cast<USHORT>(receiversim::Receiver::ConfigurationDescriptor().size());
    const std::vector<UsbSetupPacket> expected{
        {0x80, USB_REQUEST_GET_DESCRIPTOR, 0x0100, 0, 18},
        {0x80, USB_REQUEST_GET_DESCRIPTOR, 0x0200, 0, 9},
        {0x80, USB_REQUEST_GET_DESCRIPTOR, 0x0200, 0, static_cast<USHORT>(total + 16)},
        {0x00, USB_REQUEST_SET_CONFIGURATION, 1, 0, 0},
    };
    EXPECT_EQ(machine->receiver.SetupLog(), expected);
    EXPECT_TRUE(machine->Host().IsConfigured(pdo));

    PReceiverDeviceExtension extension = Extension(pdo);
    EXPECT_TRUE(extension->Started);
    EXPECT_TRUE(extension->LinkCreated);
    ASSERT_NE(extension->DeviceDescriptor, nullptr);
    EXPECT_EQ(extension->DeviceDescriptor->bLength, 18);
    ASSERT_NE(extension->InterfaceInfo, nullptr);
    EXPECT_EQ(extension->InterfaceInfo->NumberOfPipes, 5u);
    EXPECT_EQ(extension->InterfaceInfo->Pipes[4].MaximumTransferSize, 0xFFFFu);
    EXPECT_EQ(extension->PendingIoCount, 1);
    EXPECT_EQ(extension->LastUsbdStatus, 0);
    PDEVICE_OBJECT fdo = pdo->AttachedDevice;
    EXPECT_EQ(fdo->Flags & DO_DEVICE_INITIALIZING, 0u);
    EXPECT_NE(fdo->Flags & DO_DIRECT_IO, 0u);
    EXPECT_NE(fdo->Flags & DO_POWER_PAGABLE, 0u);
    EXPECT_EQ(kernelsim::LookupDevice("\\Device\\VarnPlugUSB_0"), fdo);
    EXPECT_EQ(kernelsim::LookupDevice("\\DosDevices\\VarnPlugUSB_0"), fdo);

    auto file = Open();
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(extension->OpenCount, 1);
    file->Close();
    EXPECT_EQ(extension->OpenCount, 0);
}

TEST_F(DriverPnpTest, InstancesAreNumberedFromTheFirstFreeOne) {
    receiversim::Receiver second, third;
    PDEVICE_OBJECT first = PlugInStarted();
    PDEVICE_OBJECT pdo2 = machine->PlugIn(second);
    EXPECT_EQ(kernelsim::LookupDevice("\\??\\VarnPlugUSB_1"), pdo2->AttachedDevice);
    EXPECT_EQ(machine->Unplug(first), STATUS_SUCCESS);
    EXPECT_FALSE(kernelsim::SymbolicLinkExists("\\DosDevices\\VarnPlugUSB_0"));
    PDEVICE_OBJECT pdo3 = machine->PlugIn(third);
    EXPECT_EQ(kernelsim::LookupDevice("\\??\\VarnPlugUSB_0"), pdo3->AttachedDevice);
    EXPECT_NE(Open("VarnPlugUSB_1"), nullptr);
}

TEST_F(DriverPnpTest, AllEightNamesTakenFailsTheNinth) {
    std::vector<std::unique_ptr<receiversim::Receiver>> receivers;
    for (int i = 0; i < 8; ++i) {
        receivers.push_back(std::make_unique<receiversim::Receiver>());
        NTSTATUS added = 0;
        machine->PlugIn(*receivers.back(), &added);
        ASSERT_EQ(added, STATUS_SUCCESS) << i;
    }
    EXPECT_NE(kernelsim::LookupDevice("\\??\\VarnPlugUSB_7"), nullptr);
    receiversim::Receiver ninth;
    NTSTATUS added = 0;
    PDEVICE_OBJECT pdo = machine->PlugIn(ninth, &added);
    EXPECT_EQ(added, STATUS_OBJECT_NAME_COLLISION);
    EXPECT_EQ(pdo->AttachedDevice, nullptr) << "the device is not served";
}

TEST_F(DriverPnpTest, DeviceThatFailsToStartCannotBeOpenedAndFreesItsName) {
    machine->Host().FailNext(IRP_MJ_PNP, IRP_MN_START_DEVICE, STATUS_DEVICE_NOT_CONNECTED);
    NTSTATUS started = 0;
    PDEVICE_OBJECT pdo = machine->PlugIn(machine->receiver, nullptr, &started);
    EXPECT_EQ(started, STATUS_DEVICE_NOT_CONNECTED);
    EXPECT_FALSE(Extension(pdo)->Started);
    EXPECT_TRUE(machine->receiver.SetupLog().empty()) << "not configured";
    DWORD error = 0;
    EXPECT_EQ(Open("VarnPlugUSB_0", &error), nullptr);
    EXPECT_EQ(error, 31u);
    EXPECT_EQ(machine->Unplug(pdo), STATUS_SUCCESS);
    EXPECT_FALSE(kernelsim::SymbolicLinkExists("\\DosDevices\\VarnPlugUSB_0"));
    receiversim::Receiver later;
    PDEVICE_OBJECT next = machine->PlugIn(later);
    EXPECT_EQ(kernelsim::LookupDevice("\\??\\VarnPlugUSB_0"), next->AttachedDevice);
}

TEST_F(DriverPnpTest, StopDeconfiguresButOpeningStillSucceeds) {
    PDEVICE_OBJECT pdo = PlugInStarted();
    machine->receiver.ClearLog();
    EXPECT_EQ(kernelsim::StopDevice(pdo), STATUS_SUCCESS);
    EXPECT_EQ(machine->receiver.SetupLog(),
              (std::vector<UsbSetupPacket>{{0x00, USB_REQUEST_SET_CONFIGURATION, 0, 0, 0}}));
    EXPECT_FALSE(machine->Host().IsConfigured(pdo));
    EXPECT_TRUE(Extension(pdo)->Started);
    EXPECT_NE(Extension(pdo)->InterfaceInfo, nullptr);
    EXPECT_NE(Open(), nullptr);
    // A second start configures again and keeps one copy of each descriptor.
    EXPECT_EQ(kernelsim::StartDevice(pdo), STATUS_SUCCESS);
    EXPECT_TRUE(machine->Host().IsConfigured(pdo));
    EXPECT_EQ(kernelsim::OutstandingPool(kernelsim::PoolTag("Wdm ")).size(), 2u);
}

TEST_F(DriverPnpTest, CapabilitiesVersionZeroPassDownUntouched) {
    PDEVICE_OBJECT pdo = PlugInStarted();
    const struct {
        USHORT version;
        ULONG surpriseRemovalOK;
    } cases[] = {{0, 0}, {1, 1}, {2, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        DEVICE_CAPABILITIES caps{};
        caps.Size = sizeof(caps);
        caps.Version = c.version;
        EXPECT_EQ(kernelsim::QueryCapabilities(pdo, &caps), STATUS_SUCCESS);
        EXPECT_EQ(caps.Removable, 1u) << "the bus filled them";
        EXPECT_EQ(caps.SurpriseRemovalOK, c.surpriseRemovalOK);
    }
    EXPECT_EQ(Extension(pdo)->PendingIoCount, 1);
}

TEST_F(DriverPnpTest, OtherPlugAndPlayAndPowerRequestsPassDown) {
    PDEVICE_OBJECT pdo = PlugInStarted();
    EXPECT_EQ(kernelsim::SendPnp(pdo, IRP_MN_QUERY_DEVICE_TEXT), STATUS_NOT_SUPPORTED);
    POWER_STATE state;
    state.DeviceState = PowerDeviceD0;
    EXPECT_EQ(kernelsim::SendPower(pdo, IRP_MN_SET_POWER, DevicePowerState, state), STATUS_SUCCESS);
    EXPECT_EQ(kernelsim::PowerIrpsStarted(), 2u) << "the driver's and the bus driver's";
    EXPECT_EQ(Extension(pdo)->PendingIoCount, 1);
}

TEST_F(DriverPnpTest, EverythingWorksWhenTheStackPendsItsRequests) {
    machine->Host().SetPendRequests(true);
    PDEVICE_OBJECT pdo = PlugInStarted();
    EXPECT_TRUE(machine->Host().IsConfigured(pdo));
    auto file = Open();
    ASSERT_NE(file, nullptr);
    auto reply = Control(*file, IOCTL_RECEIVER_COMMAND, {rcGetBaudDivisor, 0, 0});
    EXPECT_TRUE(reply.ok);
    EXPECT_EQ(reply.bytes, 8u);
    EXPECT_EQ(reply.data[0], 77);
    file->Close();
    EXPECT_EQ(machine->Unplug(pdo), STATUS_SUCCESS);
}

TEST_F(DriverPnpTest, AttachYieldingNoDeviceFailsAddDeviceCleanly) {
    kernelsim::FailNextAttach();
    NTSTATUS added = 0;
    machine->PlugIn(machine->receiver, &added);
    EXPECT_EQ(added, STATUS_NO_SUCH_DEVICE);
    EXPECT_FALSE(kernelsim::SymbolicLinkExists("\\DosDevices\\VarnPlugUSB_0"));
    EXPECT_EQ(kernelsim::LookupDevice("\\Device\\VarnPlugUSB_0"), nullptr);
}

TEST_F(DriverPnpTest, RemovalAbortsThePipesAndWaitsForABlockedRequest) {
    PDEVICE_OBJECT pdo = PlugInStarted();
    auto blocked = Open();
    auto late = Open();
    ASSERT_NE(blocked, nullptr);
    machine->receiver.HoldRequests();
    Reply blockedReply{};
    std::thread caller([&] {
        blockedReply = Control(*blocked, IOCTL_RECEIVER_COMMAND, {rcGetOutPort, 0, 0});
    });
    machine->receiver.WaitUntilHeld(1);

    std::atomic<bool> removed{false};
    NTSTATUS removeStatus = 0;
    std::thread remover([&] {
        removeStatus = kernelsim::RemoveDevice(pdo);
        removed = true;
    });
    // Removal has begun once it aborts the pipes.
    while (machine->Host().AbortCount(pdo, receiversim::kIsoOutEndpoint) == 0) {
        std::this_thread::yield();
    }
    for (UCHAR endpoint : {receiversim::kBulkInEndpoint, receiversim::kBulkOutEndpoint,
                           receiversim::kInterruptInEndpoint, receiversim::kIsoInEndpoint}) {
        EXPECT_EQ(machine->Host().AbortCount(pdo, endpoint), 1u) << int(endpoint);
    }
    auto refused = Control(*late, IOCTL_RECEIVER_COMMAND, {rcGetOutPort, 0, 0});
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.error, 5u) << "delete pending";
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(removed) << "removal waits for the request in progress";

    machine->receiver.ReleaseRequests();
    caller.join();
    remover.join();
    EXPECT_TRUE(blockedReply.ok);
    EXPECT_EQ(blockedReply.bytes, 8u);
    EXPECT_EQ(removeStatus, STATUS_SUCCESS);
    EXPECT_EQ(pdo->AttachedDevice, nullptr);
    EXPECT_FALSE(kernelsim::SymbolicLinkExists("\\DosDevices\\VarnPlugUSB_0"));
    // Closing after removal reaches no device object.
    blocked->Close();
    late->Close();
}

// Runs an operation once per allocation it makes, failing that allocation, on a fresh machine.
template <typename Setup, typename Operation>
void FailEachAllocation(Setup setup, Operation operation) {
    kernelsim::ResetKernel();
    unsigned count = 0;
    {
        driversim::ReceiverMachine machine;
        setup(machine);
        const unsigned before = kernelsim::AllocationCount();
        operation(machine, false);
        count = kernelsim::AllocationCount() - before;
    }
    ASSERT_GT(count, 0u);
    for (unsigned k = 1; k <= count; ++k) {
        SCOPED_TRACE(testing::Message() << "allocation " << k << " of " << count);
        kernelsim::ResetKernel();
        {
            driversim::ReceiverMachine machine;
            setup(machine);
            kernelsim::FailAllocation(k);
            operation(machine, true);
        }
        EXPECT_TRUE(kernelsim::OutstandingPool().empty());
    }
    kernelsim::ResetKernel();
}

TEST_F(DriverPnpTest, AllocationFailureDuringAddAndStartLeavesNoPool) {
    machine.reset();
    FailEachAllocation([](driversim::ReceiverMachine&) {},
                       [](driversim::ReceiverMachine& m, bool failing) {
                           NTSTATUS added = 0, started = 0;
                           PDEVICE_OBJECT pdo = m.PlugIn(m.receiver, &added, &started);
                           if (pdo == nullptr) {
                               EXPECT_TRUE(failing);
                               return;
                           }
                           DWORD error = 0;
                           auto file = m.Provider().Open("VarnPlugUSB_0", &error);
                           if (!failing) {
                               EXPECT_EQ(started, STATUS_SUCCESS);
                           }
                           // Either the device started and serves, or it did not and refuses.
                           if (NT_SUCCESS(started)) {
                               EXPECT_TRUE(pdo->AttachedDevice != nullptr);
                           } else if (pdo->AttachedDevice != nullptr) {
                               EXPECT_EQ(file, nullptr);
                           }
                       });
    machine = std::make_unique<driversim::ReceiverMachine>();
}

TEST_F(DriverPnpTest, AllocationFailureDuringRemovalLeavesNoPool) {
    machine.reset();
    PDEVICE_OBJECT pdo = nullptr;
    FailEachAllocation(
        [&](driversim::ReceiverMachine& m) { pdo = m.PlugIn(m.receiver); },
        [&](driversim::ReceiverMachine& m, bool) { EXPECT_EQ(m.Unplug(pdo), STATUS_SUCCESS); });
    machine = std::make_unique<driversim::ReceiverMachine>();
}

} // namespace
