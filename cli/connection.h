// Finding the controller: the port from the option or the port list, then the session's probe
// without the pauses the connection page makes for a person to read its status.
#pragma once

#include <string>
#include <vector>

#include "core/family.h"

namespace cli {

struct Connection {
    Family family = Family::None;
    std::string port;
};

// Connects to the first family that identifies; the port stays open for the command. The exit
// status, with a one-line error unless it is success.
int Connect(const std::string& portOption, const std::vector<Family>& chosen, Connection& connection,
            std::string& error);

// Connects for the lifetime of a command and ends the connection when the command ends.
class ConnectedSession {
public:
    ConnectedSession(const std::string& portOption, const std::vector<Family>& chosen) {
        status_ = Connect(portOption, chosen, connection_, error_);
    }
    ~ConnectedSession();
    ConnectedSession(const ConnectedSession&) = delete;
    ConnectedSession& operator=(const ConnectedSession&) = delete;

    int Status() const { return status_; }
    const std::string& Error() const { return error_; }
    ::Family Family() const { return connection_.family; }
    const std::string& Port() const { return connection_.port; }

private:
    Connection connection_;
    int status_ = 0;
    std::string error_;
};

}  // namespace cli
