// Reading a code: header, chunks, rotation of the ring, the acknowledge, the sequence that
// keeps a code from being delivered twice, and every failure on the way.
#include "library_fixture.h"

#include <numeric>

namespace {

using InfraCodeTest = ReceiverLibraryTest;
using Request = FakeReceiver::Request;

std::vector<BYTE> Durations(int count) {
    std::vector<BYTE> d(static_cast<std::size_t>(count));
    std::iota(d.begin(), d.end(), BYTE{100});
    return d;
}

struct Outcome {
    int result;
    int len;
    std::vector<BYTE> code;
};

Outcome Read(int bufSize = 255) {
    std::vector<BYTE> buffer(256, 0xEE);
    int len = -7;
    const int result = DoGetInfraCode(buffer.data(), bufSize, &len);
    buffer.resize(static_cast<std::size_t>(std::max(len, 0)));
    return {result, len, buffer};
}

TEST_F(InfraCodeTest, CodesAreReadInChunksAndTurnedToTheirRingStart) {
    const struct {
        int length;
        BYTE ringStart;
    } cases[] = {{1, 0}, {8, 3}, {9, 8}, {13, 20}, {13, 0}, {16, 15}, {200, 199}, {200, 255}};
    BYTE sequence = 1;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "L " << c.length << " ring start " << int{c.ringStart});
        FakeReceiver local;
        win32sim::SetDeviceProvider(&local);
        const auto stored = Durations(c.length);
        local.HoldCode(stored, sequence++, c.ringStart);
        const Outcome got = Read();
        EXPECT_EQ(got.result, 0);
        ASSERT_EQ(got.len, c.length);
        const int k = c.ringStart % c.length;
        std::vector<BYTE> expected(stored.begin() + k, stored.end());
        expected.insert(expected.end(), stored.begin(), stored.begin() + k);
        EXPECT_EQ(got.code, expected);

        std::vector<Request> sent{{rcReadCodeBuffer, 0, 0}};
        for (int i = 0; i < c.length; i += 8)
            sent.push_back({rcReadCodeBuffer, static_cast<BYTE>(i + 3), 0});
        sent.push_back({rcAckCode, 0, 0});
        EXPECT_EQ(local.Requests(), sent);
        EXPECT_EQ(local.Opens(), 2 + (c.length + 7) / 8);
        EXPECT_EQ(local.Closes(), local.Opens());
    }
    win32sim::SetDeviceProvider(&receiver);
}

TEST_F(InfraCodeTest, ThirteenBytesFromRingStartTwenty) {
    const auto stored = Durations(13);
    receiver.HoldCode(stored, 5, 20);
    const Outcome got = Read();
    EXPECT_EQ(got.result, 0);
    EXPECT_EQ(got.len, 13);
    std::vector<BYTE> expected(stored.begin() + 7, stored.end());
    expected.insert(expected.end(), stored.begin(), stored.begin() + 7);
    EXPECT_EQ(got.code, expected);
    EXPECT_EQ(RequestsOf(rcReadCodeBuffer),
              (std::vector<Request>{
                  {rcReadCodeBuffer, 0, 0}, {rcReadCodeBuffer, 3, 0}, {rcReadCodeBuffer, 11, 0}}));
}

TEST_F(InfraCodeTest, NoNewCodeMeansResultZeroLenZeroAndNoAcknowledge) {
    receiver.HoldCode(Durations(4), 9, 0);
    EXPECT_EQ(Read().len, 4);
    // The receiver still holds a code with the same number (say its acknowledge was lost).
    receiver.HoldCode(Durations(4), 9, 0);
    const std::size_t before = receiver.Requests().size();
    const Outcome again = Read();
    EXPECT_EQ(again.result, 0);
    EXPECT_EQ(again.len, 0);
    EXPECT_EQ(receiver.Requests().size(), before + 1); // the header only
    EXPECT_EQ(RequestsOf(rcAckCode).size(), 1u);
    // An empty receiver: the same.
    receiver.HoldCode({}, 10, 0);
    EXPECT_EQ(Read().len, 0);
    EXPECT_EQ(RequestsOf(rcAckCode).size(), 1u);
    // A new number is a new code.
    receiver.HoldCode(Durations(2), 10, 1);
    EXPECT_EQ(Read().code, (std::vector<BYTE>{101, 100}));
}

TEST_F(InfraCodeTest, HeaderShorterThanTwoBytesIsNoCodeAndTwoBytesMeanRingStartZero) {
    receiver.HoldCode(Durations(5), 3, 4);
    receiver.ShortenReplies(rcReadCodeBuffer, 0, 1);
    Outcome got = Read();
    EXPECT_EQ(got.result, 0);
    EXPECT_EQ(got.len, 0);
    EXPECT_TRUE(RequestsOf(rcAckCode).empty());

    // Two bytes carry L and the sequence; the missing ring start reads as 0.
    receiver.ShortenReplies(rcReadCodeBuffer, 0, 2);
    got = Read();
    EXPECT_EQ(got.result, 0);
    EXPECT_EQ(got.code, Durations(5));
}

TEST_F(InfraCodeTest, ShortChunkLeavesZeroesWhereNoByteCame) {
    receiver.HoldCode(Durations(10), 4, 0);
    receiver.ShortenReplies(rcReadCodeBuffer, 11, 1); // the second chunk brings one byte
    const Outcome got = Read();
    EXPECT_EQ(got.result, 0);
    std::vector<BYTE> expected = Durations(10);
    expected[9] = 0;
    EXPECT_EQ(got.code, expected);
}

TEST_F(InfraCodeTest, HeaderFailureLeavesTheSequenceAndSendsNoAcknowledge) {
    receiver.HoldCode(Durations(3), 6, 0);
    EXPECT_EQ(Read().len, 3);
    receiver.HoldCode(Durations(3), 6, 0);
    receiver.SilenceTries(3);
    const Outcome failed = Read();
    EXPECT_EQ(failed.result, 1);
    EXPECT_EQ(failed.len, 0);
    EXPECT_EQ(RequestsOf(rcAckCode).size(), 1u);
    // The sequence was kept: the same code is still no new code.
    EXPECT_EQ(Read().len, 0);
}

TEST_F(InfraCodeTest, ChunkFailureAcknowledgesAndForgetsTheSequence) {
    receiver.HoldCode(Durations(13), 8, 0);
    // The header answers; the first chunk's three tries stay silent.
    receiver.ShortenReplies(rcReadCodeBuffer, 3, 0);
    const Outcome failed = Read();
    EXPECT_EQ(failed.result, 1);
    EXPECT_EQ(failed.len, 0);
    EXPECT_EQ(RequestsOf(rcReadCodeBuffer).size(), 1u + 3u);
    EXPECT_EQ(RequestsOf(rcAckCode).size(), 1u);
    // The acknowledge dropped the code. Had the receiver kept it under the same number, it
    // is read afresh, since the sequence was forgotten.
    FakeReceiver fresh;
    win32sim::SetDeviceProvider(&fresh);
    fresh.HoldCode(Durations(13), 8, 0);
    EXPECT_EQ(Read().code, Durations(13));
    win32sim::SetDeviceProvider(&receiver);
}

TEST_F(InfraCodeTest, ACodeLongerThanTheBufferIsRefusedWithoutReadingIt) {
    const struct {
        BYTE length;
        int bufSize;
    } cases[] = {{201, 255}, {255, 255}, {20, 19}, {1, 0}, {5, -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "L " << int{c.length} << " BufSize " << c.bufSize);
        FakeReceiver local;
        win32sim::SetDeviceProvider(&local);
        local.SetCodeHeader(c.length, 1, 0);
        const Outcome got = Read(c.bufSize);
        EXPECT_EQ(got.result, 1);
        EXPECT_EQ(got.len, 0);
        EXPECT_EQ(local.Requests(),
                  (std::vector<Request>{{rcReadCodeBuffer, 0, 0}, {rcAckCode, 0, 0}}));
        // Forgotten: the next header with the same number is read again.
        local.SetCodeHeader(c.length, 1, 0);
        EXPECT_EQ(Read(c.bufSize).result, 1);
    }
    win32sim::SetDeviceProvider(&receiver);
}

TEST_F(InfraCodeTest, AFailedAcknowledgeStillDeliversTheCode) {
    receiver.HoldCode(Durations(3), 2, 1);
    receiver.ShortenReplies(rcAckCode, -1, 0);
    const Outcome got = Read();
    EXPECT_EQ(got.result, 0);
    EXPECT_EQ(got.code, (std::vector<BYTE>{101, 102, 100}));
    EXPECT_EQ(RequestsOf(rcAckCode).size(), 3u);
}

} // namespace
