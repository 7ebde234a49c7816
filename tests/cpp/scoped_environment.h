#ifndef BRIMLET_TESTS_SCOPED_ENVIRONMENT_H
#define BRIMLET_TESTS_SCOPED_ENVIRONMENT_H

#include <cstdlib>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

// Sets SIMCAM_* variables for the simulated camera for one test and puts
// the previous values back afterwards.  A null value unsets the variable.
class ScopedEnvironment {
 public:
  ScopedEnvironment(std::initializer_list<std::pair<const char*, const char*>> settings) {
    for (const auto& [name, value] : settings) {
      const char* previous = std::getenv(name);
      saved_.push_back({name, previous != nullptr, previous != nullptr ? previous : ""});
      if (value != nullptr) {
        setenv(name, value, 1);
      } else {
        unsetenv(name);
      }
    }
  }
  ~ScopedEnvironment() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->wasSet) {
        setenv(it->name.c_str(), it->value.c_str(), 1);
      } else {
        unsetenv(it->name.c_str());
      }
    }
  }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  struct Saved {
    std::string name;
    bool wasSet;
    std::string value;
  };
  std::vector<Saved> saved_;
};

#endif
