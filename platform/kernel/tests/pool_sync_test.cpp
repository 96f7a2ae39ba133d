// Pool accounting and failures, events and spin locks of the simulated kernel.
#include "kernel_fixture.h"

#include <wdm.h>

#include <stdexcept>
#include <thread>
#include <vector>

namespace {

constexpr ULONG kWdm = kernelsim::PoolTag("Wdm ");

class PoolTest : public KernelTest {};

TEST_F(PoolTest, TagIsTheFourBytesInMemoryOrder) {
    const ULONG tag = kWdm;
    EXPECT_EQ(std::memcmp(&tag, "Wdm ", 4), 0);
    EXPECT_EQ(kernelsim::PoolTagText(tag), "Wdm ");
}

TEST_F(PoolTest, OutstandingBlocksAreCountedByTag) {
    PVOID a = ExAllocatePoolWithTag(NonPagedPool, 10, kWdm);
    PVOID b = ExAllocatePoolWithTag(NonPagedPool, 20, kernelsim::PoolTag("Othr"));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    ASSERT_EQ(kernelsim::OutstandingPool(kWdm).size(), 1u);
    EXPECT_EQ(kernelsim::OutstandingPool(kWdm)[0].size, 10u);
    EXPECT_EQ(kernelsim::OutstandingPool().size(), 2u);
    ExFreePool(a);
    EXPECT_TRUE(kernelsim::OutstandingPool(kWdm).empty());
    ExFreePool(b);
    EXPECT_TRUE(kernelsim::OutstandingPool().empty());
}

TEST_F(PoolTest, TheNthAllocationFailsOnce) {
    kernelsim::FailAllocation(2);
    PVOID first = ExAllocatePoolWithTag(NonPagedPool, 4, kWdm);
    PVOID second = ExAllocatePoolWithTag(NonPagedPool, 4, kWdm);
    PVOID third = ExAllocatePoolWithTag(NonPagedPool, 4, kWdm);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(second, nullptr);
    EXPECT_NE(third, nullptr);
    EXPECT_EQ(kernelsim::AllocationCount(), 3u);
    ExFreePool(first);
    ExFreePool(third);
}

TEST_F(PoolTest, FreeingWhatWasNotAllocatedIsABugCheck) {
    kernelsim::SetBugCheckHandler(
        [](ULONG code, ULONG_PTR, ULONG_PTR) { throw std::runtime_error(std::to_string(code)); });
    int local = 0;
    EXPECT_THROW(ExFreePool(&local), std::runtime_error);
    PVOID block = ExAllocatePoolWithTag(NonPagedPool, 4, kWdm);
    ExFreePool(block);
    EXPECT_THROW(ExFreePool(block), std::runtime_error) << "freed twice";
}

class SyncTest : public KernelTest {};

TEST_F(SyncTest, NotificationEventStaysSignalledSynchronizationEventResets) {
    KEVENT notification, synchronization;
    KeInitializeEvent(&notification, NotificationEvent, FALSE);
    KeInitializeEvent(&synchronization, SynchronizationEvent, TRUE);
    LARGE_INTEGER poll{};
    EXPECT_EQ(KeWaitForSingleObject(&notification, Executive, KernelMode, FALSE, &poll),
              STATUS_TIMEOUT);
    EXPECT_EQ(KeSetEvent(&notification, IO_NO_INCREMENT, FALSE), 0);
    EXPECT_EQ(KeWaitForSingleObject(&notification, Executive, KernelMode, FALSE, &poll),
              STATUS_SUCCESS);
    EXPECT_EQ(KeWaitForSingleObject(&notification, Executive, KernelMode, FALSE, &poll),
              STATUS_SUCCESS);
    EXPECT_EQ(KeWaitForSingleObject(&synchronization, Executive, KernelMode, FALSE, &poll),
              STATUS_SUCCESS);
    EXPECT_EQ(KeWaitForSingleObject(&synchronization, Executive, KernelMode, FALSE, &poll),
              STATUS_TIMEOUT);
}

TEST_F(SyncTest, WaiterWakesWhenAnotherThreadSets) {
    KEVENT event;
    KeInitializeEvent(&event, NotificationEvent, FALSE);
    std::thread setter([&] { KeSetEvent(&event, IO_NO_INCREMENT, FALSE); });
    EXPECT_EQ(KeWaitForSingleObject(&event, Executive, KernelMode, FALSE, nullptr), STATUS_SUCCESS);
    setter.join();
}

TEST_F(SyncTest, SpinLockRaisesIrqlAndExcludes) {
    KSPIN_LOCK lock;
    KeInitializeSpinLock(&lock);
    long counter = 0;
    auto work = [&] {
        for (int i = 0; i < 10000; ++i) {
            KIRQL old = KfAcquireSpinLock(&lock);
            EXPECT_EQ(KeGetCurrentIrql(), DISPATCH_LEVEL);
            ++counter;
            KfReleaseSpinLock(&lock, old);
        }
    };
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back(work);
    }
    for (auto& t : threads) {
        t.join();
    }
    EXPECT_EQ(counter, 40000);
    EXPECT_EQ(KeGetCurrentIrql(), PASSIVE_LEVEL);
}

TEST_F(SyncTest, BlockingWaitAtDispatchLevelIsABugCheck) {
    kernelsim::SetBugCheckHandler(
        [](ULONG code, ULONG_PTR, ULONG_PTR) { throw std::runtime_error(std::to_string(code)); });
    KEVENT event;
    KeInitializeEvent(&event, NotificationEvent, TRUE);
    const KIRQL old = KfRaiseIrql(DISPATCH_LEVEL);
    EXPECT_THROW(KeWaitForSingleObject(&event, Executive, KernelMode, FALSE, nullptr),
                 std::runtime_error);
    KfLowerIrql(old);
}

} // namespace
