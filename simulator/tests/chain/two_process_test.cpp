// Two host processes polling one receiver: the second reaches the simulated kernel of this
// process over its pipes; the library's named event serialises the two.
#include "child_process.h"
#include "device_link.h"
#include "chain_fixture.h"
#include "receiversim/encoder.h"
#include "varnusb.h"
#include "win32sim/objects.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

namespace {

// The peer process with a thread that serves its device requests and keeps its other lines.
class Peer {
public:
    explicit Peer(win32sim::DeviceProvider& provider)
        : child_({CHAIN_PEER_PATH, win32sim::ObjectNamespace()}), server_(provider) {
        reader_ = std::thread([this] { Serve(); });
    }
    ~Peer() {
        Send("quit");
        child_.Wait();
        reader_.join();
    }
    void Send(const std::string& line) {
        std::lock_guard lock(writeLock_);
        child_.WriteLine(line);
    }
    // The next line that is not a device request; "" when none came in time.
    std::string Next() {
        std::unique_lock lock(lock_);
        arrived_.wait_for(lock, std::chrono::seconds(30),
                          [this] { return !lines_.empty() || ended_; });
        if (lines_.empty())
            return "";
        std::string line = lines_.front();
        lines_.pop_front();
        return line;
    }
    std::size_t FilesLeftOpen() const { return server_.OpenFiles(); }

private:
    void Serve() {
        for (;;) {
            std::string line = child_.ReadLine(60000);
            if (line.empty())
                break;
            if (chain::DeviceLinkServer::IsRequest(line)) {
                Send(server_.Answer(line));
                continue;
            }
            std::lock_guard lock(lock_);
            lines_.push_back(line);
            arrived_.notify_all();
        }
        std::lock_guard lock(lock_);
        ended_ = true;
        arrived_.notify_all();
    }

    ChildProcess child_;
    chain::DeviceLinkServer server_;
    std::mutex writeLock_;
    std::mutex lock_;
    std::condition_variable arrived_;
    std::deque<std::string> lines_;
    bool ended_ = false;
    std::thread reader_;
};

std::string Hex(const std::vector<signed char>& durations) {
    return chain::ToHex(durations.data(), durations.size());
}

std::string PollHere() {
    BYTE buffer[256];
    int len = 0;
    const int result = DoGetInfraCode(buffer, 255, &len);
    return "got " + std::to_string(result) + ' ' + chain::ToHex(buffer, len > 0 ? len : 0);
}

class TwoProcessTest : public ReceiverChainTest {};

TEST_F(TwoProcessTest, EachProcessSeesACodeOnceAndTheFirstToPollTakesIt) {
    Peer peer(chain->Provider());
    ASSERT_EQ(peer.Next(), "ready");
    const auto a = receiversim::EncodeBiphase(0x1A2B);
    const auto b = receiversim::EncodeBiphase(0x0C3D);

    chain->Receiver().PressButton(0x1A2B);
    peer.Send("poll");
    EXPECT_EQ(peer.Next(), "got 0 " + Hex(a)) << "the peer reads the code through this kernel";
    EXPECT_EQ(PollHere(), "got 0 -") << "acknowledged by the peer: gone for this process too";

    chain->Receiver().PressButton(0x0C3D);
    EXPECT_EQ(PollHere(), "got 0 " + Hex(b));
    peer.Send("poll");
    EXPECT_EQ(peer.Next(), "got 0 -");
    EXPECT_EQ(PollHere(), "got 0 -") << "never twice in one process";
    EXPECT_EQ(chain->Receiver().Acknowledgements(), 2u);
}

TEST_F(TwoProcessTest, PollingTogetherLosesAndRepeatsNoCode) {
    Peer peer(chain->Provider());
    ASSERT_EQ(peer.Next(), "ready");
    std::map<std::string, int> expected;
    std::map<std::string, int> seen;
    int failedHere = 0;
    auto pollHere = [&] {
        BYTE buffer[256];
        int len = 0;
        failedHere += DoGetInfraCode(buffer, 255, &len) != 0;
        if (len > 0)
            ++seen[chain::ToHex(buffer, static_cast<std::size_t>(len))];
    };
    peer.Send("polls 400");
    // The receiver holds one code: the next comes once this one is taken, by either process.
    for (int i = 0; i < 24; ++i) {
        const std::int64_t code = 0x100 + 7 * i;
        chain->Receiver().PressButton(code);
        ++expected[Hex(receiversim::EncodeBiphase(code))];
        for (int k = 0; k < 1000 && chain->Receiver().HoldsCode(); ++k)
            pollHere();
        ASSERT_FALSE(chain->Receiver().HoldsCode()) << "code " << i << " was never taken";
    }
    std::string line = peer.Next();
    for (; line.rfind("got ", 0) == 0; line = peer.Next()) {
        ASSERT_EQ(line.substr(0, 6), "got 0 ");
        ++seen[line.substr(6)];
    }
    EXPECT_EQ(line, "done 0");
    EXPECT_EQ(failedHere, 0);
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(peer.FilesLeftOpen(), 0u) << "every open of the peer was closed";
}

} // namespace
