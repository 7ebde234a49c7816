#ifndef BRIMLET_TESTS_CHILD_PROCESS_H
#define BRIMLET_TESTS_CHILD_PROCESS_H

#include <functional>
#include <string>

// What a forked child printed on standard output and how it ended.
struct ChildOutcome {
  bool exited;      // ended through exit(), not a signal
  int exitStatus;   // valid when exited
  std::string out;  // everything written to file descriptor 1
};

// Runs body in a forked child whose standard output is captured; a body that
// returns ends the child with status 0.  Death tests only see stderr, and
// the failure line goes to stdout.
ChildOutcome runInChild(const std::function<void()>& body);

#endif
