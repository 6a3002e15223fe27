#include "sim/ev48400c_sim.h"

#include <gtest/gtest.h>

#include "sim/fault_injector.h"
#include "tests/support/posix/sim_process.h"
#include "tests/support/temp_dir.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

using sim::Bytes;

// Built by hand from the frame layout, not with the family's codec.
Bytes Frame(uint8_t id, Bytes payload) {
    payload.resize(48, 0);
    Bytes f = {0x57, 0x49, id, 0x30};
    f.insert(f.end(), payload.begin(), payload.end());
    unsigned sum = 0;
    for (size_t i = 2; i < f.size(); ++i) sum += f[i];
    f.push_back(static_cast<uint8_t>(sum));
    f.push_back(0x53);
    f.push_back(0x45);
    return f;
}

Bytes Request(uint8_t id) {
    return Frame(34, {1, id});
}

TEST(Ev48400cSim, AnswersRequestsSplitAnyWayAndSkipsNoise) {
    auto controller = sim::MakeEv48400cSim();
    const Bytes request = Request(41);
    ASSERT_EQ(request[52], 0x7C);  // the live-data request as the controller documentation shows it
    Bytes noisy = {0x00, 0x57, 0x13};
    noisy.insert(noisy.end(), request.begin(), request.end());
    EXPECT_TRUE(controller->Receive(Bytes(noisy.begin(), noisy.begin() + 30)).empty());
    const auto answers = controller->Receive(Bytes(noisy.begin() + 30, noisy.end()));
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].size(), 55u);
    EXPECT_EQ(answers[0][2], 41);
    EXPECT_EQ(answers[0][6] + 256 * answers[0][7], 482);  // 48.2 V on the bus
}

TEST(Ev48400cSim, IgnoresBadChecksumsAndUnknownRequests) {
    auto controller = sim::MakeEv48400cSim();
    Bytes bad = Request(41);
    bad[52] ^= 0xFF;
    EXPECT_TRUE(controller->Receive(bad).empty());
    EXPECT_TRUE(controller->Receive(Request(64)).empty());         // battery pack: not this controller
    EXPECT_TRUE(controller->Receive(Frame(34, {2, 41})).empty());  // not a read request
    EXPECT_EQ(controller->Receive(Request(49)).size(), 1u);
}

TEST(Ev48400cSim, StoresAWrittenGroupAndKeepsItInItsState) {
    auto controller = sim::MakeEv48400cSim();
    const Bytes written = Frame(51, {0, 0, 0xF4, 0x01, 0x64, 0x00});  // tire 500 mm, ratio 10.0
    const auto answers = controller->Receive(written);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0][2], 254);
    EXPECT_EQ(answers[0][4], 51);
    EXPECT_EQ(answers[0][5], 1);
    EXPECT_EQ(controller->Receive(Request(51)).at(0), Frame(51, {0, 0, 0xF4, 0x01, 0x64, 0x00}));

    auto restored = sim::MakeEv48400cSim();
    ASSERT_TRUE(restored->LoadState(controller->SaveState()));
    EXPECT_EQ(restored->SaveState(), controller->SaveState());
    EXPECT_FALSE(restored->LoadState("51=00FF\n"));  // a short group is not a state
    EXPECT_FALSE(restored->LoadState("x=zz\n"));
    EXPECT_EQ(restored->SaveState(), controller->SaveState());
}

TEST(FaultInjector, SameSeedSameFaults) {
    const Bytes answer(55, 0x11);
    struct Case {
        sim::FaultKind kind;
        size_t length;
    };
    const Case cases[] = {{sim::FaultKind::Silent, 0},
                          {sim::FaultKind::Drop, 54},
                          {sim::FaultKind::Short, 27},
                          {sim::FaultKind::Garble, 55}};
    for (const auto& c : cases) {
        sim::FaultInjector always(c.kind, 1.0, 7);
        EXPECT_EQ(always.Apply(answer).size(), c.length);
    }
    sim::FaultInjector a(sim::FaultKind::Garble, 0.5, 42), b(sim::FaultKind::Garble, 0.5, 42);
    int garbled = 0;
    for (int i = 0; i < 200; ++i) {
        const Bytes x = a.Apply(answer);
        EXPECT_EQ(x, b.Apply(answer));
        garbled += x != answer;
    }
    EXPECT_GT(garbled, 50);
    EXPECT_LT(garbled, 150);
}

// The whole program on a real pseudo-terminal: it answers only at its own baud rate, and the state
// file holds what was written when it stops.
TEST(SimProgram, AnswersAtItsBaudRateAndSavesWrites) {
    testsupport::TempDir dir;
    testsupport::SimProcess simulator("EV48-400-C", dir.Path());
    ASSERT_TRUE(simulator.Ready());
    const int fd = open(simulator.PortName().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    auto exchange = [&](speed_t speed, const Bytes& request) {
        cfsetispeed(&t, speed);
        cfsetospeed(&t, speed);
        tcsetattr(fd, TCSANOW, &t);
        EXPECT_EQ(write(fd, request.data(), request.size()), static_cast<ssize_t>(request.size()));
        Bytes answer;
        pollfd p{fd, POLLIN, 0};
        while (answer.size() < 55 && poll(&p, 1, 1000) > 0) {
            uint8_t buffer[64];
            const ssize_t n = read(fd, buffer, sizeof buffer);
            if (n <= 0) break;
            answer.insert(answer.end(), buffer, buffer + n);
        }
        return answer;
    };
    EXPECT_TRUE(exchange(B19200, Request(41)).empty());
    EXPECT_EQ(exchange(B115200, Request(41)).size(), 55u);
    EXPECT_EQ(exchange(B115200, Frame(51, {0, 0, 0xF4, 0x01})).at(2), 254);
    close(fd);
    simulator.Stop();
    const std::string state = testsupport::ReadFileBytes(simulator.StatePath());
    EXPECT_NE(state.find("51=0000F401"), std::string::npos) << state;
}

}  // namespace
