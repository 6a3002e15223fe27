// What the raw frame commands of every family give back: the page and the command line apply it.
#pragma once

#include <optional>
#include <string>

// A member left empty means "leave that part of the page as it is"; an empty status text clears the
// status line.
struct RawFrameOutcome {
    std::optional<std::string> result;  // the result box, lines ended by "\r\n"
    std::optional<std::string> status;
};

// A typed frame sent and its answer described.
struct RawExchange {
    std::optional<std::string> answer;  // spaced hex of the answer, nothing without one
    RawFrameOutcome described;          // empty without an answer
};
