#pragma once

#include <string>

namespace pelorus {

// Why an exchange with the receiver failed. A refusal is the receiver's own answer and leaves the
// link usable; a silent receiver or a lost link ends whatever long run was using it.
enum class LinkProblem {
  kNone,
  kRefused,  // the receiver answered with an error
  kSilent,   // connected, but nothing came back within the time-out
  kLost,     // the line hung up, the socket closed or the device went away
};

inline bool EndsTheRun(LinkProblem problem) {
  return problem == LinkProblem::kSilent || problem == LinkProblem::kLost;
}

// What the last failed exchange found: the kind of problem and "WHERE: reason" for the detail.
struct LinkFailure {
  LinkProblem problem = LinkProblem::kNone;
  std::string reason;
};

}  // namespace pelorus
