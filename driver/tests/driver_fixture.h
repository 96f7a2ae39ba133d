// Tests of the driver through the device-control path: a fresh kernel with the driver loaded.
#pragma once

#include "driver.h"
#include "kernel_fixture.h"
#include "receiver_machine.h"

#include <memory>
#include <string>
#include <vector>

class DriverTest : public KernelTest {
protected:
    void SetUp() override {
        KernelTest::SetUp();
        machine = std::make_unique<driversim::ReceiverMachine>();
    }
    void TearDown() override {
        machine.reset();
        EXPECT_TRUE(kernelsim::OutstandingPool(kernelsim::PoolTag("Wdm ")).empty())
            << DescribeOutstandingPool();
        KernelTest::TearDown();
    }

    // Plugs the machine's receiver in and expects it to start.
    PDEVICE_OBJECT PlugInStarted() {
        NTSTATUS added = 0, started = 0;
        PDEVICE_OBJECT pdo = machine->PlugIn(machine->receiver, &added, &started);
        EXPECT_EQ(added, STATUS_SUCCESS);
        EXPECT_EQ(started, STATUS_SUCCESS);
        return pdo;
    }

    std::unique_ptr<win32sim::DeviceFile> Open(const std::string& name = "VarnPlugUSB_0",
                                               DWORD* error = nullptr) {
        DWORD ignored = 0;
        return machine->Provider().Open(name, error != nullptr ? error : &ignored);
    }

    static PReceiverDeviceExtension Extension(PDEVICE_OBJECT pdo) {
        return static_cast<PReceiverDeviceExtension>(pdo->AttachedDevice->DeviceExtension);
    }

    struct Reply {
        BOOL ok;
        DWORD bytes;
        DWORD error;
        std::vector<UCHAR> data;
    };
    // One device-control request with the given input and an output of outLength bytes, all
    // preset to 0xEE.
    static Reply Control(win32sim::DeviceFile& file, DWORD code, std::vector<UCHAR> in,
                         DWORD outLength = 8) {
        Reply reply{FALSE, 0xFFFF, 0, std::vector<UCHAR>(outLength, 0xEE)};
        reply.ok = file.Control(
            code, in.empty() ? nullptr : in.data(), static_cast<DWORD>(in.size()),
            outLength == 0 ? nullptr : reply.data.data(), outLength, &reply.bytes, &reply.error);
        return reply;
    }

    // The bytes of a structure, as a request's input.
    template <typename T>
    static std::vector<UCHAR> Bytes(const T& value) {
        const auto* at = reinterpret_cast<const UCHAR*>(&value);
        return std::vector<UCHAR>(at, at + sizeof(T));
    }

    static std::size_t DriverPoolBlocks() {
        return kernelsim::OutstandingPool(kernelsim::PoolTag("Wdm ")).size();
    }

    std::unique_ptr<driversim::ReceiverMachine> machine;
};

// A started receiver, opened, with its log emptied.
class OpenDriverTest : public DriverTest {
protected:
    void SetUp() override {
        DriverTest::SetUp();
        pdo = PlugInStarted();
        file = Open();
        ASSERT_NE(file, nullptr);
        machine->receiver.ClearLog();
    }
    void TearDown() override {
        file.reset();
        DriverTest::TearDown();
    }

    Reply Control(DWORD code, std::vector<UCHAR> in, DWORD outLength = 0) {
        return DriverTest::Control(*file, code, std::move(in), outLength);
    }
    // Control with the output given.
    Reply ControlWith(DWORD code, std::vector<UCHAR> in, std::vector<UCHAR> out) {
        Reply reply{FALSE, 0xFFFF, 0, std::move(out)};
        reply.ok =
            file->Control(code, in.empty() ? nullptr : in.data(), static_cast<DWORD>(in.size()),
                          reply.data.empty() ? nullptr : reply.data.data(),
                          static_cast<DWORD>(reply.data.size()), &reply.bytes, &reply.error);
        return reply;
    }
    static std::vector<UCHAR> PipeIndex(ULONG index) { return Bytes(index); }

    PDEVICE_OBJECT pdo = nullptr;
    std::unique_ptr<win32sim::DeviceFile> file;
};
