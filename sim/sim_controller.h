// One simulated controller: it hears bytes and answers as a controller of its family would.
//
// Each family's simulated controller builds its answers itself, sharing nothing with the driver it is
// meant to test beyond checksum helpers, so that a fault in one cannot hide the same fault in the other.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace sim {

using Bytes = std::vector<uint8_t>;

// What the command line may ask of a simulated controller beyond line faults; each family takes the
// parts that apply to it.
struct SimBehaviour {
    // Every write is answered with the family's refusal and changes nothing.
    bool refuseWrites = false;
    // How the Tercel controller fills the last byte of its answers: the negated sum its commands carry,
    // the XOR of the bytes after the SOM, or one constant byte.
    enum class CheckByte { NegatedSum, Xor, Constant };
    CheckByte tercelCheckByte = CheckByte::NegatedSum;
    uint8_t tercelCheckConstant = 0;
};

// "sum", "xor" or a byte ("0x5A", "90") into the Tercel check byte of the behaviour; false, with the
// behaviour unchanged, for anything else.
bool ParseTercelCheckByte(const std::string& text, SimBehaviour& behaviour);

class SimController {
public:
    virtual ~SimController() = default;
    virtual std::string Family() const = 0;
    virtual uint32_t BaudRate() const = 0;
    // Takes bytes as they arrive (any split) and returns the answers they call for, in order.
    // Bytes that make no request the controller understands are ignored.
    virtual std::vector<Bytes> Receive(const Bytes& bytes) = 0;
    // The controller's whole state as text, for --state files; LoadState answers false on a file it
    // cannot read and then keeps the state it had.
    virtual std::string SaveState() const = 0;
    virtual bool LoadState(const std::string& state) = 0;
    virtual void SetBehaviour(const SimBehaviour& behaviour) { behaviour_ = behaviour; }

protected:
    SimBehaviour behaviour_;
};

using SimControllerFactory = std::function<std::unique_ptr<SimController>()>;

// Families register themselves at start-up (see sim_main.cpp).
void RegisterSimController(const std::string& family, SimControllerFactory factory);
std::unique_ptr<SimController> MakeSimController(const std::string& family);
std::vector<std::string> SimFamilies();

}  // namespace sim
