// Isochronous transfers and streams through the device-control path, with completions on the
// host controller's worker threads.
#include "driver_fixture.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

namespace {

using receiversim::IsoInPacket;

constexpr DWORD kUnsuccessful = 31;
constexpr DWORD kInvalidParameter = 87;
constexpr DWORD kBusy = 170;

constexpr ULONG kBulkInPipe = 0;
constexpr ULONG kIsoInPipe = 3;
constexpr ULONG kIsoOutPipe = 4;
constexpr ULONG kDescriptorSize = sizeof(USBD_ISO_PACKET_DESCRIPTOR);

IsoTransferParams Params(ULONG pipe, ULONG packetSize, ULONG packetCount, ULONG frames,
                         ULONG buffers) {
    return {pipe, packetSize, packetCount, frames, buffers};
}

USBD_ISO_PACKET_DESCRIPTOR DescriptorAt(const std::vector<UCHAR>& out, std::size_t offset) {
    USBD_ISO_PACKET_DESCRIPTOR d;
    std::memcpy(&d, out.data() + offset, sizeof(d));
    return d;
}

class IsoTest : public OpenDriverTest {
protected:
    void TearDown() override {
        machine->receiver.ReleaseIsochronous();
        OpenDriverTest::TearDown();
    }

    Reply Read(const IsoTransferParams& p) {
        return Control(IOCTL_USB_READ_ISO_STREAM, Bytes(p),
                       (p.PacketSize + kDescriptorSize) * p.PacketCount);
    }

    // Waits until the stream has ended: a read no longer finds its rings, and the stream's hold
    // on the device (taken like a request in progress) is gone, which comes after its last free.
    bool WaitForStreamEnd(const IsoTransferParams& p) {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        bool unregistered = false;
        while (std::chrono::steady_clock::now() < limit) {
            unregistered = unregistered || Read(p).error == kUnsuccessful;
            if (unregistered &&
                __atomic_load_n(&Extension(pdo)->PendingIoCount, __ATOMIC_ACQUIRE) == 1) {
                return true;
            }
            std::this_thread::yield();
        }
        return false;
    }

    void StopAndWait(const IsoTransferParams& p) {
        EXPECT_TRUE(Control(IOCTL_USB_STOP_ISO_STREAM, {}, 0).ok);
        machine->receiver.ReleaseIsochronous();
        ASSERT_TRUE(WaitForStreamEnd(p));
    }
};

TEST_F(IsoTest, ReadTransferSpreadsPacketsOverTheObjects) {
    // 32 packets, 8 per request, 2 objects: four requests of eight consecutive packets.
    const ULONG packetSize = 16;
    std::vector<IsoInPacket> script;
    for (UCHAR i = 0; i < 32; ++i) {
        script.push_back({static_cast<ULONG>(i % 16) + 1u,
                          i == 5 ? USBD_STATUS_CRC : USBD_STATUS_SUCCESS,
                          static_cast<UCHAR>(0x40 + i)});
    }
    machine->receiver.QueueIsoIn(script);
    const ULONG size = 32 * (packetSize + kDescriptorSize);
    auto reply = ControlWith(IOCTL_USB_ISO_READ, Bytes(Params(kIsoInPipe, packetSize, 32, 8, 2)),
                             std::vector<UCHAR>(size, 0xEE));
    ASSERT_TRUE(reply.ok);
    EXPECT_EQ(reply.bytes, 0u);
    EXPECT_EQ(machine->Host().UrbCount(pdo, URB_FUNCTION_ISOCH_TRANSFER), 4u);

    std::vector<UCHAR> seen;
    for (ULONG i = 0; i < 32; ++i) {
        SCOPED_TRACE(i);
        const auto d = DescriptorAt(reply.data, 32 * packetSize + kDescriptorSize * i);
        EXPECT_EQ(d.Offset, (i % 8) * packetSize);
        if (d.Status == USBD_STATUS_CRC) {
            EXPECT_EQ(d.Length, 0u);
            EXPECT_EQ(reply.data[i * packetSize], 0xEE); // nothing came for it
            continue;
        }
        const UCHAR fill = reply.data[i * packetSize];
        ASSERT_GE(fill, 0x40);
        ASSERT_LT(fill, 0x40 + 32);
        const IsoInPacket& sent = script[fill - 0x40];
        EXPECT_EQ(d.Status, sent.status);
        const ULONG length = USBD_SUCCESS(sent.status) ? sent.length : 0;
        EXPECT_EQ(d.Length, length);
        for (ULONG b = 0; b < length; ++b) {
            EXPECT_EQ(reply.data[i * packetSize + b], fill);
        }
        // One request's packets are served in order.
        if (i % 8 != 0 && i != 6 && !seen.empty()) {
            EXPECT_GT(fill, seen.back());
        }
        seen.push_back(fill);
    }
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(std::unique(seen.begin(), seen.end()), seen.end());
}

TEST_F(IsoTest, FailedPacketsLeaveTheirSlotAndReportTheirStatus) {
    machine->receiver.QueueIsoIn({{0, USBD_STATUS_CRC, 0x11}, {0, USBD_STATUS_CRC, 0x12}});
    auto reply = ControlWith(IOCTL_USB_ISO_READ, Bytes(Params(kIsoInPipe, 4, 2, 2, 1)),
                             std::vector<UCHAR>(2 * (4 + kDescriptorSize), 0xEE));
    // The whole request failed; the transfer still ends with success and the descriptors.
    ASSERT_TRUE(reply.ok);
    for (ULONG i = 0; i < 2; ++i) {
        const auto d = DescriptorAt(reply.data, 8 + kDescriptorSize * i);
        EXPECT_EQ(d.Status, USBD_STATUS_CRC);
        EXPECT_EQ(d.Length, 0u);
    }
}

TEST_F(IsoTest, WriteTransferSendsEveryPacket) {
    const ULONG packetSize = 8;
    std::vector<UCHAR> buffer(12 * (packetSize + kDescriptorSize), 0);
    std::vector<std::vector<UCHAR>> packets;
    for (ULONG i = 0; i < 12; ++i) {
        std::fill_n(buffer.begin() + i * packetSize, packetSize, static_cast<UCHAR>(i + 1));
        packets.emplace_back(packetSize, static_cast<UCHAR>(i + 1));
    }
    auto reply =
        ControlWith(IOCTL_USB_ISO_WRITE, Bytes(Params(kIsoOutPipe, packetSize, 12, 2, 3)), buffer);
    ASSERT_TRUE(reply.ok);
    auto sent = machine->receiver.IsoOut();
    std::sort(sent.begin(), sent.end());
    EXPECT_EQ(sent, packets);
    for (ULONG i = 0; i < 12; ++i) {
        const auto d = DescriptorAt(reply.data, 12 * packetSize + kDescriptorSize * i);
        EXPECT_EQ(d.Length, packetSize);
        EXPECT_EQ(d.Status, USBD_STATUS_SUCCESS);
    }
}

TEST_F(IsoTest, TransferRefusals) {
    const struct {
        const char* what;
        std::vector<UCHAR> in;
        DWORD outLength;
        DWORD error;
    } cases[] = {
        {"packets not a multiple of objects x frames", Bytes(Params(kIsoInPipe, 16, 30, 8, 2)),
         30 * 28, kInvalidParameter},
        {"no objects", Bytes(Params(kIsoInPipe, 16, 32, 8, 0)), 32 * 28, kInvalidParameter},
        {"no frames", Bytes(Params(kIsoInPipe, 16, 32, 0, 2)), 32 * 28, kInvalidParameter},
        {"no packets", Bytes(Params(kIsoInPipe, 16, 0, 8, 2)), 64, kInvalidParameter},
        {"output one byte short", Bytes(Params(kIsoInPipe, 16, 32, 8, 2)), 32 * 28 - 1,
         kUnsuccessful},
        {"no output", Bytes(Params(kIsoInPipe, 16, 32, 8, 2)), 0, kUnsuccessful},
        {"pipe beyond the interface", Bytes(Params(5, 16, 32, 8, 2)), 32 * 28, kInvalidParameter},
        {"bulk pipe", Bytes(Params(kBulkInPipe, 16, 32, 8, 2)), 32 * 28, kInvalidParameter},
        {"short input", std::vector<UCHAR>(19, 1), 32 * 28, kInvalidParameter},
        {"frames beyond a request block", Bytes(Params(kIsoInPipe, 1, 8000, 8000, 1)), 8000 * 13,
         kInvalidParameter},
        {"sizes that wrap 32 bits", Bytes(Params(kIsoInPipe, 0x40000000, 16, 4, 4)), 64,
         kUnsuccessful},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (DWORD code : {DWORD{IOCTL_USB_ISO_READ}, DWORD{IOCTL_USB_ISO_WRITE}}) {
            auto reply = Control(code, c.in, c.outLength);
            EXPECT_FALSE(reply.ok);
            EXPECT_EQ(reply.error, c.error);
        }
    }
    EXPECT_EQ(machine->Host().UrbCount(pdo, URB_FUNCTION_ISOCH_TRANSFER), 0u);
}

TEST_F(IsoTest, TransferAllocationFailuresLeaveNoDriverPool) {
    const auto in = Bytes(Params(kIsoInPipe, 8, 8, 2, 2));
    const DWORD outLength = 8 * (8 + kDescriptorSize);
    const std::size_t baseline = DriverPoolBlocks();
    const unsigned before = kernelsim::AllocationCount();
    ASSERT_TRUE(Control(IOCTL_USB_ISO_READ, in, outLength).ok);
    const unsigned count = kernelsim::AllocationCount() - before;
    for (unsigned k = 1; k <= count; ++k) {
        SCOPED_TRACE(k);
        kernelsim::FailAllocation(k);
        auto reply = Control(IOCTL_USB_ISO_READ, in, outLength);
        kernelsim::FailAllocation(0);
        if (!reply.ok) {
            EXPECT_TRUE(reply.error == 8 || reply.error == 1450) << reply.error;
        }
        EXPECT_EQ(DriverPoolBlocks(), baseline) << DescribeOutstandingPool();
    }
}

TEST_F(IsoTest, StreamReadBeforeAnyStartIsUnsuccessful) {
    auto reply = Read(Params(kIsoInPipe, 8, 16, 4, 2));
    EXPECT_FALSE(reply.ok);
    EXPECT_EQ(reply.error, kUnsuccessful);
    EXPECT_EQ(reply.bytes, 0u);
}

TEST_F(IsoTest, EmptyRunningStreamReadsNothingAndRefusesASecondStart) {
    const auto p = Params(kIsoInPipe, 8, 16, 4, 2);
    const std::size_t baseline = DriverPoolBlocks();
    machine->receiver.HoldIsochronous();
    ASSERT_TRUE(Control(IOCTL_USB_START_ISO_STREAM, Bytes(p), 0).ok);
    machine->receiver.WaitUntilIsochronousHeld(2);

    auto reply = Read(p);
    EXPECT_TRUE(reply.ok);
    EXPECT_EQ(reply.bytes, 0u);
    reply = Control(IOCTL_USB_READ_ISO_STREAM, Bytes(p), (8 + kDescriptorSize) * 16 + 1);
    EXPECT_FALSE(reply.ok);
    EXPECT_EQ(reply.error, kInvalidParameter);

    const std::size_t running = DriverPoolBlocks();
    reply = Control(IOCTL_USB_START_ISO_STREAM, Bytes(p), 0);
    EXPECT_FALSE(reply.ok);
    EXPECT_EQ(reply.error, kBusy);
    EXPECT_EQ(DriverPoolBlocks(), running);

    StopAndWait(p);
    EXPECT_EQ(DriverPoolBlocks(), baseline) << DescribeOutstandingPool();
    // A new stream may start once the old one has ended.
    ASSERT_TRUE(Control(IOCTL_USB_START_ISO_STREAM, Bytes(p), 0).ok);
    StopAndWait(p);
    EXPECT_EQ(DriverPoolBlocks(), baseline) << DescribeOutstandingPool();
}

TEST_F(IsoTest, StreamKeepsDescriptorsAndDataPaired) {
    const ULONG packetSize = 16;
    const auto p = Params(kIsoInPipe, packetSize, 64, 4, 3);
    // Scripted packets are shorter than a whole packet and filled with their length. They are
    // queued a batch per read, right after the rings were drained, so that a slow reader on a
    // loaded machine still meets them rather than only the whole packets that overran the rings.
    std::vector<IsoInPacket> batch;
    for (ULONG i = 0; i < 30; ++i) {
        const ULONG length = i % (packetSize - 1) + 1;
        batch.push_back({length, USBD_STATUS_SUCCESS, static_cast<UCHAR>(length)});
    }
    ASSERT_TRUE(Control(IOCTL_USB_START_ISO_STREAM, Bytes(p), 0).ok);

    unsigned scripted = 0;
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (scripted < 64 && std::chrono::steady_clock::now() < limit) {
        machine->receiver.QueueIsoIn(batch);
        auto reply = Read(p);
        ASSERT_TRUE(reply.ok);
        const ULONG packets = reply.bytes / (packetSize + kDescriptorSize);
        ASSERT_EQ(reply.bytes, packets * (packetSize + kDescriptorSize));
        for (ULONG k = 0; k < packets; ++k) {
            const auto d = DescriptorAt(reply.data, packets * packetSize + k * kDescriptorSize);
            ASSERT_EQ(d.Offset % packetSize, 0u);
            ASSERT_LT(d.Offset, 4 * packetSize);
            ASSERT_EQ(d.Status, USBD_STATUS_SUCCESS);
            if (d.Length < packetSize) {
                ++scripted;
                for (ULONG b = 0; b < d.Length; ++b) {
                    ASSERT_EQ(reply.data[k * packetSize + b], d.Length) << k;
                }
            }
        }
        std::this_thread::yield();
    }
    EXPECT_GE(scripted, 64u);
    StopAndWait(p);
}

TEST_F(IsoTest, AFailedRequestEndsItsObjectAndTheLastEndsTheStream) {
    const auto p = Params(kIsoInPipe, 8, 16, 4, 1);
    const std::size_t baseline = DriverPoolBlocks();
    machine->receiver.QueueIsoIn(std::vector<IsoInPacket>(4, {0, USBD_STATUS_CRC, 0}));
    ASSERT_TRUE(Control(IOCTL_USB_START_ISO_STREAM, Bytes(p), 0).ok);
    // No stop: the only object ends with its failed request, and the stream with it.
    ASSERT_TRUE(WaitForStreamEnd(p));
    EXPECT_EQ(DriverPoolBlocks(), baseline) << DescribeOutstandingPool();
    EXPECT_EQ(machine->Host().UrbCount(pdo, URB_FUNCTION_ISOCH_TRANSFER), 1u);
}

TEST_F(IsoTest, StreamRunsOnWithFewerObjectsAfterAFailure) {
    const auto p = Params(kIsoInPipe, 8, 16, 4, 2);
    machine->receiver.HoldIsochronous();
    ASSERT_TRUE(Control(IOCTL_USB_START_ISO_STREAM, Bytes(p), 0).ok);
    machine->receiver.QueueIsoIn(std::vector<IsoInPacket>(4, {0, USBD_STATUS_CRC, 0}));
    machine->receiver.ReleaseIsochronous();
    // Packets keep coming after the failure.
    const unsigned later = machine->receiver.IsoInPackets() + 100;
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (machine->receiver.IsoInPackets() < later && std::chrono::steady_clock::now() < limit) {
        std::this_thread::yield();
    }
    EXPECT_GE(machine->receiver.IsoInPackets(), later);
    EXPECT_TRUE(Read(p).ok);
    StopAndWait(p);
}

TEST_F(IsoTest, StreamRefusals) {
    const struct {
        const char* what;
        std::vector<UCHAR> in;
        DWORD error;
    } cases[] = {
        {"short input", std::vector<UCHAR>(19, 1), kInvalidParameter},
        {"packet size 0", Bytes(Params(kIsoInPipe, 0, 16, 4, 2)), kInvalidParameter},
        {"frames 0", Bytes(Params(kIsoInPipe, 8, 16, 0, 2)), kInvalidParameter},
        {"objects 0", Bytes(Params(kIsoInPipe, 8, 16, 4, 0)), kInvalidParameter},
        {"ring of 0 packets", Bytes(Params(kIsoInPipe, 8, 0, 4, 2)), kInvalidParameter},
        {"ring size wraps 32 bits", Bytes(Params(kIsoInPipe, 0x10000, 0x10000, 1, 1)),
         kInvalidParameter},
        {"transfer block wraps 32 bits", Bytes(Params(kIsoInPipe, 0x10000, 4, 0x100, 0x100)),
         kInvalidParameter},
        {"bulk pipe", Bytes(Params(kBulkInPipe, 8, 16, 4, 2)), kInvalidParameter},
        {"pipe beyond the interface", Bytes(Params(9, 8, 16, 4, 2)), kInvalidParameter},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto reply = Control(IOCTL_USB_START_ISO_STREAM, c.in, 0);
        EXPECT_FALSE(reply.ok);
        EXPECT_EQ(reply.error, c.error);
    }
    EXPECT_EQ(Read(Params(kIsoInPipe, 8, 16, 4, 2)).error, kUnsuccessful);
    // Reads with a bad shape are refused before the rings are looked at.
    EXPECT_EQ(Control(IOCTL_USB_READ_ISO_STREAM, Bytes(Params(3, 0, 16, 4, 2)), 192).error,
              kInvalidParameter);
    std::vector<UCHAR> longer = Bytes(Params(3, 8, 16, 4, 2));
    longer.push_back(0);
    EXPECT_EQ(Control(IOCTL_USB_READ_ISO_STREAM, longer, 320).error, kInvalidParameter);
}

TEST_F(IsoTest, StreamStartAllocationFailuresLeaveNoDriverPool) {
    const auto p = Params(kIsoInPipe, 8, 16, 4, 3);
    const std::size_t baseline = DriverPoolBlocks();
    machine->receiver.HoldIsochronous();
    const unsigned before = kernelsim::AllocationCount();
    ASSERT_TRUE(Control(IOCTL_USB_START_ISO_STREAM, Bytes(p), 0).ok);
    const unsigned count = kernelsim::AllocationCount() - before;
    StopAndWait(p);
    for (unsigned k = 1; k <= count; ++k) {
        SCOPED_TRACE(k);
        machine->receiver.HoldIsochronous();
        kernelsim::FailAllocation(k);
        auto reply = Control(IOCTL_USB_START_ISO_STREAM, Bytes(p), 0);
        kernelsim::FailAllocation(0);
        if (reply.ok) {
            StopAndWait(p);
        } else {
            EXPECT_TRUE(reply.error == 8 || reply.error == 1450) << reply.error;
            // A failed start leaves no rings behind.
            EXPECT_EQ(Read(p).error, kUnsuccessful);
        }
        EXPECT_EQ(DriverPoolBlocks(), baseline) << DescribeOutstandingPool();
    }
}

TEST_F(IsoTest, RemovalEndsARunningStream) {
    const auto p = Params(kIsoInPipe, 8, 16, 4, 3);
    ASSERT_TRUE(Control(IOCTL_USB_START_ISO_STREAM, Bytes(p), 0).ok);
    file.reset();
    EXPECT_EQ(machine->Unplug(pdo), STATUS_SUCCESS);
    EXPECT_EQ(DriverPoolBlocks(), 0u) << DescribeOutstandingPool();
}

// Removal on one thread while others send receiver requests and read a running stream: every
// request either completes or is refused as delete pending, removal ends the stream, and nothing
// is left behind. Run under ThreadSanitizer it checks the removal flag's accesses too.
TEST_F(IsoTest, RemovalRacesRequestsAndARunningStream) {
    constexpr DWORD kDeletePending = 5;
    const ULONG packetSize = 8;
    const auto p = Params(kIsoInPipe, packetSize, 32, 2, 4);
    ASSERT_TRUE(Control(IOCTL_USB_START_ISO_STREAM, Bytes(p), 0).ok);
    std::atomic<bool> done{false};
    std::atomic<unsigned> completed{0};
    std::atomic<unsigned> refused{0};
    std::atomic<unsigned> bad{0};
    std::atomic<unsigned> opened{0};
    auto sender = [&](bool streamReader) {
        auto own = Open();
        if (own == nullptr) {
            ++bad;
            return;
        }
        ++opened;
        while (!done) {
            Reply reply =
                streamReader
                    ? DriverTest::Control(*own, IOCTL_USB_READ_ISO_STREAM, Bytes(p),
                                          (packetSize + kDescriptorSize) * 32)
                    : DriverTest::Control(*own, IOCTL_RECEIVER_COMMAND, {rcGetOutPort, 0, 0});
            if (reply.ok) {
                ++completed;
            } else if (reply.error == kDeletePending ||
                       (streamReader && reply.error == kUnsuccessful)) {
                ++refused;
            } else {
                ++bad;
            }
        }
        own->Close();
    };
    std::vector<std::thread> senders;
    for (bool streamReader : {false, false, true, true}) {
        senders.emplace_back(sender, streamReader);
    }
    // Removal starts once every sender holds its handle and requests and the stream are both
    // under way.
    const unsigned packets = machine->receiver.IsoInPackets() + 64;
    while (opened + bad < senders.size() || completed < 40 ||
           machine->receiver.IsoInPackets() < packets) {
        std::this_thread::yield();
    }
    file.reset();
    EXPECT_EQ(machine->Unplug(pdo), STATUS_SUCCESS);
    const unsigned refusedAtRemoval = refused;
    while (refused < refusedAtRemoval + 8) {
        std::this_thread::yield();
    }
    done = true;
    for (auto& thread : senders) {
        thread.join();
    }
    EXPECT_EQ(bad.load(), 0u);
    EXPECT_EQ(DriverPoolBlocks(), 0u) << DescribeOutstandingPool();
}

TEST_F(IsoTest, ReadersStopsAndRestartsRaceTheCompletions) {
    const ULONG packetSize = 8;
    const auto p = Params(kIsoInPipe, packetSize, 32, 2, 4);
    const std::size_t baseline = DriverPoolBlocks();
    std::atomic<bool> done{false};
    std::atomic<unsigned> badReads{0};
    std::atomic<unsigned> packetsRead{0};
    std::atomic<unsigned> readersOpen{0};
    auto reader = [&] {
        auto own = Open();
        ++readersOpen;
        while (!done) {
            Reply reply = DriverTest::Control(*own, IOCTL_USB_READ_ISO_STREAM, Bytes(p),
                                              (packetSize + kDescriptorSize) * 32);
            if (!reply.ok) {
                if (reply.error != kUnsuccessful) {
                    ++badReads;
                }
                continue;
            }
            const ULONG packets = reply.bytes / (packetSize + kDescriptorSize);
            if (reply.bytes != packets * (packetSize + kDescriptorSize)) {
                ++badReads;
            }
            for (ULONG k = 0; k < packets; ++k) {
                const auto d = DescriptorAt(reply.data, packets * packetSize + k * kDescriptorSize);
                if (d.Status != USBD_STATUS_SUCCESS || d.Length != packetSize ||
                    d.Offset % packetSize != 0) {
                    ++badReads;
                }
            }
            packetsRead += packets;
        }
    };
    std::thread a(reader), b(reader);
    // Cycles without a reader yet would prove nothing about reads racing completions.
    while (readersOpen < 2) {
        std::this_thread::yield();
    }
    for (int cycle = 0; cycle < 8; ++cycle) {
        SCOPED_TRACE(cycle);
        Reply started;
        do {
            started = Control(IOCTL_USB_START_ISO_STREAM, Bytes(p), 0);
        } while (!started.ok && started.error == kBusy);
        ASSERT_TRUE(started.ok) << started.error;
        const unsigned target = machine->receiver.IsoInPackets() + 64;
        while (machine->receiver.IsoInPackets() < target) {
            std::this_thread::yield();
        }
        // The stop races the readers and the completions; no wait for the end here.
        EXPECT_TRUE(Control(IOCTL_USB_STOP_ISO_STREAM, {}, 0).ok);
    }
    done = true;
    a.join();
    b.join();
    ASSERT_TRUE(WaitForStreamEnd(p));
    EXPECT_EQ(badReads.load(), 0u);
    EXPECT_GT(packetsRead.load(), 0u);
    EXPECT_EQ(DriverPoolBlocks(), baseline) << DescribeOutstandingPool();
}

TEST_F(IsoTest, SizesAreTakenAtTheirCapsAndRefusedOnePast) {
    const std::size_t baseline = DriverPoolBlocks();
    // Ring bytes at the cap: 16 x 16 packets of 52 bytes in flight and 65328 packets of 52 + 12
    // bytes in the rings make exactly 4 MiB.
    static_assert(52 * 16 * 16 + 65328 * (52 + 12) == ISO_MAX_STREAM_BYTES);
    const struct {
        const char* what;
        IsoTransferParams atCap;
        IsoTransferParams onePast;
    } streams[] = {
        {"objects", Params(kIsoInPipe, 8, 64, 2, ISO_MAX_BUFFER_COUNT),
         Params(kIsoInPipe, 8, 64, 2, ISO_MAX_BUFFER_COUNT + 1)},
        {"frames", Params(kIsoInPipe, 1, 16, ISO_MAX_FRAMES_PER_BUFFER, 1),
         Params(kIsoInPipe, 1, 16, ISO_MAX_FRAMES_PER_BUFFER + 1, 1)},
        {"ring packets", Params(kIsoInPipe, 1, ISO_MAX_PACKET_COUNT, 4, 2),
         Params(kIsoInPipe, 1, ISO_MAX_PACKET_COUNT + 1, 4, 2)},
        {"bytes", Params(kIsoInPipe, 52, 65328, 16, 16), Params(kIsoInPipe, 52, 65329, 16, 16)},
    };
    for (const auto& c : streams) {
        SCOPED_TRACE(std::string("stream ") + c.what);
        auto reply = Control(IOCTL_USB_START_ISO_STREAM, Bytes(c.onePast), 0);
        EXPECT_FALSE(reply.ok);
        EXPECT_EQ(reply.error, kInvalidParameter);
        EXPECT_EQ(DriverPoolBlocks(), baseline) << DescribeOutstandingPool();
        ASSERT_TRUE(Control(IOCTL_USB_START_ISO_STREAM, Bytes(c.atCap), 0).ok);
        StopAndWait(c.atCap);
    }

    const struct {
        const char* what;
        IsoTransferParams atCap;
        IsoTransferParams onePast;
    } transfers[] = {
        {"objects", Params(kIsoInPipe, 8, ISO_MAX_BUFFER_COUNT, 1, ISO_MAX_BUFFER_COUNT),
         Params(kIsoInPipe, 8, ISO_MAX_BUFFER_COUNT + 1, 1, ISO_MAX_BUFFER_COUNT + 1)},
        {"frames", Params(kIsoInPipe, 1, ISO_MAX_FRAMES_PER_BUFFER, ISO_MAX_FRAMES_PER_BUFFER, 1),
         Params(kIsoInPipe, 1, ISO_MAX_FRAMES_PER_BUFFER + 1, ISO_MAX_FRAMES_PER_BUFFER + 1, 1)},
        {"packets",
         Params(kIsoInPipe, 1, ISO_MAX_PACKET_COUNT, ISO_MAX_FRAMES_PER_BUFFER,
                ISO_MAX_BUFFER_COUNT),
         Params(kIsoInPipe, 1, ISO_MAX_PACKET_COUNT + 1, 1, 1)},
    };
    for (const auto& c : transfers) {
        SCOPED_TRACE(std::string("transfer ") + c.what);
        const unsigned urbs = machine->Host().UrbCount(pdo, URB_FUNCTION_ISOCH_TRANSFER);
        for (DWORD code : {DWORD{IOCTL_USB_ISO_READ}, DWORD{IOCTL_USB_ISO_WRITE}}) {
            auto reply = Control(code, Bytes(c.onePast),
                                 (c.onePast.PacketSize + kDescriptorSize) * c.onePast.PacketCount);
            EXPECT_FALSE(reply.ok);
            EXPECT_EQ(reply.error, kInvalidParameter);
        }
        EXPECT_EQ(machine->Host().UrbCount(pdo, URB_FUNCTION_ISOCH_TRANSFER), urbs);
        const auto reply = Control(IOCTL_USB_ISO_READ, Bytes(c.atCap),
                                   (c.atCap.PacketSize + kDescriptorSize) * c.atCap.PacketCount);
        ASSERT_TRUE(reply.ok) << reply.error;
        const auto last = DescriptorAt(reply.data, c.atCap.PacketCount * c.atCap.PacketSize +
                                                       (c.atCap.PacketCount - 1) * kDescriptorSize);
        EXPECT_EQ(last.Status, USBD_STATUS_SUCCESS);
        EXPECT_EQ(last.Length, c.atCap.PacketSize);
        EXPECT_EQ(DriverPoolBlocks(), baseline) << DescribeOutstandingPool();
    }
}

TEST_F(IsoTest, AnInterfaceIsNotSelectedUnderARunningStreamOrTransfer) {
    auto setInterfaces = [&] {
        unsigned n = 0;
        for (const auto& setup : machine->receiver.SetupLog()) {
            n += setup.bRequest == USB_REQUEST_SET_INTERFACE;
        }
        return n;
    };
    const std::vector<UCHAR> other{0, 1};

    const auto p = Params(kIsoInPipe, 8, 16, 4, 2);
    machine->receiver.HoldIsochronous();
    ASSERT_TRUE(Control(IOCTL_USB_START_ISO_STREAM, Bytes(p), 0).ok);
    machine->receiver.WaitUntilIsochronousHeld(2);
    auto reply = Control(IOCTL_USB_SELECT_INTERFACE, other, 0);
    EXPECT_FALSE(reply.ok);
    EXPECT_EQ(reply.error, kBusy);
    EXPECT_EQ(setInterfaces(), 0u);
    EXPECT_EQ(machine->receiver.AlternateSetting(), 0);
    EXPECT_TRUE(Read(p).ok) << "the stream runs on";
    StopAndWait(p);

    // A blocking transfer on another thread holds the interface until its last packet.
    const auto t = Params(kIsoInPipe, 8, 8, 2, 2);
    machine->receiver.HoldIsochronous();
    Reply transferred{};
    std::thread transfer([&] {
        auto own = Open();
        transferred =
            DriverTest::Control(*own, IOCTL_USB_ISO_READ, Bytes(t), (8 + kDescriptorSize) * 8);
    });
    machine->receiver.WaitUntilIsochronousHeld(2);
    reply = Control(IOCTL_USB_SELECT_INTERFACE, other, 0);
    EXPECT_FALSE(reply.ok);
    EXPECT_EQ(reply.error, kBusy);
    EXPECT_EQ(setInterfaces(), 0u);
    machine->receiver.ReleaseIsochronous();
    transfer.join();
    EXPECT_TRUE(transferred.ok) << transferred.error;

    // With neither running the selection goes through, and no stream starts meanwhile.
    EXPECT_TRUE(Control(IOCTL_USB_SELECT_INTERFACE, other, 0).ok);
    EXPECT_EQ(setInterfaces(), 1u);
    EXPECT_EQ(machine->receiver.AlternateSetting(), 1);
    EXPECT_EQ(Control(IOCTL_USB_START_ISO_STREAM, Bytes(p), 0).error, kInvalidParameter)
        << "the second setting has no isochronous pipe";
}

} // namespace
