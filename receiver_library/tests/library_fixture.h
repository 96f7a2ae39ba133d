// A simulated machine with the receiver library registered and loaded, and a fake receiver
// installed as the device behind "\\.\VarnPlugUSB_0".
#pragma once

#include "fake_receiver.h"
#include "receiver_library_module.h"
#include "sim_fixture.h"
#include "varnusb.h"
#include "win32sim/message_boxes.h"
#include "win32sim/objects.h"

#include <windows.h>

class ReceiverLibraryTest : public SimMachineTest {
protected:
    void SetUp() override {
        SimMachineTest::SetUp();
        RegisterReceiverLibraryModule();
        win32sim::SetDeviceProvider(&receiver);
        module = LoadLibraryA("VarnUSB.dll");
        ASSERT_NE(module, nullptr);
    }
    void TearDown() override {
        if (module != nullptr) {
            EXPECT_TRUE(FreeLibrary(module));
        }
        SimMachineTest::TearDown();
    }

    // Requests of one command in the order sent.
    std::vector<FakeReceiver::Request> RequestsOf(BYTE command) const {
        std::vector<FakeReceiver::Request> of;
        for (const auto& r : receiver.Requests())
            if (r.Command == command)
                of.push_back(r);
        return of;
    }

    FakeReceiver receiver;
    HMODULE module = nullptr;
};
