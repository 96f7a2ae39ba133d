// Benchmarks of the driver on the simulated host: the isochronous stream's sustained throughput
// through the rings, and one receiver request through the whole device-control path.
#include "kernelsim/kernel.h"
#include "receiver_machine.h"

#include <receiver_ioctl.h>
#include <usbdi.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

struct PluggedMachine {
    PluggedMachine() {
        kernelsim::ResetKernel();
        machine = std::make_unique<driversim::ReceiverMachine>();
        pdo = machine->PlugIn(machine->receiver);
        DWORD error = 0;
        file = machine->Provider().Open("VarnPlugUSB_0", &error);
        if (file == nullptr) {
            std::fprintf(stderr, "the receiver did not open (error %lu)\n",
                         static_cast<unsigned long>(error));
            std::abort();
        }
    }
    ~PluggedMachine() {
        file.reset();
        machine.reset();
        kernelsim::ResetKernel();
    }

    BOOL Control(DWORD code, const void* in, DWORD inLength, void* out, DWORD outLength,
                 DWORD* bytes) {
        DWORD error = 0;
        return file->Control(code, in, inLength, out, outLength, bytes, &error);
    }

    std::unique_ptr<driversim::ReceiverMachine> machine;
    PDEVICE_OBJECT pdo = nullptr;
    std::unique_ptr<win32sim::DeviceFile> file;
};

// Packets per second the reader takes out of the rings while the stream runs: each has gone
// through a completion, both rings and a stream read.
void BM_StreamThroughput(benchmark::State& state) {
    PluggedMachine m;
    const ULONG packetSize = 64;
    const IsoTransferParams params{3, packetSize, 256, static_cast<unsigned>(state.range(0)), 4};
    std::vector<UCHAR> out((packetSize + sizeof(USBD_ISO_PACKET_DESCRIPTOR)) * params.PacketCount);
    DWORD bytes = 0;
    if (!m.Control(IOCTL_USB_START_ISO_STREAM, &params, sizeof(params), nullptr, 0, &bytes)) {
        state.SkipWithError("the stream did not start");
        return;
    }
    const unsigned servedBefore = m.machine->receiver.IsoInPackets();
    std::int64_t packets = 0;
    for (auto _ : state) {
        m.Control(IOCTL_USB_READ_ISO_STREAM, &params, sizeof(params), out.data(),
                  static_cast<DWORD>(out.size()), &bytes);
        packets += bytes / (packetSize + sizeof(USBD_ISO_PACKET_DESCRIPTOR));
    }
    const unsigned served = m.machine->receiver.IsoInPackets() - servedBefore;
    m.Control(IOCTL_USB_STOP_ISO_STREAM, nullptr, 0, nullptr, 0, &bytes);
    // Let the stream end before the machine goes.
    while (m.Control(IOCTL_USB_READ_ISO_STREAM, &params, sizeof(params), out.data(),
                     static_cast<DWORD>(out.size()), &bytes)) {
    }
    state.counters["packets_per_s"] =
        benchmark::Counter(static_cast<double>(packets), benchmark::Counter::kIsRate);
    state.counters["served_per_s"] =
        benchmark::Counter(static_cast<double>(served), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_StreamThroughput)->Arg(8)->Arg(32)->UseRealTime();

// One receiver command: device control, IRP, driver, URB, host controller, receiver and back.
void BM_ReceiverRequest(benchmark::State& state) {
    PluggedMachine m;
    const TReceiverRequest request{rcGetOutPort, 0, 0};
    TReceiverReply reply{};
    DWORD bytes = 0;
    for (auto _ : state) {
        m.Control(IOCTL_RECEIVER_COMMAND, &request, sizeof(request), &reply, sizeof(reply), &bytes);
        benchmark::DoNotOptimize(reply);
    }
    // The receiver keeps a log of every request; it is emptied between runs only.
    m.machine->receiver.ClearLog();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReceiverRequest);

} // namespace

BENCHMARK_MAIN();
