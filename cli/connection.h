// Finding the controller: the port from the option or the port list, then each family's own Identify
// at its baud rate, without the pauses the connection page makes for a person to read its status.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "datafiles/tuning_layout.h"

namespace cli {

// "FJ", "EV48-400-C", "Tercel", any case; nothing for another name.
std::optional<datafiles::Family> FamilyFromName(const std::string& name);

// The families a probe tries, in the order it tries them: FJ, EV48-400-C, Tercel, limited to the
// chosen ones when any were chosen.
std::vector<datafiles::Family> ProbeOrder(const std::vector<datafiles::Family>& chosen);

struct Session {
    datafiles::Family family = datafiles::Family::None;
    std::string port;
};

// Connects to the first family that identifies; the port stays open for the command. The exit
// status, with a one-line error unless it is success.
int Connect(const std::string& portOption, const std::vector<datafiles::Family>& chosen, Session& session,
            std::string& error);

// Closes the port and forgets the connection; what the controller sent stays in the lists.
void Disconnect();

// Connects for the lifetime of a command and disconnects when it ends.
class ConnectedSession {
public:
    ConnectedSession(const std::string& portOption, const std::vector<datafiles::Family>& chosen) {
        status_ = Connect(portOption, chosen, session_, error_);
    }
    ~ConnectedSession() { Disconnect(); }
    ConnectedSession(const ConnectedSession&) = delete;
    ConnectedSession& operator=(const ConnectedSession&) = delete;

    int Status() const { return status_; }
    const std::string& Error() const { return error_; }
    datafiles::Family Family() const { return session_.family; }
    const std::string& Port() const { return session_.port; }

private:
    Session session_;
    int status_ = 0;
    std::string error_;
};

}  // namespace cli
