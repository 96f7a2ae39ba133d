// The stream's ring buffers: whole writes or none, wrapping reads, and one writer side against
// one reader side on different threads.
#include "driver.h"
#include "kernel_fixture.h"

#include <atomic>
#include <thread>
#include <vector>

namespace {

class RingBufferTest : public KernelTest {
protected:
    void TearDown() override {
        if (ring != nullptr) {
            FreeRingBuffer(ring);
        }
        KernelTest::TearDown();
    }

    static std::vector<UCHAR> Counting(ULONG n, UCHAR from) {
        std::vector<UCHAR> out(n);
        for (ULONG i = 0; i < n; ++i) {
            out[i] = static_cast<UCHAR>(from + i);
        }
        return out;
    }

    RingBuffer* ring = nullptr;
};

TEST_F(RingBufferTest, AWriteLandsWholeOrNotAtAll) {
    ring = AllocRingBuffer(100);
    ASSERT_NE(ring, nullptr);
    ASSERT_EQ(WriteRingBuffer(ring, Counting(90, 0).data(), 90), 90u);
    const auto twenty = Counting(20, 200);
    EXPECT_EQ(WriteRingBuffer(ring, twenty.data(), 20), 0u);
    EXPECT_EQ(ring->Count, 90u);
    EXPECT_EQ(ring->InPtr, ring->Buffer + 90);
    EXPECT_EQ(RingBufferRoom(ring), 10u);
    EXPECT_EQ(WriteRingBuffer(ring, twenty.data(), 10), 10u);
    EXPECT_EQ(ring->Count, 100u);
    EXPECT_EQ(ring->InPtr, ring->Buffer); // reached the end exactly
    EXPECT_EQ(WriteRingBuffer(ring, twenty.data(), 1), 0u);
}

TEST_F(RingBufferTest, AReadWrapsAtTheEnd) {
    ring = AllocRingBuffer(100);
    ASSERT_NE(ring, nullptr);
    std::vector<UCHAR> out(100);
    ASSERT_EQ(WriteRingBuffer(ring, Counting(90, 0).data(), 90), 90u);
    ASSERT_EQ(ReadRingBuffer(ring, out.data(), 90), 90u);
    // OutPtr at 90 and 30 bytes held: 10 at 90..99, 20 at 0..19.
    ASSERT_EQ(WriteRingBuffer(ring, Counting(30, 100).data(), 30), 30u);
    EXPECT_EQ(ring->InPtr, ring->Buffer + 20);
    EXPECT_EQ(ring->Buffer[95], 105);
    EXPECT_EQ(ring->Buffer[0], 110);
    EXPECT_EQ(ring->Count, 30u);
    ASSERT_EQ(ReadRingBuffer(ring, out.data(), 30), 30u);
    EXPECT_EQ(std::vector<UCHAR>(out.begin(), out.begin() + 30), Counting(30, 100));
    EXPECT_EQ(ring->OutPtr, ring->Buffer + 20);
    EXPECT_EQ(ring->Count, 0u);
}

TEST_F(RingBufferTest, ReadsTakeWhatIsHeldAndNoMoreThanTheRing) {
    ring = AllocRingBuffer(50);
    ASSERT_NE(ring, nullptr);
    std::vector<UCHAR> out(64, 0xEE);
    EXPECT_EQ(ReadRingBuffer(ring, out.data(), 10), 0u); // empty
    ASSERT_EQ(WriteRingBuffer(ring, Counting(20, 1).data(), 20), 20u);
    EXPECT_EQ(ReadRingBuffer(ring, out.data(), 51), 0u); // more than the ring could ever hold
    EXPECT_EQ(ring->Count, 20u);
    EXPECT_EQ(ReadRingBuffer(ring, out.data(), 50), 20u);
    EXPECT_EQ(std::vector<UCHAR>(out.begin(), out.begin() + 20), Counting(20, 1));
    EXPECT_EQ(out[20], 0xEE);
}

TEST_F(RingBufferTest, AllocationFailuresGiveNoRingAndNoPool) {
    for (unsigned k = 1; k <= 2; ++k) {
        SCOPED_TRACE(k);
        kernelsim::FailAllocation(k);
        EXPECT_EQ(AllocRingBuffer(64), nullptr);
        EXPECT_TRUE(kernelsim::OutstandingPool().empty());
    }
}

TEST_F(RingBufferTest, WritersAndAReaderOnOtherThreadsKeepTheBytesInOrder) {
    const ULONG block = 24;
    ring = AllocRingBuffer(block * 7);
    ASSERT_NE(ring, nullptr);
    // Writers take turns under one lock, as a stream's completions do; each block holds the
    // next bytes of one running sequence, so a reader sees the sequence with whole blocks left
    // out where the ring was full.
    KSPIN_LOCK writeLock;
    KeInitializeSpinLock(&writeLock);
    std::atomic<unsigned> next{0};
    std::atomic<bool> done{false};
    std::atomic<unsigned> dropped{0};
    const unsigned blocks = 4000;
    auto writer = [&] {
        std::vector<UCHAR> data(block);
        for (;;) {
            const KIRQL old = KfAcquireSpinLock(&writeLock);
            const unsigned n = next++;
            if (n >= blocks) {
                KfReleaseSpinLock(&writeLock, old);
                return;
            }
            for (ULONG i = 0; i < block; ++i) {
                data[i] = static_cast<UCHAR>(n * block + i);
            }
            if (WriteRingBuffer(ring, data.data(), block) == 0) {
                ++dropped;
            }
            KfReleaseSpinLock(&writeLock, old);
        }
    };
    unsigned bad = 0;
    unsigned read = 0;
    std::thread reader([&] {
        std::vector<UCHAR> out(block * 3);
        while (!done || RingBufferRoom(ring) != ring->Size) {
            const ULONG n = ReadRingBuffer(ring, out.data(), block * 3);
            if (n % block != 0) {
                ++bad;
            }
            for (ULONG b = 0; b + block <= n; b += block) {
                // Within a block the bytes run on by one.
                for (ULONG i = 1; i < block; ++i) {
                    if (static_cast<UCHAR>(out[b + i] - out[b]) != i) {
                        ++bad;
                    }
                }
                ++read;
            }
            std::this_thread::yield();
        }
    });
    std::thread w1(writer), w2(writer), w3(writer);
    w1.join();
    w2.join();
    w3.join();
    done = true;
    reader.join();
    EXPECT_EQ(bad, 0u);
    EXPECT_EQ(read + dropped.load(), blocks);
    EXPECT_LE(ring->Count, ring->Size);
    EXPECT_GE(ring->InPtr, ring->Buffer);
    EXPECT_LT(ring->InPtr, ring->Buffer + ring->Size);
    EXPECT_LT(ring->OutPtr, ring->Buffer + ring->Size);
}

} // namespace
